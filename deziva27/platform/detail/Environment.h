// Stand-in for ExpandEnvironmentStringsW.
// Threads: any thread, while no thread changes the environment (setenv).
#pragma once


#include <cstdint>

namespace dz::win {

using DWORD = uint32_t;

// Expands every %NAME% in lpSrc with the value of the environment variable
// NAME. A name is first looked up exactly as written; when no variable has
// that name, one whose name is equal once both are upper-cased unit by unit
// with Windows' table is taken (Windows names ignore case, Linux ones do not,
// and %temp% should find TEMP, %äx% ÄX). A reference to a variable that is
// not set, an empty %% and a lone % are left as written; an expanded value is
// not expanded again.
//
// Windows' limits hold: only the first 32,766 characters of lpSrc and of each
// value count, and at most 32,767 units of lpDst (the NUL included) are ever
// written, whatever nSize says.
//
// Returns the number of characters the whole expansion needs, the NUL
// included. When that fits in nSize (and in the limit), lpDst receives the
// text and its NUL; otherwise, when nSize is not 0, lpDst receives as much as
// fits before a NUL. 0 only for a null lpSrc.
DWORD ExpandEnvironmentStringsW(const char16_t* lpSrc, char16_t* lpDst, DWORD nSize);

// The upper case Windows compares environment names by: one UTF-16 unit to
// one, and only where the mapping goes both ways (ı, ſ, ς and µ keep their
// case, and surrogates are left alone).
char16_t EnvNameUpper(char16_t c);

}  // namespace dz::win
