// The hexadecimal and octal digit readers against a plain reference: the
// same 32-bit value for digit text, EYStringsError naming the rightmost bad
// character otherwise, nothing else ever.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "deziva27/strings/YStrings.h"

namespace {

int DigitValue(char16_t c, unsigned base) {
  unsigned b = c & 0xFF;
  unsigned d = b >= '0' && b <= '9'   ? b - '0'
               : b >= 'a' && b <= 'f' ? b - 'a' + 10
               : b >= 'A' && b <= 'F' ? b - 'A' + 10
                                      : 99;
  return d < base ? static_cast<int>(d) : -1;
}

void Check(const std::u16string& s, unsigned base) {
  uint32_t expected = 0;
  ptrdiff_t bad = -1;
  for (size_t i = 0; i < s.size(); ++i) {
    int d = DigitValue(s[i], base);
    if (d < 0)
      bad = static_cast<ptrdiff_t>(i);
    else
      expected = expected * base + static_cast<uint32_t>(d);
  }
  try {
    int32_t v = base == 16 ? dz::HexToInt(s) : dz::OctToInt(s);
    if (bad >= 0 || static_cast<uint32_t>(v) != expected) std::abort();
  } catch (const dz::EYStringsError& e) {
    if (bad < 0 || e.Message().empty() || e.Message()[0] != s[static_cast<size_t>(bad)])
      std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string widened(data, data + size);
  std::u16string wide;
  for (size_t i = 0; i + 1 < size; i += 2)
    wide.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  for (unsigned base : {8u, 16u}) {
    Check(widened, base);
    Check(wide, base);
  }
  return 0;
}
