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

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
// A set of TBorderIcon: bit (1 << icon).
using TBorderIcons = unsigned;
enum TFormStyle { fsNormal, fsStayOnTop };
enum TPosition { poDesigned, poScreenCenter };

class TForm;

// Text measurement in the font the form draws with.
class TCanvas {
 public:
  Integer TextWidth(const UnicodeString& Text) const;
};

class TForm : public TControl {
 public:
  explicit TForm(TComponent* AOwner);
  // Closes the window.
  ~TForm() override;

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TPosition Position() const { return FPosition; }
  // poScreenCenter centres the form each time it is shown or resized.
  void SetPosition(TPosition Value);
  void SetCaption(const UnicodeString& Value) override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  // Opens the window (when the backend has windows) and shows it.
  void Show();
  void Hide();
  // Draws the form and its panels now; returns when they are on the screen.
  void Repaint();
  bool Showing() const { return FShowing; }
  // False on a backend without windows: the form is shown nowhere.
  bool HasWindow() const { return FWindow != nullptr; }
  TCanvas* Canvas() { return &FCanvas; }

  // A panel's caption or bounds changed: resend the state while shown.
  void Changed();

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

class TPanel : public TControl {
 public:
  explicit TPanel(TComponent* AOwner);
  void SetCaption(const UnicodeString& Value) override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  static const TClassInfo& StaticClassInfo();

 private:
  void NotifyForm();
};

class TApplication {
 public:
  // The backend's modal box; the IDxxx of the button pressed, 0 when none
  // could be shown.
  Integer MessageBox(const UnicodeString& Text, const UnicodeString& Caption, Integer Flags);
  void ProcessMessages();
};

TApplication* Application();

}  // namespace dz
