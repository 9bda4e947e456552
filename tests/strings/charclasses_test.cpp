#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"

namespace dz {
namespace {

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new test::PinnedLocale);

// Every code each class accepts, at both widths: the 8-bit twin is asked
// about every byte, the high ones included.
TEST(CharClasses, AcceptExactlyTheirCodesAtBothWidths) {
  using Wide = bool (*)(WideChar);
  using Narrow = bool (*)(AnsiChar);
  const std::tuple<Wide, Narrow, std::u16string_view> classes[] = {
      {IsSpace, IsSpace, u"\t\n\r "},       {IsDigit, IsDigit, u"0123456789"},
      {IsOctDigit, IsOctDigit, u"01234567"}, {IsHexDigit, IsHexDigit, u"0123456789ABCDEFabcdef"},
      {IsAlpha, IsAlpha, u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_`abcdefghijklmnopqrstuvwxyz"},
  };
  for (const auto& [wideTest, narrowTest, members] : classes) {
    std::u16string wide, narrow;
    for (int i = 0; i < 0x10000; ++i)
      if (wideTest(static_cast<WideChar>(i))) wide.push_back(static_cast<WideChar>(i));
    for (int i = 0; i < 256; ++i)
      if (narrowTest(static_cast<AnsiChar>(i))) narrow.push_back(static_cast<WideChar>(i));
    EXPECT_EQ(wide, members);
    EXPECT_EQ(narrow, members);
  }
}

// The tokens GetToken cuts from s one by one, each followed by what it left.
template <class Str>
std::vector<Str> Cuts(Str s) {
  std::vector<Str> cuts;
  do {
    cuts.push_back(GetToken(s));
    cuts.push_back(s);
  } while (!s.empty());
  return cuts;
}

// The separator lists start empty, one per width; a run of separators is a
// token, and blanks after a token stay for the next call.
TEST(Separators, GetTokenCutsWordsAndSeparatorRuns) {
  using W = std::vector<UnicodeString>;
  using A = std::vector<AnsiString>;
  EXPECT_FALSE(IsSeparator(','));
  EXPECT_FALSE(IsSeparator(u','));
  EXPECT_EQ(Cuts(UnicodeString(u"a,b c")), (W{u"a,b", u" c", u"c", u""}));
  SetSeparatorList(UnicodeString(u",;"));
  EXPECT_FALSE(IsSeparator(','));  // the 8-bit list is untouched
  EXPECT_EQ(Cuts(UnicodeString(u"  ab;,cd")), (W{u"ab", u";,cd", u";,", u"cd", u"cd", u""}));
  EXPECT_EQ(Cuts(UnicodeString(u"x  ;  y")), (W{u"x", u"  ;  y", u";", u"  y", u"y", u""}));
  EXPECT_EQ(Cuts(UnicodeString()), (W{u"", u""}));
  SetSeparatorListW(u"+");
  EXPECT_FALSE(IsSeparator(u','));  // replaced as a whole
  EXPECT_TRUE(IsSeparator(u'+'));
  SetSeparatorList(AnsiString("=\xE9"));
  EXPECT_FALSE(IsSeparator(u'\u00E9'));
  // A form feed is no space.
  EXPECT_EQ(Cuts(AnsiString("\tkey==\r\nvalue\x0C\xE9")),
            (A{"key", "==\r\nvalue\x0C\xE9", "==", "\r\nvalue\x0C\xE9", "value\x0C", "\xE9",
               "\xE9", ""}));
  EXPECT_EQ(Cuts(AnsiString("   ")), (A{"", ""}));
  SetSeparatorList(AnsiString());
  SetSeparatorList(UnicodeString());
}

TEST(WholeStringTests, NumbersIdentifiersAndYesWords) {
  const std::tuple<const char16_t*, bool, bool, bool, bool> cases[] = {
      {u"", false, false, false, true},       {u"007", true, true, true, true},
      {u"-1", false, true, true, false},      {u"$1F", false, true, false, false},
      {u" 12", false, true, true, false},     {u"1.5", false, false, true, false},
      {u"1e5", false, false, true, true},     {u"1abc", false, false, false, true},
      {u"a`b", false, false, false, true},    {u"a-b", false, false, false, false},
      {u"99999999999", true, false, true, true},
      {u"\u0661", false, false, false, false},  // Arabic-Indic one is no ASCII digit
  };
  for (const auto& c : cases) {
    const char16_t* text = std::get<0>(c);
    SCOPED_TRACE(UTF8Encode(text));
    const auto check = [&](const auto& s) {
      EXPECT_EQ(std::make_tuple(text, IsNumber(s), IsIntNum(s), IsRealNum(s), IsIdentifier(s)), c);
    };
    check(UnicodeString(text));
    if (text[0] != u'\u0661') check(ToAnsi(text));
  }
  for (const char16_t* yes : {u"on", u"ON", u"Yes", u"YES", u"true", u"TRUE", u"1"})
    EXPECT_TRUE(IsPositive(yes) && IsPositive(ToAnsi(yes))) << UTF8Encode(yes);
  for (const char16_t* no : {u"", u"y", u" on", u"yes ", u"01", u"0", u"false", u"oN!"})
    EXPECT_FALSE(IsPositive(no) || IsPositive(ToAnsi(no))) << UTF8Encode(no);
  test::LocaleScope ru("ru-RU");  // real numbers use the user's decimal separator
  EXPECT_TRUE(IsRealNum(u"1,5"));
  EXPECT_FALSE(IsRealNum(u"1.5"));
  EXPECT_TRUE(IsRealNum(AnsiString("-2,25e3")));
}

TEST(WholeStringTests, AlphaExistsDiffersBetweenTheTwins) {
  const std::tuple<const char16_t*, bool, bool> cases[] = {
      {u"", false, false},     {u"12 34", false, false}, {u"12 34\t", false, true},
      {u"\u00E9", true, true}, {u"x", true, true},       {u"[\\]^_`{|}~", false, false},
      {u"@!?", false, false},  {u"\x7F", false, true},   {u"\x01", false, true},
  };
  for (const auto& [s, narrow, wide] : cases) {
    EXPECT_EQ(AlphaExists(ToAnsi(s)), narrow) << UTF8Encode(s);
    EXPECT_EQ(AlphaExists(s), wide) << UTF8Encode(s);
  }
  EXPECT_TRUE(AlphaExists(AnsiString("\x80")));
}

// Skipping stops at the first other character or one past the end; without
// symbols it skips the four spaces, as AnsiTrim trims them.
TEST(SkippingAndCutting, StopAtTheFirstOtherCharacterOrTheEnd) {
  const std::tuple<const char*, const char*, int32_t, int32_t> cases[] = {
      {" \t\r\nx", nullptr, 1, 5}, {"a  ", nullptr, 2, 4}, {"a  ", nullptr, 4, 4},
      {"\x0B", nullptr, 1, 1},  // vertical tab is not a space
      {"--=>x", "=-", 1, 4},       {"abc", "", 1, 1},      {"aaaa", "a", 3, 5},
  };
  for (const auto& [s, symbols, from, to] : cases) {
    SCOPED_TRACE(s);
    int32_t p8 = from, p16 = from;
    if (symbols) {
      SkipSymbols(std::string_view(s), p8, symbols);
      SkipSymbols(ToUnicode(s), p16, ToUnicode(symbols));
    } else {
      SkipSpaces(std::string_view(s), p8);
      SkipSpaces(ToUnicode(s), p16);
    }
    EXPECT_EQ(p8, to);
    EXPECT_EQ(p16, to);
  }
  const std::tuple<const char*, const char*, const char*, const char*> parts[] = {
      {"key=value", "=", "key", "value"}, {"a::b::c", "::", "a", "b::c"}, {"abc", "=", "abc", ""},
      {"=x", "=", "", "x"},               {"x=", "=", "x", ""},           {"abc", "", "abc", ""},
      {"", "=", "", ""},
  };
  for (const auto& [text, separator, part, rest] : parts) {
    AnsiString s = text;
    EXPECT_EQ(GetNextPart(s, separator), part) << text;
    EXPECT_EQ(s, rest) << text;
  }
  EXPECT_EQ(AnsiTrim("\tx\r"), "x");
  EXPECT_EQ(AnsiTrim("    "), "");
  EXPECT_EQ(AnsiTrim("\x0Cx\x01"), "\x0Cx\x01");  // only the four spaces go
  EXPECT_EQ(AnsiTrim(" a b "), "a b");
}

}  // namespace
}  // namespace dz
