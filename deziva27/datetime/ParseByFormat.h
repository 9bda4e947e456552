// Reading dates (and times) written in a layout the caller names, whatever
// the user's own settings say.
//
//   TDateTime v;
//   TryStrToDateTimeByFormat(u"dd.mm.yyyy", u"24.12.2023", v);          // true
//   TryStrToDateTimeByFormat(u"yyyy-mm-dd hh:nn", u"2023-12-24 18:30", v); // true
//   TryStrToDateTimeByFormat(u"d\".\"m\".\"yyyy", u"5.1.2024", v);      // quoted separator
//
// A format is a date part, then optionally a blank and a time part. The date
// part starts with a run of the letters d, m, y (either case), then the
// separator, then another such letter. The order of day, month and year and
// the separator come from the format; everything else (the time separator,
// AM/PM words, the two-digit-year window) from the system default locale.
// The text is then read by the host's TryStrToDateTime: one or two digits
// for day and month, up to four for the year, an optional time after blanks.
//
// Decisions the format rules leave open:
//  - The separator "/" stands for the locale's own date separator, as it
//    does in classic formats: mm/dd/yyyy reads 12.24.2023 where the locale
//    writes dates with a point.
//  - A separator in double quotes is unquoted first ("." gives .); an empty
//    one, or a format whose first run of letters is followed by no other
//    letter (yyyy, dd.), keeps the locale's separator.
//  - A bad literal in a quoted separator (a "#" code out of range, say)
//    raises what UnquotedString raises: the format is the caller's, and a
//    wrong one is an error rather than a text that does not match.
// Threads: parsing runs on any thread; call InitDateTimeParams before threads start.
#pragma once

#include "deziva27/base/Export.h"

#include <initializer_list>
#include <optional>
#include <string_view>

#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/base/Types.h"

namespace dz DZ_API {

// True when Text is written in Format; Value is then set, and left alone
// otherwise. Text that does not match never raises.
bool TryStrToDateTimeByFormat(std::u16string_view Format, std::u16string_view Text,
                              TDateTime& Value);
// The same as an owning result: the value, or empty when Text does not match.
std::optional<TDateTime> TryStrToDateTimeByFormat(std::u16string_view Format,
                                                  std::u16string_view Text);

// The value read, or today's date (no time of day) when Text does not match.
TDateTime StrToDateTimeByFormat(std::u16string_view Format, std::u16string_view Text);

// Sets ShortYearName() to YearSuffix and the first MonthWords.size() entries
// of LongMonthNames2() to the words, January first; later months keep their
// words. Every word must be a UnicodeString and there may be twelve at most:
// anything else raises EConvertError before anything is changed.
void InitDateTimeParams(const UnicodeString& YearSuffix, std::initializer_list<TVarRec> MonthWords);

}  // namespace dz
