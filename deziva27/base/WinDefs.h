// Windows' names for the values the public routines take: the locale
// identifiers that stand for the system locale, the kinds of locale
// information (LOCALE_SENGLANGUAGE ...), the code pages with a meaning of
// their own, and the module handle. Only types and constants: the Windows
// calls themselves are the library's business.
// Threads: types and constants only.
#pragma once

#include <cstdint>
#include <span>

#include "deziva27/base/Types.h"

namespace dz {

// --- Locale identifiers --------------------------------------------------------

inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;  // 2048: the system locale
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;    // 1024: the same here (one user)
inline constexpr LCID LOCALE_INVARIANT = 0x007F;       // the invariant, culture-neutral locale

// --- Kinds of locale information --------------------------------------------------

using LCTYPE = uint32_t;  // which piece of locale information to read
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

// --- Code pages ----------------------------------------------------------------------

// 0 is the ANSI code page, 1 the OEM one, 3 the calling thread's (the ANSI one).
inline constexpr uint32_t CP_ACP = 0;         // the ANSI code page
inline constexpr uint32_t CP_OEMCP = 1;       // the OEM code page
inline constexpr uint32_t CP_MACCP = 2;       // the Macintosh code page of the locale
inline constexpr uint32_t CP_THREAD_ACP = 3;  // the calling thread's, the ANSI one
inline constexpr uint32_t CP_UTF7 = 65000;    // UTF-7
inline constexpr uint32_t CP_UTF8 = 65001;    // UTF-8

// --- Modules -------------------------------------------------------------------------

// A module whose string table the library can read (see YLocales.h).
using HMODULE = uintptr_t;

// One string of a module's string table.
struct TStringResource {
  int32_t Identifier;    // the number a TResStringRec names it by
  const char16_t* Text;  // NUL-terminated, static: not owned
};

// A module's built-in string table.
struct TResourceModule {
  const char* Name;                        // for messages; static, not owned
  std::span<const TStringResource> Table;  // static, not owned; searched in order
};

}  // namespace dz
