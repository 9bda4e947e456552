// Sort keys from the character weights recorded from Windows.
#include "deziva27/platform/detail/SortKeys.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <utility>

namespace dz::win::detail::sortkey {
namespace {

struct WeightRecord {
  uint16_t offset;
  uint8_t primary, diacritic, cases, extra, special, elements;
};
struct WeightRun {
  uint16_t first, count;
  int32_t delta;
  uint16_t record;
};
struct Tailoring {
  uint32_t lcid;
  uint16_t cp, record;
};
struct Contraction {
  uint32_t lcid;
  uint16_t text[3];  // a pair ends in 0
  uint16_t record;
};

#include "deziva27/platform/detail/SortWeights.inc"

constexpr char kSeparator = 0x01;
constexpr unsigned char kDefault = 0x02;  // the diacritic and case weight of a plain letter
// The case-weight bits NORM_IGNORECASE clears: 0x10 marks a capital, 0x08
// the other forms that case folding joins (ª, ²); width and kana bits stay.
constexpr unsigned char kCaseBits = 0x18;
// In the word-sort section only 0x08 goes: a hyphen keeps its 0x12.
constexpr unsigned char kSpecialCaseBits = 0x08;

// The weights of a character or a contraction, by section. step is added
// to the last two primary bytes (a member of a run of the table).
struct Weights {
  std::string_view primary, diacritic, cases, extra, special;
  int elements = 0;
  unsigned step = 0;
};

Weights Of(uint16_t index, unsigned step = 0) {
  const WeightRecord& r = kRecords[index];
  const char* p = kWeightBytes + r.offset;
  Weights w;
  w.primary = {p, r.primary};
  w.diacritic = {p += r.primary, r.diacritic};
  w.cases = {p += r.diacritic, r.cases};
  w.extra = {p += r.cases, r.extra};
  w.special = {p += r.extra, r.special};
  w.elements = r.elements;
  w.step = r.primary >= 2 ? step : 0;
  return w;
}

// What a locale weighs otherwise than the default table: its share of the
// tailoring tables, found once a key.
struct LocaleWeights {
  std::span<const Tailoring> chars;
  std::span<const Contraction> contractions;
};

LocaleWeights WeightsOf(LCID lcid) {
  // Both tables are sorted by locale first.
  const auto share = [lcid](const auto& table) {
    const auto first = std::lower_bound(std::begin(table), std::end(table), lcid,
                                        [](const auto& entry, LCID id) { return entry.lcid < id; });
    const auto last = std::upper_bound(first, std::end(table), lcid,
                                       [](LCID id, const auto& entry) { return id < entry.lcid; });
    return std::span(first, last);
  };
  return {share(kTailorings), share(kContractions)};
}

// The run of each code point below kDirect, found at compile time: most
// text stays below it, and the search over the runs costs more than the
// rest of a character's work.
constexpr char16_t kDirect = 0x800;
constexpr uint16_t kNoRun = 0xFFFF;
constexpr std::array<uint16_t, kDirect> kDirectRuns = [] {
  std::array<uint16_t, kDirect> out{};
  out.fill(kNoRun);
  for (size_t r = 0; r < std::size(kRuns); ++r)
    for (unsigned c = kRuns[r].first; c < kRuns[r].first + kRuns[r].count && c < kDirect; ++c)
      out[c] = static_cast<uint16_t>(r);
  return out;
}();

// The weights of c, or false when it has none (it then adds nothing).
bool Lookup(const LocaleWeights& locale, char16_t c, Weights& w) {
  const auto t =
      std::lower_bound(locale.chars.begin(), locale.chars.end(), c,
                       [](const Tailoring& entry, char16_t cp) { return entry.cp < cp; });
  if (t != locale.chars.end() && t->cp == c) {
    w = Of(t->record);
    return true;
  }
  const WeightRun* r;
  if (c < kDirect) {
    if (kDirectRuns[c] == kNoRun) return false;
    r = &kRuns[kDirectRuns[c]];
  } else {
    r = std::upper_bound(std::begin(kRuns), std::end(kRuns), c,
                         [](char16_t cp, const WeightRun& run) { return cp < run.first; });
    if (r == std::begin(kRuns)) return false;
    --r;
  }
  const unsigned i = c - r->first;
  if (i >= r->count) return false;
  w = Of(r->record, i * static_cast<unsigned>(r->delta));
  return true;
}

// The weights a locale gives the two or three characters at text as one,
// if it does; their count goes to used.
bool LookupContraction(const LocaleWeights& locale, std::u16string_view text, Weights& w,
                       size_t& used) {
  const auto less = [](const Contraction& p, const Contraction& q) {
    return std::lexicographical_compare(p.text, p.text + 3, q.text, q.text + 3);
  };
  for (size_t n = std::min<size_t>(text.size(), 3); n >= 2 && !locale.contractions.empty(); --n) {
    const Contraction want{0, {text[0], text[1], n == 3 ? text[2] : u'\0'}, 0};
    const auto t =
        std::lower_bound(locale.contractions.begin(), locale.contractions.end(), want, less);
    if (t != locale.contractions.end() && !less(want, *t)) {
      w = Of(t->record);
      used = n;
      return true;
    }
  }
  return false;
}

// A section of weights, one an element, that ends trimmed of plain
// weights. Plain weights are counted and written only when a weight of
// another kind follows, so a plain letter costs nearly nothing.
class Column {
 public:
  // The weights of `count` elements: those given, then plain ones.
  void Add(std::string_view weights, int count, unsigned char clear) {
    for (const char c : weights) Put(static_cast<unsigned char>(c) & ~clear);
    if (count > static_cast<int>(weights.size()))
      plain_ += static_cast<size_t>(count) - weights.size();
  }
  bool Empty() const { return bytes_.empty() && plain_ == 0; }
  // Adds w to the last weight (wrapping as a byte does).
  void AddToLast(unsigned char w) {
    unsigned char last = kDefault;
    if (plain_ > 0) {
      --plain_;
    } else {
      last = static_cast<unsigned char>(bytes_.back());
      bytes_.pop_back();
      Settle();
    }
    Put(static_cast<unsigned char>(last + w));
  }
  // The weights in reverse order, as French weighs them.
  void Reverse() {
    bytes_.append(plain_, static_cast<char>(kDefault));
    plain_ = 0;
    std::reverse(bytes_.begin(), bytes_.end());
    Settle();
  }
  // Without the plain weights at its end.
  const std::string& Trimmed() {
    plain_ = 0;
    return bytes_;
  }

 private:
  void Put(unsigned char w) {
    if (w == kDefault) {
      ++plain_;
      return;
    }
    bytes_.append(plain_, static_cast<char>(kDefault));
    plain_ = 0;
    bytes_ += static_cast<char>(w);
  }
  // Moves plain weights at the end of bytes_ to the count.
  void Settle() {
    while (!bytes_.empty() && static_cast<unsigned char>(bytes_.back()) == kDefault) {
      bytes_.pop_back();
      ++plain_;
    }
  }

  std::string bytes_;
  size_t plain_ = 0;
};

}  // namespace

std::string Build(LCID lcid, std::u16string_view text, bool ignoreCase) {
  // The primary weights go straight into the key; the other sections follow
  // them at the end.
  std::string key, extra, special;
  key.reserve(text.size() * 2 + 16);
  std::string& primary = key;
  Column diacritic, cases;
  int elements = 0;  // collation elements so far: where a word-sort weight stands
  const LocaleWeights locale = WeightsOf(lcid);
  for (size_t i = 0, used = 1; i < text.size(); i += used) {
    Weights w;
    used = 1;
    if (!LookupContraction(locale, text.substr(i), w, used) && !Lookup(locale, text[i], w))
      continue;
    if (w.elements > 0 || !w.primary.empty()) {
      primary += w.primary;
      if (w.step != 0) {
        const size_t at = primary.size() - 2;
        const unsigned v = (static_cast<unsigned char>(primary[at]) << 8 |
                            static_cast<unsigned char>(primary[at + 1])) + w.step;
        primary[at] = static_cast<char>(v >> 8 & 0xFF);
        primary[at + 1] = static_cast<char>(v & 0xFF);
      }
      diacritic.Add(w.diacritic, w.elements, 0);
      cases.Add(w.cases, w.elements, ignoreCase ? kCaseBits : 0);
    } else if (!w.diacritic.empty()) {
      // A mark without a weight of its own accents what stands before it
      // (hyphens and the like in between do not count); the weights add up.
      if (diacritic.Empty()) diacritic.Add(w.diacritic, 0, 0);
      else diacritic.AddToLast(static_cast<unsigned char>(w.diacritic[0]));
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
      special += static_cast<char>(static_cast<unsigned char>(s[3]) &
                                   ~(ignoreCase ? kSpecialCaseBits : 0));
    }
    elements += w.elements;
  }
  if (std::binary_search(std::begin(kReversedDiacritics), std::end(kReversedDiacritics), lcid))
    diacritic.Reverse();
  for (const std::string* section :
       {&diacritic.Trimmed(), &cases.Trimmed(), &std::as_const(extra)}) {
    key += kSeparator;
    key += *section;
  }
  key += kSeparator;
  key += special;
  key += '\0';
  return key;
}

}  // namespace dz::win::detail::sortkey
