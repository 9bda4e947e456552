#include "deziva27/help/YHtmlHlp.h"

#include "deziva27/frame/Units.h"
#include "deziva27/platform/Module.h"
#include "deziva27/platform/WinHelp.h"

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
      freed = FreeLibrary(gControl);
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
  gControl = LoadLibraryExW(u"hhctrl.ocx", nullptr, 0);
  if (gControl == 0) return false;
  HtmlHelpA = reinterpret_cast<TFNHtmlHelpA>(GetProcAddress(gControl, "HtmlHelpA"));
  HtmlHelpW = reinterpret_cast<TFNHtmlHelpW>(GetProcAddress(gControl, "HtmlHelpW"));
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
  return WinHelpW(nullptr, FileName.c_str(), HELP_CONTENTS, 0);
}

}  // namespace dz
