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

#include <cstdint>
#include <string_view>

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
};

}  // namespace dz
