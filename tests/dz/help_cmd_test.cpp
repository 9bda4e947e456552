// dz help: exit codes and messages, with a stand-in xdg-open on PATH that
// records the pages it is given, and how long those pages stay.
#include <signal.h>
#include <sys/stat.h>

#include "dz/DzHarness.h"
#include "help/HelpFixtures.h"

namespace dz::test {
namespace {

class DzHelp : public Dz {
 protected:
  void SetUp() override {
    Dz::SetUp();
    Opener.Install(Dir);
    if (!HaveProgram("chmcmd")) GTEST_SKIP() << "chmcmd (fp-utils) is not installed";
    if (!fs::exists(fs::path(DzPath()).parent_path() / "hhctrl.so"))
      GTEST_SKIP() << "the hhctrl plug-in was not built beside dz";
    ASSERT_FALSE(CompileBook(Dir / "book", SampleBook(), "book.chm").empty());
    fs::create_directories(Dir / "tmp");
    Tmp = {"TMPDIR=" + (Dir / "tmp").string()};
  }
  bool TmpIsEmpty() const { return fs::is_empty(Dir / "tmp"); }
  FakeOpener Opener;
  std::vector<std::string> Tmp;
};

// What is wrong with the arguments or the file, in one plain line; none of
// these may reach the plug-in, and nothing is left in the temporary folder.
// The control reads "file>window": a '>' of a file's own name must not make
// dz check one file and show another.
TEST_F(DzHelp, ExitCodesAndMessages) {
  fs::create_directories(Dir / "folder.chm");
  // Opening a FIFO would wait for a writer that never comes.
  ASSERT_EQ(::mkfifo((Dir / "pipe.chm").c_str(), 0600), 0);
  fs::copy_file(Dir / "book/book.chm", Dir / "x>y.chm");
  Spit(Dir / "x", "not a help file");
  Check({
      {{"help", "book/book.chm", "--wait", "0"}, "", 0, "", ""},
      {{"help", "--wait", "0", "book/book.chm::/index.htm"}, "", 0, "", ""},
      {{"help", "--wait", "0", "x>y.chm"}, "", 0, "", ""},
      {{"help", "--wait", "0", "x>y.chm::/index.htm"}, "", 0, "", ""},
      {{"help"}, "", 0, "usage: dz", ""},  // dz's own help
      {{"help", "--wait", "0", "book/book.chm>main"}, "", 3, "",
       "dz help: Cannot open file \"book/book.chm>main\""},
      {{"help", "book/book.chm::/none.htm"}, "", 3, "",
       "dz help: cannot show book/book.chm::/none.htm"},
      {{"help", "book/book.chm", "--context", "5"}, "", 3, "", "context number is not mapped"},
      {{"help", "book/index.htm"}, "", 3, "", "cannot show"},
      {{"help", "missing.chm"}, "", 3, "", "Cannot open file \"missing.chm\""},
      {{"help", "book/book.chm", "--toc", "--index"}, "", 2, "", "give one of"},
      {{"help", "book/book.chm", "--context", "x"}, "", 2, "", "not a context number"},
      {{"help", "book/book.chm::/index.htm", "--toc"}, "", 2, "", "a topic goes with FILE alone"},
      {{"help", "folder.chm"}, "", 3, "", "dz help: Cannot open file \"folder.chm\""},
      {{"help", "folder.chm::/index.htm"}, "", 3, "", "dz help: Cannot open file \"folder.chm\""},
      {{"help", "pipe.chm"}, "", 3, "", "dz help: \"pipe.chm\" is not a regular file"},
      {{"help", "none/missing.chm", "--toc"}, "", 3, "",
       "dz help: Cannot open file \"none/missing.chm\""},
      {{"help", "book/b\xE9.chm"}, "", 3, "",
       "dz help: argument \"book/b\\xE9.chm\": not valid UTF-8 at byte offset 6"},
      {{"help", "book/book.chm::/\xC0\xAF"}, "", 3, "", "dz help: argument"},
      {{"help", "--toc"}, "", 2, "", "dz help: help needs a FILE (try 'dz help --help')"},
      {{"help", "a.chm", "b.chm"}, "", 2, "", "dz help: one FILE only"},
      {{"help", "book/book.chm", "--topic"}, "", 2, "", "dz help: unknown option '--topic'"},
      {{"help", "book/book.chm", "--context"}, "", 2, "", "dz help: --context needs a number"},
      {{"help", "book/book.chm", "--context", "99999999999"}, "", 2, "",
       "dz help: '99999999999' is not a context number"},
      {{"help", "book/book.chm", "--wait", "-1"}, "", 2, "",
       "dz help: --wait needs a number of seconds"},
      {{"help", "book/book.chm", "--wait", "86401"}, "", 2, "", "dz help: --wait needs a number"},
      {{"help", "book/book.chm", "--wait"}, "", 2, "", "dz help: --wait needs a number of seconds"},
      // A C1 control in UTF-8: some terminals read U+009B as ESC [.
      {{"help", "\xC2\x9B" "2J.chm"}, "", 3, "", "dz help: Cannot open file \"\\xC2\\x9B2J.chm\""},
  }, Tmp);
  for (size_t n = 1; n <= 4; ++n) EXPECT_TRUE(Opener.Nth(n).ends_with("/index.htm")) << n;
  EXPECT_TRUE(TmpIsEmpty());
  Check({{{"help", "book/book.chm"}, "", 3, "", "dz help: Can't load Library 'hhctrl.ocx'\n"}},
        {"DZ_HHCTRL_PATH=/nonexistent.so"});
}

// The browser reads the pages after dz has handed them over: they stay for
// --wait seconds, or at a terminal until Enter, and a signal never leaves
// them behind.
TEST_F(DzHelp, PagesStayForTheBrowserAndGoOnASignal) {
  const std::vector<std::string> book{"help", "book/book.chm"};
  struct Case {
    const char* What;
    bool AtTerminal;
    std::vector<std::string> Args;
    std::string Keys;  // typed at the prompt
    int Signal;        // sent once the page is opened; 0: none
    int Status;
  } cases[] = {
      {"the wait ends", false, {"help", "book/book.chm", "--wait", "2"}, "", 0, 0},
      {"SIGTERM", false, book, "", SIGTERM, 128 + SIGTERM},
      {"SIGINT", false, book, "", SIGINT, 128 + SIGINT},
      {"SIGHUP", false, {"help", "book/book.chm::/index.htm"}, "", SIGHUP, 128 + SIGHUP},
      {"Enter", true, book, "\n", 0, 0},
      {"end of input", true, book, "\x04", 0, 0},
      {"Ctrl-C", true, book, "\x03", 0, 128 + SIGINT},
      {"SIGTERM at a terminal", true, book, "", SIGTERM, 128 + SIGTERM},
      {"SIGHUP at a terminal", true, book, "", SIGHUP, 128 + SIGHUP},
  };
  NoTerminal = true;
  size_t opened = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    OnTerminal t;
    if (c.AtTerminal) {
      ASSERT_TRUE(t.Start(Dir, c.Args, Tmp));
      ASSERT_TRUE(t.WaitFor("press Enter when done")) << t.Seen;
    }
    const pid_t pid = c.AtTerminal ? t.Pid : Start(c.Args, "", Tmp);
    EXPECT_EQ(Slurp(Opener.Nth(++opened)), Slurp(Dir / "book/index.htm"));
    if (!c.Keys.empty()) t.Type(c.Keys);
    if (c.Signal) ::kill(pid, c.Signal);
    EXPECT_EQ(c.AtTerminal ? t.Wait() : Wait(pid).Status, c.Status) << t.Seen;
    EXPECT_TRUE(TmpIsEmpty());
  }
}

}  // namespace
}  // namespace dz::test
