#include "deziva27/scanner/WordSet.h"

#include <algorithm>
#include <array>

#include "deziva27/host/Icu.h"
#include "deziva27/host/Strings.h"

namespace dz::detail {
namespace {

constexpr size_t kMaxFastWord = 64;

bool PrintableAscii(std::u16string_view s) {
  if (s.empty() || s.size() > kMaxFastWord) return false;
  for (char16_t c : s)
    if (c < 33 || c > 126) return false;
  return true;
}

char16_t FoldAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

// Whether the locale's caseless comparison agrees with ASCII folding on
// printable ASCII: I and i equal, and no printable character ignored.
bool LocaleFoldsAsciiPlainly() {
  if (AnsiCompareText(u"I", u"i") != 0) return false;
  char16_t probe[3] = {u'a', 0, u'b'};
  for (char16_t c = 33; c <= 126; ++c) {
    probe[1] = c;
    if (AnsiCompareText(std::u16string_view(probe, 3), u"ab") == 0) return false;
  }
  return true;
}

}  // namespace

WordSet::WordSet(TStringList& list) : FList(list) {
  FList.SetOnChange([this](TObject*) { FDirty = true; });
}

void WordSet::Rebuild() {
  FDirty = false;
  FEpoch = LocaleEpoch();
  FFolded.clear();
  FFast = false;
  for (int32_t i = 0, n = FList.Count(); i < n; ++i)
    if (!PrintableAscii(FList.Strings(i))) return;
  if (!LocaleFoldsAsciiPlainly()) return;
  FFolded.reserve(static_cast<size_t>(FList.Count()));
  for (int32_t i = 0, n = FList.Count(); i < n; ++i) {
    std::u16string s = FList.Strings(i);
    for (char16_t& c : s) c = FoldAscii(c);
    FFolded.push_back(std::move(s));
  }
  std::sort(FFolded.begin(), FFolded.end());
  FFast = true;
}

bool WordSet::Contains(std::u16string_view word) {
  if (FList.Count() == 0) return false;
  if (FDirty || FEpoch != LocaleEpoch()) Rebuild();
  if (!FFast || !PrintableAscii(word)) return FList.IndexOf(word) >= 0;
  std::array<char16_t, kMaxFastWord> buf;
  for (size_t i = 0; i < word.size(); ++i) buf[i] = FoldAscii(word[i]);
  std::u16string_view key(buf.data(), word.size());
  auto it = std::lower_bound(FFolded.begin(), FFolded.end(), key,
                             [](const std::u16string& a, std::u16string_view b) { return a < b; });
  return it != FFolded.end() && *it == key;
}

}  // namespace dz::detail
