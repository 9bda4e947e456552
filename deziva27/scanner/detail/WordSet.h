// Internal: the membership test behind RWords, Vars and Funcs.
//
// A word list answers IndexOf with the locale's case-insensitive collation,
// which costs an ICU comparison per item and would make every name in a
// source pay for the whole list. WordSet keeps a sorted copy of the items
// folded to ASCII lower case and answers from it when both the word and all
// items are printable ASCII and the locale's comparison folds ASCII plainly
// (not Turkish or Azeri dotted i, no ignorable punctuation); anything else
// goes to IndexOf. Locale tailorings that make two different ASCII words
// equal (Hungarian "ccs" and "cscs") are not followed by the fast path. The copy is rebuilt after
// the list reports a change or the system locale changes.
// Threads: an object is used by one thread at a time; distinct objects are independent.
#pragma once

#include <string_view>
#include <vector>

#include "deziva27/host/classes/Lists.h"

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
  // Open addressing over the folded items; a slot holds an index into
  // FFolded plus one, 0 for empty. The table is at least twice the items.
  std::vector<std::u16string> FFolded;
  std::vector<uint32_t> FSlots;
  uint64_t FLengths = 0;  // bit n: some item has n characters (n < 64)
};

}  // namespace dz::detail
