#include "deziva27/host/components/Components.h"

#include <gtest/gtest.h>

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
  EXPECT_THROW(b->SetName(u"panel1"), EComponentError);
  EXPECT_THROW(b->SetName(u"1st"), EComponentError);
  EXPECT_THROW(b->SetName(u"a b"), EComponentError);
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
  EXPECT_EQ(GetEnumProp(c, enabled), u"True");
  SetEnumProp(c, enabled, u"false");
  EXPECT_FALSE(c.Enabled());
  EXPECT_EQ(test::ErrorOf<EPropertyError>([&] { SetEnumProp(c, enabled, u"Maybe"); }),
            "Invalid property element: Maybe");
  SetOrdProp(c, *GetPropInfo(c, u"Width"), 77);
  EXPECT_EQ(c.Width(), 77);
  SetStrProp(c, *GetPropInfo(c, u"Caption"), u"Hello");
  EXPECT_EQ(c.Caption(), u"Hello");
  EXPECT_THROW(GetStrProp(c, *GetPropInfo(c, u"Width")), EPropertyError);
  EXPECT_EQ(GetEnumName(kAlignTypeInfo, 5), u"alClient");
  EXPECT_EQ(GetEnumName(kAlignTypeInfo, 7), u"");
  EXPECT_EQ(GetEnumValue(kBooleanTypeInfo, u"TRUE"), 1);
}

}  // namespace
}  // namespace dz
