#include <gtest/gtest.h>

#include <memory>
#include <string>

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
  TYIntStack s(84);
  SetResString(HInstance, 65521, u"Pile vide");
  std::u16string msg = UtilsError([&] { s.Pop(); });
  ResetStringTable();
  EXPECT_EQ(msg, u"Pile vide");
}

TEST(CurrencyArray, StartsAtZeroAndResets) {
  TYCurrencyArray a(3);
  EXPECT_EQ(a.Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(a[i], Currency(0));
  a.ResetBy(Currency(1.5));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(a.GetItem(i), Currency(1.5));
  a.SetItem(2, Currency(-7));
  EXPECT_EQ(a[2], Currency(-7));
  EXPECT_EQ(a[1], Currency(1.5));
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

TEST(ObjectList, AddAndDeleteNotifyWithoutFreeing) {
  std::string log;
  int dead = 0;
  Counted a(dead), b(dead);
  {
    LoggedList list(log);
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&b), 1);
    EXPECT_EQ(log, "CC");
    list.Delete(0);
    EXPECT_EQ(log, "CCC");
    EXPECT_EQ(list[0], &b);
    list.Delete(0);
    EXPECT_EQ(log, "CCCCE");
    log.clear();
  }
  EXPECT_EQ(log, "CE");  // destroying the empty list still reports
  EXPECT_EQ(dead, 0);
}

TEST(ObjectList, EraseClearAndDestructionFree) {
  std::string log;
  int dead = 0;
  {
    LoggedList list(log);
    list.Add(std::make_unique<Counted>(dead));
    log.clear();
    list.Erase(0);
    EXPECT_EQ(dead, 1);
    EXPECT_EQ(log, "CE");

    log.clear();
    list.Clear();
    EXPECT_EQ(log, "CE");  // even when there was nothing to clear

    for (int i = 0; i < 3; ++i) list.Add(std::make_unique<Counted>(dead));
    log.clear();
  }
  EXPECT_EQ(dead, 4);
  EXPECT_EQ(log, "CE");
}

TEST(ObjectList, FreeAllLeavesNilsAndIsSilent) {
  std::string log;
  int dead = 0;
  LoggedList list(log);
  for (int i = 0; i < 3; ++i) list.Add(new Counted(dead));
  log.clear();
  list.FreeAll();
  EXPECT_EQ(dead, 3);
  EXPECT_EQ(list.Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list[i], nullptr);
  EXPECT_EQ(log, "");
  list.Erase(1);  // a nil item erases safely
  list.Clear();
  EXPECT_EQ(dead, 3);
  EXPECT_EQ(log, "CCE");
}

TEST(ObjectList, InsertSetItemAndBadIndexes) {
  std::string log;
  int dead = 0;
  Counted outside(dead);
  LoggedList list(log);
  list.Add(std::make_unique<Counted>(dead));
  list.Insert(0, std::make_unique<Counted>(dead));
  list.Insert(2, nullptr);
  EXPECT_EQ(log, "CCC");
  EXPECT_EQ(list.Count(), 3);

  // SetItem hands the old object over: it is not freed.
  TObject* old = list[0];
  list.SetItem(0, &outside);
  EXPECT_EQ(log, "CCC");
  EXPECT_EQ(dead, 0);
  std::unique_ptr<TObject> reclaimed(old);

  EXPECT_THROW(list.Erase(3), EListError);
  EXPECT_THROW(list.Delete(-1), EListError);
  EXPECT_THROW(list.GetItem(3), EListError);
  EXPECT_THROW(list.Insert(5, nullptr), EListError);
  EXPECT_EQ(log, "CCC");
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

std::unique_ptr<TYStringMapEntry> Entry(const char16_t* key, const char16_t* value) {
  auto e = std::make_unique<TYStringMapEntry>();
  e->Key = key;
  e->Value = value;
  return e;
}

TEST(StringMap, SearchesAreExactFindTheFirstAndPassOverOthers) {
  TYStringMap map;
  map.Add(Entry(u"a", u"x"));
  map.Add(Entry(u"A", u"x"));
  EXPECT_EQ(map.IndexByKey(u"A"), 1);
  EXPECT_EQ(map.IndexByKey(u"a"), 0);
  EXPECT_EQ(map.IndexByKey(u"b"), -1);
  EXPECT_EQ(map.FindByKey(u"b"), nullptr);
  EXPECT_EQ(map.IndexByValue(u"x"), 0);
  EXPECT_EQ(map.FindByValue(u"x"), map[0]);
  EXPECT_EQ(map.FindByKey(u"A")->Key, u"A");
  EXPECT_EQ(map.IndexByValue(u""), -1);
  // Nils and foreign objects are passed over.
  struct Other : TObject {};
  struct Special : TYStringMapEntry {};
  map.Clear();
  map.Add(nullptr);
  map.Add(std::make_unique<Other>());
  auto s = std::make_unique<Special>();
  s->Key = u"k";
  map.Add(std::move(s));
  EXPECT_EQ(map.IndexByKey(u"k"), 2);
  EXPECT_EQ(map.IndexByKey(u""), -1);
  EXPECT_EQ(map.GetItem(0), nullptr);
  EXPECT_THROW(map.GetItem(1), EInvalidCast);
  EXPECT_THROW(map.GetItem(3), EListError);
}

}  // namespace
}  // namespace dz
