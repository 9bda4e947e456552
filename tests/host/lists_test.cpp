#include <gtest/gtest.h>

#include <vector>

#include "deziva27/host/Host.h"
#include "support/Locale.h"

namespace dz {
namespace {

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new test::PinnedLocale);

template <class F>
void ExpectIndexError(F f, int32_t index) {
  try {
    f();
    ADD_FAILURE() << "no EListError for index " << index;
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (" + IntToStr(index) + u")");
  }
}

// Records the notifications a list sends, the way owning containers use them.
class RecordingList : public TList {
 public:
  std::vector<std::pair<void*, TListNotification>> log;
  ~RecordingList() override { Clear(); }

 protected:
  void Notify(void* p, TListNotification a) override { log.emplace_back(p, a); }
};

TEST(TList, IndexErrorsNameTheIndex) {
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
  ExpectIndexError([&] { l.Items(0); }, 0);
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
}

TEST(TList, GrowsInClassicSteps) {
  TList l;
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
  EXPECT_EQ(l.IndexOf(u"ALPHA"), 0);
  EXPECT_EQ(l.IndexOf(u"école"), 1);
  EXPECT_EQ(l.IndexOf(u"жук"), 2);
  EXPECT_EQ(l.IndexOf(u"ecole"), -1);
  EXPECT_EQ(l.IndexOf(u"gamma"), -1);
  EXPECT_EQ(l.IndexOf(u""), -1);
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

TEST(TStringList, CommaTextReadsBlanksCommasAndQuotes) {
  struct Case {
    const char16_t* text;
    std::vector<std::u16string> items;
  } cases[] = {
      {u"a,b c", {u"a", u"b", u"c"}},
      {u"\"a b\",\"c,d\"", {u"a b", u"c,d"}},
      {u"\"say \"\"hi\"\"\"", {u"say \"hi\""}},
      {u"a,,b", {u"a", u"", u"b"}},
      {u"a,", {u"a", u""}},
      {u"  a  ,  b  ", {u"a", u"b"}},
      {u"\"x\"y,z", {u"x", u"y", u"z"}},  // text after a closing quote is the next item
      {u"\"a\"b", {u"a", u"b"}},
      {u"\"a\"\"b\"", {u"a\"b"}},
      {u"a\"b", {u"a\"b"}},               // a quote inside an item is plain text
      {u"a, ", {u"a"}},                    // the comma is not the last character
      {u",", {u"", u""}},
      {u"\"\",x", {u"", u"x"}},
      {u"\"open", {u"open"}},
      {u"", {}},
  };
  for (const auto& c : cases) {
    TStringList l;
    l.SetCommaText(c.text);
    std::vector<std::u16string> got;
    for (int i = 0; i < l.Count(); ++i) got.push_back(l.Strings(i));
    EXPECT_EQ(got, c.items) << UTF8Encode(c.text);
  }
}

TEST(TStringList, CommaTextRoundTrips) {
  TStringList l{u"plain", u"with blank", u"com,ma", u"\"quoted\"", u"", u"tab\there", u"ж"};
  TStringList back;
  back.SetCommaText(l.CommaText());
  EXPECT_TRUE(back.Equals(l)) << UTF8Encode(l.CommaText());
  EXPECT_EQ(l.CommaText(), u"plain,\"with blank\",\"com,ma\",\"\"\"quoted\"\"\",,\"tab\there\",ж");
}

TEST(TStringList, NamesAndValues) {
  TStringList l{u"Key=1", u"other=two=2", u"noequals"};
  EXPECT_EQ(l.Values(u"KEY"), u"1");
  EXPECT_EQ(l.Values(u"other"), u"two=2");
  EXPECT_EQ(l.Names(2), u"");
  l.SetValues(u"new", u"v");
  EXPECT_EQ(l.Strings(3), u"new=v");
  l.SetValues(u"key", u"");
  EXPECT_EQ(l.IndexOfName(u"Key"), -1);
}

TEST(TStringList, OnChangeFiresOnEveryChange) {
  TStringList l;
  int changes = 0;
  TObject* sender = nullptr;
  l.SetOnChange([&](TObject* s) {
    ++changes;
    sender = s;
  });
  l.Add(u"b");
  l.Add(u"A");
  l.Sort();
  EXPECT_EQ(l.Strings(0), u"A");
  l.Delete(0);
  l.Clear();
  l.Clear();  // nothing to clear: no change
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(sender, &l);
}

}  // namespace
}  // namespace dz
