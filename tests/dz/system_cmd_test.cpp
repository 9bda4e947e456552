// dz ver, dz run and dz env, run as a user runs them.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "dz/DzHarness.h"
#include "system/PeFixtures.h"

namespace {

using namespace dz::test;

class DzSystem : public Dz {
 protected:
  void SetUp() override {
    Dz::SetUp();
    Seconds = 20;
    DZ_NEED_PE_FIXTURES();
  }
};

TEST_F(DzSystem, VerPrintsTheRecordAsTextOrJson) {
  const Result r = Run({"ver", PeFixtures::Path("full32.dll")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("  CompanyName       Acme Widgets Ltd\n"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("  ProductVersion    5.6\n"), std::string::npos) << r.Out;
  const Result json =
      Run({"ver", "--json", PeFixtures::Path("two.dll"), PeFixtures::Path("noversion.dll")});
  EXPECT_EQ(json.Status, 1);
  EXPECT_NE(json.Out.find("\"CompanyName\": \"Acme (Deutsch)\""), std::string::npos) << json.Out;
  EXPECT_NE(json.Out.find("\"found\": false"), std::string::npos) << json.Out;
  EXPECT_EQ(json.Out.front(), '[');
  EXPECT_EQ(Run({"ver", PeFixtures::Path("nosuch.dll")}).Err,
            "dz ver: Cannot open file \"" + PeFixtures::Path("nosuch.dll") +
                "\". No such file or directory\n");
}

// Hostile files: a version resource claiming 4 GiB of a sparse file, a FIFO,
// a device, control characters in the strings, a file named like an option;
// and the usage faults.
TEST_F(DzSystem, VerStandsHostileFilesAndBadArguments) {
  ASSERT_TRUE(PeFixtures::WriteHugeClaim(PeFixtures::Path("full.dll"), (Dir / "huge.dll").string(),
                                         0xFFFFF000, uint64_t{5} << 30));
  ASSERT_EQ(::mkfifo((Dir / "fifo.dll").c_str(), 0600), 0);
  fs::copy_file(PeFixtures::Path("full.dll"), Dir / "-dash.dll");
  // CompanyName "Acme Widgets Ltd" becomes a terminal title, a screen clear
  // and a C1 CSI, at the same length.
  std::string b = Slurp(PeFixtures::Path("full.dll"));
  const std::u16string from = u"Acme Widgets Ltd", to = u"\x1b]0;T\a\x1b[2J\u009b12345";
  const size_t at = b.find(std::string(reinterpret_cast<const char*>(from.data()), 32));
  ASSERT_NE(at, std::string::npos);
  b.replace(at, 32, reinterpret_cast<const char*>(to.data()), 32);
  Spit(Dir / "escape.dll", b);
  struct Case {
    std::vector<std::string> Args;
    int Status;
    std::string Out, Err;  // found in stdout, stderr
  } const cases[] = {
      {{"huge.dll"}, 1, "", "no version information"},
      {{"fifo.dll"}, 3, "", "Not a regular file"},
      {{"/dev/zero"}, 3, "", "Not a regular file"},
      {{PeFixtures::Dir().string()}, 3, "", "Is a directory"},
      {{"--", "-dash.dll"}, 0, "Acme Widgets Ltd", ""},
      {{"--"}, 2, "", "needs a FILE"},
      {{}, 2, "", ""},
      {{"--bogus", "x"}, 2, "", ""},
      {{"escape.dll"}, 0, "  CompanyName       \\x1B]0;T\\x07\\x1B[2J\\u{9B}12345\n", ""},
      {{"--json", "escape.dll"}, 0, "\"\\u001b]0;T\\u0007\\u001b[2J\u009b12345\"", ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"ver"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    const Result r = Run(args);
    const std::string shown = c.Args.empty() ? "" : c.Args.back();
    EXPECT_EQ(r.Status, c.Status) << shown << ": " << r.Err;
    EXPECT_NE(r.Out.find(c.Out), std::string::npos) << shown << ": " << r.Out;
    EXPECT_NE(r.Err.find(c.Err), std::string::npos) << shown << ": " << r.Err;
    EXPECT_EQ(r.Out.find('\x1b'), std::string::npos) << shown;
  }
}

TEST_F(Dz, RunHandsNothingToXdgOpenAsAnOption) {
  // A stand-in xdg-open that records what it was given.
  Spit(Dir / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + (Dir / "got").string() + "'\n");
  fs::permissions(Dir / "xdg-open", fs::perms::owner_all);
  Spit(Dir / "-doc.txt", "text\n");
  const std::vector<std::string> env{"PATH=" + Dir.string() + ":" + std::getenv("PATH")};
  EXPECT_EQ(Run({"run", "--wait", "-e://x"}, "", env).Status, 3);  // a scheme begins with a letter
  EXPECT_EQ(Run({"run", "--wait", "--", "-doc.txt"}, "", env).Status, 0);  // by absolute path
  EXPECT_EQ(Run({"run", "--wait", "https://example.org/-x"}, "", env).Status, 0);
  EXPECT_EQ(Slurp(Dir / "got"), (Dir / "-doc.txt").string() + "\nhttps://example.org/-x\n");
}

TEST_F(Dz, RunGivesTheChildsStatusWithWaitAndFailsWhatCannotStart) {
  EXPECT_EQ(Run({"run", "--wait", "/bin/sh", "-c \"exit 42\""}).Status, 42);
  EXPECT_EQ(Run({"run", "/bin/sh", "-c \"exit 42\""}).Status, 0);  // started is done
  EXPECT_EQ(Run({"run", "--wait", "/bin/echo", "\"a  b\" c"}).Out, "a  b c\n");
  const Result r = Run({"run", "/no/such/program"});
  EXPECT_EQ(r.Status, 3);
  EXPECT_EQ(r.Err, "dz run: Cannot open file \"/no/such/program\". No such file or directory\n");
  EXPECT_EQ(Run({"run", "/tmp"}).Status, 3);
  EXPECT_EQ(Run({"run"}).Status, 2);
  EXPECT_EQ(Run({"run", "--wait", "x", "y", "z"}).Status, 2);
}

TEST_F(Dz, EnvExpandsReferencesAndCutsHugeExpansions) {
  EXPECT_EQ(Run({"env", "x=%DZ_CMD_VAR%, %DZ_CMD_UNSET%"}).Out, "x=%DZ_CMD_VAR%, %DZ_CMD_UNSET%\n");
  EXPECT_EQ(Run({"env", "x=%DZ_CMD_VAR%, %dz_cmd_var%, 50%"}, "", {"DZ_CMD_VAR=v a l"}).Out,
            "x=v a l, v a l, 50%\n");
  EXPECT_EQ(Run({"env"}).Status, 2);
  // 400 references to 32,000 characters: 12.8 million wanted, 32,766 given.
  std::string text;
  for (int i = 0; i < 400; ++i) text += "%DZ_CMD_BIG%";
  const Result r = Run({"env", text}, "", {"DZ_CMD_BIG=" + std::string(32000, 'a')});
  EXPECT_EQ(r.Status, 3);
  EXPECT_EQ(r.Out, std::string(32766, 'a') + "\n");
  EXPECT_EQ(r.Err, "dz env: the expansion needs 12800000 characters; it is cut at 32766, the "
                   "most Windows gives\n");
}

// A string table that is a device or a FIFO is not read when an error is
// reported: the built-in message stands.
TEST_F(Dz, StringTablesThatAreDevicesAreNotRead) {
  Seconds = 20;
  Spit(Dir / "bad.lzy", "not a stream");
  ASSERT_EQ(::mkfifo((Dir / "fifo").c_str(), 0600), 0);
  for (const std::string& table : {std::string("/dev/zero"), (Dir / "fifo").string()}) {
    const Result r = Run({"lzy", "decompress", "bad.lzy", "out"}, "", {"DZ_STRING_TABLE=" + table});
    EXPECT_EQ(r.Status, 3) << table;
    EXPECT_NE(r.Err.find("Wrong stream format"), std::string::npos) << table << ": " << r.Err;
  }
}

}  // namespace
