#include <gtest/gtest.h>

#include <random>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"
#include "support/TemplateOracle.h"

namespace dz {
namespace {

using Patterns = test::EnUs;

UnicodeString U(std::string_view s) {
  return UnicodeString(s.begin(), s.end());
}

TEST_F(Patterns, EqualToSymbolsIgnoresOnlyTheSetBothTwins) {
  struct Case {
    const char* a;
    const char* b;
    const char* symbols;
    bool equal;
  } cases[] = {
      {"ab", "a b", " ", true},       {" a b ", "ab", " ", true}, {"a ", "a ", " ", true},
      {"a", "ab", " ", false},        {"A", "a", " ", false},     {"a\tb", "ab", " ", false},
      {"12-34", "1234.", "-.", true}, {"", "", "-.", true},       {"", "--", "-.", true},
      {"", "-x", "-.", false},        {"abc", "abc", "", true},   {"abc", "ab", "", false},
      {"x-", "x", "-", true},         {"-", "x", "-", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EqualToSymbols(std::string_view(c.a), c.b, c.symbols), c.equal) << c.a << "|" << c.b;
    EXPECT_EQ(EqualToSymbols(U(c.a), U(c.b), U(c.symbols)), c.equal) << c.a << "|" << c.b;
    if (std::string_view(c.symbols) == " ") {
      EXPECT_EQ(EqualToSpaces(std::string_view(c.a), c.b), c.equal) << c.a << "|" << c.b;
      EXPECT_EQ(EqualToSpaces(U(c.a), U(c.b)), c.equal) << c.a << "|" << c.b;
    }
  }
}

TEST_F(Patterns, EqualToSymbolsHandlesWideAndHighSymbols) {
  // Symbols past the first 256 codes, and bytes above 127 read unsigned.
  EXPECT_TRUE(EqualToSymbols(u"a\u2013b", u"ab", u"\u2013"));
  EXPECT_FALSE(EqualToSymbols(u"a\u2014b", u"ab", u"\u2013"));
  EXPECT_FALSE(EqualToSymbols(u"a\u0113b", u"ab", u"\u2013"));  // same low byte, other code
  EXPECT_TRUE(EqualToSymbols(std::string_view("a\xE9"
                                              "b"),
                             "ab", "\xE9"));
  EXPECT_FALSE(EqualToSymbols(std::string_view("a\xE9"
                                               "b"),
                              "ab", "i"));
}

using test::OracleFit;

TEST_F(Patterns, FitToTemplateTable) {
  struct Case {
    const char* text;
    const char* templ;
    bool fits;
  } cases[] = {
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
  for (const auto& c : cases) {
    EXPECT_EQ(FitToTemplate(std::string_view(c.text), c.templ, true), c.fits)
        << c.text << " ~ " << c.templ;
    EXPECT_EQ(FitToTemplate(U(c.text), U(c.templ), true), c.fits) << c.text << " ~ " << c.templ;
    EXPECT_EQ(OracleFit(U(c.text), U(c.templ)), c.fits) << "oracle: " << c.text << " ~ " << c.templ;
  }
}

TEST_F(Patterns, FitToTemplateCaseFlagUsesTheLocaleMapping) {
  EXPECT_TRUE(FitToTemplate(std::string_view("ABC"), "a*c", false));
  EXPECT_TRUE(FitToTemplate(u"ABC", u"a*c", false));
  EXPECT_TRUE(FitToTemplate(u"\u00C9T\u00C9", u"\u00E9t?", false));  // full mapping, not ASCII only
  EXPECT_FALSE(FitToTemplate(u"\u00C9T\u00C9", u"\u00E9t?", true));
  EXPECT_TRUE(FitToTemplate(std::string_view("\xC9T\xC9"), "\xE9t?", false));  // code page 1252
}

TEST_F(Patterns, FitToTemplateDoesNotBlowUpOnManyStars) {
  // Backtracking would try on the order of n^8 placements here.
  const UnicodeString text(5000, u'a');
  EXPECT_FALSE(FitToTemplate(text, u"*a*a*a*a*a*a*a*a*b", true));
  EXPECT_TRUE(FitToTemplate(text + u"b", u"*a*a*a*a*a*a*a*a*b", true));
  EXPECT_TRUE(FitToTemplate(text, u"*a?a*a?a*a?a*a?a*a", true));
  EXPECT_FALSE(FitToTemplate(text, u"*a?a*a?a*a?a*a?a*ab?", true));
}

// Random small templates against random small texts over an alphabet that
// makes occurrences overlap, both widths and both case flags. The accented
// letters (the same bytes in code page 1252) send caseless cases down the
// locale's lower-casing instead of the ASCII folding.
TEST_F(Patterns, FitToTemplateAgreesWithBacktrackingOnRandomCases) {
  std::mt19937 rng(20260512);
  const char16_t textAlphabet[] = {u'a', u'b', u'A', 0xC9, u'*', u'?'};
  const char16_t templAlphabet[] = {u'a', u'b', u'A', u'B', 0xE9, u'*', u'*', u'?'};
  int checked = 0;
  for (int round = 0; round < 100000; ++round) {
    UnicodeString text, templ;
    const int tl = std::uniform_int_distribution<int>(0, 9)(rng);
    const int pl = std::uniform_int_distribution<int>(0, 7)(rng);
    const bool accented = round % 4 == 0;
    for (int k = 0; k < tl; ++k) text += textAlphabet[rng() % (round % 3 == 0 ? 6 : 3 + accented)];
    for (int k = 0; k < pl; ++k) {
      const char16_t c = templAlphabet[rng() % 8];
      templ += c != 0xE9 || accented ? c : u'a';
    }
    const bool caseSensitive = round & 1;
    const bool expected = caseSensitive ? OracleFit(text, templ)
                                        : OracleFit(WideLowerCase(text), WideLowerCase(templ));
    const std::string bytesText(text.begin(), text.end()), bytesTempl(templ.begin(), templ.end());
    ASSERT_EQ(FitToTemplate(text, templ, caseSensitive), expected)
        << Utf16ToUtf8(text) << " ~ " << Utf16ToUtf8(templ) << " case " << caseSensitive;
    ASSERT_EQ(FitToTemplate(std::string_view(bytesText), bytesTempl, caseSensitive), expected)
        << Utf16ToUtf8(text) << " ~ " << Utf16ToUtf8(templ) << " case " << caseSensitive;
    ++checked;
  }
  EXPECT_EQ(checked, 100000);
}

TEST_F(Patterns, FitToTemplateFoldsAsTheLocaleDoes) {
  // In Turkish "I" lowers to a dotless i, so folding ASCII letters alone would
  // answer wrongly there.
  EXPECT_TRUE(FitToTemplate(u"FILE.TXT", u"file.*", false));
  ASSERT_TRUE(win::SetSystemLocale("tr-TR"));
  EXPECT_FALSE(FitToTemplate(u"FILE.TXT", u"file.*", false));
  EXPECT_FALSE(FitToTemplate(std::string_view("FILE.TXT"), "file.*", false));
  EXPECT_TRUE(FitToTemplate(u"\u0130", u"i", false));
  ASSERT_TRUE(win::SetSystemLocale("en-US"));
}

TEST_F(Patterns, ContainsAsWholeWordLooksAtTheFirstOccurrenceOnly) {
  struct Case {
    const char* text;
    const char* word;
    bool whole;
  } cases[] = {
      {"the cat sat", "cat", true}, {"cat-x", "cat", true}, {"concat cat", "cat", false},
      {"cat_x", "cat", false},      {"cat1", "cat", false}, {"cat", "cat", true},
      {"`cat", "cat", false},       {"a cat", "cat", true}, {"dog", "cat", false},
      {"", "cat", false},           {"Cat", "cat", false},  {"x.cat", "cat", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ContainsAsWholeWord(std::string_view(c.text), c.word), c.whole) << c.text;
    EXPECT_EQ(ContainsAsWholeWord(U(c.text), U(c.word)), c.whole) << c.text;
  }
}

TEST_F(Patterns, ContainsAsWholeWordEmptyWordDiffersBetweenTwins) {
  EXPECT_FALSE(ContainsAsWholeWord(std::string_view(" x"), ""));
  EXPECT_TRUE(ContainsAsWholeWord(u" x", u""));
  EXPECT_FALSE(ContainsAsWholeWord(u"x ", u""));
  EXPECT_FALSE(ContainsAsWholeWord(u"", u""));
}

TEST_F(Patterns, AdjustLineBreaksMakesEveryBreakCrLf) {
  struct Case {
    std::u16string_view in, out;
  } cases[] = {
      {u"a\nb", u"a\r\nb"},
      {u"a\rb", u"a\r\nb"},
      {u"\r\n", u"\r\n"},
      {u"\n\r", u"\r\n\r\n"},
      {u"", u""},
      {u"\r", u"\r\n"},
      {u"\r\r\n\n", u"\r\n\r\n\r\n"},
      {std::u16string_view(u"a\0\n", 3), std::u16string_view(u"a\0\r\n", 4)},
  };
  for (const auto& c : cases) EXPECT_EQ(AdjustLineBreaks(c.in), UnicodeString(c.out));
}

}  // namespace
}  // namespace dz
