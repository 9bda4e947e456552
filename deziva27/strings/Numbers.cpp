#include "deziva27/strings/Numbers.h"

#include "deziva27/consts/Errors.h"
#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/runtime/FormatSettings.h"
#include "deziva27/host/runtime/detail/Icu.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

// Digit value of a code by its low 8 bits, or -1 when it is not a digit of
// the base. Only bases 8 and 16 are asked for.
int DigitOf(char16_t c, uint32_t base) {
  unsigned b = c & 0xFFu;
  if (b >= '0' && b <= '9') return b - '0' < base ? static_cast<int>(b - '0') : -1;
  if (base == 16 && b >= 'A' && b <= 'F') return static_cast<int>(b - 'A' + 10);
  if (base == 16 && b >= 'a' && b <= 'f') return static_cast<int>(b - 'a' + 10);
  return -1;
}

int32_t ReadFromRight(std::u16string_view s, uint32_t base, const char16_t* what) {
  uint32_t value = 0, weight = 1;
  for (size_t i = s.size(); i-- > 0;) {
    int d = DigitOf(s[i], base);
    if (d < 0) throw EYStringsError(UnicodeString(1, s[i]) + what);
    value += static_cast<uint32_t>(d) * weight;
    weight *= base;
  }
  return static_cast<int32_t>(value);
}

// Built once per thread and again only when the system locale changes, so
// that a conversion does not pay for reading locale data.
const TFormatSettings& FixedPointSettings() {
  thread_local TFormatSettings fs;
  thread_local uint32_t epoch = 0;
  thread_local bool ready = false;
  if (!ready || epoch != detail::LocaleEpoch()) {
    GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT, fs);
    fs.DecimalSeparator = u'.';
    epoch = detail::LocaleEpoch();
    ready = true;
  }
  return fs;
}

bool IsFalseWord(std::u16string_view s) {
  return s == u"0" || CompareText(s, u"false") == 0;
}

}  // namespace

int32_t XStrToInt(std::u16string_view s) {
  if (Trim(s).empty()) return 0;
  return StrToInt(s);
}

int32_t ZStrToInt(std::u16string_view s) {
  int32_t v;
  return TryStrToInt(Trim(s), v) ? v : 0;
}

int32_t SafeStrToInt(std::u16string_view s) {
  UnicodeString t = Trim(s);
  int32_t v;
  if (t.empty()) return 0;
  if (TryStrToInt(t, v)) return v;
  size_t n = 0;
  while (n < t.size() && t[n] >= u'0' && t[n] <= u'9') ++n;
  if (n == 0) return 0;
  return TryStrToInt(std::u16string_view(t).substr(0, n), v) ? v : 0;
}

int32_t HexToInt(std::u16string_view s) {
  return ReadFromRight(s, 16, u" is not a hex digit");
}
int32_t OctToInt(std::u16string_view s) {
  return ReadFromRight(s, 8, u" is not an oct digit");
}

double XStrToFloat(std::u16string_view s, double defaultValue) {
  if (s.empty()) return defaultValue;
  return StrToFloat(s, FixedPointSettings());
}

double ZStrToFloat(std::u16string_view s) {
  double v;
  return TryStrToFloat(Trim(s), v, FormatSettings()) ? v : 0.0;
}

UnicodeString XFloatToStr(double value) {
  return FloatToStr(value, FixedPointSettings());
}
UnicodeString XCurrToStr(Currency value) {
  return CurrToStr(value, FixedPointSettings());
}

UnicodeString BoolToStr(bool b) {
  return b ? u"1" : u"0";
}

bool XStrToBool(std::u16string_view s) {
  return !s.empty() && !IsFalseWord(s);
}
bool NStrToBool(std::u16string_view s) {
  return !IsFalseWord(s);
}

}  // namespace dz
