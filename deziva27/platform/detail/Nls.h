// Stand-in for the Windows national-language services the library calls:
// the system locale, its ANSI and OEM code pages, and locale identifiers
// (LCIDs) mapped to and from locale names.
//
// The locales are those Windows knows, from data recorded from it and
// compiled in (LocaleTable.h); no locale outside that list has an identifier.
//
// The system locale comes from the environment as Windows derives it from its
// own setting: DZ_LOCALE (e.g. "de-DE") wins, then LC_ALL, LC_MESSAGES, LANG
// (e.g. "ru_RU.UTF-8"); C, POSIX or nothing give en-US. A process may also
// override it with SetSystemLocale.
// Threads: any thread; change the system locale before threads start (caches rebuild from it).
#pragma once


#include <cstdint>
#include <string>
#include <string_view>

#include "deziva27/base/Types.h"
#include "deziva27/base/WinDefs.h"

namespace dz::win {


// The system default locale identifier (0x0409 for en-US, 0x0419 for ru-RU).
LCID GetSystemDefaultLCID();
LCID GetUserDefaultLCID();

// Overrides the system locale by name ("ru-RU", "ru_RU.UTF-8", "C"), or by
// identifier. Returns false and changes nothing when the name is unknown.
// Either bumps the locale epoch, so that what was read from the old locale
// is read again.
bool SetSystemLocale(std::string_view name);
bool SetSystemLocale(LCID lcid);
// Back to what the environment says.
void ResetSystemLocale();

namespace nls {
// 0, 2048 and 1024 resolve to the system locale; an identifier Windows does
// not know to 0; any other stays.
LCID ResolveLCID(LCID lcid);
// The ICU name of a locale, for the collation and case mapping that still
// come from ICU ("ru_RU", "es_ES@collation=traditional", "root" for the
// invariant locale); empty when the identifier is unknown.
std::string LocaleNameOf(LCID lcid);
// Identifier for a locale name as Windows ("sr-Latn-RS", "de-DE_phoneb") or
// POSIX ("ru_RU.UTF-8", "sr_RS@latin") writes it; a bare language ("ru") is
// its default locale (0x0419). 0 when unknown.
LCID LCIDOf(std::string_view name);
// The default ANSI and OEM code pages of a locale; 1252 and 437 for a
// locale that has none (its text is Unicode only) or is unknown.
uint32_t AnsiCodePageOf(LCID lcid);
uint32_t OemCodePageOf(LCID lcid);
// Counts the changes of the system locale; caches of what depends on it
// compare it with the value they were built at.
uint32_t LocaleEpoch();
}  // namespace nls

}  // namespace dz::win
