#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <utility>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"
#include "support/Lists.h"

namespace dz {
namespace {

using test::Items;

using StringLists = test::EnUs;

TEST_F(StringLists, IndexOfStringFoldsAsciiOnly) {
  TStringList list{u"x", u"abc", u"ABC", u"\u00E9t\u00E9"};
  EXPECT_EQ(IndexOfString(list, u"ABC"), 1);
  EXPECT_EQ(IndexOfString(list, u"\u00C9T\u00C9"), -1);
  EXPECT_EQ(IndexOfString(list, u"\u00E9T\u00E9"), 3);
  EXPECT_EQ(IndexOfString(list, u"ab"), -1);
  EXPECT_EQ(IndexOfString(TStringList{}, u""), -1);
}

TEST_F(StringLists, InsertToStringsClampsThePosition) {
  struct Case {
    int32_t position;
    std::u16string_view result;
  } cases[] = {{1, u"XYabc"},  {2, u"aXYbc"}, {4, u"abcXY"},
               {99, u"abcXY"}, {0, u"XYabc"}, {-5, u"XYabc"}};
  for (const auto& c : cases) {
    TStringList list{u"first", u"abc"};
    InsertToStrings(list, 1, c.position, u"XY");
    EXPECT_EQ(Items(list), (std::vector<UnicodeString>{u"first", UnicodeString(c.result)}))
        << c.position;
  }
  TStringList list{u"a"};
  EXPECT_THROW(InsertToStrings(list, 1, 1, u"x"), EListError);
}

TEST_F(StringLists, DeleteFromStringsJoinsTheCutLines) {
  struct Case {
    int32_t l1, c1, l2, c2;
    std::vector<UnicodeString> result;
  } cases[] = {
      {0, 2, 2, 2, {u"ahi", u"jkl"}},
      {1, 1, 1, 3, {u"abc", u"f", u"ghi", u"jkl"}},
      {1, 2, 1, 2, {u"abc", u"def", u"ghi", u"jkl"}},
      {0, 4, 1, 1, {u"abcdef", u"ghi", u"jkl"}},  // joins two lines
      {0, 1, 3, 4, {u""}},
      {2, 1, 1, 1, {u"abc", u"def", u"ghi", u"jkl"}},  // last line before the first
      {0, 9, 3, 9, {u"abc"}},
      {0, 0, 1, -3, {u"def", u"ghi", u"jkl"}},
  };
  for (const auto& c : cases) {
    TStringList list{u"abc", u"def", u"ghi", u"jkl"};
    DeleteFromStrings(list, c.l1, c.c1, c.l2, c.c2);
    EXPECT_EQ(Items(list), c.result) << c.l1 << "," << c.c1 << " " << c.l2 << "," << c.c2;
  }
}

TEST_F(StringLists, DeleteFromStringsChecksBothLinesFirst) {
  TStringList list{u"abc", u"def"};
  EXPECT_THROW(DeleteFromStrings(list, 0, 2, 5, 1), EListError);
  EXPECT_THROW(DeleteFromStrings(list, -1, 2, 1, 1), EListError);
  EXPECT_EQ(Items(list), (std::vector<UnicodeString>{u"abc", u"def"}));
}

TEST_F(StringLists, NameAndValueSplitAtTheFirstSeparator) {
  struct Case {
    const char* sep;
    const char* text;
    const char* name;
    const char* value;
  } cases[] = {
      {"=", "a=b=c", "a", "b=c"},     {"=", "abc", "abc", ""}, {":=", "x:=1", "x", "1"},
      {"=", " a = b ", " a ", " b "}, {"=", "=", "", ""},      {"=", "", "", ""},
      {":=", "x:1", "x:1", ""},       {"=", "a=", "a", ""},    {"==", "a===b", "a", "=b"},
  };
  for (const auto& c : cases) {
    AnsiString an = "stale", av = "stale";
    GetNameAndValueSep(std::string_view(c.sep), c.text, an, av);
    EXPECT_EQ(an, c.name) << c.text;
    EXPECT_EQ(av, c.value) << c.text;
    UnicodeString wn = u"stale", wv = u"stale";
    GetNameAndValueSep(AsciiToUnicode(c.sep), AsciiToUnicode(c.text), wn, wv);
    EXPECT_EQ(wn, AsciiToUnicode(c.name)) << c.text;
    EXPECT_EQ(wv, AsciiToUnicode(c.value)) << c.text;
    if (std::string_view(c.sep) == "=") {
      GetNameAndValue(std::string_view(c.text), an, av);
      GetNameAndValue(AsciiToUnicode(c.text), wn, wv);
      EXPECT_EQ(an + "|" + av, std::string(c.name) + "|" + c.value);
      EXPECT_EQ(wn + u"|" + wv, AsciiToUnicode(std::string(c.name) + "|" + c.value));
    }
  }
}

TEST_F(StringLists, EmptySeparatorDiffersBetweenTwins) {
  AnsiString an, av;
  UnicodeString wn, wv;
  GetNameAndValueSep(std::string_view(), "abc", an, av);
  GetNameAndValueSep(std::u16string_view(), u"abc", wn, wv);
  EXPECT_EQ(an + "|" + av, "abc|");
  EXPECT_EQ(wn + u"|" + wv, u"|abc");
}

TEST_F(StringLists, StrInListFormsFoldCaseDifferently) {
  EXPECT_TRUE(StrInList(u"yes", {u"No", u"YES"}));
  EXPECT_FALSE(StrInList(u"maybe", {u"No", u"YES"}));
  EXPECT_FALSE(StrInList(u"", std::span<const UnicodeString>()));
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

TEST_F(StringLists, StrPCatStopsAtAnEmbeddedNul) {
  char buf[16] = "ab";
  EXPECT_EQ(StrPCat(buf, AnsiString("cd\0ef", 5)), buf);
  EXPECT_STREQ(buf, "abcd");
  StrPCat(buf, "");
  EXPECT_STREQ(buf, "abcd");
}

TEST_F(StringLists, ClearPCharClearsExactlyCountElements) {
  char a[4] = {'x', 'y', 'z', 'w'};
  ClearPChar(a, 3);
  EXPECT_EQ(std::string(a, 4), std::string("\0\0\0w", 4));
  char16_t w[3] = {u'x', u'y', u'z'};
  ClearPChar(w, 0);
  EXPECT_EQ(std::u16string(w, 3), u"xyz");
  ClearPChar(w, 2);
  EXPECT_EQ(std::u16string(w, 3), std::u16string(u"\0\0z", 3));
}

TEST_F(StringLists, NameAndValueAsPairsNameFirst) {
  using A = std::pair<AnsiString, AnsiString>;
  using U = std::pair<UnicodeString, UnicodeString>;
  EXPECT_EQ(GetNameAndValue("a=b=c"), A("a", "b=c"));
  EXPECT_EQ(GetNameAndValue(u"abc"), U(u"abc", u""));
  EXPECT_EQ(GetNameAndValue(UnicodeString(u"=x")), U(u"", u"x"));
  EXPECT_EQ(GetNameAndValueSep(":=", "x:=1"), A("x", "1"));
  EXPECT_EQ(GetNameAndValueSep(std::string_view(), "abc"), A("abc", ""));
  const auto [name, value] = GetNameAndValueSep(std::u16string_view(), u"abc");
  EXPECT_EQ(name + u"|" + value, u"|abc");
}

}  // namespace
}  // namespace dz
