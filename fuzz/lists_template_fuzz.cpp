// FitToTemplate against the backtracking definition it replaces, on both
// widths and both case flags. The definition is exponential in the number of
// stars, so inputs are kept small enough for it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "deziva27/strings/YStrings.h"
#include "tests/support/TemplateOracle.h"

using dz::test::OracleFit;

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
      caseSensitive ? OracleFit(ut, up) : OracleFit(dz::LowerCase(ut), dz::LowerCase(up));
  if (dz::FitToTemplate(ut, up, caseSensitive) != expected) std::abort();
  bool ascii = true;
  for (char c : text + templ) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii && dz::FitToTemplate(std::string_view(text), templ, caseSensitive) != expected)
    std::abort();
  return 0;
}
