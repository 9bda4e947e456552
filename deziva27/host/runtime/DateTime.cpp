#include "deziva27/host/runtime/DateTime.h"

#include <cmath>
#include <ctime>

#include "deziva27/host/runtime/Exceptions.h"

namespace dz {
namespace {

constexpr Word kDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                               {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

struct Scanner {
  std::u16string_view s;
  size_t i = 0;

  void SkipBlanks() {
    while (i < s.size() && s[i] == u' ') ++i;
  }
  // Up to maxDigits decimal digits; the count read goes to `count`.
  bool Number(int maxDigits, int& value, int& count) {
    value = 0;
    count = 0;
    while (i < s.size() && IsDigit(s[i]) && count < maxDigits)
      value = value * 10 + (s[i++] - u'0'), ++count;
    // More digits than allowed is not a number of this field.
    if (count == maxDigits && i < s.size() && IsDigit(s[i])) return false;
    return count > 0;
  }
  bool Char(char16_t c) {
    if (i < s.size() && s[i] == c) {
      ++i;
      return true;
    }
    return false;
  }
  bool Word(const UnicodeString& w) {
    if (w.empty() || s.size() - i < w.size()) return false;
    for (size_t k = 0; k < w.size(); ++k) {
      char16_t a = s[i + k], b = w[k];
      if (a >= u'a' && a <= u'z') a -= 32;
      if (b >= u'a' && b <= u'z') b -= 32;
      if (a != b) return false;
    }
    i += w.size();
    return true;
  }
  bool AtEnd() const { return i >= s.size(); }
};

enum class Order { MDY, DMY, YMD };

Order DateOrder(const UnicodeString& fmt) {
  for (char16_t c : fmt) {
    c = static_cast<char16_t>(c | 0x20);
    if (c == u'y') return Order::YMD;
    if (c == u'm') return Order::MDY;
    if (c == u'd') return Order::DMY;
  }
  return Order::MDY;
}

int CurrentYear() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm.tm_year + 1900;
}

bool ScanDate(Scanner& sc, const TFormatSettings& fs, TDateTime& date) {
  sc.SkipBlanks();
  Order order = DateOrder(fs.ShortDateFormat);
  int n1, n2, n3 = 0, c1, c2, c3 = 0;
  int lim1 = order == Order::YMD ? 4 : 2;
  if (!sc.Number(lim1, n1, c1) || !sc.Char(fs.DateSeparator)) return false;
  if (!sc.Number(2, n2, c2)) return false;  // the month or the day: two digits in every order
  bool third = false;
  if (sc.Char(fs.DateSeparator)) {
    if (!sc.Number(order == Order::YMD ? 2 : 4, n3, c3)) return false;
    third = true;
  }
  int y, m, d, ydigits;
  switch (order) {
    case Order::MDY:
      m = n1, d = n2, y = third ? n3 : -1, ydigits = c3;
      break;
    case Order::DMY:
      d = n1, m = n2, y = third ? n3 : -1, ydigits = c3;
      break;
    default:
      if (!third) {
        // Two numbers in year-first order are month and day of this year.
        m = n1, d = n2, y = -1, ydigits = 0;
        if (c1 > 2) return false;
      } else {
        y = n1, m = n2, d = n3, ydigits = c1;
      }
  }
  if (y < 0) {
    y = CurrentYear();
  } else if (ydigits <= 2) {
    int window = CurrentYear() - fs.TwoDigitYearCenturyWindow;
    y += window / 100 * 100;
    if (fs.TwoDigitYearCenturyWindow > 0 && y < window) y += 100;
  }
  return TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), date);
}

bool ScanTime(Scanner& sc, const TFormatSettings& fs, TDateTime& time) {
  sc.SkipBlanks();
  int h, m = 0, s = 0, ms = 0, c;
  if (!sc.Number(2, h, c)) return false;
  bool any = false;
  if (sc.Char(fs.TimeSeparator)) {
    any = true;
    if (!sc.Number(2, m, c)) return false;
    if (sc.Char(fs.TimeSeparator)) {
      if (!sc.Number(2, s, c)) return false;
      if (sc.Char(fs.DecimalSeparator) || (fs.DecimalSeparator != u'.' && sc.Char(u'.'))) {
        if (!sc.Number(3, ms, c)) return false;
      }
    }
  }
  sc.SkipBlanks();
  int pm = -1;
  if (sc.Word(fs.TimeAMString) || sc.Word(u"AM"))
    pm = 0;
  else if (sc.Word(fs.TimePMString) || sc.Word(u"PM"))
    pm = 1;
  if (!any && pm < 0) return false;  // a bare number is not a time
  if (pm >= 0) {
    if (h < 1 || h > 12) return false;
    if (pm == 0 && h == 12) h = 0;
    if (pm == 1 && h != 12) h += 12;
  }
  return TryEncodeTime(static_cast<Word>(h), static_cast<Word>(m), static_cast<Word>(s),
                       static_cast<Word>(ms), time);
}

}  // namespace

bool IsLeapYear(Word year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

Word DaysInAMonth(Word year, Word month) {
  return month >= 1 && month <= 12 ? kDays[IsLeapYear(year)][month - 1] : 0;
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInAMonth(year, month))
    return false;
  int64_t days = day;
  for (int k = 0; k < month - 1; ++k) days += kDays[IsLeapYear(year)][k];
  int64_t y = year - 1;
  days += y * 365 + y / 4 - y / 100 + y / 400;
  date = static_cast<double>(days - static_cast<int64_t>(DateDelta));
  return true;
}

std::optional<TDateTime> TryEncodeDate(Word year, Word month, Word day) {
  TDateTime v;
  if (TryEncodeDate(year, month, day, v)) return v;
  return std::nullopt;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime d;
  if (!TryEncodeDate(year, month, day, d)) throw EConvertError(u"Invalid argument to date encode");
  return d;
}

void DecodeDate(TDateTime date, Word& year, Word& month, Word& day) {
  // Outside 0001-01-01 .. 9999-12-31 (NaN included) there is no date to give.
  if (!(date > -693594.0 && date < 2958466.0)) {
    year = month = day = 0;
    return;
  }
  int64_t t = static_cast<int64_t>(std::trunc(date)) +
              static_cast<int64_t>(DateDelta);  // days since 0001-01-01, 1-based
  if (t <= 0) {
    year = month = day = 0;
    return;
  }
  --t;
  int64_t y = 1;
  int64_t n400 = t / 146097;
  t %= 146097;
  y += n400 * 400;
  int64_t n100 = t / 36524;
  if (n100 == 4) n100 = 3;
  t -= n100 * 36524;
  y += n100 * 100;
  int64_t n4 = t / 1461;
  t %= 1461;
  y += n4 * 4;
  int64_t n1 = t / 365;
  if (n1 == 4) n1 = 3;
  t -= n1 * 365;
  y += n1;
  bool leap = IsLeapYear(static_cast<Word>(y));
  int m = 0;
  while (t >= kDays[leap][m]) t -= kDays[leap][m++];
  year = static_cast<Word>(y);
  month = static_cast<Word>(m + 1);
  day = static_cast<Word>(t + 1);
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time) {
  if (hour > 23 || min > 59 || sec > 59 || msec > 999) return false;
  time = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
  return true;
}

std::optional<TDateTime> TryEncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime v;
  if (TryEncodeTime(hour, min, sec, msec, v)) return v;
  return std::nullopt;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime t;
  if (!TryEncodeTime(hour, min, sec, msec, t))
    throw EConvertError(u"Invalid argument to time encode");
  return t;
}

void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec) {
  if (!std::isfinite(time)) {
    hour = min = sec = msec = 0;
    return;
  }
  double frac = std::fabs(time - std::trunc(time));
  int64_t ms = static_cast<int64_t>(std::llround(frac * MSecsPerDay));
  if (ms >= 86400000) ms = 86399999;
  hour = static_cast<Word>(ms / 3600000);
  min = static_cast<Word>(ms / 60000 % 60);
  sec = static_cast<Word>(ms / 1000 % 60);
  msec = static_cast<Word>(ms % 1000);
}

Word DayOfWeek(TDateTime date) {
  if (!(std::fabs(date) < 1e15)) return 0;  // no day for NaN or a value beyond any calendar
  int64_t d = static_cast<int64_t>(std::trunc(date));
  // 1899-12-30 was a Saturday (7).
  int64_t r = ((d + 6) % 7 + 7) % 7;
  return static_cast<Word>(r + 1);
}

TDateTime DateOf(TDateTime dt) {
  return std::trunc(dt);
}
TDateTime TimeOf(TDateTime dt) {
  return std::fabs(dt - std::trunc(dt));
}

TDateTime Now() {
  std::timespec ts{};
  std::timespec_get(&ts, TIME_UTC);
  std::tm tm{};
  localtime_r(&ts.tv_sec, &tm);
  TDateTime d = EncodeDate(static_cast<Word>(tm.tm_year + 1900), static_cast<Word>(tm.tm_mon + 1),
                           static_cast<Word>(tm.tm_mday));
  return d + EncodeTime(static_cast<Word>(tm.tm_hour), static_cast<Word>(tm.tm_min),
                        static_cast<Word>(tm.tm_sec > 59 ? 59 : tm.tm_sec),
                        static_cast<Word>(ts.tv_nsec / 1000000));
}

TDateTime Date() {
  return std::trunc(Now());
}

bool TryStrToDate(std::u16string_view s, TDateTime& value, const TFormatSettings& fs) {
  Scanner sc{s};
  TDateTime d;
  if (!ScanDate(sc, fs, d)) return false;
  sc.SkipBlanks();
  if (!sc.AtEnd()) return false;
  value = d;
  return true;
}

std::optional<TDateTime> TryStrToDate(std::u16string_view s, const TFormatSettings& fs) {
  TDateTime v;
  if (TryStrToDate(s, v, fs)) return v;
  return std::nullopt;
}

bool TryStrToTime(std::u16string_view s, TDateTime& value, const TFormatSettings& fs) {
  Scanner sc{s};
  TDateTime t;
  if (!ScanTime(sc, fs, t)) return false;
  sc.SkipBlanks();
  if (!sc.AtEnd()) return false;
  value = t;
  return true;
}

std::optional<TDateTime> TryStrToTime(std::u16string_view s, const TFormatSettings& fs) {
  TDateTime v;
  if (TryStrToTime(s, v, fs)) return v;
  return std::nullopt;
}

bool TryStrToDateTime(std::u16string_view s, TDateTime& value, const TFormatSettings& fs) {
  Scanner sc{s};
  TDateTime d;
  if (ScanDate(sc, fs, d)) {
    sc.SkipBlanks();
    if (sc.AtEnd()) {
      value = d;
      return true;
    }
    TDateTime t;
    if (!ScanTime(sc, fs, t)) return false;
    sc.SkipBlanks();
    if (!sc.AtEnd()) return false;
    // Before the epoch the time counts away from zero, as the day does.
    value = d < 0 ? d - t : d + t;
    return true;
  }
  return TryStrToTime(s, value, fs);
}

std::optional<TDateTime> TryStrToDateTime(std::u16string_view s, const TFormatSettings& fs) {
  TDateTime v;
  if (TryStrToDateTime(s, v, fs)) return v;
  return std::nullopt;
}

}  // namespace dz
