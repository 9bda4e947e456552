#include "deziva27/platform/detail/SystemVersion.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace dz::win {

static_assert(sizeof(OSVERSIONINFOW) == 276);

bool GetVersionExW(OSVERSIONINFOW* v) {
  if (!v || v->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW)) return false;
  DWORD platform = VER_PLATFORM_WIN32_NT, major = 10, minor = 0, build = 19045;
  if (const char* e = std::getenv("DZ_WINVER")) {
    unsigned p, ma, mi, b;
    int used = 0;
    if (std::sscanf(e, "%u:%u.%u.%u%n", &p, &ma, &mi, &b, &used) == 4 && e[used] == '\0')
      platform = p, major = ma, minor = mi, build = b;
  }
  v->dwMajorVersion = major;
  v->dwMinorVersion = minor;
  v->dwBuildNumber = build;
  v->dwPlatformId = platform;
  std::memset(v->szCSDVersion, 0, sizeof v->szCSDVersion);
  return true;
}

}  // namespace dz::win
