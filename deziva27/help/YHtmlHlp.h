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

// Windows' names for the types the HTML Help interface uses, at Windows'
// sizes. A window handle is an opaque pointer: the library makes no windows
// of its own for it.
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

// The most tabs the navigation pane has; HH_WINTYPE::tabOrder has one slot more.
inline constexpr int HH_MAX_TABS = 19;

// --- Records of the HTML Help interface ------------------------------------
// The published records, for callers that build command data. The unit's own
// routines use none of them. Text fields are 16-bit where the interface has
// TCHAR text, 8-bit where it is always ANSI.

// A point on the screen.
struct POINT {
  // Its coordinates in pixels.
  LONG x, y;
};
// A rectangle in screen pixels; right and bottom lie just outside it.
struct RECT {
  // Its edges.
  LONG left, top, right, bottom;
};

// The header of every notification the control sends its caller window.
struct tagNMHDR {
  HWND hwndFrom;    // the window that sends it
  UINT_PTR idFrom;  // that window's identifier (HH_WINTYPE::idNotify)
  UINT code;        // which notification
};
// The interface's names for the record and for a pointer to one.
using NMHDR = tagNMHDR;
using PNMHDR = tagNMHDR*;

// A notification that names a topic: the one shown or about to be.
struct tagHHN_NOTIFY {
  tagNMHDR hdr;        // the header; code tells the notification
  const char* pszUrl;  // multi-byte, zero-terminated
};
// The interface's names for the record and for a pointer to one.
using HHN_NOTIFY = tagHHN_NOTIFY;
using PHHN_NOTIFY = tagHHN_NOTIFY*;

// The data of HH_DISPLAY_TEXT_POPUP: a text shown in a pop-up window.
struct tagHH_POPUP {
  int32_t cbStruct;         // sizeof the record, set by the caller
  HINSTANCE hinst;          // module holding the string idString; 0: none
  UINT idString;            // string resource or topic number; 0: pszText
  const char16_t* pszText;  // the text itself, when idString is 0
  POINT pt;                 // top centre of the pop-up, in screen pixels
  COLORREF clrForeground;   // -1 for the default
  COLORREF clrBackground;   // -1 for the default
  RECT rcMargins;           // -1 for a default side
  const char16_t* pszFont;  // "facename, point size, char set, BOLD ITALIC UNDERLINE"
};
// The interface's names for the record and for a pointer to one.
using HH_POPUP = tagHH_POPUP;
using PHH_POPUP = tagHH_POPUP*;

// The data of HH_KEYWORD_LOOKUP and HH_ALINK_LOOKUP: keywords to look up,
// and what to show when none is found.
struct tagHH_AKLINK {
  int32_t cbStruct;                // sizeof the record, set by the caller
  BOOL fReserved;                  // 0
  const char16_t* pszKeywords;     // semicolon-separated
  const char16_t* pszUrl;          // topic shown when no keyword is found
  const char16_t* pszMsgText;      // else this message, in a message box
  const char16_t* pszMsgTitle;     // with this caption
  const char16_t* pszWindow;       // window type to show the topic in
  BOOL fIndexOnFail;               // nonzero: open the index when none is found
};
// The interface's names for the record and for a pointer to one.
using HH_AKLINK = tagHH_AKLINK;
using PHH_AKLINK = tagHH_AKLINK*;

// One information type, as HH_ENUM_INFO_TYPE and HH_ENUM_CATEGORY_IT report it.
struct tagHH_ENUM_IT {
  int32_t cbStruct;              // sizeof the record, set by the caller
  int32_t iType;                 // the kind: inclusive, exclusive or hidden
  const char* pszCatName;        // its category, or null
  const char* pszITName;         // its name
  const char* pszITDescription;  // its description
};
// The interface's names for the record and for a pointer to one.
using HH_ENUM_IT = tagHH_ENUM_IT;
using PHH_ENUM_IT = tagHH_ENUM_IT*;

// One category of information types, as HH_ENUM_CATEGORY reports it.
struct tagHH_ENUM_CAT {
  int32_t cbStruct;               // sizeof the record, set by the caller
  const char* pszCatName;         // its name
  const char* pszCatDescription;  // its description
};
// The interface's names for the record and for a pointer to one.
using HH_ENUM_CAT = tagHH_ENUM_CAT;
using PHH_ENUM_CAT = tagHH_ENUM_CAT*;

// The data of HH_SET_INFO_TYPE: an information type named by its category.
struct tagHH_SET_INFOTYPE {
  int32_t cbStruct;             // sizeof the record, set by the caller
  const char* pszCatName;       // the category, or null
  const char* pszInfoTypeName;  // the information type
};
// The interface's names for the record and for a pointer to one.
using HH_SET_INFOTYPE = tagHH_SET_INFOTYPE;
using PHH_SET_INFOTYPE = tagHH_SET_INFOTYPE*;

// A set of information types, one bit each, and a pointer to an array of
// such sets (HH_WINTYPE::paInfoTypes).
using HH_INFOTYPE = DWORD;
using PHH_INFOTYPE = HH_INFOTYPE*;

// The data of HH_DISPLAY_SEARCH: a full-text search to open the search tab with.
struct tagHH_FTS_QUERY {
  int32_t cbStruct;                // sizeof the record, set by the caller
  BOOL fUniCodeStrings;            // nonzero: the texts are 16-bit
  const char16_t* pszSearchQuery;  // the words sought
  LONG iProximity;                 // how near the words must stand; -1: the default
  BOOL fStemmedSearch;             // nonzero: match the stems of words
  BOOL fTitleOnly;                 // nonzero: search topic titles only
  BOOL fExecute;                   // nonzero: run the search at once
  const char16_t* pszWindow;       // window type to show the results in
};
// The interface's names for the record and for a pointer to one.
using HH_FTS_QUERY = tagHH_FTS_QUERY;
using PHH_FTS_QUERY = tagHH_FTS_QUERY*;

// A window type: the look and panes of a help window (HH_SET_WIN_TYPE,
// HH_GET_WIN_TYPE). The fields marked "out" are filled by the control.
struct tagHH_WINTYPE {
  int32_t cbStruct;                   // sizeof the record, set by the caller
  BOOL fUniCodeStrings;               // nonzero: the texts are 16-bit
  const char16_t* pszType;            // the window type's name
  DWORD fsValidMembers;               // HHWIN_PARAM_* bits: which fields are set
  DWORD fsWinProperties;              // HHWIN_PROP_* bits
  const char16_t* pszCaption;         // the window's caption
  DWORD dwStyles;                     // window styles
  DWORD dwExStyles;                   // extended window styles
  RECT rcWindowPos;                   // the window's position
  int32_t nShowState;                 // how the window is shown (SW_*)
  HWND hwndHelp;                      // out: the help window
  HWND hwndCaller;                    // window that receives the notifications
  PHH_INFOTYPE paInfoTypes;           // information types the window shows
  HWND hwndToolBar;                   // out: the tool bar
  HWND hwndNavigation;                // out: the navigation pane
  HWND hwndHTML;                      // out: the topic pane
  int32_t iNavWidth;                  // width of the navigation pane
  RECT rcHTML;                        // out: where the topic pane is
  const char16_t* pszToc;             // contents file
  const char16_t* pszIndex;           // index file
  const char16_t* pszFile;            // topic shown first
  const char16_t* pszHome;            // topic of the Home button
  DWORD fsToolBarFlags;               // HHWIN_BUTTON_* bits: the buttons shown
  BOOL fNotExpanded;                  // nonzero: the navigation pane starts closed
  int32_t curNavType;                 // tab shown first (HHWIN_NAVTYPE_*)
  int32_t tabpos;                     // where the tabs stand (HHWIN_NAVTAB_*)
  int32_t idNotify;                   // idFrom of the notifications; 0: none sent
  uint8_t tabOrder[HH_MAX_TABS + 1];  // the order of the tabs
  int32_t cHistory;                   // history entries kept
  const char16_t* pszJump1;           // text of the first Jump button
  const char16_t* pszJump2;           // text of the second Jump button
  const char16_t* pszUrlJump1;        // topic of the first Jump button
  const char16_t* pszUrlJump2;        // topic of the second Jump button
  RECT rcMinSize;                     // the smallest size of the window
  int32_t cbInfoTypes;                // size of paInfoTypes in bytes
  const char16_t* pszCustomTabs;      // names of custom tabs, each zero-terminated
};
// The interface's names for the record and for a pointer to one.
using HH_WINTYPE = tagHH_WINTYPE;
using PHH_WINTYPE = tagHH_WINTYPE*;

// The notification sent when the user acts on a button or tab of a window.
struct tagHHNTRACK {
  tagNMHDR hdr;            // the header; code tells the notification
  const char* pszCurUrl;   // multi-byte, zero-terminated
  int32_t idAction;        // HHACT_*
  PHH_WINTYPE phhWinType;  // the window's type, as it is now
};
// The interface's names for the record and for a pointer to one.
using HHNTRACK = tagHHNTRACK;
using PHHNTRACK = tagHHNTRACK*;

// The global properties HH_SET_GLOBAL_PROPERTY sets; the value's type is
// that of the OLE VARIANT the property record carries.
enum tagHH_GPROPID : int32_t {
  HH_GPROPID_SINGLETHREAD = 1,      // boolean: the control runs on one thread
  HH_GPROPID_TOOLBAR_MARGIN = 2,    // the tool bar's margins
  HH_GPROPID_UI_LANGUAGE = 3,       // language of the user interface (LANGID)
  HH_GPROPID_CURRENT_SUBSET = 4,    // name of the current subset
  HH_GPROPID_CONTENT_LANGUAGE = 5,  // language of the content (LANGID)
};
// The interface's name for the enumeration.
using HH_GPROPID = tagHH_GPROPID;

// The 24-byte OLE VARIANT as the property record carries it: the type tag,
// three reserved words and the value.
struct TOleVariant {
  uint16_t vt;  // the type tag (VT_*): which member holds the value
  // Reserved: 0.
  uint16_t wReserved1, wReserved2, wReserved3;
  union {
    int64_t llVal;       // an integer value (VT_I8; smaller ones in its low bytes)
    double dblVal;       // a floating value (VT_R8)
    void* byref;         // a pointer value (VT_BSTR, VT_BYREF ...)
    uintptr_t words[2];  // the value's bytes as they are
  };
};

// The data of HH_SET_GLOBAL_PROPERTY: a property and its value.
struct tagHH_GLOBAL_PROPERTY {
  HH_GPROPID id;    // the property
  TOleVariant var;  // its value
};
// The interface's names for the record and for a pointer to one.
using HH_GLOBAL_PROPERTY = tagHH_GLOBAL_PROPERTY;
using PHH_GLOBAL_PROPERTY = tagHH_GLOBAL_PROPERTY*;

}  // namespace dz
