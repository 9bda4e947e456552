#include "deziva27/host/components/Components.h"
#include "deziva27/host/runtime/Format.h"

#include <algorithm>

namespace dz {

namespace {

[[noreturn]] void IndexError(Integer index) {
  throw EListError(u"List index out of bounds (%d)", {int64_t{index}});
}

bool IsIdent(std::u16string_view s) {
  auto letter = [](char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
  };
  if (s.empty() || !letter(s[0])) return false;
  return std::all_of(s.begin() + 1, s.end(),
                     [&](char16_t c) { return letter(c) || (c >= u'0' && c <= u'9'); });
}

}  // namespace

// --- TComponent --------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
  if (FOwner) FOwner->FComponents.push_back(this);
}

TComponent::~TComponent() {
  // Each owned component removes itself from FComponents as it goes.
  while (!FComponents.empty()) delete FComponents.back();
  if (FOwner) std::erase(FOwner->FComponents, this);
}

void TComponent::SetName(const UnicodeString& Value) {
  if (Value == FName) return;
  if (!Value.empty() && !IsIdent(Value))
    throw EComponentError(Format(u"Component name \"%s\" is not valid", {Value}));
  if (!Value.empty() && FOwner) {
    TComponent* same = FOwner->FindComponent(Value);
    if (same && same != this)
      throw EComponentError(Format(u"A component named %s already exists", {Value}));
  }
  FName = Value;
}

TComponent* TComponent::Components(Integer Index) const {
  if (Index < 0 || Index >= ComponentCount()) IndexError(Index);
  return FComponents[static_cast<size_t>(Index)];
}

TComponent* TComponent::FindComponent(std::u16string_view AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

const TClassInfo& TComponent::StaticClassInfo() {
  static const TClassInfo info(u"TComponent", &TPersistent::StaticClassInfo(),
                               {Published(u"Name", &TComponent::Name, &TComponent::SetName),
                                Published(u"Tag", &TComponent::Tag, &TComponent::SetTag)});
  return info;
}

// --- TControl ----------------------------------------------------------------

const TTypeInfo kAlignTypeInfo{
    tkEnumeration,
    u"TAlign",
    {u"alNone", u"alTop", u"alBottom", u"alLeft", u"alRight", u"alClient", u"alCustom"}};

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {}

TControl::~TControl() {
  for (TControl* c : FControls) c->FParent = nullptr;
  if (FParent) std::erase(FParent->FControls, this);
}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Realign();
  // An aligned control that is moved by hand snaps back to its place.
  if (FParent && FAlign != alNone && FAlign != alCustom) FParent->Realign();
}

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  if (FParent) FParent->Realign();
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  FAlign = Value;
  if (FParent) FParent->Realign();
}

void TControl::SetParent(TControl* Value) {
  if (Value == FParent) return;
  for (TControl* p = Value; p; p = p->FParent)
    if (p == this) throw EInvalidOperation(u"A control cannot be its own parent");
  if (FParent) {
    std::erase(FParent->FControls, this);
    FParent->Realign();
  }
  FParent = Value;
  if (FParent) {
    FParent->FControls.push_back(this);
    FParent->Realign();
  }
}

TControl* TControl::Controls(Integer Index) const {
  if (Index < 0 || Index >= ControlCount()) IndexError(Index);
  return FControls[static_cast<size_t>(Index)];
}

void TControl::Realign() {
  if (FAligning) return;  // the children's SetBounds call back here
  FAligning = true;
  Integer l = 0, t = 0, r = FWidth, b = FHeight;
  auto place = [&](TAlign which) {
    for (TControl* c : FControls) {
      if (c->FAlign != which || !c->FVisible) continue;
      switch (which) {
        case alTop:
          c->SetBounds(l, t, r - l, c->FHeight);
          t += c->FHeight;
          break;
        case alBottom:
          b -= c->FHeight;
          c->SetBounds(l, b, r - l, c->FHeight);
          break;
        case alLeft:
          c->SetBounds(l, t, c->FWidth, b - t);
          l += c->FWidth;
          break;
        case alRight:
          r -= c->FWidth;
          c->SetBounds(r, t, c->FWidth, b - t);
          break;
        case alClient:
          c->SetBounds(l, t, r - l, b - t);
          break;
        default:
          break;
      }
    }
  };
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) place(a);
  FAligning = false;
}

const TClassInfo& TControl::StaticClassInfo() {
  static const TClassInfo info(
      u"TControl", &TComponent::StaticClassInfo(),
      {Published(u"Left", &TControl::Left, &TControl::SetLeft),
       Published(u"Top", &TControl::Top, &TControl::SetTop),
       Published(u"Width", &TControl::Width, &TControl::SetWidth),
       Published(u"Height", &TControl::Height, &TControl::SetHeight),
       Published(u"Enabled", &TControl::Enabled, &TControl::SetEnabled),
       Published(u"Visible", &TControl::Visible, &TControl::SetVisible),
       Published(u"Caption", &TControl::Caption, &TControl::SetCaption),
       Published(u"Align", &TControl::Align, &TControl::SetAlign, &kAlignTypeInfo)});
  return info;
}

}  // namespace dz
