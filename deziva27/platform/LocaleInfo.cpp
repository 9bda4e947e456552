// The locale-information stand-ins, over the compiled-in table of Windows'
// answers.
#include "deziva27/platform/detail/LocaleInfo.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "deziva27/platform/detail/LocaleTable.h"
#include "deziva27/platform/detail/Nls.h"

namespace dz::win {
namespace {

namespace table = detail::locale_table;

// Windows' answer, false when it has none.
bool Lookup(LCID lcid, LCTYPE type, std::u16string_view& text) {
  const table::Row* row = table::Find(nls::ResolveLCID(lcid));
  const int col = table::Column(type & ~(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP));
  if (!row || col < 0 || row->Cell[col] == table::kFailed) return false;
  text = table::Text(row->Cell[col]);
  return true;
}

}  // namespace

int GetLocaleInfoW(LCID Locale, LCTYPE LCType, char16_t* data, int cchData) {
  std::u16string_view text;
  if (cchData < 0 || (cchData > 0 && !data) || !Lookup(Locale, LCType, text)) return 0;
  // An empty answer (the invariant locale's name) still counts its zero.
  const int need = static_cast<int>(text.size()) + 1;
  if (cchData == 0) return need;
  if (cchData < need) return 0;
  std::copy(text.begin(), text.end(), data);
  data[text.size()] = 0;
  return need;
}

bool EnumSystemLocalesW(LOCALE_ENUMPROCW proc, uint32_t flags) {
  if (!proc) return false;
  const bool sorts = (flags & LCID_ALTERNATE_SORTS) != 0;
  const LCID* ids = sorts ? table::kAlternateSorts : table::kInstalled;
  const size_t n = sorts ? table::kAlternateSortsCount : table::kInstalledCount;
  for (size_t i = 0; i < n; ++i) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", ids[i]);
    char16_t wide[9];
    std::copy(hex, hex + 9, wide);
    if (!proc(wide)) break;
  }
  return true;
}

}  // namespace dz::win
