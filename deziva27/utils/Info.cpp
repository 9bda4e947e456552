#include "deziva27/utils/Info.h"

namespace dz {
namespace {

// Deliberately left alone when the library unloads: freeing a window after
// the toolkit has gone would do more harm than the leak.
TForm* InfoForm = nullptr;

}  // namespace

Integer Ask(const UnicodeString& Question) {
  return Application()->MessageBox(Question, u"", MB_YESNO | MB_ICONQUESTION);
}

Integer AskNo(const UnicodeString& Question) {
  return Application()->MessageBox(Question, u"", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
}

void ShowInfo(const UnicodeString& Text) {
  if (InfoForm) {
    delete InfoForm;
    InfoForm = nullptr;
  }
  auto form = std::make_unique<TForm>(nullptr);
  form->SetFormStyle(fsStayOnTop);
  form->SetBorderStyle(bsNone);
  form->SetBorderIcons(0);
  form->SetCaption(u"");
  form->SetPosition(poScreenCenter);
  form->SetWidth(form->Canvas()->TextWidth(Text) + 10);
  form->SetHeight(50);
  auto* panel = new TPanel(form.get());  // the form owns and frees it
  panel->SetAlign(alClient);
  panel->SetParent(form.get());
  panel->SetCaption(Text);
  form->Show();
  form->Repaint();
  InfoForm = form.release();
}

void UpdateInfo(const UnicodeString& Text) {
  if (!InfoForm) ShowInfo(Text);
  As<TPanel>(InfoForm->Components(0))->SetCaption(Text);
  InfoForm->SetWidth(InfoForm->Canvas()->TextWidth(Text) + 10);
  InfoForm->Repaint();
}

void HideInfo() {
  if (!InfoForm) return;
  InfoForm->Hide();
  delete InfoForm;
  InfoForm = nullptr;
}

bool InfoIsShowing() { return InfoForm != nullptr; }

TForm* InfoWindow() { return InfoForm; }

}  // namespace dz
