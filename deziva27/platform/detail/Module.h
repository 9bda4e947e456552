// Stand-ins for LoadLibraryExW, GetProcAddress, FreeLibrary and
// GetModuleFileNameW, and the module handles they take.
//
// A module handle is the load address of a loaded object (the main program,
// a shared library), as dl_iterate_phdr reports it; 0 is the main program.
// LibraryModule() is the module that holds this library: the main program
// when it is linked in statically, libdeziva27.so when it is shared.
// Threads: any thread; the loaded modules and their counts are kept under a lock.
#pragma once


#include <cstdint>
#include <string>

#include "deziva27/platform/detail/Resources.h"

namespace dz::win {

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

using HANDLE = void*;
using FARPROC = void (*)();

// Loads a shared object with dlopen (RTLD_NOW | RTLD_LOCAL) and returns its
// module handle (its load address), 0 when it cannot be loaded. Each
// successful call counts one load, to be undone by one FreeLibrary; loading
// the same object again gives the same handle. hFile must be null and
// dwFlags 0 (other values give 0).
//
// What differs on Linux: a name with a '/' is a path; "hhctrl.ocx" (any case)
// names the HTML Help plug-in, "hhctrl.so", looked for as $DZ_HHCTRL_PATH
// when that is set (and nowhere else then), otherwise beside this library's
// file, beside the program, and in deziva27/ and ../lib/deziva27/ from
// either (where an install puts it); any other
// name goes to dlopen as it stands (the system's search path).
HMODULE LoadLibraryExW(const char16_t* lpLibFileName, HANDLE hFile, DWORD dwFlags);

// The address of the exported symbol lpProcName of a module LoadLibraryExW
// loaded, or null (unknown name, unknown handle, null name).
FARPROC GetProcAddress(HMODULE hModule, const char* lpProcName);

// Undoes one load of LoadLibraryExW; the object is unloaded with the last.
// False for a handle that is not loaded, or when dlclose fails.
bool FreeLibrary(HMODULE hLibModule);

// Where "hhctrl.ocx" would be loaded from now, as a file path; empty when no
// candidate exists. Mainly for messages and tests.
std::string HtmlHelpControlPath();

}  // namespace dz::win
