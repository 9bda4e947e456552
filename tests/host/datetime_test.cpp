#include <gtest/gtest.h>

#include <cmath>

#include "deziva27/host/Host.h"

namespace dz {
namespace {

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
  }
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2100));
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
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
  TDateTime t = EncodeTime(18, 30, 15, 250);
  Word h, n, s, ms;
  DecodeTime(t, h, n, s, ms);
  EXPECT_EQ(std::tuple(h, n, s, ms), std::tuple(18, 30, 15, 250));
  EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  DecodeTime(-1.25, h, n, s, ms);  // before the epoch the fraction counts by magnitude
  EXPECT_EQ(std::tuple(h, n, s, ms), std::tuple(6, 0, 0, 0));
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
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
    TDateTime v = -12345;
    bool ok = TryStrToDateTime(c.text, v, fs);
    EXPECT_EQ(ok, c.ok) << UTF8Encode(c.text);
    if (!ok) {
      EXPECT_EQ(v, -12345) << "value touched on failure";
      continue;
    }
    Word y, m, d, h, n, s, ms;
    DecodeDate(v, y, m, d);
    DecodeTime(v, h, n, s, ms);
    EXPECT_EQ(std::tuple(y, m, d, h, n, s), std::tuple(c.y, c.m, c.d, c.h, c.n, c.s))
        << UTF8Encode(c.text);
  }
}

TEST(TryStrToDateTime, ReadsInTheOrderOfTheShortDateFormat) {
  const TFormatSettings us = GetLocaleFormatSettings(0x0409);
  ExpectParses(us, {{u"12/24/2023", true, 2023, 12, 24, 0, 0, 0},
                    {u"1/2/2023 18:30", true, 2023, 1, 2, 18, 30, 0},
                    {u" 1/2/2023  6:05:09 PM ", true, 2023, 1, 2, 18, 5, 9},
                    {u"12/24/2023 12:00 AM", true, 2023, 12, 24, 0, 0, 0},
                    {u"24/12/2023", false}, {u"12-24-2023", false}, {u"12/24/2023x", false},
                    {u"123/1/2023", false}, {u"2/29/2023", false}, {u"12/24/2023 25:00", false},
                    {u"", false}});
  ExpectParses(GetLocaleFormatSettings(0x0419), {{u"24.12.2023", true, 2023, 12, 24, 0, 0, 0},
                                                  {u"5.1.2024 7:08:09", true, 2024, 1, 5, 7, 8, 9},
                                                  {u"12/24/2023", false}});
  TFormatSettings iso = us;
  iso.ShortDateFormat = u"yyyy-mm-dd";
  iso.DateSeparator = u'-';
  ExpectParses(iso, {{u"2023-12-24 18:30", true, 2023, 12, 24, 18, 30, 0},
                     {u"0099-01-02", true, 99, 1, 2, 0, 0, 0},  // four digits: no century window
                     {u"2023-12", false}});
  // A time alone is a time on day zero.
  ExpectParses(TFormatSettings{}, {{u"18:30", true, 1899, 12, 30, 18, 30, 0}, {u"18", false}});
}

TEST(TryStrToDateTime, TwoDigitYearsFallInTheCenturyWindow) {
  TFormatSettings fs;
  fs.ShortDateFormat = u"d.M.yy";
  fs.DateSeparator = u'.';
  Word thisYear, m, d;
  DecodeDate(Date(), thisYear, m, d);
  int window = thisYear - 50;
  for (int yy : {0, 49, 50, 99}) {
    TDateTime v;
    ASSERT_TRUE(TryStrToDateTime(u"1.1." + IntToStr(yy), v, fs));
    Word y;
    DecodeDate(v, y, m, d);
    EXPECT_GE(y, window);
    EXPECT_LT(y, window + 100);
    EXPECT_EQ(y % 100, yy);
  }
  TDateTime v;
  ASSERT_TRUE(TryStrToDateTime(u"3.4", v, fs));  // no year: this year
  Word y;
  DecodeDate(v, y, m, d);
  EXPECT_EQ(std::tuple(y, m, d), std::tuple(thisYear, Word{4}, Word{3}));
}

}  // namespace
}  // namespace dz
