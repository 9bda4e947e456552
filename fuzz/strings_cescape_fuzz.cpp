// C-style escapes from arbitrary bytes, at both widths. The decoders never
// raise, always move forward and stay within the text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "deziva27/strings/YStrings.h"

namespace {

template <class Str>
void Decode(const Str& s, int32_t limit, bool utf8) {
  const auto n = static_cast<int32_t>(s.size());
  for (int32_t p = 1; p <= n;) {
    int32_t before = p;
    if constexpr (sizeof(typename Str::value_type) == 2) {
      dz::GetCExtraSymbolEx(s, limit, p, utf8);
    } else {
      dz::GetCExtraSymbolEx(s, limit, p);
    }
    if (p <= before || p > n + 1) std::abort();
  }
  // A C string may start anywhere; decoding ends past its closing quote or
  // past the end, and never yields more characters than it read.
  for (int32_t from = 1; from <= n; from += 1 + n / 8) {
    int32_t p = from;
    Str r = dz::XUnquotedCStringEx(s, limit, p);
    if (s[static_cast<size_t>(from - 1)] != '"') {
      if (p != from || r != s) std::abort();
    } else if (p <= from || p > n + 1 || static_cast<int32_t>(r.size()) > p - from) {
      std::abort();
    }
  }
  Str q = dz::QuotedCString(s);
  int32_t p = 1;
  if (dz::XUnquotedCStringEx(q, 2, p) != s || p != static_cast<int32_t>(q.size()) + 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int32_t limit = data[0] & 7;
  const bool utf8 = data[0] & 8;
  std::string narrow(reinterpret_cast<const char*>(data + 1), size - 1);
  std::u16string wide;
  for (size_t i = 1; i + 1 < size; i += 2)
    wide.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  std::u16string widened;
  for (unsigned char c : narrow) widened.push_back(c);

  Decode(narrow, limit, false);
  Decode(wide, limit, utf8);
  Decode(widened, limit, utf8);
  return 0;
}
