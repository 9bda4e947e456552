// Yes/no questions and the information window.
//
// Ask and AskNo put a question in the application's message box; the
// information window is one borderless, stay-on-top window, centred, 50
// pixels high and as wide as its text plus 10, that shows a short status
// text until it is hidden. The window is this unit's only state; everything
// runs on the caller's thread.
// Threads: the questions and the window belong to the thread that runs the user interface.
#pragma once

#include "deziva27/host/ui/Forms.h"

namespace dz DZ_API {

// MB_YESNO | MB_ICONQUESTION, empty caption, Yes the default: IDYES (6) or
// IDNO (7), 0 when no box could be shown.
Integer Ask(const UnicodeString& Question);
// The same with No the default (MB_DEFBUTTON2).
Integer AskNo(const UnicodeString& Question);

// Replaces any information window with a new one showing Text, painted
// before it returns.
void ShowInfo(const UnicodeString& Text);
// Shows Text in the window (opening it first if there is none) and resizes
// it to fit. EInvalidCast when the window's first component is not its panel.
void UpdateInfo(const UnicodeString& Text);
// Hides and frees the window; nothing when there is none.
void HideInfo();
// Whether an information window exists (between ShowInfo or UpdateInfo and
// HideInfo).
bool InfoIsShowing();
// The window itself, nullptr when none is shown (for callers that want to
// read its geometry).
TForm* InfoWindow();

}  // namespace dz
