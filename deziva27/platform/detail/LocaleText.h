// Stand-ins for the Windows calls that judge 8-bit text by a locale:
// character types (GetStringTypeExA, over ICU) and sort keys (LCMapStringA,
// from Windows' own weights). The bytes are read in the locale's ANSI code
// page.
// Threads: any thread; the last locale asked for is remembered per thread.
#pragma once


#include <cstdint>

#include "deziva27/base/Types.h"

namespace dz::win {

inline constexpr uint32_t CT_CTYPE2 = 2;
// The CT_CTYPE2 classes: the bidirectional layout of each character.
inline constexpr uint16_t C2_LEFTTORIGHT = 1, C2_RIGHTTOLEFT = 2, C2_EUROPENUMBER = 3,
                          C2_EUROPESEPARATOR = 4, C2_EUROPETERMINATOR = 5, C2_ARABICNUMBER = 6,
                          C2_COMMONSEPARATOR = 7, C2_BLOCKSEPARATOR = 8, C2_SEGMENTSEPARATOR = 9,
                          C2_WHITESPACE = 10, C2_OTHERNEUTRAL = 11, C2_NOTAPPLICABLE = 0;

// One type a byte of src (cchSrc bytes, -1: up to a zero byte) into
// charType. Only CT_CTYPE2 is known; false for other types, an unknown
// locale or a null argument.
bool GetStringTypeExA(LCID Locale, uint32_t InfoType, const char* src, int cchSrc,
                      uint16_t* charType);

inline constexpr uint32_t LCMAP_SORTKEY = 0x00000400;
inline constexpr uint32_t NORM_IGNORECASE = 0x00000001;

// With LCMAP_SORTKEY (NORM_IGNORECASE: ignoring case), the sort key of src
// (cchSrc bytes, -1: up to a zero byte; zero bytes weigh nothing) in
// Windows' word sort for the locale, its zero byte included: keys compare
// bytewise, hyphens and apostrophes weigh only after everything else
// ("coop" < "co-op"), ß weighs as ss, and the locale's own letters,
// contractions (Danish aa, Czech ch) and French order of accents count.
// With cchDest 0 its size is returned and nothing written; else it goes to
// dest and its size is returned, or 0 when it does not fit. 0 for other
// flags, cchSrc 0 or an unknown locale.
int LCMapStringA(LCID Locale, uint32_t MapFlags, const char* src, int cchSrc, char* dest,
                 int cchDest);

// The keyboard layouts of the machine as handles, the language in the low
// word: from DZ_KEYBOARD_LAYOUTS (hex handles or XKB names, separated by
// commas or blanks), else XKBLAYOUT of /etc/default/keyboard, else US
// English. With count 0 their number is returned; else up to count go to
// list and the number written is returned.
int GetKeyboardLayoutList(int count, uint64_t* list);

}  // namespace dz::win
