// Character classes, the separator lists, whole-string lexical tests and the
// small cutters built on them.
//
// The classes accept the same codes at both widths; a code above 127 belongs
// to none of them:
//   IsSpace     9, 10, 13, 32 (not 11, 12 or 0)
//   IsDigit     0-9
//   IsHexDigit  0-9 A-F a-f
//   IsOctDigit  0-7
//   IsAlpha     0-9 A-Z and 95..122 (underscore, backquote, a-z)
// Threads: any thread, while none sets the separator lists (set them before threads start).
#pragma once

#include "deziva27/base/Export.h"

#include <string_view>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// --- Separator lists ---------------------------------------------------------
// One list per width, both empty at load: until a caller sets one, no
// character is a separator. Setting one width leaves the other alone. The
// lists are shared by every caller and written without a lock.

// Makes the characters of list the separators of its width, in place of the
// old ones; order and repeats do not matter, and "" leaves none.
void SetSeparatorList(const AnsiString& list);
void SetSeparatorList(const UnicodeString& list);
void SetSeparatorListW(const UnicodeString& list);  // the 16-bit one, by another name

// c occurs in the list of its width; false while that list is unset or empty.
bool IsSeparator(AnsiChar c);
bool IsSeparator(WideChar c);

// --- Classes -----------------------------------------------------------------

// c belongs to the class the name gives, by the table above; no code above
// 127 belongs to any.
constexpr bool IsSpace(WideChar c) {
  return c == 9 || c == 10 || c == 13 || c == 32;
}
constexpr bool IsDigit(WideChar c) {
  return c >= u'0' && c <= u'9';
}
constexpr bool IsHexDigit(WideChar c) {
  return IsDigit(c) || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}
constexpr bool IsOctDigit(WideChar c) {
  return c >= u'0' && c <= u'7';
}
constexpr bool IsAlpha(WideChar c) {
  return IsDigit(c) || (c >= u'A' && c <= u'Z') || (c >= 95 && c <= 122);
}
// The 8-bit twins read the byte as unsigned: code 200 is 200, not -56.
constexpr bool IsSpace(AnsiChar c) {
  return IsSpace(static_cast<WideChar>(static_cast<unsigned char>(c)));
}
constexpr bool IsDigit(AnsiChar c) {
  return IsDigit(static_cast<WideChar>(static_cast<unsigned char>(c)));
}
constexpr bool IsHexDigit(AnsiChar c) {
  return IsHexDigit(static_cast<WideChar>(static_cast<unsigned char>(c)));
}
constexpr bool IsOctDigit(AnsiChar c) {
  return IsOctDigit(static_cast<WideChar>(static_cast<unsigned char>(c)));
}
constexpr bool IsAlpha(AnsiChar c) {
  return IsAlpha(static_cast<WideChar>(static_cast<unsigned char>(c)));
}

// --- Whole-string tests --------------------------------------------------------

// Not empty, digits only: no sign, blank, separator or exponent.
bool IsNumber(std::string_view s);
bool IsNumber(std::u16string_view s);
// StrToInt would accept s (blanks before, sign, $/0x hex ...).
bool IsIntNum(std::string_view s);
bool IsIntNum(std::u16string_view s);
// StrToFloat with the current format settings would accept s.
bool IsRealNum(std::string_view s);
bool IsRealNum(std::u16string_view s);
// Every character is a word character; "" and "1abc" are identifiers.
bool IsIdentifier(std::string_view s);
bool IsIdentifier(std::u16string_view s);
// s is "on", "yes", "True" or "1" in any case; nothing is trimmed.
bool IsPositive(std::string_view s);
bool IsPositive(std::u16string_view s);
// Whether s holds a letter. The twins differ:
//   8-bit:  some character is A-Z, a-z or 128 and above;
//   16-bit: some character lies outside 32..64, 91..96 and 123..126, so
//           controls (0..31) and 127 count as letters too.
bool AlphaExists(std::string_view s);
bool AlphaExists(std::u16string_view s);

// --- Skipping and cutting -------------------------------------------------------

// Advance the 1-based position over spaces, or over the given symbols, while
// it is within s. The position must be 1 or more.
void SkipSpaces(std::string_view s, int32_t& position);
void SkipSpaces(std::u16string_view s, int32_t& position);
void SkipSymbols(std::string_view s, int32_t& position, std::string_view symbols);
void SkipSymbols(std::u16string_view s, int32_t& position, std::u16string_view symbols);

// Cuts the next token off the front of s: spaces are skipped, then either a
// run of separators or a word of non-space, non-separator characters. What
// follows the token (spaces included) stays in s. Only spaces left: the
// token is empty and s becomes empty.
AnsiString GetToken(AnsiString& s);
UnicodeString GetToken(UnicodeString& s);

// 8-bit only. The text before the first occurrence of separator, s becoming
// the text after it; without one (or with an empty separator) the whole of s,
// s becoming empty.
AnsiString GetNextPart(AnsiString& s, std::string_view separator);

// 8-bit only. s without the IsSpace characters at both ends (unlike Trim,
// which removes every code up to 32).
AnsiString AnsiTrim(std::string_view s);

}  // namespace dz
