// TList (untyped pointers), TStrings/TStringList (strings with an object
// slot) and TNotifyEvent. Indexes are 0-based; a bad index raises
// EListError "List index out of bounds (%d)".
// Threads: a list is used by one thread at a time; distinct lists are independent.
#pragma once

#include "deziva27/base/Export.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// A callback bound to an object, called with the sender; unassigned when empty.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// What TList::Notify is told happened to an item: added (Add, Insert,
// SetItems), taken out by Extract, or deleted (Delete, Remove, Clear,
// SetItems replacing it).
enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// A list of untyped pointers. It owns none of them: a derived class that
// owns its items frees them in Notify on lnDeleted. Not copyable.
class TList : public TObject {
 public:
  // An empty list; a list is not copied (which copy would own the items?).
  TList() = default;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;
  // C++ cannot dispatch to an override from a base destructor: a derived
  // class that needs Notify on destruction calls Clear() in its own one.
  ~TList() override;

  int32_t Add(void* item);                 // returns the new index
  void Insert(int32_t index, void* item);  // index 0..Count(), else EListError
  // Removes the item at index (lnDeleted); EListError when out of range.
  void Delete(int32_t index);
  void* Items(int32_t index) const;  // the item at index; EListError when out of range
  // Puts item at index; the old one gets lnDeleted, the new one lnAdded (no
  // notice when they are the same). EListError when out of range.
  void SetItems(int32_t index, void* item);
  int32_t IndexOf(const void* item) const;  // first index of item, -1 when absent
  // Deletes the first occurrence of item (lnDeleted); its index, or -1 when absent.
  int32_t Remove(void* item);
  // Takes the first occurrence out with lnExtracted, not lnDeleted; returns
  // item, nullptr when absent.
  void* Extract(void* item);
  // Swaps two items without notices; EListError when either is out of range.
  void Exchange(int32_t index1, int32_t index2);
  virtual void Clear();  // deletes from the end (lnDeleted each); count and capacity become 0
  int32_t Count() const { return static_cast<int32_t>(FList.size()); }  // items; 0 when empty
  int32_t Capacity() const { return FCapacity; }  // items held before the list grows
  // Reserves room for capacity items; EListError when below Count().
  void SetCapacity(int32_t capacity);

  // Raises EListError "List index out of bounds (index)"; shared with TStringList.
  [[noreturn]] static void Error(int32_t index);

 protected:
  // Called when the list is full: the capacity grows by 4 up to 8 items, by
  // 16 up to 64, then by a quarter.
  virtual void Grow();
  // Told of every non-null item added or deleted and of every item Extract
  // takes out; does nothing here. Overrides must not change the list.
  virtual void Notify(void* ptr, TListNotification action);

 private:
  void CheckIndex(int32_t index) const;
  std::vector<void*> FList;
  int32_t FCapacity = 0;
};

// The object slot is pointer-sized; callers that keep integers in it (locale
// identifiers, for instance) go through these two casts.
inline TObject* IntToObject(intptr_t v) {
  return reinterpret_cast<TObject*>(v);
}
// The integer IntToObject put in the slot.
inline intptr_t ObjectToInt(const TObject* o) {
  return reinterpret_cast<intptr_t>(o);
}

// The abstract list of strings, each with an object slot. The slots are
// plain pointers the list never owns or frees. Derived classes provide the
// storage (the eight pure members); the rest is built on them. Every index
// out of range raises EListError.
class TStrings : public TObject {
 public:
  virtual int32_t Count() const = 0;  // number of strings; 0 for an empty list
  // The string at index; the reference lasts until the list changes.
  virtual const UnicodeString& Strings(int32_t index) const = 0;
  // Replaces the string at index, keeping its object slot.
  virtual void SetStrings(int32_t index, const UnicodeString& s) = 0;
  virtual TObject* Objects(int32_t index) const = 0;  // the slot at index; nullptr when unset
  // Puts obj in the slot at index; the list does not own it.
  virtual void SetObjects(int32_t index, TObject* obj) = 0;
  // Inserts before index; index may equal Count() (appends).
  virtual void InsertObject(int32_t index, const UnicodeString& s, TObject* obj) = 0;
  virtual void Delete(int32_t index) = 0;  // removes the string; its object is not freed
  virtual void Clear() = 0;                // removes every string; no object is freed

  // Appends s with an empty slot; returns its index.
  int32_t Add(const UnicodeString& s) { return AddObject(s, nullptr); }
  // Appends s with obj in its slot; returns its index.
  virtual int32_t AddObject(const UnicodeString& s, TObject* obj);
  // Inserts s with an empty slot before index (index may equal Count()).
  void Insert(int32_t index, const UnicodeString& s) { InsertObject(index, s, nullptr); }
  // Case-insensitive with the locale's comparison; -1 when absent.
  virtual int32_t IndexOf(std::u16string_view s) const;
  int32_t IndexOfObject(const TObject* obj) const;  // first slot holding obj, -1 when none
  // Copies the strings and the object slots (the objects stay where they are).
  // Assigning a list to itself does nothing.
  virtual void Assign(const TStrings& source);
  void AddStrings(const TStrings& source);  // appends source's strings and slots
  // Moves the string and its slot from curIndex so that it ends at newIndex.
  void Move(int32_t curIndex, int32_t newIndex);
  void Exchange(int32_t index1, int32_t index2);  // swaps two strings with their slots

  // Every line followed by CR LF; empty for an empty list.
  UnicodeString Text() const;
  // Splits at CR LF, LF or CR; a final line break adds no empty line.
  void SetText(std::u16string_view text);
  // Items separated by commas; an item holding a blank, comma, quote or
  // control is written in double quotes with inner quotes doubled, as is the
  // one empty item of a one-item list (""); an empty list gives an empty text.
  UnicodeString CommaText() const;
  // Items separated by commas or blanks (codes 1..32); an item in double
  // quotes may hold them, "" inside stands for one quote, and text right after
  // the closing quote starts the next item ("a"b gives a and b). Empty items
  // between two commas are kept, and a comma that ends the text adds one.
  void SetCommaText(std::u16string_view text);

  // The NAME=VALUE view of the lines, split at the first '='. Names: the
  // part before it, empty when the line has none.
  UnicodeString Names(int32_t index) const;
  // The part after the first '=', empty when the line has none.
  UnicodeString ValueFromIndex(int32_t index) const;
  // The value of the first line named name (case-insensitive, locale's
  // comparison); empty when there is none.
  UnicodeString Values(std::u16string_view name) const;
  // Replaces that line with name=value, appends one when there is none; an
  // empty value deletes the line.
  void SetValues(std::u16string_view name, const UnicodeString& value);
  // Index of the first line named name (as Values matches), -1 when none.
  int32_t IndexOfName(std::u16string_view name) const;

  // Same count and the same strings, case and order included; slots ignored.
  bool Equals(const TStrings& other) const;

  // Range-for over the strings, first to last (`for (const auto& s : list)`),
  // and the standard algorithms. An iterator is an index read through
  // Strings(): strings set during a loop show, end() is Count() when it is
  // called, and a step past the end of a list that shrank raises EListError
  // rather than reading freed memory. Writing goes through SetStrings, so
  // OnChange still fires.
  class const_iterator {
   public:
    // A random-access iterator over the strings, read-only.
    using iterator_category = std::random_access_iterator_tag;
    using value_type = UnicodeString;
    using difference_type = std::ptrdiff_t;
    using pointer = const UnicodeString*;
    using reference = const UnicodeString&;

    // An iterator at index of list; a default one is at 0 of no list and is
    // only compared or assigned.
    const_iterator() = default;
    const_iterator(const TStrings* list, int32_t index) : FList(list), FIndex(index) {}
    // The string at the index, read when asked (EListError once it is out of
    // range); steps and offsets move the index only.
    reference operator*() const { return FList->Strings(FIndex); }
    pointer operator->() const { return &FList->Strings(FIndex); }
    reference operator[](difference_type n) const { return *(*this + n); }
    const_iterator& operator++() { return *this = Moved(1); }
    const_iterator operator++(int) { return std::exchange(*this, Moved(1)); }
    const_iterator& operator--() { return *this = Moved(-1); }
    const_iterator operator--(int) { return std::exchange(*this, Moved(-1)); }
    const_iterator& operator+=(difference_type n) { return *this = Moved(n); }
    const_iterator& operator-=(difference_type n) { return *this = Moved(-n); }
    friend const_iterator operator+(const_iterator i, difference_type n) { return i.Moved(n); }
    friend const_iterator operator+(difference_type n, const_iterator i) { return i.Moved(n); }
    friend const_iterator operator-(const_iterator i, difference_type n) { return i.Moved(-n); }
    // Distance and order of two iterators of the same list, by index.
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
      return a.FIndex - b.FIndex;
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) {
      return a.FIndex == b.FIndex;
    }
    friend auto operator<=>(const const_iterator& a, const const_iterator& b) {
      return a.FIndex <=> b.FIndex;
    }

   private:
    const_iterator Moved(difference_type n) const {
      return {FList, static_cast<int32_t>(FIndex + n)};
    }
    const TStrings* FList = nullptr;
    int32_t FIndex = 0;
  };
  // The first string, and one past the last as Count() is now; iterator is
  // const_iterator, as writes go through SetStrings.
  using iterator = const_iterator;
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, Count()}; }
};

// TStrings over a vector: the usual list of strings. It owns its strings,
// not the objects in their slots. Copying copies strings and slots (the
// objects are then shared) but not the OnChange handler. Every change that
// succeeds calls OnChange.
class TStringList : public TStrings {
 public:
  TStringList() = default;  // empty, no OnChange
  // Copies the strings and slots of other, not its OnChange.
  TStringList(const TStringList& other) : TStrings() { Assign(other); }
  TStringList& operator=(const TStringList& other) {
    Assign(other);
    return *this;
  }
  TStringList(std::initializer_list<UnicodeString> items);  // the items in order, empty slots

  // The TStrings members over the vector, with the contracts given there.
  int32_t Count() const override { return static_cast<int32_t>(FItems.size()); }
  const UnicodeString& Strings(int32_t index) const override;
  void SetStrings(int32_t index, const UnicodeString& s) override;
  TObject* Objects(int32_t index) const override;
  void SetObjects(int32_t index, TObject* obj) override;
  void InsertObject(int32_t index, const UnicodeString& s, TObject* obj) override;
  void Delete(int32_t index) override;
  void Clear() override;

  // Sorts by the locale's case-insensitive comparison (stable).
  void Sort();
  // Called with the list after each change (set, insert, delete, sort; Clear
  // of an empty list is no change); empty by default.
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent ev) { FOnChange = std::move(ev); }

 private:
  struct Item {
    UnicodeString S;
    TObject* Obj;
  };
  void Changed();
  void CheckIndex(int32_t index) const;
  std::vector<Item> FItems;
  TNotifyEvent FOnChange;
};

}  // namespace dz
