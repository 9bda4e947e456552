// Stand-ins for the Windows code-page services, over ICU's converters:
// MultiByteToWideChar, WideCharToMultiByte and TranslateCharsetInfo with the
// contracts of the calls they replace, and the code-page names behind them.
//
// Code page 0 is the ANSI code page of the system locale (GetACP), 1 its OEM
// code page (GetOEMCP); every Windows code page that ICU can convert is known
// (874, 932, 936, 949, 950, 1250-1258, 437, 850, 866, 20127, 28591-28605,
// 65001 and the others ICU maps under a windows-, ibm- or cp name).
#pragma once

#include "deziva27/frame/Export.h"

#include <cstdint>
#include <string>

namespace dz DZ_API {

inline constexpr uint32_t CP_ACP = 0;
inline constexpr uint32_t CP_OEMCP = 1;
inline constexpr uint32_t CP_UTF8 = 65001;

// Bytes of cbMulti (-1: up to and including a zero byte) in CodePage to
// UTF-16. With cchWide 0 the count of units needed is returned and nothing
// written; else the units go to wide and their count is returned, or 0 when
// they do not fit. 0 also for an unknown code page or an empty source.
// Bytes the code page does not define become U+FFFD (U+001A in some
// single-byte code pages), as Windows does with flags 0. Flags are ignored.
int MultiByteToWideChar(uint32_t CodePage, uint32_t Flags, const char* multi, int cbMulti,
                        char16_t* wide, int cchWide);

// The reverse, with the same size protocol. Characters the code page cannot
// hold become its default character ('?'); defaultChar and usedDefaultChar
// are accepted and ignored, as Windows ignores them for UTF-8.
int WideCharToMultiByte(uint32_t CodePage, uint32_t Flags, const char16_t* wide, int cchWide,
                        char* multi, int cbMulti, const char* defaultChar = nullptr,
                        int* usedDefaultChar = nullptr);

inline constexpr uint32_t TCI_SRCCHARSET = 1;
inline constexpr uint32_t TCI_SRCCODEPAGE = 2;

struct FONTSIGNATURE {
  uint32_t fsUsb[4];
  uint32_t fsCsb[2];
};
struct CHARSETINFO {
  uint32_t ciCharset;
  uint32_t ciACP;
  FONTSIGNATURE fs;
};

// Character set and ANSI code page of each other: source is a character set
// (TCI_SRCCHARSET) or a code page (TCI_SRCCODEPAGE) passed as a number, as
// Windows takes it in the pointer argument. False for anything else.
bool TranslateCharsetInfo(uintptr_t source, CHARSETINFO* info, uint32_t flags);

namespace nls {
// The ICU converter name for a code page (0 and 1 resolved), "" when ICU has
// none.
std::string CodePageConverterName(uint32_t codePage);
}  // namespace nls

}  // namespace dz
