#include "deziva27/utils/Info.h"

#include <memory>
#include <utility>

namespace dz {
namespace {

// The window is owned here from ShowInfo to HideInfo. The union keeps its
// owner from being destroyed at exit: by then the toolkit (GTK, or the
// application's own backend) may be gone, and freeing a window into it
// would do more harm than leaving it, still reachable, to the process's end.
union InfoOwner {
  std::unique_ptr<TForm> Form;
  InfoOwner() : Form() {}
  ~InfoOwner() {}
} gInfo;

}  // namespace

Integer Ask(const UnicodeString& Question) {
  return Application()->MessageBox(Question, u"", MB_YESNO | MB_ICONQUESTION);
}

Integer AskNo(const UnicodeString& Question) {
  return Application()->MessageBox(Question, u"", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
}

void ShowInfo(const UnicodeString& Text) {
  gInfo.Form.reset();
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
  gInfo.Form = std::move(form);
}

void UpdateInfo(const UnicodeString& Text) {
  if (!gInfo.Form) ShowInfo(Text);
  TForm* form = gInfo.Form.get();
  As<TPanel>(form->Components(0))->SetCaption(Text);
  form->SetWidth(form->Canvas()->TextWidth(Text) + 10);
  form->Repaint();
}

void HideInfo() {
  if (!gInfo.Form) return;
  gInfo.Form->Hide();
  gInfo.Form.reset();
}

bool InfoIsShowing() { return gInfo.Form != nullptr; }

TForm* InfoWindow() { return gInfo.Form.get(); }

}  // namespace dz
