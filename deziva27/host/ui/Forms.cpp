#include "deziva27/host/ui/Forms.h"

namespace dz {

// --- TCanvas -----------------------------------------------------------------

Integer TCanvas::TextWidth(const UnicodeString& Text) const { return UiBackend().TextWidth(Text); }

// --- TForm -------------------------------------------------------------------

TForm::TForm(TComponent* AOwner) : TControl(AOwner) {}

// The window goes before the owned panels, so that it never draws a form
// that is half taken apart.
TForm::~TForm() { FWindow.reset(); }

void TForm::SetBorderStyle(TFormBorderStyle Value) {
  FBorderStyle = Value;
  Changed();
}

void TForm::SetBorderIcons(TBorderIcons Value) {
  FBorderIcons = Value;
  Changed();
}

void TForm::SetFormStyle(TFormStyle Value) {
  FFormStyle = Value;
  Changed();
}

void TForm::SetPosition(TPosition Value) {
  FPosition = Value;
  if (FShowing) Centre();
  Changed();
}

void TForm::SetCaption(const UnicodeString& Value) {
  TControl::SetCaption(Value);
  Changed();
}

void TForm::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FShowing && !FCentring) Centre();
  Changed();
}

void TForm::Centre() {
  if (FPosition != poScreenCenter) return;
  Integer sw = 0, sh = 0;
  UiBackend().ScreenSize(sw, sh);
  FCentring = true;
  TControl::SetBounds((sw - Width()) / 2, (sh - Height()) / 2, Width(), Height());
  FCentring = false;
}

TUiWindowState TForm::State() const {
  TUiWindowState s;
  s.Caption = Caption();
  s.Left = Left(), s.Top = Top(), s.Width = Width(), s.Height = Height();
  s.StayOnTop = FFormStyle == fsStayOnTop;
  s.Borderless = FBorderStyle == bsNone;
  s.BorderIcons = FBorderIcons != 0;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || !dynamic_cast<TPanel*>(c)) continue;
    s.Panels.push_back({c->Left(), c->Top(), c->Width(), c->Height(), c->Caption()});
  }
  return s;
}

void TForm::Changed() {
  if (FShowing && FWindow) FWindow->Update(State());
}

void TForm::Show() {
  if (!FWindow) FWindow = UiBackend().CreateWindow();
  FShowing = true;
  Centre();
  if (FWindow) {
    FWindow->Update(State());
    FWindow->Show();
  }
}

void TForm::Hide() {
  if (FWindow) FWindow->Hide();
  FShowing = false;
}

void TForm::Repaint() {
  if (FShowing && FWindow) FWindow->Paint();
}

const TClassInfo& TForm::StaticClassInfo() {
  static const TClassInfo info(u"TForm", &TControl::StaticClassInfo(), {});
  return info;
}

// --- TPanel ------------------------------------------------------------------

TPanel::TPanel(TComponent* AOwner) : TControl(AOwner) {}

void TPanel::NotifyForm() {
  if (auto* form = dynamic_cast<TForm*>(Parent())) form->Changed();
}

void TPanel::SetCaption(const UnicodeString& Value) {
  TControl::SetCaption(Value);
  NotifyForm();
}

void TPanel::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  NotifyForm();
}

const TClassInfo& TPanel::StaticClassInfo() {
  static const TClassInfo info(u"TPanel", &TControl::StaticClassInfo(), {});
  return info;
}

// --- TApplication ------------------------------------------------------------

Integer TApplication::MessageBox(const UnicodeString& Text, const UnicodeString& Caption,
                                 Integer Flags) {
  return UiBackend().MessageBox(Text, Caption, Flags);
}

void TApplication::ProcessMessages() { UiBackend().ProcessMessages(); }

TApplication* Application() {
  static TApplication app;
  return &app;
}

}  // namespace dz
