// dz ver, dz run and dz env, run as a user runs them.
#include <sys/stat.h>

#include "dz/DzHarness.h"
#include "system/PeFixtures.h"

namespace {

using namespace dz::test;

// The record as text or JSON; hostile files: a version resource claiming
// 4 GiB of a sparse file, a FIFO, a device, control characters in the
// strings, a file named like an option; and the usage faults.
TEST_F(Dz, VerPrintsTheRecordAndStandsHostileFiles) {
  Seconds = 20;
  DZ_NEED_PE_FIXTURES();
  const auto pe = [](const char* name) { return PeFixtures::Path(name); };
  ASSERT_TRUE(PeFixtures::WriteHugeClaim(pe("full.dll"), (Dir / "huge.dll").string(), 0xFFFFF000,
                                         uint64_t{5} << 30));
  ASSERT_EQ(::mkfifo((Dir / "fifo.dll").c_str(), 0600), 0);
  fs::copy_file(pe("full.dll"), Dir / "-dash.dll");
  // CompanyName "Acme Widgets Ltd" becomes a terminal title, a screen clear
  // and a C1 CSI, at the same length.
  std::string b = Slurp(pe("full.dll"));
  const std::u16string from = u"Acme Widgets Ltd", to = u"\x1b]0;T\a\x1b[2J\u009b12345";
  const size_t at = b.find(std::string(reinterpret_cast<const char*>(from.data()), 32));
  ASSERT_NE(at, std::string::npos);
  b.replace(at, 32, reinterpret_cast<const char*>(to.data()), 32);
  Spit(Dir / "escape.dll", b);
  Check({
      {{"ver", pe("full32.dll")}, "", 0, "  CompanyName       Acme Widgets Ltd\n", ""},
      {{"ver", pe("full32.dll")}, "", 0, "  ProductVersion    5.6\n", ""},
      {{"ver", "--json", pe("two.dll"), pe("noversion.dll")}, "", 1,
       "\"CompanyName\": \"Acme (Deutsch)\"", ""},
      {{"ver", "--json", pe("two.dll"), pe("noversion.dll")}, "", 1, "\"found\": false", ""},
      {{"ver", pe("nosuch.dll")}, "", 3, "",
       "dz ver: Cannot open file \"" + pe("nosuch.dll") + "\". No such file or directory\n"},
      {{"ver", "huge.dll"}, "", 1, "", "no version information"},
      {{"ver", "fifo.dll"}, "", 3, "", "Not a regular file"},
      {{"ver", "/dev/zero"}, "", 3, "", "Not a regular file"},
      {{"ver", PeFixtures::Dir().string()}, "", 3, "", "Is a directory"},
      {{"ver", "--", "-dash.dll"}, "", 0, "Acme Widgets Ltd", ""},
      {{"ver", "--"}, "", 2, "", "needs a FILE"},
      {{"ver"}, "", 2, "", ""},
      {{"ver", "--bogus", "x"}, "", 2, "", ""},
      {{"ver", "escape.dll"}, "", 0,
       "  CompanyName       \\x1B]0;T\\x07\\x1B[2J\\u{9B}12345\n", ""},
      {{"ver", "--json", "escape.dll"}, "", 0, "\"\\u001b]0;T\\u0007\\u001b[2J\u009b12345\"", ""},
  });
  EXPECT_EQ(Run({"ver", "--json", pe("two.dll"), pe("noversion.dll")}).Out.front(), '[');
}

// Nothing reaches xdg-open as an option; with --wait the child's status is
// dz's; references are expanded.
TEST_F(Dz, RunAndEnvAsTheUserMeansThem) {
  // A stand-in xdg-open that records what it was given.
  Spit(Dir / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + (Dir / "got").string() + "'\n");
  fs::permissions(Dir / "xdg-open", fs::perms::owner_all);
  Spit(Dir / "-doc.txt", "text\n");
  Check({
      {{"run", "--wait", "-e://x"}, "", 3, "", ""},  // a scheme begins with a letter
      {{"run", "--wait", "--", "-doc.txt"}, "", 0, "", ""},  // by absolute path
      {{"run", "--wait", "https://example.org/-x"}, "", 0, "", ""},
      {{"run", "--wait", "/bin/sh", "-c \"exit 42\""}, "", 42, "", ""},
      {{"run", "/bin/sh", "-c \"exit 42\""}, "", 0, "", ""},  // started is done
      {{"run", "--wait", "/bin/echo", "\"a  b\" c"}, "", 0, "a  b c\n", ""},
      {{"run", "/no/such/program"}, "", 3, "",
       "dz run: Cannot open file \"/no/such/program\". No such file or directory\n"},
      {{"run", "/tmp"}, "", 3, "", ""},
      {{"run"}, "", 2, "", ""},
      {{"run", "--wait", "x", "y", "z"}, "", 2, "", ""},
      {{"env", "x=%DZ_CMD_VAR%, %dz_cmd_var%, 50%, %DZ_CMD_UNSET%"}, "", 0,
       "x=v a l, v a l, 50%, %DZ_CMD_UNSET%\n", ""},
      {{"env"}, "", 2, "", ""},
  }, {"PATH=" + Dir.string() + ":" + std::getenv("PATH"), "DZ_CMD_VAR=v a l"});
  EXPECT_EQ(Slurp(Dir / "got"), (Dir / "-doc.txt").string() + "\nhttps://example.org/-x\n");
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
  for (const std::string& table : {std::string("/dev/zero"), (Dir / "fifo").string()})
    Check({{{"lzy", "decompress", "bad.lzy", "out"}, "", 3, "", "Wrong stream format"}},
          {"DZ_STRING_TABLE=" + table});
}

}  // namespace
