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


#include <cstdint>

#include "deziva27/base/Types.h"
#include "deziva27/base/WinDefs.h"

namespace dz::win {


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

}  // namespace dz::win
