// The format settings are read with GetLocaleInfoW and turned into the
// runtime's tokens; checked on chosen locales and on every recorded one.
#include <gtest/gtest.h>

#include "deziva27/host/runtime/FormatSettings.h"
#include "deziva27/base/Types.h"
#include "deziva27/platform/detail/LocaleInfo.h"
#include "support/Locale.h"
#include "support/Oracle.h"

namespace dz {
namespace {

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
  // An identifier Windows does not know gives en-US.
  TFormatSettings unknown;
  GetLocaleFormatSettings(0x7777, unknown);
  const TFormatSettings us = GetLocaleFormatSettings(0x0409);
  for (const TFormatSettings& fs : {unknown, GetLocaleFormatSettings(0x7777)}) {
    EXPECT_EQ(fs.LongTimeFormat, us.LongTimeFormat);
    EXPECT_EQ(fs.ShortDateFormat, us.ShortDateFormat);
    EXPECT_EQ(fs.DecimalSeparator, us.DecimalSeparator);
    EXPECT_EQ(fs.LongMonthNames, us.LongMonthNames);
  }
}

// Over every recorded locale: names in the runtime's order (Sunday first),
// separators, and no Windows-only time token left outside quotes.
TEST(FormatSettings, AgreeWithGetLocaleInfoForEveryLocale) {
  size_t locales = 0;
  for (const auto& row : test::oracle::Rows("locales.txt")) {
    if (row[0] == "types" || row[0] == "unknown") continue;
    const LCID id = test::oracle::Hex(row[0]);
    TFormatSettings fs;
    GetLocaleFormatSettings(id, fs);
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
  // 2048 is the system default locale.
  TFormatSettings sys;
  GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT, sys);
  EXPECT_EQ(sys.LongMonthNames[0], u"January");
  test::LocaleScope ru("ru-RU");
  GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT, sys);
  EXPECT_EQ(sys.LongMonthNames[0], u"\u042F\u043D\u0432\u0430\u0440\u044C");
}

}  // namespace
}  // namespace dz
