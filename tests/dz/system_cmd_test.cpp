// dz ver, dz run and dz env, run as a user runs them.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "system/PeFixtures.h"

namespace {

namespace fs = std::filesystem;
using dz::test::PeFixtures;

std::string Q(const std::string& s) {
  std::string q = "'";
  q += s;
  q += '\'';
  return q;
}

struct Ran {
  int Status = -1;
  std::string Out, Err;
};

std::string Read(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// cmd is a shell command line after "dz "; before, a shell prefix such as
// "VAR=x timeout 20 ".
Ran Dz(const std::string& cmd, const std::string& before = "") {
  const char* bin = std::getenv("DZ_BIN");
  char tmpl[] = "/tmp/dz-cmd-XXXXXX";
  EXPECT_NE(::mkdtemp(tmpl), nullptr);
  const fs::path dir = tmpl;
  std::string line = before + Q(fs::absolute(bin ? bin : "dz").string());
  line += ' ';
  line += cmd;
  line += " >" + Q((dir / "out").string()) + " 2>" + Q((dir / "err").string());
  const int rc = std::system(line.c_str());
  Ran r{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, Read(dir / "out"), Read(dir / "err")};
  fs::remove_all(dir);
  return r;
}


class DzSystem : public ::testing::Test {
 protected:
  void SetUp() override { DZ_NEED_PE_FIXTURES(); }
};

TEST_F(DzSystem, VerPrintsTheRecord) {
  const Ran r = Dz("ver " + Q(PeFixtures::Path("full32.dll")));
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("  CompanyName       Acme Widgets Ltd\n"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("  ProductVersion    5.6\n"), std::string::npos) << r.Out;
}

TEST_F(DzSystem, VerJsonAndExitCodes) {
  Ran r = Dz("ver --json " + Q(PeFixtures::Path("two.dll")) + " " +
             Q(PeFixtures::Path("noversion.dll")));
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Out.find("\"CompanyName\": \"Acme (Deutsch)\""), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("\"found\": false"), std::string::npos) << r.Out;
  EXPECT_EQ(r.Out.front(), '[');
  r = Dz("ver " + Q(PeFixtures::Path("nosuch.dll")));
  EXPECT_EQ(r.Status, 3);
  EXPECT_EQ(r.Err, "dz ver: Cannot open file \"" + PeFixtures::Path("nosuch.dll") +
                       "\". No such file or directory\n");
  r = Dz("ver " + Q(PeFixtures::Dir().string()));
  EXPECT_EQ(r.Status, 3);
  EXPECT_NE(r.Err.find("Is a directory"), std::string::npos);
  EXPECT_EQ(Dz("ver").Status, 2);
  EXPECT_EQ(Dz("ver --bogus x").Status, 2);
}

// Hostile files: a version resource claiming 4 GiB of a sparse file, a FIFO,
// a device, control characters in the strings, a file named like an option.
TEST_F(DzSystem, VerStandsHostileFiles) {
  const fs::path dir = PeFixtures::Dir();
  ASSERT_TRUE(PeFixtures::WriteHugeClaim(PeFixtures::Path("full.dll"), (dir / "huge.dll").string(),
                                         0xFFFFF000, uint64_t{5} << 30));
  fs::remove(dir / "fifo.dll");
  ASSERT_EQ(::mkfifo((dir / "fifo.dll").c_str(), 0600), 0);
  fs::copy_file(PeFixtures::Path("full.dll"), dir / "-dash.dll", fs::copy_options::overwrite_existing);
  {
    // CompanyName "Acme Widgets Ltd" becomes a terminal title, a screen
    // clear and a C1 CSI, at the same length.
    std::ifstream in(PeFixtures::Path("full.dll"), std::ios::binary);
    std::string b{std::istreambuf_iterator<char>(in), {}};
    const std::u16string from = u"Acme Widgets Ltd", to = u"\x1b]0;T\a\x1b[2J\u009b12345";
    const std::string f(reinterpret_cast<const char*>(from.data()), 32);
    const size_t at = b.find(f);
    ASSERT_NE(at, std::string::npos);
    b.replace(at, 32, reinterpret_cast<const char*>(to.data()), 32);
    std::ofstream(dir / "escape.dll", std::ios::binary) << b;
  }
  struct Case {
    std::string Args;
    int Status;
    std::string Out, Err;  // found in stdout, stderr
  } const cases[] = {
      {Q((dir / "huge.dll").string()), 1, "", "no version information"},
      {Q((dir / "fifo.dll").string()), 3, "", "Not a regular file"},
      {"/dev/zero", 3, "", "Not a regular file"},
      {"-- " + Q((dir / "-dash.dll").string()), 0, "Acme Widgets Ltd", ""},
      {"--", 2, "", "needs a FILE"},
      {Q((dir / "escape.dll").string()), 0, "  CompanyName       \\x1B]0;T\\x07\\x1B[2J\\u{9B}12345\n", ""},
      {"--json " + Q((dir / "escape.dll").string()), 0, "\"\\u001b]0;T\\u0007\\u001b[2J\u009b12345\"", ""},
  };
  for (const Case& c : cases) {
    const Ran r = Dz("ver " + c.Args, "timeout 20 ");
    EXPECT_EQ(r.Status, c.Status) << c.Args << ": " << r.Err;
    EXPECT_NE(r.Out.find(c.Out), std::string::npos) << c.Args << ": " << r.Out;
    EXPECT_NE(r.Err.find(c.Err), std::string::npos) << c.Args << ": " << r.Err;
    EXPECT_EQ(r.Out.find('\x1b'), std::string::npos) << c.Args;
  }
  fs::remove(dir / "huge.dll");
}

TEST(DzRun, NothingReachesXdgOpenAsAnOption) {
  char tmpl[] = "/tmp/dz-xdg-XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  const fs::path dir = tmpl;
  // A stand-in xdg-open that records what it was given.
  std::ofstream(dir / "xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> " << Q((dir / "got").string())
                                  << "\n";
  fs::permissions(dir / "xdg-open", fs::perms::owner_all);
  std::ofstream(dir / "-doc.txt") << "text\n";
  const std::string env = "cd " + Q(dir.string()) + " && PATH=" + Q(dir.string()) + ":$PATH ";
  struct Case {
    std::string Args;
    int Status;
  } const cases[] = {
      {"--wait -e://x", 3},           // not a URL: a scheme begins with a letter
      {"--wait -- -doc.txt", 0},      // a document, handed over by its absolute path
      {"--wait 'https://example.org/-x'", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Dz("run " + c.Args, env).Status, c.Status) << c.Args;
  std::ifstream got(dir / "got");
  for (std::string line; std::getline(got, line);) EXPECT_NE(line[0], '-') << line;
  EXPECT_EQ(Read(dir / "got"), (dir / "-doc.txt").string() + "\nhttps://example.org/-x\n");
  fs::remove_all(dir);
}

TEST(DzRun, ExitStatusOfTheChildWithWait) {
  EXPECT_EQ(Dz("run --wait /bin/sh '-c \"exit 42\"'").Status, 42);
  EXPECT_EQ(Dz("run /bin/sh '-c \"exit 42\"'").Status, 0);  // started is done
  const Ran r = Dz("run --wait /bin/echo '\"a  b\" c'");
  EXPECT_EQ(r.Out, "a  b c\n");
}

TEST(DzRun, WhatCannotStartFails) {
  Ran r = Dz("run /no/such/program");
  EXPECT_EQ(r.Status, 3);
  EXPECT_EQ(r.Err, "dz run: Cannot open file \"/no/such/program\". No such file or directory\n");
  EXPECT_EQ(Dz("run /tmp").Status, 3);
  EXPECT_EQ(Dz("run").Status, 2);
  EXPECT_EQ(Dz("run --wait x y z").Status, 2);
}

TEST(DzEnv, ExpandsReferences) {
  const Ran r = Dz("env 'x=%DZ_CMD_VAR%, %DZ_CMD_UNSET%' ");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, "x=%DZ_CMD_VAR%, %DZ_CMD_UNSET%\n");
  ::setenv("DZ_CMD_VAR", "v a l", 1);
  EXPECT_EQ(Dz("env 'x=%DZ_CMD_VAR%, %dz_cmd_var%, 50%'").Out, "x=v a l, v a l, 50%\n");
  EXPECT_EQ(Dz("env").Status, 2);
}

TEST(DzEnv, HugeExpansionsAreCutWithAMessage) {
  // 400 references to 32,000 characters: 12.8 million wanted, 32,766 given.
  ::setenv("DZ_CMD_BIG", std::string(32000, 'a').c_str(), 1);
  std::string text;
  for (int i = 0; i < 400; ++i) text += "%DZ_CMD_BIG%";
  const Ran r = Dz("env " + Q(text));
  EXPECT_EQ(r.Status, 3);
  EXPECT_EQ(r.Out, std::string(32766, 'a') + "\n");
  EXPECT_EQ(r.Err, "dz env: the expansion needs 12800000 characters; it is cut at 32766, the "
                   "most Windows gives\n");
  ::unsetenv("DZ_CMD_BIG");
}

// A string table that is a device or a FIFO is not read when an error is
// reported: the built-in message stands.
TEST(DzStringTable, DevicesAreNotRead) {
  char tmpl[] = "/tmp/dz-strtab-XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  const fs::path dir = tmpl;
  std::ofstream(dir / "bad.lzy") << "not a stream";
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  for (const std::string& table : {std::string("/dev/zero"), (dir / "fifo").string()}) {
    const Ran r = Dz("lzy decompress " + Q((dir / "bad.lzy").string()) + " " +
                         Q((dir / "out").string()),
                     "DZ_STRING_TABLE=" + Q(table) + " timeout 20 ");
    EXPECT_EQ(r.Status, 3) << table;
    EXPECT_NE(r.Err.find("Wrong stream format"), std::string::npos) << table << ": " << r.Err;
  }
  fs::remove_all(dir);
}

}  // namespace
