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
// GetVersionExW reports: on Linux the NT family, version 10.0, build 19045,
// as Windows programs under a compatibility layer see it, unless DZ_WINVER
// says "PLATFORM:MAJOR.MINOR.BUILD" ("1:4.10.1998" for Windows 98); IsLinux
// stays false.
// Threads: any thread, but RunProgram with Wait serves the windows: call that
// one on the UI thread.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>
#include <optional>

#include "deziva27/host/runtime/FormatSettings.h"
#include "deziva27/base/Types.h"

namespace dz DZ_API {

// The version strings GetVersionInfo reads, each under its name in the
// resource's string table. A plain value.
struct TYVersionInfoRec {
  UnicodeString CompanyName;      // "CompanyName"
  UnicodeString FileDescription;  // "FileDescription"
  UnicodeString FileVersion;      // "FileVersion", as text ("1.2.3.4")
  UnicodeString InternalName;     // "InternalName"
  UnicodeString LegalCopyright;   // "LegalCopyright"
  UnicodeString LegalTrademarks;  // never filled: keeps what the caller put there
  UnicodeString OriginalFilename; // "OriginalFilename"
  UnicodeString ProductVersion;   // "ProductVersion", as text
  UnicodeString ProductName;      // "ProductName"
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

// Starts a program or opens a document: an executable file (a bare name
// looked for in the current folder, then along PATH) runs directly with
// Params split by the Windows command-line rules, in WorkDir when given;
// a document or URL opens with the desktop's default application (xdg-open),
// without Params. False for a missing file, a folder, an empty name, a
// program without execute permission or a missing WorkDir. With Wait,
// returns only after the started process has ended; while it waits, the
// application's pending window messages are processed
// (Application()->ProcessMessages(), so an information window shown before
// keeps painting) every 15 ms, sleeping on the child in between. A wait that
// has no process to watch (a document handed to a running application) ends
// at once. True when something was started. ShowCmd (SW_*) is ignored on
// Linux; RunProgram passes SW_SHOWMINIMIZED.
bool RunProgramEx(const UnicodeString& FileName, const UnicodeString& Params,
                  const UnicodeString& WorkDir, int32_t ShowCmd, bool Wait);
// RunProgramEx with SW_SHOWMINIMIZED.
bool RunProgram(const UnicodeString& FileName, const UnicodeString& Params,
                const UnicodeString& WorkDir, bool Wait);

// Text with every %NAME% replaced by the variable's value; references to
// unset variables, an empty %% and a lone % stay as written, and a value is
// not expanded again. A name is looked up as written, then without regard
// to case (%temp% finds TEMP).
UnicodeString ExpandEnvVars(const UnicodeString& Text);

// The file this library runs from: libdeziva27.so when it is a shared
// library, else the running program (ParamStr(0)).
UnicodeString DHGetFileName();

// The format settings of the system's default locale (2048).
void GetCurrentFormats(TFormatSettings& Settings);

// Operating-system flags, one per Windows version (Up: that one or later);
// false until the unit starts, set once then. IsLinux stays false.
extern bool IsWin95, IsWin95OSR2, IsWin98, IsWin98Up, IsWinME, IsWinNT, IsWin2000, IsWinXP,
    IsWin2000Up, IsWinNTUp, IsWinXPUp, IsLinux;

}  // namespace dz
