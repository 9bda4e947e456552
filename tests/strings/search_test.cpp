#include <gtest/gtest.h>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"

namespace dz {
namespace {

// Search rows hold 8-bit text; each runs through both twins unless the
// twins are meant to differ, which the rows below spell out.
struct PosCase {
  const char* sub;
  const char* text;
  int32_t start, occurrence, expected;
};

TEST(ForwardSearch, XPosCountsOverlappingMatches) {
  const PosCase cases[] = {
      {"aa", "aaaa", 1, 1, 1}, {"aa", "aaaa", 1, 2, 2},  {"aa", "aaaa", 1, 3, 3},
      {"aa", "aaaa", 1, 4, 0}, {"b", "abcb", 3, 1, 4},   {"b", "abcb", 0, 1, 2},
      {"b", "abcb", -9, 2, 4}, {"b", "abcb", 5, 1, 0},   {"b", "abcb", 4, 1, 4},
      {"b", "abcb", 1, 0, 0},  {"b", "abcb", 1, -1, 0},  {"", "abc", 1, 1, 0},
      {"a", "", 1, 1, 0},      {"abcd", "abc", 1, 1, 0}, {"bc", "abcbc", 3, 1, 4},
      {"cb", "abcb", 3, 1, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.sub) + " in " + c.text + " from " + std::to_string(c.start) + " #" +
                 std::to_string(c.occurrence));
    EXPECT_EQ(XPos(c.sub, c.text, c.start, c.occurrence), c.expected);
    EXPECT_EQ(XPos(ToUnicode(c.sub), ToUnicode(c.text), c.start, c.occurrence), c.expected);
    if (c.start == 1) {
      EXPECT_EQ(PosNum(c.sub, c.text, c.occurrence), c.expected);
      EXPECT_EQ(PosNum(ToUnicode(c.sub), ToUnicode(c.text), c.occurrence), c.expected);
    }
  }
}

TEST(BackwardSearch, TwinsChooseTheFirstPositionDifferently) {
  const struct {
    const char* sub;
    const char* text;
    int32_t start, occurrence, narrow, wide;
  } cases[] = {
      {"b", "abcb", 0, 1, 4, 0},   {"b", "abcb", -1, 1, 4, 4},  {"b", "abcb", -2, 1, 4, 0},
      {"b", "abcb", 3, 1, 2, 2},   {"b", "abcb", 4, 2, 2, 2},   {"b", "abcb", 4, 1, 4, 4},
      {"b", "abcb", 99, 1, 4, 4},  {"b", "abcb", 1, 1, 0, 0},   {"b", "abcb", 2, 3, 0, 0},
      {"bc", "abcbc", 5, 1, 4, 4}, {"bc", "abcbc", 3, 1, 2, 2}, {"bc", "abcbc", 4, 2, 2, 2},
      {"aa", "aaaa", 0, 3, 1, 0},  {"aa", "aaaa", -1, 2, 2, 2}, {"abcde", "abc", 0, 1, 0, 0},
      {"", "abc", 2, 1, 0, 0},     {"a", "", -1, 1, 0, 0},      {"b", "abcb", 4, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.sub) + " in " + c.text + " from " + std::to_string(c.start) + " #" +
                 std::to_string(c.occurrence));
    EXPECT_EQ(BXPos(c.sub, c.text, c.start, c.occurrence), c.narrow);
    EXPECT_EQ(BXPos(ToUnicode(c.sub), ToUnicode(c.text), c.start, c.occurrence), c.wide);
  }
}

TEST(CaselessSearch, FoldsBothOperands) {
  const PosCase cases[] = {
      {"AB", "xaBab", 1, 2, 4}, {"ab", "XABAB", 3, 1, 4}, {"Q", "abc", 1, 1, 0},
      {"", "abc", 1, 1, 0},     {"b", "aBcB", 5, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.sub) + " in " + c.text);
    EXPECT_EQ(CXPos(c.sub, c.text, c.start, c.occurrence), c.expected);
    EXPECT_EQ(CXPos(ToUnicode(c.sub), ToUnicode(c.text), c.start, c.occurrence), c.expected);
  }
  EXPECT_EQ(CPos("CD", "abcd"), 3);
  EXPECT_EQ(CPos(u"CD", u"abcd"), 3);
  EXPECT_EQ(CPos(u"\u0416", u"\u0430\u0436"), 2);
  // The empty substring: the host's Pos finds it nowhere, the library's own
  // 16-bit search at 1 of a non-empty text.
  EXPECT_EQ(CPos("", "abc"), 0);
  EXPECT_EQ(CPos(u"", u"abc"), 1);
  EXPECT_EQ(CPos(u"", u""), 0);
}

using FoldingThatChangesLength = test::EnUs;

// U+0130 lower-cases to two units outside Turkish; positions after it must
// still point into the given text, and replaced text must keep its pieces.
TEST_F(FoldingThatChangesLength, PositionsMapBackToTheGivenText) {
  const std::u16string text = u"\u0130x\u0130AbcAB";
  EXPECT_EQ(CXPos(u"ab", text, 1, 1), 4);
  EXPECT_EQ(CXPos(u"ab", text, 1, 2), 7);
  EXPECT_EQ(CXPos(u"ab", text, 5, 1), 7);
  EXPECT_EQ(CXPos(u"x", text, 1, 1), 2);
  EXPECT_EQ(CXPos(u"\u0130", text, 1, 2), 3);
  EXPECT_EQ(CPos(u"BC", text), 5);
  EXPECT_EQ(XReplaceStr(text, u"ab", u"-", false), u"\u0130x\u0130-c-");
  EXPECT_EQ(XReplaceStr(text, u"\u0130", u"I", false), u"IxIAbcAB");
  EXPECT_EQ(XReplaceStr(u"a\u0130b", u"\u0307", u"", false), u"ab");
}

TEST(Replacement, LeftToRightWithoutRescanning) {
  const struct {
    const char *text, *oldPattern, *newPattern, *sensitive, *insensitive;
  } cases[] = {
      {"aaaa", "aa", "a", "aa", "aa"},      {"axb", "x", "xx", "axxb", "axxb"},
      {"abc", "", "Z", "abc", "abc"},       {"ABCabc", "abc", "X", "ABCX", "XX"},
      {"aAaA", "a", "", "AA", ""},          {"", "a", "b", "", ""},
      {"abab", "ab", "ab", "abab", "abab"}, {"xAbX", "aB", "<$0>", "xAbX", "x<$0>X"},
      {"aaa", "aaaa", "b", "aaa", "aaa"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.oldPattern);
    EXPECT_EQ(ReplaceStr(c.text, c.oldPattern, c.newPattern), c.sensitive);
    EXPECT_EQ(ReplaceStr(ToUnicode(c.text), ToUnicode(c.oldPattern), ToUnicode(c.newPattern)),
              ToUnicode(c.sensitive));
    EXPECT_EQ(XReplaceStr(c.text, c.oldPattern, c.newPattern, true), c.sensitive);
    EXPECT_EQ(XReplaceStr(c.text, c.oldPattern, c.newPattern, false), c.insensitive);
    EXPECT_EQ(
        XReplaceStr(ToUnicode(c.text), ToUnicode(c.oldPattern), ToUnicode(c.newPattern), false),
        ToUnicode(c.insensitive));
  }
  EXPECT_EQ(XReplaceStr(u"\u0414\u0434", u"\u0434", u"+", false), u"++");
  EXPECT_EQ(EraseSymbol(" a b ", ' '), "ab");
  EXPECT_EQ(EraseSymbol(u"\u0100a\u0100", u'\u0100'), u"a");
}

TEST(SeparatorCuts, TrimOnlyWhenFound) {
  const struct {
    const char *separator, *text, *before, *after;
  } cases[] = {
      {"(", "English (US)", "English", "US)"},
      {"=", "name = value", "name", "value"},
      {"=", " x ", " x ", " x "},
      {"::", "\ta :: b :: c", "a", "b :: c"},
      {"=", "=", "", ""},
      {"=", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.separator) + " on " + c.text);
    EXPECT_EQ(GetBeforeSep(c.separator, c.text), c.before);
    EXPECT_EQ(GetAfterSep(c.separator, c.text), c.after);
    EXPECT_EQ(GetBeforeSep(ToUnicode(c.separator), ToUnicode(c.text)), ToUnicode(c.before));
    EXPECT_EQ(GetAfterSep(ToUnicode(c.separator), ToUnicode(c.text)), ToUnicode(c.after));
  }
  // An empty separator: nowhere for the 8-bit twins, at 1 for the 16-bit ones.
  EXPECT_EQ(GetBeforeSep("", " x "), " x ");
  EXPECT_EQ(GetAfterSep("", " x "), " x ");
  EXPECT_EQ(GetBeforeSep(u"", u" x "), u"");
  EXPECT_EQ(GetAfterSep(u"", u" x "), u"x");
}

TEST(PrefixAndSuffix, CaseRulesDiffer) {
  const struct {
    const char *affix, *text;
    bool starts, startsCaseless, endsBy;
  } cases[] = {
      {"ab", "abc", true, true, false},
      {"ab", "Abc", false, true, false},
      {"", "abc", true, true, true},
      {"", "", true, true, true},
      {"abcd", "abc", false, false, false},
      {".TXT", "file.txt", false, false, true},
      {"file.txt", "txt", false, false, false},
      {"BC", "abc", false, false, true},
      {"abc", "abc", true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.affix) + " / " + c.text);
    EXPECT_EQ(StartsWith(c.affix, c.text), c.starts);
    EXPECT_EQ(StartsWith(ToUnicode(c.affix), ToUnicode(c.text)), c.starts);
    EXPECT_EQ(XStartsWith(c.affix, c.text, true), c.starts);
    EXPECT_EQ(XStartsWith(c.affix, c.text, false), c.startsCaseless);
    EXPECT_EQ(XStartsWith(ToUnicode(c.affix), ToUnicode(c.text), false), c.startsCaseless);
    EXPECT_EQ(EndsBy(c.affix, c.text), c.endsBy);
    EXPECT_EQ(EndsBy(ToUnicode(c.affix), ToUnicode(c.text)), c.endsBy);
  }
  // Only the 16-bit EndsBy folds beyond ASCII.
  EXPECT_TRUE(EndsBy(u"\u00c9T\u00c9", u"\u00e9t\u00e9"));
  EXPECT_FALSE(EndsBy(ToAnsi(u"\u00c9"), ToAnsi(u"caf\u00e9")));
  EXPECT_TRUE(XStartsWith(u"\u0416\u0416", u"\u0436\u0436\u0436", false));
}

}  // namespace
}  // namespace dz
