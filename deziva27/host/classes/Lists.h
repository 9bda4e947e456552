// TList (untyped pointers), TStrings/TStringList (strings with an object
// slot) and TNotifyEvent. Indexes are 0-based; a bad index raises
// EListError "List index out of bounds (%d)".
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

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

class TList : public TObject {
 public:
  TList() = default;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;
  // C++ cannot dispatch to an override from a base destructor: a derived
  // class that needs Notify on destruction calls Clear() in its own one.
  ~TList() override;

  int32_t Add(void* item);                 // returns the new index
  void Insert(int32_t index, void* item);  // index may equal Count()
  void Delete(int32_t index);
  void* Items(int32_t index) const;
  void SetItems(int32_t index, void* item);
  int32_t IndexOf(const void* item) const;  // -1 when absent
  int32_t Remove(void* item);               // index removed from, or -1
  void* Extract(void* item);                // removes without lnDeleted; nullptr if absent
  void Exchange(int32_t index1, int32_t index2);
  virtual void Clear();  // count and capacity become 0
  int32_t Count() const { return static_cast<int32_t>(FList.size()); }
  int32_t Capacity() const { return FCapacity; }
  void SetCapacity(int32_t capacity);

  [[noreturn]] static void Error(int32_t index);

 protected:
  virtual void Grow();
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
inline intptr_t ObjectToInt(const TObject* o) {
  return reinterpret_cast<intptr_t>(o);
}

class TStrings : public TObject {
 public:
  virtual int32_t Count() const = 0;
  virtual const UnicodeString& Strings(int32_t index) const = 0;
  virtual void SetStrings(int32_t index, const UnicodeString& s) = 0;
  virtual TObject* Objects(int32_t index) const = 0;
  virtual void SetObjects(int32_t index, TObject* obj) = 0;
  virtual void InsertObject(int32_t index, const UnicodeString& s, TObject* obj) = 0;
  virtual void Delete(int32_t index) = 0;
  virtual void Clear() = 0;

  int32_t Add(const UnicodeString& s) { return AddObject(s, nullptr); }
  virtual int32_t AddObject(const UnicodeString& s, TObject* obj);
  void Insert(int32_t index, const UnicodeString& s) { InsertObject(index, s, nullptr); }
  // Case-insensitive with the locale's comparison; -1 when absent.
  virtual int32_t IndexOf(std::u16string_view s) const;
  int32_t IndexOfObject(const TObject* obj) const;
  // Copies the strings and the object slots (the objects stay where they are).
  virtual void Assign(const TStrings& source);
  void AddStrings(const TStrings& source);
  void Move(int32_t curIndex, int32_t newIndex);
  void Exchange(int32_t index1, int32_t index2);

  // Every line followed by CR LF.
  UnicodeString Text() const;
  // Splits at CR LF, LF or CR; a final line break adds no empty line.
  void SetText(std::u16string_view text);
  // Items separated by commas; an item holding a blank, comma, quote or
  // control is written in double quotes with inner quotes doubled.
  UnicodeString CommaText() const;
  // Items separated by commas or blanks (codes 1..32); an item in double
  // quotes may hold them, "" inside stands for one quote, and text right after
  // the closing quote starts the next item ("a"b gives a and b). Empty items
  // between two commas are kept, and a comma that ends the text adds one.
  void SetCommaText(std::u16string_view text);

  // The NAME=VALUE view of the lines.
  UnicodeString Names(int32_t index) const;
  UnicodeString ValueFromIndex(int32_t index) const;
  UnicodeString Values(std::u16string_view name) const;
  void SetValues(std::u16string_view name, const UnicodeString& value);
  int32_t IndexOfName(std::u16string_view name) const;

  bool Equals(const TStrings& other) const;

  // Range-for over the strings, first to last (`for (const auto& s : list)`),
  // and the standard algorithms. An iterator is an index read through
  // Strings(): strings set during a loop show, end() is Count() when it is
  // called, and a step past the end of a list that shrank raises EListError
  // rather than reading freed memory. Writing goes through SetStrings, so
  // OnChange still fires.
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = UnicodeString;
    using difference_type = std::ptrdiff_t;
    using pointer = const UnicodeString*;
    using reference = const UnicodeString&;

    const_iterator() = default;
    const_iterator(const TStrings* list, int32_t index) : FList(list), FIndex(index) {}
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
  using iterator = const_iterator;
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, Count()}; }
};

class TStringList : public TStrings {
 public:
  TStringList() = default;
  TStringList(const TStringList& other) : TStrings() { Assign(other); }
  TStringList& operator=(const TStringList& other) {
    Assign(other);
    return *this;
  }
  TStringList(std::initializer_list<UnicodeString> items);

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
