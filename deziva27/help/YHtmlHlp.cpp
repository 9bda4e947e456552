#include "deziva27/help/YHtmlHlp.h"

#include "deziva27/platform/detail/Module.h"
#include "deziva27/platform/detail/WinHelp.h"

namespace dz {

TFNHtmlHelpA HtmlHelpA = nullptr;
TFNHtmlHelpW HtmlHelpW = nullptr;
TFNHtmlHelpW HtmlHelp = nullptr;

namespace {

HMODULE gControl = 0;

// True when FreeLibrary succeeded, or when nothing was loaded.
bool UnloadControl() {
  bool freed = true;
  if (gControl != 0) {
    try {
      freed = win::FreeLibrary(gControl);
    } catch (...) {
      // A failing unload must not stop the unit's shut-down.
      freed = false;
    }
    gControl = 0;
    HtmlHelpA = nullptr;
    HtmlHelpW = nullptr;
    HtmlHelp = nullptr;
  }
  return freed;
}

bool LoadControl() {
  gControl = win::LoadLibraryExW(u"hhctrl.ocx", nullptr, 0);
  if (gControl == 0) return false;
  HtmlHelpA = reinterpret_cast<TFNHtmlHelpA>(win::GetProcAddress(gControl, "HtmlHelpA"));
  HtmlHelpW = reinterpret_cast<TFNHtmlHelpW>(win::GetProcAddress(gControl, "HtmlHelpW"));
  HtmlHelp = HtmlHelpW;
  if (!HtmlHelpA || !HtmlHelpW) {
    UnloadControl();
    return false;
  }
  return true;
}

}  // namespace

namespace detail {
void YHtmlHlpStop() { UnloadControl(); }
}  // namespace detail

LongBool OpenHtmlHelp(const UnicodeString& FileName, uint32_t Command, uint32_t Data) {
  if (gControl == 0 && !LoadControl())
    throw EHtmlHelpError(u"Can't load Library '%s'", {UnicodeString(u"hhctrl.ocx")});
  const HWND shown = HtmlHelp(nullptr, FileName.c_str(), Command, static_cast<DWORD_PTR>(Data));
  return shown != nullptr ? -1 : 0;
}

LongBool OpenWinHelp(const UnicodeString& FileName, uint32_t /*Command*/, uint32_t /*Data*/) {
  return win::WinHelpW(nullptr, FileName.c_str(), win::HELP_CONTENTS, 0);
}

}  // namespace dz
