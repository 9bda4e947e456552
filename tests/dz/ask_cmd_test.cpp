// dz ask and dz info where no box or window can be shown, and their bad
// arguments: the exit code of the table and one plain line on stderr.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dz/DzHarness.h"

namespace dz::test {
namespace {

// No display, no GTK plug-in, and (NoTerminal) no controlling terminal.
const std::vector<std::string> kNowhere = {"DISPLAY=", "WAYLAND_DISPLAY=",
                                           "DZ_GTK_PLUGIN=/nonexistent/libdz_gtk.so"};

struct Case {
  std::vector<std::string> Args;
  int Status;
  std::string Err;  // what standard error starts with
};

class DzAsk : public Dz {
 protected:
  void Check(const Case& c) {
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
};

TEST_F(DzAsk, NoBoxAnywhereIsAFailureNotAnAnswer) {
  NoTerminal = true;
  // The answer on standard input must not be taken for one from the user.
  const Case cases[] = {
      {{"ask", "Go on?"}, 3, "dz: no message box could be shown (no display and no terminal)"},
      {{"ask", "--default-no", "Go on?"}, 3, "dz: no message box could be shown"},
      {{"info", "Working", "--seconds", "0"}, 3, "dz: no window can be shown here"},
  };
  for (const Case& c : cases) Check(c);
}

TEST_F(DzAsk, BadArgumentsSayWhatIsWrong) {
  NoTerminal = true;
  const Case cases[] = {
      {{"ask"}, 2, "dz ask: ask takes [--default-no] TEXT (try 'dz ask --help')"},
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
  for (const Case& c : cases) Check(c);
}

TEST_F(DzAsk, HelpDocumentsTheExitWithoutABox) {
  const Result r = Run({"ask", "--help"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_NE(r.Out.find("3 when no box could be shown"), std::string::npos) << r.Out;
}

}  // namespace
}  // namespace dz::test
