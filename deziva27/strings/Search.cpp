#include "deziva27/strings/Search.h"

#include <algorithm>
#include <vector>

#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

template <class View>
using StrOf = std::basic_string<typename View::value_type>;

AnsiString Lower(std::string_view s) {
  return AnsiLowerCase(s);
}
UnicodeString Lower(std::u16string_view s) {
  return WideLowerCase(s);
}

// Length of the character that starts at s[i]: a surrogate pair counts as
// one; an 8-bit character is one byte.
size_t CharLen(std::string_view, size_t) {
  return 1;
}
size_t CharLen(std::u16string_view s, size_t i) {
  bool pair = s[i] >= 0xD800 && s[i] <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
              s[i + 1] <= 0xDFFF;
  return pair ? 2 : 1;
}

// A lower-cased text with the way back to the one given. Nearly always the
// fold keeps the length and positions are shared (the maps stay empty);
// otherwise each character is folded on its own and every folded unit
// remembers the span of the character it came from.
template <class View>
struct Folded {
  StrOf<View> text;
  std::vector<uint32_t> from, to;  // per folded unit: [from, to) in the original

  explicit Folded(View s) : text(Lower(s)) {
    if (text.size() == s.size()) return;
    text.clear();
    for (size_t i = 0; i < s.size();) {
      size_t k = i + CharLen(s, i);
      StrOf<View> piece = Lower(s.substr(i, k - i));
      for (auto c : piece) {
        text.push_back(c);
        from.push_back(static_cast<uint32_t>(i));
        to.push_back(static_cast<uint32_t>(k));
      }
      i = k;
    }
  }
  bool Same() const { return from.empty(); }
  // Original index where folded unit f starts (f may be text.size()).
  size_t Begin(size_t f, size_t originalSize) const {
    if (Same()) return f;
    return f < from.size() ? from[f] : originalSize;
  }
  // Original index just past the character that folded unit f - 1 came from.
  size_t End(size_t f) const { return Same() ? f : to[f - 1]; }
  // First folded unit of the original index i.
  size_t FoldedIndex(size_t i) const {
    if (Same()) return i;
    return static_cast<size_t>(std::lower_bound(from.begin(), from.end(), i) - from.begin());
  }
};

template <class View>
int32_t XPosImpl(View sub, View text, int32_t start, int32_t occurrence) {
  if (text.empty() || sub.empty() || start > static_cast<int32_t>(text.size()) || occurrence < 1)
    return 0;
  size_t from = start < 1 ? 0 : static_cast<size_t>(start - 1);
  for (int32_t count = 0;; ++from) {
    from = text.find(sub, from);
    if (from == View::npos) return 0;
    if (++count == occurrence) return static_cast<int32_t>(from + 1);
  }
}

template <class View>
int32_t BackFrom(View sub, View text, int32_t first, int32_t occurrence) {
  if (text.empty() || sub.empty() || first < 1 || occurrence < 1) return 0;
  size_t from = static_cast<size_t>(first - 1);
  for (int32_t count = 0;; --from) {
    from = text.rfind(sub, from);
    if (from == View::npos) return 0;
    if (++count == occurrence) return static_cast<int32_t>(from + 1);
    if (from == 0) return 0;
  }
}

int32_t LastFit(size_t sub, size_t text) {
  return static_cast<int32_t>(text) - static_cast<int32_t>(sub) + 1;
}

// The library's own 16-bit first-occurrence search: an empty substring is
// found at 1 of any non-empty text.
int32_t OwnPos(std::u16string_view sub, std::u16string_view text) {
  if (text.empty()) return 0;
  size_t p = text.find(sub);
  return p == std::u16string_view::npos ? 0 : static_cast<int32_t>(p + 1);
}

template <class View>
int32_t CXPosImpl(View sub, View text, int32_t start, int32_t occurrence) {
  if (text.empty() || sub.empty() || start > static_cast<int32_t>(text.size()) || occurrence < 1)
    return 0;
  Folded<View> t(text);
  StrOf<View> s = Lower(sub);
  size_t f0 = t.FoldedIndex(start < 1 ? 0 : static_cast<size_t>(start - 1));
  int32_t p = XPosImpl<View>(s, t.text, static_cast<int32_t>(f0 + 1), occurrence);
  return p == 0 ? 0 : static_cast<int32_t>(t.Begin(static_cast<size_t>(p - 1), text.size()) + 1);
}

template <class View>
StrOf<View> Replace(View text, View oldPattern, View newPattern, bool caseSensitive) {
  if (oldPattern.empty()) return StrOf<View>(text);
  // Sized for the common case of a replacement no longer than what it
  // replaces, so that a large text is not copied again by every growth step.
  StrOf<View> r;
  r.reserve(text.size());
  if (caseSensitive) {
    size_t q = 0;
    for (size_t p; (p = text.find(oldPattern, q)) != View::npos; q = p + oldPattern.size()) {
      r.append(text, q, p - q);
      r.append(newPattern);
    }
    r.append(text, q);
    return r;
  }
  Folded<View> t(text);
  StrOf<View> o = Lower(oldPattern);
  View folded(t.text);
  size_t q = 0;  // in the given text
  for (size_t f = 0, p; (p = folded.find(o, f)) != View::npos; f = p + o.size()) {
    // A match may begin inside a character the previous one already ended
    // in, when one character folds to several units; nothing is kept twice.
    size_t b = std::max(t.Begin(p, text.size()), q);
    r.append(text, q, b - q);
    r.append(newPattern);
    q = std::max(t.End(p + o.size()), q);
  }
  r.append(text, q);
  return r;
}

template <class View>
StrOf<View> Erase(View text, typename View::value_type c) {
  StrOf<View> r;
  r.reserve(text.size());
  for (auto ch : text)
    if (ch != c) r.push_back(ch);
  return r;
}

template <class View>
StrOf<View> Before(View text, int32_t p) {
  if (p == 0) return StrOf<View>(text);
  return Trim(text.substr(0, static_cast<size_t>(p - 1)));
}

template <class View>
StrOf<View> After(View separator, View text, int32_t p) {
  if (p == 0) return StrOf<View>(text);
  return Trim(text.substr(static_cast<size_t>(p - 1) + separator.size()));
}

}  // namespace

int32_t XPos(std::string_view sub, std::string_view text, int32_t start, int32_t occurrence) {
  return XPosImpl(sub, text, start, occurrence);
}
int32_t XPos(std::u16string_view sub, std::u16string_view text, int32_t start, int32_t occurrence) {
  return XPosImpl(sub, text, start, occurrence);
}

int32_t BXPos(std::string_view sub, std::string_view text, int32_t start, int32_t occurrence) {
  const int32_t len = static_cast<int32_t>(text.size());
  int32_t first = start >= 1 && start <= len - 1 ? start : LastFit(sub.size(), text.size());
  return BackFrom(sub, text, first, occurrence);
}
int32_t BXPos(std::u16string_view sub, std::u16string_view text, int32_t start,
              int32_t occurrence) {
  const int32_t len = static_cast<int32_t>(text.size());
  if (start == 0 || start < -1) return 0;
  int32_t first = start == -1 || start >= len ? LastFit(sub.size(), text.size()) : start;
  return BackFrom(sub, text, first, occurrence);
}

int32_t PosNum(std::string_view sub, std::string_view text, int32_t occurrence) {
  return XPosImpl(sub, text, 1, occurrence);
}
int32_t PosNum(std::u16string_view sub, std::u16string_view text, int32_t occurrence) {
  return XPosImpl(sub, text, 1, occurrence);
}

int32_t CXPos(std::string_view sub, std::string_view text, int32_t start, int32_t occurrence) {
  return CXPosImpl(sub, text, start, occurrence);
}
int32_t CXPos(std::u16string_view sub, std::u16string_view text, int32_t start,
              int32_t occurrence) {
  return CXPosImpl(sub, text, start, occurrence);
}

int32_t CPos(std::string_view sub, std::string_view text) {
  if (sub.empty() || text.empty()) return 0;
  Folded<std::string_view> t(text);
  int32_t p = Pos(Lower(sub), t.text);
  return p == 0 ? 0 : static_cast<int32_t>(t.Begin(static_cast<size_t>(p - 1), text.size()) + 1);
}
int32_t CPos(std::u16string_view sub, std::u16string_view text) {
  if (text.empty()) return 0;
  if (sub.empty()) return 1;
  Folded<std::u16string_view> t(text);
  int32_t p = OwnPos(Lower(sub), t.text);
  return p == 0 ? 0 : static_cast<int32_t>(t.Begin(static_cast<size_t>(p - 1), text.size()) + 1);
}

AnsiString ReplaceStr(std::string_view text, std::string_view oldPattern,
                      std::string_view newPattern) {
  return Replace(text, oldPattern, newPattern, true);
}
UnicodeString ReplaceStr(std::u16string_view text, std::u16string_view oldPattern,
                         std::u16string_view newPattern) {
  return Replace(text, oldPattern, newPattern, true);
}
AnsiString XReplaceStr(std::string_view text, std::string_view oldPattern,
                       std::string_view newPattern, bool caseSensitive) {
  return Replace(text, oldPattern, newPattern, caseSensitive);
}
UnicodeString XReplaceStr(std::u16string_view text, std::u16string_view oldPattern,
                          std::u16string_view newPattern, bool caseSensitive) {
  return Replace(text, oldPattern, newPattern, caseSensitive);
}

AnsiString EraseSymbol(std::string_view text, AnsiChar c) {
  return Erase(text, c);
}
UnicodeString EraseSymbol(std::u16string_view text, WideChar c) {
  return Erase(text, c);
}

AnsiString GetBeforeSep(std::string_view separator, std::string_view text) {
  return Before(text, Pos(separator, text));
}
UnicodeString GetBeforeSep(std::u16string_view separator, std::u16string_view text) {
  return Before(text, OwnPos(separator, text));
}
AnsiString GetAfterSep(std::string_view separator, std::string_view text) {
  return After(separator, text, Pos(separator, text));
}
UnicodeString GetAfterSep(std::u16string_view separator, std::u16string_view text) {
  return After(separator, text, OwnPos(separator, text));
}

bool StartsWith(std::string_view prefix, std::string_view text) {
  return text.starts_with(prefix);
}
bool StartsWith(std::u16string_view prefix, std::u16string_view text) {
  return text.starts_with(prefix);
}

bool XStartsWith(std::string_view prefix, std::string_view text, bool caseSensitive) {
  if (prefix.size() > text.size()) return false;
  if (caseSensitive) return text.starts_with(prefix);
  return std::string_view(Lower(text)).starts_with(Lower(prefix));
}
bool XStartsWith(std::u16string_view prefix, std::u16string_view text, bool caseSensitive) {
  if (prefix.size() > text.size()) return false;
  if (caseSensitive) return text.starts_with(prefix);
  return std::u16string_view(Lower(text)).starts_with(Lower(prefix));
}

bool EndsBy(std::string_view suffix, std::string_view text) {
  if (suffix.size() > text.size()) return false;
  return CompareText(text.substr(text.size() - suffix.size()), suffix) == 0;
}
bool EndsBy(std::u16string_view suffix, std::u16string_view text) {
  if (suffix.size() > text.size()) return false;
  if (suffix.empty()) return true;
  return WideCompareText(text.substr(text.size() - suffix.size()), suffix) == 0;
}

}  // namespace dz
