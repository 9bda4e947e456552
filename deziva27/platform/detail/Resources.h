// Stand-ins for the Windows resource calls, for string tables (RT_STRING):
// FindResourceW, LoadResource, LockResource and SizeofResource over the
// string tables the library's modules carry (see host/runtime/ResStrings.h).
//
// A module handle is ModuleHandleOf(module). Its string table is laid out as
// Windows lays one out: block b (the resource name, from 1) holds the strings
// with identifiers (b - 1) * 16 to (b - 1) * 16 + 15, each a 16-bit length
// followed by that many UTF-16 units, 0 for an identifier without a string.
// A block without any string does not exist. The texts are the module's own,
// not replacements set at run time.
// Threads: any thread; the blocks are built under a lock and kept for the process's life.
#pragma once

#include <cstdint>

#include "deziva27/base/WinDefs.h"

namespace dz::win {

using HRSRC = uintptr_t;
using HGLOBAL = const void*;
inline constexpr uintptr_t RT_STRING = 6;

HMODULE ModuleHandleOf(const TResourceModule& module);

// The resource Name (an integer identifier) of Type in module; 0 when there
// is none, the module is 0 or the type is not RT_STRING.
HRSRC FindResourceW(HMODULE module, uintptr_t Name, uintptr_t Type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
const void* LockResource(HGLOBAL data);
// Its size in bytes.
uint32_t SizeofResource(HMODULE module, HRSRC resource);

}  // namespace dz::win
