// Stand-ins for the Windows locale-information services: GetLocaleInfoW with
// its two-call size protocol, and EnumSystemLocalesW.
//
// The answers are Windows' own, recorded from it and compiled in
// (LocaleTable.h): its tokens in formats ("h:mm:ss tt", "dddd, MMMM d, yyyy"),
// its three-letter abbreviations, its code pages. A primary identifier
// (0x0009, no sub-language) answers for its language's default locale, as
// Windows does (0x0001 is ar-SA); 0x007F is the invariant locale. Names shown
// "in the user interface language" are in English, the language of the
// system the data was recorded on: on Windows the user interface language is
// a setting of its own, apart from the system locale.
// Threads: any thread; the data is compiled in and read-only.
#pragma once

#include "deziva27/frame/Export.h"

#include <cstdint>

#include "deziva27/host/Types.h"

namespace dz DZ_API {

using LCTYPE = uint32_t;
inline constexpr LCTYPE LOCALE_ILANGUAGE = 0x0001;        // "0409", lower-case hex
inline constexpr LCTYPE LOCALE_SLANGUAGE = 0x0002;        // "English (United States)"
inline constexpr LCTYPE LOCALE_SABBREVLANGNAME = 0x0003;  // "ENU"
inline constexpr LCTYPE LOCALE_SNATIVELANGNAME = 0x0004;  // "English", "русский"
inline constexpr LCTYPE LOCALE_SCOUNTRY = 0x0006;         // "United States"
inline constexpr LCTYPE LOCALE_SENGLANGUAGE = 0x1001;     // "English"
inline constexpr LCTYPE LOCALE_SENGCOUNTRY = 0x1002;      // "United States"
inline constexpr LCTYPE LOCALE_IDEFAULTANSICODEPAGE = 0x1004;  // "1252"; "0": Unicode only
inline constexpr LCTYPE LOCALE_IDEFAULTCODEPAGE = 0x000B;      // the OEM code page, "437"
inline constexpr LCTYPE LOCALE_SISO639LANGNAME = 0x0059;  // "en"
inline constexpr LCTYPE LOCALE_SISO3166CTRYNAME = 0x005A; // "US"
inline constexpr LCTYPE LOCALE_SNAME = 0x005C;            // "en-US", "es-ES_tradnl"
// Separators, currency, date and time formats in Windows' tokens, AM/PM, the
// names of months (1 = January) and days (1 = Monday, as Windows counts them).
inline constexpr LCTYPE LOCALE_SLIST = 0x000C, LOCALE_SDECIMAL = 0x000E,
                        LOCALE_STHOUSAND = 0x000F, LOCALE_SCURRENCY = 0x0014,
                        LOCALE_SDATE = 0x001D, LOCALE_STIME = 0x001E,
                        LOCALE_SSHORTDATE = 0x001F, LOCALE_SLONGDATE = 0x0020,
                        LOCALE_S1159 = 0x0028, LOCALE_S2359 = 0x0029,
                        LOCALE_SDAYNAME1 = 0x002A, LOCALE_SABBREVDAYNAME1 = 0x0031,
                        LOCALE_SMONTHNAME1 = 0x0038, LOCALE_SABBREVMONTHNAME1 = 0x0044,
                        LOCALE_SSHORTTIME = 0x0079, LOCALE_STIMEFORMAT = 0x1003;
// Flags a caller may add to a type; the answers are the same with them.
inline constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000, LOCALE_USE_CP_ACP = 0x40000000;

// One item of locale information as text. With cchData 0 the count of
// characters needed, the terminating zero included, is returned and nothing
// written; else the text and a zero go to data and the same count is
// returned, or 0 when they do not fit. 0 for an unknown locale or a type not
// listed above. 0, LOCALE_SYSTEM_DEFAULT and LOCALE_USER_DEFAULT are the
// system locale (Nls.h).
int GetLocaleInfoW(LCID Locale, LCTYPE LCType, char16_t* data, int cchData);

inline constexpr uint32_t LCID_INSTALLED = 1;
inline constexpr uint32_t LCID_SUPPORTED = 2;
inline constexpr uint32_t LCID_ALTERNATE_SORTS = 4;
using LOCALE_ENUMPROCW = int (*)(char16_t* localeString);

// Calls proc with each locale Windows lists, as eight upper-case hexadecimal
// digits, in Windows' order, until proc returns 0. With LCID_ALTERNATE_SORTS
// in flags the list is that of the alternate sorts (0x00010407 ...) alone;
// otherwise it is the locales (installed and supported are the same list,
// 0x040A among them). False only without a proc.
bool EnumSystemLocalesW(LOCALE_ENUMPROCW proc, uint32_t flags);

}  // namespace dz
