// TYObjectList: a TList of objects that owns them and tells a listener when
// it changes or becomes empty.
//
//   TYObjectList list;
//   list.SetOnChange([](TObject*) { ... });
//   list.Add(std::make_unique<TMyItem>());   // the list owns it now
//   list.Erase(0);                           // frees it, fires OnChange, OnEmpty
//
// Ownership: Clear, FreeAll, Erase and the destructor free the objects they
// remove; Delete and SetItem hand the pointer over without freeing anything.
// Notifications: Add, Insert, Delete, Erase and Clear call Changed once,
// after their work; Changed fires OnChange, then OnEmpty when the list is
// empty. The base list's own operations (Exchange, Extract, Remove ...)
// notify nobody and free nothing.
// Threads: an object is used by one thread at a time; distinct objects are independent.
#pragma once

#include "deziva27/base/Export.h"

#include <concepts>
#include <cstdint>
#include <memory>

#include "deziva27/host/classes/Lists.h"

namespace dz DZ_API {

// A TList whose items are TObject pointers it owns (see above for which
// operations free them). Not copyable; empty, with no handlers, at first.
class TYObjectList : public TList {
 public:
  TYObjectList() = default;  // empty, no handlers
  // Frees every object and fires OnChange, then OnEmpty, while the list is
  // still whole. A C++ destructor dispatches no further than its own class,
  // so during destruction a descendant's overrides of Clear, FreeAll,
  // Changed and ListEmpty are not reached; a descendant that relies on them
  // calls Clear() in its own destructor. The handlers must not throw here.
  ~TYObjectList() override;

  // Appends AObject, which the list then owns; returns its index. nullptr is
  // a valid item. If Add raises, the caller still owns AObject.
  int32_t Add(TObject* AObject);
  // The object is released to the list only once the list holds it, so a
  // failing Add leaks nothing.
  template <class T>
  requires std::derived_from<T, TObject> int32_t Add(std::unique_ptr<T> AObject) {
    int32_t index = TList::Add(static_cast<TObject*>(AObject.get()));
    AObject.release();
    Changed();
    return index;
  }
  // Inserts at Index (0..Count()); later items move up by one. The list owns
  // AObject once it holds it; EListError for an Index out of range.
  void Insert(int32_t Index, TObject* AObject);
  // The owning form: AObject is released only once the list holds it.
  template <class T>
  requires std::derived_from<T, TObject>
  void Insert(int32_t Index, std::unique_ptr<T> AObject) {
    TList::Insert(Index, static_cast<TObject*>(AObject.get()));
    AObject.release();
    Changed();
  }
  // Removes the item at Index without freeing it: it is the caller's again.
  void Delete(int32_t Index);
  // Frees the object at Index, then Delete(Index).
  virtual void Erase(int32_t Index);
  // FreeAll, then the base list's Clear (count and capacity 0), then Changed.
  void Clear() override;

  // The item at Index; a bad index raises EListError. SetItem puts Value in
  // place without freeing the old object and without a notification.
  TObject* GetItem(int32_t Index) const { return static_cast<TObject*>(Items(Index)); }
  void SetItem(int32_t Index, TObject* Value) { SetItems(Index, Value); }
  TObject* operator[](int32_t Index) const { return GetItem(Index); }  // as GetItem

  // Called with the list when a change leaves it empty; empty by default.
  const TNotifyEvent& OnEmpty() const { return FOnEmpty; }
  void SetOnEmpty(TNotifyEvent ev) { FOnEmpty = std::move(ev); }
  // Called with the list after each notifying change; empty by default.
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent ev) { FOnChange = std::move(ev); }

 protected:
  // Frees every object and leaves nil in its place: the count is unchanged
  // and nobody is notified.
  virtual void FreeAll();
  // Fires OnEmpty.
  virtual void ListEmpty();
  // Fires OnChange, then ListEmpty when the list is empty.
  virtual void Changed();

 private:
  TNotifyEvent FOnEmpty;
  TNotifyEvent FOnChange;
};

}  // namespace dz
