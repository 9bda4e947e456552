// Random bytes through the code-page calls, both directions, every flag and
// every code page Windows has (and some it has not): no access out of
// bounds, a size query that answers what the conversion then writes, a
// buffer one short that fails, exact round trips where the page allows, and
// text encoded whole as its characters encoded one by one. The first byte
// picks the code page, the second the flags.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "deziva27/locales/YLocales.h"
#include "deziva27/platform/detail/CodePages.h"

namespace {

const std::vector<uint32_t>& Pages() {
  static const std::vector<uint32_t> pages = [] {
    std::vector<uint32_t> v{0, 1, 2, 3, 42, 1200, 28600, 54936, 99999};
    for (uint32_t cp = 4; cp < 0x10000; ++cp)
      if (dz::win::IsValidCodePage(cp)) v.push_back(cp);
    return v;
  }();
  return pages;
}

// The size query; the conversion into more room than that, which leaves
// what lies past its end alone; and into one less, which fails.
template <class In, class Out, class Call>
Out Sized(const In& in, Call call) {
  using Ch = typename Out::value_type;
  const int n = call(in.data(), static_cast<int>(in.size()), nullptr, 0);
  if (n <= 0) return Out();
  Out out(static_cast<size_t>(n) + 3, Ch('#'));
  if (call(in.data(), static_cast<int>(in.size()), out.data(), n + 3) != n) std::abort();
  for (size_t i = static_cast<size_t>(n); i < out.size(); ++i)
    if (out[i] != Ch('#')) std::abort();
  out.resize(static_cast<size_t>(n));
  Out exact(static_cast<size_t>(n), Ch('#'));
  if (call(in.data(), static_cast<int>(in.size()), exact.data(), n) != n || exact != out)
    std::abort();
  if (n > 1 && call(in.data(), static_cast<int>(in.size()), exact.data(), n - 1) != 0) std::abort();
  return out;
}

// A stateless page's bytes for w, a character (or a surrogate pair) a call:
// short calls take none of the paths that whole text takes.
std::string OneByOne(uint32_t cp, uint32_t flags, const std::u16string& w, const char* defaultChar,
                     int* used) {
  std::string r;
  char b[8];
  for (size_t i = 0; i < w.size();) {
    const size_t k =
        i + 1 < w.size() && (w[i] & 0xFC00) == 0xD800 && (w[i + 1] & 0xFC00) == 0xDC00 ? 2 : 1;
    int u = 0;
    const int n = dz::win::WideCharToMultiByte(cp, flags, w.data() + i, static_cast<int>(k), b, 8,
                                               defaultChar, used ? &u : nullptr);
    if (n <= 0) return "failed";
    if (used) *used |= u;
    r.append(b, static_cast<size_t>(n));
    i += k;
  }
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const auto& pages = Pages();
  const uint32_t cp = pages[data[0] % pages.size()];
  const uint8_t pick = data[1];
  const uint32_t mbFlags = pick & 1 ? dz::win::MB_ERR_INVALID_CHARS : 0;
  const uint32_t wcFlags = (pick & 2 ? dz::win::WC_NO_BEST_FIT_CHARS : 0) |
                           (pick & 4 ? dz::win::WC_ERR_INVALID_CHARS : 0);
  const bool unicodePage = cp == dz::CP_UTF7 || cp == dz::CP_UTF8;
  const char* defaultChar = pick & 8 && !unicodePage ? "\x81\x40" : nullptr;
  const bool askUsed = pick & 16 && !unicodePage;
  const std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);

  const auto decode = [&](uint32_t flags) {
    return [=](const char* s, int n, char16_t* w, int room) {
      return dz::win::MultiByteToWideChar(cp, flags, s, n, w, room);
    };
  };
  const std::u16string wide = Sized<std::string, std::u16string>(bytes, decode(mbFlags));
  // The bytes read as UTF-16 too, lone surrogates and all, for the encoder.
  std::u16string units(bytes.size() / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), bytes.data(), units.size() * 2);
  const std::u16string* texts[] = {&wide, &units};
  for (const std::u16string* text : texts) {
    int used = 0;
    const std::string encoded = Sized<std::u16string, std::string>(
        *text, [&](const char16_t* w, int n, char* out, int room) {
          return dz::win::WideCharToMultiByte(cp, wcFlags, w, n, out, room, defaultChar,
                                              askUsed ? &used : nullptr);
        });
    if (!encoded.empty() && cp != dz::CP_UTF7) {
      int usedWhole = 0, usedOne = 0;
      std::string again(encoded.size(), '#');
      dz::win::WideCharToMultiByte(cp, wcFlags, text->data(), static_cast<int>(text->size()),
                                   again.data(), static_cast<int>(again.size()), defaultChar,
                                   askUsed ? &usedWhole : nullptr);
      if (again != encoded ||
          OneByOne(cp, wcFlags, *text, defaultChar, askUsed ? &usedOne : nullptr) != encoded ||
          usedOne != usedWhole)
        std::abort();
    }
    if (encoded.empty() || used || wcFlags & dz::win::WC_NO_BEST_FIT_CHARS) continue;
    // Text a page holds without its default comes back as it went, except
    // where a best fit stood in (flags 0 cannot tell): only UTF-8 and UTF-7
    // promise a round trip for every well-formed text.
    const std::u16string back = Sized<std::string, std::u16string>(encoded, decode(0));
    if (unicodePage && text == &wide && back != wide) std::abort();
  }
  return 0;
}
