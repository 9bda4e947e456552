// The font style set of the host's graphics layer: bold, italic, underline
// and strike-out, in that order. Only the set is here; fonts themselves
// belong to the user-interface services.
// Threads: a value type: a set is used by one thread at a time, copies are independent.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>
#include <initializer_list>

namespace dz DZ_API {

// One style; its value is its bit number in a TFontStyles.
enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of TFontStyle, written as the classic set literal:
// TFontStyles{fsBold, fsUnderline}. Bit k stands for the k-th style.
class TFontStyles {
 public:
  constexpr TFontStyles() = default;  // the empty set
  // The set of the styles listed (repeats are harmless).
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles) FBits |= Bit(s);
  }

  constexpr bool Contains(TFontStyle s) const { return (FBits & Bit(s)) != 0; }  // s in the set
  constexpr bool Empty() const { return FBits == 0; }  // no style at all
  // Adds s in place; returns the set for chaining.
  constexpr TFontStyles& Include(TFontStyle s) {
    FBits |= Bit(s);
    return *this;
  }
  // Removes s in place (nothing when it is absent); returns the set.
  constexpr TFontStyles& Exclude(TFontStyle s) {
    FBits &= static_cast<uint8_t>(~Bit(s));
    return *this;
  }
  // Union, difference and intersection, as the classic +, - and *.
  constexpr TFontStyles operator+(TFontStyles o) const { return FromBits(FBits | o.FBits); }
  constexpr TFontStyles operator-(TFontStyles o) const {  // the styles of this set not in o
    return FromBits(static_cast<uint8_t>(FBits & ~o.FBits));
  }
  // The styles in both sets.
  constexpr TFontStyles operator*(TFontStyles o) const { return FromBits(FBits & o.FBits); }
  constexpr bool operator==(const TFontStyles&) const = default;  // the same styles

 private:
  static constexpr uint8_t Bit(TFontStyle s) { return static_cast<uint8_t>(1u << (s & 3)); }
  static constexpr TFontStyles FromBits(uint8_t bits) {
    TFontStyles r;
    r.FBits = bits;
    return r;
  }
  uint8_t FBits = 0;
};

}  // namespace dz
