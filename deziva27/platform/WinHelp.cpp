#include "deziva27/platform/detail/WinHelp.h"

#include <sys/stat.h>

#include <string>

#include "deziva27/base/Utf.h"
#include "deziva27/platform/detail/Shell.h"

namespace dz::win {

int32_t WinHelpW(void* /*hWndMain*/, const char16_t* lpszHelp, uint32_t uCommand,
                 uintptr_t /*dwData*/) {
  if (uCommand == HELP_QUIT) return 1;
  if (!lpszHelp || !*lpszHelp) return 0;
  // ShellExecuteExW would start an executable help file rather than show it;
  // a help file is always a document here.
  struct stat st {};
  if (::stat(Utf16ToUtf8(lpszHelp).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  if ((st.st_mode & 0111) != 0) return 0;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.lpVerb = u"open";
  info.lpFile = lpszHelp;
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) ? 1 : 0;
}

}  // namespace dz::win
