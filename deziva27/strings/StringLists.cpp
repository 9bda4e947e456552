#include "deziva27/strings/StringLists.h"

#include <algorithm>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/strings/Quoting.h"

namespace dz {
namespace {

template <class Item, class View, class Equal>
bool InList(View s, const Item* items, size_t count, Equal equal) {
  return std::any_of(items, items + count, [&](const Item& item) { return equal(s, View(item)); });
}

bool AsciiEqual(std::u16string_view a, std::u16string_view b) {
  return CompareText(a, b) == 0;
}
bool AnsiEqual(std::string_view a, std::string_view b) {
  return AnsiCompareText(a, b) == 0;
}
bool WideEqual(std::u16string_view a, std::u16string_view b) {
  return WideCompareText(a, b) == 0;
}

template <class Str, class View>
void SplitAt(size_t at, size_t sepLen, View text, Str& name, Str& value) {
  if (at == View::npos) {
    name = Str(text);
    value.clear();
  } else {
    name = Str(text.substr(0, at));
    value = Str(text.substr(at + sepLen));
  }
}

}  // namespace

UnicodeString DelimitedText(const TStrings& list, WideChar delimiter, WideChar quote) {
  UnicodeString r;
  for (int32_t i = 0, n = list.Count(); i < n; ++i) {
    if (i > 0) r.push_back(delimiter);
    r += QuotedString(list.Strings(i), quote);
  }
  return r;
}

void ComposeText(std::u16string_view text, WideChar delimiter, WideChar quote, TStrings& list) {
  list.Clear();
  if (Trim(text).empty()) return;
  auto add = [&](size_t from, size_t to) {
    list.Add(UnquotedString(Trim(text.substr(from, to - from)), quote));
  };
  bool inside = false;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    // Both tests look at every character, the flip first: a delimiter that is
    // also the quote ends an item each time it closes a quoted stretch.
    if (text[i] == quote) inside = !inside;
    if (text[i] == delimiter && !inside) {
      add(start, i);
      start = i + 1;
    }
  }
  add(start, text.size());
}

void ComposeCommaText(std::u16string_view text, TStrings& list) {
  ComposeText(text, u',', u'"', list);
}

int32_t IndexOfString(const TStrings& list, std::u16string_view s) {
  for (int32_t i = 0, n = list.Count(); i < n; ++i)
    if (CompareText(list.Strings(i), s) == 0) return i;
  return -1;
}

void InsertToStrings(TStrings& list, int32_t line, int32_t position, std::u16string_view s) {
  UnicodeString item = list.Strings(line);
  Insert(s, item, position);
  list.SetStrings(line, item);
}

void DeleteFromStrings(TStrings& list, int32_t line1, int32_t col1, int32_t line2, int32_t col2) {
  if (line2 < line1) return;
  // Copies: a TStrings may hand out a buffer that its next read reuses.
  const UnicodeString first = list.Strings(line1);
  const UnicodeString last = list.Strings(line2);
  UnicodeString joined = Copy(first, 1, col1 - 1);
  if (col2 < 1) col2 = 1;
  if (static_cast<size_t>(col2) <= last.size()) joined.append(last, static_cast<size_t>(col2 - 1));
  list.SetStrings(line1, joined);
  for (int32_t k = line1; k < line2; ++k) list.Delete(line1 + 1);
}

void GetNameAndValueSep(std::string_view separator, std::string_view text, AnsiString& name,
                        AnsiString& value) {
  const size_t at = separator.empty() ? std::string_view::npos : text.find(separator);
  SplitAt(at, separator.size(), text, name, value);
}

void GetNameAndValueSep(std::u16string_view separator, std::u16string_view text,
                        UnicodeString& name, UnicodeString& value) {
  // The 16-bit search matches an empty separator at the first position of a
  // non-empty text; std::u16string_view::find agrees, and in an empty text
  // both cases give an empty name and value.
  SplitAt(text.find(separator), separator.size(), text, name, value);
}

void GetNameAndValue(std::string_view text, AnsiString& name, AnsiString& value) {
  GetNameAndValueSep(std::string_view("="), text, name, value);
}

void GetNameAndValue(std::u16string_view text, UnicodeString& name, UnicodeString& value) {
  GetNameAndValueSep(std::u16string_view(u"="), text, name, value);
}

std::pair<AnsiString, AnsiString> GetNameAndValueSep(std::string_view separator,
                                                     std::string_view text) {
  std::pair<AnsiString, AnsiString> r;
  GetNameAndValueSep(separator, text, r.first, r.second);
  return r;
}

std::pair<UnicodeString, UnicodeString> GetNameAndValueSep(std::u16string_view separator,
                                                           std::u16string_view text) {
  std::pair<UnicodeString, UnicodeString> r;
  GetNameAndValueSep(separator, text, r.first, r.second);
  return r;
}

std::pair<AnsiString, AnsiString> GetNameAndValue(std::string_view text) {
  return GetNameAndValueSep(std::string_view("="), text);
}

std::pair<UnicodeString, UnicodeString> GetNameAndValue(std::u16string_view text) {
  return GetNameAndValueSep(std::u16string_view(u"="), text);
}

bool StrInList(std::u16string_view s, std::span<const UnicodeString> items) {
  return InList(s, items.data(), items.size(), AsciiEqual);
}
bool StrInList(std::u16string_view s, std::initializer_list<std::u16string_view> items) {
  return InList(s, items.begin(), items.size(), AsciiEqual);
}
bool StrInListA(std::string_view s, std::span<const AnsiString> items) {
  return InList(s, items.data(), items.size(), AnsiEqual);
}
bool StrInListA(std::string_view s, std::initializer_list<std::string_view> items) {
  return InList(s, items.begin(), items.size(), AnsiEqual);
}
bool StrInListW(std::u16string_view s, std::span<const UnicodeString> items) {
  return InList(s, items.data(), items.size(), WideEqual);
}
bool StrInListW(std::u16string_view s, std::initializer_list<std::u16string_view> items) {
  return InList(s, items.begin(), items.size(), WideEqual);
}

AnsiChar* StrPCat(AnsiChar* dest, const AnsiString& s) {
  return StrCat(dest, s.c_str());
}

void ClearPChar(AnsiChar* buf, Word count) {
  std::fill_n(buf, count, AnsiChar(0));
}
void ClearPChar(WideChar* buf, Word count) {
  std::fill_n(buf, count, WideChar(0));
}

}  // namespace dz
