// Internal: the locale data Windows gives, compiled in (LocaleTable.cpp is
// generated from the recorded answers by tools/winoracle/locales_table.py).
// A row holds one locale's answer to each type of kTypes as an index into
// the shared texts; kFailed marks a type Windows does not answer for it.
// Threads: read-only data, read from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "deziva27/base/Types.h"

namespace dz::win::detail::locale_table {

using LCTYPE = uint32_t;
inline constexpr size_t kTypeCount = 62;
inline constexpr uint16_t kFailed = 0xFFFF;

struct Row {
  LCID Id;
  uint16_t Cell[kTypeCount];
};

extern const LCTYPE kTypes[kTypeCount];
extern const char16_t kText[];
extern const uint32_t kOffsets[];
// Sorted by identifier.
extern const Row kRows[];
extern const size_t kRowCount;
// What EnumSystemLocalesW lists, in Windows' order: the locales, and the
// alternate sorts.
extern const LCID kInstalled[];
extern const size_t kInstalledCount;
extern const LCID kAlternateSorts[];
extern const size_t kAlternateSortsCount;

// The row of an identifier as Windows knows it, or nullptr.
const Row* Find(LCID lcid);
// The column of a type, or -1 when the table does not hold it.
int Column(LCTYPE type);
// Text of a cell that is not kFailed.
inline std::u16string_view Text(uint16_t cell) {
  return {kText + kOffsets[cell], kOffsets[cell + 1] - kOffsets[cell]};
}

}  // namespace dz::win::detail::locale_table
