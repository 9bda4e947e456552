// The locale-information stand-ins: what Windows answers, read from ICU.
#include "deziva27/platform/LocaleInfo.h"

#include <unicode/uloc.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "deziva27/host/FormatSettings.h"
#include "deziva27/host/Strings.h"
#include "deziva27/platform/CodePages.h"
#include "deziva27/platform/Nls.h"

namespace dz {
namespace {

// The ICU name a Windows identifier stands for; a primary identifier takes
// its language's most likely locale ("en" -> "en_US").
std::string IcuName(LCID lcid) {
  if (lcid == LOCALE_SYSTEM_DEFAULT || lcid == LOCALE_USER_DEFAULT) lcid = GetSystemDefaultLCID();
  std::string name = nls::LocaleNameOf(lcid);
  if (name.empty()) return name;
  if ((lcid & ~0x3FFu) == 0) {
    char full[ULOC_FULLNAME_CAPACITY];
    UErrorCode err = U_ZERO_ERROR;
    uloc_addLikelySubtags(name.c_str(), full, sizeof full, &err);
    if (U_SUCCESS(err)) {
      char lang[ULOC_LANG_CAPACITY], region[ULOC_COUNTRY_CAPACITY];
      uloc_getLanguage(full, lang, sizeof lang, &err);
      uloc_getCountry(full, region, sizeof region, &err);
      if (U_SUCCESS(err)) name = std::string(lang) + "_" + region;
    }
  }
  return name;
}

using Display = int32_t (*)(const char*, const char*, UChar*, int32_t, UErrorCode*);

UnicodeString Shown(Display fn, const std::string& locale, const char* in) {
  UChar buf[256];
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = fn(locale.c_str(), in, buf, 256, &err);
  if (U_FAILURE(err) || n <= 0) return {};
  return UnicodeString(reinterpret_cast<const char16_t*>(buf), static_cast<size_t>(n));
}

// Windows' three-letter names of the commonest locales; the rest follow its
// usual rule, the ISO 639 code and the first letter of the country.
struct Abbr {
  LCID Id;
  const char* Name;
};
constexpr Abbr kAbbrevs[] = {
    {0x0401, "ARA"}, {0x0402, "BGR"}, {0x0403, "CAT"}, {0x0404, "CHT"}, {0x0405, "CSY"},
    {0x0406, "DAN"}, {0x0407, "DEU"}, {0x0408, "ELL"}, {0x0409, "ENU"}, {0x040A, "ESP"},
    {0x040B, "FIN"}, {0x040C, "FRA"}, {0x040D, "HEB"}, {0x040E, "HUN"}, {0x040F, "ISL"},
    {0x0410, "ITA"}, {0x0411, "JPN"}, {0x0412, "KOR"}, {0x0413, "NLD"}, {0x0414, "NOR"},
    {0x0415, "PLK"}, {0x0416, "PTB"}, {0x0418, "ROM"}, {0x0419, "RUS"}, {0x041A, "HRV"},
    {0x041B, "SKY"}, {0x041C, "SQI"}, {0x041D, "SVE"}, {0x041E, "THA"}, {0x041F, "TRK"},
    {0x0420, "URD"}, {0x0421, "IND"}, {0x0422, "UKR"}, {0x0423, "BEL"}, {0x0424, "SLV"},
    {0x0425, "ETI"}, {0x0426, "LVI"}, {0x0427, "LTH"}, {0x0429, "FAR"}, {0x042A, "VIT"},
    {0x042B, "HYE"}, {0x042D, "EUQ"}, {0x042F, "MKI"}, {0x0436, "AFK"}, {0x0437, "KAT"},
    {0x0438, "FOS"}, {0x0439, "HIN"}, {0x043E, "MSL"}, {0x043F, "KKZ"}, {0x0441, "SWK"},
    {0x0456, "GLC"}, {0x0804, "CHS"}, {0x0807, "DES"}, {0x0809, "ENG"}, {0x080A, "ESM"},
    {0x080C, "FRB"}, {0x0810, "ITS"}, {0x0813, "NLB"}, {0x0814, "NON"}, {0x0816, "PTG"},
    {0x0C04, "ZHH"}, {0x0C07, "DEA"}, {0x0C09, "ENA"}, {0x0C0A, "ESN"}, {0x0C0C, "FRC"},
    {0x1004, "ZHI"}, {0x1009, "ENC"}, {0x100C, "FRS"}, {0x1409, "ENZ"}, {0x1809, "ENI"},
    {0x1C09, "ENS"},
};

// Languages Windows gives no ANSI code page: their text is Unicode only.
bool UnicodeOnly(const std::string& lang) {
  static const std::set<std::string> langs = {
      "hi", "mr", "sa", "kok", "bn", "pa", "gu", "or", "ta", "te", "kn", "ml", "as", "ne",
      "si", "km", "lo", "bo", "am", "ti", "hy", "ka", "dv", "syr", "iu", "chr", "my", "dz"};
  return langs.count(lang) != 0;
}

UnicodeString Formats(LCID lcid, LCTYPE type) {
  const bool month = type >= LOCALE_SMONTHNAME1 && type < LOCALE_SMONTHNAME1 + 12;
  const bool shortMonth = type >= LOCALE_SABBREVMONTHNAME1 && type < LOCALE_SABBREVMONTHNAME1 + 12;
  const bool day = type >= LOCALE_SDAYNAME1 && type < LOCALE_SDAYNAME1 + 7;
  const bool shortDay = type >= LOCALE_SABBREVDAYNAME1 && type < LOCALE_SABBREVDAYNAME1 + 7;
  static constexpr LCTYPE kSingles[] = {LOCALE_SLIST,      LOCALE_SDECIMAL,   LOCALE_STHOUSAND,
                                        LOCALE_SCURRENCY,  LOCALE_SDATE,      LOCALE_STIME,
                                        LOCALE_SSHORTDATE, LOCALE_SLONGDATE,  LOCALE_S1159,
                                        LOCALE_S2359,      LOCALE_SSHORTTIME, LOCALE_STIMEFORMAT};
  if (!month && !shortMonth && !day && !shortDay &&
      std::find(std::begin(kSingles), std::end(kSingles), type) == std::end(kSingles))
    return {};
  TFormatSettings f;
  GetLocaleFormatSettings(lcid, f);
  // Windows counts days from Monday, the settings from Sunday.
  auto dayIndex = [](LCTYPE t, LCTYPE first) { return (t - first + 1) % 7; };
  if (month) return f.LongMonthNames[type - LOCALE_SMONTHNAME1];
  if (shortMonth) return f.ShortMonthNames[type - LOCALE_SABBREVMONTHNAME1];
  if (day) return f.LongDayNames[dayIndex(type, LOCALE_SDAYNAME1)];
  if (shortDay) return f.ShortDayNames[dayIndex(type, LOCALE_SABBREVDAYNAME1)];
  switch (type) {
    case LOCALE_SLIST: return UnicodeString(1, f.ListSeparator);
    case LOCALE_SDECIMAL: return UnicodeString(1, f.DecimalSeparator);
    case LOCALE_STHOUSAND: return UnicodeString(1, f.ThousandSeparator);
    case LOCALE_SCURRENCY: return f.CurrencyString;
    case LOCALE_SDATE: return UnicodeString(1, f.DateSeparator);
    case LOCALE_STIME: return UnicodeString(1, f.TimeSeparator);
    case LOCALE_SSHORTDATE: return f.ShortDateFormat;
    case LOCALE_SLONGDATE: return f.LongDateFormat;
    case LOCALE_S1159: return f.TimeAMString;
    case LOCALE_S2359: return f.TimePMString;
    case LOCALE_SSHORTTIME: return f.ShortTimeFormat;
    default: return f.LongTimeFormat;
  }
}

UnicodeString Info(LCID lcid, LCTYPE type) {
  const std::string name = IcuName(lcid);
  if (name.empty()) return {};
  char lang[ULOC_LANG_CAPACITY] = {}, country[ULOC_COUNTRY_CAPACITY] = {};
  UErrorCode err = U_ZERO_ERROR;
  uloc_getLanguage(name.c_str(), lang, sizeof lang, &err);
  uloc_getCountry(name.c_str(), country, sizeof country, &err);
  const std::string ui = nls::LocaleNameOf(GetSystemDefaultLCID());
  const LCID full = (lcid & ~0x3FFu) == 0 ? nls::LCIDOf(name) : lcid;
  switch (type) {
    case LOCALE_SLANGUAGE:
      return Shown(uloc_getDisplayName, name, ui.c_str());
    case LOCALE_SNATIVELANGNAME:
      return Shown(uloc_getDisplayLanguage, name, name.c_str());
    case LOCALE_SCOUNTRY:
      return Shown(uloc_getDisplayCountry, name, ui.c_str());
    case LOCALE_SENGLANGUAGE:
      return Shown(uloc_getDisplayLanguage, name, "en");
    case LOCALE_SENGCOUNTRY:
      return Shown(uloc_getDisplayCountry, name, "en");
    case LOCALE_SISO639LANGNAME:
      return Utf8ToUtf16(lang);
    case LOCALE_SISO3166CTRYNAME:
      return Utf8ToUtf16(country);
    case LOCALE_SABBREVLANGNAME: {
      for (const Abbr& a : kAbbrevs)
        if (a.Id == full) return Utf8ToUtf16(a.Name);
      std::string abbr = std::string(lang).substr(0, 2) + (country[0] ? country[0] : 'X');
      for (char& c : abbr) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      return Utf8ToUtf16(abbr);
    }
    case LOCALE_IDEFAULTANSICODEPAGE:
      return Utf8ToUtf16(UnicodeOnly(lang) ? "0" : std::to_string(nls::AnsiCodePageOf(full)));
    default:
      return Formats(full, type);
  }
}

}  // namespace

int GetLocaleInfoW(LCID Locale, LCTYPE LCType, char16_t* data, int cchData) {
  if (cchData < 0 || (cchData > 0 && !data)) return 0;
  const UnicodeString text = Info(Locale, LCType);
  if (text.empty()) return 0;
  const int need = static_cast<int>(text.size()) + 1;
  if (cchData == 0) return need;
  if (cchData < need) return 0;
  std::copy(text.begin(), text.end(), data);
  data[text.size()] = 0;
  return need;
}

bool EnumSystemLocalesW(LOCALE_ENUMPROCW proc, uint32_t flags) {
  if (!proc || (flags != LCID_INSTALLED && flags != LCID_SUPPORTED)) return false;
  std::set<LCID> seen;
  for (int32_t i = 0, n = uloc_countAvailable(); i < n; ++i) {
    const LCID lcid = uloc_getLCID(uloc_getAvailable(i));
    if ((lcid & ~0x3FFu) == 0 || !seen.insert(lcid).second) continue;
    if (nls::LocaleNameOf(lcid).empty()) continue;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", lcid);
    char16_t wide[9];
    std::copy(hex, hex + 9, wide);
    if (!proc(wide)) break;
  }
  return true;
}

}  // namespace dz
