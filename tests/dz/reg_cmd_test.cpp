// dz reg over a store of the test's own.
#include <sys/stat.h>

#include "dz/DzHarness.h"

namespace {

using namespace dz::test;

class DzReg : public Dz {
 protected:
  Result Reg(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), "reg");
    return Run(args, input);
  }
};

std::string Utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) out.append({c, '\0'});
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

  Check({
      {{"reg", "query", "Software\\None"}, "", 1, "",
       "key HKEY_CURRENT_USER\\Software\\None not found"},
      {{"reg", "query", "Software\\Test", "none"}, "", 1, "", "value \"none\" of"},
      {{"reg", "set", "K", "v", "x", "--type", "dword"}, "", 2, "", "'x' is not a 32-bit integer"},
      {{"reg", "set", "K", "v", "4294967296", "--type", "dword"}, "", 2, "",
       "not a 32-bit integer"},
      {{"reg", "set", "K", "v", "abc", "--type", "binary"}, "", 2, "", "even number of hex digits"},
      {{"reg", "set", "K", "v", "x", "--type", "float"}, "", 2, "", "unknown type 'float'"},
      {{"reg", "set", "HKLM\\Software", "v", "x"}, "", 2, "", "only HKEY_CURRENT_USER"},
      {{"reg", "set", "a\\\\b", "v", "x"}, "", 3, "", "empty segment"},
      {{"reg", "delete", "HKCU"}, "", 2, "", "cannot be deleted"},
      {{"reg", "delete", "Software\\Test", "none"}, "", 1, "", "not found"},
  });
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
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\New]\r\n"
      "\"a\"=\"1\"\r\n[-HKEY_CURRENT_USER\\Software\\App]\r\n[HKEY_CURRENT_USER\\Software\\Bad]\r\n"
      "\"b\"=dword:xyz\r\n";
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

// A .reg file of one key n levels below HKEY_CURRENT_USER.
std::string DeepKey(int levels) {
  std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER";
  for (int i = 0; i < levels; ++i) text += "\\k";
  return text + "]\n\"v\"=\"x\"\n";
}

TEST_F(DzReg, HostileInputIsRefusedWithAPlainMessage) {
  const std::string sparse = (Dir / "sparse.reg").string();
  Spit(sparse, "");
  ASSERT_EQ(::truncate(sparse.c_str(), (off_t{64} << 20) + 1), 0);
  Spit(Dir / "deep.reg", DeepKey(513));
  Spit(Dir / "line.reg", "REGEDIT4\n\n[HKCU\\K]\n\"v\"=\"" + std::string(1 << 20, 'x') + "\"\n");
  Check({
      {{"reg", "import", "deep.reg"}, "", 3, "", "deeper than the 512 levels"},
      {{"reg", "import", "sparse.reg"}, "", 3, "",
       "larger than the 64 MiB a .reg file may hold (nothing imported)"},
      {{"reg", "import", "/dev/zero"}, "", 3, "", "larger than the 64 MiB"},
      {{"reg", "import", "line.reg"}, "", 3, "", "line 4: line longer than 1048576 characters"},
  });
  EXPECT_EQ(Reg({"query", "k"}).Status, 1) << "imported";
  Spit(Dir / "limit.reg", DeepKey(512));
  ASSERT_EQ(Reg({"import", "limit.reg"}).Status, 0);
  // The deepest key Windows allows goes out again, with every level.
  ASSERT_EQ(Reg({"export", "k", "out.reg"}).Status, 0);
  const std::string out = Slurp(Dir / "out.reg");
  size_t sections = 0;
  for (size_t at = 0; (at = out.find(std::string("[\0", 2), at)) != std::string::npos; ++at)
    ++sections;
  EXPECT_EQ(sections, 512u);
}

TEST_F(DzReg, QueryShowsControlCharactersEscapedAndExportKeepsThem) {
  const std::string esc = "\x1B]0;owned\x07", csi = "\xC2\x9B" "2J";
  ASSERT_EQ(Reg({"set", "Software\\T" + esc, "n" + esc, "d" + csi + "\x1B[2J"}).Status, 0);
  const std::string shown = "\\x1B]0;owned\\x07";
  EXPECT_EQ(Reg({"query", "Software"}).Out,
            "HKEY_CURRENT_USER\\Software\nHKEY_CURRENT_USER\\Software\\T" + shown + "\n");
  EXPECT_EQ(Reg({"query", "Software\\T" + esc}).Out,
            "HKEY_CURRENT_USER\\Software\\T" + shown + "\n    n" + shown +
                "    REG_SZ    d\\xC2\\x9B2J\\x1B[2J\n");
  EXPECT_EQ(Reg({"query", "Software\\T" + esc, "n" + esc}).Out, "d\\xC2\\x9B2J\\x1B[2J\n");
  ASSERT_EQ(Reg({"export", "Software", "t.reg"}).Status, 0);
  EXPECT_NE(Slurp(Dir / "t.reg").find(std::string("\x1B\0]\0" "0\0", 6)), std::string::npos);
}

TEST_F(DzReg, TheStoreFileAloneHoldsEverythingAndDamageIsReported) {
  const fs::path store = Dir / ".registry.db";
  const mode_t saved = ::umask(022);
  ASSERT_EQ(Reg({"set", "Software\\A", "v", "kept"}).Status, 0);
  ::umask(saved);
  struct stat st {};
  ASSERT_EQ(::stat(store.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_FALSE(fs::exists(store.string() + "-wal"));
  // A backup is one file: the copy answers as the store did.
  fs::copy_file(store, Dir / "copy.db");
  const Result copy = Run({"reg", "query", "Software\\A", "v"}, "",
                          {"DZ_REGISTRY=" + (Dir / "copy.db").string()});
  EXPECT_EQ(copy.Status, 0) << copy.Err;
  EXPECT_EQ(copy.Out, "kept\n");
  fs::resize_file(store, 0);
  const Result r = Reg({"query", "Software\\A"});
  EXPECT_EQ(r.Status, 3);
  EXPECT_NE(r.Err.find("is damaged: the file is empty"), std::string::npos) << r.Err;
  EXPECT_EQ(fs::file_size(store), 0u);
  fs::copy_file(Dir / "copy.db", store, fs::copy_options::overwrite_existing);
  EXPECT_EQ(Reg({"check"}).Status, 0);

  // A store too large to be read whole on every open: damage inside it is
  // what check is for.
  std::string many = "REGEDIT4\n\n[HKCU\\Many]\n";
  for (int i = 0; i < 3000; ++i) many += "\"v" + std::to_string(i) + "\"=\"some setting\"\n";
  Spit(Dir / "many.reg", many);
  ASSERT_EQ(Reg({"import", "many.reg"}).Status, 0);
  ASSERT_GT(fs::file_size(store), 40u * 4096);
  {
    std::fstream f(store, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(30 * 4096);
    f << std::string(4096, '\xA5');
  }
  EXPECT_EQ(Reg({"query", "Software\\A", "v"}).Out, "kept\n");
  const Result check = Reg({"check"});
  EXPECT_EQ(check.Status, 3);
  EXPECT_NE(check.Err.find("is damaged: "), std::string::npos) << check.Err;
}

}  // namespace
