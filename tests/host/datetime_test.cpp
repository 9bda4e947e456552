#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>

#include "deziva27/host/Host.h"
#include "deziva27/platform/detail/LocaleInfo.h"
#include "support/Locale.h"
#include "support/Oracle.h"

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
