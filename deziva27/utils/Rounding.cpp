#include "deziva27/utils/Rounding.h"

#include "deziva27/host/runtime/Exceptions.h"

namespace dz {
namespace {

constexpr int64_t kScale = 10000;  // Currency's stored integer per unit

enum class Mode { NearestEven, TowardZero, PastZero };

// n / d rounded as the mode says; d is never 0 here.
int64_t Quotient(int64_t n, int64_t d, Mode mode) {
  int64_t q = n / d;  // truncates towards zero
  int64_t r = n % d;
  switch (mode) {
    case Mode::TowardZero:
      return q;
    case Mode::PastZero:
      return q + 1;
    case Mode::NearestEven: {
      if (r == 0) return q;
      // Compare |r| with |d| / 2 without overflow: |r| < |d| fits.
      uint64_t ar = r < 0 ? 0 - static_cast<uint64_t>(r) : static_cast<uint64_t>(r);
      uint64_t ad = d < 0 ? 0 - static_cast<uint64_t>(d) : static_cast<uint64_t>(d);
      uint64_t rest = ad - ar;
      bool away = ar > rest || (ar == rest && (q & 1) != 0);
      if (away) q += (n < 0) == (d < 0) ? 1 : -1;
      return q;
    }
  }
  return q;
}

Currency Scaled(int64_t q, int64_t unit) {
  int64_t raw;
  if (__builtin_mul_overflow(q, unit, &raw)) throw EConvertError(u"Currency overflow in rounding");
  return Currency::FromRaw(raw);
}

Currency ByStep(Currency value, int32_t step, Mode mode) {
  if (step == 0) throw EConvertError(u"Rounding step must not be 0");
  int64_t unit = int64_t{step} * kScale;
  return Scaled(Quotient(value.Raw(), unit, mode), unit);
}

}  // namespace

Currency CRound(Currency Value) {
  constexpr int64_t kCent = kScale / 100;
  return Scaled(Quotient(Value.Raw(), kCent, Mode::NearestEven), kCent);
}

Currency RoundTo(Currency Value, int32_t Step) {
  return ByStep(Value, Step, Mode::NearestEven);
}
Currency RoundToL(Currency Value, int32_t Step) {
  return ByStep(Value, Step, Mode::TowardZero);
}
Currency RoundToM(Currency Value, int32_t Step) {
  return ByStep(Value, Step, Mode::PastZero);
}

}  // namespace dz
