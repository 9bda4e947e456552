#include "deziva27/utils/Cipher.h"

namespace dz {
namespace {

template <class Shift>
UnicodeString Transform(std::u16string_view text, std::u16string_view key, Shift shift) {
  UnicodeString out(text);
  if (key.empty()) return out;
  size_t k = 0;
  for (char16_t& c : out) {
    c = static_cast<char16_t>(shift(int32_t{c}, int32_t{key[k]}));
    if (++k == key.size()) k = 0;
  }
  return out;
}

}  // namespace

UnicodeString Encrypt1(std::u16string_view Text, std::u16string_view Key) {
  return Transform(Text, Key, [](int32_t t, int32_t k) {
    int32_t c = t + k;
    return c > 127 ? c - 95 : c;
  });
}

UnicodeString Decrypt1(std::u16string_view Text, std::u16string_view Key) {
  return Transform(Text, Key, [](int32_t t, int32_t k) {
    int32_t c = t - k;
    return c < 32 ? c + 95 : c;
  });
}

}  // namespace dz
