#include <gtest/gtest.h>

#include "deziva27/host/ui/TreeView.h"

namespace dz {
namespace {

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

}  // namespace
}  // namespace dz
