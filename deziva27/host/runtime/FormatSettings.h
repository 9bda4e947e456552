// Locale-dependent formats: separators, date and time formats, month and day
// names, read with GetLocaleInfoW for a Windows locale identifier and turned
// into the runtime's tokens as the classic runtime does it: date formats as
// Windows gives them ("M/d/yyyy", "dddd, MMMM d, yyyy"; the runtime reads the
// letters in either case) without era fields, time formats with "AMPM" for
// Windows' "tt" and "h"/"hh" for its 24-hour "H"/"HH" (the runtime's hour is
// a 24-hour one unless AMPM is in the format).
#pragma once

#include "deziva27/base/Export.h"

#include <array>

#include "deziva27/base/Types.h"
#include "deziva27/base/WinDefs.h"

namespace dz DZ_API {

struct TFormatSettings {
  WideChar DecimalSeparator = u'.';
  WideChar ThousandSeparator = u',';
  WideChar DateSeparator = u'/';
  WideChar TimeSeparator = u':';
  WideChar ListSeparator = u',';
  UnicodeString CurrencyString;
  UnicodeString ShortDateFormat = u"M/d/yyyy";  // e.g. "dd.MM.yyyy"
  UnicodeString LongDateFormat;
  UnicodeString ShortTimeFormat = u"h:mm AMPM";
  UnicodeString LongTimeFormat = u"h:mm:ss AMPM";
  UnicodeString TimeAMString = u"AM";
  UnicodeString TimePMString = u"PM";
  // Index 0 is January / Sunday (the classic arrays are 1-based).
  std::array<UnicodeString, 12> ShortMonthNames;
  std::array<UnicodeString, 12> LongMonthNames;
  std::array<UnicodeString, 7> ShortDayNames;
  std::array<UnicodeString, 7> LongDayNames;
  // Two-digit years fall in the 100 years that start this many years ago.
  Word TwoDigitYearCenturyWindow = 50;
};

// Fills settings for the locale identifier; 2048 and 1024 mean the system
// default locale (LOCALE_SYSTEM_DEFAULT, base/WinDefs.h). An identifier Windows does
// not know gives the en-US settings.
void GetLocaleFormatSettings(LCID locale, TFormatSettings& settings);
// The same as an owning result.
TFormatSettings GetLocaleFormatSettings(LCID locale);

// The process's current settings, read from the system default locale on
// first use and again after the system locale changed, writable by the
// caller in between. ResetFormatSettings has them re-read on the next use.
TFormatSettings& FormatSettings();
void ResetFormatSettings();

// 2: the NT family, which is what every caller of the library expects.
inline constexpr int32_t Win32Platform = 2;

}  // namespace dz
