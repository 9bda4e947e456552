#include "deziva27/scanner/detail/WordSet.h"

#include <array>

#include "deziva27/host/runtime/detail/Icu.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz::detail {
namespace {

constexpr size_t kMaxFastWord = 63;  // so that a length fits the 64-bit mask

bool PrintableAscii(std::u16string_view s) {
  if (s.empty() || s.size() > kMaxFastWord) return false;
  for (char16_t c : s)
    if (c < 33 || c > 126) return false;
  return true;
}

char16_t FoldAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

uint32_t Hash(std::u16string_view s) {
  uint32_t h = 2166136261u;
  for (char16_t c : s) h = (h ^ c) * 16777619u;
  return h;
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
  FSlots.clear();
  FLengths = 0;
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
  size_t size = 16;
  while (size < FFolded.size() * 2) size *= 2;
  FSlots.assign(size, 0);
  for (size_t i = 0; i < FFolded.size(); ++i) {
    FLengths |= uint64_t{1} << FFolded[i].size();
    for (size_t at = Hash(FFolded[i]) & (size - 1);; at = (at + 1) & (size - 1))
      if (FSlots[at] == 0) {
        FSlots[at] = static_cast<uint32_t>(i + 1);
        break;
      }
  }
  FFast = true;
}

bool WordSet::Contains(std::u16string_view word) {
  if (FList.Count() == 0) return false;
  if (FDirty || FEpoch != LocaleEpoch()) Rebuild();
  if (!FFast || !PrintableAscii(word)) return FList.IndexOf(word) >= 0;
  if (!((FLengths >> word.size()) & 1u)) return false;
  std::array<char16_t, kMaxFastWord> buf;
  for (size_t i = 0; i < word.size(); ++i) buf[i] = FoldAscii(word[i]);
  const std::u16string_view key(buf.data(), word.size());
  const size_t mask = FSlots.size() - 1;
  for (size_t at = Hash(key) & mask; FSlots[at] != 0; at = (at + 1) & mask)
    if (FFolded[FSlots[at] - 1] == key) return true;
  return false;
}

}  // namespace dz::detail
