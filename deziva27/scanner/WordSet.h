// Internal: the membership test behind RWords, Vars and Funcs.
//
// A word list answers IndexOf with the locale's case-insensitive collation,
// which costs an ICU comparison per item and would make every name in a
// source pay for the whole list. WordSet keeps a sorted copy of the items
// folded to ASCII lower case and answers from it when both the word and all
// items are printable ASCII and the locale's comparison folds ASCII plainly
// (not Turkish or Azeri dotted i, no ignorable punctuation); anything else
// goes to IndexOf. The copy is rebuilt after the list reports a change or the
// system locale changes.
#pragma once

#include <string_view>
#include <vector>

#include "deziva27/host/Lists.h"

namespace dz::detail {

class WordSet {
 public:
  // Listens to list's OnChange; list must outlive the set.
  explicit WordSet(TStringList& list);
  WordSet(const WordSet&) = delete;
  WordSet& operator=(const WordSet&) = delete;

  // Same answer as list.IndexOf(word) >= 0.
  bool Contains(std::u16string_view word);

 private:
  void Rebuild();

  TStringList& FList;
  bool FDirty = true;
  bool FFast = false;
  uint32_t FEpoch = 0;
  std::vector<std::u16string> FFolded;  // sorted
};

}  // namespace dz::detail
