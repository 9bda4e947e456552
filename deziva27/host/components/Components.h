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
// A control placed inside itself.
DZ_DECLARE_EXCEPTION(EInvalidOperation, Exception);

class TComponent : public TPersistent {
 public:
  // Joins AOwner's components when there is one; AOwner frees it.
  explicit TComponent(TComponent* AOwner);
  // Frees the components it owns (the last first) and leaves its owner.
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const UnicodeString& Name() const { return FName; }
  // An identifier (letter or '_', then letters, digits, '_') or empty, unique
  // among the owner's components without regard to ASCII case; EComponentError
  // otherwise.
  virtual void SetName(const UnicodeString& Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }

  TComponent* Owner() const { return FOwner; }
  Integer ComponentCount() const { return static_cast<Integer>(FComponents.size()); }
  // EListError for an index out of range.
  TComponent* Components(Integer Index) const;
  // The owned component of that name (ASCII case folded), or nullptr.
  TComponent* FindComponent(std::u16string_view AName) const;

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

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
extern const TTypeInfo kAlignTypeInfo;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  // Leaves its parent; the children it holds stay alive with no parent.
  ~TControl() override;

  Integer Left() const { return FLeft; }
  Integer Top() const { return FTop; }
  Integer Width() const { return FWidth; }
  Integer Height() const { return FHeight; }
  // Each goes through SetBounds, the one place a descendant watches moves.
  void SetLeft(Integer Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(Integer Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(Integer Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(Integer Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  // Moves and sizes, then lays out the aligned children again.
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  const UnicodeString& Caption() const { return FCaption; }
  virtual void SetCaption(const UnicodeString& Value) { FCaption = Value; }

  // Aligned children are placed in the parent's client area (0, 0, Width,
  // Height) in the classic order: top, bottom, left and right ones take
  // their edge in turn, an alClient one the rest.
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  TControl* Parent() const { return FParent; }
  void SetParent(TControl* Value);
  Integer ControlCount() const { return static_cast<Integer>(FControls.size()); }
  TControl* Controls(Integer Index) const;  // EListError out of range

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
