// Random bytes and code-page numbers through both conversion directions and
// the sort key: no access out of bounds, sizes that agree between the two
// calls of each protocol, and an exact round trip wherever the code page
// holds the text. The first two bytes pick the code page.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "deziva27/locales/YLocales.h"

namespace {

constexpr uint32_t kPages[] = {0,    1,    437,  850,  866,  874,   932,   936,   949,   950,
                               1250, 1251, 1252, 1253, 1254, 1255,  1256,  1257,  1258,  20127,
                               28591, 28595, 28605, 65001, 4711, 1200, 54936, 20866, 99999, 42};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint32_t cp = data[0] < 240 ? kPages[data[0] % std::size(kPages)]
                                    : static_cast<uint32_t>(data[1]) * 300;
  const std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  const dz::WideString wide = dz::StrToWideByCodePage(bytes, static_cast<dz::Integer>(cp));
  const dz::AnsiString back = dz::WideToStrByCodePage(wide, static_cast<dz::Integer>(cp));
  // Text that came out of the code page goes back into it unchanged, and
  // reading those bytes again gives the same text.
  if (dz::StrToWideByCodePage(back, static_cast<dz::Integer>(cp)) != wide &&
      wide.find(u'\uFFFD') == dz::WideString::npos && wide.find(u'\x1A') == dz::WideString::npos &&
      dz::MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0) > 0)
    std::abort();
  // The size protocol: the count asked for is the count written.
  const int n = dz::MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()),
                                        nullptr, 0);
  if (n > 0) {
    std::u16string buf(static_cast<size_t>(n), u'\0');
    if (dz::MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), buf.data(),
                                n) != n)
      std::abort();
    if (n > 1 && dz::MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()),
                                         buf.data(), n - 1) != 0)
      std::abort();
  }
  dz::AnsiChar* key = nullptr;
  const dz::Integer k = dz::GetSortKey(bytes, data[1] % 2 ? 0x0409 : 0x0419, key);
  if (k > 0) {
    if (!key || key[k - 1] != 0) std::abort();
    std::free(key);
  }
  return 0;
}
