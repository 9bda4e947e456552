// The Windows .reg text format, read and written over plain data, so that
// settings move between regedit and our HKEY_CURRENT_USER store. Nothing here
// touches the store: the caller applies what ParseRegText returns (in one
// transaction), and exports by handing FormatRegText what it read.
//
// Reading accepts what regedit and hand editing produce: UTF-16LE with a BOM
// or UTF-8 with or without one under "Windows Registry Editor Version 5.00",
// or the old "REGEDIT4" header. REGEDIT4 files were written in the writer's
// ANSI code page; we read one as UTF-8 when it is valid UTF-8 (as files that
// pass through Linux editors usually are) and else in the process's ANSI code
// page, as regedit would on the same system. Its hex(1), hex(2) and hex(7)
// data are 8-bit strings there, and are widened by the same rule so that the
// result always holds what Windows stores. Other hex(n) data is kept exactly
// as written, odd lengths included, since the registry keeps it so.
// Threads: every routine may be called from any thread; none keeps state between calls.
#pragma once


#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "deziva27/host/registry/RegTypes.h"
#include "deziva27/base/Types.h"

namespace dz::detail {

// One value line. Data holds the bytes Windows stores for the type:
// REG_SZ / REG_EXPAND_SZ: UTF-16LE with the terminating NUL (2 zero bytes);
// REG_MULTI_SZ: UTF-16LE strings each NUL-terminated plus a final NUL;
// REG_DWORD: 4 bytes little-endian; REG_QWORD: 8 bytes LE; REG_BINARY and any
// hex(n): the bytes as written.
struct RegTextValue {
  UnicodeString Name;  // empty with IsDefault for the key's default value "@"
  bool IsDefault = false;
  bool Remove = false;  // "name"=-
  uint32_t Type = 0;    // hex(n) gives n
  std::string Data;

  bool operator==(const RegTextValue&) const = default;
};

struct RegTextKey {
  // Relative to HKEY_CURRENT_USER, backslash separated, no leading or
  // trailing backslash; empty is the root itself.
  UnicodeString Path;
  bool Remove = false;  // [-HKEY_CURRENT_USER\...]
  std::vector<RegTextValue> Values;

  bool operator==(const RegTextKey&) const = default;
};

// The largest .reg file read (64 MiB, many times a whole exported HKCU) and
// the longest line (1 Mi characters: a string value of 2 MiB, twice the size
// Windows advises for one value; regedit wraps hex data at 80 columns).
inline constexpr size_t kMaxRegTextBytes = size_t{64} << 20;
inline constexpr size_t kMaxRegTextLine = size_t{1} << 20;

// Reads a whole .reg file. CRLF or LF, blank lines, ';' comment lines, hex
// data continued over lines ending in '\', the hives HKEY_CURRENT_USER and
// HKCU (in any case). The value name "" is the default value, as in the
// registry. Anything else raises ERegistryException naming the line
// ("line 7: bad hex data"), and so does a file or a line over the limits
// above: the file is taken whole or not at all. Linear in the input; the
// result is never larger than a small multiple of it.
std::vector<RegTextKey> ParseRegText(std::string_view Bytes);

// Writes the keys as regedit exports them: UTF-16LE with a BOM, CRLF, the
// version 5 header and a blank line, then each key and its values followed by
// a blank line. Strings go as "text" when their bytes are one clean
// NUL-terminated UTF-16 string without line breaks, else as hex(1); REG_DWORD
// of 4 bytes as dword:; everything else as hex: or hex(n):, wrapped like
// regedit at 25 bytes a continuation line. A name or path holding a line feed,
// or a removed key that carries values, cannot be written and raises
// ERegistryException.
std::string FormatRegText(const std::vector<RegTextKey>& Keys);
// FormatRegText in pieces, for files written key by key: the BOM and the
// header, then one key's section at a time, appended to Out.
void AppendRegTextHeader(std::string& Out);
void AppendRegTextKey(std::string& Out, const RegTextKey& Key);

}  // namespace dz::detail
