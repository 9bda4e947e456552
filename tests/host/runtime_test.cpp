#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

#include "deziva27/base/Utf.h"
#include "deziva27/host/Host.h"
#include "deziva27/host/runtime/Format.h"
#include "deziva27/platform/detail/CodePages.h"
#include "deziva27/platform/detail/LocaleInfo.h"
#include "Raises.h"
#include "support/Locale.h"
#include "support/Oracle.h"

namespace dz {
namespace {

// The whole program, every file of it, starts under en-US (code page 1252).
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new test::PinnedLocale);

TEST(SystemLocale, EnvironmentNamesMapToIdentifiersAndCodePages) {
  const std::tuple<const char*, LCID, uint32_t> cases[] = {
      {"en-US", 0x0409, 1252}, {"ru_RU.UTF-8", 0x0419, 1251}, {"de-DE", 0x0407, 1252},
      {"pl_PL", 0x0415, 1250}, {"el-GR", 0x0408, 1253},       {"tr-TR", 0x041F, 1254},
      {"ja-JP", 0x0411, 932},  {"zh-TW", 0x0404, 950},        {"C", 0x0409, 1252},
      {"ru", 0x0419, 1251},    {"POSIX", 0x0409, 1252},
  };
  for (const auto& [name, lcid, acp] : cases) {
    test::LocaleScope scope(name);
    ASSERT_TRUE(scope.ok()) << name;
    EXPECT_EQ(win::GetSystemDefaultLCID(), lcid) << name;
    EXPECT_EQ(win::GetACP(), acp) << name;
  }
  EXPECT_FALSE(win::SetSystemLocale("xx-not-a-locale-at-all"));
  EXPECT_EQ(win::GetSystemDefaultLCID(), 0x0409u);
}

TEST(AnsiConversion, FollowsTheCodePageOfTheSystemLocale) {
  const std::string cp1252 = "caf\xE9 \x80";  // é and the euro sign
  EXPECT_EQ(ToUnicode(cp1252), u"caf\u00E9 \u20AC");
  EXPECT_EQ(ToAnsi(u"caf\u00E9 \u20AC"), cp1252);
  EXPECT_EQ(ToAnsi(u"\u0416"), "?");  // Ж is not in 1252, nor anything like it
  EXPECT_EQ(CodePageToUnicode("\x82\xA0", 932), u"\u3042");  // Shift-JIS hiragana a
  EXPECT_EQ(UnicodeToCodePage(u"\u3042", 932), "\x82\xA0");
  EXPECT_EQ(CodePageToUnicode("\xC1", 20866), u"\u0430");  // KOI8-R а
  EXPECT_EQ(UnicodeToCodePage(u"\U0001F600", 65001), "\xF0\x9F\x98\x80");
  EXPECT_THROW(CodePageToUnicode("x\x80", 12345), EConvertError);
  test::LocaleScope ru("ru-RU");
  EXPECT_EQ(ToUnicode("\xCF\xF0\xE8\xE2\xE5\xF2"), u"Привет");
  EXPECT_EQ(ToAnsi(u"Привет"), "\xCF\xF0\xE8\xE2\xE5\xF2");
  // é has no place in 1251: Windows writes its best fit.
  EXPECT_EQ(ToAnsi(u"\u00E9"), "e");
}

// UTF-8 as the ANSI code page: the 8-bit routines that go through it read
// and write UTF-8, and everything returns when the choice is taken back.
TEST(AnsiConversion, Utf8AsTheAnsiCodePage) {
  ASSERT_TRUE(win::SetAnsiCodePage(CP_UTF8));
  const std::tuple<const char*, AnsiString, AnsiString> cases[] = {
      {"to UTF-16 and back", ToAnsi(ToUnicode("\xD0\x96\xC3\xA9\xF0\x9F\x98\x80")),
       "\xD0\x96\xC3\xA9\xF0\x9F\x98\x80"},
      {"upper case", AnsiUpperCase(std::string("\xD0\xB6uk caf\xC3\xA9 stra\xC3\x9F" "e")),
       "\xD0\x96UK CAF\xC3\x89 STRASSE"},
      {"lower case", AnsiLowerCase(std::string("\xC3\x89" "COLE \xD0\x96")),
       "\xC3\xA9" "cole \xD0\xB6"},
      {"a byte that is no text", ToAnsi(ToUnicode("a\xFF")), "a\xEF\xBF\xBD"},
      {"ASCII only, byte by byte", UpperCase(std::string("\xC3\xA9")), "\xC3\xA9"},
  };
  for (const auto& [what, got, want] : cases) EXPECT_EQ(got, want) << what;
  EXPECT_EQ(AnsiCompareText(std::string("\xC3\x89" "COLE"), std::string("\xC3\xA9" "cole")), 0);
  EXPECT_LT(AnsiCompareText(std::string("\xC3\xA9t\xC3\xA9"), std::string("\xC3\xA9tude")), 0);
  for (uint32_t cp : {1u, 3u, 65000u, 28600u, 1200u}) EXPECT_FALSE(win::SetAnsiCodePage(cp)) << cp;
  EXPECT_EQ(win::GetACP(), CP_UTF8);
  ASSERT_TRUE(win::SetAnsiCodePage(0));
  EXPECT_EQ(ToUnicode("\xC3\xA9"), u"\u00C3\u00A9");  // 1252 again
}

TEST(Utf8, DecodeRejectsIllFormedInput) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"", u""}, {"abc", u"abc"}, {"\xD0\x96", u"\u0416"}, {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xC0\xAF", u""},          // overlong slash
      {"\xED\xA0\x80", u""},      // encoded surrogate
      {"\xE2\x82", u""},          // cut short
      {"\xF4\x90\x80\x80", u""},  // beyond U+10FFFF
      {"a\x80", u""},             // stray continuation byte
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(UTF8Decode(in), out) << in;
  EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\uFFFDz");
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // lone surrogate
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600\u00E9"), "\xF0\x9F\x98\x80\xC3\xA9");
}

// At each of the boundaries where a sequence stops being well formed.
TEST(InvalidUtf8At, FindsTheFirstIllFormedSequence) {
  constexpr size_t kValid = std::string_view::npos;
  const std::pair<std::string_view, size_t> cases[] = {
      {"", kValid}, {"a\x7F", kValid},
      {"\xC2\x80\xDF\xBF", kValid},                      // 2 bytes, first and last
      {"\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80", kValid},  // 3 bytes around the surrogates
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", kValid},      // 4 bytes, U+10000 and U+10FFFF
      {"ab\xC0\xAF", 2}, {"ab\xC1\xBF", 2},               // overlong '/' and 2-byte forms
      {"a\xE0\x9F\xBF", 1},                              // overlong 3-byte form
      {"a\xF0\x8F\xBF\xBF", 1},                          // overlong 4-byte form
      {"xy\xED\xA0\x80", 2}, {"\xED\xBF\xBF", 0},          // U+D800, U+DFFF
      {"\xF4\x90\x80\x80", 0}, {"\xF5\x80\x80\x80", 0}, {"\xFF", 0},  // past U+10FFFF
      {"ok\xC3", 2}, {"ok\xE2\x82", 2}, {"ok\xF0\x9F\x98", 2},  // cut short at the end
      {"\xE2\x82" "a", 0},                               // cut short by ASCII
      {"\xC3\xA9\x80", 2}, {"a\xBF", 1},                  // stray continuation
  };
  for (const auto& [bytes, at] : cases)
    EXPECT_EQ(InvalidUtf8At(bytes), at) << ::testing::PrintToString(std::string(bytes));
}

TEST(Case, AsciiRoutinesFoldAsciiOnlyLocaleRoutinesFully) {
  EXPECT_EQ(UpperCase(u"abz\u00E9\u0436"), u"ABZ\u00E9\u0436");
  EXPECT_EQ(LowerCase(std::string("ABZ\xC9")), "abz\xC9");
  EXPECT_EQ(AnsiUpperCase(u"straße"), u"STRASSE");
  EXPECT_EQ(WideLowerCase(u"ÀÉÎ Ж"), u"àéî ж");
  EXPECT_EQ(CompareText(u"Hello", u"hELLO"), 0);
  EXPECT_NE(CompareText(u"\u00E9", u"\u00C9"), 0);
  EXPECT_LT(CompareText(u"abc", u"abd"), 0);
  EXPECT_GT(CompareText(u"abcd", u"ABC"), 0);
  EXPECT_GT(CompareText(u"a_", u"aZ"), 0);  // '_' sorts after the letters once upper-cased
  EXPECT_EQ(AnsiCompareText(u"ÉCOLE", u"école"), 0);
  EXPECT_NE(AnsiCompareText(u"ecole", u"école"), 0);  // accents still count
  EXPECT_EQ(WideCompareText(u"ЖУК", u"жук"), 0);
  EXPECT_LT(AnsiCompareText(u"apple", u"Banana"), 0);
  {
    test::LocaleScope tr("tr-TR");
    EXPECT_EQ(AnsiUpperCase(u"i"), u"\u0130");  // dotted capital I
    EXPECT_EQ(AnsiLowerCase(std::string("I")), ToAnsi(u"\u0131"));
  }
  EXPECT_EQ(AnsiUpperCase(u"i"), u"I");
}

TEST(Pieces, PosCopyDeleteInsertTrimAndQuoting) {
  const std::tuple<const char16_t*, const char16_t*, int32_t, int32_t> pos[] = {
      {u"b", u"abcb", 1, 2}, {u"b", u"abcb", 3, 4}, {u"", u"abc", 1, 0},
      {u"b", u"abc", 0, 0},  {u"b", u"abc", 9, 0},
  };
  for (const auto& [sub, s, from, want] : pos) EXPECT_EQ(Pos(sub, s, from), want) << from;
  EXPECT_EQ(Pos("cd", "abcd"), 3);
  const std::tuple<int32_t, int32_t, const char16_t*> copies[] = {  // pieces of "abcdef"
      {0, 2, u"ab"}, {5, 100, u"ef"}, {7, 1, u""}, {2, -1, u""}};
  for (const auto& [at, n, want] : copies) EXPECT_EQ(Copy(u"abcdef", at, n), want) << at;
  UnicodeString s = u"abcdef";
  Delete(s, 2, 2);
  Delete(s, 10, 1);  // past the end: nothing
  EXPECT_EQ(s, u"adef");
  Insert(u"XY", s, 2);
  Insert(u"!", s, 99);  // past the end: appended
  EXPECT_EQ(s, u"aXYdef!");
  EXPECT_EQ(Trim(u"\x01\t x y \x1F\x20"), u"x y");
  EXPECT_EQ(Trim(std::string(" \x7F ")), "\x7F");
  EXPECT_EQ(TrimLeft(u"  a "), u"a ");
  EXPECT_EQ(TrimRight(u"  a "), u"  a");
  EXPECT_EQ(AnsiQuotedStr(u"it's", u'\''), u"'it''s'");
  EXPECT_EQ(AnsiQuotedStr(std::string(""), '"'), "\"\"");
  const char16_t* p = u"'a''b'rest";
  EXPECT_EQ(AnsiExtractQuotedStr(p, u'\''), u"a'b");
  EXPECT_EQ(UnicodeString(p), u"rest");
  const char* q = "'abc";  // unterminated
  EXPECT_EQ(AnsiExtractQuotedStr(q, '\''), "abc");
  EXPECT_EQ(*q, '\0');
  q = "abc";
  EXPECT_EQ(AnsiExtractQuotedStr(q, '\''), "");
  EXPECT_STREQ(q, "abc");  // not quoted: left where it was
  char buf[16] = "ab";
  EXPECT_STREQ(StrCat(buf, "cd"), "abcd");
}

TEST(IntegerText, ReadsTheClassicFormsOnlyWritesDecimalAndHex) {
  const std::pair<const char16_t*, int32_t> good[] = {
      {u"0", 0}, {u"42", 42}, {u"  -17", -17}, {u"+8", 8}, {u"$FF", 255}, {u"0x1f", 31},
      {u"X10", 16}, {u"-$10", -16}, {u"$FFFFFFFF", -1}, {u"007", 7}, {u"$80000000", INT32_MIN},
      {u"2147483647", INT32_MAX}, {u"-2147483648", INT32_MIN},
  };
  for (const auto& [text, value] : good) EXPECT_EQ(StrToInt(text), value) << UTF8Encode(text);
  for (const char16_t* bad : {u"", u" ", u"12 ", u"1.0", u"2147483648", u"-2147483649", u"$", u"0x",
                              u"$100000000", u"--1", u"1e3", u"\t5", u"١٢"}) {
    int32_t v = 99;
    EXPECT_FALSE(TryStrToInt(bad, v)) << UTF8Encode(bad);
    EXPECT_EQ(v, 99);
    EXPECT_EQ(test::MessageOf<EConvertError>([&] { StrToInt(bad); }),
              u"'" + UnicodeString(bad) + u"' is not a valid integer value");
  }
  EXPECT_EQ(StrToInt64(u"9223372036854775807"), INT64_MAX);
  EXPECT_EQ(StrToInt64(u"$FFFFFFFF"), 0xFFFFFFFFll);
  EXPECT_THROW(StrToInt64(u"9223372036854775808"), EConvertError);
  EXPECT_EQ(IntToStr(int32_t{-5}), u"-5");
  EXPECT_EQ(IntToStr(INT64_MIN), u"-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 4), u"00FF");
  EXPECT_EQ(IntToHex(0, 0), u"0");
  EXPECT_EQ(IntToHex(-1, 2), u"FFFFFFFF");
  EXPECT_EQ(IntToHex(int64_t{-1}, 2), u"FFFFFFFFFFFFFFFF");
}

TEST(FloatToStr, GeneralFormatWithFifteenDigitsAndTheSettingsSeparator) {
  const std::pair<double, const char16_t*> cases[] = {
      {0, u"0"}, {1, u"1"}, {-2.5, u"-2.5"}, {0.1, u"0.1"}, {100, u"100"},
      {1.0 / 3, u"0.333333333333333"}, {123456789012345.0, u"123456789012345"},
      {1e14, u"100000000000000"}, {1e15, u"1E15"}, {1.5e15, u"1.5E15"},
      {999999999999999.9, u"1E15"},  // rounds to 16 integer digits
      {0.00001, u"0.00001"}, {0.0000015, u"1.5E-6"}, {1.5e-7, u"1.5E-7"}, {-1e-300, u"-1E-300"},
  };
  for (const auto& [v, text] : cases) EXPECT_EQ(FloatToStr(v), text) << v;
  const TFormatSettings ru = GetLocaleFormatSettings(0x0419);
  EXPECT_EQ(FloatToStr(-1.25, ru), u"-1,25");
  EXPECT_EQ(FloatToStr(2.5e-9, ru), u"2,5E-9");
  EXPECT_DOUBLE_EQ(StrToFloat(u" 1,5 ", ru), 1.5);
  EXPECT_THROW(StrToFloat(u"1.5", ru), EConvertError);
  EXPECT_EQ(CurrToStr(Currency(12.5), ru), u"12,5");
  test::LocaleScope scope("ru-RU");
  EXPECT_EQ(FloatToStr(0.5), u"0,5");
  EXPECT_DOUBLE_EQ(StrToFloat(u"0,25"), 0.25);
}

TEST(StrToFloat, AcceptsAndRejects) {
  TFormatSettings fs;
  const std::pair<const char16_t*, double> good[] = {
      {u"1", 1},      {u"-1.5", -1.5}, {u"+2", 2},      {u".5", 0.5},     {u"5.", 5},
      {u"1e3", 1000}, {u"1E-2", 0.01}, {u"\t 3 \t", 3}, {u"1e-400", 0.0}, {u"007.50", 7.5}};
  // Through the owning form, which answers as the classic one (TryOptional).
  for (const auto& [text, want] : good)
    EXPECT_EQ(TryStrToFloat(text, fs), want) << UTF8Encode(text);
  for (const char16_t* bad : {u"", u" ", u".", u"e5", u"1e", u"1e+", u"1.2.3", u"1,5", u"0x10",
                              u"1 2", u"INF", u"nan", u"1e400", u"--1"})
    EXPECT_EQ(TryStrToFloat(bad, fs), std::nullopt) << UTF8Encode(bad);
  EXPECT_EQ(test::MessageOf<EConvertError>([&] { StrToFloat(u"abc", fs); }),
            u"'abc' is not a valid floating point value");
}

TEST(CurrToStr, UpToFourDecimalsWithoutTrailingZeros) {
  const std::pair<int64_t, const char16_t*> cases[] = {
      {0, u"0"}, {10000, u"1"}, {15000, u"1.5"}, {12345, u"1.2345"}, {-5, u"-0.0005"},
      {-25000, u"-2.5"}, {INT64_MAX, u"922337203685477.5807"},
      {INT64_MIN, u"-922337203685477.5808"},
  };
  for (const auto& [raw, text] : cases) EXPECT_EQ(CurrToStr(Currency::FromRaw(raw)), text);
  // Conversion from double rounds half to even on the fourth decimal.
  // (values whose product by 10000 is exact in binary: 10312.5 and 10937.5)
  EXPECT_EQ(Currency(1.03125).Raw(), 10312);
  EXPECT_EQ(Currency(1.09375).Raw(), 10938);
  EXPECT_EQ(Currency(-1.23456).Raw(), -12346);
}

TEST(Val, ReportsThePositionOfTheFirstUnreadCharacter) {
  const std::tuple<const char16_t*, double, int32_t> cases[] = {
      {u"12.5", 12.5, 0}, {u"  -3", -3, 0}, {u"1e3", 1000, 0}, {u"12a", 0, 3},
      {u"", 0, 1},        {u"abc", 0, 1},   {u"1e", 0, 3},     {u"1.5 ", 0, 4},
      {u"+.5", 0.5, 0},   {u"1,5", 0, 2},   {u"-", 0, 2}};
  for (const auto& [text, want, wantCode] : cases) {
    SCOPED_TRACE(UTF8Encode(text));
    double v = -1;
    int32_t code = -1;
    Val(text, v, code);
    EXPECT_EQ(code, wantCode);
    if (wantCode == 0) {
      EXPECT_DOUBLE_EQ(v, want);
    }
  }
}

TEST(Format, PlaceholdersAndErrors) {
  EXPECT_EQ(Format(u"List index out of bounds (%d)", {int64_t{-1}}),
            u"List index out of bounds (-1)");
  EXPECT_EQ(Format(u"'%s' and %s", {UnicodeString(u"ж"), AnsiString("x")}), u"'ж' and x");
  EXPECT_EQ(Format(u"%.3d|%5s|%-3s|%x|%%",
                   {int64_t{7}, UnicodeString(u"ab"), UnicodeString(u"c"), int64_t{255}}),
            u"007|   ab|c  |FF|%");
  EXPECT_EQ(Format(u"%x", {int64_t{-1}}), u"FFFFFFFF");
  EXPECT_THROW(Format(u"%d", {}), EConvertError);
  EXPECT_THROW(Format(u"%d", {UnicodeString(u"x")}), EConvertError);
  EXPECT_THROW(Format(u"50%", {}), EConvertError);
}

TEST(Rounding, TiesToEvenAndTruncation) {
  const std::tuple<double, int64_t, int64_t> cases[] = {
      {0.5, 0, 0}, {1.5, 2, 1}, {2.5, 2, 2}, {-0.5, 0, 0}, {-1.5, -2, -1}, {-2.7, -3, -2},
      {3.49, 3, 3}, {1e15 + 0.5, 1000000000000000, 1000000000000000},
      // Nothing an int64 holds: the classic answer is the smallest one.
      {std::nan(""), INT64_MIN, INT64_MIN}, {1e19, INT64_MIN, INT64_MIN},
      {-1e300, INT64_MIN, INT64_MIN}, {HUGE_VAL, INT64_MIN, INT64_MIN},
  };
  for (const auto& [v, round, trunc] : cases) {
    EXPECT_EQ(Round(v), round) << v;
    EXPECT_EQ(Trunc(v), trunc) << v;
  }
}

TEST(System, RandomAndParamStr) {
  RandSeed() = 0;
  // The classic generator from seed 0: seeds 1, 0x08088406, ...
  EXPECT_EQ(Random(100), 0);
  EXPECT_EQ(RandSeed(), 1u);
  EXPECT_EQ(Random(1 << 30), static_cast<int32_t>((0x08088406ull << 30) >> 32));
  Randomize();
  // As unsigned, a negative result fails the bound too.
  for (int i = 0; i < 1000; ++i) ASSERT_LT(static_cast<uint32_t>(Random(7)), 7u);
  EXPECT_EQ(Random(0), 0);
  UnicodeString self = ParamStr(0);
  ASSERT_FALSE(self.empty());
  EXPECT_EQ(self[0], u'/');
  EXPECT_NE(self.find(u"test_host"), UnicodeString::npos);
}

// The Try routines with owning results answer as their classic twins; classic
// calls (literals, UnicodeString, views) must still resolve to the classic forms.
template <class S>
concept ClassicTryStaysClassic = requires(S s, int32_t& i, int64_t& l, double& d, TDateTime& t,
                                          const TFormatSettings& fs) {
  { TryStrToInt(s, i) } -> std::same_as<bool>;
  { TryStrToInt64(s, l) } -> std::same_as<bool>;
  { TryStrToFloat(s, d, fs) } -> std::same_as<bool>;
  { TryStrToDateTime(s, t, fs) } -> std::same_as<bool>;
  { TryStrToInt(s) } -> std::same_as<std::optional<int32_t>>;
  { TryStrToDate(s, fs) } -> std::same_as<std::optional<TDateTime>>;
};
static_assert(ClassicTryStaysClassic<const char16_t*>);
static_assert(ClassicTryStaysClassic<UnicodeString>);
static_assert(ClassicTryStaysClassic<std::u16string_view>);
static_assert(std::same_as<decltype(TryEncodeDate(1, 2, 3, std::declval<TDateTime&>())), bool>);

TEST(TryOptional, AnswersAsTheClassicForms) {
  TFormatSettings fs;
  fs.DecimalSeparator = u',';
  fs.DateSeparator = u'.';
  fs.ShortDateFormat = u"dd.mm.yyyy";
  const struct {
    const char16_t* text;
    std::optional<int32_t> i;
    std::optional<int64_t> l;
    std::optional<double> f;
    std::optional<TDateTime> date;
  } cases[] = {
      {u" -17", -17, -17, -17.0, {}},   {u"$FFFFFFFF", -1, 0xFFFFFFFF, {}, {}},
      {u"2,5", {}, {}, 2.5, {}},        {u"2147483648", {}, 2147483648, 2147483648.0, {}},
      {u"29.02.2024", {}, {}, {}, 45351}, {u"31.02.2024", {}, {}, {}, {}}, {u"", {}, {}, {}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TryStrToInt(c.text), c.i) << UTF8Encode(c.text);
    EXPECT_EQ(TryStrToInt64(c.text), c.l) << UTF8Encode(c.text);
    EXPECT_EQ(TryStrToFloat(c.text, fs), c.f) << UTF8Encode(c.text);
    EXPECT_EQ(TryStrToDate(c.text, fs), c.date) << UTF8Encode(c.text);
    EXPECT_EQ(TryStrToDateTime(c.text, fs), c.date) << UTF8Encode(c.text);
  }
  EXPECT_EQ(TryStrToTime(u"18:30", fs), EncodeTime(18, 30, 0, 0));
  EXPECT_EQ(TryStrToTime(u"25:00", fs), std::nullopt);
}

TEST(EncodeDate, CountsDaysFromTheEpochAndRejectsDaysTheCalendarLacks) {
  const struct {
    Word y, m, d;
    double serial;
  } cases[] = {{1899, 12, 30, 0},  {1899, 12, 31, 1},       {1900, 1, 1, 2},
               {1900, 3, 1, 61},   {2000, 2, 29, 36585},    {2000, 3, 1, 36586},
               {1, 1, 1, -693593}, {9999, 12, 31, 2958465}, {2024, 1, 5, 45296},
               {1899, 12, 29, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(TryEncodeDate(c.y, c.m, c.d), c.serial);  // the owning form answers alike
    Word y, m, d;
    DecodeDate(c.serial, y, m, d);
    EXPECT_EQ(std::tuple(y, m, d), std::tuple(c.y, c.m, c.d)) << c.serial;
  }
  const struct {
    Word y, m, d;
  } bad[] = {{1900, 2, 29}, {2100, 2, 29}, {2023, 2, 29}, {2023, 4, 31}, {0, 1, 1},
             {10000, 1, 1}, {2023, 0, 1},  {2023, 13, 1}, {2023, 1, 0}};
  for (const auto& c : bad) {
    EXPECT_THROW(EncodeDate(c.y, c.m, c.d), EConvertError) << c.y << "-" << c.m << "-" << c.d;
    TDateTime out = 7;
    EXPECT_FALSE(TryEncodeDate(c.y, c.m, c.d, out));
    EXPECT_EQ(out, 7);
    EXPECT_EQ(TryEncodeDate(c.y, c.m, c.d), std::nullopt);
  }
}

TEST(DecodeDate, RoundTripsEveryDayOfFourCenturies) {
  TDateTime first = EncodeDate(1800, 1, 1), last = EncodeDate(2200, 12, 31);
  Word py = 1799, pm = 12, pd = 31;
  for (TDateTime t = first; t <= last; t += 1) {
    Word y, m, d;
    DecodeDate(t, y, m, d);
    bool next = (y == py && m == pm && d == pd + 1) ||
                (y == py && m == pm + 1 && d == 1 && pd == DaysInAMonth(py, pm)) ||
                (y == py + 1 && m == 1 && d == 1 && pm == 12 && pd == 31);
    ASSERT_TRUE(next) << y << "-" << m << "-" << d;
    ASSERT_EQ(EncodeDate(y, m, d), t);
    py = y, pm = m, pd = d;
  }
}

TEST(Time, EncodeDecodeAndLimits) {
  Word h, n, s, ms;
  DecodeTime(EncodeTime(18, 30, 15, 250), h, n, s, ms);
  EXPECT_EQ(std::tuple(h, n, s, ms), std::tuple(18, 30, 15, 250));
  EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  DecodeTime(-1.25, h, n, s, ms);  // before the epoch the fraction counts by magnitude
  EXPECT_EQ(std::tuple(h, n, s, ms), std::tuple(6, 0, 0, 0));
  EXPECT_EQ(TryEncodeTime(12, 30, 59, 999), EncodeTime(12, 30, 59, 999));
  for (const auto& [h, n, s, ms] : {std::array<Word, 4>{24, 0, 0, 0}, {0, 60, 0, 0},
                                    {0, 0, 0, 1000}, {23, 59, 60, 0}}) {
    EXPECT_THROW(EncodeTime(h, n, s, ms), EConvertError) << h << ":" << n << ":" << s;
    EXPECT_EQ(TryEncodeTime(h, n, s, ms), std::nullopt);
  }
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 5)), 6);  // a Friday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1);
  EXPECT_EQ(Date(), DateOf(Now()));
  // Values no calendar holds decode to zeros rather than to garbage.
  for (double bad : {std::nan(""), 1e300, -1e7, 2958466.0}) {
    Word y = 1, m = 1, d = 1;
    DecodeDate(bad, y, m, d);
    EXPECT_EQ(std::tuple(y, m, d), std::tuple(0, 0, 0)) << bad;
  }
}

struct ParseCase {
  const char16_t* text;
  bool ok;
  Word y = 0, m = 0, d = 0, h = 0, n = 0, s = 0;
};

void ExpectParses(const TFormatSettings& fs, std::initializer_list<ParseCase> cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.text));
    TDateTime v = -12345;  // on failure, left alone
    EXPECT_EQ(TryStrToDateTime(c.text, v, fs), c.ok);
    EXPECT_DOUBLE_EQ(v, c.ok ? EncodeDate(c.y, c.m, c.d) + EncodeTime(c.h, c.n, c.s, 0) : -12345);
  }
}

TEST(TryStrToDateTime, ReadsInTheOrderOfTheShortDateFormat) {
  const TFormatSettings us = GetLocaleFormatSettings(0x0409);
  ExpectParses(us, {{u"12/24/2023", true, 2023, 12, 24},
                    {u"12/24/2023 12:00 AM", true, 2023, 12, 24},
                    {u"1/2/2023 18:30", true, 2023, 1, 2, 18, 30},
                    {u" 1/2/2023  6:05:09 PM ", true, 2023, 1, 2, 18, 5, 9},
                    {u"24/12/2023", false}, {u"12-24-2023", false}, {u"12/24/2023x", false},
                    {u"123/1/2023", false}, {u"12/24/2023 25:00", false}, {u"", false}});
  ExpectParses(GetLocaleFormatSettings(0x0419), {{u"24.12.2023", true, 2023, 12, 24},
                                                  {u"5.1.2024 7:08:09", true, 2024, 1, 5, 7, 8, 9},
                                                  {u"12/24/2023", false}});
  TFormatSettings iso = us;
  iso.ShortDateFormat = u"yyyy-mm-dd";
  iso.DateSeparator = u'-';
  ExpectParses(iso, {{u"2023-12-24 18:30", true, 2023, 12, 24, 18, 30},
                     {u"0099-01-02", true, 99, 1, 2},  // four digits: no century window
                     {u"2023-12", false}});
  // A time alone is a time on day zero.
  ExpectParses(TFormatSettings{}, {{u"18:30", true, 1899, 12, 30, 18, 30}, {u"18", false}});
}

TEST(TryStrToDateTime, TwoDigitYearsFallInTheCenturyWindow) {
  TFormatSettings fs;
  fs.ShortDateFormat = u"d.M.yy";
  fs.DateSeparator = u'.';
  Word thisYear, m, d;
  DecodeDate(Date(), thisYear, m, d);
  // The one year with those last two digits in the hundred from fifty back.
  const int window = thisYear - 50;
  for (int yy : {0, 49, 50, 99}) {
    const int want = window + (yy - window % 100 + 100) % 100;
    EXPECT_EQ(TryStrToDateTime(u"1.1." + IntToStr(yy), fs), EncodeDate(want, 1, 1)) << yy;
  }
  EXPECT_EQ(TryStrToDateTime(u"3.4", fs), EncodeDate(thisYear, 4, 3));  // no year: this year
}

UnicodeString Info(LCID id, LCTYPE type) {
  char16_t buf[128] = {};
  return win::GetLocaleInfoW(id, type, buf, 128) > 0 ? UnicodeString(buf) : UnicodeString();
}

TEST(FormatSettings, WindowsTokensBecomeTheRuntimes) {
  struct Case {
    LCID Id;
    const char16_t *ShortDate, *LongDate, *ShortTime, *LongTime;
    char16_t DateSep;
  } cases[] = {
      {0x0409, u"M/d/yyyy", u"dddd, MMMM d, yyyy", u"h:mm AMPM", u"h:mm:ss AMPM", u'/'},
      {0x0407, u"dd.MM.yyyy", u"dddd, d. MMMM yyyy", u"hh:mm", u"hh:mm:ss", u'.'},
      {0x0419, u"dd.MM.yyyy", u"d MMMM yyyy '\u0433.'", u"h:mm", u"h:mm:ss", u'.'},
      {0x0411, u"yyyy/MM/dd", u"yyyy'\u5E74'M'\u6708'd'\u65E5'", u"h:mm", u"h:mm:ss", u'/'},
      // Quoted literals are kept as they are, "t" or "H" inside them too.
      {0x0402, u"d.MM.yyyy\u202F'\u0433'.", u"dddd, d MMMM yyyy\u202F'\u0433'.", u"h:mm '\u0447'.",
       u"h:mm:ss '\u0447'.", u'.'},
      // The runtime has no era: Thai "gg" goes with its blank.
      {0x041E, u"d/M/yyyy", u"dddd\u0E17\u0E35\u0E48 d MMMM yyyy", u"hh:mm", u"hh:mm:ss", u'/'},
      // Chinese (Taiwan) puts the AM/PM mark first.
      {0x0404, u"yyyy/M/d", u"yyyy\u5E74M\u6708d\u65E5 dddd", u"AMPMh:mm", u"AMPMh:mm:ss", u'/'},
      // Arabic separators are a direction mark and a slash: the slash counts.
      {0x0401, u"d\u200F/M\u200F/yyyy", u"dddd\u060C d MMMM yyyy", u"h:mm AMPM", u"h:mm:ss AMPM",
       u'/'},
      // An identifier Windows does not know gives en-US.
      {0x7777, u"M/d/yyyy", u"dddd, MMMM d, yyyy", u"h:mm AMPM", u"h:mm:ss AMPM", u'/'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Id);
    TFormatSettings filled;
    filled.ShortDateFormat = u"stale";  // what it held is forgotten
    GetLocaleFormatSettings(c.Id, filled);
    for (const TFormatSettings& fs : {filled, GetLocaleFormatSettings(c.Id)}) {
      EXPECT_EQ(fs.ShortDateFormat, c.ShortDate);
      EXPECT_EQ(fs.LongDateFormat, c.LongDate);
      EXPECT_EQ(fs.ShortTimeFormat, c.ShortTime);
      EXPECT_EQ(fs.LongTimeFormat, c.LongTime);
      EXPECT_EQ(fs.DateSeparator, c.DateSep);
      EXPECT_EQ(fs.DecimalSeparator, filled.DecimalSeparator);
      EXPECT_EQ(fs.LongMonthNames, filled.LongMonthNames);
    }
  }
  EXPECT_EQ(GetLocaleFormatSettings(0x7777).LongMonthNames,
            GetLocaleFormatSettings(0x0409).LongMonthNames);
}

// Over every recorded locale: names in the runtime's order (Sunday first),
// separators, and no Windows-only time token left outside quotes.
TEST(FormatSettings, AgreeWithGetLocaleInfoForEveryLocale) {
  size_t locales = 0;
  for (const auto& row : test::oracle::Rows("locales.txt")) {
    if (row[0] == "types" || row[0] == "unknown") continue;
    const LCID id = test::oracle::Hex(row[0]);
    const TFormatSettings fs = GetLocaleFormatSettings(id);
    ++locales;
    for (LCTYPE m = 0; m < 12; ++m) {
      ASSERT_EQ(fs.LongMonthNames[m], Info(id, LOCALE_SMONTHNAME1 + m)) << row[0];
      ASSERT_EQ(fs.ShortMonthNames[m], Info(id, LOCALE_SABBREVMONTHNAME1 + m)) << row[0];
    }
    ASSERT_EQ(fs.LongDayNames[0], Info(id, LOCALE_SDAYNAME1 + 6)) << row[0];
    ASSERT_EQ(fs.ShortDayNames[1], Info(id, LOCALE_SABBREVDAYNAME1)) << row[0];
    ASSERT_EQ(fs.DecimalSeparator, Info(id, LOCALE_SDECIMAL)[0]) << row[0];
    ASSERT_EQ(fs.ListSeparator, Info(id, LOCALE_SLIST)[0]) << row[0];
    ASSERT_EQ(fs.TimeAMString, Info(id, LOCALE_S1159)) << row[0];
    const bool twelveHours = Info(id, LOCALE_STIMEFORMAT).find(u't') != UnicodeString::npos;
    for (const UnicodeString* f : {&fs.ShortTimeFormat, &fs.LongTimeFormat}) {
      bool quoted = false;
      for (char16_t c : *f) {
        if (c == u'\'') quoted = !quoted;
        ASSERT_TRUE(quoted || (c != u't' && c != u'H')) << row[0];
      }
    }
    ASSERT_EQ(fs.LongTimeFormat.find(u"AMPM") != UnicodeString::npos, twelveHours) << row[0];
  }
  EXPECT_GT(locales, 400u);
}

TEST(FormatSettings, TheCurrentOnesFollowTheSystemLocale) {
  FormatSettings().DecimalSeparator = u'#';
  EXPECT_EQ(FormatSettings().DecimalSeparator, u'#');  // the caller's change holds
  {
    test::LocaleScope de("de-DE");
    EXPECT_EQ(FormatSettings().DecimalSeparator, u',');
    EXPECT_EQ(FormatSettings().LongTimeFormat, u"hh:mm:ss");
  }
  EXPECT_EQ(FormatSettings().DecimalSeparator, u'.');
  FormatSettings().DecimalSeparator = u'#';
  ResetFormatSettings();
  EXPECT_EQ(FormatSettings().DecimalSeparator, u'.');
  // 2048 is the system default locale: under en-US it could not tell itself
  // from the en-US fallback.
  test::LocaleScope ru("ru-RU");
  EXPECT_EQ(GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT).LongMonthNames[0],
            u"\u042F\u043D\u0432\u0430\u0440\u044C");
}

}  // namespace
}  // namespace dz
