// The strings of a list, for comparing a whole list in one expectation.
#pragma once

#include <vector>

#include "deziva27/host/classes/Lists.h"

namespace dz::test {

inline std::vector<UnicodeString> Items(const TStrings& l) {
  std::vector<UnicodeString> v;
  for (int32_t i = 0; i < l.Count(); ++i) v.push_back(l.Strings(i));
  return v;
}

}  // namespace dz::test
