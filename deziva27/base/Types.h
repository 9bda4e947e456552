// Basic types shared by every unit: the three string types, the fixed-width
// integers under their classic names, TDateTime and Currency.
// Threads: value types: a value is used by one thread at a time, copies are independent.
#pragma once

#include "deziva27/base/Export.h"

#include <compare>
#include <cstdint>
#include <string>

namespace dz DZ_API {

using AnsiChar = char;
using WideChar = char16_t;
using AnsiString = std::string;        // bytes in the ANSI code page
using UnicodeString = std::u16string;  // UTF-16 code units
using WideString = std::u16string;     // UTF-16 at the code-page boundary
using RawByteString = std::string;

using Integer = int32_t;
using Cardinal = uint32_t;
using Word = uint16_t;
using Byte = uint8_t;
using Int64 = int64_t;
using LCID = uint32_t;

// Days since 1899-12-30 in the whole part, time of day in the fraction.
using TDateTime = double;

// Root of the objects that lists and owning containers hold.
class TObject {
 public:
  virtual ~TObject() = default;
};

// Signed fixed point with four decimals; the stored integer is value x 10000.
class Currency {
 public:
  constexpr Currency() = default;
  // Rounds half to even, as the FPU store the classic run time uses does.
  explicit Currency(double v);
  constexpr Currency(int v) : FValue(int64_t{v} * 10000) {}

  static constexpr Currency FromRaw(int64_t raw) {
    Currency c;
    c.FValue = raw;
    return c;
  }
  constexpr int64_t Raw() const { return FValue; }
  double ToDouble() const { return static_cast<double>(FValue) / 10000.0; }

  constexpr Currency operator-() const { return FromRaw(-FValue); }
  constexpr Currency operator+(Currency o) const { return FromRaw(FValue + o.FValue); }
  constexpr Currency operator-(Currency o) const { return FromRaw(FValue - o.FValue); }
  constexpr Currency& operator+=(Currency o) {
    FValue += o.FValue;
    return *this;
  }
  constexpr Currency& operator-=(Currency o) {
    FValue -= o.FValue;
    return *this;
  }
  constexpr auto operator<=>(const Currency&) const = default;

 private:
  int64_t FValue = 0;
};

}  // namespace dz
