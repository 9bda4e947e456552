// dz help: exit codes and messages, with a stand-in xdg-open on PATH.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "dz/DzHarness.h"

namespace dz::test {
namespace {

class DzHelp : public Dz {
 protected:
  void SetUp() override {
    Dz::SetUp();
    if (std::system("command -v chmcmd >/dev/null 2>&1") != 0)
      GTEST_SKIP() << "chmcmd (fp-utils) is not installed";
    if (!fs::exists(fs::path(DzPath()).parent_path() / "hhctrl.so"))
      GTEST_SKIP() << "the hhctrl plug-in was not built beside dz";
    fs::create_directories(Dir / "book");
    Spit(Dir / "book/index.htm", "<html><body>Hello</body></html>\n");
    Spit(Dir / "book/book.hhp",
         "[OPTIONS]\nCompiled file=book.chm\nDefault topic=index.htm\n\n[FILES]\nindex.htm\n");
    ASSERT_EQ(
        std::system(
            ("cd '" + (Dir / "book").string() + "' && chmcmd book.hhp >/dev/null 2>&1").c_str()),
        0);
    fs::create_directories(Dir / "bin");
    Spit(Dir / "bin/xdg-open", "#!/bin/sh\nexit 0\n");
    fs::permissions(Dir / "bin/xdg-open", fs::perms::owner_all);
    Path = "PATH=" + (Dir / "bin").string() + ":" + std::getenv("PATH");
  }
  std::string Path;
};

TEST_F(DzHelp, ExitCodesAndMessages) {
  struct Case {
    std::vector<std::string> Args;
    int Status;
    std::string Err;  // a part of standard error
  } cases[] = {
      {{"help", "book/book.chm"}, 0, ""},
      {{"help", "book/book.chm::/index.htm"}, 0, ""},
      {{"help", "book/book.chm::/none.htm"}, 3, "dz help: cannot show book/book.chm::/none.htm"},
      {{"help", "book/book.chm", "--context", "5"}, 3, "context number is not mapped"},
      {{"help", "book/index.htm"}, 3, "cannot show"},
      {{"help", "missing.chm"}, 3, "Cannot open file \"missing.chm\""},
      {{"help", "book/book.chm", "--toc", "--index"}, 2, "give one of"},
      {{"help", "book/book.chm", "--context", "x"}, 2, "not a context number"},
      {{"help", "book/book.chm::/index.htm", "--toc"}, 2, "a topic goes with FILE alone"},
      {{"help"}, 0, ""},  // dz's own help
  };
  for (const Case& c : cases) {
    const Result r = Run(c.Args, "", {Path});
    EXPECT_EQ(r.Status, c.Status) << c.Args.back() << ": " << r.Err;
    EXPECT_NE(r.Err.find(c.Err), std::string::npos) << r.Err;
  }
  const Result absent =
      Run({"help", "book/book.chm"}, "", {Path, "DZ_HHCTRL_PATH=/nonexistent.so"});
  EXPECT_EQ(absent.Status, 3);
  EXPECT_EQ(absent.Err, "dz help: Can't load Library 'hhctrl.ocx'\n");
}

// What is wrong with the arguments or the file, in one plain line; none of
// these may reach the plug-in.
TEST_F(DzHelp, BadArgumentsAndFilesInOneLine) {
  fs::create_directories(Dir / "folder.chm");
  // Opening a FIFO would wait for a writer that never comes.
  ASSERT_EQ(::mkfifo((Dir / "pipe.chm").c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> Args;
    int Status;
    std::string Err;  // what standard error starts with
  } cases[] = {
      {{"help", "folder.chm"}, 3, "dz help: Cannot open file \"folder.chm\""},
      {{"help", "folder.chm::/index.htm"}, 3, "dz help: Cannot open file \"folder.chm\""},
      {{"help", "pipe.chm"}, 3, "dz help: \"pipe.chm\" is not a regular file"},
      {{"help", "none/missing.chm", "--toc"}, 3, "dz help: Cannot open file \"none/missing.chm\""},
      {{"help", "book/b\xE9.chm"},
       3,
       "dz help: argument \"book/b\\xE9.chm\": not valid UTF-8 at byte offset 6"},
      {{"help", "book/book.chm::/\xC0\xAF"}, 3, "dz help: argument"},
      {{"help", "--toc"}, 2, "dz help: help needs a FILE (try 'dz help --help')"},
      {{"help", "a.chm", "b.chm"}, 2, "dz help: one FILE only"},
      {{"help", "book/book.chm", "--topic"}, 2, "dz help: unknown option '--topic'"},
      {{"help", "book/book.chm", "--context"}, 2, "dz help: --context needs a number"},
      {{"help", "book/book.chm", "--context", "99999999999"},
       2,
       "dz help: '99999999999' is not a context number"},
  };
  for (const Case& c : cases) {
    const Result r = Run(c.Args, "", {Path});
    SCOPED_TRACE(c.Args[1]);
    EXPECT_EQ(r.Status, c.Status) << r.Err;
    EXPECT_TRUE(r.Err.starts_with(c.Err)) << r.Err;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
  }
}

}  // namespace
}  // namespace dz::test
