#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <tuple>
#include <utility>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"
#include "support/Lists.h"

namespace dz {
namespace {

using test::Items;
using Strings = std::vector<UnicodeString>;
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

// Every form, the pairs and the output arguments (which hold stale text
// first), at both widths.
TEST_F(StringLists, NameAndValueSplitAtTheFirstSeparator) {
  using A = std::pair<AnsiString, AnsiString>;
  using U = std::pair<UnicodeString, UnicodeString>;
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {"=", "a=b=c", "a", "b=c"},     {"=", "abc", "abc", ""}, {":=", "x:=1", "x", "1"},
      {"=", " a = b ", " a ", " b "}, {"=", "=", "", ""},      {"=", "", "", ""},
      {":=", "x:1", "x:1", ""},       {"=", "a=", "a", ""},    {"==", "a===b", "a", "=b"},
  };
  for (const auto& [sep, text, name, value] : cases) {
    SCOPED_TRACE(text);
    const A a(name, value);
    const U u(AsciiToUnicode(name), AsciiToUnicode(value));
    const UnicodeString wideSep = AsciiToUnicode(sep), wideText = AsciiToUnicode(text);
    AnsiString an = "stale", av = "stale";
    UnicodeString wn = u"stale", wv = u"stale";
    GetNameAndValueSep(std::string_view(sep), text, an, av);
    GetNameAndValueSep(wideSep, wideText, wn, wv);
    EXPECT_EQ(A(an, av), a);
    EXPECT_EQ(U(wn, wv), u);
    EXPECT_EQ(GetNameAndValueSep(std::string_view(sep), text), a);
    EXPECT_EQ(GetNameAndValueSep(wideSep, wideText), u);
    if (std::string_view(sep) != "=") continue;
    GetNameAndValue(std::string_view(text), an, av);
    GetNameAndValue(wideText, wn, wv);
    EXPECT_EQ(A(an, av), a);
    EXPECT_EQ(U(wn, wv), u);
    EXPECT_EQ(GetNameAndValue(std::string_view(text)), a);
    EXPECT_EQ(GetNameAndValue(wideText), u);
  }
  // An empty separator: all name in the 8-bit twin, all value in the 16-bit.
  AnsiString an, av;
  UnicodeString wn, wv;
  GetNameAndValueSep(std::string_view(), "abc", an, av);
  GetNameAndValueSep(std::u16string_view(), u"abc", wn, wv);
  EXPECT_EQ(A(an, av), A("abc", ""));
  EXPECT_EQ(U(wn, wv), U(u"", u"abc"));
  EXPECT_EQ(GetNameAndValueSep(std::string_view(), "abc"), A("abc", ""));
  EXPECT_EQ(GetNameAndValueSep(std::u16string_view(), u"abc"), U(u"", u"abc"));
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
      {u"   ", {}},                     {u"", {}},
      {u"a,,b", {u"a", u"", u"b"}},     {u"a,", {u"a", u""}},
      {u",", {u"", u""}},               {u" a , b ", {u"a", u"b"}},
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

class Sections : public test::EnUs {
 protected:
  // Line 2 is empty, line 4 starts with two blanks.
  TStringList ini{u"[General]", u"Name=Foo", u"", u"; note", u"  [Other]", u"X=1"};
  const TStringList none;
};

// Values keep their blanks and blank lines are skipped; an empty section
// ends at its header; an unclosed bracket ends a section but is no header.
TEST_F(Sections, ReadSectionValuesReturnsTheLastLineOfTheSection) {
  const TStringList blanks{u"[s]", u"  a = 1 \t", u" \t ", u"\x01", u"b"};
  const TStringList headers{u"[a]", u"[b]", u"x", u"[c]"};
  const TStringList unclosed{u"[a]", u"1", u"[x", u"2", u"[]"};
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
  // Names are appended in order, duplicates and blanks kept.
  TStringList names{u"kept"};
  ReadSLSections(ini, names);
  ReadSLSections(unclosed, names);
  ReadSLSections(none, names);
  ReadSLSections(TStringList{u"[ a ]", u"[b]x", u"[A]", u" [ a ] "}, names);
  EXPECT_EQ(Items(names),
            (Strings{u"kept", u"General", u"Other", u"a", u"", u" a ", u"A", u" a "}));
}

// The search starts at a line and wraps around once; a section found by
// wrapping reads as any other; a missing one gives back the start line.
TEST_F(Sections, SearchFromALineWrapsAroundOnce) {
  const TStringList twice{u"[a]", u"1", u"[A]", u"2"};
  const std::tuple<const TStringList&, int32_t, std::u16string_view, int32_t, int32_t, Strings>
      cases[] = {
      {ini, 5, u"General", 0, 3, {u"Name=Foo", u"; note"}},
      {ini, 0, u"Missing", -1, 0, {}},    {ini, 2, u"Missing", -1, 2, {}},
      {ini, 99, u"Other", 4, 5, {u"X=1"}}, {ini, 0, u"other", 4, 5, {u"X=1"}},
      {ini, 4, u"Other", 4, 5, {u"X=1"}},  {twice, 3, u"a", 0, 1, {u"1"}},
      {none, 0, u"a", -1, 0, {}},         {ini, 6, u"Missing", -1, 6, {}},
      {twice, 1, u"a", 2, 3, {u"2"}},  // the first equal header after the start line
  };
  for (const auto& [list, start, name, index, last, expected] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(name) + " from " + std::to_string(start));
    EXPECT_EQ(XGetSLSectionIndex(start, list, name), index);
    TStringList values{u"stale"};
    EXPECT_EQ(XReadSLSectionValues(start, list, name, values), last);
    EXPECT_EQ(Items(values), expected);
  }
  EXPECT_THROW(XGetSLSectionIndex(-1, ini, u"General"), EListError);
}

}  // namespace
}  // namespace dz
