// Character types over ICU, sort keys from Windows' weights, keyboard
// layouts from the machine's keyboard setting.
#include "deziva27/platform/detail/LocaleText.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "deziva27/platform/detail/CodePages.h"
#include "deziva27/platform/detail/LocaleInfo.h"
#include "deziva27/platform/detail/Nls.h"
#include "deziva27/platform/detail/SortKeys.h"

namespace dz::win {
namespace {

uint32_t AnsiCodePage(LCID lcid) {
  char16_t buf[8];
  if (GetLocaleInfoW(lcid, LOCALE_IDEFAULTANSICODEPAGE, buf, 8) == 0) return 0;
  return static_cast<uint32_t>(std::strtoul(std::string(buf, buf + 4).c_str(), nullptr, 10));
}

bool KnownLocale(LCID lcid) { return GetLocaleInfoW(lcid, LOCALE_SISO639LANGNAME, nullptr, 0) > 0; }

uint16_t Ctype2(UChar32 c) {
  switch (u_charDirection(c)) {
    case U_LEFT_TO_RIGHT: return C2_LEFTTORIGHT;
    case U_RIGHT_TO_LEFT:
    case U_RIGHT_TO_LEFT_ARABIC: return C2_RIGHTTOLEFT;
    case U_EUROPEAN_NUMBER: return C2_EUROPENUMBER;
    case U_EUROPEAN_NUMBER_SEPARATOR: return C2_EUROPESEPARATOR;
    case U_EUROPEAN_NUMBER_TERMINATOR: return C2_EUROPETERMINATOR;
    case U_ARABIC_NUMBER: return C2_ARABICNUMBER;
    case U_COMMON_NUMBER_SEPARATOR: return C2_COMMONSEPARATOR;
    case U_BLOCK_SEPARATOR: return C2_BLOCKSEPARATOR;
    case U_SEGMENT_SEPARATOR: return C2_SEGMENTSEPARATOR;
    case U_WHITE_SPACE_NEUTRAL: return C2_WHITESPACE;
    case U_OTHER_NEUTRAL: return C2_OTHERNEUTRAL;
    default: return C2_NOTAPPLICABLE;
  }
}

int Length(const char* src, int cch) {
  return cch == -1 ? static_cast<int>(std::strlen(src)) + 1 : cch;
}

// XKB layout names and the language Windows gives their layouts.
const std::map<std::string, uint16_t>& XkbLanguages() {
  static const std::map<std::string, uint16_t> m = {
      {"us", 0x0409}, {"gb", 0x0809}, {"de", 0x0407}, {"ch", 0x0807}, {"at", 0x0C07},
      {"fr", 0x040C}, {"be", 0x080C}, {"ca", 0x0C0C}, {"es", 0x0C0A}, {"latam", 0x080A},
      {"it", 0x0410}, {"pt", 0x0816}, {"br", 0x0416}, {"nl", 0x0413}, {"dk", 0x0406},
      {"no", 0x0414}, {"se", 0x041D}, {"fi", 0x040B}, {"is", 0x040F}, {"pl", 0x0415},
      {"cz", 0x0405}, {"sk", 0x041B}, {"hu", 0x040E}, {"si", 0x0424}, {"hr", 0x041A},
      {"ro", 0x0418}, {"bg", 0x0402}, {"ru", 0x0419}, {"ua", 0x0422}, {"by", 0x0423},
      {"gr", 0x0408}, {"tr", 0x041F}, {"il", 0x040D}, {"ara", 0x0401}, {"ir", 0x0429},
      {"th", 0x041E}, {"jp", 0x0411}, {"kr", 0x0412}, {"cn", 0x0804}, {"tw", 0x0404},
      {"ee", 0x0425}, {"lv", 0x0426}, {"lt", 0x0427}, {"vn", 0x042A}, {"in", 0x0439},
  };
  return m;
}

std::vector<uint64_t> Layouts() {
  std::string setting;
  if (const char* env = std::getenv("DZ_KEYBOARD_LAYOUTS")) {
    setting = env;
  } else {
    std::ifstream f("/etc/default/keyboard");
    for (std::string line; std::getline(f, line);) {
      if (line.rfind("XKBLAYOUT=", 0) != 0) continue;
      setting = line.substr(10);
      setting.erase(std::remove(setting.begin(), setting.end(), '"'), setting.end());
    }
  }
  std::vector<uint64_t> out;
  for (char& c : setting)
    if (c == ',') c = ' ';
  std::istringstream words(setting);
  for (std::string w; words >> w;) {
    char* end = nullptr;
    unsigned long long h = std::strtoull(w.c_str(), &end, 16);
    if (*end == '\0' && w.size() >= 4) {
      out.push_back(h);
      continue;
    }
    auto it = XkbLanguages().find(w);
    if (it != XkbLanguages().end()) out.push_back(uint64_t{it->second} << 16 | it->second);
  }
  if (out.empty()) out.push_back(0x04090409);
  return out;
}

}  // namespace

bool GetStringTypeExA(LCID Locale, uint32_t InfoType, const char* src, int cchSrc,
                      uint16_t* charType) {
  if (InfoType != CT_CTYPE2 || !src || !charType || cchSrc == 0 || cchSrc < -1) return false;
  if (!KnownLocale(Locale)) return false;
  const uint32_t cp = AnsiCodePage(Locale);
  const int n = Length(src, cchSrc);
  for (int i = 0; i < n; ++i) {
    char16_t c[2] = {};
    // Byte by byte, as the single-byte code pages are read; the lead byte of
    // a double-byte character is typed on its own.
    const int got = MultiByteToWideChar(cp == 0 ? CP_ACP : cp, 0, src + i, 1, c, 2);
    charType[i] = got == 1 ? Ctype2(c[0]) : C2_NOTAPPLICABLE;
  }
  return true;
}

int LCMapStringA(LCID Locale, uint32_t MapFlags, const char* src, int cchSrc, char* dest,
                 int cchDest) {
  if ((MapFlags & ~NORM_IGNORECASE) != LCMAP_SORTKEY || !src || cchSrc == 0 || cchSrc < -1 ||
      cchDest < 0 || (cchDest > 0 && !dest))
    return 0;
  // Sorting calls this once or twice a string with the same locale: what
  // an explicit identifier resolves to is kept (the defaults can change).
  thread_local LCID lastAsked = 0, lastLcid = 0;
  thread_local uint32_t lastCp = 0;
  LCID lcid = lastLcid;
  uint32_t cp = lastCp;
  if (Locale != lastAsked || lastAsked == 0) {
    lcid = nls::ResolveLCID(Locale);
    if (lcid == 0 || !KnownLocale(lcid)) return 0;
    cp = AnsiCodePage(lcid);
    const bool fixed = Locale != 0 && Locale != 0x0400 && Locale != 0x0800;  // user, system default
    lastAsked = fixed ? Locale : 0;
    lastLcid = lcid;
    lastCp = cp;
  }
  int n = Length(src, cchSrc);
  if (cchSrc == -1) --n;  // the key stands for the text, not its zero
  const uint32_t page = cp == 0 ? CP_ACP : cp;
  // Most text fits the buffer on the stack and is decoded in one call.
  char16_t local[256];
  std::u16string heap;
  int wn = n == 0 ? 0 : MultiByteToWideChar(page, 0, src, n, local, 256);
  const char16_t* text = local;
  if (wn == 0 && n > 0) {
    wn = MultiByteToWideChar(page, 0, src, n, nullptr, 0);
    heap.resize(static_cast<size_t>(wn));
    if (wn > 0) MultiByteToWideChar(page, 0, src, n, heap.data(), wn);
    text = heap.data();
  }
  const std::string key = detail::sortkey::Build(
      lcid, std::u16string_view(text, static_cast<size_t>(wn)), (MapFlags & NORM_IGNORECASE) != 0);
  const int size = static_cast<int>(key.size());
  if (cchDest == 0) return size;
  if (cchDest < size) return 0;
  std::memcpy(dest, key.data(), key.size());
  return size;
}

int GetKeyboardLayoutList(int count, uint64_t* list) {
  const std::vector<uint64_t> layouts = Layouts();
  if (count <= 0 || !list) return static_cast<int>(layouts.size());
  const int n = std::min(count, static_cast<int>(layouts.size()));
  std::copy(layouts.begin(), layouts.begin() + n, list);
  return n;
}

}  // namespace dz::win
