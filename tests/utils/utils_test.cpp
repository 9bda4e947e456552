#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "deziva27/utils/YUtils.h"

namespace dz {
namespace {

// The message of the EYUtilsError that f raises; empty when it raises none.
template <class F>
std::u16string UtilsError(F f) {
  try {
    f();
  } catch (const EYUtilsError& e) {
    return e.Message();
  }
  return {};
}

// Small reservations still hold twenty values: under ASan a write past the
// block would be caught here.
TEST(IntStack, HoldsTwentyWhateverTheSpaceAndPopsInReverse) {
  for (int32_t space : {-8, 0, 4, 84, 400}) {
    TYIntStack s(space);
    for (int v = 1; v <= 20; ++v) s.Push(v * 10);
    EXPECT_EQ(UtilsError([&] { s.Push(999); }), u"Stack is full") << space;
    EXPECT_EQ(s.GetValue(0), 200);  // indexed from the top
    EXPECT_EQ(s.GetValue(19), 10);
    for (int v = 20; v >= 1; --v) EXPECT_EQ(s.Pop(), v * 10);
    EXPECT_TRUE(s.GetEmpty());
    EXPECT_EQ(UtilsError([&] { s.Pop(); }), u"Stack is empty");
    EXPECT_TRUE(s.GetEmpty());
    EXPECT_THROW(s.GetValue(0), EListError);  // no value held there
  }
  // The message comes from the string table when raised.
  SetResString(HInstance, 65521, u"Pile vide");
  std::u16string msg = UtilsError([] { TYIntStack(84).Pop(); });
  ResetStringTable();
  EXPECT_EQ(msg, u"Pile vide");
}

TEST(CurrencyArray, StartsAtZeroAndResets) {
  TYCurrencyArray a(3);
  EXPECT_EQ(a.Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(a[i], Currency(0));
  a.ResetBy(Currency(1.5));
  a.SetItem(2, Currency(-7));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(a.GetItem(i), Currency(i < 2 ? 1.5 : -7)) << i;
  EXPECT_THROW(a.GetItem(3), EListError);
  EXPECT_THROW(a.SetItem(-1, Currency(1)), EListError);
  TYCurrencyArray none(0);
  none.ResetBy(Currency(2));
  EXPECT_EQ(none.Count(), 0);
  EXPECT_THROW(none.GetItem(0), EListError);
  EXPECT_THROW(TYCurrencyArray(-1), EListError);
}

// An object that reports its destruction.
struct Counted : TObject {
  explicit Counted(int& n) : Dead(n) {}
  ~Counted() override { ++Dead; }
  int& Dead;
};

// Exposes FreeAll and writes the events into a log: C for OnChange, E for
// OnEmpty.
struct LoggedList : TYObjectList {
  explicit LoggedList(std::string& log) {
    SetOnChange([&log](TObject*) { log += 'C'; });
    SetOnEmpty([&log](TObject*) { log += 'E'; });
  }
  using TYObjectList::FreeAll;
};

// Every change notifies, the last one also reports the list empty; Delete
// hands the object back, Erase, Clear and destruction free it, and FreeAll
// frees silently, leaving nils.
TEST(ObjectList, NotifiesEveryChangeAndFreesOnlyWhenErasing) {
  std::string log;
  int dead = 0;
  Counted a(dead), b(dead);
  {
    LoggedList list(log);
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&b), 1);
    list.Delete(0);
    EXPECT_EQ(list[0], &b);
    list.Delete(0);
    EXPECT_EQ(log, "CCCCE");
    EXPECT_EQ(dead, 0);
    list.Add(std::make_unique<Counted>(dead));
    log.clear();
    list.Erase(0);
    EXPECT_EQ(dead, 1);
    list.Clear();  // even when there is nothing to clear
    EXPECT_EQ(log, "CECE");
    for (int i = 0; i < 3; ++i) list.Add(new Counted(dead));
    log.clear();
    list.FreeAll();
    EXPECT_EQ(dead, 4);
    EXPECT_EQ(list.Count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list[i], nullptr);
    list.Erase(1);  // a nil item erases safely
    EXPECT_EQ(log, "C");
    list.Add(std::make_unique<Counted>(dead));
    log.clear();
  }
  EXPECT_EQ(dead, 5);
  EXPECT_EQ(log, "CE");
}

TEST(ObjectList, InsertSetItemAndBadIndexes) {
  std::string log;
  int dead = 0;
  Counted outside(dead);
  LoggedList list(log);
  list.Add(std::make_unique<Counted>(dead));
  list.Insert(0, std::make_unique<Counted>(dead));
  list.Insert(2, nullptr);
  EXPECT_EQ(list.Count(), 3);
  // SetItem hands the old object over: it is not freed.
  std::unique_ptr<TObject> reclaimed(list[0]);
  list.SetItem(0, &outside);
  EXPECT_EQ(dead, 0);
  EXPECT_THROW(list.Erase(3), EListError);
  EXPECT_THROW(list.Delete(-1), EListError);
  EXPECT_THROW(list.GetItem(3), EListError);
  EXPECT_THROW(list.Insert(5, nullptr), EListError);
  EXPECT_EQ(list.Count(), 3);
  // The base list's own operations neither notify nor free.
  static_cast<TList&>(list).Exchange(0, 1);
  static_cast<TList&>(list).Delete(1);
  EXPECT_EQ(log, "CCC");
  EXPECT_EQ(dead, 0);
  list.Clear();
  reclaimed.reset();
  EXPECT_EQ(dead, 2);
}

template <class Entry = TYStringMapEntry>
void Add(TYStringMap& map, std::u16string_view key, std::u16string_view value = u"") {
  auto e = std::make_unique<Entry>();
  e->Key = key;
  e->Value = value;
  map.Add(std::move(e));
}

// Searches are exact and find the first; a loop reads each entry as it
// reaches it, so a change of order shows.
TEST(StringMap, SearchesAndLoops) {
  static_assert(std::forward_iterator<TYStringMap::const_iterator>);
  TYStringMap map;
  Add(map, u"a", u"x");
  Add(map, u"A", u"x");
  EXPECT_EQ(map.FindByKey(u"A"), map[1]);
  EXPECT_EQ(map.IndexByValue(u"x"), 0);
  EXPECT_EQ(map.FindByValue(u"x"), map[0]);
  EXPECT_EQ(map.FindByKey(u"b"), nullptr);
  EXPECT_EQ(map.FindByValue(u""), nullptr);
  UnicodeString keys;
  for (TYStringMapEntry* e : map) {
    keys += e->Key;
    if (keys.size() == 1) map.Exchange(0, 1);
  }
  EXPECT_EQ(keys, u"aa");
  EXPECT_EQ(std::distance(map.begin(), map.end()), 2);
}

// Searches pass over nils and foreign objects; reading a foreign one raises.
TEST(StringMap, NilsAndForeignObjects) {
  struct Special : TYStringMapEntry {};
  TYStringMap map;
  map.Add(nullptr);
  map.Add(std::make_unique<TObject>());
  Add<Special>(map, u"k");
  EXPECT_EQ(map.IndexByKey(u"k"), 2);
  EXPECT_EQ(map.IndexByKey(u""), -1);
  EXPECT_EQ(map.GetItem(0), nullptr);
  EXPECT_THROW(map.GetItem(1), EInvalidCast);
  EXPECT_THROW(map.GetItem(3), EListError);
  UnicodeString seen;
  const auto walk = [&] {
    for (TYStringMapEntry* e : map) seen.append(e ? std::u16string_view(e->Key) : u"-");
  };
  EXPECT_THROW(walk(), EInvalidCast);
  EXPECT_EQ(seen, u"-");
}

}  // namespace
}  // namespace dz
