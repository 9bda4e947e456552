// Two literal syntaxes, both directions, both widths.
//
// Pascal style: text between a quote character that is doubled inside, with
// control characters written as "#" and the decimal code between the quoted
// parts:  'ab'#13#10'cd'
//
// C style: text between double quotes with backslash escapes. The encoder
// writes \a \b \t \n \v \f \r, \\ , \" and \' (when quoted), and \xHH with two
// upper-case digits for the other codes below 32; everything from 32 up,
// codes of 128 and more included, is written as itself. The decoder also
// reads octal escapes (\101), \x with any number of digits, and takes any
// other escaped character as itself (\e is "e", \? is "?").
//
// Codes are those of the string's width: bytes at 8 bits, UTF-16 code units
// at 16. A decoder takes a 1-based position by reference and advances it past
// what it consumed.
// Threads: every routine may be called from any thread; none keeps state between calls.
#pragma once

#include "deziva27/base/Export.h"

#include <string_view>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// --- Pascal style ---------------------------------------------------------------

// s as a literal quoted with q: q is doubled inside, each run of codes below 32
// leaves the quotes as #nn#nn. A run at the very end is not followed by a
// closing quote: tab + "a" gives ''#9'a' and "ab" CR LF gives 'ab'#13#10.
AnsiString QuotedString(std::string_view s, AnsiChar q);
UnicodeString QuotedString(std::u16string_view s, WideChar q);

// The value of the literal at the start of s. Reading stops at the first
// character outside quotes that is neither q nor "#" (the rest is ignored) and
// at the end of s (an unterminated literal gives what it held). When nothing
// was read and s is not exactly two q, s is returned unchanged, so text that
// is no literal passes through.
//
// A code is "#" and then decimal digits, or "#$" and hexadecimal digits.
// Raises dz::Exception "\"#300\" not a character" for a code above 255 (8-bit)
// or 65535 (16-bit); EConvertError when "#" has no digits; EYStringsError when
// a "#$" code holds a second "$". A code of nine or more hex digits wraps to
// 32 bits, and a wrapped value that is negative is taken by its low bits.
AnsiString UnquotedString(std::string_view s, AnsiChar q);
UnicodeString UnquotedString(std::u16string_view s, WideChar q);

// --- C style, encoding ---------------------------------------------------------------

// Every character written as an escape or as itself (see above). With quoted
// true the whole is put between double quotes, a double quote inside is
// written \" and an apostrophe \' unless plainApostrophe is true. With quoted
// false neither quote character is escaped.
AnsiString CStringEx(std::string_view s, bool plainApostrophe, bool quoted);
UnicodeString CStringEx(std::u16string_view s, bool plainApostrophe, bool quoted);
// CStringEx(s, plainApostrophe, true).
AnsiString QuotedCStringEx(std::string_view s, bool plainApostrophe);
UnicodeString QuotedCStringEx(std::u16string_view s, bool plainApostrophe);
// CStringEx(s, false, true): apostrophes are escaped too.
AnsiString QuotedCString(std::string_view s);
UnicodeString QuotedCString(std::u16string_view s);

// --- C style, decoding ----------------------------------------------------------------

// Reads one character at position: a plain character (or a backslash that
// ends s) as itself, advancing by 1; otherwise the escape, advancing past it.
// \x takes hexadecimal digits, cut to 8 bits (none at all gives 0); a digit
// after the backslash starts an octal escape cut to 8 bits (16 in the 16-bit
// twin), so "\8" gives code 0 and leaves the 8 unread. digitLimit > 0 caps
// the digits read; 0 reads all there are. The 16-bit twin tests digits by the
// low 8 bits of each code unit, and picks the escape by the whole unit.
//
// utf8 (16-bit only): after a \x escape, a second \x escape right behind it is
// read too and both taken as UTF-8 bytes (the second value above 255 gives two
// bytes, its high and low byte; a higher value keeps only those); the result
// is the first code unit decoded, or code 211 when the bytes are not valid
// UTF-8: \xC3\xA9 gives U+00E9, \xE2\x82AC gives U+20AC.
//
// Never raises. A position outside s gives code 0 and advances by 1.
AnsiChar GetCExtraSymbolEx(std::string_view s, int32_t digitLimit, int32_t& position);
WideChar GetCExtraSymbolEx(std::u16string_view s, int32_t digitLimit, int32_t& position,
                           bool utf8 = false);
// GetCExtraSymbolEx with no digit limit (and utf8 false).
AnsiChar GetCExtraSymbol(std::string_view s, int32_t& position);
WideChar GetCExtraSymbol(std::u16string_view s, int32_t& position);

// When the character at position is a double quote, the C string that starts
// there, decoded (escapes as GetCExtraSymbolEx with digitLimit, utf8 false);
// position ends just after the closing quote, or past the end of s when it is
// missing. Otherwise (s empty, position outside s, no quote there) s itself,
// position untouched. Never raises.
//
// Note: \xHH as the encoder writes it is read greedily without a digit limit,
// so a control character followed by a hex digit ("\x01" "A") does not come
// back from UnquotedCString(QuotedCString(s)); a digit limit of 2 reads every
// encoder output back exactly.
AnsiString XUnquotedCStringEx(std::string_view s, int32_t digitLimit, int32_t& position);
UnicodeString XUnquotedCStringEx(std::u16string_view s, int32_t digitLimit, int32_t& position);
// XUnquotedCStringEx with no digit limit.
AnsiString XUnquotedCString(std::string_view s, int32_t& position);
UnicodeString XUnquotedCString(std::u16string_view s, int32_t& position);
// XUnquotedCString from position 1.
AnsiString UnquotedCString(std::string_view s);
UnicodeString UnquotedCString(std::u16string_view s);

}  // namespace dz
