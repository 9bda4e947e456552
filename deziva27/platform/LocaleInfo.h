// Stand-ins for the Windows locale-information services, over ICU:
// GetLocaleInfoW with its two-call size protocol and EnumSystemLocalesW.
//
// A locale is named by its Windows identifier (LCID); ICU knows the mapping.
// A primary identifier (0x0009, no sub-language) answers for its language's
// default locale, as Windows does. Names shown "in the user interface
// language" are in the language of the system locale (see Nls.h).
#pragma once

#include "deziva27/frame/Export.h"

#include <cstdint>

#include "deziva27/host/Types.h"

namespace dz DZ_API {

using LCTYPE = uint32_t;
inline constexpr LCTYPE LOCALE_SLANGUAGE = 0x0002;        // "English (United States)"
inline constexpr LCTYPE LOCALE_SABBREVLANGNAME = 0x0003;  // "ENU"
inline constexpr LCTYPE LOCALE_SNATIVELANGNAME = 0x0004;  // "English", "русский"
inline constexpr LCTYPE LOCALE_SCOUNTRY = 0x0006;         // "United States"
inline constexpr LCTYPE LOCALE_SENGLANGUAGE = 0x1001;     // "English"
inline constexpr LCTYPE LOCALE_SENGCOUNTRY = 0x1002;      // "United States"
inline constexpr LCTYPE LOCALE_IDEFAULTANSICODEPAGE = 0x1004;  // "1252"; "0": Unicode only
inline constexpr LCTYPE LOCALE_IDEFAULTCODEPAGE = 0x000B;      // the OEM code page
inline constexpr LCTYPE LOCALE_SISO639LANGNAME = 0x0059;  // "en"
inline constexpr LCTYPE LOCALE_SISO3166CTRYNAME = 0x005A; // "US"
// The items the host's format settings hold (host/FormatSettings.h), read
// from them: separators, currency, date and time formats, AM/PM, the names
// of months (1 = January) and days (1 = Monday, as Windows counts them).
inline constexpr LCTYPE LOCALE_SLIST = 0x000C, LOCALE_SDECIMAL = 0x000E,
                        LOCALE_STHOUSAND = 0x000F, LOCALE_SCURRENCY = 0x0014,
                        LOCALE_SDATE = 0x001D, LOCALE_STIME = 0x001E,
                        LOCALE_SSHORTDATE = 0x001F, LOCALE_SLONGDATE = 0x0020,
                        LOCALE_S1159 = 0x0028, LOCALE_S2359 = 0x0029,
                        LOCALE_SDAYNAME1 = 0x002A, LOCALE_SABBREVDAYNAME1 = 0x0031,
                        LOCALE_SMONTHNAME1 = 0x0038, LOCALE_SABBREVMONTHNAME1 = 0x0044,
                        LOCALE_SSHORTTIME = 0x0079, LOCALE_STIMEFORMAT = 0x1003;

// One item of locale information as text. With cchData 0 the count of
// characters needed, the terminating zero included, is returned and nothing
// written; else the text and a zero go to data and the same count is
// returned, or 0 when they do not fit. 0 for an unknown locale or type.
// LOCALE_SYSTEM_DEFAULT and LOCALE_USER_DEFAULT are the system locale.
int GetLocaleInfoW(LCID Locale, LCTYPE LCType, char16_t* data, int cchData);

inline constexpr uint32_t LCID_INSTALLED = 1;
inline constexpr uint32_t LCID_SUPPORTED = 2;
using LOCALE_ENUMPROCW = int (*)(char16_t* localeString);

// Calls proc with every locale ICU knows that has a Windows identifier (no
// primary-only identifiers), as eight upper-case hexadecimal digits, in a
// stable order, until proc returns 0. Both flags give the same list. True
// when the enumeration ran.
bool EnumSystemLocalesW(LOCALE_ENUMPROCW proc, uint32_t flags);

}  // namespace dz
