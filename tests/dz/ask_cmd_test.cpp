// dz ask at a terminal; where no box can be shown at all, and its bad
// arguments, are rows of dz_test's table.
#include "dz/DzHarness.h"

namespace dz::test {
namespace {

// At a terminal the question is text to read, not commands for the
// terminal; the end of input there is no answer, and says so.
TEST_F(Dz, AskAtATerminalShowsTheQuestionNotObeysIt) {
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

}  // namespace
}  // namespace dz::test
