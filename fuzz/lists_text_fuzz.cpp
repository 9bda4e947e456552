// Delimited text and sectioned lists from arbitrary text: ComposeText must
// split exactly at the delimiters outside quotes and give back what
// DelimitedText wrote; the section readers must agree with one another and
// stay inside the list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "deziva27/strings/YStrings.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

void CheckCompose(std::u16string_view text, char16_t delimiter, char16_t quote) {
  dz::TStringList items;
  try {
    dz::ComposeText(text, delimiter, quote, items);
  } catch (const dz::Exception&) {
    return;  // a bad "#" code in some piece
  }
  if (dz::Trim(text).empty()) {
    Require(items.Count() == 0);
  } else {
    int32_t cuts = 0;
    bool inside = false;
    for (char16_t c : text) {
      if (c == quote) inside = !inside;
      if (c == delimiter && !inside) ++cuts;
    }
    Require(items.Count() == cuts + 1);
  }
  // Written items hold "#", "$" and digits outside their quotes, and a quote
  // that is "#" would be flipped by every code: no round trip through those.
  auto special = [](char16_t c) { return c == u'#' || c == u'$' || (c >= u'0' && c <= u'9'); };
  if (delimiter == quote || special(delimiter) || special(quote)) return;
  dz::TStringList back;
  dz::ComposeText(dz::DelimitedText(items, delimiter, quote), delimiter, quote, back);
  Require(back.Equals(items));
}

void CheckSections(std::u16string_view text) {
  dz::TStringList list, names, values;
  list.SetText(text);
  dz::ReadSLSections(list, names);
  const int32_t n = list.Count();
  for (int32_t k = 0; k < names.Count() && k < 16; ++k) {
    const dz::UnicodeString& name = names.Strings(k);
    const int32_t header = dz::XGetSLSectionIndex(0, list, name);
    Require(header >= 0 && header < n);
    const int32_t last = dz::ReadSLSectionValues(list, name, values);
    Require(last >= header && last < n && values.Count() <= last - header);
    const int32_t from = static_cast<int32_t>(k * 7) % (n + 2);
    const int32_t again = dz::XGetSLSectionIndex(from, list, name);
    Require(again >= 0 && again < n);
    Require(dz::XReadSLSectionValues(from, list, name, values) >= again);
  }
  Require(dz::ReadSLSectionValues(list, u"\x01no such", values) == n - 1 && values.Count() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const char16_t kDelims[] = {u',', u';', u'|', u'\'', u'"', u' ', u'#', u'1'};
  static const char16_t kQuotes[] = {u'"', u'\'', u',', u'#'};
  const char16_t delimiter = kDelims[data[0] & 7];
  const char16_t quote = kQuotes[(data[0] >> 3) & 3];
  const bool wide = data[0] & 0x20;
  dz::UnicodeString text;
  if (wide) {
    for (size_t i = 1; i + 1 < size; i += 2) text.push_back(char16_t(data[i] | (data[i + 1] << 8)));
  } else {
    for (size_t i = 1; i < size; ++i) text.push_back(data[i]);
  }
  CheckCompose(text, delimiter, quote);
  CheckSections(text);
  return 0;
}
