// The code-page stand-ins over ICU. Conversions run on the per-thread
// converters of the host, so that no call builds one.
#include "deziva27/platform/CodePages.h"

#include <unicode/ucnv.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "deziva27/host/Icu.h"
#include "deziva27/platform/Nls.h"

namespace dz {
namespace {

uint32_t Resolve(uint32_t codePage) {
  if (codePage == CP_ACP) return GetACP();
  if (codePage == CP_OEMCP) return GetOEMCP();
  return codePage;
}

struct CharsetRow {
  uint32_t Charset, CodePage, Bit;  // Bit: the code page's bit in fsCsb[0]
};
// The character sets Windows pairs with its ANSI code pages.
constexpr CharsetRow kCharsets[] = {
    {0, 1252, 0},    {238, 1250, 1},  {204, 1251, 2},  {161, 1253, 3},
    {162, 1254, 4},  {177, 1255, 5},  {178, 1256, 6},  {186, 1257, 7},
    {163, 1258, 8},  {222, 874, 16},  {128, 932, 17},  {134, 936, 18},
    {129, 949, 19},  {136, 950, 20},  {130, 1361, 21}, {2, 42, 31},
};

bool PairAt(const char16_t* w, int32_t i, int32_t n) {
  return w[i] >= 0xD800 && w[i] <= 0xDBFF && i + 1 < n && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF;
}

size_t Pairs(const char16_t* w, int32_t n) {
  size_t pairs = 0;
  for (int32_t i = 0; i < n; ++i)
    if (PairAt(w, i, n)) ++pairs, ++i;
  return pairs;
}

// The bytes UTF-8 needs for units; an unpaired surrogate becomes the
// converter's '?'.
size_t Utf8Size(const char16_t* w, int32_t n) {
  size_t bytes = 0;
  for (int32_t i = 0; i < n; ++i) {
    const char16_t c = w[i];
    if (c < 0x80) {
      bytes += 1;
    } else if (c < 0x800) {
      bytes += 2;
    } else if (PairAt(w, i, n)) {
      bytes += 4;
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      bytes += 1;
    } else {
      bytes += 3;
    }
  }
  return bytes;
}

}  // namespace

namespace nls {

std::string CodePageConverterName(uint32_t codePage) {
  codePage = Resolve(codePage);
  if (const char* known = ConverterNameOf(codePage)) return known;
  static std::mutex lock;
  static std::map<uint32_t, std::string> probed;
  std::lock_guard<std::mutex> hold(lock);
  auto it = probed.find(codePage);
  if (it != probed.end()) return it->second;
  std::string found;
  for (const char* pattern : {"windows-%u", "ibm-%u", "cp%u"}) {
    char name[32];
    std::snprintf(name, sizeof name, pattern, codePage);
    UErrorCode err = U_ZERO_ERROR;
    UConverter* c = ucnv_open(name, &err);
    if (U_SUCCESS(err) && c) {
      ucnv_close(c);
      found = name;
      break;
    }
  }
  probed.emplace(codePage, found);
  return found;
}

}  // namespace nls

int MultiByteToWideChar(uint32_t CodePage, uint32_t, const char* multi, int cbMulti,
                        char16_t* wide, int cchWide) {
  if (!multi || cbMulti == 0 || cbMulti < -1 || cchWide < 0 || (cchWide > 0 && !wide)) return 0;
  UConverter* conv = detail::ConverterFor(Resolve(CodePage));
  if (!conv) return 0;
  const auto len = static_cast<int32_t>(cbMulti == -1 ? std::strlen(multi) + 1 : cbMulti);
  // A single-byte code page gives one unit a byte, defined or not: the size
  // needs no conversion.
  if (cchWide == 0 && ucnv_getMaxCharSize(conv) == 1) return len;
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(conv, cchWide == 0 ? nullptr : wide, cchWide, multi, len, &err);
  if (cchWide == 0) return err == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(err) ? n : 0;
  return U_SUCCESS(err) ? n : 0;  // a short buffer fails whole, as on Windows
}

int WideCharToMultiByte(uint32_t CodePage, uint32_t, const char16_t* wide, int cchWide,
                        char* multi, int cbMulti, const char*, int* usedDefaultChar) {
  if (usedDefaultChar) *usedDefaultChar = 0;
  if (!wide || cchWide == 0 || cchWide < -1 || cbMulti < 0 || (cbMulti > 0 && !multi)) return 0;
  UConverter* conv = detail::ConverterFor(Resolve(CodePage));
  if (!conv) return 0;
  int32_t len = cchWide;
  if (cchWide == -1) {
    len = 0;
    while (wide[len] != 0) ++len;
    ++len;
  }
  if (cbMulti == 0) {
    // Sizes without converting where the code page tells them: a byte a
    // character in a single-byte page ('?' for what it lacks, a surrogate
    // pair being one character), the UTF-8 lengths.
    if (ucnv_getMaxCharSize(conv) == 1) return len - static_cast<int>(Pairs(wide, len));
    if (Resolve(CodePage) == CP_UTF8) return static_cast<int>(Utf8Size(wide, len));
  }
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(conv, cbMulti == 0 ? nullptr : multi, cbMulti, wide, len, &err);
  if (cbMulti == 0) return err == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(err) ? n : 0;
  return U_SUCCESS(err) ? n : 0;
}

bool TranslateCharsetInfo(uintptr_t source, CHARSETINFO* info, uint32_t flags) {
  if (!info || (flags != TCI_SRCCHARSET && flags != TCI_SRCCODEPAGE)) return false;
  for (const CharsetRow& r : kCharsets) {
    if ((flags == TCI_SRCCHARSET ? r.Charset : r.CodePage) != source) continue;
    *info = {};
    info->ciCharset = r.Charset;
    info->ciACP = r.CodePage;
    info->fs.fsCsb[0] = 1u << r.Bit;
    return true;
  }
  return false;
}

}  // namespace dz
