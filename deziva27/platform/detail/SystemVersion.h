// Stand-in for GetVersionExW.
//
// Linux is reported as what Windows programs running under a compatibility
// layer see: the NT family (platform 2), version 10.0, build 19045. The
// environment variable DZ_WINVER replaces that with "PLATFORM:MAJOR.MINOR.BUILD"
// (for example "1:4.10.1998" for Windows 98), so that code that branches on
// the version can be tried against old systems; a value not of that form is
// ignored.
// Threads: every routine may be called from any thread; none keeps state between calls.
#pragma once


#include <cstdint>

namespace dz::win {

using DWORD = uint32_t;

inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;  // 276, set by the caller
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char16_t szCSDVersion[128];
};

// Fills the record; false (and nothing written) when its size field is not
// the size of OSVERSIONINFOW.
bool GetVersionExW(OSVERSIONINFOW* lpVersionInformation);

}  // namespace dz::win
