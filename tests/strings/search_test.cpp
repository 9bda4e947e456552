#include <gtest/gtest.h>

#include <array>
#include <random>
#include <tuple>
#include <utility>

#include "deziva27/strings/YStrings.h"
#include "support/Lists.h"
#include "support/Locale.h"
#include "support/TemplateOracle.h"

namespace dz {
namespace {

// Search rows hold 8-bit text: the substring, the text, the start, the
// occurrence, and the position found. Each runs through both twins unless the
// twins are meant to differ, which the rows spell out.
using PosCase = std::tuple<const char*, const char*, int32_t, int32_t, int32_t>;

std::string Trace(const char* sub, const char* text, int32_t start, int32_t occurrence) {
  return std::string(sub) + " in " + text + " from " + std::to_string(start) + " #" +
         std::to_string(occurrence);
}

// Lower-case rows read the same without case: CXPos must agree with XPos.
TEST(ForwardSearch, XPosCountsOverlappingMatches) {
  const PosCase cases[] = {
      {"aa", "aaaa", 1, 1, 1}, {"aa", "aaaa", 1, 3, 3}, {"aa", "aaaa", 1, 4, 0},
      {"b", "abcb", 3, 1, 4},  {"b", "abcb", 0, 1, 2},  {"b", "abcb", -9, 2, 4},
      {"b", "abcb", 5, 1, 0},  {"b", "abcb", 4, 1, 4},  {"b", "abcb", 1, 0, 0},
      {"", "abc", 1, 1, 0},    {"a", "", 1, 1, 0},      {"cb", "abcb", 3, 1, 3},
  };
  for (const auto& [sub, text, start, occurrence, expected] : cases) {
    SCOPED_TRACE(Trace(sub, text, start, occurrence));
    EXPECT_EQ(XPos(sub, text, start, occurrence), expected);
    EXPECT_EQ(XPos(ToUnicode(sub), ToUnicode(text), start, occurrence), expected);
    EXPECT_EQ(CXPos(sub, text, start, occurrence), expected);
    EXPECT_EQ(CXPos(ToUnicode(sub), ToUnicode(text), start, occurrence), expected);
    if (start != 1) continue;
    EXPECT_EQ(PosNum(sub, text, occurrence), expected);
    EXPECT_EQ(PosNum(ToUnicode(sub), ToUnicode(text), occurrence), expected);
  }
}

TEST(BackwardSearch, TwinsChooseTheFirstPositionDifferently) {
  const std::tuple<const char*, const char*, int32_t, int32_t, int32_t, int32_t> cases[] = {
      {"b", "abcb", 0, 1, 4, 0},   {"b", "abcb", -1, 1, 4, 4},  {"b", "abcb", -2, 1, 4, 0},
      {"b", "abcb", 3, 1, 2, 2},   {"b", "abcb", 4, 2, 2, 2},   {"b", "abcb", 4, 1, 4, 4},
      {"b", "abcb", 1, 1, 0, 0},   {"b", "abcb", 2, 3, 0, 0},   {"bc", "abcbc", 5, 1, 4, 4},
      {"aa", "aaaa", 0, 3, 1, 0},  {"aa", "aaaa", -1, 2, 2, 2}, {"abcde", "abc", 0, 1, 0, 0},
      {"", "abc", 2, 1, 0, 0},     {"a", "", -1, 1, 0, 0},      {"b", "abcb", 4, 0, 0, 0},
  };
  for (const auto& [sub, text, start, occurrence, narrow, wide] : cases) {
    SCOPED_TRACE(Trace(sub, text, start, occurrence));
    EXPECT_EQ(BXPos(sub, text, start, occurrence), narrow);
    EXPECT_EQ(BXPos(ToUnicode(sub), ToUnicode(text), start, occurrence), wide);
  }
}

using CaselessSearch = test::EnUs;

// Both operands fold. U+0130 lower-cases to two units outside Turkish;
// positions after it must still point into the given text, and replaced text
// must keep its pieces.
TEST_F(CaselessSearch, FoldsBothOperandsAndMapsPositionsBack) {
  EXPECT_EQ(CXPos("AB", "xaBab", 1, 2), 4);
  EXPECT_EQ(CXPos(u"AB", u"xaBab", 1, 2), 4);
  EXPECT_EQ(CXPos("ab", "XABAB", 3, 1), 4);
  EXPECT_EQ(CXPos(u"ab", u"XABAB", 3, 1), 4);
  EXPECT_EQ(CPos("CD", "abcd"), 3);
  EXPECT_EQ(CPos(u"\u0416", u"\u0430\u0436"), 2);
  // The empty substring: the host's Pos finds it nowhere, the library's own
  // 16-bit search at 1 of a non-empty text.
  EXPECT_EQ(CPos("", "abc"), 0);
  EXPECT_EQ(CPos(u"", u"abc"), 1);
  EXPECT_EQ(CPos(u"", u""), 0);
  const std::u16string text = u"\u0130x\u0130AbcAB";
  EXPECT_EQ(CXPos(u"ab", text, 1, 2), 7);
  EXPECT_EQ(CXPos(u"ab", text, 5, 1), 7);
  EXPECT_EQ(CXPos(u"\u0130", text, 1, 2), 3);
  EXPECT_EQ(CPos(u"BC", text), 5);
  EXPECT_EQ(XReplaceStr(text, u"ab", u"-", false), u"\u0130x\u0130-c-");
  EXPECT_EQ(XReplaceStr(text, u"\u0130", u"I", false), u"IxIAbcAB");
  EXPECT_EQ(XReplaceStr(u"a\u0130b", u"\u0307", u"", false), u"ab");
}

TEST(Replacement, LeftToRightWithoutRescanning) {
  const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
      {"aaaa", "aa", "a", "aa", "aa"},      {"axb", "x", "xx", "axxb", "axxb"},
      {"abc", "", "Z", "abc", "abc"},       {"ABCabc", "abc", "X", "ABCX", "XX"},
      {"aAaA", "a", "", "AA", ""},          {"", "a", "b", "", ""},
      {"xAbX", "aB", "<$0>", "xAbX", "x<$0>X"},
  };
  for (const auto& [text, from, to, sensitive, insensitive] : cases) {
    SCOPED_TRACE(std::string(text) + " / " + from);
    const UnicodeString wText = ToUnicode(text), wFrom = ToUnicode(from), wTo = ToUnicode(to);
    EXPECT_EQ(ReplaceStr(text, from, to), sensitive);
    EXPECT_EQ(ReplaceStr(wText, wFrom, wTo), ToUnicode(sensitive));
    EXPECT_EQ(XReplaceStr(text, from, to, true), sensitive);
    EXPECT_EQ(XReplaceStr(text, from, to, false), insensitive);
    EXPECT_EQ(XReplaceStr(wText, wFrom, wTo, false), ToUnicode(insensitive));
  }
  EXPECT_EQ(XReplaceStr(u"\u0414\u0434", u"\u0434", u"+", false), u"++");
  EXPECT_EQ(EraseSymbol(" a b ", ' '), "ab");
  EXPECT_EQ(EraseSymbol(u"\u0100a\u0100", u'\u0100'), u"a");
}

// The parts are trimmed only when the separator is found; an empty separator
// is found nowhere by the 8-bit twins, at 1 by the 16-bit ones.
TEST(SeparatorCuts, TrimOnlyWhenFound) {
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {"(", "English (US)", "English", "US)"}, {"=", "name = value", "name", "value"},
      {"=", " x ", " x ", " x "},              {"::", "\ta :: b :: c", "a", "b :: c"},
      {"=", "=", "", ""},                      {"=", "", "", ""},
  };
  for (const auto& [separator, text, before, after] : cases) {
    SCOPED_TRACE(std::string(separator) + " on " + text);
    EXPECT_EQ(GetBeforeSep(separator, text), before);
    EXPECT_EQ(GetAfterSep(separator, text), after);
    EXPECT_EQ(GetBeforeSep(ToUnicode(separator), ToUnicode(text)), ToUnicode(before));
    EXPECT_EQ(GetAfterSep(ToUnicode(separator), ToUnicode(text)), ToUnicode(after));
  }
  EXPECT_EQ(GetBeforeSep("", " x "), " x ");
  EXPECT_EQ(GetAfterSep("", " x "), " x ");
  EXPECT_EQ(GetBeforeSep(u"", u" x "), u"");
  EXPECT_EQ(GetAfterSep(u"", u" x "), u"x");
}

// Only the 16-bit EndsBy folds beyond ASCII.
TEST(PrefixAndSuffix, CaseRulesDiffer) {
  const std::tuple<const char*, const char*, bool, bool, bool> cases[] = {
      {"ab", "abc", true, true, false},      {"ab", "Abc", false, true, false},
      {"", "abc", true, true, true},         {"", "", true, true, true},
      {"abcd", "abc", false, false, false},  {".TXT", "file.txt", false, false, true},
      {"BC", "abc", false, false, true},     {"file.txt", "txt", false, false, false},
  };
  for (const auto& [affix, text, starts, startsCaseless, endsBy] : cases) {
    SCOPED_TRACE(std::string(affix) + " / " + text);
    const UnicodeString wAffix = ToUnicode(affix), wText = ToUnicode(text);
    EXPECT_EQ(StartsWith(affix, text), starts);
    EXPECT_EQ(StartsWith(wAffix, wText), starts);
    EXPECT_EQ(XStartsWith(affix, text, true), starts);
    EXPECT_EQ(XStartsWith(affix, text, false), startsCaseless);
    EXPECT_EQ(XStartsWith(wAffix, wText, false), startsCaseless);
    EXPECT_EQ(EndsBy(affix, text), endsBy);
    EXPECT_EQ(EndsBy(wAffix, wText), endsBy);
  }
  EXPECT_TRUE(EndsBy(u"\u00c9T\u00c9", u"\u00e9t\u00e9"));
  EXPECT_FALSE(EndsBy(ToAnsi(u"\u00c9"), ToAnsi(u"caf\u00e9")));
  EXPECT_TRUE(XStartsWith(u"\u0416\u0416", u"\u0436\u0436\u0436", false));
}

using Patterns = test::EnUs;
using test::OracleFit;

TEST_F(Patterns, EqualToSymbolsIgnoresOnlyTheSetBothTwins) {
  const std::tuple<const char*, const char*, const char*, bool> cases[] = {
      {"ab", "a b", " ", true},       {" a b ", "ab", " ", true}, {"a", "ab", " ", false},
      {"A", "a", " ", false},         {"a\tb", "ab", " ", false}, {"12-34", "1234.", "-.", true},
      {"", "", "-.", true},           {"", "--", "-.", true},     {"", "-x", "-.", false},
      {"abc", "abc", "", true},       {"x-", "x", "-", true},     {"-", "x", "-", false},
  };
  for (const auto& [a, b, symbols, equal] : cases) {
    SCOPED_TRACE(std::string(a) + "|" + b);
    EXPECT_EQ(EqualToSymbols(std::string_view(a), b, symbols), equal);
    EXPECT_EQ(EqualToSymbols(ToUnicode(a), ToUnicode(b), ToUnicode(symbols)), equal);
    if (std::string_view(symbols) != " ") continue;
    EXPECT_EQ(EqualToSpaces(std::string_view(a), b), equal);
    EXPECT_EQ(EqualToSpaces(ToUnicode(a), ToUnicode(b)), equal);
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
      {"abc", "a?c", true},     {"abc", "a*c", true},     {"abc", "*b*", true},
      {"abc", "abc", true},     {"abc", "?b?", true},     {"abc", "*", true},
      {"abc", "ab", false},     {"abc", "abcd", false},   {"abc", "a*?", false},
      {"abc", "**", false},     {"ac", "a?c", false},     {"a", "a??", true},
      {"a", "a?*", true},       {"a", "a?b", false},      {"", "", true},
      {"", "*", true},          {"", "?", true},          {"", "**", false},
      {"x", "", false},         {"a.txt.bak", "*.txt", false}, {"abcbc", "*bc", true},
      {"ABC", "a*c", false},    {"xa", "*a??", true},     {"xab", "*a??", true},
      {"xabcd", "*a??", false}, {"ab", "*a?b", false},    {"a*b", "a?b", true},
      {"a?b", "a*b", true},     {"axb", "a\\?b", false},  {"aXbXc", "a*b?c", true},
      {"abab", "*ab*ab", true}, {"aab", "*ab", true},     {"abc", "??*", true},
      {"", "??*", true},        {"abc", "??", false},     {"abxxc", "*b?*c", true},
  };
  for (const auto& [text, templ, fits] : cases) {
    SCOPED_TRACE(std::string(text) + " ~ " + templ);
    EXPECT_EQ(FitToTemplate(std::string_view(text), templ, true), fits);
    EXPECT_EQ(FitToTemplate(ToUnicode(text), ToUnicode(templ), true), fits);
    EXPECT_EQ(OracleFit(ToUnicode(text), ToUnicode(templ)), fits) << "oracle";
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
      {"cat_x", "cat", false},      {"cat", "cat", true},   {"`cat", "cat", false},
      {"a cat", "cat", true},       {"dog", "cat", false},  {"Cat", "cat", false},
  };
  for (const auto& [text, word, whole] : cases) {
    EXPECT_EQ(ContainsAsWholeWord(std::string_view(text), word), whole) << text;
    EXPECT_EQ(ContainsAsWholeWord(ToUnicode(text), ToUnicode(word)), whole) << text;
  }
  EXPECT_FALSE(ContainsAsWholeWord(std::string_view(" x"), ""));
  EXPECT_TRUE(ContainsAsWholeWord(u" x", u""));
  EXPECT_FALSE(ContainsAsWholeWord(u"x ", u""));
  EXPECT_FALSE(ContainsAsWholeWord(u"", u""));
}

TEST_F(Patterns, AdjustLineBreaksMakesEveryBreakCrLf) {
  const std::pair<std::u16string_view, std::u16string_view> cases[] = {
      {u"a\nb", u"a\r\nb"},    {u"a\rb", u"a\r\nb"}, {u"\n\r", u"\r\n\r\n"},
      {u"", u""},              {u"\r\r\n\n", u"\r\n\r\n\r\n"},
      {std::u16string_view(u"a\0\n", 3), std::u16string_view(u"a\0\r\n", 4)},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(AdjustLineBreaks(in), UnicodeString(out));
}

TEST(Padding, CutsToWidthFromTheStartOnBothSides) {
  const std::tuple<const char*, int32_t, char, const char*, const char*> cases[] = {
      {"abc", 5, '*', "abc**", "**abc"}, {"abcdef", 3, '0', "abc", "abc"},
      {"abc", 3, '0', "abc", "abc"},     {"abc", 0, '0', "", ""},
      {"abc", -2, '0', "", ""},          {"", 2, '.', "..", ".."},
  };
  for (const auto& [s, width, c, right, left] : cases) {
    SCOPED_TRACE(std::string(s) + " " + std::to_string(width));
    EXPECT_EQ(Padr(s, width, c), right);
    EXPECT_EQ(Padl(s, width, c), left);
    EXPECT_EQ(Padr(ToUnicode(s), width, static_cast<WideChar>(c)), ToUnicode(right));
    EXPECT_EQ(Padl(ToUnicode(s), width, static_cast<WideChar>(c)), ToUnicode(left));
  }
  // Repetition: counts below one give nothing.
  EXPECT_EQ(SpaceW(-1), u"");
  EXPECT_EQ(Replicate('*', -1), "");
  EXPECT_EQ(ReplicateStr("ab", -1), "");
  EXPECT_EQ(SpaceW(3), u"   ");
  EXPECT_EQ(SpaceA(2), "  ");
  EXPECT_EQ(Replicate(u'\u0436', 2), u"\u0436\u0436");  // the 16-bit overload
  EXPECT_EQ(ReplicateStr("ab", 3), "ababab");
  EXPECT_EQ(ConcatWChar(u"ab", u'\u0436'), u"ab\u0436");
}

using CaseAndCounting = test::EnUs;

TEST_F(CaseAndCounting, CapitalizeFirst) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"hELLO wORLD", u"Hello world"},     {u"", u""},
      {u"x", u"X"},                         {u"1ABC", u"1abc"},
      {u"\u00e9COLE", u"\u00c9cole"},       {u"\u0436\u0416", u"\u0416\u0436"},
      {u"\u00dfA", u"SSa"},
      {u"\U00010428\U00010400", u"\U00010400\U00010428"},  // Deseret: a pair stays whole
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(in));
    EXPECT_EQ(CapitalizeFirst(in), out);
  }
  EXPECT_EQ(CapitalizeFirst("hELLO"), "Hello");
  EXPECT_EQ(CapitalizeFirst(ToAnsi(u"\u00e9COLE")), ToAnsi(u"\u00c9cole"));
  EXPECT_EQ(CharCount(std::string_view("a\0a", 3), 'a'), 2);  // on past a NUL
  EXPECT_EQ(CharCount(u"\u0436,\u0436", u'\u0436'), 2);
}

TEST(FileNames, ExtensionRules) {
  // The name, OnlyFileName, YChangeFileExt(".bak") and YExtractFileExt.
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {R"(C:\d.old\f.tar.gz)", R"(C:\d.old\f)", R"(C:\d.old\f.bak)", R"(.old\f.tar.gz)"},
      {R"(C:\d.old\f)", R"(C:\d.old\f)", R"(C:\d.old\f.bak)", R"(.old\f)"},
      {".profile", "", ".bak", ".profile"},  {"a.tar.gz", "a", "a.bak", ".tar.gz"},
      {"name", "name", "name.bak", ""},      {"", "", ".bak", ""},
      {R"(d\.h)", R"(d\)", R"(d\.bak)", ".h"}, {R"(d\)", R"(d\)", R"(d\.bak)", ""},
      {"a/b.c/d", "a/b", "a/b.bak", ".c/d"},  // a slash separates nothing
  };
  for (const auto& [name, only, changed, ext] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(OnlyFileName(name), only);
    EXPECT_EQ(YChangeFileExt(name, ".bak"), changed);
    EXPECT_EQ(YExtractFileExt(name), ext);
    EXPECT_EQ(OnlyFileName(ToUnicode(name)), ToUnicode(only));
    EXPECT_EQ(YChangeFileExt(ToUnicode(name), u".bak"), ToUnicode(changed));
    EXPECT_EQ(YExtractFileExt(ToUnicode(name)), ToUnicode(ext));
  }
}

// The joins side by side: where a row's twins agree the two columns match.
TEST(Paths, JoinsDifferBetweenTwins) {
  const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
      {"a", "b", "\\", R"(a\b)", R"(a\b)"},    {R"(a\)", "b", "\\", R"(a\b)", R"(a\b)"},
      {"a", R"(\b)", "\\", R"(a\b)", R"(a\b)"}, {R"(a\)", R"(\b)", "\\", R"(a\b)", R"(a\\b)"},
      {"", "b", "\\", "b", "b"},                {"a", "", "\\", "a", "a"},
      {"a", "b", "/", "a/b", "a/b"},   {"a/", "/b", "/", "a/b", "a//b"},
      {"a/", "b", "/", "a/b", "a/b"},  {"a", "/b", "/", "a/b", "a/b"},
      {"a", "b", "", "ab", "ab"},      {R"(a\)", "b", "/", R"(a\/b)", R"(a\b)"},
      {"a::", "b", "::", "a::::b", "a::b"},  // the 8-bit twin sees no two-character separator
  };
  for (const auto& [first, second, separator, narrow, wide] : cases) {
    SCOPED_TRACE(std::string(first) + " + " + second + " by " + separator);
    EXPECT_EQ(XConcPath(first, second, separator), narrow);
    EXPECT_EQ(XConcPath(ToUnicode(first), ToUnicode(second), ToUnicode(separator)),
              ToUnicode(wide));
    if (std::string_view(separator) != "\\") continue;
    EXPECT_EQ(ConcPath(first, second), narrow);
    EXPECT_EQ(ConcPath(ToUnicode(first), ToUnicode(second)), ToUnicode(wide));
  }
  EXPECT_EQ(FixPath(R"(C:\temp)"), R"(C:\temp\)");
  EXPECT_EQ(FixPath(u"C:\\temp\\"), u"C:\\temp\\");
  EXPECT_EQ(FixPath(""), "");
  EXPECT_EQ(ConcNames("Table", "Field"), "Table.Field");
  EXPECT_EQ(ConcNames(u"", u"x"), u"x");
  EXPECT_EQ(ConcNames("x", ""), "x");
}

using test::Items;
using Strings = std::vector<UnicodeString>;
using StringLists = test::EnUs;

TEST_F(StringLists, InsertToStringsClampsThePosition) {
  const std::pair<int32_t, const char16_t*> cases[] = {
      {1, u"XYabc"}, {2, u"aXYbc"}, {4, u"abcXY"}, {99, u"abcXY"}, {0, u"XYabc"}, {-5, u"XYabc"}};
  for (const auto& [position, result] : cases) {
    TStringList list{u"first", u"abc"};
    InsertToStrings(list, 1, position, u"XY");
    EXPECT_EQ(Items(list), (Strings{u"first", result})) << position;
  }
  TStringList list{u"a"};
  EXPECT_THROW(InsertToStrings(list, 1, 1, u"x"), EListError);
}

// Both lines are checked before anything is cut.
TEST_F(StringLists, DeleteFromStringsJoinsTheCutLines) {
  const std::tuple<int32_t, int32_t, int32_t, int32_t, Strings> cases[] = {
      {0, 2, 2, 2, {u"ahi", u"jkl"}},    {1, 1, 1, 3, {u"abc", u"f", u"ghi", u"jkl"}},
      {0, 1, 3, 4, {u""}},               {1, 2, 1, 2, {u"abc", u"def", u"ghi", u"jkl"}},
      {0, 9, 3, 9, {u"abc"}},            {0, 0, 1, -3, {u"def", u"ghi", u"jkl"}},
      {0, 4, 1, 1, {u"abcdef", u"ghi", u"jkl"}},  // joins two lines
      {2, 1, 1, 1, {u"abc", u"def", u"ghi", u"jkl"}},  // last line before the first
  };
  for (const auto& [l1, c1, l2, c2, result] : cases) {
    TStringList list{u"abc", u"def", u"ghi", u"jkl"};
    DeleteFromStrings(list, l1, c1, l2, c2);
    EXPECT_EQ(Items(list), result) << l1 << "," << c1 << " " << l2 << "," << c2;
  }
  TStringList list{u"abc", u"def"};
  EXPECT_THROW(DeleteFromStrings(list, 0, 2, 5, 1), EListError);
  EXPECT_THROW(DeleteFromStrings(list, -1, 2, 1, 1), EListError);
  EXPECT_EQ(Items(list), (Strings{u"abc", u"def"}));
}

// Every form at one width gives name and value: the pair, and the output
// arguments (which hold stale text first); "=" also the forms that assume it.
template <class View>
void ExpectSplit(View sep, View text, View name, View value) {
  using Str = std::basic_string<typename View::value_type>;
  const std::pair<Str, Str> expected(name, value);
  const auto viaOutputs = [](auto split) {
    std::pair<Str, Str> r(Str(2, 's'), Str(2, 's'));
    split(r.first, r.second);
    return r;
  };
  EXPECT_EQ(GetNameAndValueSep(sep, text), expected);
  EXPECT_EQ(viaOutputs([&](Str& n, Str& v) { GetNameAndValueSep(sep, text, n, v); }), expected);
  if (sep.size() != 1 || sep[0] != '=') return;
  EXPECT_EQ(GetNameAndValue(text), expected);
  EXPECT_EQ(viaOutputs([&](Str& n, Str& v) { GetNameAndValue(text, n, v); }), expected);
}

TEST_F(StringLists, NameAndValueSplitAtTheFirstSeparator) {
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {"=", "a=b=c", "a", "b=c"},     {"=", "abc", "abc", ""}, {":=", "x:=1", "x", "1"},
      {"=", " a = b ", " a ", " b "}, {"=", "=", "", ""},      {"=", "", "", ""},
      {":=", "x:1", "x:1", ""},       {"=", "a=", "a", ""},    {"==", "a===b", "a", "=b"},
  };
  for (const auto& [sep, text, name, value] : cases) {
    SCOPED_TRACE(text);
    ExpectSplit<std::string_view>(sep, text, name, value);
    ExpectSplit<std::u16string_view>(ToUnicode(sep), ToUnicode(text), ToUnicode(name),
                                     ToUnicode(value));
  }
  // An empty separator: all name in the 8-bit twin, all value in the 16-bit.
  ExpectSplit<std::string_view>("", "abc", "abc", "");
  ExpectSplit<std::u16string_view>(u"", u"abc", u"", u"abc");
}

TEST_F(StringLists, MembershipFormsFoldCaseDifferently) {
  TStringList list{u"x", u"abc", u"ABC", u"\u00E9t\u00E9"};
  EXPECT_EQ(IndexOfString(list, u"ABC"), 1);
  EXPECT_EQ(IndexOfString(list, u"\u00C9T\u00C9"), -1);
  EXPECT_EQ(IndexOfString(list, u"\u00E9T\u00E9"), 3);
  EXPECT_EQ(IndexOfString(list, u"ab"), -1);
  EXPECT_EQ(IndexOfString(TStringList{}, u""), -1);
  EXPECT_TRUE(StrInList(u"yes", {u"No", u"YES"}));
  EXPECT_FALSE(StrInList(u"maybe", {u"No", u"YES"}));
  // Only the locale-aware forms fold letters beyond ASCII.
  EXPECT_FALSE(StrInList(u"\u00C9T\u00C9", {u"\u00E9t\u00E9"}));
  EXPECT_TRUE(StrInListW(u"\u00C9T\u00C9", {u"x", u"\u00E9t\u00E9"}));
  EXPECT_TRUE(StrInListA("\xC9T\xC9", {"x", "\xE9t\xE9"}));  // code page 1252
  EXPECT_FALSE(StrInListA("\xC9T\xC9", std::span<const AnsiString>()));
  const std::array<UnicodeString, 2> held{u"a", u"B"};
  EXPECT_TRUE(StrInList(u"b", held));
  EXPECT_TRUE(StrInListW(u"A", held));
  EXPECT_FALSE(StrInListW(u"c", held));
}

// StrPCat stops at an embedded NUL; ClearPChar clears exactly count elements.
TEST_F(StringLists, CharacterBuffers) {
  char buf[16] = "ab";
  EXPECT_EQ(StrPCat(buf, AnsiString("cd\0ef", 5)), buf);
  StrPCat(buf, "");
  EXPECT_STREQ(buf, "abcd");
  ClearPChar(buf, 3);
  EXPECT_EQ(std::string(buf, 5), std::string("\0\0\0d", 5));
  char16_t w[3] = {u'x', u'y', u'z'};
  ClearPChar(w, 0);
  EXPECT_EQ(std::u16string(w, 3), u"xyz");
  ClearPChar(w, 2);
  EXPECT_EQ(std::u16string(w, 3), std::u16string(u"\0\0z", 3));
}

// DelimitedText quotes every item; composing splits outside quotes only.
TEST_F(StringLists, DelimitedTextAndComposing) {
  EXPECT_EQ(DelimitedText(TStringList{}, u',', u'\''), u"");
  EXPECT_EQ(DelimitedText(TStringList{u"a,b"}, u',', u'\''), u"'a,b'");
  EXPECT_EQ(DelimitedText(TStringList{u"a", u"it's", u"", u"x\r\n"}, u';', u'\''),
            u"'a';'it''s';'';'x'#13#10");
  EXPECT_EQ(DelimitedText(TStringList{u"\t"}, u',', u'"'), u"\"\"#9");
  const std::pair<std::u16string_view, Strings> cases[] = {
      {u"   ", {}},                     {u"a,,b", {u"a", u"", u"b"}},
      {u"a,", {u"a", u""}},             {u" a , b ", {u"a", u"b"}},
      {u"\"a,b\",c", {u"a,b", u"c"}},   {u"\"a\"\"b\",\"\"", {u"a\"b", u""}},
      {u"\"x\"y,z", {u"x", u"z"}},  // reading stops after the literal
      {u"\"ab\"#13#10,#65#66", {u"ab\r\n", u"AB"}},
      {u"\"a,b", {u"a,b"}},                // unterminated: the rest is one item
      {u"'a,b',c", {u"'a", u"b'", u"c"}},  // the apostrophe is no quote here
  };
  for (const auto& [text, items] : cases) {
    TStringList list{u"stale"};
    ComposeCommaText(text, list);
    EXPECT_EQ(Items(list), items) << Utf16ToUtf8(text);
  }
  TStringList list;
  ComposeText(u"'a;b';c,d", u';', u'\'', list);
  EXPECT_EQ(Items(list), (Strings{u"a;b", u"c,d"}));
  EXPECT_THROW(ComposeText(u"a;#;b", u';', u'\'', list), EConvertError);
}

// Items made of delimiters, quotes, blanks, "#" and controls must come back
// as they went in, whichever of the usual delimiters and quotes is used.
TEST_F(StringLists, ComposeUndoesDelimitedTextForRandomLists) {
  std::mt19937 rng(4711);
  const char16_t alphabet[] = {u'a', u',', u';', u'\'', u'"', u' ', u'\t',  u'\r',  u'\n',
                               0,    0x1F, u'#', u'$',  u'1', 0xE9, 0x20AC, 0xD83D, 0x7F};
  const std::pair<char16_t, char16_t> forms[] = {
      {u',', u'"'}, {u';', u'\''}, {u',', u'\''}, {u'|', u'"'}};
  for (int round = 0; round < 20000; ++round) {
    TStringList list, back;
    for (int i = static_cast<int>(rng() % 6); i > 0; --i) {
      UnicodeString item;
      for (int k = static_cast<int>(rng() % 7); k > 0; --k)
        item.push_back(alphabet[rng() % std::size(alphabet)]);
      list.Add(item);
    }
    const auto [delimiter, quote] = forms[round % 4];
    const UnicodeString text = DelimitedText(list, delimiter, quote);
    ComposeText(text, delimiter, quote, back);
    ASSERT_EQ(Items(back), Items(list)) << Utf16ToUtf8(text);
  }
}

// Values keep their blanks and blank lines are skipped; an empty section
// ends at its header; an unclosed bracket ends a section but is no header.
// Read from a line, the search wraps around once; a section found by
// wrapping reads as any other; a missing one gives back the start line.
TEST_F(StringLists, SectionsReadFromTheTopOrFromALine) {
  // Line 2 is empty, line 4 starts with two blanks.
  const TStringList ini{u"[General]", u"Name=Foo", u"", u"; note", u"  [Other]", u"X=1"}, none;
  const TStringList blanks{u"[s]", u"  a = 1 \t", u" \t ", u"\x01", u"b"};
  const TStringList headers{u"[a]", u"[b]", u"x", u"[c]"};
  const TStringList unclosed{u"[a]", u"1", u"[x", u"2", u"[]"};
  const TStringList twice{u"[a]", u"1", u"[A]", u"2"};
  const std::tuple<const TStringList&, std::u16string_view, Strings, int32_t> cases[] = {
      {ini, u"general", {u"Name=Foo", u"; note"}, 3},  {ini, u"Other", {u"X=1"}, 5},
      {blanks, u"S", {u"  a = 1 \t", u"b"}, 4},      {ini, u"Missing", {}, 5},
      {headers, u"a", {}, 0},   {headers, u"c", {}, 3},     {headers, u"b", {u"x"}, 2},
      {unclosed, u"a", {u"1"}, 1},  {unclosed, u"x", {}, 4},  {none, u"a", {}, -1},
      {ini, u" General", {}, 5},  // blanks inside the brackets count
  };
  for (const auto& [list, name, expected, result] : cases) {
    TStringList values{u"stale"};
    EXPECT_EQ(ReadSLSectionValues(list, name, values), result) << Utf16ToUtf8(name);
    EXPECT_EQ(Items(values), expected) << Utf16ToUtf8(name);
  }
  const std::tuple<const TStringList&, int32_t, std::u16string_view, int32_t, int32_t, Strings>
      fromLine[] = {
      {ini, 5, u"General", 0, 3, {u"Name=Foo", u"; note"}},
      {ini, 0, u"Missing", -1, 0, {}},    {ini, 2, u"Missing", -1, 2, {}},
      {ini, 99, u"Other", 4, 5, {u"X=1"}}, {ini, 0, u"other", 4, 5, {u"X=1"}},
      {ini, 4, u"Other", 4, 5, {u"X=1"}},  {twice, 3, u"a", 0, 1, {u"1"}},
      {none, 0, u"a", -1, 0, {}},
      {twice, 1, u"a", 2, 3, {u"2"}},  // the first equal header after the start line
  };
  for (const auto& [list, start, name, index, last, expected] : fromLine) {
    SCOPED_TRACE(Utf16ToUtf8(name) + " from " + std::to_string(start));
    EXPECT_EQ(XGetSLSectionIndex(start, list, name), index);
    TStringList values{u"stale"};
    EXPECT_EQ(XReadSLSectionValues(start, list, name, values), last);
    EXPECT_EQ(Items(values), expected);
  }
  EXPECT_THROW(XGetSLSectionIndex(-1, ini, u"General"), EListError);
  // Names are appended in order, duplicates and blanks kept.
  TStringList names{u"kept"};
  ReadSLSections(ini, names);
  ReadSLSections(unclosed, names);
  ReadSLSections(none, names);
  ReadSLSections(TStringList{u"[ a ]", u"[b]x", u"[A]", u" [ a ] "}, names);
  EXPECT_EQ(Items(names),
            (Strings{u"kept", u"General", u"Other", u"a", u"", u" a ", u"A", u" a "}));
}

}  // namespace
}  // namespace dz
