#include <gtest/gtest.h>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"

namespace dz {
namespace {

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new test::PinnedLocale);

// Leaves both separator lists empty again, as the library starts them.
class Separators : public ::testing::Test {
 protected:
  void TearDown() override {
    SetSeparatorList(AnsiString());
    SetSeparatorList(UnicodeString());
  }
};

TEST(CharClasses, AcceptExactlyTheirCodesAtBothWidths) {
  auto members = [](bool (*test)(WideChar)) {
    std::u16string s;
    for (int c = 0; c < 0x10000; ++c)
      if (test(static_cast<WideChar>(c))) s.push_back(static_cast<WideChar>(c));
    return s;
  };
  EXPECT_EQ(members(IsSpace), u"\t\n\r ");
  EXPECT_EQ(members(IsDigit), u"0123456789");
  EXPECT_EQ(members(IsHexDigit), u"0123456789ABCDEFabcdef");
  EXPECT_EQ(members(IsOctDigit), u"01234567");
  EXPECT_EQ(members(IsAlpha), u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_`abcdefghijklmnopqrstuvwxyz");
  // The 8-bit twins agree on every byte, the high ones included.
  for (int c = 0; c < 256; ++c) {
    auto a = static_cast<AnsiChar>(c);
    auto w = static_cast<WideChar>(c);
    EXPECT_EQ(IsSpace(a), IsSpace(w)) << c;
    EXPECT_EQ(IsDigit(a), IsDigit(w)) << c;
    EXPECT_EQ(IsHexDigit(a), IsHexDigit(w)) << c;
    EXPECT_EQ(IsOctDigit(a), IsOctDigit(w)) << c;
    EXPECT_EQ(IsAlpha(a), IsAlpha(w)) << c;
  }
}

TEST_F(Separators, EmptyAtStartAndIndependentPerWidth) {
  EXPECT_FALSE(IsSeparator(','));
  EXPECT_FALSE(IsSeparator(u','));
  UnicodeString s = u"a,b c";
  EXPECT_EQ(GetToken(s), u"a,b");
  EXPECT_EQ(GetToken(s), u"c");
  EXPECT_EQ(s, u"");

  SetSeparatorList(UnicodeString(u",;"));
  EXPECT_TRUE(IsSeparator(u';'));
  EXPECT_FALSE(IsSeparator(','));  // the 8-bit list is untouched
  SetSeparatorListW(u"+");
  EXPECT_FALSE(IsSeparator(u','));  // replaced as a whole
  EXPECT_TRUE(IsSeparator(u'+'));
  SetSeparatorList(AnsiString("\xE9"));
  EXPECT_TRUE(IsSeparator('\xE9'));
  EXPECT_FALSE(IsSeparator(u'\u00E9'));
}

TEST_F(Separators, GetTokenCutsWordsAndSeparatorRuns) {
  SetSeparatorList(UnicodeString(u",;"));
  UnicodeString s = u"  ab;,cd";
  EXPECT_EQ(GetToken(s), u"ab");
  EXPECT_EQ(s, u";,cd");
  EXPECT_EQ(GetToken(s), u";,");
  EXPECT_EQ(s, u"cd");
  EXPECT_EQ(GetToken(s), u"cd");
  EXPECT_EQ(s, u"");
  EXPECT_EQ(GetToken(s), u"");

  s = u"x  ;  y";
  EXPECT_EQ(GetToken(s), u"x");
  EXPECT_EQ(s, u"  ;  y");  // spaces after the token stay for the next call
  EXPECT_EQ(GetToken(s), u";");
  EXPECT_EQ(GetToken(s), u"y");

  SetSeparatorList(AnsiString("="));
  AnsiString a = "\tkey==\r\nvalue\x0C";
  EXPECT_EQ(GetToken(a), "key");
  EXPECT_EQ(GetToken(a), "==");
  EXPECT_EQ(GetToken(a), "value\x0C");  // a form feed is not a space
  AnsiString blanks = "   ";
  EXPECT_EQ(GetToken(blanks), "");
  EXPECT_EQ(blanks, "");
}

TEST(WholeStringTests, NumbersIdentifiersAndYesWords) {
  struct Case {
    const char16_t* s;
    bool number, intNum, realNum, ident;
  } cases[] = {
      {u"", false, false, false, true},
      {u"007", true, true, true, true},
      {u"-1", false, true, true, false},
      {u"$1F", false, true, false, false},
      {u" 12", false, true, true, false},
      {u"1.5", false, false, true, false},
      {u"1e5", false, false, true, true},
      {u"1abc", false, false, false, true},
      {u"a`b", false, false, false, true},
      {u"a-b", false, false, false, false},
      {u"99999999999", true, false, true, true},
      {u"\u0661", false, false, false, false},  // Arabic-Indic one is no ASCII digit
  };
  for (const auto& c : cases) {
    std::string a = UTF8Encode(c.s);
    EXPECT_EQ(IsNumber(c.s), c.number) << a;
    EXPECT_EQ(IsIntNum(c.s), c.intNum) << a;
    EXPECT_EQ(IsRealNum(c.s), c.realNum) << a;
    EXPECT_EQ(IsIdentifier(c.s), c.ident) << a;
    if (std::u16string_view(c.s).find(u'\u0661') == std::u16string_view::npos) {
      AnsiString n = ToAnsi(c.s);
      EXPECT_EQ(IsNumber(n), c.number) << a;
      EXPECT_EQ(IsIntNum(n), c.intNum) << a;
      EXPECT_EQ(IsRealNum(n), c.realNum) << a;
      EXPECT_EQ(IsIdentifier(n), c.ident) << a;
    }
  }
}

TEST(WholeStringTests, RealNumbersUseTheUsersDecimalSeparator) {
  test::LocaleScope ru("ru-RU");
  EXPECT_TRUE(IsRealNum(u"1,5"));
  EXPECT_FALSE(IsRealNum(u"1.5"));
  EXPECT_TRUE(IsRealNum(AnsiString("-2,25e3")));
}

TEST(WholeStringTests, IsPositive) {
  for (const char16_t* yes : {u"on", u"ON", u"Yes", u"YES", u"true", u"TRUE", u"1"}) {
    EXPECT_TRUE(IsPositive(yes)) << UTF8Encode(yes);
    EXPECT_TRUE(IsPositive(ToAnsi(yes))) << UTF8Encode(yes);
  }
  for (const char16_t* no : {u"", u"y", u" on", u"yes ", u"01", u"0", u"false", u"oN!"}) {
    EXPECT_FALSE(IsPositive(no)) << UTF8Encode(no);
    EXPECT_FALSE(IsPositive(ToAnsi(no))) << UTF8Encode(no);
  }
}

TEST(WholeStringTests, AlphaExistsDiffersBetweenTheTwins) {
  struct Case {
    const char16_t* s;
    bool a8, a16;
  } cases[] = {
      {u"", false, false},     {u"12 34", false, false}, {u"12 34\t", false, true},
      {u"\u00E9", true, true}, {u"x", true, true},       {u"[\\]^_`{|}~", false, false},
      {u"@!?", false, false},  {u"\x7F", false, true},   {u"\x01", false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AlphaExists(ToAnsi(c.s)), c.a8) << UTF8Encode(c.s);
    EXPECT_EQ(AlphaExists(c.s), c.a16) << UTF8Encode(c.s);
  }
  EXPECT_TRUE(AlphaExists(AnsiString("\x80")));
}

TEST(Skipping, StopsAtTheFirstOtherCharacterOrTheEnd) {
  int32_t p = 1;
  SkipSpaces(u" \t\r\nx", p);
  EXPECT_EQ(p, 5);
  p = 2;
  SkipSpaces(u"a  ", p);
  EXPECT_EQ(p, 4);  // one past the end
  SkipSpaces(u"a  ", p);
  EXPECT_EQ(p, 4);
  p = 1;
  SkipSpaces(AnsiString("\x0B"), p);  // vertical tab is not a space
  EXPECT_EQ(p, 1);
  p = 1;
  SkipSymbols(u"--=>x", p, u"=-");
  EXPECT_EQ(p, 4);
  p = 1;
  SkipSymbols(AnsiString("abc"), p, "");
  EXPECT_EQ(p, 1);
  p = 3;
  SkipSymbols(AnsiString("aaaa"), p, "a");
  EXPECT_EQ(p, 5);
}

TEST(Cutting, GetNextPartAndAnsiTrim) {
  struct Case {
    const char* s;
    const char* sep;
    const char* part;
    const char* rest;
  } cases[] = {
      {"key=value", "=", "key", "value"},
      {"a::b::c", "::", "a", "b::c"},
      {"abc", "=", "abc", ""},
      {"=x", "=", "", "x"},
      {"x=", "=", "x", ""},
      {"abc", "", "abc", ""},
      {"", "=", "", ""},
  };
  for (const auto& c : cases) {
    AnsiString s = c.s;
    EXPECT_EQ(GetNextPart(s, c.sep), c.part) << c.s;
    EXPECT_EQ(s, c.rest) << c.s;
  }
  EXPECT_EQ(AnsiTrim("\tx\r"), "x");
  EXPECT_EQ(AnsiTrim("    "), "");
  EXPECT_EQ(AnsiTrim("\x0C"
                     "x\x01"),
            "\x0C"
            "x\x01");  // only the four spaces go
  EXPECT_EQ(AnsiTrim(" a b "), "a b");
}

}  // namespace
}  // namespace dz
