// Stand-in for GetModuleFileNameW, and the module handles it takes.
//
// A module handle is the load address of a loaded object (the main program,
// a shared library), as dl_iterate_phdr reports it; 0 is the main program.
// LibraryModule() is the module that holds this library: the main program
// when it is linked in statically, libdeziva27.so when it is shared.
#pragma once

#include "deziva27/frame/Export.h"

#include <cstdint>

#include "deziva27/platform/Resources.h"

namespace dz DZ_API {

using DWORD = uint32_t;

HMODULE LibraryModule();

// True when this library runs from a shared object of its own rather than
// from the program's executable (the classic is-library flag).
bool IsLibrary();

// Writes the full path of the module's file (UTF-16, NUL-terminated) into
// lpFilename. Returns the characters written without the NUL; when the path
// does not fit, as much as fits with a NUL and nSize. 0 for an unknown
// handle or nSize 0.
DWORD GetModuleFileNameW(HMODULE hModule, char16_t* lpFilename, DWORD nSize);

}  // namespace dz
