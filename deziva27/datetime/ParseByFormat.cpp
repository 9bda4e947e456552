#include "deziva27/datetime/ParseByFormat.h"

#include "deziva27/datetime/Calendar.h"
#include "deziva27/host/runtime/DateTime.h"
#include "deziva27/host/runtime/FormatSettings.h"
#include "deziva27/platform/detail/Nls.h"
#include "deziva27/strings/Quoting.h"
#include "deziva27/strings/StringLists.h"

namespace dz {
namespace {

bool IsDateLetter(char16_t c) {
  if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return c == u'd' || c == u'm' || c == u'y';
}

// The text between the first run of date letters and the next date letter;
// empty when no letter follows.
std::u16string_view SeparatorText(std::u16string_view format) {
  size_t i = 0;
  while (i < format.size() && IsDateLetter(format[i])) ++i;
  size_t j = i;
  while (j < format.size() && !IsDateLetter(format[j])) ++j;
  if (j == format.size()) return {};
  return format.substr(i, j - i);
}

// The system default locale's settings, read once per thread and locale
// (reading them costs far more than parsing a date), and a working copy of
// them whose three date fields each call sets afresh; a thread keeps its
// own pair, so no lock is needed.
struct Settings {
  LCID For = 0;
  TFormatSettings Locale;
  TFormatSettings Work;
};

Settings& SystemSettings() {
  thread_local Settings s;
  LCID now = win::GetSystemDefaultLCID();
  if (s.For != now) {
    GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT, s.Locale);
    s.Work = s.Locale;
    s.For = now;
  }
  return s;
}

}  // namespace

bool TryStrToDateTimeByFormat(std::u16string_view Format, std::u16string_view Text,
                              TDateTime& Value) {
  Settings& s = SystemSettings();
  TFormatSettings& fs = s.Work;
  fs.DateSeparator = s.Locale.DateSeparator;
  std::u16string_view sep = SeparatorText(Format);
  if (!sep.empty() && sep[0] == u'"') {
    UnicodeString unquoted = UnquotedString(sep, u'"');
    if (!unquoted.empty()) fs.DateSeparator = unquoted[0];
  } else if (!sep.empty() && sep != u"/") {
    fs.DateSeparator = sep[0];
  }
  UnicodeString datePart, timePart;
  GetNameAndValueSep(u" ", Format, datePart, timePart);
  fs.ShortDateFormat = datePart;
  fs.ShortTimeFormat = timePart.empty() ? s.Locale.ShortTimeFormat : timePart;
  return TryStrToDateTime(Text, Value, fs);
}

std::optional<TDateTime> TryStrToDateTimeByFormat(std::u16string_view Format,
                                                  std::u16string_view Text) {
  TDateTime v;
  if (TryStrToDateTimeByFormat(Format, Text, v)) return v;
  return std::nullopt;
}

TDateTime StrToDateTimeByFormat(std::u16string_view Format, std::u16string_view Text) {
  TDateTime v;
  return TryStrToDateTimeByFormat(Format, Text, v) ? v : Date();
}

void InitDateTimeParams(const UnicodeString& YearSuffix,
                        std::initializer_list<TVarRec> MonthWords) {
  if (MonthWords.size() > 12) throw EConvertError(u"At most twelve month words may be given");
  for (const TVarRec& w : MonthWords)
    if (!std::holds_alternative<UnicodeString>(w))
      throw EConvertError(u"A month word must be a UnicodeString");
  ShortYearName() = YearSuffix;
  int32_t month = 1;
  for (const TVarRec& w : MonthWords) LongMonthNames2()[month++] = std::get<UnicodeString>(w);
}

}  // namespace dz
