#include "deziva27/host/ui/TreeView.h"

#include <algorithm>

#include "deziva27/host/runtime/Strings.h"

namespace dz {

namespace {

bool Before(const std::unique_ptr<TTreeNode>& a, const std::unique_ptr<TTreeNode>& b) {
  return AnsiCompareText(a->Text(), b->Text()) < 0;
}

}  // namespace

void TTreeNode::SetText(const UnicodeString& Value) {
  FText = Value;
  if (FOwner && FOwner->SortsByText())
    TTreeNodes::Sort(FParent ? FParent->FChildren : FOwner->Items().FRoots, false);
}

TTreeNode* TTreeNode::Item(int32_t Index) const {
  return Index < 0 || Index >= Count() ? nullptr : FChildren[static_cast<size_t>(Index)].get();
}

TTreeNode* TTreeNodes::Place(Siblings& where, std::unique_ptr<TTreeNode> node) {
  TTreeNode* raw = node.get();
  if (FOwner->SortsByText())
    where.insert(std::upper_bound(where.begin(), where.end(), node, Before), std::move(node));
  else
    where.push_back(std::move(node));
  return raw;
}

TTreeNode* TTreeNodes::AddObject(const UnicodeString& Text, void* Data) {
  return Place(FRoots, std::unique_ptr<TTreeNode>(new TTreeNode(FOwner, nullptr, Text, Data)));
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const UnicodeString& Text, void* Data) {
  return Place(SiblingsOf(Parent),
               std::unique_ptr<TTreeNode>(new TTreeNode(FOwner, Parent, Text, Data)));
}

TTreeNode* TTreeNodes::Top(int32_t Index) const {
  return Index < 0 || Index >= TopCount() ? nullptr : FRoots[static_cast<size_t>(Index)].get();
}

int32_t TTreeNodes::Count() const {
  int32_t n = 0;
  std::vector<const TTreeNode*> todo;
  for (const auto& r : FRoots) todo.push_back(r.get());
  while (!todo.empty()) {
    const TTreeNode* t = todo.back();
    todo.pop_back();
    ++n;
    for (int32_t i = 0; i < t->Count(); ++i) todo.push_back(t->Item(i));
  }
  return n;
}

void TTreeNodes::Sort(Siblings& nodes, bool deep) {
  std::stable_sort(nodes.begin(), nodes.end(), Before);
  if (deep)
    for (auto& n : nodes) Sort(n->FChildren, true);
}

void TTreeView::SetSortType(TSortType Value) {
  FSortType = Value;
  if (SortsByText()) TTreeNodes::Sort(FItems.FRoots, true);
}

}  // namespace dz
