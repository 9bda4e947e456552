// Stand-in for WinHelpW of user32.
//
// Linux has no WinHelp viewer; the file is handed to the desktop's default
// application for it with xdg-open (through ShellExecuteExW), whatever the
// command. The call does not wait for the viewer.
// Threads: every routine may be called from any thread; none keeps state between calls.
#pragma once


#include <cstdint>

namespace dz::win {

// WinHelp commands (uCommand); the stand-in shows the file for any of them.
inline constexpr uint32_t HELP_CONTEXT = 0x0001;
inline constexpr uint32_t HELP_QUIT = 0x0002;
inline constexpr uint32_t HELP_CONTENTS = 0x0003;
inline constexpr uint32_t HELP_INDEX = 0x0003;
inline constexpr uint32_t HELP_HELPONHELP = 0x0004;
inline constexpr uint32_t HELP_SETCONTENTS = 0x0005;
inline constexpr uint32_t HELP_KEY = 0x0101;
inline constexpr uint32_t HELP_FINDER = 0x000B;

// Nonzero when xdg-open was started on lpszHelp: the file exists, is not a
// folder, and xdg-open is on PATH. 0 otherwise, and for a null or empty
// name. HELP_QUIT closes nothing (the viewer is the desktop's) and answers
// nonzero. hWndMain and dwData are ignored.
int32_t WinHelpW(void* hWndMain, const char16_t* lpszHelp, uint32_t uCommand, uintptr_t dwData);

}  // namespace dz::win
