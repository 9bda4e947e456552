// Substring search with a start and an occurrence number, forward and
// backward, with and without case; replacement; separator cuts; prefix and
// suffix tests.
//
// The substring sought comes first, the text second; prefix and suffix tests
// take the prefix or suffix first. Positions are 1-based, 0 is "not found",
// and a match always lies wholly inside the text.
//
// Case-insensitive forms lower-case both operands once per call (AnsiLowerCase
// for 8-bit text, WideLowerCase for 16-bit) and then search exactly. Where
// lower-casing changes the length of the text (U+0130 becomes two units
// outside Turkish locales), positions are mapped back to the given text, so a
// result always points into what the caller passed. In that rare case the
// 8-bit text is folded byte by byte, which is exact for the single-byte code
// pages but not for a double-byte one (932, 936 ...).
//
// The 8-bit twins find plain first occurrences with the host's Pos, which
// finds an empty substring nowhere. The 16-bit CPos, GetBeforeSep and
// GetAfterSep use the library's own search instead, which finds an empty
// substring at 1 in any non-empty text.
// Threads: every routine may be called from any thread; none keeps state between calls.
#pragma once

#include "deziva27/base/Export.h"

#include <string_view>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// --- Case-sensitive search ------------------------------------------------------

// The occurrence-th match at or after start (1 = the first), matches allowed
// to overlap ("aa" in "aaaa": 1, 2, 3). A start below 1 counts as 1. 0 when
// either string is empty, start is past the end, occurrence < 1 or there are
// fewer matches.
int32_t XPos(std::string_view sub, std::string_view text, int32_t start, int32_t occurrence);
int32_t XPos(std::u16string_view sub, std::u16string_view text, int32_t start, int32_t occurrence);

// The same scanning backward, from a first candidate position down to 1. The
// twins choose that first position differently:
//   8-bit:  start when 1 <= start <= length - 1, else the last position where
//           sub fits (length - length of sub + 1);
//   16-bit: start 0 or below -1 gives 0 at once; -1 or start >= length means
//           the last position where sub fits; otherwise start.
int32_t BXPos(std::string_view sub, std::string_view text, int32_t start, int32_t occurrence);
int32_t BXPos(std::u16string_view sub, std::u16string_view text, int32_t start, int32_t occurrence);

// XPos from position 1.
int32_t PosNum(std::string_view sub, std::string_view text, int32_t occurrence);
int32_t PosNum(std::u16string_view sub, std::u16string_view text, int32_t occurrence);

// --- Case-insensitive search -------------------------------------------------------

// XPos on the lower-cased operands.
int32_t CXPos(std::string_view sub, std::string_view text, int32_t start, int32_t occurrence);
int32_t CXPos(std::u16string_view sub, std::u16string_view text, int32_t start, int32_t occurrence);
// First occurrence of the lower-cased sub in the lower-cased text. An empty sub
// gives 0 in the 8-bit twin, 1 in a non-empty text in the 16-bit twin.
int32_t CPos(std::string_view sub, std::string_view text);
int32_t CPos(std::u16string_view sub, std::u16string_view text);

// --- Replacement and removal ---------------------------------------------------------

// Every non-overlapping occurrence of oldPattern, left to right, replaced by
// newPattern; the search resumes after each replaced occurrence in the given
// text, so newPattern is never searched. An empty oldPattern changes nothing.
AnsiString ReplaceStr(std::string_view text, std::string_view oldPattern,
                      std::string_view newPattern);
UnicodeString ReplaceStr(std::u16string_view text, std::u16string_view oldPattern,
                         std::u16string_view newPattern);

// ReplaceStr, or with caseSensitive false the occurrences found in the
// lower-cased text; the pieces kept are copied from the given text, so they
// keep their case.
AnsiString XReplaceStr(std::string_view text, std::string_view oldPattern,
                       std::string_view newPattern, bool caseSensitive);
UnicodeString XReplaceStr(std::u16string_view text, std::u16string_view oldPattern,
                          std::u16string_view newPattern, bool caseSensitive);

// text without any occurrence of c.
AnsiString EraseSymbol(std::string_view text, AnsiChar c);
UnicodeString EraseSymbol(std::u16string_view text, WideChar c);

// --- Separator cuts --------------------------------------------------------------

// The part before (or after) the first occurrence of separator, trimmed with
// Trim (codes up to 32 at both ends); the whole text, untrimmed, when the
// separator does not occur. An empty separator: the 8-bit twins return the
// text as it is; the 16-bit twins find it at 1, so GetBeforeSep gives "" and
// GetAfterSep the trimmed text.
AnsiString GetBeforeSep(std::string_view separator, std::string_view text);
UnicodeString GetBeforeSep(std::u16string_view separator, std::u16string_view text);
AnsiString GetAfterSep(std::string_view separator, std::string_view text);
UnicodeString GetAfterSep(std::u16string_view separator, std::u16string_view text);

// --- Prefix and suffix tests ------------------------------------------------------

// text begins with prefix, exactly; "" is a prefix of everything.
bool StartsWith(std::string_view prefix, std::string_view text);
bool StartsWith(std::u16string_view prefix, std::u16string_view text);
// StartsWith, or with caseSensitive false on the lower-cased operands. A
// prefix longer than the text is false either way.
bool XStartsWith(std::string_view prefix, std::string_view text, bool caseSensitive);
bool XStartsWith(std::u16string_view prefix, std::u16string_view text, bool caseSensitive);
// The end of text equals suffix without regard to case: ASCII letters only in
// the 8-bit twin (CompareText), full case mapping in the 16-bit twin
// (WideCompareText). "" ends everything; a longer suffix is false.
bool EndsBy(std::string_view suffix, std::string_view text);
bool EndsBy(std::u16string_view suffix, std::u16string_view text);

}  // namespace dz
