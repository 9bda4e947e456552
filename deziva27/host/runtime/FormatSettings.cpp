#include "deziva27/host/runtime/FormatSettings.h"

#include <atomic>
#include <mutex>

#include "deziva27/platform/detail/LocaleInfo.h"
#include "deziva27/platform/detail/Nls.h"

namespace dz {
namespace {

// One item by the two-call protocol; empty when Windows has none.
UnicodeString Item(LCID lcid, LCTYPE type) {
  const int n = win::GetLocaleInfoW(lcid, type, nullptr, 0);
  if (n <= 1) return {};
  UnicodeString s(static_cast<size_t>(n), u'\0');
  if (win::GetLocaleInfoW(lcid, type, s.data(), n) != n) return {};
  s.resize(static_cast<size_t>(n - 1));
  return s;
}

bool IsDirectionMark(char16_t c) {
  return c == 0x200E || c == 0x200F || c == 0x061C;
}

// A separator is one character: the first one of Windows' answer that is not
// a direction mark (Arabic dates are "d\u200F/M\u200F/yyyy").
WideChar Separator(LCID lcid, LCTYPE type, WideChar fallback) {
  for (char16_t c : Item(lcid, type))
    if (!IsDirectionMark(c)) return c;
  return fallback;
}

// Calls f(run start, run length) for each run of one letter outside quotes,
// and copies everything else (literals with their quotes) to out.
template <typename F>
UnicodeString Convert(const UnicodeString& win, F&& f) {
  UnicodeString out;
  for (size_t i = 0; i < win.size();) {
    const char16_t c = win[i];
    if (c == u'\'') {
      const size_t close = win.find(u'\'', i + 1);
      const size_t end = close == UnicodeString::npos ? win.size() : close + 1;
      out.append(win, i, end - i);
      i = end;
      continue;
    }
    size_t j = i;
    while (j < win.size() && win[j] == c) ++j;
    f(out, c, j - i);
    i = j;
  }
  return out;
}

// Dates: the runtime knows Windows' day, month and year letters; it has no
// era, so "g"/"gg" goes with the blank that separates it.
UnicodeString DateFormat(const UnicodeString& win) {
  UnicodeString out = Convert(win, [](UnicodeString& o, char16_t c, size_t n) {
    if (c == u'g') {
      if (!o.empty() && o.back() == u' ') o.pop_back();
      return;
    }
    o.append(n, c);
  });
  while (!out.empty() && out.front() == u' ') out.erase(0, 1);
  return out;
}

// Times: "tt"/"t" is the runtime's AMPM; Windows' 24-hour "H"/"HH" is the
// runtime's "h"/"hh", which counts 24 hours wherever no AMPM follows.
UnicodeString TimeFormat(const UnicodeString& win) {
  return Convert(win, [](UnicodeString& o, char16_t c, size_t n) {
    if (c == u't')
      o += u"AMPM";
    else if (c == u'H')
      o.append(n > 1 ? 2 : 1, u'h');
    else
      o.append(n, c);
  });
}

// One object for the life of the process, so references to it stay valid
// when it is re-read. A function-local static: the units start from static
// initialisation, possibly before this file's globals would be constructed.
TFormatSettings& Current() {
  static TFormatSettings current;
  return current;
}
// The locale epoch the current settings were read at; 0: not read. Threads
// that ask first wait on the lock for the one that reads them; afterwards a
// read costs one load of the epoch.
constinit std::atomic<uint32_t> gLoadedAt{0};
constinit std::mutex gLoading;

}  // namespace

void GetLocaleFormatSettings(LCID locale, TFormatSettings& settings) {
  settings = TFormatSettings();
  LCID id = win::nls::ResolveLCID(locale);
  if (id == 0) id = 0x0409;
  TFormatSettings& fs = settings;
  fs.DecimalSeparator = Separator(id, LOCALE_SDECIMAL, fs.DecimalSeparator);
  fs.ThousandSeparator = Separator(id, LOCALE_STHOUSAND, fs.ThousandSeparator);
  fs.DateSeparator = Separator(id, LOCALE_SDATE, fs.DateSeparator);
  fs.TimeSeparator = Separator(id, LOCALE_STIME, fs.TimeSeparator);
  fs.ListSeparator = Separator(id, LOCALE_SLIST, fs.ListSeparator);
  fs.CurrencyString = Item(id, LOCALE_SCURRENCY);
  if (UnicodeString s = DateFormat(Item(id, LOCALE_SSHORTDATE)); !s.empty()) fs.ShortDateFormat = s;
  fs.LongDateFormat = DateFormat(Item(id, LOCALE_SLONGDATE));
  if (UnicodeString s = TimeFormat(Item(id, LOCALE_SSHORTTIME)); !s.empty()) fs.ShortTimeFormat = s;
  if (UnicodeString s = TimeFormat(Item(id, LOCALE_STIMEFORMAT)); !s.empty()) fs.LongTimeFormat = s;
  // A locale without AM/PM strings has none: a 24-hour clock.
  fs.TimeAMString = Item(id, LOCALE_S1159);
  fs.TimePMString = Item(id, LOCALE_S2359);
  for (LCTYPE m = 0; m < 12; ++m) {
    fs.LongMonthNames[m] = Item(id, LOCALE_SMONTHNAME1 + m);
    fs.ShortMonthNames[m] = Item(id, LOCALE_SABBREVMONTHNAME1 + m);
  }
  // The runtime counts days from Sunday, Windows from Monday.
  for (LCTYPE d = 0; d < 7; ++d) {
    fs.LongDayNames[d] = Item(id, LOCALE_SDAYNAME1 + (d + 6) % 7);
    fs.ShortDayNames[d] = Item(id, LOCALE_SABBREVDAYNAME1 + (d + 6) % 7);
  }
}

TFormatSettings GetLocaleFormatSettings(LCID locale) {
  TFormatSettings fs;
  GetLocaleFormatSettings(locale, fs);
  return fs;
}

TFormatSettings& FormatSettings() {
  const uint32_t epoch = win::nls::LocaleEpoch();
  if (gLoadedAt.load(std::memory_order_acquire) != epoch) {
    std::lock_guard<std::mutex> hold(gLoading);
    if (gLoadedAt.load(std::memory_order_relaxed) != epoch) {
      GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT, Current());
      gLoadedAt.store(epoch, std::memory_order_release);
    }
  }
  return Current();
}

void ResetFormatSettings() {
  gLoadedAt.store(0, std::memory_order_release);
}

}  // namespace dz
