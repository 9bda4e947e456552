// Font styles packed into an integer and back: bit 0 (1) bold, bit 1 (2)
// italic, bit 2 (4) underline, bit 3 (8) strike-out.
//
//   FontStyleToInt(TFontStyles{fsBold, fsUnderline})   // 5
//   IntToFontStyle(18)                                  // {fsItalic}
// Threads: every routine may be called from any thread; none keeps state between calls.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>

#include "deziva27/host/components/FontStyles.h"

namespace dz DZ_API {

// Bits above bit 3 are ignored.
constexpr TFontStyles IntToFontStyle(int32_t Value) {
  TFontStyles s;
  for (int k = 0; k < 4; ++k)
    if (Value & (1 << k)) s.Include(static_cast<TFontStyle>(k));
  return s;
}

// The bits of the styles in Value, 0..15; 0 for the empty set.
constexpr int32_t FontStyleToInt(TFontStyles Value) {
  int32_t r = 0;
  for (int k = 0; k < 4; ++k)
    if (Value.Contains(static_cast<TFontStyle>(k))) r |= 1 << k;
  return r;
}

}  // namespace dz
