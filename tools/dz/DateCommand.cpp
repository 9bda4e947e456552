// dz date: reading dates by a format and naming them; the calendar and
// utilities stop of the tour.
#include <cstdio>
#include <fstream>
#include <string>

#include "deziva27/datetime/YDattime.h"
#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/utils/YUtils.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

// ISO 8601: the date, and the time of day when the format has a time part
// (a date read without one is midnight, and saying so would add nothing).
std::string Iso(TDateTime v, bool withTime) {
  Word y, m, d, h, n, s, ms;
  DecodeDate(v, y, m, d);
  char buf[40];
  int len = std::snprintf(buf, sizeof buf, "%04u-%02u-%02u", unsigned{y}, unsigned{m}, unsigned{d});
  if (withTime) {
    DecodeTime(v, h, n, s, ms);
    len += std::snprintf(buf + len, sizeof buf - static_cast<size_t>(len), "T%02u:%02u:%02u",
                         unsigned{h}, unsigned{n}, unsigned{s});
    if (ms != 0)
      std::snprintf(buf + len, sizeof buf - static_cast<size_t>(len), ".%03u", unsigned{ms});
  }
  return buf;
}

bool HasTimePart(const UnicodeString& format) {
  size_t blank = format.find(u' ');
  return blank != UnicodeString::npos && blank + 1 < format.size();
}

int RunParse(const Args& args) {
  if (args.size() != 2) throw UsageError("date parse needs FORMAT and TEXT");
  UnicodeString format = ArgText(args[0]);
  TDateTime v;
  if (!TryStrToDateTimeByFormat(format, ArgText(args[1]), v)) {
    std::fprintf(stderr, "dz: '%s' is not a date in the format '%s'\n", Visible(args[1]).c_str(),
                 Visible(args[0]).c_str());
    return kNo;
  }
  std::printf("%s\n", Iso(v, HasTimePart(format)).c_str());
  return kOk;
}

int RunName(const Args& args) {
  if (args.size() != 1) throw UsageError("date name needs one date, YYYY-MM-DD");
  TDateTime v;
  if (!TryStrToDateTimeByFormat(u"yyyy-mm-dd", ArgText(args[0]), v) || args[0].size() != 10)
    throw UsageError("'" + args[0] + "' is not a date written YYYY-MM-DD");
  std::printf("%s\n", Utf16ToUtf8(GetDateName(v)).c_str());
  return kOk;
}

int RunDate(const Args& args) {
  if (args.empty()) throw UsageError("date needs a subcommand: parse or name");
  Args rest(args.begin() + 1, args.end());
  if (args[0] == "parse") return RunParse(rest);
  if (args[0] == "name") return RunName(rest);
  throw UsageError("unknown date subcommand '" + args[0] + "'");
}

Register reg({"date", "read a date by a format, or name a date",
              "usage: dz date parse FORMAT TEXT\n"
              "       dz date name YYYY-MM-DD\n\n"
              "parse reads TEXT as a date written in FORMAT (dd.mm.yyyy, mm/dd/yyyy,\n"
              "yyyy-mm-dd hh:nn ...; a / stands for the locale's date separator, a\n"
              "separator may be quoted: d\".\"m\".\"yyyy) and prints it in ISO 8601, with\n"
              "the time when FORMAT has a time part. Exit 1 when TEXT does not match.\n\n"
              "name prints the date as words in the system locale: 5 of January 2024.\n",
              RunDate});

// --- The tour --------------------------------------------------------------------

void ShowDates() {
  std::ifstream in(SamplesDir() + "/dates.txt");
  std::string line;
  std::printf("reading by format (samples/dates.txt):\n");
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    UnicodeString format = Utf8ToUtf16(line.substr(0, tab));
    std::string text = line.substr(tab + 1);
    TDateTime v;
    bool ok = TryStrToDateTimeByFormat(format, Utf8ToUtf16(text), v);
    std::printf("  %-22s %-22s %s\n", line.substr(0, tab).c_str(), ("\"" + text + "\"").c_str(),
                ok ? Iso(v, HasTimePart(format)).c_str() : "no match");
  }
  TDateTime d = EncodeDate(2024, 2, 15);
  std::printf("15 February 2024: %s, quarter %s, month ends %s, +1 year 14 months %s\n",
              Utf16ToUtf8(GetDateName(d)).c_str(), GetQuartalWrite(GetQuartal(d)).c_str(),
              Iso(GetLastMonthDate(d), false).c_str(), Iso(AddDate(d, 1, 14, 0), false).c_str());

  UnicodeString lines = u"apples\r\nred, green\r\nsay \"hi\"";
  UnicodeString comma = StringToComma(lines);
  std::printf("three lines as comma text: %s\n", Utf16ToUtf8(comma).c_str());
  UnicodeString secret = Encrypt1(u"Meet at noon", u"key");
  std::printf("Encrypt1 \"Meet at noon\" with \"key\": %s, back: %s\n", Utf16ToUtf8(secret).c_str(),
              Utf16ToUtf8(Decrypt1(secret, u"key")).c_str());
  std::printf("RoundTo 17.5 by 5: %s, CRound 0.135: %s\n",
              Utf16ToUtf8(CurrToStr(RoundTo(Currency(17.5), 5))).c_str(),
              Utf16ToUtf8(CurrToStr(CRound(Currency(0.135)))).c_str());
}

RegisterDemo demo({60, "Calendar, date formats and small utilities", ShowDates});

}  // namespace
}  // namespace dz::tool
