// What the system says about files, modules and itself.
//
//   TYVersionInfoRec rec;
//   if (GetVersionInfo(u"setup.exe", rec)) ... rec.FileVersion ...
//   RunProgram(u"/usr/bin/make", u"-C build", u"", true);   // waits
//   ExpandEnvVars(u"%HOME%/.config");
//
// Version information comes from the VS_VERSIONINFO resource of PE files
// (.exe, .dll, .ocx, 32 or 64 bit); Linux programs and libraries have none.
// The operating-system flags are set once when the unit starts, from what
// GetVersionExW reports (see platform/SystemVersion.h; DZ_WINVER overrides
// it); IsLinux stays false.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>
#include <optional>

#include "deziva27/host/runtime/FormatSettings.h"
#include "deziva27/base/Types.h"

namespace dz DZ_API {

struct TYVersionInfoRec {
  UnicodeString CompanyName;
  UnicodeString FileDescription;
  UnicodeString FileVersion;
  UnicodeString InternalName;
  UnicodeString LegalCopyright;
  UnicodeString LegalTrademarks;  // never filled: keeps what the caller put there
  UnicodeString OriginalFilename;
  UnicodeString ProductVersion;
  UnicodeString ProductName;
};

// Reads the version strings of FileName under the first entry of its
// translation table. A string the file lacks becomes empty. False, with
// VersionInfo untouched, when the file has no version information or no
// translation table to name the strings' block.
bool GetVersionInfo(const UnicodeString& FileName, TYVersionInfoRec& VersionInfo);

// GetVersionInfo of the file of a loaded module (0: the main program). The
// handle is sign-extended, so on a 64-bit system only 0 and handles below
// 2 GiB name a module.
bool GetModuleVersionInfo(int32_t Module, TYVersionInfoRec& VersionInfo);
// The two as owning results: the strings read (those the file lacks empty),
// or empty where the forms above answer false.
std::optional<TYVersionInfoRec> GetVersionInfo(const UnicodeString& FileName);
std::optional<TYVersionInfoRec> GetModuleVersionInfo(int32_t Module);

// Starts a program or opens a document (platform/Shell.h tells which and
// how). With Wait, returns only after the started process has ended; while
// it waits, the application's pending window messages are processed
// (Application()->ProcessMessages(), so an information window shown before
// keeps painting) every 15 ms, sleeping on the child in between. A wait that
// has no process to watch (a document handed to a running application) ends
// at once. True when something was started. ShowCmd (SW_*) is ignored on Linux;
// RunProgram passes SW_SHOWMINIMIZED.
bool RunProgramEx(const UnicodeString& FileName, const UnicodeString& Params,
                  const UnicodeString& WorkDir, int32_t ShowCmd, bool Wait);
bool RunProgram(const UnicodeString& FileName, const UnicodeString& Params,
                const UnicodeString& WorkDir, bool Wait);

// Text with every %NAME% replaced by the variable's value; references to
// unset variables stay as written (platform/Environment.h on case).
UnicodeString ExpandEnvVars(const UnicodeString& Text);

// The file this library runs from: libdeziva27.so when it is a shared
// library, else the running program (ParamStr(0)).
UnicodeString DHGetFileName();

// The format settings of the system's default locale (2048).
void GetCurrentFormats(TFormatSettings& Settings);

// Operating-system flags; false until the unit starts.
extern bool IsWin95, IsWin95OSR2, IsWin98, IsWin98Up, IsWinME, IsWinNT, IsWin2000, IsWinXP,
    IsWin2000Up, IsWinNTUp, IsWinXPUp, IsLinux;

}  // namespace dz

namespace dz::detail {

// The flags' formulas over a platform identifier and version; the unit's
// start applies them to what GetVersionExW reports.
DZ_API void SetOSFlags(uint32_t PlatformId, uint32_t Major, uint32_t Minor, uint32_t Build);

}  // namespace dz::detail
