// dz ver, dz run and dz env, run as a user runs them.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// cmd is a shell command line after "dz ".
Ran Dz(const std::string& cmd) {
  const char* bin = std::getenv("DZ_BIN");
  char tmpl[] = "/tmp/dz-cmd-XXXXXX";
  EXPECT_NE(::mkdtemp(tmpl), nullptr);
  const fs::path dir = tmpl;
  std::string line = Q(fs::absolute(bin ? bin : "dz").string());
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

}  // namespace
