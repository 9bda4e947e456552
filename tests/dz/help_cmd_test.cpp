// dz help: exit codes and messages, with a stand-in xdg-open on PATH that
// records the pages it is given, and how long those pages stay.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>

#include "dz/DzHarness.h"
#include "dz/PtyHarness.h"

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
    fs::create_directories(Dir / "tmp");
    Spit(Dir / "bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + Log().string() + "'\n");
    fs::permissions(Dir / "bin/xdg-open", fs::perms::owner_all);
    Path = "PATH=" + (Dir / "bin").string() + ":" + std::getenv("PATH");
    Tmp = "TMPDIR=" + (Dir / "tmp").string();
  }
  fs::path Log() const { return Dir / "opened.log"; }
  // The n-th page the opener was given (from 1), once it is there; "" after
  // a minute without it (the opener runs detached, and a loaded machine is
  // slow).
  std::string Opened(size_t n) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
      std::istringstream in(Slurp(Log()));
      std::string line;
      for (size_t i = 0; i < n && std::getline(in, line);) ++i == n ? void() : line.clear();
      if (!line.empty() || std::chrono::steady_clock::now() > deadline) return line;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  bool TmpIsEmpty() const { return fs::is_empty(Dir / "tmp"); }
  std::string Path, Tmp;
};

// What is wrong with the arguments or the file, in one plain line; none of
// these may reach the plug-in, and nothing is left in the temporary folder.
TEST_F(DzHelp, ExitCodesAndMessages) {
  fs::create_directories(Dir / "folder.chm");
  // Opening a FIFO would wait for a writer that never comes.
  ASSERT_EQ(::mkfifo((Dir / "pipe.chm").c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> Args;
    int Status;
    std::string Err;  // a part of standard error
  } cases[] = {
      {{"help", "book/book.chm", "--wait", "0"}, 0, ""},
      {{"help", "--wait", "0", "book/book.chm::/index.htm"}, 0, ""},
      {{"help"}, 0, ""},  // dz's own help
      {{"help", "book/book.chm::/none.htm"}, 3, "dz help: cannot show book/book.chm::/none.htm"},
      {{"help", "book/book.chm", "--context", "5"}, 3, "context number is not mapped"},
      {{"help", "book/index.htm"}, 3, "cannot show"},
      {{"help", "missing.chm"}, 3, "Cannot open file \"missing.chm\""},
      {{"help", "book/book.chm", "--toc", "--index"}, 2, "give one of"},
      {{"help", "book/book.chm", "--context", "x"}, 2, "not a context number"},
      {{"help", "book/book.chm::/index.htm", "--toc"}, 2, "a topic goes with FILE alone"},
      {{"help", "folder.chm"}, 3, "dz help: Cannot open file \"folder.chm\""},
      {{"help", "folder.chm::/index.htm"}, 3, "dz help: Cannot open file \"folder.chm\""},
      {{"help", "pipe.chm"}, 3, "dz help: \"pipe.chm\" is not a regular file"},
      {{"help", "none/missing.chm", "--toc"}, 3, "dz help: Cannot open file \"none/missing.chm\""},
      {{"help", "book/b\xE9.chm"}, 3,
       "dz help: argument \"book/b\\xE9.chm\": not valid UTF-8 at byte offset 6"},
      {{"help", "book/book.chm::/\xC0\xAF"}, 3, "dz help: argument"},
      {{"help", "--toc"}, 2, "dz help: help needs a FILE (try 'dz help --help')"},
      {{"help", "a.chm", "b.chm"}, 2, "dz help: one FILE only"},
      {{"help", "book/book.chm", "--topic"}, 2, "dz help: unknown option '--topic'"},
      {{"help", "book/book.chm", "--context"}, 2, "dz help: --context needs a number"},
      {{"help", "book/book.chm", "--context", "99999999999"}, 2,
       "dz help: '99999999999' is not a context number"},
      {{"help", "book/book.chm", "--wait", "-1"}, 2, "dz help: --wait needs a number of seconds"},
      {{"help", "book/book.chm", "--wait", "86401"}, 2, "dz help: --wait needs a number"},
      {{"help", "book/book.chm", "--wait"}, 2, "dz help: --wait needs a number of seconds"},
      // A C1 control in UTF-8: some terminals read U+009B as ESC [.
      {{"help", "\xC2\x9B" "2J.chm"}, 3, "dz help: Cannot open file \"\\xC2\\x9B2J.chm\""},
  };
  for (const Case& c : cases) {
    const Result r = Run(c.Args, "", {Path, Tmp});
    SCOPED_TRACE(c.Args.back());
    EXPECT_EQ(r.Status, c.Status) << r.Err;
    EXPECT_NE(r.Err.find(c.Err), std::string::npos) << r.Err;
    if (c.Status != 0) {
      EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    }
  }
  EXPECT_TRUE(TmpIsEmpty());
  const Result absent =
      Run({"help", "book/book.chm"}, "", {Path, "DZ_HHCTRL_PATH=/nonexistent.so"});
  EXPECT_EQ(absent.Status, 3);
  EXPECT_EQ(absent.Err, "dz help: Can't load Library 'hhctrl.ocx'\n");
}

// The browser reads the pages after dz has handed them over: without a
// terminal they stay for --wait seconds (or until a signal), and a signal
// never leaves them behind.
TEST_F(DzHelp, PagesStayForTheBrowserAndGoOnASignal) {
  NoTerminal = true;
  struct Case {
    const char* What;
    std::vector<std::string> Args;
    int Signal;  // sent once the page is opened; 0: none
    int Status;
  } cases[] = {
      {"the wait ends", {"help", "book/book.chm", "--wait", "2"}, 0, 0},
      {"SIGTERM", {"help", "book/book.chm"}, SIGTERM, 128 + SIGTERM},
      {"SIGINT", {"help", "book/book.chm"}, SIGINT, 128 + SIGINT},
      {"SIGHUP", {"help", "book/book.chm::/index.htm"}, SIGHUP, 128 + SIGHUP},
  };
  size_t opened = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const pid_t pid = Start(c.Args, "", {Path, Tmp});
    const std::string page = Opened(++opened);
    ASSERT_FALSE(page.empty());
    EXPECT_EQ(Slurp(page), "<html><body>Hello</body></html>\n");
    if (c.Signal) ::kill(pid, c.Signal);
    EXPECT_EQ(Wait(pid).Status, c.Status);
    EXPECT_TRUE(TmpIsEmpty());
  }
}

TEST_F(DzHelp, AtATerminalEnterOrASignalRemovesThePages) {
  struct Case {
    const char* What;
    std::string Keys;  // typed at the prompt
    int Signal;
    int Status;
  } cases[] = {
      {"Enter", "\n", 0, 0},
      {"end of input", "\x04", 0, 0},
      {"Ctrl-C", "\x03", 0, 128 + SIGINT},
      {"SIGTERM", "", SIGTERM, 128 + SIGTERM},
      {"SIGHUP", "", SIGHUP, 128 + SIGHUP},
  };
  size_t opened = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    OnTerminal t;
    ASSERT_TRUE(t.Start(Dir, {"help", "book/book.chm"}, {Path, Tmp}));
    ASSERT_TRUE(t.WaitFor("press Enter when done")) << t.Seen;
    const std::string page = Opened(++opened);
    EXPECT_EQ(Slurp(page), "<html><body>Hello</body></html>\n");
    t.Type(c.Keys);
    if (c.Signal) ::kill(t.Pid, c.Signal);
    EXPECT_EQ(t.Wait(), c.Status) << t.Seen;
    EXPECT_TRUE(TmpIsEmpty());
  }
}

// The control reads "file>window"; a '>' of a file's own name must not make
// dz check one file and show another.
TEST_F(DzHelp, WhatIsCheckedIsWhatIsShown) {
  fs::copy_file(Dir / "book/book.chm", Dir / "x>y.chm");
  Spit(Dir / "x", "not a help file");
  struct Case {
    std::string Name;
    int Status;
    std::string Err;
  } cases[] = {
      {"x>y.chm", 0, ""},
      {"x>y.chm::/index.htm", 0, ""},
      {"book/book.chm>main", 3, "dz help: Cannot open file \"book/book.chm>main\""},
  };
  size_t opened = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const Result r = Run({"help", "--wait", "0", c.Name}, "", {Path, Tmp});
    EXPECT_EQ(r.Status, c.Status) << r.Err;
    EXPECT_TRUE(r.Err.starts_with(c.Err)) << r.Err;
    if (c.Status == 0) {
      EXPECT_TRUE(Opened(++opened).ends_with("/index.htm"));
    }
  }
}

}  // namespace
}  // namespace dz::test
