#include "deziva27/platform/Module.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string>

#include "deziva27/host/Strings.h"

namespace dz {
namespace {

std::string MainProgramPath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

struct Lookup {
  uintptr_t Base;
  std::string Path;
  bool Found = false;
  bool Main = false;
};


// The object loaded at base; the first object dl_iterate_phdr reports is the
// main program, whose name it leaves empty.
std::string ModulePath(uintptr_t base, bool* isMain = nullptr) {
  Lookup l{base, {}};
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        auto* l = static_cast<Lookup*>(data);
        if (info->dlpi_addr != l->Base) return 0;
        l->Found = true;
        l->Main = !info->dlpi_name || !*info->dlpi_name;
        l->Path = l->Main ? std::string() : info->dlpi_name;
        return 1;
      },
      &l);
  if (isMain) *isMain = l.Found && l.Main;
  if (!l.Found) return {};
  return l.Main ? MainProgramPath() : l.Path;
}

}  // namespace

HMODULE LibraryModule() {
  Dl_info info{};
  if (!::dladdr(reinterpret_cast<void*>(&LibraryModule), &info)) return 0;
  // dli_fbase is the mapping's start; dl_iterate_phdr reports the load bias,
  // which differs from it for non-PIE programs. Find the bias of the object
  // whose segments hold this function.
  struct Find {
    uintptr_t Address;
    uintptr_t Bias = 0;
    bool Found = false;
  } f{reinterpret_cast<uintptr_t>(&LibraryModule)};
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        auto* f = static_cast<Find*>(data);
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          const auto& ph = info->dlpi_phdr[i];
          if (ph.p_type != PT_LOAD) continue;
          const uintptr_t lo = info->dlpi_addr + ph.p_vaddr;
          if (f->Address >= lo && f->Address < lo + ph.p_memsz) {
            f->Bias = info->dlpi_addr;
            f->Found = true;
            return 1;
          }
        }
        return 0;
      },
      &f);
  return f.Found ? static_cast<HMODULE>(f.Bias) : 0;
}

bool IsLibrary() {
  bool isMain = false;
  const HMODULE m = LibraryModule();
  if (m == 0) return false;
  ModulePath(m, &isMain);
  return !isMain;
}

DWORD GetModuleFileNameW(HMODULE hModule, char16_t* lpFilename, DWORD nSize) {
  if (!lpFilename || nSize == 0) return 0;
  std::string path;
  if (hModule == 0) {
    path = MainProgramPath();
  } else {
    path = ModulePath(hModule);
  }
  if (path.empty()) return 0;
  const UnicodeString u = Utf8ToUtf16(path);
  const size_t n = std::min<size_t>(u.size(), nSize - 1);
  std::copy_n(u.data(), n, lpFilename);
  lpFilename[n] = 0;
  return n < u.size() ? nSize : static_cast<DWORD>(n);
}

}  // namespace dz
