// Stand-in for the Windows national-language services the library calls:
// the system locale, its ANSI code page, and locale identifiers (LCIDs)
// mapped to and from ICU locale names.
//
// The system locale comes from the environment as Windows derives it from its
// own setting: DZ_LOCALE (e.g. "de-DE") wins, then LC_ALL, LC_MESSAGES, LANG
// (e.g. "ru_RU.UTF-8"); C, POSIX or nothing give en-US. A process may also
// override it with SetSystemLocale.
#pragma once

#include "deziva27/frame/Export.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "deziva27/host/Types.h"

namespace dz DZ_API {

// The system default locale identifier (0x0409 for en-US, 0x0419 for ru-RU).
LCID GetSystemDefaultLCID();
LCID GetUserDefaultLCID();
// The ANSI code page of the system locale (1252, 1251, 932 ...).
uint32_t GetACP();

// Overrides the system locale by name ("ru-RU", "ru_RU.UTF-8", "C"), or by
// identifier. Returns false and changes nothing when the name is unknown.
// Cached format settings are re-read.
bool SetSystemLocale(std::string_view name);
bool SetSystemLocale(LCID lcid);
// Back to what the environment says.
void ResetSystemLocale();

namespace nls {
// 2048 and 1024 resolve to the system default; 0 when lcid is unknown to ICU.
LCID ResolveLCID(LCID lcid);
// ICU locale name for an identifier ("ru_RU"); empty when unknown.
std::string LocaleNameOf(LCID lcid);
// Identifier for a locale name in BCP 47 or POSIX form; 0 when unknown.
LCID LCIDOf(std::string_view name);
// The default ANSI code page of a locale (1252 when it has none of its own).
uint32_t AnsiCodePageOf(LCID lcid);
// ICU converter name for a Windows code page; empty when ICU has none.
const char* ConverterNameOf(uint32_t codePage);
}  // namespace nls

}  // namespace dz
