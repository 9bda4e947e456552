// YHtmlHlp: opening help files.
//
// Compiled HTML Help (.chm) files go through the HTML Help control,
// "hhctrl.ocx", which the unit loads on the first OpenHtmlHelp and frees
// when the library is unloaded (on Linux the control is the hhctrl.so
// plug-in, looked for beside the library or the program, in deziva27/ or
// ../lib/deziva27/ from either, or at $DZ_HHCTRL_PATH). WinHelp files, which
// Linux has no viewer for, are handed to the desktop's default application
// for them (xdg-open), whatever the command. The control's entry points are
// published for callers that issue HTML Help commands of their own.
//
// Not thread-safe: the first OpenHtmlHelp loads the control without a lock,
// so callers on several threads must not race on it.
// Threads: one thread at a time: the first OpenHtmlHelp loads the control without a lock.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>

#include "deziva27/consts/Errors.h"
#include "deziva27/base/Types.h"

namespace dz DZ_API {

using HWND = void*;
using UINT = uint32_t;
using DWORD = uint32_t;
using DWORD_PTR = uintptr_t;
using UINT_PTR = uintptr_t;
using BOOL = int32_t;
using LONG = int32_t;
using COLORREF = uint32_t;
using HINSTANCE = uintptr_t;
using LongBool = int32_t;  // 32-bit boolean: -1 (all bits set) true, 0 false

// The shape of the HTML Help API's HtmlHelp function.
using TFNHtmlHelpA = HWND (*)(HWND hwndCaller, const char* pszFile, UINT uCommand,
                              DWORD_PTR dwData);
using TFNHtmlHelpW = HWND (*)(HWND hwndCaller, const char16_t* pszFile, UINT uCommand,
                              DWORD_PTR dwData);

// The loaded control's entry points, or null while it is not loaded.
// HtmlHelp is the one OpenHtmlHelp calls: HtmlHelpW once loaded.
extern TFNHtmlHelpA HtmlHelpA;
extern TFNHtmlHelpW HtmlHelpW;
extern TFNHtmlHelpW HtmlHelp;

// Calls HtmlHelp with no owner window, FileName (which may name a topic as
// "file.chm::/topic.htm"), Command and Data (widened to pointer size) passed
// through unchanged. -1 when the control returned a window, 0 when not.
// Loads the control first if it is not loaded; when that fails, raises
// EHtmlHelpError "Can't load Library 'hhctrl.ocx'", and the next call tries
// again.
LongBool OpenHtmlHelp(const UnicodeString& FileName, uint32_t Command, uint32_t Data);

// Shows the contents of a WinHelp file: WinHelpW with no owner window,
// HELP_CONTENTS and 0. Command and Data are not used. WinHelpW's result:
// nonzero when the file was handed to a viewer.
LongBool OpenWinHelp(const UnicodeString& FileName, uint32_t Command, uint32_t Data);

// HTML Help commands (uCommand).
inline constexpr UINT HH_DISPLAY_TOPIC = 0x0000;
inline constexpr UINT HH_HELP_FINDER = 0x0000;
inline constexpr UINT HH_DISPLAY_TOC = 0x0001;
inline constexpr UINT HH_DISPLAY_INDEX = 0x0002;
inline constexpr UINT HH_DISPLAY_SEARCH = 0x0003;
inline constexpr UINT HH_SET_WIN_TYPE = 0x0004;
inline constexpr UINT HH_GET_WIN_TYPE = 0x0005;
inline constexpr UINT HH_GET_WIN_HANDLE = 0x0006;
inline constexpr UINT HH_ENUM_INFO_TYPE = 0x0007;
inline constexpr UINT HH_SET_INFO_TYPE = 0x0008;
inline constexpr UINT HH_SYNC = 0x0009;
inline constexpr UINT HH_KEYWORD_LOOKUP = 0x000D;
inline constexpr UINT HH_DISPLAY_TEXT_POPUP = 0x000E;
inline constexpr UINT HH_HELP_CONTEXT = 0x000F;
inline constexpr UINT HH_TP_HELP_CONTEXTMENU = 0x0010;
inline constexpr UINT HH_TP_HELP_WM_HELP = 0x0011;
inline constexpr UINT HH_CLOSE_ALL = 0x0012;
inline constexpr UINT HH_ALINK_LOOKUP = 0x0013;
inline constexpr UINT HH_GET_LAST_ERROR = 0x0014;
inline constexpr UINT HH_ENUM_CATEGORY = 0x0015;
inline constexpr UINT HH_ENUM_CATEGORY_IT = 0x0016;
inline constexpr UINT HH_RESET_IT_FILTER = 0x0017;
inline constexpr UINT HH_SET_INCLUSIVE_FILTER = 0x0018;
inline constexpr UINT HH_SET_EXCLUSIVE_FILTER = 0x0019;
inline constexpr UINT HH_INITIALIZE = 0x001C;
inline constexpr UINT HH_UNINITIALIZE = 0x001D;
inline constexpr UINT HH_SAFE_DISPLAY_TOPIC = 0x0020;
inline constexpr UINT HH_SET_GLOBAL_PROPERTY = 0x00FC;
inline constexpr UINT HH_PRETRANSLATEMESSAGE = 0x00FD;

inline constexpr int HH_MAX_TABS = 19;

// The published records of the HTML Help interface, for callers that build
// command data. The unit's own routines use none of them. Text fields are
// 16-bit where the interface has TCHAR text, 8-bit where it is always ANSI.
struct POINT {
  LONG x, y;
};
struct RECT {
  LONG left, top, right, bottom;
};

struct tagNMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
using NMHDR = tagNMHDR;
using PNMHDR = tagNMHDR*;

struct tagHHN_NOTIFY {
  tagNMHDR hdr;
  const char* pszUrl;  // multi-byte, zero-terminated
};
using HHN_NOTIFY = tagHHN_NOTIFY;
using PHHN_NOTIFY = tagHHN_NOTIFY*;

struct tagHH_POPUP {
  int32_t cbStruct;
  HINSTANCE hinst;
  UINT idString;
  const char16_t* pszText;
  POINT pt;
  COLORREF clrForeground;  // -1 for the default
  COLORREF clrBackground;  // -1 for the default
  RECT rcMargins;         // -1 for a default side
  const char16_t* pszFont;  // "facename, point size, char set, BOLD ITALIC UNDERLINE"
};
using HH_POPUP = tagHH_POPUP;
using PHH_POPUP = tagHH_POPUP*;

struct tagHH_AKLINK {
  int32_t cbStruct;
  BOOL fReserved;
  const char16_t* pszKeywords;  // semicolon-separated
  const char16_t* pszUrl;
  const char16_t* pszMsgText;
  const char16_t* pszMsgTitle;
  const char16_t* pszWindow;
  BOOL fIndexOnFail;
};
using HH_AKLINK = tagHH_AKLINK;
using PHH_AKLINK = tagHH_AKLINK*;

struct tagHH_ENUM_IT {
  int32_t cbStruct;
  int32_t iType;
  const char* pszCatName;
  const char* pszITName;
  const char* pszITDescription;
};
using HH_ENUM_IT = tagHH_ENUM_IT;
using PHH_ENUM_IT = tagHH_ENUM_IT*;

struct tagHH_ENUM_CAT {
  int32_t cbStruct;
  const char* pszCatName;
  const char* pszCatDescription;
};
using HH_ENUM_CAT = tagHH_ENUM_CAT;
using PHH_ENUM_CAT = tagHH_ENUM_CAT*;

struct tagHH_SET_INFOTYPE {
  int32_t cbStruct;
  const char* pszCatName;
  const char* pszInfoTypeName;
};
using HH_SET_INFOTYPE = tagHH_SET_INFOTYPE;
using PHH_SET_INFOTYPE = tagHH_SET_INFOTYPE*;

using HH_INFOTYPE = DWORD;
using PHH_INFOTYPE = HH_INFOTYPE*;

struct tagHH_FTS_QUERY {
  int32_t cbStruct;
  BOOL fUniCodeStrings;
  const char16_t* pszSearchQuery;
  LONG iProximity;
  BOOL fStemmedSearch;
  BOOL fTitleOnly;
  BOOL fExecute;
  const char16_t* pszWindow;
};
using HH_FTS_QUERY = tagHH_FTS_QUERY;
using PHH_FTS_QUERY = tagHH_FTS_QUERY*;

struct tagHH_WINTYPE {
  int32_t cbStruct;
  BOOL fUniCodeStrings;
  const char16_t* pszType;
  DWORD fsValidMembers;
  DWORD fsWinProperties;
  const char16_t* pszCaption;
  DWORD dwStyles;
  DWORD dwExStyles;
  RECT rcWindowPos;
  int32_t nShowState;
  HWND hwndHelp;
  HWND hwndCaller;
  PHH_INFOTYPE paInfoTypes;
  HWND hwndToolBar;
  HWND hwndNavigation;
  HWND hwndHTML;
  int32_t iNavWidth;
  RECT rcHTML;
  const char16_t* pszToc;
  const char16_t* pszIndex;
  const char16_t* pszFile;
  const char16_t* pszHome;
  DWORD fsToolBarFlags;
  BOOL fNotExpanded;
  int32_t curNavType;
  int32_t tabpos;
  int32_t idNotify;
  uint8_t tabOrder[HH_MAX_TABS + 1];
  int32_t cHistory;
  const char16_t* pszJump1;
  const char16_t* pszJump2;
  const char16_t* pszUrlJump1;
  const char16_t* pszUrlJump2;
  RECT rcMinSize;
  int32_t cbInfoTypes;
  const char16_t* pszCustomTabs;
};
using HH_WINTYPE = tagHH_WINTYPE;
using PHH_WINTYPE = tagHH_WINTYPE*;

struct tagHHNTRACK {
  tagNMHDR hdr;
  const char* pszCurUrl;  // multi-byte, zero-terminated
  int32_t idAction;       // HHACT_*
  PHH_WINTYPE phhWinType;
};
using HHNTRACK = tagHHNTRACK;
using PHHNTRACK = tagHHNTRACK*;

enum tagHH_GPROPID : int32_t {
  HH_GPROPID_SINGLETHREAD = 1,
  HH_GPROPID_TOOLBAR_MARGIN = 2,
  HH_GPROPID_UI_LANGUAGE = 3,
  HH_GPROPID_CURRENT_SUBSET = 4,
  HH_GPROPID_CONTENT_LANGUAGE = 5,
};
using HH_GPROPID = tagHH_GPROPID;

// The 24-byte OLE VARIANT as the property record carries it: the type tag,
// three reserved words and the value.
struct TOleVariant {
  uint16_t vt;
  uint16_t wReserved1, wReserved2, wReserved3;
  union {
    int64_t llVal;
    double dblVal;
    void* byref;
    uintptr_t words[2];
  };
};

struct tagHH_GLOBAL_PROPERTY {
  HH_GPROPID id;
  TOleVariant var;
};
using HH_GLOBAL_PROPERTY = tagHH_GLOBAL_PROPERTY;
using PHH_GLOBAL_PROPERTY = tagHH_GLOBAL_PROPERTY*;

}  // namespace dz
