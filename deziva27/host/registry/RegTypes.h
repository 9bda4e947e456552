// The registry's value types, with the numbers Windows gives them: they are
// what a .reg file's hex(n) carries and what the store keeps beside each value.
// Threads: constants and types only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "deziva27/base/Types.h"

namespace dz {

// REG_NONE (no type), REG_SZ (string), REG_EXPAND_SZ (string with
// %variables%), REG_BINARY, REG_DWORD (32-bit), REG_MULTI_SZ (NUL-separated
// strings), REG_QWORD (64-bit); integers little-endian.
inline constexpr uint32_t REG_NONE = 0, REG_SZ = 1, REG_EXPAND_SZ = 2, REG_BINARY = 3,
                          REG_DWORD = 4, REG_MULTI_SZ = 7, REG_QWORD = 11;

// Appends s as the registry stores strings: UTF-16 code units, low byte
// first (no terminating NUL is added).
inline void AppendUtf16LE(std::string& out, std::u16string_view s) {
  for (char16_t c : s) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
}
// The units of b (an odd last byte is dropped); NULs are kept.
inline UnicodeString Utf16LEText(std::string_view b) {
  UnicodeString s(b.size() / 2, u'\0');
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<char16_t>(static_cast<unsigned char>(b[2 * i]) |
                                 static_cast<unsigned char>(b[2 * i + 1]) << 8);
  return s;
}

}  // namespace dz
