#include "deziva27/platform/detail/Module.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <string>

#include "deziva27/base/Utf.h"

namespace dz::win {
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

// What LoadLibraryExW loaded and how often. A fixed table that needs no
// destructor: the units stop (and free their modules) after the program's
// other static objects may already be gone.
struct Loaded {
  HMODULE Module;
  void* Handle;
  int Count;
};
constinit std::array<Loaded, 64> gLoaded{};
// Guards gLoaded. dlopen and dlclose run outside it: they run the object's
// constructors and destructors, which may load or free modules themselves.
constinit std::mutex gLoadedLock;

Loaded* FindLoaded(HMODULE m) {
  if (m == 0) return nullptr;
  for (Loaded& l : gLoaded)
    if (l.Count > 0 && l.Module == m) return &l;
  return nullptr;
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool IsHtmlHelpControlName(std::string name) {
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name == "hhctrl.ocx";
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

}  // namespace dz::win

namespace dz::win {

std::string HtmlHelpControlPath() {
  constexpr const char* kPlugin = "hhctrl.so";
  if (const char* env = std::getenv("DZ_HHCTRL_PATH"); env && *env)
    return IsRegularFile(env) ? std::string(env) : std::string();
  std::string folders[2];
  bool isMain = false;
  const HMODULE lib = LibraryModule();
  if (lib != 0) {
    const std::string path = ModulePath(lib, &isMain);
    if (!path.empty()) folders[0] = FolderOf(path);
  }
  if (const std::string exe = MainProgramPath(); !exe.empty()) folders[1] = FolderOf(exe);
  for (const char* sub : {"/", "/deziva27/", "/../lib/deziva27/"})
    for (const std::string& folder : folders) {
      if (folder.empty()) continue;
      const std::string candidate = folder + sub + kPlugin;
      if (IsRegularFile(candidate)) return candidate;
    }
  return {};
}

HMODULE LoadLibraryExW(const char16_t* lpLibFileName, HANDLE hFile, DWORD dwFlags) {
  if (!lpLibFileName || hFile || dwFlags != 0) return 0;
  std::string name = Utf16ToUtf8(lpLibFileName);
  if (name.empty()) return 0;
  if (IsHtmlHelpControlName(name)) {
    name = HtmlHelpControlPath();
    if (name.empty()) return 0;
  }
  void* handle = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return 0;
  link_map* map = nullptr;
  if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map || map->l_addr == 0) {
    ::dlclose(handle);
    return 0;
  }
  const HMODULE module = static_cast<HMODULE>(map->l_addr);
  {
    std::lock_guard<std::mutex> hold(gLoadedLock);
    if (Loaded* l = FindLoaded(module)) {
      // dlopen counted this load too; FreeLibrary gives each back.
      ++l->Count;
      return module;
    }
    for (Loaded& l : gLoaded)
      if (l.Count == 0) {
        l = Loaded{module, handle, 1};
        return module;
      }
  }
  ::dlclose(handle);
  return 0;
}

FARPROC GetProcAddress(HMODULE hModule, const char* lpProcName) {
  if (!lpProcName) return nullptr;
  std::lock_guard<std::mutex> hold(gLoadedLock);  // no FreeLibrary unloads it meanwhile
  Loaded* l = FindLoaded(hModule);
  if (!l) return nullptr;
  void* sym = ::dlsym(l->Handle, lpProcName);
  return reinterpret_cast<FARPROC>(sym);
}

bool FreeLibrary(HMODULE hLibModule) {
  void* handle = nullptr;
  {
    std::lock_guard<std::mutex> hold(gLoadedLock);
    Loaded* l = FindLoaded(hLibModule);
    if (!l) return false;
    handle = l->Handle;
    if (--l->Count == 0) *l = Loaded{};
  }
  return ::dlclose(handle) == 0;
}

}  // namespace dz::win
