// Locale-dependent formats: separators, date and time formats, month and day
// names, read from ICU's locale data for a Windows locale identifier.
#pragma once

#include "deziva27/frame/Export.h"

#include <array>

#include "deziva27/host/Types.h"

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

inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;  // 2048
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

// Fills settings for the locale identifier; 2048 and 1024 mean the system
// default locale. An identifier ICU does not know gives the en-US settings.
void GetLocaleFormatSettings(LCID locale, TFormatSettings& settings);

// The process's current settings, read from the system default locale on
// first use and writable by the caller. ResetFormatSettings re-reads them
// (after the system locale was overridden, for instance).
TFormatSettings& FormatSettings();
void ResetFormatSettings();

// 2: the NT family, which is what every caller of the library expects.
inline constexpr int32_t Win32Platform = 2;

}  // namespace dz
