// Date reading by format: text in fixed formats, and formats of any shape.
//
// Byte 0 picks the mode. Modes 0-15 read the rest as UTF-16 text in one of
// the formats below: a text that does not match must give false, never an
// exception, and a match must be a date the calendar routines accept. Other
// modes split the rest at its first NUL code unit into a format and a text:
// then only a format with a quoted separator may raise (a bad literal in it).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "deziva27/datetime/YDattime.h"
#include "deziva27/platform/detail/Nls.h"

namespace {

const char16_t* const kFormats[] = {
    u"dd.mm.yyyy",
    u"mm/dd/yyyy",
    u"yyyy-mm-dd",
    u"yyyy-mm-dd hh:nn",
    u"dd.mm.yy",
    u"d\".\"m\".\"yyyy",
    u"dd-mm-yyyy hh:nn:ss",
    u"mm/dd/yy hh:nn AMPM",
    u"yyyy/mm/dd",
    u"d m yyyy",
    u"dd\"\"mm\"\"yyyy",
    u"yyyy",
    u"dd.",
    u"y.m.d",
    u"DD.MM.YYYY",
    u"m_d_y",
};

std::u16string Units(const uint8_t* p, size_t n) {
  std::u16string s;
  for (size_t i = 0; i + 1 < n; i += 2) s.push_back(static_cast<char16_t>(p[i] | (p[i + 1] << 8)));
  return s;
}

void CheckValue(dz::TDateTime v) {
  dz::Word y, m, d;
  dz::DecodeDate(v, y, m, d);
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) std::abort();
  (void)dz::GetDateName(v);
  (void)dz::GetQuartalWrite(dz::GetQuartal(v));
  try {
    (void)dz::GetLastMonthDate(v);  // December 9999 has no next month
    (void)dz::AddTime(v, 1, 1, 1);
  } catch (const dz::EConvertError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  dz::win::SetSystemLocale("en-US");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  dz::TDateTime v = 0;
  if (data[0] < 16) {
    std::u16string text = Units(data + 1, size - 1);
    if (dz::TryStrToDateTimeByFormat(kFormats[data[0]], text, v)) CheckValue(v);
    return 0;
  }
  std::u16string all = Units(data + 1, size - 1);
  size_t cut = all.find(u'\0');
  std::u16string format = all.substr(0, cut);
  std::u16string text = cut == std::u16string::npos ? std::u16string() : all.substr(cut + 1);
  try {
    if (dz::TryStrToDateTimeByFormat(format, text, v)) CheckValue(v);
  } catch (const dz::Exception&) {
    if (format.find(u'"') == std::u16string::npos) std::abort();
  }
  return 0;
}
