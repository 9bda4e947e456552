#include "deziva27/utils/System.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "deziva27/host/ui/Forms.h"
#include "deziva27/host/runtime/System.h"
#include "deziva27/platform/detail/Environment.h"
#include "deziva27/platform/detail/Module.h"
#include "deziva27/platform/detail/Shell.h"
#include "deziva27/platform/detail/SystemVersion.h"
#include "deziva27/platform/detail/Version.h"
#include "deziva27/utils/detail/System.h"

namespace dz {

bool IsWin95 = false, IsWin95OSR2 = false, IsWin98 = false, IsWin98Up = false, IsWinME = false,
     IsWinNT = false, IsWin2000 = false, IsWinXP = false, IsWin2000Up = false, IsWinNTUp = false,
     IsWinXPUp = false, IsLinux = false;

namespace {

const char16_t kHex[] = u"0123456789ABCDEF";

void Hex4(UnicodeString& s, uint16_t v) {
  for (int shift = 12; shift >= 0; shift -= 4) s += kHex[(v >> shift) & 0xF];
}

// The value of a string query, up to its NUL and never past its length.
UnicodeString Query(const std::vector<uint8_t>& block, const UnicodeString& path) {
  void* value = nullptr;
  win::UINT len = 0;
  if (!win::VerQueryValueW(block.data(), path.c_str(), &value, &len) || !value) return {};
  const auto* p = static_cast<const char16_t*>(value);
  size_t n = 0;
  while (n < len && p[n] != 0) ++n;
  return UnicodeString(p, n);
}

int gStarts = 0;  // the unit's start counter

// Short enough that a window painting between two slices looks alive.
constexpr win::DWORD kWaitSlice = 15;

}  // namespace

bool GetVersionInfo(const UnicodeString& FileName, TYVersionInfoRec& VersionInfo) {
  win::DWORD handle = 0;
  const win::DWORD size = win::GetFileVersionInfoSizeW(FileName.c_str(), &handle);
  if (size == 0) return false;
  std::vector<uint8_t> block(size);
  if (!win::GetFileVersionInfoW(FileName.c_str(), handle, size, block.data())) return false;
  void* table = nullptr;
  win::UINT len = 0;
  // Without a translation there is no block to name; the file is treated as
  // having no version information rather than guessing a language.
  if (!win::VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &table, &len) || len < 4)
    return false;
  const auto* t = static_cast<const uint8_t*>(table);
  UnicodeString prefix = u"\\StringFileInfo\\";
  Hex4(prefix, static_cast<uint16_t>(t[0] | t[1] << 8));
  Hex4(prefix, static_cast<uint16_t>(t[2] | t[3] << 8));
  prefix += u'\\';
  TYVersionInfoRec& r = VersionInfo;
  r.CompanyName = Query(block, prefix + u"CompanyName");
  r.FileDescription = Query(block, prefix + u"FileDescription");
  r.FileVersion = Query(block, prefix + u"FileVersion");
  r.InternalName = Query(block, prefix + u"InternalName");
  r.LegalCopyright = Query(block, prefix + u"LegalCopyright");
  r.OriginalFilename = Query(block, prefix + u"OriginalFilename");
  r.ProductName = Query(block, prefix + u"ProductName");
  r.ProductVersion = Query(block, prefix + u"ProductVersion");
  return true;
}

bool GetModuleVersionInfo(int32_t Module, TYVersionInfoRec& VersionInfo) {
  char16_t path[260];
  const auto handle = static_cast<HMODULE>(static_cast<intptr_t>(Module));
  const win::DWORD n = win::GetModuleFileNameW(handle, path, 260);
  if (n == 0 || n >= 260) return false;
  return GetVersionInfo(UnicodeString(path, n), VersionInfo);
}

std::optional<TYVersionInfoRec> GetVersionInfo(const UnicodeString& FileName) {
  TYVersionInfoRec r;
  if (!GetVersionInfo(FileName, r)) return std::nullopt;
  return r;
}

std::optional<TYVersionInfoRec> GetModuleVersionInfo(int32_t Module) {
  TYVersionInfoRec r;
  if (!GetModuleVersionInfo(Module, r)) return std::nullopt;
  return r;
}

bool RunProgramEx(const UnicodeString& FileName, const UnicodeString& Params,
                  const UnicodeString& WorkDir, int32_t ShowCmd, bool Wait) {
  win::SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = win::SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = FileName.c_str();
  info.lpParameters = Params.c_str();
  info.lpDirectory = WorkDir.c_str();
  info.nShow = ShowCmd;
  if (!win::ShellExecuteExW(&info)) return false;
  if (Wait) {
    // The application's windows are served between polls, and each poll
    // sleeps on the child for a moment so that waiting burns no core.
    win::DWORD code = 0;
    while (win::GetExitCodeProcess(info.hProcess, &code) && code == win::STILL_ACTIVE) {
      Application()->ProcessMessages();
      win::WaitForSingleObject(info.hProcess, kWaitSlice);
    }
  }
  // Closing also reaps a child that is still running once it ends.
  if (info.hProcess) win::CloseHandle(info.hProcess);
  return true;
}

bool RunProgram(const UnicodeString& FileName, const UnicodeString& Params,
                const UnicodeString& WorkDir, bool Wait) {
  return RunProgramEx(FileName, Params, WorkDir, win::SW_SHOWMINIMIZED, Wait);
}

UnicodeString ExpandEnvVars(const UnicodeString& Text) {
  const win::DWORD need = win::ExpandEnvironmentStringsW(Text.c_str(), nullptr, 0);
  if (need < 1) return {};
  UnicodeString out(need, u'\0');
  const win::DWORD got = win::ExpandEnvironmentStringsW(Text.c_str(), out.data(), need);
  // The environment may change between the two calls; the second count is
  // the one that holds.
  if (got > need) return ExpandEnvVars(Text);
  // Past Windows' limit the text is cut short: it ends at its NUL, not at
  // the count.
  out.resize(std::min<size_t>(got - 1, std::u16string_view(out.c_str()).size()));
  return out;
}

UnicodeString DHGetFileName() {
  if (win::IsLibrary()) {
    char16_t path[261];
    const win::DWORD n = win::GetModuleFileNameW(win::LibraryModule(), path, 261);
    return UnicodeString(path, n < 261 ? n : 260);
  }
  return ParamStr(0);
}

void GetCurrentFormats(TFormatSettings& Settings) {
  GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT, Settings);
}

namespace detail {

void SetOSFlags(uint32_t PlatformId, uint32_t Major, uint32_t Minor, uint32_t Build) {
  IsWin95 = PlatformId == win::VER_PLATFORM_WIN32_WINDOWS;
  IsWin95OSR2 = IsWin95 && (Build & 0xFFFF) >= 1000;
  IsWin98 = IsWin95 && Minor > 0;
  IsWin98Up = IsWin98;
  IsWinME = IsWin95 && Minor >= 90;
  IsWinNT = PlatformId == win::VER_PLATFORM_WIN32_NT;
  IsWin2000 = IsWinNT && Major >= 5;
  IsWinXP = IsWinNT && Major == 5 && Minor == 1;
  IsWinXPUp = IsWinNT && Major >= 5 && Minor >= 1;
  // Composites come after the flags they are made of.
  IsWin2000Up = IsWin2000 || IsWinXP;
  IsWinNTUp = IsWinNT || IsWin2000Up;
}

void YUtilsStart() {
  if (--gStarts != -1) return;
  win::OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof v;
  if (win::GetVersionExW(&v)) SetOSFlags(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion,
                                    v.dwBuildNumber);
}

// Releases nothing: the flags keep their values until the library unloads.
void YUtilsStop() { ++gStarts; }

}  // namespace detail
}  // namespace dz
