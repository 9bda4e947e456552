// Calendar arithmetic on TDateTime values and readable names of dates.
//
//   GetLastMonthDate(EncodeDate(2024, 2, 15));    // 29 February 2024
//   AddDate(EncodeDate(2023, 11, 15), 1, 14, 0);  // 15 January 2026
//   AddTime(d + EncodeTime(10, 59, 30, 0), 0, 0, 45);  // 11:00:15 the same day
//   GetDateName(EncodeDate(2024, 1, 5));          // "5 of January 2024"
//
// Dates returned carry no time of day. A date that cannot be encoded (a year
// outside 1..9999, a month outside 1..12, a quarter outside 1..4, a day the
// month lacks) raises the host's EConvertError.
// Threads: any thread, while none changes LongMonthNames2() or ShortYearName().
#pragma once

#include "deziva27/base/Export.h"

#include <array>
#include <cstdint>

#include "deziva27/host/classes/Lists.h"
#include "deziva27/base/Types.h"

namespace dz DZ_API {

// --- The unit's two variables --------------------------------------------------

// The month words of GetDateName, indexed 1..12: at start, "of " followed
// by the month's long name in the system default locale ("of January").
// The application may overwrite them, directly or with InitDateTimeParams.
class TMonthWords {
 public:
  // Month 1..12; another index raises EListError.
  UnicodeString& operator[](int32_t Month);
  const UnicodeString& operator[](int32_t Month) const;
  // The twelve words, January first, for range-for.
  auto begin() { return FWords.begin(); }
  auto end() { return FWords.end(); }
  auto begin() const { return FWords.begin(); }
  auto end() const { return FWords.end(); }

 private:
  std::array<UnicodeString, 12> FWords;
};

// The library's module variables LongMonthNames2 and ShortYearName (the
// text written right after the year by GetDateName; empty, never set by the
// library). They are reached through these functions so that they exist
// before the unit starts, whichever file the program initialises first.
TMonthWords& LongMonthNames2();
UnicodeString& ShortYearName();

// --- Names ----------------------------------------------------------------------

// Day, blank, LongMonthNames2()[month], blank, year, ShortYearName(), with
// no other separators; numbers without leading zeros: "5 of January 2024".
UnicodeString GetDateName(TDateTime Date);

// Clears List and adds the twelve long month names of the system default
// locale, January first.
void GetMonthNames(TStrings& List);

// --- Periods --------------------------------------------------------------------

TDateTime GetFirstYearDate(TDateTime Date);   // 1 January of the date's year
TDateTime GetLastYearDate(TDateTime Date);    // 31 December of the date's year
TDateTime GetFirstMonthDate(TDateTime Date);  // first day of the date's month
// Last day of the date's month: the first day of the next month, less one
// day. So December 9999 raises, as there is no January 10000.
TDateTime GetLastMonthDate(TDateTime Date);

// First day of the month after Month of Year (1 January of Year + 1 after
// December). Month must be 1..12.
TDateTime NextMonthFirstDay(Word Year, Word Month);
// Last day of Month of Year: NextMonthFirstDay less one day.
TDateTime LastMonthDate(int32_t Year, int32_t Month);

// First day of the quarter's first month (month 3 x Quarter - 2).
TDateTime GetFirstQuarterDate(Word Year, Word Quarter);
// Last day of the quarter: 31 March, 30 June, 30 September, 31 December.
TDateTime GetLastQuarterDate(Word Year, Word Quarter);

// Quarter 1..4 of the date.
int32_t GetQuartal(TDateTime Date);
// "I", "II", "III" or "IV" for quarters 1..4; an empty string for any other
// value, which is not a quarter.
AnsiString GetQuartalWrite(int32_t Quarter);

// The date's year (1..9999), month (1..12) or day (1..31), time of day
// ignored; 0 for a value outside 1 January 0001 .. 31 December 9999 (NaN
// included), where DecodeDate has no date to give.
Word GetYear(TDateTime Date);
Word GetMonth(TDateTime Date);
Word GetDay(TDateTime Date);

// --- Arithmetic -----------------------------------------------------------------

// Adds Days first, then Months (carrying whole years), then Years, all in
// 16-bit arithmetic as the arguments are. The day of the month is kept as
// it is: when the new month lacks it (31 January plus one month) the result
// cannot be encoded and EConvertError is raised. The time of day is dropped.
TDateTime AddDate(TDateTime Date, Word Years, Word Months, Word Days);

// Adds Seconds, Minutes and Hours to the time of day, carrying seconds into
// minutes, minutes into hours and hours into days; the millisecond is kept.
// The sums are 16-bit, as the arguments are. The result is the whole-day
// part of Date (truncated towards zero) plus the days carried plus the new
// time of day.
TDateTime AddTime(TDateTime Date, Word Hours, Word Minutes, Word Seconds);

}  // namespace dz
