#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

#include "deziva27/host/Host.h"
#include "deziva27/host/runtime/Format.h"
#include "support/Locale.h"

namespace dz {
namespace {

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
    try {
      StrToInt(bad);
      ADD_FAILURE() << "no exception for " << UTF8Encode(bad);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"'" + UnicodeString(bad) + u"' is not a valid integer value");
    }
  }
  // The 64-bit reader uses the full width.
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
  // Float text follows the settings' decimal separator.
  TFormatSettings ru;
  GetLocaleFormatSettings(0x0419, ru);
  ASSERT_EQ(ru.DecimalSeparator, u',');
  EXPECT_EQ(FloatToStr(-1.25, ru), u"-1,25");
  EXPECT_EQ(FloatToStr(2.5e-9, ru), u"2,5E-9");
  EXPECT_DOUBLE_EQ(StrToFloat(u" 1,5 ", ru), 1.5);
  EXPECT_THROW(StrToFloat(u"1.5", ru), EConvertError);
  EXPECT_EQ(CurrToStr(Currency(12.5), ru), u"12,5");
  {
    test::LocaleScope scope("ru-RU");
    EXPECT_EQ(FloatToStr(0.5), u"0,5");
    EXPECT_DOUBLE_EQ(StrToFloat(u"0,25"), 0.25);
  }
  EXPECT_EQ(FloatToStr(0.5), u"0.5");
}

TEST(StrToFloat, AcceptsAndRejects) {
  TFormatSettings fs;
  const std::pair<const char16_t*, double> good[] = {
      {u"1", 1},      {u"-1.5", -1.5}, {u"+2", 2},      {u".5", 0.5},     {u"5.", 5},
      {u"1e3", 1000}, {u"1E-2", 0.01}, {u"\t 3 \t", 3}, {u"1e-400", 0.0}, {u"007.50", 7.5}};
  for (const auto& [text, want] : good) {
    double v;
    ASSERT_TRUE(TryStrToFloat(text, v, fs)) << UTF8Encode(text);
    EXPECT_DOUBLE_EQ(v, want);
  }
  for (const char16_t* bad : {u"", u" ", u".", u"e5", u"1e", u"1e+", u"1.2.3", u"1,5", u"0x10",
                              u"1 2", u"INF", u"nan", u"1e400", u"--1"}) {
    double v;
    EXPECT_FALSE(TryStrToFloat(bad, v, fs)) << UTF8Encode(bad);
  }
  try {
    StrToFloat(u"abc", fs);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'abc' is not a valid floating point value");
  }
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

// The classic generator, and ParamStr(0) as the running executable.
TEST(System, RandomAndParamStr) {
  RandSeed() = 0;
  // The classic generator from seed 0: seeds 1, 0x08088406, ...
  EXPECT_EQ(Random(100), 0);
  EXPECT_EQ(RandSeed(), 1u);
  EXPECT_EQ(Random(1 << 30), static_cast<int32_t>((0x08088406ull << 30) >> 32));
  Randomize();
  for (int i = 0; i < 1000; ++i) {
    int32_t r = Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
  }
  EXPECT_EQ(Random(0), 0);
  UnicodeString self = ParamStr(0);
  ASSERT_FALSE(self.empty());
  EXPECT_EQ(self[0], u'/');
  EXPECT_NE(self.find(u"test_host"), UnicodeString::npos);
}

}  // namespace
}  // namespace dz
