#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <tuple>

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
  EXPECT_THROW(TYCurrencyArray(-1), EListError);
}

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
// and SetItem hand the object back, Erase, Clear and destruction free it,
// FreeAll frees silently, leaving nils, and the base list's own operations
// neither notify nor free.
TEST(ObjectList, NotifiesEveryChangeAndFreesOnlyWhenErasing) {
  std::string log;
  int dead = 0;
  Counted a(dead), b(dead);
  {
    LoggedList list(log);
    list.Add(std::make_unique<Counted>(dead));
    list.Insert(0, std::make_unique<Counted>(dead));
    list.Insert(2, nullptr);
    std::unique_ptr<TObject> reclaimed(list[0]);
    list.SetItem(0, &a);
    EXPECT_THROW(list.Erase(3), EListError);
    EXPECT_THROW(list.Delete(-1), EListError);
    EXPECT_THROW(list.GetItem(3), EListError);
    EXPECT_THROW(list.Insert(5, nullptr), EListError);
    EXPECT_EQ(list.Count(), 3);
    static_cast<TList&>(list).Exchange(0, 1);
    static_cast<TList&>(list).Delete(1);
    EXPECT_EQ(log, "CCC");
    EXPECT_EQ(dead, 0);
    list.Clear();
    reclaimed.reset();
    EXPECT_EQ(dead, 2);
    log.clear();
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&b), 1);
    list.Delete(0);
    EXPECT_EQ(list[0], &b);
    list.Delete(0);
    EXPECT_EQ(log, "CCCCE");
    EXPECT_EQ(dead, 2);
    list.Add(std::make_unique<Counted>(dead));
    log.clear();
    list.Erase(0);
    EXPECT_EQ(dead, 3);
    list.Clear();  // even when there is nothing to clear
    EXPECT_EQ(log, "CECE");
    for (int i = 0; i < 3; ++i) list.Add(new Counted(dead));
    log.clear();
    list.FreeAll();
    EXPECT_EQ(dead, 6);
    EXPECT_EQ(list.Count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list[i], nullptr);
    list.Erase(1);  // a nil item erases safely
    EXPECT_EQ(log, "C");
    list.Add(std::make_unique<Counted>(dead));
    log.clear();
  }
  EXPECT_EQ(dead, 7);
  EXPECT_EQ(log, "CE");
}

template <class Entry = TYStringMapEntry>
void Add(TYStringMap& map, std::u16string_view key, std::u16string_view value = u"") {
  auto e = std::make_unique<Entry>();
  e->Key = key;
  e->Value = value;
  map.Add(std::move(e));
}

// Searches are exact, find the first and pass over nils and foreign objects;
// a loop reads each entry as it reaches it, so a change of order shows, and
// reading a foreign one raises.
TEST(StringMap, SearchesLoopsAndForeignObjects) {
  static_assert(std::forward_iterator<TYStringMap::const_iterator>);
  struct Special : TYStringMapEntry {};
  TYStringMap map, mixed;
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
  mixed.Add(nullptr);
  mixed.Add(std::make_unique<TObject>());
  Add<Special>(mixed, u"k");
  EXPECT_EQ(mixed.IndexByKey(u"k"), 2);
  EXPECT_EQ(mixed.IndexByKey(u""), -1);
  EXPECT_EQ(mixed.GetItem(0), nullptr);
  EXPECT_THROW(mixed.GetItem(1), EInvalidCast);
  EXPECT_THROW(mixed.GetItem(3), EListError);
  UnicodeString seen;
  const auto walk = [&] {
    for (TYStringMapEntry* e : mixed) seen.append(e ? std::u16string_view(e->Key) : u"-");
  };
  EXPECT_THROW(walk(), EInvalidCast);
  EXPECT_EQ(seen, u"-");
}

// To cents, ties go to even; by a step, RoundTo goes to the nearest (ties to
// an even multiple), RoundToL towards zero and RoundToM one step above that.
TEST(Rounding, ToCentsAndBySteps) {
  using Fn = Currency (*)(Currency, int32_t);
  const Fn cents = [](Currency c, int32_t) { return CRound(c); };
  const std::tuple<Fn, double, int32_t, double> cases[] = {
      {cents, 0.125, 0, 0.12},    {cents, 0.135, 0, 0.14},    {cents, -0.125, 0, -0.12},
      {cents, -0.135, 0, -0.14},  {cents, 0.0049, 0, 0.0},    {cents, 0.0051, 0, 0.01},
      {cents, -0.0051, 0, -0.01}, {cents, 2.5, 0, 2.5},       {RoundTo, 12, 5, 10},
      {RoundTo, 12.5, 5, 10},     {RoundTo, 17.5, 5, 20},     {RoundTo, -12.5, 5, -10},
      {RoundTo, -17.5, 5, -20},   {RoundTo, 12.5001, 5, 15},  {RoundTo, 13, -5, 15},
      {RoundTo, 0.0001, 1, 0},    {RoundToL, 14, 5, 10},      {RoundToL, -14, 5, -10},
      {RoundToL, 15, 5, 15},      {RoundToM, 11, 5, 15},      {RoundToM, 10, 5, 15},
      {RoundToM, -14, 5, -5},     {RoundTo, 3e9, 2000000000, 4e9},
  };
  for (const auto& [fn, value, step, out] : cases)
    EXPECT_EQ(fn(Currency(value), step), Currency(out)) << value << " / " << step;
  // The extremes round without overflowing, or refuse.
  EXPECT_EQ(CRound(Currency::FromRaw(INT64_MAX)).Raw(), INT64_MAX - 7);
  EXPECT_EQ(CRound(Currency::FromRaw(INT64_MIN)).Raw(), INT64_MIN + 8);
  EXPECT_EQ(RoundToL(Currency::FromRaw(INT64_MIN), 1).Raw(), INT64_MIN / 10000 * 10000);
  EXPECT_THROW(RoundToM(Currency::FromRaw(INT64_MAX), 1), EConvertError);
  EXPECT_THROW(RoundTo(Currency::FromRaw(INT64_MAX), 1), EConvertError);
  EXPECT_THROW(RoundTo(Currency(1), 0), EConvertError);
}

TEST(FontStyle, PacksFourBitsAndIgnoresTheRest) {
  EXPECT_EQ(FontStyleToInt(TFontStyles{fsBold, fsUnderline}), 5);
  EXPECT_EQ(IntToFontStyle(18), TFontStyles{fsItalic});
  EXPECT_EQ(IntToFontStyle(-1), (TFontStyles{fsBold, fsItalic, fsUnderline, fsStrikeOut}));
  for (int32_t v = 0; v < 64; ++v) EXPECT_EQ(FontStyleToInt(IntToFontStyle(v)), v & 15) << v;
}

// Lines to commas (toComma) and back; a CR anywhere ahead ends the line first.
TEST(CommaText, BothDirections) {
  const std::tuple<bool, std::u16string, std::u16string> cases[] = {
      {true, u"", u""},                {true, u"a\r\nb c\r\nd\"e", u"a,\"b c\",\"d\"\"e\""},
      {true, u"a\r\n", u"a,"},         {false, u",,", u"\r\n\r\n"},
      {true, u"a\nb", u"a,b"},         {true, u"a\rb", u"a,b"},
      {true, u"a\r\r\nb", u"a,,b"},    {true, u"a\nb\rc", u"\"a\nb\",c"},
      {true, u"x,y", u"\"x,y\""},      {true, u"tab\there", u"\"tab\there\""},
      {true, u"\n\r", u"\"\n\","},     {false, u"a, \"b c\" ,x", u"a\r\nb c\r\nx"},
      {false, u"a b", u"ab"},          {false, u" \t\r\n ", u""},
      {false, u"\"d\"\"e\"", u"d\"e"},   {false, u"\"open", u"open"},
      {false, u"\"x\"y", u"xy"},       {false, std::u16string(u"a\0,b", 4), u"a"},
  };
  for (const auto& [toComma, in, out] : cases)
    EXPECT_EQ(toComma ? StringToComma(in) : CommaToString(in), out) << toComma;
}

// Texts of CR LF lines made of printable characters, quotes, commas and
// blanks come back from a trip through comma text unchanged.
TEST(CommaText, RoundTrip) {
  std::mt19937 rng(27);
  const std::u16string alphabet = u"ab ,\"\t;\u0416x";
  for (int round = 0; round < 500; ++round) {
    std::u16string text;
    for (int lines = static_cast<int>(rng() % 5); lines-- > 0;) {
      for (int n = static_cast<int>(rng() % 6); n-- > 0;) text += alphabet[rng() % alphabet.size()];
      if (lines > 0 || rng() % 2) text += u"\r\n";
    }
    EXPECT_EQ(CommaToString(StringToComma(text)), text) << round;
  }
}

TEST(Cipher, PrintableTextComesBackUnderEveryKey) {
  std::u16string printable;
  for (char16_t c = 32; c <= 126; ++c) printable += c;
  for (const std::u16string key :
       {u"A", u"key", u"\x7f", u"~", u"\x01\x60", u"\u0416", u"\uffff", u""})
    EXPECT_EQ(Decrypt1(Encrypt1(printable, key), key), printable) << Utf16ToUtf8(key);
  // Each pair both ways; 65 + 65 = 130, less 95; a key of U+FFFF is kept to 16 bits.
  const std::u16string pairs[][3] = {
      {u"A", u"A", u"#"},         {u"abc", u"\x01", u"bcd"}, {u"aaaaa", u"\x01\x02", u"bcbcb"},
      {u"~", u"\uffff", u"\x1e"}, {u"text", u"", u"text"},   {u"", u"key", u""}};
  for (const auto& [plain, key, enc] : pairs) {
    EXPECT_EQ(Encrypt1(plain, key), enc);
    EXPECT_EQ(Decrypt1(enc, key), plain);
  }
}

TEST(Choices, RandomItemAvoidsTheGivenOne) {
  int a, b, c;
  TList list, same, empty;
  for (int* p : {&a, &b, &c}) list.Add(p);
  for (int* p : {&a, &a, &a}) same.Add(p);
  std::set<void*> seen;
  for (int i = 0; i < 300; ++i) seen.insert(GetRandomItem(list, &a));
  EXPECT_EQ(seen, (std::set<void*>{&b, &c}));
  EXPECT_EQ(GetRandomItem(same, &a), nullptr);
  same.Add(&b);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(GetRandomItem(same, &a), &b);
  EXPECT_THROW(GetRandomItem(empty, nullptr), EListError);
}

}  // namespace
}  // namespace dz
