// Basic types shared by every unit: the three string types, the fixed-width
// integers under their classic names, TDateTime and Currency.
// Threads: value types: a value is used by one thread at a time, copies are independent.
#pragma once

#include "deziva27/base/Export.h"

#include <compare>
#include <cstdint>
#include <string>

namespace dz DZ_API {

using AnsiChar = char;                 // one byte of an AnsiString
using WideChar = char16_t;             // one UTF-16 code unit
using AnsiString = std::string;        // bytes in the ANSI code page
using UnicodeString = std::u16string;  // UTF-16 code units
using WideString = std::u16string;     // UTF-16 at the code-page boundary
using RawByteString = std::string;     // bytes in no particular code page

using Integer = int32_t;   // signed 32 bits
using Cardinal = uint32_t; // unsigned 32 bits
using Word = uint16_t;     // unsigned 16 bits
using Byte = uint8_t;      // unsigned 8 bits
using Int64 = int64_t;     // signed 64 bits
using LCID = uint32_t;     // a Windows locale identifier (0x0409 is en-US)

// Days since 1899-12-30 in the whole part, time of day in the fraction.
using TDateTime = double;

// Root of the objects that lists and owning containers hold. Its only
// member is the virtual destructor, so that an owner deletes any such object
// through a TObject*.
class TObject {
 public:
  virtual ~TObject() = default;  // virtual: owners delete through TObject*
};

// Signed fixed point with four decimals; the stored integer is value x 10000.
// A plain value. Arithmetic is on the stored int64_t, so the range is about
// +-922 337 203 685 477; an overflow is undefined, the caller's to avoid.
class Currency {
 public:
  constexpr Currency() = default;  // zero
  // Rounds half to even, as the FPU store the classic run time uses does. v
  // must lie within the range (NaN and beyond are undefined).
  explicit Currency(double v);
  constexpr Currency(int v) : FValue(int64_t{v} * 10000) {}  // exactly v, no rounding

  // The value whose stored integer is raw (FromRaw(15000) is 1.5).
  static constexpr Currency FromRaw(int64_t raw) {
    Currency c;
    c.FValue = raw;
    return c;
  }
  constexpr int64_t Raw() const { return FValue; }  // the stored integer, value x 10000
  // The value as a double (the nearest one while |Raw()| < 2^53).
  double ToDouble() const { return static_cast<double>(FValue) / 10000.0; }

  // Exact arithmetic on the stored integers; comparison by value.
  constexpr Currency operator-() const { return FromRaw(-FValue); }
  constexpr Currency operator+(Currency o) const { return FromRaw(FValue + o.FValue); }
  constexpr Currency operator-(Currency o) const { return FromRaw(FValue - o.FValue); }
  constexpr Currency& operator+=(Currency o) {  // adds o in place
    FValue += o.FValue;
    return *this;
  }
  constexpr Currency& operator-=(Currency o) {  // subtracts o in place
    FValue -= o.FValue;
    return *this;
  }
  constexpr auto operator<=>(const Currency&) const = default;  // ordered by value

 private:
  int64_t FValue = 0;
};

}  // namespace dz
