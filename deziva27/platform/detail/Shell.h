// Stand-ins for ShellExecuteExW, GetExitCodeProcess, WaitForSingleObject
// and CloseHandle of a process.
//
// ShellExecuteExW with no verb or "open":
//  - an executable file (a regular file with execute permission; a bare
//    name is looked for in the current folder, then along PATH) starts
//    directly with posix_spawn, no shell: lpParameters is split into
//    arguments by the Windows command-line rules (CommandLineToArgs), and
//    the child runs in lpDirectory when one is given;
//  - a document, or a URL ("scheme://...", "mailto:..."; a scheme begins
//    with a letter), opens with the desktop's default application through
//    xdg-open, a document by its absolute path; the parameters are not
//    passed on;
//  - a missing file, a folder, an empty name, a program file (ELF or "#!")
//    without execute permission, a working folder that does not exist, or
//    a missing xdg-open: false, and no child is left behind.
// nShow (SW_*) is accepted and ignored: a Linux program chooses its own
// window state. hwnd, lpClass, hkeyClass, dwHotKey and hIcon are ignored.
// Threads: any thread; the table of started processes is kept under a lock.
#pragma once


#include <cstdint>
#include <string>
#include <vector>

namespace dz::win {

using DWORD = uint32_t;
using ULONG = uint32_t;
using LPCWSTR = const char16_t*;
using HANDLE = void*;
using HWND = void*;

inline constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x40;
inline constexpr DWORD STILL_ACTIVE = 259;
inline constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2,
                     SW_SHOWMAXIMIZED = 3, SW_SHOW = 5, SW_MINIMIZE = 6;

// The Windows record, 112 bytes on a 64-bit system.
struct SHELLEXECUTEINFOW {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCWSTR lpVerb;
  LPCWSTR lpFile;
  LPCWSTR lpParameters;
  LPCWSTR lpDirectory;
  int nShow;
  void* hInstApp;
  void* lpIDList;
  LPCWSTR lpClass;
  void* hkeyClass;
  DWORD dwHotKey;
  HANDLE hIcon;
  HANDLE hProcess;  // set with SEE_MASK_NOCLOSEPROCESS; the caller closes it
};

// Starts the file as described above. With SEE_MASK_NOCLOSEPROCESS,
// hProcess receives the started process; without it the process runs on
// unwatched and is reaped when it ends. False when cbSize is not the size of
// the record or nothing could be started.
bool ShellExecuteExW(SHELLEXECUTEINFOW* pExecInfo);

// STILL_ACTIVE while the process runs, then its exit status (128 + the
// signal's number when a signal ended it). False for a handle that is not a
// process of ShellExecuteExW.
bool GetExitCodeProcess(HANDLE hProcess, DWORD* lpExitCode);

// Releases the handle. A process that still runs is reaped in the
// background when it ends, so it never lingers as a zombie.
bool CloseHandle(HANDLE hObject);

// Blocks until the process has ended or dwMilliseconds have passed
// (INFINITE: no limit). WAIT_OBJECT_0 once it has ended, WAIT_TIMEOUT while
// it runs on, WAIT_FAILED for a handle that is not a process of
// ShellExecuteExW. The process stays unreaped until GetExitCodeProcess or
// CloseHandle, so its exit status is kept.
inline constexpr DWORD INFINITE = 0xFFFFFFFF, WAIT_OBJECT_0 = 0, WAIT_TIMEOUT = 258,
                       WAIT_FAILED = 0xFFFFFFFF;
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

// Parameters split as CommandLineToArgvW splits what follows the program
// name: blanks and tabs separate arguments outside double quotes; 2n
// backslashes before a quote give n backslashes and the quote opens or closes
// quoting, 2n + 1 give n backslashes and a literal quote; inside quotes ""
// is a literal quote and ends the quoting; other backslashes are literal.
std::vector<std::u16string> CommandLineToArgs(std::u16string_view Params);

}  // namespace dz::win
