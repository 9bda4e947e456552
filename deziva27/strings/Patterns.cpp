#include "deziva27/strings/Patterns.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "deziva27/host/runtime/detail/Icu.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/strings/CharClasses.h"

namespace dz {
namespace {

// Membership in a symbol set: a bit table for the first 256 codes, a linear
// look at the set only for wider code units, which symbol sets rarely hold.
template <class Ch>
class SymbolSet {
 public:
  explicit SymbolSet(std::basic_string_view<Ch> symbols) : FSymbols(symbols) {
    for (Ch c : symbols) {
      auto u = static_cast<std::make_unsigned_t<Ch>>(c);
      if (u < 256) FLow[u >> 6] |= uint64_t{1} << (u & 63);
    }
  }
  bool Has(Ch c) const {
    auto u = static_cast<std::make_unsigned_t<Ch>>(c);
    if (u < 256) return (FLow[u >> 6] >> (u & 63)) & 1;
    return FSymbols.find(c) != std::basic_string_view<Ch>::npos;
  }

 private:
  std::basic_string_view<Ch> FSymbols;
  std::array<uint64_t, 4> FLow{};
};

template <class Ch>
bool EqualToSymbolsImpl(std::basic_string_view<Ch> a, std::basic_string_view<Ch> b,
                        std::basic_string_view<Ch> symbols) {
  const SymbolSet<Ch> set(symbols);
  size_t i = 0, j = 0;
  for (;;) {
    while (i < a.size() && set.Has(a[i])) ++i;
    while (j < b.size() && set.Has(b[j])) ++j;
    const bool endA = i == a.size(), endB = j == b.size();
    if (endA || endB) return endA && endB;
    if (a[i] != b[j]) return false;
    ++i;
    ++j;
  }
}

// --- Template matching ---------------------------------------------------------
//
// The template's meaning is defined by a backtracking search: each '*' tries
// the occurrences of the literal run after it in turn and matches the rest of
// the template afresh behind each one. Seen as a whole that search asks
// whether some choice of stretches exists, so it can be answered without
// backtracking once three properties of it are pulled out:
//  - a '*' followed by '*' or '?' (other than the template "*") makes every
//    path fail, whatever the text;
//  - '?' past the end of the text matches nothing, which only lets the
//    template finish when nothing but '?'s and one final '*' remain. So the
//    template is a head H (empty, or ending in a literal) and a tail of m '?'s
//    and maybe a '*': the text fits when H matches a prefix of length x with
//    n - m <= x <= n (no final '*') or any x <= n (final '*');
//  - inside H every '*' is followed by a non-empty segment (literals and
//    '?'s, '?' taking exactly one character). Placing the segments between
//    stars at their leftmost occurrences leaves the most room for the rest,
//    so only the last segment's end has to be chosen, within the range above.

// How two characters are compared: exactly, or with ASCII letters folded.
// The folded form serves caseless matching of ASCII text, where lower-casing
// both strings first would give the same answer at the price of two copies.
struct Exact {
  template <class Ch>
  static bool Same(Ch a, Ch b) {
    return a == b;
  }
  template <class Ch>
  static size_t Find(std::basic_string_view<Ch> text, std::basic_string_view<Ch> lit, size_t from) {
    return text.find(lit, from);
  }
};

struct AsciiFold {
  template <class Ch>
  static Ch Low(Ch c) {
    return c >= Ch('A') && c <= Ch('Z') ? Ch(c + 32) : c;
  }
  template <class Ch>
  static bool Same(Ch a, Ch b) {
    return Low(a) == Low(b);
  }
  template <class Ch>
  static size_t Find(std::basic_string_view<Ch> text, std::basic_string_view<Ch> lit, size_t from) {
    if (lit.empty()) return from <= text.size() ? from : std::basic_string_view<Ch>::npos;
    const Ch first = Low(lit[0]);
    for (size_t at = from; at < text.size() && lit.size() <= text.size() - at; ++at) {
      if (Low(text[at]) != first) continue;
      size_t k = 1;
      while (k < lit.size() && Same(text[at + k], lit[k])) ++k;
      if (k == lit.size()) return at;
    }
    return std::basic_string_view<Ch>::npos;
  }
};

template <class Eq, class Ch>
bool SegmentAt(std::basic_string_view<Ch> text, size_t at, std::basic_string_view<Ch> seg) {
  if (at > text.size() || seg.size() > text.size() - at) return false;
  for (size_t k = 0; k < seg.size(); ++k)
    if (seg[k] != Ch('?') && !Eq::Same(seg[k], text[at + k])) return false;
  return true;
}

// Leftmost start at or after from where seg (which begins with a literal)
// matches; npos when none. The literal head is searched for, then the
// remainder is checked in place.
template <class Eq, class Ch>
size_t FindSegment(std::basic_string_view<Ch> text, std::basic_string_view<Ch> seg, size_t from) {
  using View = std::basic_string_view<Ch>;
  const size_t q = seg.find(Ch('?'));
  if (q == View::npos) return Eq::Find(text, seg, from);
  const View head = seg.substr(0, q);
  while (from <= text.size() && seg.size() <= text.size() - from) {
    const size_t at = Eq::Find(text, head, from);
    if (at == View::npos || seg.size() > text.size() - at) return View::npos;
    if (SegmentAt<Eq>(text, at, seg)) return at;
    from = at + 1;
  }
  return View::npos;
}

template <class Eq, class Ch>
bool Fit(std::basic_string_view<Ch> text, std::basic_string_view<Ch> templ) {
  using View = std::basic_string_view<Ch>;
  constexpr Ch kStar = Ch('*'), kAny = Ch('?');
  if (templ.size() == 1 && templ[0] == kStar) return true;
  for (size_t i = 0; i + 1 < templ.size(); ++i)
    if (templ[i] == kStar && (templ[i + 1] == kStar || templ[i + 1] == kAny)) return false;

  size_t e = templ.size();
  const bool finalStar = e > 0 && templ[e - 1] == kStar;
  if (finalStar) --e;
  size_t m = 0;
  while (e > 0 && templ[e - 1] == kAny) --e, ++m;
  const View head = templ.substr(0, e);
  const size_t n = text.size();
  const size_t lo = finalStar ? 0 : (n > m ? n - m : 0);

  size_t star = head.find(kStar);
  if (star == View::npos) return head.size() >= lo && SegmentAt<Eq>(text, 0, head);
  if (!SegmentAt<Eq>(text, 0, head.substr(0, star))) return false;
  size_t pos = star;
  View rest = head.substr(star + 1);
  for (star = rest.find(kStar); star != View::npos; star = rest.find(kStar)) {
    const View seg = rest.substr(0, star);
    const size_t at = FindSegment<Eq>(text, seg, pos);
    if (at == View::npos) return false;
    pos = at + seg.size();
    rest = rest.substr(star + 1);
  }
  // rest is the last segment; it must end at some x in [max(lo, pos + len), n].
  const size_t len = rest.size();
  if (pos > n || len > n - pos) return false;
  if (finalStar) return FindSegment<Eq>(text, rest, pos) != View::npos;
  for (size_t x = std::max(lo, pos + len); x <= n; ++x)
    if (SegmentAt<Eq>(text, x - len, rest)) return true;
  return false;
}

// Eight bytes at a time: on file names this test, not the match, was most of
// the price of a caseless call.
template <class Ch>
bool IsAsciiText(std::basic_string_view<Ch> s) {
  constexpr uint64_t kHigh = sizeof(Ch) == 1 ? 0x8080808080808080u : 0xFF80FF80FF80FF80u;
  constexpr size_t kPer = 8 / sizeof(Ch);
  size_t i = 0;
  for (; i + kPer <= s.size(); i += kPer) {
    uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    if (w & kHigh) return false;
  }
  for (; i < s.size(); ++i)
    if (static_cast<std::make_unsigned_t<Ch>>(s[i]) >= 0x80) return false;
  return true;
}

// Whether lower-casing ASCII text in the system locale only folds A-Z; the
// Turkic locales map "I" to a dotless i instead. The answer is kept, tagged
// with the locale epoch, until the system locale changes: looking the locale
// up on every call cost as much as matching a file name. One word holds both,
// so a reader on another thread never pairs an epoch with a stale answer.
constinit std::atomic<uint64_t> gAsciiFold{0};  // epoch << 1 | answer; epochs start at 1

bool AsciiFoldIsLowerCase() {
  const uint64_t epoch = detail::LocaleEpoch();
  uint64_t cached = gAsciiFold.load(std::memory_order_relaxed);
  if ((cached >> 1) != epoch) {
    const char* loc = detail::CaseLocale();
    const bool plain = std::strncmp(loc, "tr", 2) != 0 && std::strncmp(loc, "az", 2) != 0;
    cached = epoch << 1 | uint64_t{plain};
    gAsciiFold.store(cached, std::memory_order_relaxed);
  }
  return cached & 1;
}

template <class Ch>
bool WholeWordAt(std::basic_string_view<Ch> text, size_t at, size_t len) {
  if (at > 0 && IsAlpha(text[at - 1])) return false;
  return at + len >= text.size() || !IsAlpha(text[at + len]);
}

}  // namespace

bool EqualToSymbols(std::string_view a, std::string_view b, std::string_view symbols) {
  return EqualToSymbolsImpl(a, b, symbols);
}
bool EqualToSymbols(std::u16string_view a, std::u16string_view b, std::u16string_view symbols) {
  return EqualToSymbolsImpl(a, b, symbols);
}
bool EqualToSpaces(std::string_view a, std::string_view b) {
  return EqualToSymbolsImpl(a, b, std::string_view(" "));
}
bool EqualToSpaces(std::u16string_view a, std::u16string_view b) {
  return EqualToSymbolsImpl(a, b, std::u16string_view(u" "));
}

bool FitToTemplate(std::string_view text, std::string_view templ, bool caseSensitive) {
  if (caseSensitive) return Fit<Exact>(text, templ);
  if (IsAsciiText(text) && IsAsciiText(templ) && AsciiFoldIsLowerCase())
    return Fit<AsciiFold>(text, templ);
  const AnsiString t = AnsiLowerCase(text), p = AnsiLowerCase(templ);
  return Fit<Exact>(std::string_view(t), std::string_view(p));
}

bool FitToTemplate(std::u16string_view text, std::u16string_view templ, bool caseSensitive) {
  if (caseSensitive) return Fit<Exact>(text, templ);
  if (IsAsciiText(text) && IsAsciiText(templ) && AsciiFoldIsLowerCase())
    return Fit<AsciiFold>(text, templ);
  const WideString t = WideLowerCase(text), p = WideLowerCase(templ);
  return Fit<Exact>(std::u16string_view(t), std::u16string_view(p));
}

bool ContainsAsWholeWord(std::string_view text, std::string_view word) {
  if (word.empty()) return false;
  const size_t at = text.find(word);
  return at != std::string_view::npos && WholeWordAt(text, at, word.size());
}

bool ContainsAsWholeWord(std::u16string_view text, std::u16string_view word) {
  // The 16-bit search finds an empty word at the first position of any
  // non-empty text, and the answer then rests on the first character alone.
  if (word.empty()) return !text.empty() && !IsAlpha(text[0]);
  const size_t at = text.find(word);
  return at != std::u16string_view::npos && WholeWordAt(text, at, word.size());
}

UnicodeString AdjustLineBreaks(std::u16string_view text) {
  const size_t n = text.size();
  size_t extra = 0;
  for (size_t i = 0; i < n; ++i) {
    if (text[i] == u'\r') {
      if (i + 1 < n && text[i + 1] == u'\n')
        ++i;
      else
        ++extra;
    } else if (text[i] == u'\n') {
      ++extra;
    }
  }
  UnicodeString r(n + extra, u'\0');
  size_t o = 0;
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      r[o++] = u'\r';
      r[o++] = u'\n';
      if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
    } else {
      r[o++] = c;
    }
  }
  return r;
}

}  // namespace dz
