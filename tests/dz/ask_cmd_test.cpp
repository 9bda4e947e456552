// dz ask and dz info where no box or window can be shown, and their bad
// arguments: the exit code of the table and one plain line on stderr.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dz/DzHarness.h"
#include "dz/PtyHarness.h"

namespace dz::test {
namespace {

// No display, no GTK plug-in, and (NoTerminal) no controlling terminal.
const std::vector<std::string> kNowhere = {"DISPLAY=", "WAYLAND_DISPLAY=",
                                           "DZ_GTK_PLUGIN=/nonexistent/libdz_gtk.so"};

using DzAsk = Dz;

// With no box anywhere, the answer on standard input must not be taken for
// one from the user: that is a failure; bad arguments say what is wrong.
TEST_F(DzAsk, NoBoxAnywhereIsAFailureNotAnAnswer) {
  NoTerminal = true;
  const struct {
    std::vector<std::string> Args;
    int Status;
    std::string Err;  // what standard error starts with
  } cases[] = {
      {{"ask", "Go on?"}, 3, "dz: no message box could be shown (no display and no terminal)"},
      {{"ask", "--default-no", "Go on?"}, 3, "dz: no message box could be shown"},
      {{"ask", "--", "--help"}, 3, "dz: no message box could be shown"},
      {{"ask", "--default-no", "--", "-"}, 3, "dz: no message box could be shown"},
      {{"info", "Working", "--seconds", "0"}, 3, "dz: no window can be shown here"},
      {{"ask"}, 2, "dz ask: ask takes [--default-no] [--] TEXT (try 'dz ask --help')"},
      {{"ask", "--", "a", "b"}, 2, "dz ask: ask takes"},
      {{"ask", "--", "--", "a"}, 2, "dz ask: ask takes"},
      {{"ask", "--default-no"}, 2, "dz ask: ask takes"},
      {{"ask", "one", "two"}, 2, "dz ask: ask takes"},
      {{"ask", "--yes", "Go?"}, 2, "dz ask: ask takes"},
      {{"ask", "caf\xC3"}, 3, "dz ask: argument \"caf\\xC3\": not valid UTF-8 at byte offset 3"},
      {{"ask", "two\nlines\xFF"}, 3, "dz ask: argument \"two\\x0Alines\\xFF\": not valid UTF-8 at byte offset 9"},
      {{"info"}, 2, "dz info: info takes TEXT [--seconds N]"},
      {{"info", "--seconds", "2"}, 2, "dz info: info takes TEXT"},
      {{"info", "Hi", "--seconds"}, 2, "dz info: --seconds needs a number"},
      {{"info", "Hi", "--seconds", "x"}, 2, "dz info: --seconds needs a number of seconds from 0 to 86400"},
      {{"info", "Hi", "--seconds", "-1"}, 2, "dz info: --seconds needs a number of seconds"},
      {{"info", "Hi", "--seconds", "2s"}, 2, "dz info: --seconds needs a number of seconds"},
      {{"info", "Hi", "--seconds", "nan"}, 2, "dz info: --seconds needs a number of seconds"},
      {{"info", "Hi", "--seconds", "1e9"}, 2, "dz info: --seconds needs a number of seconds"},
      {{"info", "Hi", "--seconds", ""}, 2, "dz info: --seconds needs a number of seconds"},
      {{"info", "\xFF"}, 3, "dz info: argument \"\\xFF\": not valid UTF-8 at byte offset 0"},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.Args, "y\n", kNowhere);
    std::string shown;
    for (const std::string& a : c.Args) shown += " " + a;
    SCOPED_TRACE(shown);
    EXPECT_EQ(r.Status, c.Status) << r.Err;
    EXPECT_TRUE(r.Err.starts_with(c.Err)) << r.Err;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    EXPECT_TRUE(r.Err.ends_with("\n")) << r.Err;
    EXPECT_EQ(r.Out, "");
  }
}

// At a terminal the question is text to read, not commands for the
// terminal; the end of input there is no answer, and says so.
TEST_F(DzAsk, AtATerminalTheQuestionIsShownNotObeyed) {
  const struct {
    std::string Text, Keys;
    int Status;
    std::string Seen;  // a part of what the terminal shows
  } cases[] = {
      {"Retitle\x1b]0;pwned\x07?", "y\n", 0, "Retitle\\x1B]0;pwned\\x07? [Y/n]"},
      {"Clear\x1b[2J\xc2\x9b" "2J?", "n\n", 1, "Clear\\x1B[2J\\xC2\\x9B2J? [Y/n]"},
      {"Back\rspace\x7f?", "\n", 0, "Back\\x0Dspace\\x7F? [Y/n]"},
      {"Two\n\tlines?", "\n", 0, "Two\r\n\tlines? [Y/n]"},
      {"Go on?", "\x04", 3, "dz ask: no answer: the input at the terminal ended\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    OnTerminal t;
    ASSERT_TRUE(t.Start(Dir, {"ask", c.Text}, kNowhere));
    ASSERT_TRUE(t.WaitFor("[Y/n] ")) << t.Seen;
    t.Type(c.Keys);
    EXPECT_EQ(t.Wait(), c.Status) << t.Seen;
    EXPECT_NE(t.Seen.find(c.Seen), std::string::npos) << t.Seen;
    EXPECT_EQ(t.Seen.find_first_of("\x1b\x07\x7f"), std::string::npos) << t.Seen;
  }
}

TEST_F(DzAsk, HelpDocumentsTheExitWithoutABox) {
  const Result r = Run({"ask", "--help"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_NE(r.Out.find("3 when no box could be shown"), std::string::npos) << r.Out;
}

}  // namespace
}  // namespace dz::test
