// Number <-> text conversions with the classic run-time rules.
// Threads: any thread, while no thread changes FormatSettings() (see FormatSettings.h).
#pragma once

#include "deziva27/base/Export.h"

#include <optional>
#include <string_view>

#include "deziva27/host/runtime/FormatSettings.h"
#include "deziva27/base/Types.h"

namespace dz DZ_API {

// Decimal digits, a '-' before negative values, no padding.
UnicodeString IntToStr(int32_t v);
UnicodeString IntToStr(int64_t v);
// Upper-case hexadecimal digits, at least `digits` of them. Negative values
// show their two's complement over the argument's width.
UnicodeString IntToHex(int32_t v, int32_t digits);
UnicodeString IntToHex(int64_t v, int32_t digits);

// Optional leading spaces (not tabs), optional sign, decimal digits or
// hexadecimal after $, x, X, 0x or 0X (the full 32-bit pattern: "$FFFFFFFF"
// is -1). Nothing may follow. Raises EConvertError "'%s' is not a valid integer value" on an
// empty text, anything else or a value out of range. The 8-bit form reads s
// through the ANSI code page.
int32_t StrToInt(std::u16string_view s);
int32_t StrToInt(std::string_view s);
// StrToInt without the exception: false (value untouched) where it would raise.
bool TryStrToInt(std::u16string_view s, int32_t& value);
// The same over 64 bits ("$FFFFFFFFFFFFFFFF" is -1).
int64_t StrToInt64(std::u16string_view s);
bool TryStrToInt64(std::u16string_view s, int64_t& value);  // false where StrToInt64 raises
// The Try forms as owning results: the value, or empty where the form above
// answers false (and StrToInt would raise).
std::optional<int32_t> TryStrToInt(std::u16string_view s);
std::optional<int64_t> TryStrToInt64(std::u16string_view s);

// Spaces and tabs around, sign, digits, the settings' decimal separator, optional
// exponent. Raises EConvertError "'%s' is not a valid floating point value",
// also on overflow (an underflow reads as 0). Without fs, the process's
// FormatSettings().
double StrToFloat(std::u16string_view s);
double StrToFloat(std::u16string_view s, const TFormatSettings& fs);
// StrToFloat without the exception: false (value untouched) where it would raise.
bool TryStrToFloat(std::u16string_view s, double& value, const TFormatSettings& fs);
// The value, or empty where the form above answers false.
std::optional<double> TryStrToFloat(std::u16string_view s, const TFormatSettings& fs);

// General format, 15 significant digits, no trailing zeros; exponent form
// ("1E15", "1.5E-7") when the integer part needs more than 15 digits or the
// magnitude is below 0.00001; "NAN", "INF", "-INF" for those. The decimal
// separator is fs's, without fs the process's FormatSettings().
UnicodeString FloatToStr(double v);
UnicodeString FloatToStr(double v, const TFormatSettings& fs);
// Up to four decimals, no trailing zeros (no separator for a whole value);
// fs's decimal separator, without fs the process's. No currency symbol.
UnicodeString CurrToStr(Currency v);
UnicodeString CurrToStr(Currency v, const TFormatSettings& fs);

// Classic Val for a double: skips leading blanks, reads sign, digits, '.',
// exponent. code is the 1-based position of the first character it could not
// read, 0 when all of s was read (an empty s gives code 1). value is what the
// part read gives, 0 when it has no digit or an exponent without digits. The
// 8-bit form widens each byte (ASCII text).
void Val(std::u16string_view s, double& value, int32_t& code);
void Val(std::string_view s, double& value, int32_t& code);

}  // namespace dz
