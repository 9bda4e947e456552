// Stand-in for ExpandEnvironmentStringsW.
#pragma once

#include "deziva27/frame/Export.h"

#include <cstdint>

namespace dz DZ_API {

using DWORD = uint32_t;

// Expands every %NAME% in lpSrc with the value of the environment variable
// NAME. A name is first looked up exactly as written; when no variable has
// that name, one whose name differs only in ASCII case is taken (Windows
// names ignore case, Linux ones do not, and %temp% should find TEMP). A
// reference to a variable that is not set, an empty %% and a lone % are
// left as written.
//
// Returns the number of characters the expansion needs, the terminating NUL
// included. When that fits in nSize, lpDst receives the text and its NUL;
// otherwise lpDst is left alone (it may be null with nSize 0 to ask for the
// size). 0 only for a null lpSrc.
DWORD ExpandEnvironmentStringsW(const char16_t* lpSrc, char16_t* lpDst, DWORD nSize);

}  // namespace dz
