// Records the locale data Windows gives: the locales each enumeration flag
// lists, and every item of locale information the library or its callers read,
// for every listed locale and every neutral (primary) identifier Windows knows.
//
//   locales_enum.txt   one line per flag: the flag, then the identifiers in
//                      Windows' order, blank-separated ("-": none, "same" and
//                      a flag: the list of that earlier flag)
//   locales.txt        a "types" line naming the LCTYPE of each column, then
//                      one line per locale: its identifier and one field per
//                      type; "\x" stands for a call that failed
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Oracle.h"

namespace {

std::vector<LCID> gListed;

BOOL CALLBACK Collect(LPWSTR s) {
  gListed.push_back(static_cast<LCID>(std::wcstoul(s, nullptr, 16)));
  return TRUE;
}

std::vector<LCID> Enum(DWORD flags) {
  gListed.clear();
  EnumSystemLocalesW(Collect, flags);
  return gListed;
}

// Every type the library or a caller reads, in the column order of the file.
const std::vector<LCTYPE>& Types() {
  static const std::vector<LCTYPE> types = [] {
    std::vector<LCTYPE> t = {
        LOCALE_ILANGUAGE,       LOCALE_SNAME,          LOCALE_SLANGUAGE,
        LOCALE_SABBREVLANGNAME, LOCALE_SNATIVELANGNAME, LOCALE_SCOUNTRY,
        LOCALE_SENGLANGUAGE,    LOCALE_SENGCOUNTRY,    LOCALE_IDEFAULTANSICODEPAGE,
        LOCALE_IDEFAULTCODEPAGE, LOCALE_SISO639LANGNAME, LOCALE_SISO3166CTRYNAME,
        LOCALE_SLIST,           LOCALE_SDECIMAL,       LOCALE_STHOUSAND,
        LOCALE_SCURRENCY,       LOCALE_SDATE,          LOCALE_STIME,
        LOCALE_SSHORTDATE,      LOCALE_SLONGDATE,      LOCALE_STIMEFORMAT,
        LOCALE_SSHORTTIME,      LOCALE_S1159,          LOCALE_S2359};
    for (LCTYPE k = 0; k < 7; ++k) t.push_back(LOCALE_SDAYNAME1 + k);
    for (LCTYPE k = 0; k < 7; ++k) t.push_back(LOCALE_SABBREVDAYNAME1 + k);
    for (LCTYPE k = 0; k < 12; ++k) t.push_back(LOCALE_SMONTHNAME1 + k);
    for (LCTYPE k = 0; k < 12; ++k) t.push_back(LOCALE_SABBREVMONTHNAME1 + k);
    return t;
  }();
  return types;
}

// The two-call protocol, as callers use it; "\x" when either call fails or
// the counts differ.
std::string Item(LCID lcid, LCTYPE type) {
  int n = GetLocaleInfoW(lcid, type, nullptr, 0);
  if (n <= 0) return "\\x";
  std::wstring buf(static_cast<size_t>(n), L'\0');
  if (GetLocaleInfoW(lcid, type, buf.data(), n) != n) return "\\x";
  return oracle::Text(buf.data(), n - 1);
}

// Where Wine's data (taken from CLDR) is known to depart from what Windows
// gives, Windows' answer; the file keeps Wine's in a comment.
constexpr const char* kRuMonths = "Windows capitalises the Russian month names it gives alone";
constexpr const char* kOneDigitHour =
    "Windows' Russian clock shows the hour without a leading zero";
constexpr const char* kDeDays = "Windows abbreviates German days to two letters, no full stop";
constexpr const char* kEsSorts = "Windows names the sort of each Spanish (Spain) locale";
struct Fix {
  LCID Id;
  LCTYPE Type;
  const wchar_t* Windows;
  const char* Why;
};
const Fix kFixes[] = {
    // Russian: months capitalised when named alone, a 1-digit hour, "г." in the long date.
    {0x0419, LOCALE_SMONTHNAME1, L"\u042F\u043D\u0432\u0430\u0440\u044C", kRuMonths},
    {0x0419, LOCALE_SMONTHNAME1 + 1, L"\u0424\u0435\u0432\u0440\u0430\u043B\u044C", kRuMonths},
    {0x0419, LOCALE_SMONTHNAME1 + 2, L"\u041C\u0430\u0440\u0442", kRuMonths},
    {0x0419, LOCALE_SMONTHNAME1 + 3, L"\u0410\u043F\u0440\u0435\u043B\u044C", kRuMonths},
    {0x0419, LOCALE_SMONTHNAME1 + 4, L"\u041C\u0430\u0439", kRuMonths},
    {0x0419, LOCALE_SMONTHNAME1 + 5, L"\u0418\u044E\u043D\u044C", kRuMonths},
    {0x0419, LOCALE_SMONTHNAME1 + 6, L"\u0418\u044E\u043B\u044C", kRuMonths},
    {0x0419, LOCALE_SMONTHNAME1 + 7, L"\u0410\u0432\u0433\u0443\u0441\u0442", kRuMonths},
    {0x0419, LOCALE_SMONTHNAME1 + 8, L"\u0421\u0435\u043D\u0442\u044F\u0431\u0440\u044C",
     kRuMonths},
    {0x0419, LOCALE_SMONTHNAME1 + 9, L"\u041E\u043A\u0442\u044F\u0431\u0440\u044C", kRuMonths},
    {0x0419, LOCALE_SMONTHNAME1 + 10, L"\u041D\u043E\u044F\u0431\u0440\u044C", kRuMonths},
    {0x0419, LOCALE_SMONTHNAME1 + 11, L"\u0414\u0435\u043A\u0430\u0431\u0440\u044C", kRuMonths},
    {0x0419, LOCALE_SLONGDATE, L"d MMMM yyyy '\u0433.'",
     "Windows' Russian long date has no weekday"},
    {0x0419, LOCALE_STIMEFORMAT, L"H:mm:ss", kOneDigitHour},
    {0x0419, LOCALE_SSHORTTIME, L"H:mm", kOneDigitHour},
    // German: two-digit day and month, and day abbreviations without a full stop.
    {0x0407, LOCALE_SSHORTDATE, L"dd.MM.yyyy", "Windows' German short date pads day and month"},
    {0x0407, LOCALE_SABBREVDAYNAME1 + 0, L"Mo", kDeDays},
    {0x0407, LOCALE_SABBREVDAYNAME1 + 1, L"Di", kDeDays},
    {0x0407, LOCALE_SABBREVDAYNAME1 + 2, L"Mi", kDeDays},
    {0x0407, LOCALE_SABBREVDAYNAME1 + 3, L"Do", kDeDays},
    {0x0407, LOCALE_SABBREVDAYNAME1 + 4, L"Fr", kDeDays},
    {0x0407, LOCALE_SABBREVDAYNAME1 + 5, L"Sa", kDeDays},
    {0x0407, LOCALE_SABBREVDAYNAME1 + 6, L"So", kDeDays},
    // Japanese: a padded short date, and the long date with quoted literals and no weekday.
    {0x0411, LOCALE_SSHORTDATE, L"yyyy/MM/dd", "Windows' Japanese short date pads month and day"},
    {0x0411, LOCALE_SLONGDATE, L"yyyy'\u5E74'M'\u6708'd'\u65E5'",
     "Windows' Japanese long date quotes its literals and shows no weekday"},
    // Spanish (Spain): the two sorts are told apart in the name.
    {0x040A, LOCALE_SLANGUAGE, L"Spanish (Spain, Traditional Sort)", kEsSorts},
    {0x0C0A, LOCALE_SLANGUAGE, L"Spanish (Spain, International Sort)", kEsSorts},
};
}  // namespace

int wmain() {
  {
    oracle::File f("locales_enum.txt",
                   "EnumSystemLocalesW: per flag (hexadecimal), the identifiers listed, in order");
    // Alternate sorts come alone or added to either list; "same" names an
    // earlier flag whose list this one repeats.
    std::map<std::string, DWORD> seen;
    for (DWORD flags : {1ul, 2ul, 4ul, 5ul, 6ul, 0ul, 8ul}) {
      std::string line;
      for (LCID id : Enum(flags)) line += (line.empty() ? "" : " ") + oracle::Hex(id, 8);
      if (auto it = seen.find(line); it != seen.end() && !line.empty())
        f.Line(oracle::Hex(flags, 1), "same", oracle::Hex(it->second, 1));
      else
        f.Line(oracle::Hex(flags, 1), line.empty() ? "-" : line), seen.emplace(line, flags);
    }
  }

  std::set<LCID> ids;
  for (DWORD flags : {LCID_INSTALLED, LCID_SUPPORTED, LCID_ALTERNATE_SORTS})
    for (LCID id : Enum(flags)) ids.insert(id);
  std::string unknown;
  for (LCID p = 1; p <= 0x3FF; ++p) {
    if (GetLocaleInfoW(p, LOCALE_SNAME, nullptr, 0) > 0)
      ids.insert(p);
    else
      unknown += (unknown.empty() ? "" : " ") + oracle::Hex(p, 4);
  }
  // The neutral names of the "Hant"/"Latn"/"Cyrl" families, such as 0x7C04.
  for (LCID hi = 0x7C00; hi >= 0x1000; hi -= 0x400)
    for (LCID p = 1; p <= 0x3FF; ++p)
      if (!ids.count(hi | p) && (hi | p) != LOCALE_CUSTOM_UNSPECIFIED &&
          GetLocaleInfoW(hi | p, LOCALE_SNAME, nullptr, 0) > 0) {
        wchar_t name[LOCALE_NAME_MAX_LENGTH];
        GetLocaleInfoW(hi | p, LOCALE_SNAME, name, LOCALE_NAME_MAX_LENGTH);
        if (!std::wcschr(name, L'-')) ids.insert(hi | p);
      }

  oracle::File f("locales.txt",
                 "GetLocaleInfoW: per locale (hexadecimal identifier), one field per type of "
                 "the types line; \\x: the call failed");
  f.Line("unknown", unknown);
  std::string types = "types";
  for (LCTYPE t : Types()) types += "\t" + oracle::Hex(t, 4);
  f.Line(types);
  for (LCID id : ids) {
    std::string line = oracle::Hex(id, 8);
    const unsigned long answersFor = std::strtoul(Item(id, LOCALE_ILANGUAGE).c_str(), nullptr, 16);
    for (LCTYPE t : Types()) {
      std::string v = Item(id, t);
      for (const Fix& fix : kFixes)
        if (fix.Id == answersFor && fix.Type == t) {
          std::string windows =
              oracle::Text(fix.Windows, static_cast<int>(std::wcslen(fix.Windows)));
          if (windows != v)
            f.Comment("wine: " + oracle::Hex(id, 8) + " " + oracle::Hex(t, 4) + " " + v + "; " +
                      fix.Why);
          v = windows;
        }
      line += "\t" + v;
    }
    f.Line(line);
  }
  return 0;
}
