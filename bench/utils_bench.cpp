// Reading dates by format, searching a string map and comma text, each
// beside a peer measured in the same run:
//  - dates: glibc's strptime and ICU's udat_parse (formatter opened once),
//    and the host's TryStrToDateTime with settings prepared by hand, the
//    floor that TryStrToDateTimeByFormat builds on;
//  - string map: a linear search over a std::vector of string pairs;
//  - comma text: the host's TStrings::SetCommaText.
#include <benchmark/benchmark.h>
#include <unicode/udat.h>

#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "deziva27/datetime/YDattime.h"
#include "deziva27/host/Host.h"
#include "deziva27/platform/detail/Nls.h"
#include "deziva27/utils/YUtils.h"

namespace {

using namespace dz;

void Pin() {
  win::SetSystemLocale("en-US");
}

void BM_ByFormat_Date(benchmark::State& st) {
  Pin();
  TDateTime v;
  for (auto _ : st) {
    bool ok = TryStrToDateTimeByFormat(u"dd.mm.yyyy", u"24.12.2023", v);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_ByFormat_Date);

void BM_ByFormat_DateTime(benchmark::State& st) {
  Pin();
  TDateTime v;
  for (auto _ : st) {
    bool ok = TryStrToDateTimeByFormat(u"yyyy-mm-dd hh:nn", u"2023-12-24 18:30", v);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_ByFormat_DateTime);

void BM_Host_TryStrToDateTime(benchmark::State& st) {
  Pin();
  TFormatSettings fs;
  GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT, fs);
  fs.DateSeparator = u'.';
  fs.ShortDateFormat = u"dd.mm.yyyy";
  TDateTime v;
  for (auto _ : st) {
    bool ok = TryStrToDateTime(u"24.12.2023", v, fs);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_Host_TryStrToDateTime);

void BM_Peer_strptime(benchmark::State& st) {
  for (auto _ : st) {
    std::tm tm{};
    const char* end = strptime("24.12.2023", "%d.%m.%Y", &tm);
    // To a day count, as the others give.
    time_t t = timegm(&tm);
    benchmark::DoNotOptimize(end);
    benchmark::DoNotOptimize(t);
  }
}
BENCHMARK(BM_Peer_strptime);

void BM_Peer_IcuParse(benchmark::State& st) {
  UErrorCode err = U_ZERO_ERROR;
  const UChar pattern[] = u"dd.MM.yyyy";
  std::unique_ptr<UDateFormat, void (*)(UDateFormat*)> df(
      udat_open(UDAT_PATTERN, UDAT_PATTERN, "en_US", u"UTC", -1, pattern, -1, &err), udat_close);
  const UChar text[] = u"24.12.2023";
  for (auto _ : st) {
    UErrorCode e = U_ZERO_ERROR;
    UDate d = udat_parse(df.get(), text, -1, nullptr, &e);
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_Peer_IcuParse);

std::vector<std::pair<UnicodeString, UnicodeString>> Pairs(int n) {
  std::vector<std::pair<UnicodeString, UnicodeString>> v;
  for (int i = 0; i < n; ++i) v.emplace_back(u"key" + IntToStr(i), u"value" + IntToStr(i));
  return v;
}

void BM_StringMap_IndexByKey(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  TYStringMap map;
  for (auto& [k, v] : Pairs(n)) {
    auto e = std::make_unique<TYStringMapEntry>();
    e->Key = k;
    e->Value = v;
    map.Add(std::move(e));
  }
  const UnicodeString last = u"key" + IntToStr(n - 1);
  for (auto _ : st) benchmark::DoNotOptimize(map.IndexByKey(last));
}
BENCHMARK(BM_StringMap_IndexByKey)->Arg(16)->Arg(1024);

void BM_Peer_VectorFind(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  auto pairs = Pairs(n);
  const UnicodeString last = u"key" + IntToStr(n - 1);
  for (auto _ : st) {
    int32_t found = -1;
    for (size_t i = 0; i < pairs.size(); ++i)
      if (pairs[i].first == last) {
        found = static_cast<int32_t>(i);
        break;
      }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_Peer_VectorFind)->Arg(16)->Arg(1024);

UnicodeString CommaLine() {
  UnicodeString s;
  for (int i = 0; i < 200; ++i) s += u"item" + IntToStr(i) + (i % 3 ? u"," : u",\"two words\",");
  return s;
}

void BM_CommaToString(benchmark::State& st) {
  const UnicodeString line = CommaLine();
  for (auto _ : st) benchmark::DoNotOptimize(CommaToString(line));
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * line.size() * 2));
}
BENCHMARK(BM_CommaToString);

void BM_Peer_SetCommaText(benchmark::State& st) {
  const UnicodeString line = CommaLine();
  TStringList list;
  for (auto _ : st) {
    list.SetCommaText(line);
    benchmark::DoNotOptimize(list.Count());
  }
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * line.size() * 2));
}
BENCHMARK(BM_Peer_SetCommaText);

}  // namespace

BENCHMARK_MAIN();
