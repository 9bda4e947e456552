#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "deziva27/datetime/YDattime.h"
#include "deziva27/frame/Deziva27.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/platform/detail/Nls.h"

namespace dz {
namespace {

struct Ymd {
  Word y, m, d;
};

TDateTime D(Ymd v) {
  return EncodeDate(v.y, v.m, v.d);
}

TEST(Calendar, MonthEndsAndLeapYears) {
  const struct {
    Ymd in, last;
  } cases[] = {
      {{2024, 2, 15}, {2024, 2, 29}}, {{2023, 12, 3}, {2023, 12, 31}},
      {{1900, 2, 10}, {1900, 2, 28}}, {{2000, 2, 1}, {2000, 2, 29}},
      {{2023, 4, 30}, {2023, 4, 30}}, {{1, 1, 1}, {1, 1, 31}},
  };
  for (auto& c : cases) {
    TDateTime in = D(c.in) + 0.75;  // the time of day must not leak through
    EXPECT_EQ(GetLastMonthDate(in), D(c.last)) << c.in.y << "-" << c.in.m;
    EXPECT_EQ(GetFirstMonthDate(in), D({c.in.y, c.in.m, 1}));
    EXPECT_EQ(GetFirstYearDate(in), D({c.in.y, 1, 1}));
    EXPECT_EQ(GetLastYearDate(in), D({c.in.y, 12, 31}));
    EXPECT_EQ(LastMonthDate(c.in.y, c.in.m), D(c.last));
  }
  EXPECT_THROW(GetLastMonthDate(D({9999, 12, 5})), EConvertError);  // no January 10000
  EXPECT_THROW(NextMonthFirstDay(9999, 12), EConvertError);
  for (Word m : {0, 13, 65535}) EXPECT_THROW(NextMonthFirstDay(2024, m), EConvertError) << m;
  for (auto [y, m] : {std::pair{-1, 5}, {2024, -1}, {0, 1}})
    EXPECT_THROW(LastMonthDate(y, m), EConvertError) << y << "-" << m;
}

TEST(Calendar, Quarters) {
  const struct {
    Ymd first, last;
    const char* numeral;
  } quarters[] = {{{2024, 1, 1}, {2024, 3, 31}, "I"}, {{2024, 4, 1}, {2024, 6, 30}, "II"},
                  {{2024, 7, 1}, {2024, 9, 30}, "III"}, {{2024, 10, 1}, {2024, 12, 31}, "IV"}};
  for (Word q = 1; q <= 4; ++q) {
    const auto& c = quarters[q - 1];
    EXPECT_EQ(GetFirstQuarterDate(2024, q), D(c.first));
    EXPECT_EQ(GetLastQuarterDate(2024, q), D(c.last));
    EXPECT_EQ(GetQuartal(D(c.first)), q);
    EXPECT_EQ(GetQuartal(D(c.last) + 0.99), q);
    EXPECT_EQ(GetQuartalWrite(q), c.numeral);
  }
  for (Word q : {0, 5}) {
    EXPECT_EQ(GetQuartalWrite(q), "") << q;
    EXPECT_THROW(GetFirstQuarterDate(2024, q), EConvertError);
    EXPECT_THROW(GetLastQuarterDate(2024, q), EConvertError);
  }
}

TEST(Calendar, AddDateAndAddTime) {
  const struct {
    Ymd in;
    Word years, months, days;
    Ymd out;
  } cases[] = {
      {{2023, 11, 15}, 0, 3, 0, {2024, 2, 15}}, {{2023, 11, 15}, 1, 14, 0, {2026, 1, 15}},
      {{2023, 2, 28}, 0, 0, 1, {2023, 3, 1}},   {{2023, 12, 31}, 0, 0, 1, {2024, 1, 1}},
      {{2023, 1, 15}, 0, 12, 0, {2024, 1, 15}}, {{2023, 1, 15}, 0, 11, 0, {2023, 12, 15}},
      {{2023, 6, 1}, 0, 30, 0, {2025, 12, 1}},
      // Days come first: 31 January + 1 day is 1 February, then a month on.
      {{2023, 1, 31}, 0, 1, 1, {2023, 3, 1}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AddDate(D(c.in) + 0.5, c.years, c.months, c.days), D(c.out)) << "row " << &c - cases;
  EXPECT_THROW(AddDate(D({2023, 1, 31}), 0, 1, 0), EConvertError);
  EXPECT_THROW(AddDate(D({2024, 2, 29}), 1, 0, 0), EConvertError);
  EXPECT_THROW(AddDate(D({9999, 1, 1}), 1, 0, 0), EConvertError);
  const TDateTime day = D({2024, 3, 10});
  const struct {
    Word h, n, s, ms;  // time of day
    Word ah, an, as;   // added
    int carry;         // days
    Word rh, rn, rs;   // result
  } times[] = {
      {10, 59, 30, 0, 0, 0, 45, 0, 11, 0, 15}, {10, 59, 30, 0, 14, 0, 0, 1, 0, 59, 30},
      {23, 59, 59, 0, 0, 0, 1, 1, 0, 0, 0},    {10, 0, 0, 0, 0, 61, 0, 0, 11, 1, 0},
      {10, 0, 0, 0, 0, 0, 3600, 0, 11, 0, 0},  {10, 0, 0, 0, 48, 0, 0, 2, 10, 0, 0},
      {10, 0, 0, 250, 0, 0, 1, 0, 10, 0, 1},   {0, 0, 0, 0, 0, 1440, 0, 1, 0, 0, 0},
  };
  for (const auto& c : times) {
    TDateTime in = day + EncodeTime(c.h, c.n, c.s, c.ms);
    TDateTime want = day + c.carry + EncodeTime(c.rh, c.rn, c.rs, c.ms);
    EXPECT_DOUBLE_EQ(AddTime(in, c.ah, c.an, c.as), want) << c.h << ":" << c.n << ":" << c.s;
  }
}

// Runs each test under a pinned system locale, with the unit restarted so
// that its month words follow it, and puts the environment's back after.
class UnderLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(win::SetSystemLocale("en-US"));
    Finalize();
    Initialize();
  }
  void TearDown() override {
    win::ResetSystemLocale();
    Finalize();
    Initialize();
  }
};

TEST_F(UnderLocale, StartFillsMonthWordsAndStopReleasesThem) {
  EXPECT_EQ(LongMonthNames2()[1], u"of January");
  EXPECT_EQ(LongMonthNames2()[12], u"of December");
  ShortYearName() = u" AD";
  Finalize();
  for (const auto& w : LongMonthNames2()) EXPECT_TRUE(w.empty());
  EXPECT_TRUE(ShortYearName().empty());
  ASSERT_TRUE(win::SetSystemLocale("ru-RU"));
  Initialize();
  EXPECT_EQ(LongMonthNames2()[1], u"of Январь");
  TStringList names;
  names.Add(u"stale");
  GetMonthNames(names);
  ASSERT_EQ(names.Count(), 12);
  EXPECT_EQ(names.Strings(0), u"Январь");
  EXPECT_EQ(names.Strings(11), u"Декабрь");
  EXPECT_THROW(LongMonthNames2()[0], EListError);
  EXPECT_THROW(LongMonthNames2()[13], EListError);
}

TEST_F(UnderLocale, DateNameAndItsParameters) {
  const TDateTime jan5 = D({2024, 1, 5});
  EXPECT_EQ(GetDateName(jan5), u"5 of January 2024");
  EXPECT_EQ(GetDateName(D({987, 12, 31})), u"31 of December 987");
  ShortYearName() = u" AD";
  EXPECT_EQ(GetDateName(jan5), u"5 of January 2024 AD");

  InitDateTimeParams(u"y.", {u"w1", u"w2", u"w3", u"w4", u"w5", u"w6", u"w7", u"w8", u"w9", u"w10",
                             u"w11", u"w12"});
  EXPECT_EQ(GetDateName(jan5), u"5 w1 2024y.");
  EXPECT_EQ(GetDateName(D({2024, 12, 9})), u"9 w12 2024y.");
  InitDateTimeParams(u"", {UnicodeString(u"Jan.")});
  EXPECT_EQ(GetDateName(jan5), u"5 Jan. 2024");
  EXPECT_EQ(LongMonthNames2()[2], u"w2");

  // A wrong call changes nothing.
  EXPECT_THROW(InitDateTimeParams(u"x", {u"a", int64_t{3}}), EConvertError);
  EXPECT_THROW(InitDateTimeParams(u"x", {u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9",
                                         u"10", u"11", u"12", u"13"}),
               EConvertError);
  EXPECT_EQ(GetDateName(jan5), u"5 Jan. 2024");
}

struct Case {
  const char16_t* format;
  const char16_t* text;
  bool ok;
  Word y = 0, m = 0, d = 0, h = 0, n = 0, s = 0;
};

// Texts written as their formats say are read under any locale.
const Case kEverywhere[] = {
    {u"dd.mm.yyyy", u"24.12.2023", true, 2023, 12, 24},
    {u"DD.MM.YYYY", u"1.2.2023", true, 2023, 2, 1},
    {u"dd.mm.yyyy", u" 24.12.2023 ", true, 2023, 12, 24},
    {u"dd.mm.yy", u"24.12.23", true, 2023, 12, 24},
    {u"yyyy-mm-dd hh:nn", u"2023-12-24 18:30", true, 2023, 12, 24, 18, 30},
    {u"yyyy-mm-dd hh:nn:ss", u"2023-12-24 18:30:15", true, 2023, 12, 24, 18, 30, 15},
    {u"dd.mm.yyyy", u"24.12.2023 10:15", true, 2023, 12, 24, 10, 15},
    {u"d\".\"m\".\"yyyy", u"5.1.2024", true, 2024, 1, 5},
    {u"mm_dd_yyyy", u"02_29_2024", true, 2024, 2, 29},
    {u"dd.mm.yyyy", u"24/12/2023", false},  {u"dd.mm.yyyy", u"31.02.2023", false},
    {u"dd.mm.yyyy", u"", false},            {u"dd.mm.yyyy", u"24.12.2023x", false},
    {u"yyyy-mm-dd", u"24-12-2023", false},  {u"yyyy", u"2023", false},
};

// The slash keeps the locale's own separator, as does an empty quoted one;
// the settings of one locale must not stay behind for the next.
const std::pair<const char*, Case> kByLocale[] = {
    {"en-US", {u"mm/dd/yyyy", u"12/24/2023", true, 2023, 12, 24}},
    {"en-US", {u"mm/dd/yyyy", u"12.24.2023", false}},
    {"de-DE", {u"mm/dd/yyyy", u"12.24.2023", true, 2023, 12, 24}},
    {"de-DE", {u"mm/dd/yyyy", u"12/24/2023", false}},
    {"de-DE", {u"dd\"\"mm\"\"yyyy", u"24.12.2023", true, 2023, 12, 24}},
};

// The owning form must answer as the classic one.
void Check(const Case& c, const char* locale) {
  SCOPED_TRACE(std::string(locale) + " " + Utf16ToUtf8(c.format) + " " + Utf16ToUtf8(c.text));
  TDateTime v = -42;
  const std::optional<TDateTime> owned = TryStrToDateTimeByFormat(c.format, c.text);
  ASSERT_EQ(TryStrToDateTimeByFormat(c.format, c.text, v), c.ok);
  ASSERT_EQ(owned.has_value(), c.ok);
  const TDateTime want = c.ok ? EncodeDate(c.y, c.m, c.d) + EncodeTime(c.h, c.n, c.s, 0) : -42;
  EXPECT_DOUBLE_EQ(v, want);  // on failure, left alone
  EXPECT_DOUBLE_EQ(owned.value_or(-42), want);
}

TEST(ByFormat, ReadsWhatTheFormatSaysAndFailsToTodayUnderEveryLocale) {
  for (const char* locale : {"en-US", "de-DE", "ru-RU"}) {
    ASSERT_TRUE(win::SetSystemLocale(locale));
    for (const Case& c : kEverywhere) Check(c, locale);
    for (const auto& [where, c] : kByLocale)
      if (std::string(where) == locale) Check(c, where);
    SCOPED_TRACE(locale);
    TDateTime today = Date();
    TDateTime got = StrToDateTimeByFormat(u"dd.mm.yyyy", u"24/12/2023");
    EXPECT_GE(got, today);
    EXPECT_LE(got, today + 1);  // a run across midnight
    EXPECT_EQ(got, DateOf(got));
    EXPECT_THROW(TryStrToDateTimeByFormat(u"d\"x\"#99999m", u"1x2", got), Exception);
    EXPECT_EQ(StrToDateTimeByFormat(u"dd.mm.yyyy", u"24.12.2023"), EncodeDate(2023, 12, 24));
  }
  win::ResetSystemLocale();
}

}  // namespace
}  // namespace dz
