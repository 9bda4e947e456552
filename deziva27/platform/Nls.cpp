#include "deziva27/platform/detail/Nls.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "deziva27/platform/detail/LocaleTable.h"

namespace dz::win {
namespace detail::locale_table {

const Row* Find(LCID lcid) {
  const Row* end = kRows + kRowCount;
  const Row* r =
      std::lower_bound(kRows, end, lcid, [](const Row& a, LCID id) { return a.Id < id; });
  return r != end && r->Id == lcid ? r : nullptr;
}

int Column(LCTYPE type) {
  for (size_t i = 0; i < kTypeCount; ++i)
    if (kTypes[i] == type) return static_cast<int>(i);
  return -1;
}

}  // namespace detail::locale_table

namespace {

namespace table = detail::locale_table;

constexpr LCID kEnUS = 0x0409;

// 0: no override. Atomic, so that a reader on another thread sees either
// locale; what was built from the old one is rebuilt by the epoch.
std::atomic<LCID> gOverride{0};
std::atomic<uint32_t> gEpoch{1};

std::u16string_view Cell(const table::Row& row, LCTYPE type) {
  const int col = table::Column(type);
  if (col < 0 || row.Cell[col] == table::kFailed) return {};
  return table::Text(row.Cell[col]);
}

uint32_t Number(std::u16string_view text, int base) {
  uint32_t v = 0;
  for (char16_t c : text) {
    const int d = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'a' && c <= u'f' ? c - u'a' + 10
                : c >= u'A' && c <= u'F' ? c - u'A' + 10 : 99;
    if (d >= base) return 0;
    v = v * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
  }
  return v;
}

bool SameName(std::u16string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto low = [](uint32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (low(a[i]) != low(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// "ru_RU.UTF-8" -> "ru-RU"; "sr_RS@latin" -> "sr-Latn-RS": the POSIX script
// modifiers become the script Windows puts after the language.
std::string WindowsName(std::string_view name) {
  std::string_view mod;
  if (size_t at = name.find('@'); at != std::string_view::npos) {
    mod = name.substr(at + 1);
    name = name.substr(0, at);
  }
  name = name.substr(0, name.find('.'));
  std::string s(name);
  // A sort suffix ("de-DE_phoneb") keeps its underscore; the POSIX one
  // between language and region does not.
  if (size_t u = s.find('_'); u != std::string::npos && s.find('-') == std::string::npos)
    s[u] = '-';
  const char* script = mod == "latin" ? "Latn" : mod == "cyrillic" ? "Cyrl" : nullptr;
  if (script && s.find('-') != std::string::npos)
    s.insert(s.find('-') + 1, std::string(script) + "-");
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
  const LCID chosen = gOverride.load(std::memory_order_acquire);
  return chosen != 0 ? chosen : fromEnv;
}

uint32_t CodePageOf(LCID lcid, LCTYPE type, uint32_t none) {
  const table::Row* row = table::Find(nls::ResolveLCID(lcid));
  const uint32_t cp = row ? Number(Cell(*row, type), 10) : 0;
  // 0 and 1 (CP_OEMCP) are what a Unicode-only locale answers.
  return cp > 1 ? cp : none;
}

}  // namespace

LCID GetSystemDefaultLCID() {
  return SystemLCID();
}
LCID GetUserDefaultLCID() {
  return SystemLCID();
}
bool SetSystemLocale(std::string_view name) {
  LCID id = nls::LCIDOf(name);
  return id != 0 && SetSystemLocale(id);
}

bool SetSystemLocale(LCID lcid) {
  if (!table::Find(lcid)) return false;
  gOverride.store(lcid, std::memory_order_release);
  ++gEpoch;
  return true;
}

void ResetSystemLocale() {
  gOverride.store(0, std::memory_order_release);
  ++gEpoch;
}

namespace nls {

LCID ResolveLCID(LCID lcid) {
  if (lcid == LOCALE_SYSTEM_DEFAULT || lcid == LOCALE_USER_DEFAULT || lcid == 0)
    return SystemLCID();
  return table::Find(lcid) ? lcid : 0;
}

std::string LocaleNameOf(LCID lcid) {
  const table::Row* row = table::Find(ResolveLCID(lcid));
  if (!row) return {};
  std::string name;
  for (char16_t c : Cell(*row, LOCALE_SNAME)) name += c == u'-' ? '_' : static_cast<char>(c);
  // Windows names its alternate sorts with a suffix; ICU with a keyword.
  static constexpr std::pair<std::string_view, std::string_view> kSorts[] = {
      {"_tradnl", "@collation=traditional"}, {"_phoneb", "@collation=phonebook"},
      {"_stroke", "@collation=stroke"},      {"_radstr", "@collation=unihan"},
      {"_pronun", "@collation=zhuyin"},      {"_unicode", ""},
      {"_technl", ""},                       {"_modern", ""},
      {"_mathan", ""}};
  const size_t u = name.find('_', name.find('_') + 1);
  if (u != std::string::npos) {
    const std::string suffix = name.substr(u);
    name.erase(u);
    for (const auto& [win, icu] : kSorts)
      if (suffix == win) name += icu;
  }
  if (name.empty() || name.rfind("x_IV", 0) == 0) return "root";
  return name;
}

LCID LCIDOf(std::string_view name) {
  std::string win = WindowsName(name);
  if (win.empty() || win == "C" || win == "POSIX") return kEnUS;
  // Neutral rows answer with their default locale's name: the specific
  // locale is the one a name stands for.
  for (size_t i = 0; i < table::kRowCount; ++i)
    if (table::kRows[i].Id > 0x3FF && SameName(Cell(table::kRows[i], LOCALE_SNAME), win))
      return table::kRows[i].Id;
  if (const size_t dash = win.find('-'); dash != std::string::npos) {
    // POSIX leaves out the script Windows names ("uz_UZ" for uz-Latn-UZ):
    // the first locale of that language and region in any script.
    if (win.find('-', dash + 1) != std::string::npos) return 0;
    for (size_t i = 0; i < table::kRowCount; ++i) {
      const std::u16string_view n = Cell(table::kRows[i], LOCALE_SNAME);
      const LCID id = table::kRows[i].Id;
      if (id <= 0x3FF || id > 0xFFFF || n.size() != win.size() + 5 || n[dash + 5] != u'-') continue;
      if (SameName(n.substr(0, dash), win.substr(0, dash)) &&
          SameName(n.substr(dash + 5), win.substr(dash)))
        return id;
    }
    return 0;
  }
  // A bare language: the locale its neutral identifier answers for.
  for (size_t i = 0; i < table::kRowCount && table::kRows[i].Id <= 0x3FF; ++i)
    if (SameName(Cell(table::kRows[i], LOCALE_SISO639LANGNAME), win))
      return Number(Cell(table::kRows[i], LOCALE_ILANGUAGE), 16);
  return 0;
}

uint32_t AnsiCodePageOf(LCID lcid) {
  return CodePageOf(lcid, LOCALE_IDEFAULTANSICODEPAGE, 1252);
}

uint32_t OemCodePageOf(LCID lcid) {
  return CodePageOf(lcid, LOCALE_IDEFAULTCODEPAGE, 437);
}

uint32_t LocaleEpoch() {
  return gEpoch;
}

}  // namespace nls
}  // namespace dz::win
