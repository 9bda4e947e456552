#include "deziva27/platform/Nls.h"

#include <unicode/uloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "deziva27/host/FormatSettings.h"
#include "deziva27/host/Icu.h"
#include "deziva27/platform/CodePages.h"

namespace dz {
namespace {

constexpr LCID kEnUS = 0x0409;

std::optional<LCID> gOverride;

// "ru_RU.UTF-8@euro" -> "ru_RU"; "de-DE" stays; C and POSIX mean en-US.
std::string CleanLocaleName(std::string_view name) {
  std::string s(name.substr(0, name.find_first_of(".@")));
  if (s.empty() || s == "C" || s == "POSIX") return "en_US";
  return s;
}

LCID FromEnvironment() {
  for (const char* var : {"DZ_LOCALE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (!v || !*v) continue;
    if (LCID id = nls::LCIDOf(v)) return id;
    // A name we cannot map is as good as none: look further, then en-US.
  }
  return kEnUS;
}

LCID SystemLCID() {
  static const LCID fromEnv = FromEnvironment();
  return gOverride ? *gOverride : fromEnv;
}

void LocaleChanged() {
  detail::BumpLocaleEpoch();
  ResetFormatSettings();
}

}  // namespace

LCID GetSystemDefaultLCID() {
  return SystemLCID();
}
LCID GetUserDefaultLCID() {
  return SystemLCID();
}
uint32_t GetACP() {
  if (const uint32_t chosen = detail::ChosenAnsiCodePage()) return chosen;
  return nls::AnsiCodePageOf(SystemLCID());
}

bool SetSystemLocale(std::string_view name) {
  LCID id = nls::LCIDOf(name);
  return id != 0 && SetSystemLocale(id);
}

bool SetSystemLocale(LCID lcid) {
  if (nls::LocaleNameOf(lcid).empty()) return false;
  gOverride = lcid;
  LocaleChanged();
  return true;
}

void ResetSystemLocale() {
  gOverride.reset();
  LocaleChanged();
}

namespace nls {

LCID ResolveLCID(LCID lcid) {
  if (lcid == LOCALE_SYSTEM_DEFAULT || lcid == LOCALE_USER_DEFAULT || lcid == 0)
    return SystemLCID();
  return LocaleNameOf(lcid).empty() ? 0 : lcid;
}

std::string LocaleNameOf(LCID lcid) {
  if (lcid == LOCALE_SYSTEM_DEFAULT || lcid == LOCALE_USER_DEFAULT) lcid = SystemLCID();
  char buf[ULOC_FULLNAME_CAPACITY];
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = uloc_getLocaleForLCID(lcid, buf, sizeof buf, &err);
  if (U_FAILURE(err) || n <= 0) return {};
  return std::string(buf, static_cast<size_t>(n));
}

LCID LCIDOf(std::string_view name) {
  std::string clean = CleanLocaleName(name);
  char canon[ULOC_FULLNAME_CAPACITY];
  UErrorCode err = U_ZERO_ERROR;
  // Accept BCP 47 ("de-DE") as well as POSIX ("de_DE") names.
  int32_t n = uloc_forLanguageTag(clean.c_str(), canon, sizeof canon, nullptr, &err);
  if (U_FAILURE(err) || n <= 0) {
    err = U_ZERO_ERROR;
    n = uloc_canonicalize(clean.c_str(), canon, sizeof canon, &err);
    if (U_FAILURE(err) || n <= 0) return 0;
  }
  if (std::strchr(canon, '_') == nullptr && std::strchr(canon, '-') == nullptr) {
    // A bare language: let ICU pick the likely region ("ru" -> "ru_RU").
    char full[ULOC_FULLNAME_CAPACITY];
    err = U_ZERO_ERROR;
    uloc_addLikelySubtags(canon, full, sizeof full, &err);
    if (U_SUCCESS(err)) {
      char min[ULOC_FULLNAME_CAPACITY];
      char lang[ULOC_LANG_CAPACITY], region[ULOC_COUNTRY_CAPACITY];
      uloc_getLanguage(full, lang, sizeof lang, &err);
      uloc_getCountry(full, region, sizeof region, &err);
      std::snprintf(min, sizeof min, "%s_%s", lang, region);
      if (U_SUCCESS(err)) std::strcpy(canon, min);
    }
  }
  uint32_t id = uloc_getLCID(canon);
  return id;
}

uint32_t AnsiCodePageOf(LCID lcid) {
  lcid = ResolveLCID(lcid);
  std::string name = LocaleNameOf(lcid);
  if (name.empty()) return 1252;
  std::string lang = name.substr(0, name.find('_'));
  bool cyrillicScript = name.find("Cyrl") != std::string::npos;
  bool latinScript = name.find("Latn") != std::string::npos;
  struct Row {
    const char* langs;
    uint32_t cp;
  };
  // The ANSI code page Windows gives each language's locales.
  static const Row rows[] = {
      {" cs pl hu sk sl hr ro sq bs tk ", 1250},
      {" ru uk be bg mk kk ky tt mn ba sah ", 1251},
      {" el ", 1253},
      {" tr az uz ", 1254},
      {" he yi ", 1255},
      {" ar fa ur ps ug sd ", 1256},
      {" et lv lt ", 1257},
      {" vi ", 1258},
      {" th ", 874},
      {" ja ", 932},
      {" ko ", 949},
  };
  if (lang == "sr") return cyrillicScript ? 1251 : 1250;
  if (lang == "zh") {
    if (name.find("Hant") != std::string::npos || name.find("_TW") != std::string::npos ||
        name.find("_HK") != std::string::npos || name.find("_MO") != std::string::npos)
      return 950;
    return 936;
  }
  if ((lang == "az" || lang == "uz") && cyrillicScript) return 1251;
  if (lang == "bs" && cyrillicScript) return 1251;
  (void)latinScript;
  std::string key = " " + lang + " ";
  for (const Row& r : rows)
    if (std::strstr(r.langs, key.c_str())) return r.cp;
  return 1252;
}

const char* ConverterNameOf(uint32_t codePage) {
  switch (codePage) {
    case 65001:
      return "UTF-8";
    case 1200:
      return "UTF-16LE";
    case 1201:
      return "UTF-16BE";
    case 20127:
      return "US-ASCII";
    case 28591:
      return "ISO-8859-1";
    case 932:
      return "windows-31j";
    case 936:
      return "windows-936-2000";
    case 949:
      return "windows-949-2000";
    case 950:
      return "windows-950-2000";
    case 874:
      return "windows-874-2000";
    case 1250:
      return "windows-1250";
    case 1251:
      return "windows-1251";
    case 1252:
      return "windows-1252";
    case 1253:
      return "windows-1253";
    case 1254:
      return "windows-1254";
    case 1255:
      return "windows-1255";
    case 1256:
      return "windows-1256";
    case 1257:
      return "windows-1257";
    case 1258:
      return "windows-1258";
    case 437:
      return "ibm-437";
    case 850:
      return "ibm-850";
    case 852:
      return "ibm-852";
    case 866:
      return "ibm-866";
    case 20866:
      return "KOI8-R";
    case 21866:
      return "KOI8-U";
    default:
      break;
  }
  if (codePage >= 28592 && codePage <= 28606) {
    static thread_local char buf[16];
    std::snprintf(buf, sizeof buf, "ISO-8859-%u", codePage - 28590);
    return buf;
  }
  return nullptr;
}

}  // namespace nls
}  // namespace dz
