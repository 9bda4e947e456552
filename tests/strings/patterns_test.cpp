#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <utility>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"
#include "support/TemplateOracle.h"

namespace dz {
namespace {

using Patterns = test::EnUs;
using test::OracleFit;

UnicodeString U(std::string_view s) {
  return UnicodeString(s.begin(), s.end());
}

TEST_F(Patterns, EqualToSymbolsIgnoresOnlyTheSetBothTwins) {
  const std::tuple<const char*, const char*, const char*, bool> cases[] = {
      {"ab", "a b", " ", true},       {" a b ", "ab", " ", true}, {"a ", "a ", " ", true},
      {"a", "ab", " ", false},        {"A", "a", " ", false},     {"a\tb", "ab", " ", false},
      {"12-34", "1234.", "-.", true}, {"", "", "-.", true},       {"", "--", "-.", true},
      {"", "-x", "-.", false},        {"abc", "abc", "", true},   {"abc", "ab", "", false},
      {"x-", "x", "-", true},         {"-", "x", "-", false},
  };
  for (const auto& [a, b, symbols, equal] : cases) {
    SCOPED_TRACE(std::string(a) + "|" + b);
    EXPECT_EQ(EqualToSymbols(std::string_view(a), b, symbols), equal);
    EXPECT_EQ(EqualToSymbols(U(a), U(b), U(symbols)), equal);
    if (std::string_view(symbols) != " ") continue;
    EXPECT_EQ(EqualToSpaces(std::string_view(a), b), equal);
    EXPECT_EQ(EqualToSpaces(U(a), U(b)), equal);
  }
  // Symbols past the first 256 codes, and bytes above 127 read unsigned.
  EXPECT_TRUE(EqualToSymbols(u"a\u2013b", u"ab", u"\u2013"));
  EXPECT_FALSE(EqualToSymbols(u"a\u2014b", u"ab", u"\u2013"));
  EXPECT_FALSE(EqualToSymbols(u"a\u0113b", u"ab", u"\u2013"));  // same low byte, other code
  EXPECT_TRUE(EqualToSymbols(std::string_view("a\xE9z"), "az", "\xE9"));
  EXPECT_FALSE(EqualToSymbols(std::string_view("a\xE9z"), "az", "i"));
}

TEST_F(Patterns, FitToTemplateTable) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"abc", "a?c", true},     {"abc", "a*", true},      {"abc", "*c", true},
      {"abc", "a*c", true},     {"abc", "*b*", true},     {"abc", "abc", true},
      {"abc", "?b?", true},     {"abc", "*", true},       {"abc", "ab", false},
      {"abc", "abcd", false},   {"abc", "a*?", false},    {"abc", "**", false},
      {"ac", "a?c", false},     {"abcd", "a?c", false},   {"a", "a?", true},
      {"a", "a??", true},       {"a", "a?*", true},       {"a", "a?b", false},
      {"", "", true},           {"", "*", true},          {"", "?", true},
      {"", "**", false},        {"x", "", false},         {"a.txt.bak", "*.txt", false},
      {"abcbc", "*bc", true},   {"ABC", "a*c", false},    {"xa", "*a??", true},
      {"xab", "*a??", true},    {"xabcd", "*a??", false}, {"ab", "*a?b", false},
      {"a*b", "a?b", true},     {"a?b", "a*b", true},     {"axb", "a\\?b", false},
      {"aXbXc", "a*b?c", true}, {"abab", "*ab*ab", true}, {"aab", "*ab", true},
      {"abc", "??*", true},     {"", "??*", true},        {"abc", "??", false},
      {"abxxc", "*b?*c", true}, {"abc", "*?", false},     {"abc", "a*b*", true},
  };
  for (const auto& [text, templ, fits] : cases) {
    SCOPED_TRACE(std::string(text) + " ~ " + templ);
    EXPECT_EQ(FitToTemplate(std::string_view(text), templ, true), fits);
    EXPECT_EQ(FitToTemplate(U(text), U(templ), true), fits);
    EXPECT_EQ(OracleFit(U(text), U(templ)), fits) << "oracle";
  }
  // Backtracking would try on the order of n^8 placements here.
  const UnicodeString as(5000, u'a');
  EXPECT_FALSE(FitToTemplate(as, u"*a*a*a*a*a*a*a*a*b", true));
  EXPECT_TRUE(FitToTemplate(as + u"b", u"*a*a*a*a*a*a*a*a*b", true));
  EXPECT_TRUE(FitToTemplate(as, u"*a?a*a?a*a?a*a?a*a", true));
  EXPECT_FALSE(FitToTemplate(as, u"*a?a*a?a*a?a*a?a*ab?", true));
}

// Without the case flag letters fold as the locale maps them, beyond ASCII
// too; in Turkish "I" lowers to a dotless i, so folding ASCII letters alone
// would answer wrongly there.
TEST_F(Patterns, FitToTemplateFoldsAsTheLocaleDoes) {
  EXPECT_TRUE(FitToTemplate(std::string_view("ABC"), "a*c", false));
  EXPECT_TRUE(FitToTemplate(u"ABC", u"a*c", false));
  EXPECT_TRUE(FitToTemplate(u"\u00C9T\u00C9", u"\u00E9t?", false));
  EXPECT_FALSE(FitToTemplate(u"\u00C9T\u00C9", u"\u00E9t?", true));
  EXPECT_TRUE(FitToTemplate(std::string_view("\xC9T\xC9"), "\xE9t?", false));  // code page 1252
  EXPECT_TRUE(FitToTemplate(u"FILE.TXT", u"file.*", false));
  ASSERT_TRUE(win::SetSystemLocale("tr-TR"));
  EXPECT_FALSE(FitToTemplate(u"FILE.TXT", u"file.*", false));
  EXPECT_FALSE(FitToTemplate(std::string_view("FILE.TXT"), "file.*", false));
  EXPECT_TRUE(FitToTemplate(u"\u0130", u"i", false));
}

// Random small templates against random small texts over an alphabet that
// makes occurrences overlap, both widths and both case flags. The accented
// letters (the same bytes in code page 1252) send caseless cases down the
// locale's lower-casing instead of the ASCII folding.
TEST_F(Patterns, FitToTemplateAgreesWithBacktrackingOnRandomCases) {
  std::mt19937 rng(20260512);
  const char16_t textAlphabet[] = {u'a', u'b', u'A', 0xC9, u'*', u'?'};
  const char16_t templAlphabet[] = {u'a', u'b', u'A', u'B', 0xE9, u'*', u'*', u'?'};
  for (int round = 0; round < 100000; ++round) {
    UnicodeString text, templ;
    const bool accented = round % 4 == 0, caseSensitive = round & 1;
    for (int k = static_cast<int>(rng() % 10); k > 0; --k)
      text += textAlphabet[rng() % (round % 3 == 0 ? 6 : 3 + accented)];
    for (int k = static_cast<int>(rng() % 8); k > 0; --k) {
      const char16_t c = templAlphabet[rng() % 8];
      templ += c != 0xE9 || accented ? c : u'a';
    }
    const bool expected = caseSensitive ? OracleFit(text, templ)
                                        : OracleFit(WideLowerCase(text), WideLowerCase(templ));
    const std::string bytesText(text.begin(), text.end()), bytesTempl(templ.begin(), templ.end());
    SCOPED_TRACE(Utf16ToUtf8(text) + " ~ " + Utf16ToUtf8(templ) + " case " +
                 std::to_string(caseSensitive));
    ASSERT_EQ(FitToTemplate(text, templ, caseSensitive), expected);
    ASSERT_EQ(FitToTemplate(std::string_view(bytesText), bytesTempl, caseSensitive), expected);
  }
}

// The 16-bit twin alone takes an empty word as a whole word after a blank.
TEST_F(Patterns, ContainsAsWholeWordLooksAtTheFirstOccurrenceOnly) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"the cat sat", "cat", true}, {"cat-x", "cat", true}, {"concat cat", "cat", false},
      {"cat_x", "cat", false},      {"cat1", "cat", false}, {"cat", "cat", true},
      {"`cat", "cat", false},       {"a cat", "cat", true}, {"dog", "cat", false},
      {"", "cat", false},           {"Cat", "cat", false},  {"x.cat", "cat", true},
  };
  for (const auto& [text, word, whole] : cases) {
    EXPECT_EQ(ContainsAsWholeWord(std::string_view(text), word), whole) << text;
    EXPECT_EQ(ContainsAsWholeWord(U(text), U(word)), whole) << text;
  }
  EXPECT_FALSE(ContainsAsWholeWord(std::string_view(" x"), ""));
  EXPECT_TRUE(ContainsAsWholeWord(u" x", u""));
  EXPECT_FALSE(ContainsAsWholeWord(u"x ", u""));
  EXPECT_FALSE(ContainsAsWholeWord(u"", u""));
}

TEST_F(Patterns, AdjustLineBreaksMakesEveryBreakCrLf) {
  const std::pair<std::u16string_view, std::u16string_view> cases[] = {
      {u"a\nb", u"a\r\nb"},    {u"a\rb", u"a\r\nb"}, {u"\r\n", u"\r\n"},
      {u"\n\r", u"\r\n\r\n"},  {u"", u""},           {u"\r", u"\r\n"},
      {u"\r\r\n\n", u"\r\n\r\n\r\n"},
      {std::u16string_view(u"a\0\n", 3), std::u16string_view(u"a\0\r\n", 4)},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(AdjustLineBreaks(in), UnicodeString(out));
}

}  // namespace
}  // namespace dz
