// Sort keys: any bytes under locales with contractions, French accents,
// Thai and double-byte pages, and any UTF-16 units, give a key that ends in
// its zero, whose size the size query told, without reading past the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "deziva27/platform/detail/LocaleText.h"
#include "deziva27/platform/detail/SortKeys.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const dz::LCID kLocales[] = {0x0409, 0x0407, 0x040C, 0x0406, 0x0405, 0x040E,
                                      0x042A, 0x041E, 0x0411, 0x0408, 0x0401, 0x10407};
  if (size < 2) return 0;
  const dz::LCID lcid = kLocales[data[0] % std::size(kLocales)];
  const uint32_t flags = dz::win::LCMAP_SORTKEY | (data[1] & 1 ? dz::win::NORM_IGNORECASE : 0);
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  if (!text.empty()) {
    const int n = static_cast<int>(text.size());
    const int want = dz::win::LCMapStringA(lcid, flags, text.data(), n, nullptr, 0);
    if (want <= 0) std::abort();
    std::string key(static_cast<size_t>(want), '#');
    if (dz::win::LCMapStringA(lcid, flags, text.data(), n, key.data(), want) != want ||
        key.back() != '\0')
      std::abort();
  }
  std::u16string units;
  for (size_t i = 2; i + 1 < size; i += 2)
    units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  const std::string key =
      dz::win::detail::sortkey::Build(lcid, units, flags & dz::win::NORM_IGNORECASE);
  if (key.size() < 5 || key.back() != '\0') std::abort();
  return 0;
}
