// The backtracking definition of templates, transcribed step by step. It is
// exponential in the number of stars, so it serves only as the reference the
// fast FitToTemplate is held to, by the tests and by the fuzz target.
#pragma once

#include "deziva27/strings/YStrings.h"

namespace dz::test {

inline bool OracleFit(const UnicodeString& t, const UnicodeString& p) {
  if ((t.empty() && p.empty()) || p == u"*") return true;
  size_t i = 0;
  for (;;) {
    size_t j = p.find_first_of(u"*?", i);
    if (j == UnicodeString::npos) j = p.size();
    for (size_t k = i; k < j; ++k)
      if (k >= t.size() || t[k] != p[k]) return false;
    i = j;
    if (i == p.size()) return i >= t.size();
    if (p[i] == u'?') {
      ++i;
      continue;
    }
    if (i + 1 == p.size()) return true;
    size_t k = p.find_first_of(u"*?", i + 1);
    if (k == UnicodeString::npos) k = p.size();
    const UnicodeString run = p.substr(i + 1, k - i - 1);
    for (int32_t occ = 1;; ++occ) {
      const int32_t q = XPos(run, t, static_cast<int32_t>(i + 1), occ);
      if (q == 0) return false;
      if (OracleFit(t.substr(static_cast<size_t>(q) - 1 + run.size()), p.substr(k))) return true;
    }
  }
}

}  // namespace dz::test
