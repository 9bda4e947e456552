// dz help: exit codes and messages, with a stand-in xdg-open on PATH.
#include <gtest/gtest.h>

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
    ASSERT_EQ(std::system(("cd '" + (Dir / "book").string() + "' && chmcmd book.hhp >/dev/null 2>&1").c_str()), 0);
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
  const Result absent = Run({"help", "book/book.chm"}, "", {Path, "DZ_HHCTRL_PATH=/nonexistent.so"});
  EXPECT_EQ(absent.Status, 3);
  EXPECT_EQ(absent.Err, "dz help: Can't load Library 'hhctrl.ocx'\n");
}

}  // namespace
}  // namespace dz::test
