// Work on a TStrings as a whole, or on the text its lines hold: joining the
// items into one delimited line and splitting it back, finding an item
// without regard to case, inserting into and deleting from the text by
// line and column, splitting NAME<sep>VALUE, membership in a set of strings,
// and two helpers for NUL-terminated buffers.
//
// List routines take any TStrings and go through its item operations only; a
// line index outside the list is handed to the list, whose check raises
// EListError. Character positions are 1-based, line indexes 0-based.
// Threads: any thread, each on its own lists.
#pragma once

#include "deziva27/base/Export.h"

#include <initializer_list>
#include <span>
#include <string_view>
#include <utility>

#include "deziva27/host/classes/Lists.h"
#include "deziva27/base/Types.h"

namespace dz DZ_API {

// --- Delimited text ----------------------------------------------------------------

// The items joined by delimiter, each written with QuotedString(item, quote):
// 'a','it''s','x'#13#10 for a, it's and x CR LF. An empty list gives "".
UnicodeString DelimitedText(const TStrings& list, WideChar delimiter, WideChar quote);

// The inverse: clears list, then splits text at every delimiter that stands
// outside quotes (each quote character flips the inside state, so a doubled
// quote flips it twice) and adds each piece trimmed (codes 0..32) and read
// with UnquotedString. k delimiters outside quotes give k + 1 items, empty
// ones included; a text that is blank after trimming gives no item at all.
// A piece that is no literal passes through UnquotedString unchanged, so
// a, b gives "a" and "b". Raises what UnquotedString raises on a bad "#" code.
void ComposeText(std::u16string_view text, WideChar delimiter, WideChar quote, TStrings& list);
// ComposeText with "," and the double quote.
void ComposeCommaText(std::u16string_view text, TStrings& list);

// --- Items and text ------------------------------------------------------------

// Index of the first item equal to s when ASCII letters are folded
// (CompareText); other letters must match exactly. -1 when absent.
int32_t IndexOfString(const TStrings& list, std::u16string_view s);

// Inserts s into line `line` before character `position`; a position below 1
// inserts at the start, one past the end appends.
void InsertToStrings(TStrings& list, int32_t line, int32_t position, std::u16string_view s);

// Deletes the text from (line1, col1) up to, not including, (line2, col2).
// Line1 keeps its first col1 - 1 characters and gains line2's characters from
// col2 on; the lines after line1 up to line2 go. Nothing happens when line2 is
// before line1. Both lines are read before anything changes, so a bad index
// raises with the list untouched.
void DeleteFromStrings(TStrings& list, int32_t line1, int32_t col1, int32_t line2, int32_t col2);

// --- Name and value ----------------------------------------------------------------

// Splits text at the first occurrence of separator (case-sensitive): name is
// what comes before it, value what follows the whole separator; neither is
// trimmed. Without an occurrence, name is the whole text and value is empty.
// An empty separator: the 8-bit twin finds it nowhere (name = text); the
// 16-bit twin finds it at position 1 of a non-empty text (value = text).
void GetNameAndValueSep(std::string_view separator, std::string_view text, AnsiString& name,
                        AnsiString& value);
void GetNameAndValueSep(std::u16string_view separator, std::u16string_view text,
                        UnicodeString& name, UnicodeString& value);
// GetNameAndValueSep with "=".
void GetNameAndValue(std::string_view text, AnsiString& name, AnsiString& value);
void GetNameAndValue(std::u16string_view text, UnicodeString& name, UnicodeString& value);
// The same as owning results, name first: auto [name, value] = GetNameAndValue(u"a=b").
std::pair<AnsiString, AnsiString> GetNameAndValueSep(std::string_view separator,
                                                     std::string_view text);
std::pair<UnicodeString, UnicodeString> GetNameAndValueSep(std::u16string_view separator,
                                                           std::u16string_view text);
std::pair<AnsiString, AnsiString> GetNameAndValue(std::string_view text);
std::pair<UnicodeString, UnicodeString> GetNameAndValue(std::u16string_view text);

// --- Membership ---------------------------------------------------------------------

// Whether s equals some item without regard to case; the first equal item
// ends the search, an empty set answers false. The three differ only in how
// case is folded:
//   StrInList   ASCII letters only (CompareText);
//   StrInListA  the locale's comparison of 8-bit text (AnsiCompareText);
//   StrInListW  the locale's comparison of wide text (WideCompareText).
bool StrInList(std::u16string_view s, std::span<const UnicodeString> items);
bool StrInList(std::u16string_view s, std::initializer_list<std::u16string_view> items);
bool StrInListA(std::string_view s, std::span<const AnsiString> items);
bool StrInListA(std::string_view s, std::initializer_list<std::string_view> items);
bool StrInListW(std::u16string_view s, std::span<const UnicodeString> items);
bool StrInListW(std::u16string_view s, std::initializer_list<std::u16string_view> items);

// --- NUL-terminated buffers -----------------------------------------------------------

// Appends s, up to its first NUL if it holds one, to the NUL-terminated text
// in dest and returns dest. dest must have room for the result.
AnsiChar* StrPCat(AnsiChar* dest, const AnsiString& s);

// Sets the first count elements of buf to 0 (bytes, or 16-bit code units).
// buf must hold that many.
void ClearPChar(AnsiChar* buf, Word count);
void ClearPChar(WideChar* buf, Word count);

}  // namespace dz
