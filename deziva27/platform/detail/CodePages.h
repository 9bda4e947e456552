// Stand-ins for the Windows code-page services: MultiByteToWideChar,
// WideCharToMultiByte, IsValidCodePage and TranslateCharsetInfo, answering
// as Windows does, byte for byte.
//
// The code pages are Windows' own: the single- and double-byte tables it
// carries (37 ... 28605, 932, 936, 949, 950, 1361, the Mac and EUC pages)
// compiled in from its recorded answers, with its best fit, plus UTF-7
// (65000) and UTF-8 (65001). 0 is the ANSI code page (GetACP), 1 the OEM
// code page, 2 the Mac code page of the system locale, 3 the thread's (the
// ANSI one). Everything else is refused, as Windows refuses it: 1200, 28600,
// 54936 and the symbol page 42 included.
//
// Errors are reported as Windows reports them: the call answers 0 and
// GetLastError tells why. Sizes: with a destination size of 0 the call
// answers what it would write, and that is always what it then writes.
// Threads: any thread; a page's tables are built once, by the first call that needs them.
#pragma once

#include <cstdint>
#include <string>

#include "deziva27/base/WinDefs.h"

namespace dz::win {


inline constexpr uint32_t MB_PRECOMPOSED = 0x01;
inline constexpr uint32_t MB_USEGLYPHCHARS = 0x04;
inline constexpr uint32_t MB_ERR_INVALID_CHARS = 0x08;
inline constexpr uint32_t WC_ERR_INVALID_CHARS = 0x80;
inline constexpr uint32_t WC_NO_BEST_FIT_CHARS = 0x400;

inline constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr uint32_t ERROR_INVALID_FLAGS = 1004;
inline constexpr uint32_t ERROR_NO_UNICODE_TRANSLATION = 1113;

// The calling thread's last error, as the calls below leave it (0 after
// SetLastError(0) and a call that succeeded).
uint32_t GetLastError();
void SetLastError(uint32_t code);

// Makes codePage the process's ANSI code page, as a Windows application does
// with the activeCodePage of its manifest: 65001 lets the 8-bit routines that
// go through the ANSI code page work on UTF-8 text. 0 goes back to the
// system locale's. DZ_ACP in the environment (DZ_ACP=65001) chooses it
// before the first call. False, and nothing changed, for a code page that
// cannot be an ANSI code page (unknown, 1 ... 3, UTF-7).
bool SetAnsiCodePage(uint32_t codePage);

// True for a code page the calls below convert (not for 0 ... 3, which stand
// for one).
bool IsValidCodePage(uint32_t codePage);

// True when b starts a two-byte character in CodePage (0 ... 3 resolved).
bool IsDBCSLeadByteEx(uint32_t CodePage, uint8_t b);

// Bytes of cbMulti (-1: up to and including a zero byte) in CodePage to
// UTF-16; with cchWide 0 the count needed, else the count written into wide
// (0 and ERROR_INSUFFICIENT_BUFFER when it does not fit). Bytes a page leaves
// undefined decode as Windows decodes them (private-use or default
// characters); MB_ERR_INVALID_CHARS makes them fail the call with
// ERROR_NO_UNICODE_TRANSLATION. MB_PRECOMPOSED and MB_USEGLYPHCHARS change
// nothing here; other flags, or any flag but MB_ERR_INVALID_CHARS for UTF-7
// and UTF-8, give ERROR_INVALID_FLAGS.
int MultiByteToWideChar(uint32_t CodePage, uint32_t Flags, const char* multi, int cbMulti,
                        char16_t* wide, int cchWide);

// The reverse, with the same size protocol. A character the page cannot hold
// becomes its best fit ("A" for U+0100 in 1252) or, without one or with
// WC_NO_BEST_FIT_CHARS, defaultChar (its first character) or the page's
// default, and then *usedDefaultChar is set. UTF-8 writes U+FFFD for a lone
// surrogate, or fails it under WC_ERR_INVALID_CHARS; UTF-7 and UTF-8 take
// neither defaultChar nor usedDefaultChar (ERROR_INVALID_PARAMETER).
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

// The ANSI code page: the one SetAnsiCodePage or DZ_ACP chose, else the
// system locale's (1252, 1251, 932 ...).
uint32_t GetACP();
// The OEM code page of the system locale (437 for en-US, 850 for most of
// Western Europe, 866 for Russian ...).
uint32_t GetOEMCP();

}  // namespace dz::win
