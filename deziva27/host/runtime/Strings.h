// Host string functions: conversions through code pages, search, trim,
// quoting and case. Positions are 1-based, 0 means "not found". UTF-8 and
// UTF-16 convert in base/Utf.h.
//
// 8-bit strings are in the ANSI code page: the system locale's, taken from
// the environment, or the one SetAnsiCodePage chose; conversions go through
// the library's own code-page tables.
// Threads: any thread; the collators for case and comparison are cached per
// thread.
#pragma once

#include "deziva27/base/Export.h"

#include <string_view>

#include "deziva27/base/Types.h"
#include "deziva27/base/Utf.h"

namespace dz DZ_API {

// --- Conversions -----------------------------------------------------------

// ANSI code page <-> UTF-16. Characters the code page lacks become '?'.
// Empty in, empty out; EConvertError when the text cannot be converted.
UnicodeString ToUnicode(std::string_view s);
AnsiString ToAnsi(std::u16string_view s);
// The same through an explicit Windows code page (1252, 1251, 932, 65001 ...).
// 0..3 stand for the ANSI, OEM, Mac and thread code pages (base/WinDefs.h).
// An unknown code page raises EConvertError, as does a text it cannot take.
UnicodeString CodePageToUnicode(std::string_view s, uint32_t codePage);
AnsiString UnicodeToCodePage(std::u16string_view s, uint32_t codePage);

// --- Search and pieces -----------------------------------------------------

// First occurrence of sub in s at or after offset (1-based); 0 when none,
// when sub is empty or offset is below 1 or past the end.
int32_t Pos(std::string_view sub, std::string_view s, int32_t offset = 1);
int32_t Pos(std::u16string_view sub, std::u16string_view s, int32_t offset = 1);

// Copy of count characters from the 1-based index; index below 1 counts as 1,
// a count running past the end is cut there. Empty for count <= 0 or an
// index past the end.
AnsiString Copy(std::string_view s, int32_t index, int32_t count);
UnicodeString Copy(std::u16string_view s, int32_t index, int32_t count);
// Removes count characters at the 1-based index (nothing when the index is
// out of range or count <= 0; a count past the end removes the rest).
void Delete(AnsiString& s, int32_t index, int32_t count);
void Delete(UnicodeString& s, int32_t index, int32_t count);
// Inserts sub before the 1-based index (clamped to 1..length+1).
void Insert(std::string_view sub, AnsiString& s, int32_t index);
void Insert(std::u16string_view sub, UnicodeString& s, int32_t index);

// Removes codes 0..32 at both ends (or only one end).
AnsiString Trim(std::string_view s);
UnicodeString Trim(std::u16string_view s);
AnsiString TrimLeft(std::string_view s);
UnicodeString TrimLeft(std::u16string_view s);
AnsiString TrimRight(std::string_view s);
UnicodeString TrimRight(std::u16string_view s);

// s enclosed in quote with every inner quote doubled.
AnsiString AnsiQuotedStr(std::string_view s, AnsiChar quote);
UnicodeString AnsiQuotedStr(std::u16string_view s, WideChar quote);
// The inverse. p points into a NUL-terminated text; when p is null or *p is
// not the quote the result is empty and p stays. Otherwise p advances past the closing
// quote (or to the terminating NUL when the text ends first).
AnsiString AnsiExtractQuotedStr(const AnsiChar*& p, AnsiChar quote);
UnicodeString AnsiExtractQuotedStr(const WideChar*& p, WideChar quote);

// Appends the NUL-terminated source to the NUL-terminated dest; returns dest.
// dest must have room, as with the classic routine.
AnsiChar* StrCat(AnsiChar* dest, const AnsiChar* source);
// Characters before the terminating NUL; s must not be null.
size_t StrLen(const AnsiChar* s);
size_t StrLen(const WideChar* s);

// --- Case ---------------------------------------------------------------------

// ASCII letters only; every other character is kept as it is.
AnsiString UpperCase(std::string_view s);
UnicodeString UpperCase(std::u16string_view s);
AnsiString LowerCase(std::string_view s);
UnicodeString LowerCase(std::u16string_view s);
// Difference of the first mismatching characters after ASCII upper-casing,
// else the difference of the lengths: 0 means equal.
int32_t CompareText(std::string_view a, std::string_view b);
int32_t CompareText(std::u16string_view a, std::u16string_view b);
// The same without upper-casing: ordinal, by unsigned code unit.
int32_t CompareStr(std::string_view a, std::string_view b);
int32_t CompareStr(std::u16string_view a, std::u16string_view b);
// CompareText(a, b) == 0.
bool SameText(std::u16string_view a, std::u16string_view b);

// Full Unicode case mapping in the system locale (the length may change:
// "ß" upper-cases to "SS"; Turkish and Azeri locales map i and I to their
// dotted and dotless forms). The 8-bit forms go through the ANSI code page.
// Ansi* and Wide* on 16-bit text are the same routine under both names.
AnsiString AnsiUpperCase(std::string_view s);
AnsiString AnsiLowerCase(std::string_view s);
UnicodeString AnsiUpperCase(std::u16string_view s);
UnicodeString AnsiLowerCase(std::u16string_view s);
WideString WideUpperCase(std::u16string_view s);
WideString WideLowerCase(std::u16string_view s);
// Locale-aware comparison that ignores case (not accents): -1, 0 or 1.
int32_t AnsiCompareText(std::string_view a, std::string_view b);
int32_t AnsiCompareText(std::u16string_view a, std::u16string_view b);
int32_t WideCompareText(std::u16string_view a, std::u16string_view b);
// Locale-aware comparison with case: -1, 0 or 1.
int32_t AnsiCompareStr(std::u16string_view a, std::u16string_view b);

}  // namespace dz
