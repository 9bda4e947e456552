#include "deziva27/utils/StringMap.h"

#include <typeinfo>

#include "deziva27/host/runtime/Exceptions.h"

namespace dz {
namespace {

// Most maps hold plain entries: the exact-type test spares them the cost of
// a dynamic_cast, which only a descendant of the entry class needs.
const TYStringMapEntry* AsEntry(const TObject* obj) {
  if (!obj) return nullptr;
  if (typeid(*obj) == typeid(TYStringMapEntry)) return static_cast<const TYStringMapEntry*>(obj);
  return dynamic_cast<const TYStringMapEntry*>(obj);
}

template <class Field>
int32_t Find(const TYStringMap& map, Field field, std::u16string_view s) {
  for (int32_t i = 0, n = map.Count(); i < n; ++i) {
    const TYStringMapEntry* e = AsEntry(static_cast<const TObject*>(map.Items(i)));
    if (e && field(*e) == s) return i;
  }
  return -1;
}

}  // namespace

int32_t TYStringMap::IndexByKey(std::u16string_view Key) const {
  return Find(
      *this, [](const TYStringMapEntry& e) -> const UnicodeString& { return e.Key; }, Key);
}

int32_t TYStringMap::IndexByValue(std::u16string_view Value) const {
  return Find(
      *this, [](const TYStringMapEntry& e) -> const UnicodeString& { return e.Value; }, Value);
}

TYStringMapEntry* TYStringMap::FindByKey(std::u16string_view Key) const {
  int32_t i = IndexByKey(Key);
  return i < 0 ? nullptr : GetItem(i);
}

TYStringMapEntry* TYStringMap::FindByValue(std::u16string_view Value) const {
  int32_t i = IndexByValue(Value);
  return i < 0 ? nullptr : GetItem(i);
}

TYStringMapEntry* TYStringMap::GetItem(int32_t Index) const {
  TObject* obj = TYObjectList::GetItem(Index);
  if (!obj) return nullptr;
  const TYStringMapEntry* e = AsEntry(obj);
  if (!e) throw EInvalidCast(u"Invalid class typecast");
  return const_cast<TYStringMapEntry*>(e);
}

}  // namespace dz
