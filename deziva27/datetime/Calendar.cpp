#include "deziva27/datetime/Calendar.h"

#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/runtime/DateTime.h"
#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/FormatSettings.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

void CheckMonth(int32_t month) {
  if (month < 1 || month > 12) TList::Error(month);
}

[[noreturn]] void EncodeError() {
  throw EConvertError(u"Invalid argument to date encode");
}

struct Ymd {
  Word Y, M, D;
};

Ymd Decode(TDateTime date) {
  Ymd r;
  DecodeDate(date, r.Y, r.M, r.D);
  return r;
}

}  // namespace

UnicodeString& TMonthWords::operator[](int32_t Month) {
  CheckMonth(Month);
  return FWords[static_cast<size_t>(Month - 1)];
}

const UnicodeString& TMonthWords::operator[](int32_t Month) const {
  CheckMonth(Month);
  return FWords[static_cast<size_t>(Month - 1)];
}

TMonthWords& LongMonthNames2() {
  static TMonthWords words;
  return words;
}

UnicodeString& ShortYearName() {
  static UnicodeString name;
  return name;
}

namespace detail {

void YDattimeStart() {
  TFormatSettings fs;
  GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT, fs);
  // Both come into being here, while the library loads, so they outlive
  // the stop work that runs as it unloads.
  (void)ShortYearName();
  TMonthWords& words = LongMonthNames2();
  for (int32_t m = 1; m <= 12; ++m)
    words[m] = u"of " + fs.LongMonthNames[static_cast<size_t>(m - 1)];
}

void YDattimeStop() {
  for (UnicodeString& w : LongMonthNames2()) UnicodeString().swap(w);
  UnicodeString().swap(ShortYearName());
}

}  // namespace detail

UnicodeString GetDateName(TDateTime Date) {
  Ymd d = Decode(Date);
  UnicodeString r = IntToStr(int32_t{d.D});
  r += u' ';
  // A date outside 1..9999 decodes to month 0; it has no month word.
  if (d.M >= 1 && d.M <= 12) r += LongMonthNames2()[d.M];
  r += u' ';
  r += IntToStr(int32_t{d.Y});
  r += ShortYearName();
  return r;
}

void GetMonthNames(TStrings& List) {
  TFormatSettings fs;
  GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT, fs);
  List.Clear();
  for (const UnicodeString& name : fs.LongMonthNames) List.Add(name);
}

TDateTime GetFirstYearDate(TDateTime Date) {
  return EncodeDate(Decode(Date).Y, 1, 1);
}
TDateTime GetLastYearDate(TDateTime Date) {
  return EncodeDate(Decode(Date).Y, 12, 31);
}

TDateTime GetFirstMonthDate(TDateTime Date) {
  Ymd d = Decode(Date);
  return EncodeDate(d.Y, d.M, 1);
}

TDateTime GetLastMonthDate(TDateTime Date) {
  Ymd d = Decode(Date);
  return NextMonthFirstDay(d.Y, d.M) - 1;
}

TDateTime NextMonthFirstDay(Word Year, Word Month) {
  // Month 0 would otherwise pass for "the month before January".
  if (Month < 1 || Month > 12) EncodeError();
  if (Month == 12) return EncodeDate(static_cast<Word>(Year + 1), 1, 1);
  return EncodeDate(Year, static_cast<Word>(Month + 1), 1);
}

TDateTime LastMonthDate(int32_t Year, int32_t Month) {
  // Checked as given, before any narrowing could turn -1 into 65535.
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12) EncodeError();
  return NextMonthFirstDay(static_cast<Word>(Year), static_cast<Word>(Month)) - 1;
}

TDateTime GetFirstQuarterDate(Word Year, Word Quarter) {
  if (Quarter < 1 || Quarter > 4) EncodeError();
  return EncodeDate(Year, static_cast<Word>(3 * Quarter - 2), 1);
}

TDateTime GetLastQuarterDate(Word Year, Word Quarter) {
  if (Quarter < 1 || Quarter > 4) EncodeError();
  return LastMonthDate(Year, 3 * Quarter);
}

int32_t GetQuartal(TDateTime Date) {
  return (Decode(Date).M - 1) / 3 + 1;
}

AnsiString GetQuartalWrite(int32_t Quarter) {
  static constexpr const char* kNumerals[] = {"I", "II", "III", "IV"};
  if (Quarter < 1 || Quarter > 4) return {};
  return kNumerals[Quarter - 1];
}

Word GetYear(TDateTime Date) {
  return Decode(Date).Y;
}
Word GetMonth(TDateTime Date) {
  return Decode(Date).M;
}
Word GetDay(TDateTime Date) {
  return Decode(Date).D;
}

TDateTime AddDate(TDateTime Date, Word Years, Word Months, Word Days) {
  Ymd d = Decode(Date + Days);
  Word month = static_cast<Word>(d.M + Months);
  if (month > 12) {
    Years = static_cast<Word>(Years + (month - 1) / 12);
    month = static_cast<Word>((month - 1) % 12 + 1);
  }
  return EncodeDate(static_cast<Word>(d.Y + Years), month, d.D);
}

TDateTime AddTime(TDateTime Date, Word Hours, Word Minutes, Word Seconds) {
  Word h, m, s, ms;
  DecodeTime(Date, h, m, s, ms);
  s = static_cast<Word>(s + Seconds);
  if (s > 59) {
    m = static_cast<Word>(m + s / 60);
    s = static_cast<Word>(s % 60);
  }
  m = static_cast<Word>(m + Minutes);
  if (m > 59) {
    h = static_cast<Word>(h + m / 60);
    m = static_cast<Word>(m % 60);
  }
  h = static_cast<Word>(h + Hours);
  Word days = 0;
  if (h > 23) {
    days = static_cast<Word>(h / 24);
    h = static_cast<Word>(h % 24);
  }
  return DateOf(Date) + days + EncodeTime(h, m, s, ms);
}

}  // namespace dz
