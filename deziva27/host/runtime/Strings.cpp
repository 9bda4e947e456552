#include "deziva27/host/runtime/Strings.h"

#include <unicode/ucasemap.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>

#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/detail/Icu.h"
#include "deziva27/platform/detail/CodePages.h"
#include "deziva27/platform/detail/Nls.h"

namespace dz {
namespace {

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

bool IsAscii(std::u16string_view s) {
  for (char16_t c : s)
    if (c >= 0x80) return false;
  return true;
}

void RequireCodePage(uint32_t codePage) {
  if (codePage > CP_THREAD_ACP && !win::IsValidCodePage(codePage))
    throw EConvertError(u"Code page %d is not supported", {int64_t{codePage}});
}

template <class View>
int32_t PosImpl(View sub, View s, int32_t offset) {
  if (sub.empty() || offset < 1 || static_cast<size_t>(offset) > s.size()) return 0;
  size_t at = s.find(sub, static_cast<size_t>(offset - 1));
  return at == View::npos ? 0 : static_cast<int32_t>(at + 1);
}

template <class Str, class View>
Str CopyImpl(View s, int32_t index, int32_t count) {
  if (index < 1) index = 1;
  if (count <= 0 || static_cast<size_t>(index) > s.size()) return Str();
  return Str(s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count)));
}

template <class Str>
void DeleteImpl(Str& s, int32_t index, int32_t count) {
  if (index < 1 || count <= 0 || static_cast<size_t>(index) > s.size()) return;
  s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

template <class Str, class View>
void InsertImpl(View sub, Str& s, int32_t index) {
  size_t at = index < 1 ? 0 : std::min(static_cast<size_t>(index - 1), s.size());
  s.insert(at, sub.data(), sub.size());
}

template <class Str, class View>
Str TrimImpl(View s, bool left, bool right) {
  size_t b = 0, e = s.size();
  if (left)
    while (b < e && static_cast<uint32_t>(s[b]) <= 32) ++b;
  if (right)
    while (e > b && static_cast<uint32_t>(s[e - 1]) <= 32) --e;
  return Str(s.substr(b, e - b));
}

template <class Str, class View, class Ch>
Str QuotedImpl(View s, Ch quote) {
  Str r;
  r.reserve(s.size() + 2);
  r.push_back(quote);
  for (Ch c : s) {
    r.push_back(c);
    if (c == quote) r.push_back(quote);
  }
  r.push_back(quote);
  return r;
}

template <class Str, class Ch>
Str ExtractQuotedImpl(const Ch*& p, Ch quote) {
  Str r;
  if (p == nullptr || *p != quote) return r;
  const Ch* q = p + 1;
  for (;;) {
    if (*q == 0) break;
    if (*q == quote) {
      ++q;
      if (*q != quote) break;  // closing quote
    }
    r.push_back(*q++);
  }
  p = q;
  return r;
}

template <class Str, class View>
Str AsciiCase(View s, bool upper) {
  Str r(s);
  for (auto& c : r) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<typename Str::value_type>(c - 32);
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<typename Str::value_type>(c + 32);
  }
  return r;
}

template <class View>
int32_t CompareTextImpl(View a, View b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    uint32_t ca = static_cast<std::make_unsigned_t<typename View::value_type>>(a[i]);
    uint32_t cb = static_cast<std::make_unsigned_t<typename View::value_type>>(b[i]);
    if (ca >= 'a' && ca <= 'z') ca -= 32;
    if (cb >= 'a' && cb <= 'z') cb -= 32;
    if (ca != cb) return static_cast<int32_t>(ca) - static_cast<int32_t>(cb);
  }
  return static_cast<int32_t>(a.size()) - static_cast<int32_t>(b.size());
}

template <class View>
int32_t CompareStrImpl(View a, View b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    uint32_t ca = static_cast<std::make_unsigned_t<typename View::value_type>>(a[i]);
    uint32_t cb = static_cast<std::make_unsigned_t<typename View::value_type>>(b[i]);
    if (ca != cb) return static_cast<int32_t>(ca) - static_cast<int32_t>(cb);
  }
  return static_cast<int32_t>(a.size()) - static_cast<int32_t>(b.size());
}

// Turkish and Azeri map i and I to dotted and dotless forms, so plain ASCII
// folding is only a shortcut elsewhere.
bool AsciiCaseIsPlain() {
  const char* loc = detail::CaseLocale();
  return !(std::strncmp(loc, "tr", 2) == 0 || std::strncmp(loc, "az", 2) == 0);
}

// Full case mapping through ICU in the system locale.
UnicodeString MapCase(std::u16string_view s, bool upper) {
  if (s.empty()) return {};
  if (IsAscii(s) && AsciiCaseIsPlain()) return AsciiCase<UnicodeString>(s, upper);
  UnicodeString r(s.size() + 8, u'\0');
  for (int pass = 0; pass < 2; ++pass) {
    UErrorCode err = U_ZERO_ERROR;
    auto fn = upper ? u_strToUpper : u_strToLower;
    int32_t n = fn(reinterpret_cast<UChar*>(r.data()), static_cast<int32_t>(r.size()),
                   reinterpret_cast<const UChar*>(s.data()), static_cast<int32_t>(s.size()),
                   detail::CaseLocale(), &err);
    if (err == U_BUFFER_OVERFLOW_ERROR) {
      r.assign(static_cast<size_t>(n), u'\0');
      continue;
    }
    if (U_FAILURE(err)) throw EConvertError(u"Case mapping failed");
    r.resize(static_cast<size_t>(n));
    return r;
  }
  return r;
}

int32_t Collate(UCollator* coll, std::u16string_view a, std::u16string_view b) {
  UCollationResult r =
      ucol_strcoll(coll, reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                   reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()));
  return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

}  // namespace

// --- Conversions -----------------------------------------------------------

// Through the code-page calls, as the classic runtime converts: no page
// gives more units than bytes, so one call into a buffer of that size does.
UnicodeString CodePageToUnicode(std::string_view s, uint32_t codePage) {
  if (s.empty()) return {};
  RequireCodePage(codePage);
  if (codePage != CP_UTF7 && IsAscii(s))
    return AsciiToUnicode(s);  // ASCII is itself everywhere else
  if (s.size() > 0x7FFFFFFF) throw EConvertError(u"Text too long to convert");
  UnicodeString r(s.size(), u'\0');
  const int n = win::MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()),
                                         r.data(), static_cast<int>(r.size()));
  if (n == 0)
    throw EConvertError(u"Text cannot be converted from code page %d", {int64_t{codePage}});
  r.resize(static_cast<size_t>(n));
  return r;
}

AnsiString UnicodeToCodePage(std::u16string_view s, uint32_t codePage) {
  if (s.empty()) return {};
  RequireCodePage(codePage);
  if (codePage != CP_UTF7 && IsAscii(s)) return AnsiString(s.begin(), s.end());
  if (s.size() > 0x7FFFFFFF) throw EConvertError(u"Text too long to convert");
  const int len = static_cast<int>(s.size());
  const int n = win::WideCharToMultiByte(codePage, 0, s.data(), len, nullptr, 0);
  AnsiString r(static_cast<size_t>(n), '\0');
  if (n == 0 || win::WideCharToMultiByte(codePage, 0, s.data(), len, r.data(), n) != n)
    throw EConvertError(u"Text cannot be converted to code page %d", {int64_t{codePage}});
  return r;
}

UnicodeString ToUnicode(std::string_view s) {
  return CodePageToUnicode(s, win::GetACP());
}
AnsiString ToAnsi(std::u16string_view s) {
  return UnicodeToCodePage(s, win::GetACP());
}


// --- Search and pieces -----------------------------------------------------

int32_t Pos(std::string_view sub, std::string_view s, int32_t offset) {
  return PosImpl(sub, s, offset);
}
int32_t Pos(std::u16string_view sub, std::u16string_view s, int32_t offset) {
  return PosImpl(sub, s, offset);
}

AnsiString Copy(std::string_view s, int32_t index, int32_t count) {
  return CopyImpl<AnsiString>(s, index, count);
}
UnicodeString Copy(std::u16string_view s, int32_t index, int32_t count) {
  return CopyImpl<UnicodeString>(s, index, count);
}
void Delete(AnsiString& s, int32_t index, int32_t count) {
  DeleteImpl(s, index, count);
}
void Delete(UnicodeString& s, int32_t index, int32_t count) {
  DeleteImpl(s, index, count);
}
void Insert(std::string_view sub, AnsiString& s, int32_t index) {
  InsertImpl(sub, s, index);
}
void Insert(std::u16string_view sub, UnicodeString& s, int32_t index) {
  InsertImpl(sub, s, index);
}

AnsiString Trim(std::string_view s) {
  return TrimImpl<AnsiString>(s, true, true);
}
UnicodeString Trim(std::u16string_view s) {
  return TrimImpl<UnicodeString>(s, true, true);
}
AnsiString TrimLeft(std::string_view s) {
  return TrimImpl<AnsiString>(s, true, false);
}
UnicodeString TrimLeft(std::u16string_view s) {
  return TrimImpl<UnicodeString>(s, true, false);
}
AnsiString TrimRight(std::string_view s) {
  return TrimImpl<AnsiString>(s, false, true);
}
UnicodeString TrimRight(std::u16string_view s) {
  return TrimImpl<UnicodeString>(s, false, true);
}

AnsiString AnsiQuotedStr(std::string_view s, AnsiChar quote) {
  return QuotedImpl<AnsiString>(s, quote);
}
UnicodeString AnsiQuotedStr(std::u16string_view s, WideChar quote) {
  return QuotedImpl<UnicodeString>(s, quote);
}
AnsiString AnsiExtractQuotedStr(const AnsiChar*& p, AnsiChar quote) {
  return ExtractQuotedImpl<AnsiString>(p, quote);
}
UnicodeString AnsiExtractQuotedStr(const WideChar*& p, WideChar quote) {
  return ExtractQuotedImpl<UnicodeString>(p, quote);
}

AnsiChar* StrCat(AnsiChar* dest, const AnsiChar* source) {
  std::strcpy(dest + std::strlen(dest), source);
  return dest;
}
size_t StrLen(const AnsiChar* s) {
  return std::strlen(s);
}
size_t StrLen(const WideChar* s) {
  return std::char_traits<char16_t>::length(s);
}

// --- Case ---------------------------------------------------------------------

AnsiString UpperCase(std::string_view s) {
  return AsciiCase<AnsiString>(s, true);
}
UnicodeString UpperCase(std::u16string_view s) {
  return AsciiCase<UnicodeString>(s, true);
}
AnsiString LowerCase(std::string_view s) {
  return AsciiCase<AnsiString>(s, false);
}
UnicodeString LowerCase(std::u16string_view s) {
  return AsciiCase<UnicodeString>(s, false);
}
int32_t CompareText(std::string_view a, std::string_view b) {
  return CompareTextImpl(a, b);
}
int32_t CompareText(std::u16string_view a, std::u16string_view b) {
  return CompareTextImpl(a, b);
}
int32_t CompareStr(std::string_view a, std::string_view b) {
  return CompareStrImpl(a, b);
}
int32_t CompareStr(std::u16string_view a, std::u16string_view b) {
  return CompareStrImpl(a, b);
}
bool SameText(std::u16string_view a, std::u16string_view b) {
  return CompareTextImpl(a, b) == 0;
}

AnsiString AnsiUpperCase(std::string_view s) {
  if (IsAscii(s) && AsciiCaseIsPlain()) return AsciiCase<AnsiString>(s, true);
  return ToAnsi(MapCase(ToUnicode(s), true));
}
AnsiString AnsiLowerCase(std::string_view s) {
  if (IsAscii(s) && AsciiCaseIsPlain()) return AsciiCase<AnsiString>(s, false);
  return ToAnsi(MapCase(ToUnicode(s), false));
}
UnicodeString AnsiUpperCase(std::u16string_view s) {
  return MapCase(s, true);
}
UnicodeString AnsiLowerCase(std::u16string_view s) {
  return MapCase(s, false);
}
WideString WideUpperCase(std::u16string_view s) {
  return MapCase(s, true);
}
WideString WideLowerCase(std::u16string_view s) {
  return MapCase(s, false);
}

int32_t AnsiCompareText(std::string_view a, std::string_view b) {
  return Collate(detail::CaselessCollator(), ToUnicode(a), ToUnicode(b));
}
int32_t AnsiCompareText(std::u16string_view a, std::u16string_view b) {
  return Collate(detail::CaselessCollator(), a, b);
}
int32_t WideCompareText(std::u16string_view a, std::u16string_view b) {
  return Collate(detail::CaselessCollator(), a, b);
}
int32_t AnsiCompareStr(std::u16string_view a, std::u16string_view b) {
  return Collate(detail::CaseCollator(), a, b);
}

}  // namespace dz
