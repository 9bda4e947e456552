// Sort keys from the character weights recorded from Windows.
#include "deziva27/platform/SortKeys.h"

#include <algorithm>
#include <cstdint>
#include <span>

namespace dz::detail::sortkey {
namespace {

struct WeightRun {
  uint16_t first, count;
  int32_t delta;
  uint8_t elements, length;
  uint16_t offset;
};
struct Tailoring {
  uint32_t lcid;
  uint16_t cp;
  uint8_t elements, length;
  uint16_t offset;
};
struct Contraction {
  uint32_t lcid;
  uint16_t text[3];  // a pair ends in 0
  uint8_t elements, length;
  uint16_t offset;
};

#include "deziva27/platform/SortWeights.inc"

constexpr char kSeparator = 0x01;
constexpr unsigned char kDefault = 0x02;  // the diacritic and case weight of a plain letter
// The case-weight bits NORM_IGNORECASE clears: 0x10 marks a capital, 0x08
// the other forms that case folding joins (ª, ²); width and kana bits stay.
constexpr unsigned char kCaseBits = 0x18;
// In the word-sort section only 0x08 goes: a hyphen keeps its 0x12.
constexpr unsigned char kSpecialCaseBits = 0x08;

// One character's weights: its single-character key, split into sections.
struct Weights {
  std::string_view primary, diacritic, cases, extra, special;
  int elements = 0;
};

std::string_view KeyAt(uint16_t offset, uint8_t length) { return {kKeys + offset, length}; }

Weights Split(std::string_view key, int elements) {
  Weights w;
  w.elements = elements;
  std::string_view* parts[] = {&w.primary, &w.diacritic, &w.cases, &w.extra};
  for (std::string_view* part : parts) {
    const size_t end = std::min(key.find(kSeparator), key.size());
    *part = key.substr(0, end);
    key.remove_prefix(std::min(end + 1, key.size()));
  }
  w.special = key;
  return w;
}

// What a locale weighs otherwise than the default table: its share of the
// tailoring tables, found once a key.
struct LocaleWeights {
  std::span<const Tailoring> chars;
  std::span<const Contraction> contractions;
};

LocaleWeights WeightsOf(LCID lcid) {
  const auto chars = std::ranges::equal_range(kTailorings, lcid, {}, &Tailoring::lcid);
  const auto contractions = std::ranges::equal_range(kContractions, lcid, {}, &Contraction::lcid);
  return {{chars.begin(), chars.end()}, {contractions.begin(), contractions.end()}};
}

// The weights of c, or false when it has none (it then adds nothing). key
// holds the stepped key of a run member.
bool Lookup(const LocaleWeights& locale, char16_t c, std::string& key, Weights& w) {
  const auto t = std::ranges::lower_bound(locale.chars, c, {}, &Tailoring::cp);
  if (t != locale.chars.end() && t->cp == c) {
    w = Split(KeyAt(t->offset, t->length), t->elements);
    return true;
  }
  auto r = std::upper_bound(std::begin(kRuns), std::end(kRuns), c,
                            [](char16_t v, const WeightRun& run) { return v < run.first; });
  if (r == std::begin(kRuns)) return false;
  --r;
  const unsigned i = c - r->first;
  if (i >= r->count) return false;
  key.assign(KeyAt(r->offset, r->length));
  const size_t p = key.find(kSeparator);
  if (i > 0 && p != std::string::npos && p >= 2) {
    const auto hi = static_cast<unsigned char>(key[p - 2]), lo = static_cast<unsigned char>(key[p - 1]);
    const unsigned v = (hi << 8 | lo) + i * static_cast<unsigned>(r->delta);
    key[p - 2] = static_cast<char>(v >> 8 & 0xFF);
    key[p - 1] = static_cast<char>(v & 0xFF);
  }
  w = Split(key, r->elements);
  return true;
}

// The weights a locale gives the two or three characters at text as one,
// if it does; their count goes to used.
bool LookupContraction(const LocaleWeights& locale, std::u16string_view text, Weights& w, size_t& used) {
  const auto less = [](const Contraction& p, const Contraction& q) {
    return std::lexicographical_compare(p.text, p.text + 3, q.text, q.text + 3);
  };
  for (size_t n = std::min<size_t>(text.size(), 3); n >= 2 && !locale.contractions.empty(); --n) {
    const Contraction want{0, {text[0], text[1], n == 3 ? text[2] : u'\0'}, 0, 0, 0};
    const auto t = std::lower_bound(locale.contractions.begin(), locale.contractions.end(), want, less);
    if (t != locale.contractions.end() && !less(want, *t)) {
      w = Split(KeyAt(t->offset, t->length), t->elements);
      used = n;
      return true;
    }
  }
  return false;
}

// Appends weights for `count` elements: those given, then the plain weight.
void Append(std::string& to, std::string_view weights, int count, unsigned char clear) {
  const size_t n = std::max(weights.size(), static_cast<size_t>(std::max(count, 0)));
  for (size_t i = 0; i < n; ++i)
    to += static_cast<char>((i < weights.size() ? static_cast<unsigned char>(weights[i]) : kDefault) & ~clear);
}

void TrimPlain(std::string& s) {
  while (!s.empty() && static_cast<unsigned char>(s.back()) == kDefault) s.pop_back();
}

}  // namespace

std::string Build(LCID lcid, std::u16string_view text, bool ignoreCase) {
  std::string primary, diacritic, cases, extra, special, stepped;
  int elements = 0;  // collation elements so far: where a word-sort weight stands
  const LocaleWeights locale = WeightsOf(lcid);
  for (size_t i = 0, used = 1; i < text.size(); i += used) {
    Weights w;
    used = 1;
    if (!LookupContraction(locale, text.substr(i), w, used) && !Lookup(locale, text[i], stepped, w))
      continue;
    if (w.elements > 0 || !w.primary.empty()) {
      primary += w.primary;
      Append(diacritic, w.diacritic, w.elements, 0);
      Append(cases, w.cases, w.elements, ignoreCase ? kCaseBits : 0);
    } else if (!w.diacritic.empty()) {
      // A mark without a weight of its own accents what stands before it
      // (hyphens and the like in between do not count); the weights add up.
      if (diacritic.empty()) {
        diacritic += w.diacritic;
      } else {
        diacritic.back() = static_cast<char>(static_cast<unsigned char>(diacritic.back()) +
                                             static_cast<unsigned char>(w.diacritic[0]));
      }
    }
    extra += w.extra;
    // A word-sort weight is 2 bytes of position (counted down from FFFF by
    // the elements before it), its weight and its case.
    std::string_view s = w.special;
    if (s.size() % 4 != 0) {
      special += s;
      s = {};
    }
    for (; !s.empty(); s.remove_prefix(4)) {
      const unsigned pos = 0xFFFFu - static_cast<unsigned>(std::min(elements, 0xFFFF));
      special += static_cast<char>(pos >> 8);
      special += static_cast<char>(pos & 0xFF);
      special += s[2];
      special += static_cast<char>(static_cast<unsigned char>(s[3]) & ~(ignoreCase ? kSpecialCaseBits : 0));
    }
    elements += w.elements;
  }
  if (std::binary_search(std::begin(kReversedDiacritics), std::end(kReversedDiacritics), lcid))
    std::reverse(diacritic.begin(), diacritic.end());
  TrimPlain(diacritic);
  TrimPlain(cases);
  std::string key;
  key.reserve(primary.size() + diacritic.size() + cases.size() + extra.size() + special.size() + 5);
  for (const std::string* section : {&primary, &diacritic, &cases, &extra}) {
    key += *section;
    key += kSeparator;
  }
  key += special;
  key += '\0';
  return key;
}

}  // namespace dz::detail::sortkey
