// TDateTime: days since 1899-12-30 in the whole part, time of day in the
// fraction (taken by magnitude for dates before the epoch, as classically).
// Threads: any thread, while no thread changes FormatSettings() (see FormatSettings.h).
#pragma once

#include "deziva27/base/Export.h"

#include <optional>
#include <string_view>

#include "deziva27/host/runtime/FormatSettings.h"
#include "deziva27/base/Types.h"

namespace dz DZ_API {

inline constexpr double MSecsPerDay = 86400000.0;  // milliseconds in one day
inline constexpr double DateDelta = 693594;  // days from 0001-01-01 to 1899-12-31

// Gregorian rule (every 4th year, not every 100th, every 400th), for any year.
bool IsLeapYear(Word year);
// Days in the month (1..12) of year; 0 for a month out of range.
Word DaysInAMonth(Word year, Word month);

// Year 1..9999, month 1..12, day within the month; EConvertError otherwise.
TDateTime EncodeDate(Word year, Word month, Word day);
// EncodeDate without the exception: false (date untouched) where it would raise.
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date);
// The calendar date of the whole part; all three 0 for NaN and outside the
// years 1 to 9999.
void DecodeDate(TDateTime date, Word& year, Word& month, Word& day);
// Hour 0..23, minute and second 0..59, millisecond 0..999; EConvertError otherwise.
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
// EncodeTime without the exception: false (time untouched) where it would raise.
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time);
// The time of day of the fraction (by magnitude), rounded to the millisecond
// and capped at 23:59:59.999; all four 0 for NaN and infinities.
void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec);
// The Try forms as owning results: the value, or empty for an out-of-range part.
std::optional<TDateTime> TryEncodeDate(Word year, Word month, Word day);
std::optional<TDateTime> TryEncodeTime(Word hour, Word min, Word sec, Word msec);
// 1 = Sunday ... 7 = Saturday; 0 for NaN or a magnitude of 1e15 and beyond.
Word DayOfWeek(TDateTime date);

// The whole-day part (truncated towards zero).
TDateTime DateOf(TDateTime dt);
// The time-of-day part: the fraction's magnitude, 0 <= t < 1.
TDateTime TimeOf(TDateTime dt);
TDateTime Date();  // today, local time, no time of day
TDateTime Now();   // the local date and time, to the millisecond

// Reads a date in the order of fs.ShortDateFormat (its first d, m and y)
// separated by fs.DateSeparator: 1-2 digit day and month, 1-4 digit year (a
// missing year is this year; two-digit years in fs's century window), then
// optionally blanks and a time h:n[:s[.z]] [AM|PM] with fs.TimeSeparator.
// A time alone is accepted too. Blanks around are allowed, nothing else.
// false (value untouched) on any other text or an impossible date or time.
bool TryStrToDateTime(std::u16string_view s, TDateTime& value, const TFormatSettings& fs);
// The date part of that alone (no time may follow); false otherwise.
bool TryStrToDate(std::u16string_view s, TDateTime& value, const TFormatSettings& fs);
// The time part alone, h:n[:s[.z]] [AM|PM], as a fraction of a day; false otherwise.
bool TryStrToTime(std::u16string_view s, TDateTime& value, const TFormatSettings& fs);
// The same as owning results: the value, or empty where the forms above answer false.
std::optional<TDateTime> TryStrToDateTime(std::u16string_view s, const TFormatSettings& fs);
std::optional<TDateTime> TryStrToDate(std::u16string_view s, const TFormatSettings& fs);
std::optional<TDateTime> TryStrToTime(std::u16string_view s, const TFormatSettings& fs);

}  // namespace dz
