// TYStringMap: a TYObjectList of key/value entries, searched by key or by
// value. Keys need not be unique; searches return the first match.
//
//   TYStringMap map;
//   auto e = std::make_unique<TYStringMapEntry>();
//   e->Key = u"a"; e->Value = u"x";
//   map.Add(std::move(e));
//   map.FindByKey(u"a")->Value;   // u"x"
// Threads: an object is used by one thread at a time; distinct objects are independent.
#pragma once

#include "deziva27/base/Export.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <utility>

#include "deziva27/base/Types.h"
#include "deziva27/utils/ObjectList.h"

namespace dz DZ_API {

// One pair of the map; both strings start empty.
class TYStringMapEntry : public TObject {
 public:
  UnicodeString Key;    // compared exactly, case included
  UnicodeString Value;  // compared exactly, case included
};

// The map owns its entries as TYObjectList owns its objects.
class TYStringMap : public TYObjectList {
 public:
  // Index of the first entry whose Key (or Value) equals the argument code
  // unit for code unit; -1 when none does. Nil items and objects that are
  // not entries (the base list accepts any object) are passed over.
  int32_t IndexByKey(std::u16string_view Key) const;
  int32_t IndexByValue(std::u16string_view Value) const;
  // The entry IndexByKey (or IndexByValue) finds, or nullptr; the map keeps
  // owning it.
  TYStringMapEntry* FindByKey(std::u16string_view Key) const;
  TYStringMapEntry* FindByValue(std::u16string_view Value) const;

  // The entry at Index (EListError for a bad index); nil stays nil, and an
  // object of another class raises EInvalidCast.
  TYStringMapEntry* GetItem(int32_t Index) const;
  TYStringMapEntry* operator[](int32_t Index) const { return GetItem(Index); }  // as GetItem

  // Range-for over the entries (`for (TYStringMapEntry* e : map)`), each read
  // through GetItem as the loop reaches it: nil stays nil, another class
  // raises EInvalidCast, and end() is Count() when it is called.
  class const_iterator {
   public:
    // A forward iterator over the entries, read-only.
    using iterator_concept = std::forward_iterator_tag;
    using iterator_category = std::input_iterator_tag;
    using value_type = TYStringMapEntry*;
    using difference_type = std::ptrdiff_t;

    // An iterator at index of map; a default one is at 0 of no map and is
    // only compared or assigned.
    const_iterator() = default;
    const_iterator(const TYStringMap* map, int32_t index) : FMap(map), FIndex(index) {}
    // The entry at the index through GetItem, read when asked; a step moves
    // the index only; iterators compare by index.
    TYStringMapEntry* operator*() const { return FMap->GetItem(FIndex); }
    const_iterator& operator++() { return *this = {FMap, FIndex + 1}; }
    const_iterator operator++(int) { return std::exchange(*this, {FMap, FIndex + 1}); }
    friend bool operator==(const const_iterator& a, const const_iterator& b) {
      return a.FIndex == b.FIndex;
    }

   private:
    const TYStringMap* FMap = nullptr;
    int32_t FIndex = 0;
  };
  // The first entry, and one past the last as Count() is now; iterator is
  // const_iterator.
  using iterator = const_iterator;
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, Count()}; }
};

}  // namespace dz
