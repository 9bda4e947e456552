#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"

namespace dz {
namespace {

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new test::PinnedLocale);

constexpr int32_t kRaises = 0x7EADBEEF;

// What read() returns, or kRaises when it raises E.
template <class E, class F>
int32_t ValueOr(F read) {
  try {
    return read();
  } catch (const E&) {
    return kRaises;
  }
}

// XStrToInt, ZStrToInt and SafeStrToInt side by side: they differ exactly on
// blanks, trailing junk and overflow.
TEST(IntegerConversions, PoliciesSideBySide) {
  const std::tuple<const char16_t*, int32_t, int32_t, int32_t> cases[] = {
      {u"", 0, 0, 0},              {u"   ", 0, 0, 0},             {u"\t\r\n", 0, 0, 0},
      {u"12", 12, 12, 12},         {u" 42 ", kRaises, 42, 42},    {u"  -7", -7, -7, -7},
      {u"$FF", 255, 255, 255},     {u"0x10", 16, 16, 16},         {u"x", kRaises, 0, 0},
      {u"4x", kRaises, 0, 4},      {u"123abc", kRaises, 0, 123},  {u" 7 ", kRaises, 7, 7},
      {u"abc", kRaises, 0, 0},     {u"-5x", kRaises, 0, 0},       {u"12 34", kRaises, 0, 12},
      {u"2147483648", kRaises, 0, 0},  {u"99999999999z", kRaises, 0, 0},
      {u"2147483647", 2147483647, 2147483647, 2147483647},
  };
  for (const auto& [text, x, z, safe] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    EXPECT_EQ(ValueOr<EConvertError>([t = text] { return XStrToInt(t); }), x);
    EXPECT_EQ(ZStrToInt(text), z);
    EXPECT_EQ(SafeStrToInt(text), safe);
  }
}

// A wide character counts by its low byte: U+0141 reads as "A", U+0137 as
// "7"; the message names the rightmost bad character.
TEST(DigitReaders, ValuesAndMessages) {
  const std::tuple<const char16_t*, int32_t, int32_t> cases[] = {
      {u"", 0, 0},                 {u"0", 0, 0},                {u"ff", 255, kRaises},
      {u"Ff", 255, kRaises},       {u"777", 0x777, 511},        {u"10", 16, 8},
      {u"FFFFFFFF", -1, kRaises},  {u"7FFFFFFF", 0x7FFFFFFF, kRaises},
      {u"123456789", 0x23456789, kRaises},  // wraps to the low 32 bits
      {u"37777777777", 0x77777777, -1},
      {u"100000000000", 0, 0},  // octal 2^33 wraps to 0
      {u"\u0141\u0130", 0xA0, kRaises}, {u"\u0137", 7, 7}, {u"\u0138", 8, kRaises},
  };
  for (const auto& [text, hex, oct] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    EXPECT_EQ(ValueOr<EYStringsError>([t = text] { return HexToInt(t); }), hex);
    EXPECT_EQ(ValueOr<EYStringsError>([t = text] { return OctToInt(t); }), oct);
  }
  const std::tuple<const char16_t*, bool, const char16_t*> messages[] = {
      {u"1G", true, u"G is not a hex digit"},    {u"1g2h", true, u"h is not a hex digit"},
      {u"$FF", true, u"$ is not a hex digit"},   {u"0x1", true, u"x is not a hex digit"},
      {u"-1", true, u"- is not a hex digit"},    {u"8", false, u"8 is not an oct digit"},
      {u"9a7", false, u"a is not an oct digit"}, {u" 1", false, u"  is not an oct digit"},
  };
  for (const auto& [text, hex, message] : messages) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    try {
      hex ? HexToInt(text) : OctToInt(text);
      ADD_FAILURE() << "no exception";
    } catch (const EYStringsError& e) {
      EXPECT_EQ(e.Message(), message);
    }
  }
}

using FloatConversions = test::EnUs;

// The X forms use a period whatever the locale; the Z form follows the user's.
TEST_F(FloatConversions, FixedPointIgnoresLocaleSeparator) {
  for (const char* locale : {"en-US", "de-DE", "ru-RU"}) {
    SCOPED_TRACE(locale);
    ASSERT_TRUE(win::SetSystemLocale(locale));
    EXPECT_EQ(XStrToFloat(u"1.5", 7), 1.5);
    EXPECT_EQ(XStrToFloat(u"", 7), 7);
    EXPECT_EQ(XStrToFloat(u"-2.5E3", 0), -2500);
    EXPECT_THROW(XStrToFloat(u"1,5", 0), EConvertError);
    EXPECT_EQ(XFloatToStr(0.5), u"0.5");
    EXPECT_EQ(XFloatToStr(-1234.25), u"-1234.25");
    EXPECT_EQ(XCurrToStr(Currency::FromRaw(12345)), u"1.2345");
    EXPECT_EQ(XCurrToStr(Currency(3)), u"3");
  }
  ASSERT_TRUE(win::SetSystemLocale("de-DE"));
  EXPECT_EQ(ZStrToFloat(u" 1,5 "), 1.5);
  EXPECT_EQ(ZStrToFloat(u"1.5"), 0.0);
  ASSERT_TRUE(win::SetSystemLocale("en-US"));
  EXPECT_EQ(ZStrToFloat(u" 1.5 "), 1.5);
  EXPECT_EQ(ZStrToFloat(u""), 0.0);
  EXPECT_EQ(ZStrToFloat(u"1.5x"), 0.0);
}

TEST(BooleanConversions, FalseWordsAndEmpty) {
  const std::tuple<const char16_t*, bool, bool> cases[] = {
      {u"", false, true},       {u"0", false, false},     {u"false", false, false},
      {u"False", false, false}, {u"FALSE", false, false}, {u"no", true, true},
      {u" false", true, true},  {u"false ", true, true},  {u"00", true, true},
      {u"1", true, true},       {u"f", true, true},       {u"falsey", true, true},
  };
  for (const auto& [text, x, n] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    EXPECT_EQ(XStrToBool(text), x);
    EXPECT_EQ(NStrToBool(text), n);
  }
  EXPECT_EQ(BoolToStr(true), u"1");
  EXPECT_EQ(BoolToStr(false), u"0");
}

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
