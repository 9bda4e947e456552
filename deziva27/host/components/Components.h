// The component model: TComponent (a name, an owner that frees what it
// owns, owned components by index) and TControl (position, size, caption,
// enabled and visible flags, a parent and alignment in the parent's client
// area). Both publish their properties (TypeInfo.h), so registry and
// streaming code can reach them by name.
// Threads: a component and what it owns are used by one thread at a time.
#pragma once

#include <vector>

#include "deziva27/base/Export.h"
#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/components/TypeInfo.h"

namespace dz DZ_API {

// A bad component name, or one that its owner already has.
DZ_DECLARE_EXCEPTION(EComponentError, Exception);
// A control placed inside itself or one of its own children.
DZ_DECLARE_EXCEPTION(EInvalidOperation, Exception);

// An object in an ownership tree: its owner deletes it, and it deletes the
// components it owns. Create it with new and an owner, or own it yourself
// when AOwner is null; deleting it directly is allowed and takes it out of
// its owner. Not copyable.
class TComponent : public TPersistent {
 public:
  // Joins AOwner's components when there is one; AOwner frees it.
  explicit TComponent(TComponent* AOwner);
  // Frees the components it owns (the last first) and leaves its owner.
  ~TComponent() override;
  // Not copyable: a component has one place in its owner's tree.
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const UnicodeString& Name() const { return FName; }  // "" until one is set
  // An identifier (letter or '_', then letters, digits, '_') or empty, unique
  // among the owner's components without regard to ASCII case; EComponentError
  // otherwise.
  virtual void SetName(const UnicodeString& Value);
  // A number for the caller's use; 0 at first, never read by the library.
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }

  TComponent* Owner() const { return FOwner; }  // nullptr when it has none
  // Number of owned components, in the order they joined; 0 when none.
  Integer ComponentCount() const { return static_cast<Integer>(FComponents.size()); }
  // EListError for an index out of range.
  TComponent* Components(Integer Index) const;
  // The owned component of that name (ASCII case folded), or nullptr (also
  // for an empty name). Only direct children are searched.
  TComponent* FindComponent(std::u16string_view AName) const;

  // The published properties Name and Tag (TypeInfo.h).
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  static const TClassInfo& StaticClassInfo();

 private:
  UnicodeString FName;
  Integer FTag = 0;
  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
};

// A type-safe cast: EInvalidCast "Invalid class typecast" when Component is
// not a T (a null pointer casts to null).
template <class T>
T* As(TComponent* Component) {
  if (!Component) return nullptr;
  if (T* t = dynamic_cast<T*>(Component)) return t;
  throw EInvalidCast(u"Invalid class typecast");
}

// Where a control sits in its parent's client area: placed by hand (alNone,
// alCustom), along an edge, or filling what the others leave (alClient).
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
// TAlign's names for the published Align property.
extern const TTypeInfo kAlignTypeInfo;

// A component with a place on screen: bounds, caption, flags, a parent whose
// client area holds it and the children it aligns. The parent does not own
// its children (the owner does). Left, Top, Width and Height start at 0;
// Enabled and Visible at true.
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);  // no parent, alNone
  // Leaves its parent; the children it holds stay alive with no parent.
  ~TControl() override;

  // The bounds in the parent's client coordinates; no check of sign or size.
  Integer Left() const { return FLeft; }
  Integer Top() const { return FTop; }
  Integer Width() const { return FWidth; }
  Integer Height() const { return FHeight; }
  // Each goes through SetBounds, the one place a descendant watches moves.
  void SetLeft(Integer Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(Integer Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(Integer Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(Integer Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  // Moves and sizes, then lays out the aligned children again. An aligned
  // control (not alNone or alCustom) snaps back to its place in the parent.
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);

  // A flag kept for the user interface; the control model does not read it.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  // A hidden control takes no part in its parent's alignment; a change lays
  // out the parent again.
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // The text shown with the control; "" at first. Forms show it as the title.
  const UnicodeString& Caption() const { return FCaption; }
  virtual void SetCaption(const UnicodeString& Value) { FCaption = Value; }

  // Aligned children are placed in the parent's client area (0, 0, Width,
  // Height) in the classic order: top, bottom, left and right ones take
  // their edge in turn, an alClient one the rest.
  // A hidden child is skipped; a change lays out the parent again.
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  TControl* Parent() const { return FParent; }  // nullptr when it has none
  // Moves the control to Value's children (the last), or out of any with
  // nullptr; both parents are laid out again. EInvalidOperation when Value is
  // the control itself or one of its descendants.
  void SetParent(TControl* Value);
  // Number of children, in the order they were parented; 0 when none.
  Integer ControlCount() const { return static_cast<Integer>(FControls.size()); }
  TControl* Controls(Integer Index) const;  // the child at Index; EListError out of range

  // TComponent's properties and Left, Top, Width, Height, Enabled, Visible,
  // Caption and Align.
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  static const TClassInfo& StaticClassInfo();

 private:
  void Realign();

  Integer FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FEnabled = true, FVisible = true;
  UnicodeString FCaption;
  TAlign FAlign = alNone;
  TControl* FParent = nullptr;
  std::vector<TControl*> FControls;
  bool FAligning = false;
};

}  // namespace DZ_API
