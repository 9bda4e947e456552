// Number and boolean conversions with a stated policy for blank and bad
// input: the X forms raise the host's conversion error, the Z forms answer 0,
// SafeStrToInt salvages the leading digits. All take 16-bit text only.
//
// The hexadecimal and octal readers are the library's own (no sign, no
// prefix) and raise EYStringsError; the C-escape decoder and the scanner lean
// on them.
//
// XStrToFloat, XFloatToStr and XCurrToStr use the fixed-point settings: the
// system default locale's settings with the decimal separator forced to a
// period, so that their text reads the same under every locale. IsRealNum
// and ZStrToFloat use the current settings instead.
// Threads: any thread; the settings these conversions read are cached per thread.
#pragma once

#include "deziva27/base/Export.h"

#include <string_view>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// --- Integers ----------------------------------------------------------------

// 0 for an empty or blank s (codes up to 32 only); otherwise StrToInt of s as
// given, not trimmed, so " 12" converts and "12 " raises EConvertError.
int32_t XStrToInt(std::u16string_view s);

// StrToInt of the trimmed s; 0 when that is empty or does not convert.
// Never raises.
int32_t ZStrToInt(std::u16string_view s);

// The trimmed s when it is an integer; otherwise the value of the decimal
// digits at the start of the trimmed text ("123abc" is 123), or 0 when it
// does not start with a digit. Never raises: a run of digits too long for
// 32 bits gives 0.
int32_t SafeStrToInt(std::u16string_view s);

// s read as hexadecimal ("0-9A-Fa-f") or octal ("0-7") digits, without sign or
// prefix; "" is 0. The arithmetic is 32-bit and wraps: "FFFFFFFF" is -1 and
// more than eight hex digits keep the low 32 bits. A character is classified
// by its low 8 bits, so U+0141 counts as "A". Any other character raises
// EYStringsError "<c> is not a hex digit" / "<c> is not an oct digit"; digits
// are read from the right, so the character named is the rightmost bad one.
int32_t HexToInt(std::u16string_view s);
int32_t OctToInt(std::u16string_view s);

// --- Floating point and currency ----------------------------------------------

// defaultValue when s is empty; otherwise StrToFloat of s (untrimmed) with
// the fixed-point settings, raising EConvertError on bad text.
double XStrToFloat(std::u16string_view s, double defaultValue);

// StrToFloat of the trimmed s with the current settings; 0.0 on any failure.
double ZStrToFloat(std::u16string_view s);

// FloatToStr / CurrToStr with the fixed-point settings: "0.5" under any locale.
UnicodeString XFloatToStr(double value);
UnicodeString XCurrToStr(Currency value);

// --- Booleans -------------------------------------------------------------------

// "1" or "0".
UnicodeString BoolToStr(bool b);

// False for "", for "false" in any ASCII case and for exactly "0"; true for
// everything else. Nothing is trimmed: " false" and "00" are true.
bool XStrToBool(std::u16string_view s);
// The same, except that "" is true.
bool NStrToBool(std::u16string_view s);

}  // namespace dz
