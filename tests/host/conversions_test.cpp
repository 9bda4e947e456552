#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

#include "deziva27/base/Utf.h"
#include "deziva27/host/Host.h"
#include "deziva27/host/runtime/Format.h"
#include "deziva27/platform/detail/CodePages.h"
#include "Raises.h"
#include "support/Locale.h"

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
  for (const auto& [text, value] : good) {
    SCOPED_TRACE(UTF8Encode(text));
    EXPECT_EQ(StrToInt(text), value);
    int32_t v = 0;
    EXPECT_TRUE(TryStrToInt(text, v));
    EXPECT_EQ(v, value);
  }
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

}  // namespace
}  // namespace dz
