#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "deziva27/datetime/YDattime.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/platform/detail/Nls.h"

namespace dz {
namespace {

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
    {u"dd\"-\"mm\"-\"yyyy", u"24-12-2023", true, 2023, 12, 24},
    {u"mm_dd_yyyy", u"02_29_2024", true, 2024, 2, 29},
    {u"dd.mm.yyyy", u"24/12/2023", false},  {u"dd.mm.yyyy", u"31.02.2023", false},
    {u"dd.mm.yyyy", u"29.02.1900", false},  {u"dd.mm.yyyy", u"", false},
    {u"dd.mm.yyyy", u"24.12.2023x", false}, {u"yyyy-mm-dd", u"24-12-2023", false},
    {u"yyyy", u"2023", false},
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

class ByFormat : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { ASSERT_TRUE(win::SetSystemLocale(GetParam())); }
  void TearDown() override { win::ResetSystemLocale(); }
};

TEST_P(ByFormat, ReadsWhatTheFormatSays) {
  for (const Case& c : kEverywhere) Check(c, GetParam());
  for (const auto& [locale, c] : kByLocale)
    if (std::string(locale) == GetParam()) Check(c, locale);
}

TEST_P(ByFormat, FailureGivesTodayFromStrToDateTimeAndABadSeparatorRaises) {
  TDateTime today = Date();
  TDateTime got = StrToDateTimeByFormat(u"dd.mm.yyyy", u"24/12/2023");
  EXPECT_GE(got, today);
  EXPECT_LE(got, today + 1);  // a run across midnight
  EXPECT_EQ(got, DateOf(got));
  EXPECT_THROW(TryStrToDateTimeByFormat(u"d\"x\"#99999m", u"1x2", got), Exception);
  EXPECT_EQ(StrToDateTimeByFormat(u"dd.mm.yyyy", u"24.12.2023"), EncodeDate(2023, 12, 24));
}

INSTANTIATE_TEST_SUITE_P(Locales, ByFormat, ::testing::Values("en-US", "de-DE", "ru-RU"));

}  // namespace
}  // namespace dz
