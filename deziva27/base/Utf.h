// UTF-8 and UTF-16: conversions between them and the check of UTF-8 text.
// Pure functions of their arguments: no code page, no locale.
// Threads: any thread; no state.
#pragma once

#include "deziva27/base/Export.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view s);
// UTF-8 to UTF-16; each ill-formed sequence becomes U+FFFD.
UnicodeString Utf8ToUtf16(std::string_view s);

// The classic UTF8Decode: the decoded text, or empty when s is not valid UTF-8.
UnicodeString UTF8Decode(std::string_view s);
// The classic UTF8Encode: Utf16ToUtf8.
std::string UTF8Encode(std::u16string_view s);

// The byte offset of the first ill-formed sequence in s (overlong, surrogate,
// beyond U+10FFFF, cut short, a stray continuation byte), or
// std::string_view::npos when all of s is valid UTF-8.
size_t InvalidUtf8At(std::string_view s);

// Each byte widened to one unit: exact for ASCII and Latin-1 text only.
UnicodeString AsciiToUnicode(std::string_view s);

}  // namespace dz
