#include "deziva27/strings/Paths.h"

#include <algorithm>

#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

template <class View>
using StrOf = std::basic_string<typename View::value_type>;

size_t Count(int32_t n) {
  return n < 1 ? 0 : static_cast<size_t>(n);
}

template <class View>
StrOf<View> Pad(View s, int32_t width, typename View::value_type c, bool left) {
  size_t w = Count(width);
  View kept = s.substr(0, w);
  StrOf<View> r;
  r.reserve(w);
  if (left) r.append(w - kept.size(), c);
  r.append(kept);
  if (!left) r.append(w - kept.size(), c);
  return r;
}

template <class View>
StrOf<View> WithoutExtension(View name) {
  size_t last = name.rfind('\\');
  size_t component = last == View::npos ? 0 : last + 1;
  size_t dot = name.find('.', component);
  return StrOf<View>(name.substr(0, dot));
}

template <class View>
StrOf<View> Extension(View name) {
  size_t dot = name.find('.');
  return dot == View::npos ? StrOf<View>() : StrOf<View>(name.substr(dot));
}

template <class View>
StrOf<View> Join(View a, View sep, View b) {
  StrOf<View> r;
  r.reserve(a.size() + sep.size() + b.size());
  r.append(a).append(sep).append(b);
  return r;
}

template <class View>
StrOf<View> Names(View first, View second) {
  if (first.empty()) return StrOf<View>(second);
  if (second.empty()) return StrOf<View>(first);
  StrOf<View> r(first);
  r.push_back('.');
  r.append(second);
  return r;
}

}  // namespace

AnsiString SpaceA(int32_t n) {
  return AnsiString(Count(n), ' ');
}
UnicodeString SpaceW(int32_t n) {
  return UnicodeString(Count(n), u' ');
}
AnsiString Replicate(AnsiChar c, int32_t n) {
  return AnsiString(Count(n), c);
}
UnicodeString Replicate(WideChar c, int32_t n) {
  return UnicodeString(Count(n), c);
}

AnsiString ReplicateStr(std::string_view s, int32_t n) {
  AnsiString r;
  r.reserve(s.size() * Count(n));
  for (size_t i = Count(n); i > 0; --i) r.append(s);
  return r;
}

UnicodeString ConcatWChar(std::u16string_view s, WideChar c) {
  UnicodeString r(s);
  r.push_back(c);
  return r;
}

AnsiString Padr(std::string_view s, int32_t width, AnsiChar c) {
  return Pad(s, width, c, false);
}
UnicodeString Padr(std::u16string_view s, int32_t width, WideChar c) {
  return Pad(s, width, c, false);
}
AnsiString Padl(std::string_view s, int32_t width, AnsiChar c) {
  return Pad(s, width, c, true);
}
UnicodeString Padl(std::u16string_view s, int32_t width, WideChar c) {
  return Pad(s, width, c, true);
}

AnsiString CapitalizeFirst(std::string_view s) {
  AnsiString low = AnsiLowerCase(s);
  if (low.empty()) return low;
  return AnsiUpperCase(std::string_view(low).substr(0, 1)) + low.substr(1);
}

UnicodeString CapitalizeFirst(std::u16string_view s) {
  UnicodeString low = WideLowerCase(s);
  if (low.empty()) return low;
  size_t first = 1;
  if (low[0] >= 0xD800 && low[0] <= 0xDBFF && low.size() > 1 && low[1] >= 0xDC00 &&
      low[1] <= 0xDFFF)
    first = 2;
  return AnsiUpperCase(std::u16string_view(low).substr(0, first)) + low.substr(first);
}

int32_t CharCount(std::string_view s, AnsiChar c) {
  return static_cast<int32_t>(std::count(s.begin(), s.end(), c));
}
int32_t CharCount(std::u16string_view s, WideChar c) {
  return static_cast<int32_t>(std::count(s.begin(), s.end(), c));
}

AnsiString OnlyFileName(std::string_view name) {
  return WithoutExtension(name);
}
UnicodeString OnlyFileName(std::u16string_view name) {
  return WithoutExtension(name);
}
AnsiString YChangeFileExt(std::string_view name, std::string_view extension) {
  return WithoutExtension(name).append(extension);
}
UnicodeString YChangeFileExt(std::u16string_view name, std::u16string_view extension) {
  return WithoutExtension(name).append(extension);
}
AnsiString YExtractFileExt(std::string_view name) {
  return Extension(name);
}
UnicodeString YExtractFileExt(std::u16string_view name) {
  return Extension(name);
}

AnsiString FixPath(std::string_view path) {
  AnsiString r(path);
  if (!r.empty() && r.back() != '\\') r.push_back('\\');
  return r;
}
UnicodeString FixPath(std::u16string_view path) {
  UnicodeString r(path);
  if (!r.empty() && r.back() != u'\\') r.push_back(u'\\');
  return r;
}

AnsiString XConcPath(std::string_view first, std::string_view second, std::string_view separator) {
  if (first.empty()) return AnsiString(second);
  if (second.empty()) return AnsiString(first);
  // A character equals the separator string only when that is one character.
  auto isSep = [separator](char c) { return separator.size() == 1 && separator[0] == c; };
  bool ends = isSep(first.back()), starts = isSep(second.front());
  if (ends && starts) return Join(first, std::string_view(), second.substr(1));
  if (ends || starts) return Join(first, std::string_view(), second);
  return Join(first, separator, second);
}

UnicodeString XConcPath(std::u16string_view first, std::u16string_view second,
                        std::u16string_view separator) {
  if (first.empty()) return UnicodeString(second);
  if (second.empty()) return UnicodeString(first);
  if (first.back() == u'\\' || first.ends_with(separator) || second.starts_with(separator))
    return Join(first, std::u16string_view(), second);
  return Join(first, separator, second);
}

AnsiString ConcPath(std::string_view first, std::string_view second) {
  return XConcPath(first, second, "\\");
}
UnicodeString ConcPath(std::u16string_view first, std::u16string_view second) {
  bool between =
      !first.empty() && !second.empty() && first.back() != u'\\' && second.front() != u'\\';
  return Join(first, between ? std::u16string_view(u"\\") : std::u16string_view(), second);
}

AnsiString ConcNames(std::string_view first, std::string_view second) {
  return Names(first, second);
}
UnicodeString ConcNames(std::u16string_view first, std::u16string_view second) {
  return Names(first, second);
}

}  // namespace dz
