// Range-for over TYStringMap: entries are read through GetItem as the loop
// reaches them, so a change of order shows and a foreign object raises.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string_view>

#include "deziva27/utils/YUtils.h"

namespace dz {
namespace {

void Add(TYStringMap& map, const char16_t* key) {
  auto e = std::make_unique<TYStringMapEntry>();
  e->Key = key;
  map.Add(std::move(e));
}

TEST(StringMap, RangeForReadsEachEntryAsTheLoopReachesIt) {
  static_assert(std::forward_iterator<TYStringMap::const_iterator>);
  TYStringMap map;
  Add(map, u"a");
  Add(map, u"b");
  UnicodeString keys;
  for (TYStringMapEntry* e : map) {
    keys += e->Key;
    if (keys.size() == 1) map.Exchange(0, 1);
  }
  EXPECT_EQ(keys, u"aa");
  EXPECT_EQ(std::distance(map.begin(), map.end()), 2);
  map.Add(nullptr);
  map.Add(std::make_unique<TObject>());
  UnicodeString seen;
  const auto walk = [&] {
    for (TYStringMapEntry* e : map) seen.append(e ? std::u16string_view(e->Key) : u"-");
  };
  EXPECT_THROW(walk(), EInvalidCast);
  EXPECT_EQ(seen, u"ba-");
}

}  // namespace
}  // namespace dz
