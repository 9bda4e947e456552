// FitToTemplate against the backtracking definition it replaces, on both
// widths and both case flags. The definition is exponential in the number of
// stars, so inputs are kept small enough for it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "deziva27/strings/YStrings.h"

namespace {

bool Backtrack(const dz::UnicodeString& t, const dz::UnicodeString& p) {
  if ((t.empty() && p.empty()) || p == u"*") return true;
  size_t i = 0;
  for (;;) {
    size_t j = p.find_first_of(u"*?", i);
    if (j == dz::UnicodeString::npos) j = p.size();
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
    if (k == dz::UnicodeString::npos) k = p.size();
    const dz::UnicodeString run = p.substr(i + 1, k - i - 1);
    for (int32_t occ = 1;; ++occ) {
      const int32_t q = dz::XPos(run, t, static_cast<int32_t>(i + 1), occ);
      if (q == 0) return false;
      if (Backtrack(t.substr(q - 1 + run.size()), p.substr(k))) return true;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 96) return 0;
  const bool caseSensitive = data[0] & 1;
  // The template comes first, up to the first NUL; the text is the rest.
  std::string templ, text;
  size_t i = 1;
  for (; i < size && data[i] != 0; ++i) templ.push_back(static_cast<char>(data[i]));
  for (++i; i < size; ++i) text.push_back(static_cast<char>(data[i]));
  int stars = 0;
  for (char c : templ) stars += c == '*';
  // The reference costs about length^stars: keep that product small.
  if (stars > 5 || templ.size() > 24 || (stars > 2 && text.size() > 24)) return 0;

  // Bytes stand for themselves at 16 bits; ASCII folding keeps the reference
  // independent of the locale's case mapping.
  auto widen = [](const std::string& s) {
    dz::UnicodeString u;
    for (unsigned char c : s) u.push_back(c < 0x80 ? c : u'~');
    return u;
  };
  const dz::UnicodeString ut = widen(text), up = widen(templ);
  const bool expected =
      caseSensitive ? Backtrack(ut, up) : Backtrack(dz::LowerCase(ut), dz::LowerCase(up));
  if (dz::FitToTemplate(ut, up, caseSensitive) != expected) std::abort();
  bool ascii = true;
  for (char c : text + templ) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii && dz::FitToTemplate(std::string_view(text), templ, caseSensitive) != expected)
    std::abort();
  return 0;
}
