// Locale-dependent formats: separators, date and time formats, month and day
// names, read with GetLocaleInfoW for a Windows locale identifier and turned
// into the runtime's tokens as the classic runtime does it: date formats as
// Windows gives them ("M/d/yyyy", "dddd, MMMM d, yyyy"; the runtime reads the
// letters in either case) without era fields, time formats with "AMPM" for
// Windows' "tt" and "h"/"hh" for its 24-hour "H"/"HH" (the runtime's hour is
// a 24-hour one unless AMPM is in the format).
// Threads: any thread; the first use loads them once; change or reset them before threads start.
#pragma once

#include "deziva27/base/Export.h"

#include <array>

#include "deziva27/base/Types.h"
#include "deziva27/base/WinDefs.h"

namespace dz DZ_API {

// A plain value: the separators, formats and names the conversions of
// Convert.h and DateTime.h read. Defaults are en-US's; copy it freely.
struct TFormatSettings {
  WideChar DecimalSeparator = u'.';   // between the integer part and the decimals
  WideChar ThousandSeparator = u',';  // between groups of three digits
  WideChar DateSeparator = u'/';      // what '/' in a date format stands for
  WideChar TimeSeparator = u':';      // what ':' in a time format stands for
  WideChar ListSeparator = u',';      // between the items of a list
  UnicodeString CurrencyString;       // the currency symbol ("$"); empty by default
  UnicodeString ShortDateFormat = u"M/d/yyyy";  // e.g. "dd.MM.yyyy"
  UnicodeString LongDateFormat;                 // e.g. "dddd, MMMM d, yyyy"; empty by default
  UnicodeString ShortTimeFormat = u"h:mm AMPM";     // hours and minutes
  UnicodeString LongTimeFormat = u"h:mm:ss AMPM";   // with seconds
  UnicodeString TimeAMString = u"AM";  // empty in a locale with a 24-hour clock
  UnicodeString TimePMString = u"PM";  // empty in a locale with a 24-hour clock
  // Index 0 is January / Sunday (the classic arrays are 1-based). Empty by
  // default, filled by GetLocaleFormatSettings.
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
// caller in between. The reference stays valid for the life of the process.
TFormatSettings& FormatSettings();
// Has FormatSettings() re-read the system default locale on its next use,
// dropping what the caller wrote into them.
void ResetFormatSettings();

// 2: the NT family, which is what every caller of the library expects.
inline constexpr int32_t Win32Platform = 2;

}  // namespace dz
