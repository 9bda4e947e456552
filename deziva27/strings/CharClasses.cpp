#include "deziva27/strings/CharClasses.h"

#include <optional>

#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

// Constant-initialised, so they exist before any start-up code runs. The
// optional wrapper keeps that true with standard libraries whose strings have
// no constexpr constructor (clang with libstdc++); empty means no separators.
constinit std::optional<AnsiString> gSeparatorsA;
constinit std::optional<UnicodeString> gSeparatorsW;

template <class View>
bool AllOf(View s, bool (*test)(typename View::value_type)) {
  for (auto c : s)
    if (!test(c)) return false;
  return true;
}

template <class View>
void SkipSpacesImpl(View s, int32_t& position) {
  while (position >= 1 && static_cast<size_t>(position) <= s.size() &&
         IsSpace(s[static_cast<size_t>(position - 1)]))
    ++position;
}

template <class View>
void SkipSymbolsImpl(View s, int32_t& position, View symbols) {
  while (position >= 1 && static_cast<size_t>(position) <= s.size() &&
         symbols.find(s[static_cast<size_t>(position - 1)]) != View::npos)
    ++position;
}

template <class Str>
Str GetTokenImpl(Str& s) {
  if (s.empty()) return Str();
  size_t p = 0, n = s.size();
  while (p < n && IsSpace(s[p])) ++p;
  if (p == n) {
    s.clear();
    return Str();
  }
  size_t e = p;
  if (IsSeparator(s[p])) {
    while (e < n && IsSeparator(s[e])) ++e;
  } else {
    while (e < n && !IsSpace(s[e]) && !IsSeparator(s[e])) ++e;
  }
  Str token = s.substr(p, e - p);
  s.erase(0, e);
  return token;
}

}  // namespace

namespace detail {
void YStringsStop() {
  gSeparatorsA.reset();
  gSeparatorsW.reset();
}
}  // namespace detail

void SetSeparatorList(const AnsiString& list) {
  gSeparatorsA = list;
}
void SetSeparatorList(const UnicodeString& list) {
  gSeparatorsW = list;
}
void SetSeparatorListW(const UnicodeString& list) {
  gSeparatorsW = list;
}

bool IsSeparator(AnsiChar c) {
  return gSeparatorsA && gSeparatorsA->find(c) != AnsiString::npos;
}
bool IsSeparator(WideChar c) {
  return gSeparatorsW && gSeparatorsW->find(c) != UnicodeString::npos;
}

bool IsNumber(std::string_view s) {
  return !s.empty() && AllOf<std::string_view>(s, [](char c) { return IsDigit(c); });
}
bool IsNumber(std::u16string_view s) {
  return !s.empty() && AllOf<std::u16string_view>(s, [](char16_t c) { return IsDigit(c); });
}

bool IsIntNum(std::string_view s) {
  return IsIntNum(ToUnicode(s));
}
bool IsIntNum(std::u16string_view s) {
  int32_t v;
  return TryStrToInt(s, v);
}

bool IsRealNum(std::string_view s) {
  return IsRealNum(ToUnicode(s));
}
bool IsRealNum(std::u16string_view s) {
  double v;
  return TryStrToFloat(s, v, FormatSettings());
}

bool IsIdentifier(std::string_view s) {
  return AllOf<std::string_view>(s, [](char c) { return IsAlpha(c); });
}
bool IsIdentifier(std::u16string_view s) {
  return AllOf<std::u16string_view>(s, [](char16_t c) { return IsAlpha(c); });
}

bool IsPositive(std::string_view s) {
  AnsiString low = AnsiLowerCase(s);
  for (const char* w : {"on", "yes", "True", "1"})
    if (AnsiCompareText(low, w) == 0) return true;
  return false;
}

bool IsPositive(std::u16string_view s) {
  WideString low = WideLowerCase(s);
  for (const char16_t* w : {u"on", u"yes", u"True", u"1"})
    if (WideCompareText(low, w) == 0) return true;
  return false;
}

bool AlphaExists(std::string_view s) {
  for (unsigned char c : s)
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 128) return true;
  return false;
}

bool AlphaExists(std::u16string_view s) {
  for (char16_t c : s) {
    bool punct = (c >= 32 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126);
    if (!punct) return true;
  }
  return false;
}

void SkipSpaces(std::string_view s, int32_t& position) {
  SkipSpacesImpl(s, position);
}
void SkipSpaces(std::u16string_view s, int32_t& position) {
  SkipSpacesImpl(s, position);
}
void SkipSymbols(std::string_view s, int32_t& position, std::string_view symbols) {
  SkipSymbolsImpl(s, position, symbols);
}
void SkipSymbols(std::u16string_view s, int32_t& position, std::u16string_view symbols) {
  SkipSymbolsImpl(s, position, symbols);
}

AnsiString GetToken(AnsiString& s) {
  return GetTokenImpl(s);
}
UnicodeString GetToken(UnicodeString& s) {
  return GetTokenImpl(s);
}

AnsiString GetNextPart(AnsiString& s, std::string_view separator) {
  int32_t p = Pos(separator, s);
  if (p == 0) {
    AnsiString all = std::move(s);
    s.clear();
    return all;
  }
  AnsiString part = s.substr(0, static_cast<size_t>(p - 1));
  s.erase(0, static_cast<size_t>(p - 1) + separator.size());
  return part;
}

AnsiString AnsiTrim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return AnsiString(s.substr(b, e - b));
}

}  // namespace dz
