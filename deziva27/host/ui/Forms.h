// Forms, panels and the application object over the UI backend
// (UiBackend.h).
//
// A TForm is a top-level window without owner or with one; its look is set by
// its properties and sent to the backend window when it is shown and on each
// change while shown. A TPanel placed on a form draws its caption centred in
// its bounds. Application() is the process's TApplication: MessageBox and
// ProcessMessages. On a backend without windows a form keeps its state and
// shows nothing.
// Threads: forms and the application belong to the thread that runs the user interface.
#pragma once

#include <memory>

#include "deziva27/host/components/Components.h"
#include "deziva27/host/ui/UiBackend.h"

namespace dz DZ_API {

// The frame: bsNone shows the form without decoration; the backend draws
// the others alike.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
// The buttons in the title bar; a backend only tells none from some.
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
// A set of TBorderIcon: bit (1 << icon).
using TBorderIcons = unsigned;
// fsStayOnTop keeps the window above the others.
enum TFormStyle { fsNormal, fsStayOnTop };
// Where the form appears: at its Left and Top, or centred on the screen.
enum TPosition { poDesigned, poScreenCenter };

class TForm;

// Text measurement in the font the form draws with.
class TCanvas {
 public:
  // Width in pixels of Text, as the backend in use measures it; 0 for "".
  Integer TextWidth(const UnicodeString& Text) const;
};

// A top-level window. It owns its backend window (made on the first Show);
// its owner, if any, frees it as any component. Hidden at first, bsSizeable,
// system menu, minimise and maximise icons, fsNormal, poDesigned.
class TForm : public TControl {
 public:
  explicit TForm(TComponent* AOwner);  // AOwner may be nullptr
  // Closes the window.
  ~TForm() override;

  // Each setter resends the state while the form is shown.
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TPosition Position() const { return FPosition; }  // poDesigned at first
  // poScreenCenter centres the form each time it is shown or resized.
  void SetPosition(TPosition Value);
  // The caption is the window's title; resent while shown.
  void SetCaption(const UnicodeString& Value) override;
  // Moves and sizes as TControl does; while shown, a poScreenCenter form is
  // centred again (the size kept) and the state resent.
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  // Opens the window (when the backend has windows) and shows it.
  void Show();
  void Hide();  // hides the window, which stays open for the next Show
  // Draws the form and its panels now; returns when they are on the screen.
  // Nothing while hidden or without a window.
  void Repaint();
  bool Showing() const { return FShowing; }  // between Show and Hide, window or not
  // False on a backend without windows: the form is shown nowhere.
  bool HasWindow() const { return FWindow != nullptr; }
  TCanvas* Canvas() { return &FCanvas; }  // owned by the form

  // A panel's caption or bounds changed: resend the state while shown.
  void Changed();

  // TControl's properties; a form publishes none of its own.
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  static const TClassInfo& StaticClassInfo();

 private:
  TUiWindowState State() const;
  void Centre();

  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons = (1u << biSystemMenu) | (1u << biMinimize) | (1u << biMaximize);
  TFormStyle FFormStyle = fsNormal;
  TPosition FPosition = poDesigned;
  bool FShowing = false;
  bool FCentring = false;
  TCanvas FCanvas;
  std::unique_ptr<TUiWindow> FWindow;
};

// A rectangle with a centred caption. It shows only with a TForm as its
// direct parent (and while Visible); the form is told of each change.
class TPanel : public TControl {
 public:
  explicit TPanel(TComponent* AOwner);  // no parent: set a form with SetParent
  // As TControl's, then the parent form resends its state.
  void SetCaption(const UnicodeString& Value) override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  // TControl's properties; none of its own.
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  static const TClassInfo& StaticClassInfo();

 private:
  void NotifyForm();
};

// The process's application object; Application() gives the one instance.
class TApplication {
 public:
  // The backend's modal box; the IDxxx of the button pressed, 0 when none
  // could be shown.
  Integer MessageBox(const UnicodeString& Text, const UnicodeString& Caption, Integer Flags);
  // Lets the backend handle what is pending for the windows; returns at once.
  void ProcessMessages();
};

// The one application object, alive for the whole process; never null.
TApplication* Application();

}  // namespace dz
