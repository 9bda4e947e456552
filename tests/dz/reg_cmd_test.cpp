// dz reg over a store of the test's own.
#include <gtest/gtest.h>

#include "dz/DzHarness.h"

namespace {

using namespace dz::test;

class DzReg : public Dz {
 protected:
  Result Reg(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), "reg");
    return Run(args, input, {Env});
  }
  void SetUp() override {
    Dz::SetUp();
    Env = "DZ_REGISTRY=" + (Dir / ".registry.db").string();
  }
  std::string Env;
};

std::string Utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

TEST_F(DzReg, SetQueryAndDeleteEveryType) {
  struct Case {
    std::vector<std::string> set;
    std::string shown;
  } cases[] = {
      {{"MainForm", "10,20,300,200"}, "    MainForm    REG_SZ    10,20,300,200\n"},
      {{"Path", "%HOME%\\x", "--type", "expand_sz"}, "    Path    REG_EXPAND_SZ    %HOME%\\x\n"},
      {{"Count", "0x10", "--type", "dword"}, "    Count    REG_DWORD    0x10\n"},
      {{"Neg", "-1", "--type=dword"}, "    Neg    REG_DWORD    0xffffffff\n"},
      {{"Big", "4294967296", "--type", "qword"}, "    Big    REG_QWORD    0x100000000\n"},
      {{"Raw", "00,ff 10", "--type", "binary"}, "    Raw    REG_BINARY    00FF10\n"},
      {{"List", "a\\0b", "--type", "multi_sz"}, "    List    REG_MULTI_SZ    a\\0b\n"},
      {{"", "default"}, "    (Default)    REG_SZ    default\n"},
  };
  std::string listing = "HKEY_CURRENT_USER\\Software\\Test\n";
  for (const Case& c : cases) {
    std::vector<std::string> args{"set", "HKCU\\Software\\Test"};
    args.insert(args.end(), c.set.begin(), c.set.end());
    ASSERT_EQ(Reg(args).Status, 0) << c.set[0];
    listing += c.shown;
  }
  Reg({"set", "Software\\Test\\Sub", "x", "y"});
  listing += "HKEY_CURRENT_USER\\Software\\Test\\Sub\n";
  EXPECT_EQ(Reg({"query", "software\\TEST"}).Out, listing);
  EXPECT_EQ(Reg({"query", "Software\\Test", "count"}).Out, "0x10\n");

  struct Bad {
    std::vector<std::string> args;
    int status;
    std::string err;
  } bad[] = {
      {{"query", "Software\\None"}, 1, "key HKEY_CURRENT_USER\\Software\\None not found"},
      {{"query", "Software\\Test", "none"}, 1, "value \"none\" of"},
      {{"set", "K", "v", "x", "--type", "dword"}, 2, "'x' is not a 32-bit integer"},
      {{"set", "K", "v", "4294967296", "--type", "dword"}, 2, "not a 32-bit integer"},
      {{"set", "K", "v", "abc", "--type", "binary"}, 2, "even number of hex digits"},
      {{"set", "K", "v", "x", "--type", "float"}, 2, "unknown type 'float'"},
      {{"set", "HKLM\\Software", "v", "x"}, 2, "only HKEY_CURRENT_USER"},
      {{"set", "a\\\\b", "v", "x"}, 3, "empty segment"},
      {{"delete", "HKCU"}, 2, "cannot be deleted"},
      {{"delete", "Software\\Test", "none"}, 1, "not found"},
  };
  for (const Bad& b : bad) {
    const Result r = Reg(b.args);
    EXPECT_EQ(r.Status, b.status) << b.args[1];
    EXPECT_NE(r.Err.find(b.err), std::string::npos) << r.Err;
  }
  EXPECT_EQ(Reg({"delete", "Software\\Test", "Count"}).Status, 0);
  EXPECT_EQ(Reg({"delete", "Software\\Test"}).Status, 0);
  EXPECT_EQ(Reg({"query", "Software\\Test\\Sub"}).Status, 1);
  EXPECT_EQ(Reg({"query", "Software"}).Out, "HKEY_CURRENT_USER\\Software\n");
}

TEST_F(DzReg, ExportAndImportRoundTripAndAFailedImportChangesNothing) {
  Reg({"set", "Software\\App", "Name", "caf\xC3\xA9 \"quoted\""});
  Reg({"set", "Software\\App\\Window", "Left", "7", "--type", "dword"});
  ASSERT_EQ(Reg({"export", "Software\\App", "app.reg"}).Status, 0);
  const std::string exported = Slurp(Dir / "app.reg");
  EXPECT_EQ(exported.substr(0, 2), "\xFF\xFE");  // UTF-16LE, as regedit writes it
  EXPECT_EQ(Reg({"export", "Software\\App", "app.reg"}).Status, 3);  // no -f: kept
  EXPECT_EQ(Reg({"export", "Software\\None", "none.reg"}).Status, 1);
  EXPECT_FALSE(fs::exists(Dir / "none.reg"));

  ASSERT_EQ(Reg({"delete", "Software\\App"}).Status, 0);
  ASSERT_EQ(Reg({"import", "app.reg"}).Status, 0);
  ASSERT_EQ(Reg({"export", "-f", "Software\\App", "again.reg"}).Status, 0);
  EXPECT_EQ(Slurp(Dir / "again.reg"), exported);

  // A good first section and a damaged second one: nothing lands.
  const std::string broken =
      "Windows Registry Editor Version "
      "5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\New]\r\n\"a\"=\"1\"\r\n"
      "[-HKEY_CURRENT_USER\\Software\\App]\r\n[HKEY_CURRENT_USER\\Software\\Bad]\r\n\"b\"=dword:"
      "xyz\r\n";
  const Result r = Reg({"import", "-"}, Utf16(broken));
  EXPECT_EQ(r.Status, 3);
  EXPECT_NE(r.Err.find("line 7"), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find("nothing imported"), std::string::npos) << r.Err;
  EXPECT_EQ(Reg({"query", "Software\\New"}).Status, 1);
  EXPECT_EQ(Reg({"query", "Software\\App", "Name"}).Out, "caf\xC3\xA9 \"quoted\"\n");

  // Deletions in a file apply: a key's tree and a single value.
  const std::string deletions =
      "Windows Registry Editor Version 5.00\n\n[-HKCU\\Software\\App\\Window]\n\n"
      "[HKEY_CURRENT_USER\\Software\\App]\n\"Name\"=-\n\"Added\"=hex(b):01,00,00,00,00,00,00,00\n";
  ASSERT_EQ(Reg({"import", "-"}, deletions).Status, 0);
  EXPECT_EQ(Reg({"query", "Software\\App"}).Out,
            "HKEY_CURRENT_USER\\Software\\App\n    Added    REG_QWORD    0x1\n");
}

}  // namespace
