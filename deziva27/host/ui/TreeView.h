// A tree-view model without a window: the nodes, texts and data that a tree
// control holds, enough to fill one with a hierarchy and to walk the result.
//
// Nodes belong to the tree; a pointer to one stays valid until the node or
// one of its ancestors is deleted, or the tree is cleared. With the sort type
// stText, siblings are kept in the order of AnsiCompareText of their texts,
// also when a node is added or its text changes.
// Threads: a tree is used by one thread at a time; distinct trees are independent.
#pragma once

#include "deziva27/base/Export.h"

#include <memory>
#include <vector>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

class TTreeView;

// One node: a text, an untyped data pointer the tree never owns or frees,
// and the child nodes it owns. Made only by TTreeNodes.
class TTreeNode {
 public:
  const UnicodeString& Text() const { return FText; }  // as given; "" allowed
  // Changes the text; in a text-sorted tree the node moves among its siblings.
  void SetText(const UnicodeString& Value);
  // The caller's pointer, as given; nullptr when none.
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  TTreeNode* Parent() const { return FParent; }  // nullptr for a top-level node
  // The number of direct children; 0 for a leaf, when HasChildren is false.
  int32_t Count() const { return static_cast<int32_t>(FChildren.size()); }
  bool HasChildren() const { return !FChildren.empty(); }
  // nullptr when there is none / when Index is out of range.
  TTreeNode* GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren[0].get(); }
  TTreeNode* Item(int32_t Index) const;
  // Deletes every descendant; pointers to them dangle from then on.
  void DeleteChildren() { FChildren.clear(); }

 private:
  friend class TTreeNodes;
  TTreeNode(TTreeView* owner, TTreeNode* parent, const UnicodeString& text, void* data)
      : FOwner(owner), FParent(parent), FText(text), FData(data) {}

  TTreeView* FOwner;
  TTreeNode* FParent;
  UnicodeString FText;
  void* FData;
  std::vector<std::unique_ptr<TTreeNode>> FChildren;
};

// The nodes of one tree view, which owns this object; the nodes belong to it.
class TTreeNodes {
 public:
  explicit TTreeNodes(TTreeView* owner) : FOwner(owner) {}  // made by TTreeView
  void Clear() { FRoots.clear(); }  // deletes every node
  // A new top-level node after the others (in sorted place when sorting).
  TTreeNode* AddObject(const UnicodeString& Text, void* Data);
  // A new last child of Parent (top level for nullptr), in sorted place when
  // sorting. Parent must be a node of this tree.
  TTreeNode* AddChildObject(TTreeNode* Parent, const UnicodeString& Text, void* Data);
  int32_t TopCount() const { return static_cast<int32_t>(FRoots.size()); }  // top nodes; 0 if none
  TTreeNode* Top(int32_t Index) const;  // the top-level node at Index; nullptr out of range
  // The number of nodes at every level; 0 for an empty tree.
  int32_t Count() const;
  // The first top-level node; nullptr for an empty tree.
  TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots[0].get(); }

 private:
  friend class TTreeNode;
  friend class TTreeView;
  using Siblings = std::vector<std::unique_ptr<TTreeNode>>;
  Siblings& SiblingsOf(TTreeNode* parent) { return parent ? parent->FChildren : FRoots; }
  TTreeNode* Place(Siblings& where, std::unique_ptr<TTreeNode> node);
  static void Sort(Siblings& nodes, bool deep);

  TTreeView* FOwner;
  Siblings FRoots;
};

// How siblings are ordered. Only the text counts here: stData orders nothing
// (as stNone) and stBoth sorts by text (as stText).
enum TSortType : uint8_t { stNone = 0, stData = 1, stText = 2, stBoth = 3 };

// The tree: it owns its TTreeNodes and with them every node, freed with it.
// Not copyable; stNone at first.
class TTreeView : public TObject {
 public:
  TTreeView() : FItems(this) {}  // an empty tree
  // The nodes; the reference lives as long as the view.
  TTreeNodes& Items() { return FItems; }
  const TTreeNodes& Items() const { return FItems; }
  // How siblings are ordered; stNone at first.
  TSortType SortType() const { return FSortType; }
  // stText or stBoth sorts every level at once and keeps it sorted.
  void SetSortType(TSortType Value);
  // Whether siblings are kept in text order: stText or stBoth.
  bool SortsByText() const { return FSortType == stText || FSortType == stBoth; }

 private:
  TTreeNodes FItems;
  TSortType FSortType = stNone;
};

}  // namespace dz
