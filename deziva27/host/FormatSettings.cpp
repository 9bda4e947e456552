#include "deziva27/host/FormatSettings.h"

#include <unicode/udat.h>
#include <unicode/udatpg.h>
#include <unicode/unum.h>

#include <memory>

#include "deziva27/platform/Nls.h"

namespace dz {
namespace {

struct DateFormatClose {
  void operator()(UDateFormat* f) const { udat_close(f); }
};
struct NumberFormatClose {
  void operator()(UNumberFormat* f) const { unum_close(f); }
};

UnicodeString FromUChars(const UChar* s, int32_t n) {
  return UnicodeString(reinterpret_cast<const char16_t*>(s), static_cast<size_t>(n));
}

UnicodeString Symbol(UNumberFormat* nf, UNumberFormatSymbol sym) {
  UChar buf[32];
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = unum_getSymbol(nf, sym, buf, 32, &err);
  return U_FAILURE(err) ? UnicodeString() : FromUChars(buf, n);
}

UnicodeString Pattern(UDateFormat* df) {
  UChar buf[128];
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = udat_toPattern(df, false, buf, 128, &err);
  return U_FAILURE(err) ? UnicodeString() : FromUChars(buf, n);
}

// ICU's short date pattern ("M/d/yy", "dd.MM.yy", "y-MM-dd") to the classic
// format: four-digit year, day and month kept, the separator that stands
// between the fields; quoted literals and era/other fields dropped.
void ShortDate(const UnicodeString& icu, TFormatSettings& fs) {
  UnicodeString out;
  char16_t sep = 0;
  bool quoted = false;
  for (size_t i = 0; i < icu.size();) {
    char16_t c = icu[i];
    if (c == u'\'') {
      quoted = !quoted;
      ++i;
      continue;
    }
    if (quoted) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < icu.size() && icu[j] == c) ++j;
    size_t run = j - i;
    if (c == u'y' || c == u'Y' || c == u'u') {
      out += u"yyyy";
    } else if (c == u'M' || c == u'L') {
      out += run >= 2 ? u"MM" : u"M";
    } else if (c == u'd') {
      out += run >= 2 ? u"dd" : u"d";
    } else if ((c < u'a' || c > u'z') && (c < u'A' || c > u'Z') && c != u' ' && c != 0x200F &&
               c != 0x200E) {
      if (!out.empty()) {
        if (!sep) sep = c;
        out.push_back(c);
      }
    }
    i = j;
  }
  // Trailing separators (the "." after the year in some locales) go.
  while (!out.empty() && out.back() != u'y' && out.back() != u'M' && out.back() != u'd')
    out.pop_back();
  if (out.empty()) return;
  fs.ShortDateFormat = out;
  if (sep) fs.DateSeparator = sep;
}

// ICU's time pattern to the classic one: h/H kept, m -> mm ("nn" is not
// needed, both readers take "mm" after an hour), a -> AMPM.
UnicodeString TimeFormat(const UnicodeString& icu, char16_t& sep) {
  UnicodeString out;
  bool quoted = false;
  for (size_t i = 0; i < icu.size();) {
    char16_t c = icu[i];
    if (c == u'\'') {
      quoted = !quoted;
      ++i;
      continue;
    }
    size_t j = i;
    while (j < icu.size() && icu[j] == c) ++j;
    if (quoted) {
      out.append(icu, i, j - i);
    } else if (c == u'H' || c == u'k') {
      out += j - i >= 2 ? u"hh" : u"h";
    } else if (c == u'h' || c == u'K') {
      out += j - i >= 2 ? u"hh" : u"h";
    } else if (c == u'm') {
      out += u"mm";
    } else if (c == u's') {
      out += u"ss";
    } else if (c == u'a' || c == u'b' || c == u'B') {
      out += u"AMPM";
    } else if ((c < u'a' || c > u'z') && (c < u'A' || c > u'Z')) {
      if (c == u':' || c == u'.') sep = c;
      out.append(icu, i, j - i);
    }
    i = j;
  }
  // A narrow no-break space before AM/PM reads better as a plain blank.
  for (auto& ch : out)
    if (ch == 0x202F || ch == 0x00A0) ch = u' ';
  while (!out.empty() && out.back() == u' ') out.pop_back();
  return out;
}

void Names(UDateFormat* df, UDateFormatSymbolType type, int first, UnicodeString* out, int count) {
  for (int k = 0; k < count; ++k) {
    UChar buf[64];
    UErrorCode err = U_ZERO_ERROR;
    int32_t n = udat_getSymbols(df, type, first + k, buf, 64, &err);
    if (U_SUCCESS(err)) out[k] = FromUChars(buf, n);
  }
}

void FromIcu(const std::string& locale, TFormatSettings& fs) {
  UErrorCode err = U_ZERO_ERROR;
  std::unique_ptr<UNumberFormat, NumberFormatClose> nf(
      unum_open(UNUM_DECIMAL, nullptr, 0, locale.c_str(), nullptr, &err));
  if (U_SUCCESS(err)) {
    UnicodeString d = Symbol(nf.get(), UNUM_DECIMAL_SEPARATOR_SYMBOL);
    UnicodeString g = Symbol(nf.get(), UNUM_GROUPING_SEPARATOR_SYMBOL);
    if (d.size() == 1) fs.DecimalSeparator = d[0];
    if (g.size() == 1) fs.ThousandSeparator = g[0] == 0x202F ? u'\u00A0' : g[0];
    fs.ListSeparator = fs.DecimalSeparator == u',' ? u';' : u',';
  }
  err = U_ZERO_ERROR;
  std::unique_ptr<UNumberFormat, NumberFormatClose> cf(
      unum_open(UNUM_CURRENCY, nullptr, 0, locale.c_str(), nullptr, &err));
  if (U_SUCCESS(err)) fs.CurrencyString = Symbol(cf.get(), UNUM_CURRENCY_SYMBOL);

  auto open = [&](UDateFormatStyle date, UDateFormatStyle time) {
    UErrorCode e = U_ZERO_ERROR;
    std::unique_ptr<UDateFormat, DateFormatClose> f(
        udat_open(time, date, locale.c_str(), nullptr, 0, nullptr, 0, &e));
    if (U_FAILURE(e)) f.reset();
    return f;
  };
  if (auto f = open(UDAT_SHORT, UDAT_NONE)) ShortDate(Pattern(f.get()), fs);
  if (auto f = open(UDAT_LONG, UDAT_NONE)) fs.LongDateFormat = Pattern(f.get());
  char16_t tsep = u':';
  if (auto f = open(UDAT_NONE, UDAT_SHORT)) fs.ShortTimeFormat = TimeFormat(Pattern(f.get()), tsep);
  if (auto f = open(UDAT_NONE, UDAT_MEDIUM)) fs.LongTimeFormat = TimeFormat(Pattern(f.get()), tsep);
  fs.TimeSeparator = tsep;
  if (auto f = open(UDAT_SHORT, UDAT_SHORT)) {
    UDateFormat* df = f.get();
    // Stand-alone forms: the nominative month name ("январь", not "января").
    Names(df, UDAT_STANDALONE_MONTHS, 0, fs.LongMonthNames.data(), 12);
    Names(df, UDAT_STANDALONE_SHORT_MONTHS, 0, fs.ShortMonthNames.data(), 12);
    Names(df, UDAT_STANDALONE_WEEKDAYS, 1, fs.LongDayNames.data(), 7);
    Names(df, UDAT_STANDALONE_SHORT_WEEKDAYS, 1, fs.ShortDayNames.data(), 7);
    UnicodeString ampm[2];
    Names(df, UDAT_AM_PMS, 0, ampm, 2);
    if (!ampm[0].empty()) fs.TimeAMString = ampm[0];
    if (!ampm[1].empty()) fs.TimePMString = ampm[1];
  }
}

// One object for the life of the process, so references to it stay valid
// when it is re-read. A function-local static: the units start from static
// initialisation, possibly before this file's globals would be constructed.
TFormatSettings& Current() {
  static TFormatSettings current;
  return current;
}
constinit bool gLoaded = false;

}  // namespace

void GetLocaleFormatSettings(LCID locale, TFormatSettings& settings) {
  settings = TFormatSettings();
  LCID id = nls::ResolveLCID(locale);
  std::string name = id ? nls::LocaleNameOf(id) : std::string();
  FromIcu(name.empty() ? std::string("en_US") : name, settings);
}

TFormatSettings& FormatSettings() {
  if (!gLoaded) {
    gLoaded = true;
    GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT, Current());
  }
  return Current();
}

void ResetFormatSettings() {
  gLoaded = false;
}

}  // namespace dz
