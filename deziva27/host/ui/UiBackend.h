// The desktop services behind the application's message box and its forms:
// one small backend interface, chosen once per process.
//
// Backends:
//  - GTK 3, from the plug-in libdz_gtk.so, when a display is reachable. The
//    plug-in is looked up at DZ_GTK_PLUGIN, else beside the module that holds
//    this library, in deziva27/ below it and in ../lib/deziva27/ from it;
//    the core library itself never links GTK.
//  - the terminal: questions are asked on the controlling terminal
//    (/dev/tty); without one MessageBox returns 0, as Windows does when no
//    box can be shown. It shows no windows (CreateWindow gives nullptr).
//  - the application's own: SetUiBackend(std::make_shared<MyBackend>()).
// DZ_UI=terminal skips the GTK plug-in even when a display is there.
//
// This header is the plug-in's whole view of the library: it declares only
// abstract classes and inline code, so a plug-in built against it needs no
// symbol of the core.
// Threads: UiBackend and SetUiBackend on any thread; a backend's windows stay on the UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "deziva27/base/Export.h"

namespace dz DZ_API {

// Message box flags and results, with the values of the Windows API.
enum : int32_t {
  MB_OK = 0x0,             // one OK button
  MB_OKCANCEL = 0x1,       // OK and Cancel
  MB_YESNO = 0x4,          // Yes and No
  MB_ICONQUESTION = 0x20,  // a question icon (where the backend has icons)
  MB_DEFBUTTON2 = 0x100,   // the second button is the default
  MB_TYPEMASK = 0xF,       // the bits that choose the buttons
  MB_DEFMASK = 0xF00,      // the bits that choose the default button
};
// The button pressed, as MessageBox returns it (0: no box could be shown).
enum : int32_t { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// A panel as the form lays it out: client coordinates and the caption it
// shows centred, inside a one-pixel raised bevel.
struct TUiPanelState {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;  // in the form's client area
  std::u16string Caption;                            // drawn centred
};

// Everything a backend window needs to show a form; sent whole on each
// change, so a backend keeps no model of its own.
struct TUiWindowState {
  std::u16string Caption;                            // the title
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;  // screen pixels
  bool StayOnTop = false;   // above the other windows
  bool Borderless = false;  // no frame or title bar
  bool BorderIcons = true;  // title-bar buttons shown
  std::vector<TUiPanelState> Panels;  // the visible panels, in the form's order
};

// One top-level window of a backend. Destroying it closes the window.
class TUiWindow {
 public:
  virtual ~TUiWindow() = default;  // closes the window
  // Takes the whole new state (see TUiWindowState); shown or hidden alike.
  virtual void Update(const TUiWindowState& State) = 0;
  virtual void Show() = 0;  // maps the window with the last state sent
  virtual void Hide() = 0;  // unmaps it; it may be shown again
  // Returns once the window's current state is on the screen.
  virtual void Paint() = 0;
};

// The desktop services a backend gives the library (see above). One is in
// use per process at a time, held by shared_ptr.
class TUiBackend {
 public:
  virtual ~TUiBackend() = default;  // only once no window of it is left
  // "gtk", "terminal", or the application's own name.
  virtual std::string Name() const = 0;
  // Modal; the IDxxx of the button pressed, 0 when no box could be shown.
  virtual int32_t MessageBox(const std::u16string& Text, const std::u16string& Caption,
                             int32_t Flags) = 0;
  // Handles what is pending for the backend's windows and returns at once.
  virtual void ProcessMessages() = 0;
  // Width in pixels of Text in the font forms draw with.
  virtual int32_t TextWidth(const std::u16string& Text) = 0;
  // The screen's size in pixels, for centring.
  virtual void ScreenSize(int32_t& Width, int32_t& Height) = 0;
  // A new hidden window, or nullptr when the backend shows no windows.
  virtual std::unique_ptr<TUiWindow> CreateWindow() = 0;
};

// The plug-in's entry point: a new backend, or nullptr when it cannot run
// (no display). Abi must equal kUiPluginAbi.
constexpr int32_t kUiPluginAbi = 1;
// The entry point's type; the backend returned is owned by the caller.
using TUiPluginCreate = TUiBackend* (*)(int32_t Abi);
inline constexpr const char* kUiPluginEntry = "dz_ui_plugin_create";  // the entry's symbol

// The backend in use; picks the default (GTK, else terminal) on first use.
TUiBackend& UiBackend();
// Installs Backend for every later call; nullptr goes back to the default
// choice. Windows of the previous backend must be gone by then.
void SetUiBackend(std::shared_ptr<TUiBackend> Backend);
// The terminal backend on TtyPath, opened anew for each question (a path
// that cannot be opened makes MessageBox return 0).
std::shared_ptr<TUiBackend> CreateTerminalBackend(const std::string& TtyPath = "/dev/tty");
// The GTK plug-in's backend, or nullptr with the reason in Why (no display,
// no plug-in found, no entry point, GTK refusing the display). A plug-in
// once loaded stays loaded for the life of the process.
std::shared_ptr<TUiBackend> LoadGtkBackend(std::string* Why = nullptr);

}  // namespace dz
