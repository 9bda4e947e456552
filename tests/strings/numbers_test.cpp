#include <gtest/gtest.h>

#include <tuple>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"

namespace dz {
namespace {

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

}  // namespace
}  // namespace dz
