#include <gtest/gtest.h>

#include <iterator>
#include <ranges>
#include <utility>
#include <vector>

#include "Raises.h"
#include "deziva27/host/Host.h"
#include "deziva27/host/ui/TreeView.h"

namespace dz {
namespace {

template <class F>
void ExpectIndexError(F f, int32_t index) {
  EXPECT_EQ(test::MessageOf<EListError>(f), u"List index out of bounds (" + IntToStr(index) + u")");
}

// Records the notifications a list sends, the way owning containers use them.
class RecordingList : public TList {
 public:
  std::vector<std::pair<void*, TListNotification>> log;
  ~RecordingList() override { Clear(); }

 protected:
  void Notify(void* p, TListNotification a) override { log.emplace_back(p, a); }
};

TEST(TList, IndexErrorsNameTheIndexAndGrowthIsClassic) {
  TList l;
  int a, b;
  EXPECT_EQ(l.Add(&a), 0);
  EXPECT_EQ(l.Add(&b), 1);
  ExpectIndexError([&] { l.Items(2); }, 2);
  ExpectIndexError([&] { l.Items(-1); }, -1);
  ExpectIndexError([&] { l.Delete(2); }, 2);
  ExpectIndexError([&] { l.Insert(3, &a); }, 3);
  ExpectIndexError([&] { l.SetItems(5, &a); }, 5);
  l.Insert(2, &a);  // inserting at Count appends
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l.IndexOf(&b), 1);
  EXPECT_EQ(l.IndexOf(nullptr), -1);
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Capacity(), 0);
}

TEST(TList, NotifiesAddsDeletesAndExtractions) {
  int a, b, c;
  RecordingList l;
  l.Add(&a);
  l.Add(nullptr);  // nil entries are not announced
  l.Insert(0, &b);
  l.SetItems(2, &c);  // replaces the nil: only an add
  l.SetItems(0, &a);  // replaces b: b deleted, a added
  EXPECT_EQ(l.Extract(&c), &c);
  EXPECT_EQ(l.Extract(&c), nullptr);
  EXPECT_EQ(l.Remove(&a), 0);
  l.Clear();
  using P = std::pair<void*, TListNotification>;
  std::vector<P> want = {{&a, lnAdded}, {&b, lnAdded},     {&c, lnAdded},   {&b, lnDeleted},
                         {&a, lnAdded}, {&c, lnExtracted}, {&a, lnDeleted}, {&a, lnDeleted}};
  EXPECT_EQ(l.log, want);
  std::vector<int32_t> caps;
  for (int i = 0; i < 100; ++i) {
    l.Add(nullptr);
    if (caps.empty() || caps.back() != l.Capacity()) caps.push_back(l.Capacity());
  }
  EXPECT_EQ(caps, (std::vector<int32_t>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
}

TEST(TStringList, IndexErrorsAndObjects) {
  TStringList l;
  TObject o1, o2;
  l.AddObject(u"one", &o1);
  l.Add(u"two");
  l.InsertObject(1, u"half", &o2);
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Strings(1), u"half");
  EXPECT_EQ(l.Objects(0), &o1);
  EXPECT_EQ(l.Objects(2), nullptr);
  EXPECT_EQ(l.IndexOfObject(&o2), 1);
  l.SetObjects(2, IntToObject(0x0419));
  EXPECT_EQ(ObjectToInt(l.Objects(2)), 0x0419);
  ExpectIndexError([&] { l.Strings(3); }, 3);
  ExpectIndexError([&] { l.Objects(-1); }, -1);
  ExpectIndexError([&] { l.Delete(3); }, 3);
  ExpectIndexError([&] { l.SetStrings(7, u"x"); }, 7);
  ExpectIndexError([&] { l.InsertObject(4, u"x", nullptr); }, 4);

  TStringList copy;
  copy.Add(u"old");
  copy.Assign(l);
  EXPECT_TRUE(copy.Equals(l));
  EXPECT_EQ(copy.Objects(0), &o1);  // Assign copies the object slots, not the objects
}

TEST(TStringList, IndexOfIgnoresCaseWithTheLocale) {
  TStringList l{u"Alpha", u"ÉCOLE", u"Жук", u"beta"};
  const std::pair<const char16_t*, int32_t> cases[] = {
      {u"ALPHA", 0}, {u"école", 1}, {u"жук", 2}, {u"ecole", -1}, {u"gamma", -1}, {u"", -1}};
  for (const auto& [s, i] : cases) EXPECT_EQ(l.IndexOf(s), i) << UTF8Encode(s);
}

TEST(TStringList, TextSplitsAtEveryLineBreakKind) {
  TStringList l;
  l.SetText(u"a\r\nb\nc\rd\r\n\r\ne");
  EXPECT_EQ(l.Count(), 6);
  EXPECT_EQ(l.Strings(4), u"");
  EXPECT_EQ(l.Text(), u"a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
  l.SetText(u"x\r\n");
  EXPECT_EQ(l.Count(), 1);
  l.SetText(u"");
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Text(), u"");
}

TEST(TStringList, CommaTextReadsBlanksCommasAndQuotesAndRoundTrips) {
  const std::pair<const char16_t*, std::vector<std::u16string>> cases[] = {
      {u"a,b c", {u"a", u"b", u"c"}}, {u"\"a b\",\"c,d\"", {u"a b", u"c,d"}},
      {u"\"say \"\"hi\"\"\"", {u"say \"hi\""}}, {u"a,,b", {u"a", u"", u"b"}}, {u"a,", {u"a", u""}},
      {u"  a  ,  b  ", {u"a", u"b"}}, {u"\"a\"b", {u"a", u"b"}}, {u"\"a\"\"b\"", {u"a\"b"}},
      {u"\"x\"y,z", {u"x", u"y", u"z"}},  // text after a closing quote is the next item
      {u"a\"b", {u"a\"b"}},               // a quote inside an item is plain text
      {u"a, ", {u"a"}},                    // the comma is not the last character
      {u",", {u"", u""}}, {u"\"\",x", {u"", u"x"}}, {u"\"open", {u"open"}}, {u"", {}},
  };
  for (const auto& [text, items] : cases) {
    TStringList l;
    l.SetCommaText(text);
    EXPECT_EQ(std::vector<std::u16string>(l.begin(), l.end()), items) << UTF8Encode(text);
  }
  TStringList l{u"plain", u"with blank", u"com,ma", u"\"quoted\"", u"", u"tab\there", u"ж"};
  TStringList back;
  back.SetCommaText(l.CommaText());
  EXPECT_TRUE(back.Equals(l)) << UTF8Encode(l.CommaText());
  EXPECT_EQ(l.CommaText(), u"plain,\"with blank\",\"com,ma\",\"\"\"quoted\"\"\",,\"tab\there\",ж");
}

TEST(TStringList, NamesAndValuesAndOnChange) {
  TStringList l{u"Key=1", u"other=two=2", u"noequals"};
  EXPECT_EQ(l.Values(u"KEY"), u"1");
  EXPECT_EQ(l.Values(u"other"), u"two=2");
  EXPECT_EQ(l.Names(2), u"");
  l.SetValues(u"new", u"v");
  EXPECT_EQ(l.Strings(3), u"new=v");
  l.SetValues(u"key", u"");
  EXPECT_EQ(l.IndexOfName(u"Key"), -1);
  TStringList w;
  int changes = 0;
  TObject* sender = nullptr;
  w.SetOnChange([&](TObject* s) {
    ++changes;
    sender = s;
  });
  w.Add(u"b");
  w.Add(u"A");
  w.Sort();
  EXPECT_EQ(w.Strings(0), u"A");
  w.Delete(0);
  w.Clear();
  w.Clear();  // nothing to clear: no change
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(sender, &w);
}

std::u16string Texts(const TTreeNodes& nodes) {
  std::u16string s;
  for (int32_t i = 0; i < nodes.TopCount(); ++i) {
    const TTreeNode* n = nodes.Top(i);
    s += n->Text();
    if (n->HasChildren()) {
      s += u"(";
      for (int32_t k = 0; k < n->Count(); ++k) s += n->Item(k)->Text();
      s += u")";
    }
    s += u" ";
  }
  return s;
}

TEST(TTreeView, KeepsInsertionOrderUntilSortedByText) {
  TTreeView t;
  TTreeNode* c = t.Items().AddObject(u"c", nullptr);
  t.Items().AddObject(u"A", nullptr);
  t.Items().AddChildObject(c, u"z", nullptr);
  t.Items().AddChildObject(c, u"y", reinterpret_cast<void*>(7));
  EXPECT_EQ(Texts(t.Items()), u"c(zy) A ");
  EXPECT_EQ(t.Items().Count(), 4);
  t.SetSortType(stText);  // every level, case ignored
  EXPECT_EQ(Texts(t.Items()), u"A c(yz) ");
  EXPECT_EQ(c->GetFirstChild()->Data(), reinterpret_cast<void*>(7));
  t.Items().AddObject(u"b", nullptr);  // lands in place
  EXPECT_EQ(Texts(t.Items()), u"A b c(yz) ");
  c->SetText(u"0");  // moves to its new place
  EXPECT_EQ(Texts(t.Items()), u"0(yz) A b ");
  c->DeleteChildren();
  EXPECT_FALSE(c->HasChildren());
  EXPECT_EQ(c->GetFirstChild(), nullptr);
  EXPECT_EQ(c->Item(0), nullptr);
  t.Items().Clear();
  EXPECT_EQ(t.Items().GetFirstNode(), nullptr);
}

static_assert(std::ranges::random_access_range<const TStringList>);
static_assert(std::random_access_iterator<TStrings::const_iterator>);

TEST(TStringsRange, WalksTheStringsAsTheListHoldsThem) {
  using Seen = std::vector<UnicodeString>;
  TStringList list{u"b", u"a", u"c"};
  EXPECT_EQ(Seen(list.begin(), list.end()), (Seen{u"b", u"a", u"c"}));
  list.Sort();
  EXPECT_EQ(Seen(list.begin(), list.end()), (Seen{u"a", u"b", u"c"}));
  const TStringList none;
  EXPECT_TRUE(none.begin() == none.end());
  EXPECT_EQ(*(list.end() - 1), u"c");
  EXPECT_EQ(list.begin()[1], u"b");

  // A string set during the loop shows at its index; a delete makes the next
  // step raise instead of reading past the end.
  Seen seen;
  for (const auto& s : list) {
    seen.push_back(s);
    if (seen.size() == 1) list.SetStrings(1, u"B");
  }
  EXPECT_EQ(seen, (Seen{u"a", u"B", u"c"}));
  EXPECT_THROW(for (const auto& s : list) if (s == u"a") list.Delete(0), EListError);
}

}  // namespace
}  // namespace dz
