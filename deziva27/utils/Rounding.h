// Rounding of Currency values: to cents, and to multiples of an integer step.
//
//   CRound(Currency(0.125));       // 0.12 (ties go to the even cent)
//   RoundTo(Currency(17.5), 5);    // 20   (3.5 steps, ties to even)
//   RoundToL(Currency(-14), 5);    // -10  (towards zero)
//   RoundToM(Currency(10), 5);     // 15   (always one step more)
//
// The arithmetic is done exactly on the fixed-point value (the stored
// integer is value x 10000), which gives what double arithmetic gives for
// every value a double holds exactly, and stays right for the large values
// it does not. A result outside Currency's range, and a step of 0, raise
// EConvertError.
// Threads: every routine may be called from any thread; none keeps state between calls.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// To two decimals, a tie to the even hundredth: 0.125 -> 0.12, 0.135 -> 0.14,
// -0.125 -> -0.12.
Currency CRound(Currency Value);

// With q = Value / Step (Value in currency units):
// RoundTo:  round(q) x Step, ties to even (12.5 / 5 -> 10).
Currency RoundTo(Currency Value, int32_t Step);
// RoundToL: q truncated towards zero, x Step (14 / 5 -> 10, -14 / 5 -> -10).
Currency RoundToL(Currency Value, int32_t Step);
// RoundToM: (q truncated towards zero, plus 1) x Step, so a multiple of the
// step still grows by one step (10 / 5 -> 15), and -14 / 5 gives -5.
Currency RoundToM(Currency Value, int32_t Step);

}  // namespace dz
