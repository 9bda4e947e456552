// Stand-ins for version.dll: GetFileVersionInfoSizeW, GetFileVersionInfoW
// and VerQueryValueW, over the VS_VERSIONINFO resource (RT_VERSION, 16) of
// PE files (see PeResources.h).
//
//   DWORD handle;
//   DWORD size = GetFileVersionInfoSizeW(u"app.exe", &handle);
//   std::vector<uint8_t> block(size);
//   GetFileVersionInfoW(u"app.exe", handle, size, block.data());
//   void* value; UINT len;
//   VerQueryValueW(block.data(), u"\\StringFileInfo\\040904B0\\FileVersion", &value, &len);
//
// What differs from Windows: files that are not PE files (ELF programs and
// libraries, text) have no version information, and the block is the
// resource as the file holds it, without the ANSI copy Windows appends.
// Path names are UTF-16 and go to the file system as UTF-8.
// Threads: every routine may be called from any thread; none keeps state between calls.
#pragma once


#include <cstdint>

namespace dz::win {

using DWORD = uint32_t;
using UINT = uint32_t;
using LPCWSTR = const char16_t*;

// VS_FIXEDFILEINFO, the value of the root block "\".
struct VS_FIXEDFILEINFO {
  DWORD dwSignature;  // 0xFEEF04BD
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS, dwFileVersionLS;
  DWORD dwProductVersionMS, dwProductVersionLS;
  DWORD dwFileFlagsMask, dwFileFlags, dwFileOS, dwFileType, dwFileSubtype;
  DWORD dwFileDateMS, dwFileDateLS;
};

// The size in bytes of the file's version information, 0 when it has none
// or cannot be read. *lpdwHandle (when given) is set to 0, as on Windows.
DWORD GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, DWORD* lpdwHandle);

// Copies at most dwLen bytes of the version information into lpData; false
// when there is none. A block cut short by dwLen is marked as that long, so
// that VerQueryValueW never reads past what was copied.
bool GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, void* lpData);

// Looks a value up in a block filled by GetFileVersionInfoW. lpSubBlock is a
// path of keys separated by backslashes (leading, doubled and trailing ones
// do not count), matched without regard to ASCII case: "\" (or "") is the
// VS_FIXEDFILEINFO, "\VarFileInfo\Translation" the table of (language, code
// page) pairs, "\StringFileInfo\<block>\<name>" a string. *lplpBuffer
// points into the block, at the value, and *puLen is the length the block
// gives it: characters for a string, its NUL counted when the file counts it,
// as writers do; bytes otherwise. A path that names a block answers true
// with length 0. False when a key of the path is not there.
bool VerQueryValueW(const void* pBlock, LPCWSTR lpSubBlock, void** lplpBuffer, UINT* puLen);

}  // namespace dz::win
