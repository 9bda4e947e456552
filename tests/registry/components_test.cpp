// Components, their type information, and their properties kept in the registry.
#include "deziva27/host/components/Components.h"

#include <gtest/gtest.h>

#include "deziva27/utils/YUtils.h"
#include "registry/TempStore.h"

namespace dz {
namespace {

TEST(Components, OwnersFreeWhatTheyOwnAndNamesAreUniqueIdentifiers) {
  auto* form = new TComponent(nullptr);
  auto* a = new TControl(form);
  auto* b = new TComponent(form);
  a->SetName(u"Panel1");
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->FindComponent(u"PANEL1"), a);
  for (const char16_t* name : {u"panel1", u"1st", u"a b"})
    EXPECT_THROW(b->SetName(name), EComponentError) << Utf16ToUtf8(name);
  b->SetName(u"_ok2");
  EXPECT_EQ(As<TControl>(form->Components(0)), a);
  EXPECT_THROW(As<TControl>(form->Components(1)), EInvalidCast);
  EXPECT_THROW(form->Components(2), EListError);
  delete b;  // leaves its owner
  EXPECT_EQ(form->ComponentCount(), 1);
  delete form;  // frees a; ASan reports a leak or a double free otherwise
}

TEST(Components, AlignedChildrenShareTheParentsClientArea) {
  TControl form(nullptr), top(nullptr), left(nullptr), client(nullptr);
  form.SetBounds(0, 0, 400, 300);
  top.SetHeight(50);
  left.SetWidth(100);
  for (TControl* c : {&client, &left, &top}) c->SetParent(&form);
  client.SetAlign(alClient);
  left.SetAlign(alLeft);
  top.SetAlign(alTop);
  auto bounds = [](const TControl& c) {
    return std::array<Integer, 4>{c.Left(), c.Top(), c.Width(), c.Height()};
  };
  EXPECT_EQ(bounds(top), (std::array<Integer, 4>{0, 0, 400, 50}));
  EXPECT_EQ(bounds(left), (std::array<Integer, 4>{0, 50, 100, 250}));
  EXPECT_EQ(bounds(client), (std::array<Integer, 4>{100, 50, 300, 250}));
  form.SetWidth(500);  // a resize lays them out again
  EXPECT_EQ(bounds(client), (std::array<Integer, 4>{100, 50, 400, 250}));
  client.SetLeft(3);  // an aligned control snaps back
  EXPECT_EQ(client.Left(), 100);
  top.SetVisible(false);
  EXPECT_EQ(bounds(left), (std::array<Integer, 4>{0, 0, 100, 300}));
  EXPECT_THROW(form.SetParent(&client), EInvalidOperation);
  client.SetParent(nullptr);
  EXPECT_EQ(form.ControlCount(), 2);
}

TEST(TypeInfo, PropertiesAreFoundUpTheHierarchyWithTheirKinds) {
  TControl c(nullptr);
  const std::pair<const char16_t*, TTypeKind> cases[] = {
      {u"left", tkInteger},      {u"Enabled", tkEnumeration}, {u"Caption", tkUString},
      {u"Align", tkEnumeration}, {u"Name", tkUString},        {u"TAG", tkInteger}};
  for (const auto& [name, kind] : cases) {
    const TPropInfo* p = GetPropInfo(c, name);
    ASSERT_NE(p, nullptr) << Utf16ToUtf8(name);
    EXPECT_EQ(PropType(*p), kind);
  }
  EXPECT_EQ(GetPropInfo(c, u"Colour"), nullptr);
  const TPropInfo& enabled = *GetPropInfo(c, u"Enabled");
  SetEnumProp(c, enabled, u"false");
  EXPECT_FALSE(c.Enabled());
  EXPECT_EQ(test::ErrorOf<EPropertyError>([&] { SetEnumProp(c, enabled, u"Maybe"); }),
            "Invalid property element: Maybe");
  SetStrProp(c, *GetPropInfo(c, u"Caption"), u"Hello");
  EXPECT_EQ(c.Caption(), u"Hello");
  EXPECT_THROW(GetStrProp(c, *GetPropInfo(c, u"Width")), EPropertyError);
  EXPECT_EQ(GetEnumName(kAlignTypeInfo, 5), u"alClient");
  EXPECT_EQ(GetEnumName(kAlignTypeInfo, 7), u"");
  EXPECT_EQ(GetEnumValue(kBooleanTypeInfo, u"TRUE"), 1);
}

using Persistence = test::TempStore;

// A control that records each SetBounds call, to see the order and the
// partial load, with a property of each kind TControl lacks; those the
// routines only save or skip are read-only.
class TSample : public TControl {
 public:
  using TControl::TControl;
  void SetBounds(Integer l, Integer t, Integer w, Integer h) override {
    calls.push_back({l, t, w, h});
    TControl::SetBounds(l, t, w, h);
  }
  AnsiString Label() const { return label; }
  void SetLabel(AnsiString v) { label = std::move(v); }
  AnsiString Short() const { return "short"; }
  double Ratio() const { return 1.5; }
  Int64 Big() const { return 1; }
  WideChar Letter() const { return u'a'; }
  const TClassInfo& ClassInfo() const override {
    static const TClassInfo info(
        u"TSample", &TControl::StaticClassInfo(),
        {Published(u"Label", &TSample::Label, &TSample::SetLabel),
         Published(u"Short", &TSample::Short, &kShortStringTypeInfo),
         Published(u"Ratio", &TSample::Ratio), Published(u"Big", &TSample::Big),
         Published(u"Letter", &TSample::Letter)});
    return info;
  }
  std::vector<std::array<Integer, 4>> calls;
  AnsiString label;
};

UnicodeString Stored(const UnicodeString& key, const UnicodeString& name) {
  TRegistry r;
  if (!r.OpenKey(key, false) || !r.ValueExists(name)) return u"<none>";
  return r.ReadString(name);
}

void Store(const UnicodeString& key, const UnicodeString& name, const UnicodeString& text) {
  TRegistry r;
  ASSERT_TRUE(r.OpenKey(key, true));
  r.WriteString(name, text);
}

// Saved as four decimals joined by commas; loaded item by item, up to the
// first bad one.
TEST_F(Persistence, ControlPositionSavesAndLoadsEachItemInTurn) {
  TControl saved(nullptr);
  saved.SetBounds(-5, 20, 300, 200);
  SaveControlPosReg(saved, u"Software\\Pos", u"Form");
  EXPECT_EQ(Stored(u"Software\\Pos", u"Form"), u"-5,20,300,200");
  // The text stored (nullptr: no value), the SetBounds calls, whether it raises.
  const std::tuple<const char16_t*, std::vector<std::array<Integer, 4>>, bool> cases[] = {
      {nullptr, {{7, 8, 9, 10}, {7, 8, 9, 10}, {7, 8, 9, 10}, {7, 8, 9, 10}}, false},
      {u"1,2,3,4,5", {{1, 8, 9, 10}, {1, 2, 9, 10}, {1, 2, 3, 10}, {1, 2, 3, 4}}, false},
      {u"1,2,3", {{1, 8, 9, 10}, {1, 2, 9, 10}, {1, 2, 3, 10}}, true},
      {u"1,,3,4", {{1, 8, 9, 10}}, true},
      {u" 1,$10,3,4", {{1, 8, 9, 10}, {1, 16, 9, 10}, {1, 16, 3, 10}, {1, 16, 3, 4}}, false},
      {u"x", {}, true},
  };
  for (const auto& [stored, calls, raises] : cases) {
    DelRegKey(u"Software\\Pos");
    if (stored) Store(u"Software\\Pos", u"Form", stored);
    TSample ctl(nullptr);
    ctl.SetBounds(7, 8, 9, 10);
    ctl.calls.clear();
    if (raises)
      EXPECT_THROW(LoadControlPosReg(ctl, u"Software\\Pos", u"Form"), EConvertError);
    else
      LoadControlPosReg(ctl, u"Software\\Pos", u"Form");
    EXPECT_EQ(ctl.calls, calls);
  }
}

TEST_F(Persistence, SaveAndLoadPropertyHandleOnlyTheKindsTheyKnow) {
  TSample s(nullptr);
  s.SetName(u"S");
  s.SetAlign(alTop);
  s.label = "caf\xE9";  // 8-bit text in the ANSI code page
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"Enabled", u"True"},   {u"Left", u"0"},        {u"Caption", u"<none>"},
      {u"Align", u"alTop"},    {u"NoSuch", u"<none>"}, {u"Label", u"café"},
      {u"Short", u"short"},    {u"Ratio", u"<none>"},  {u"Big", u"<none>"},
      {u"Letter", u"<none>"},  {u"align", u"alTop"},
  };
  for (const auto& [prop, stored] : cases) {
    SavePropertyValueReg(s, prop, u"Software\\Props");
    EXPECT_EQ(Stored(u"Software\\Props", UnicodeString(u"S.") + prop), stored) << Utf16ToUtf8(prop);
  }
  // An empty text writes nothing, so the earlier value stays.
  s.label.clear();
  SavePropertyValueReg(s, u"Label", u"Software\\Props");
  EXPECT_EQ(Stored(u"Software\\Props", u"S.Label"), u"café");

  // Loads set by kind too, and change nothing on a bad text.
  Store(u"Software\\P", u"S.Left", u"-12");
  Store(u"Software\\P", u"S.Align", u"ALCLIENT");
  Store(u"Software\\P", u"S.Label", u"text");
  Store(u"Software\\P", u"S.Caption", u"ignored");
  for (const char16_t* p : {u"Left", u"Align", u"Label", u"Caption", u"Missing"})
    LoadPropertyValueReg(s, p, u"Software\\P");
  EXPECT_EQ(s.Left(), -12);
  EXPECT_EQ(s.Align(), alClient);
  EXPECT_EQ(s.label, "text");
  EXPECT_EQ(s.Caption(), u"");

  Store(u"Software\\P", u"S.Left", u"12a");
  Store(u"Software\\P", u"S.Align", u"alAngry");
  EXPECT_THROW(LoadPropertyValueReg(s, u"Left", u"Software\\P"), EConvertError);
  EXPECT_THROW(LoadPropertyValueReg(s, u"Align", u"Software\\P"), EPropertyError);
  EXPECT_EQ(s.Left(), -12);
  EXPECT_EQ(s.Align(), alClient);
  // Nothing stored (or an empty text): nothing changes.
  Store(u"Software\\P", u"S.Label", u"");
  LoadPropertyValueReg(s, u"Label", u"Software\\P");
  LoadPropertyValueReg(s, u"Ratio", u"Software\\Nowhere");
  EXPECT_EQ(s.label, "text");
}

TEST_F(Persistence, TypedReadsFallBackOnMissingAndMistypedValues) {
  TYRegistry r;
  ASSERT_TRUE(r.OpenKey(u"Software\\R", true));
  r.WriteString(u"s", u"5");
  r.WriteInteger(u"i", 3);
  r.WriteInteger(u"zero", 0);
  EXPECT_EQ(ReadRegStr(r, u"s", u"d"), u"5");
  EXPECT_EQ(ReadRegStr(r, u"i", u"d"), u"d");
  EXPECT_EQ(ReadRegStr(r, u"none", u"d"), u"d");
  EXPECT_EQ(ReadRegInt(r, u"i", -1), 3);
  EXPECT_EQ(ReadRegInt(r, u"s", -1), -1);
  EXPECT_EQ(ReadRegInt(r, u"none", -1), -1);
  EXPECT_TRUE(ReadRegBool(r, u"i", false));
  EXPECT_FALSE(ReadRegBool(r, u"zero", true));
  EXPECT_TRUE(ReadRegBool(r, u"s", true));
  EXPECT_EQ(r.CurrentPath(), u"Software\\R");  // still open
}

TEST_F(Persistence, DelRegKeyTakesEveryDepthAndIgnoresWhatIsNotThere) {
  TRegistry r;
  for (const char16_t* k : {u"Software\\Test\\a\\b\\c", u"Software\\Test\\a\\d",
                            u"Software\\Test\\e", u"Software\\Tester"})
    r.CreateKey(k);
  ASSERT_TRUE(r.OpenKey(u"Software\\Test\\a\\b\\c", false));
  r.WriteString(u"v", u"x");
  r.CloseKey();
  DelRegKey(u"");
  DelRegKey(u"Software\\Nothing");
  DelRegKey(u"Software\\Test\\");
  EXPECT_FALSE(r.KeyExists(u"Software\\Test"));
  EXPECT_TRUE(r.KeyExists(u"Software\\Tester"));
  EXPECT_TRUE(r.KeyExists(u"Software"));
}

}  // namespace
}  // namespace dz
