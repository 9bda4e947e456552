// Code-page conversion against glibc's iconv on the same bytes, and the cost
// of locale information and of one lookup, measured in the same run.
// Texts: DZ_BENCH_MB MiB (64 by default) in each code page, made of that
// code page's own letters, blanks and punctuation.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdlib>
#include <string>

#include "deziva27/locales/YLocales.h"
#include "deziva27/platform/detail/CodePages.h"
#include "deziva27/platform/detail/LocaleInfo.h"

namespace {

size_t Size() {
  const char* mb = std::getenv("DZ_BENCH_MB");
  return (mb ? std::strtoul(mb, nullptr, 10) : 64) << 20;
}

struct Page {
  uint32_t Cp;
  const char* IconvName;
  std::u16string Alphabet;
};

const Page kPages[] = {
    {1251, "CP1251", u"Съешь же ещё этих мягких французских булок, да выпей чаю. "},
    {1252, "CP1252", u"Voix ambiguë d'un cœur qui, au zéphyr, préfère les jattes de kiwis. "},
    {932, "CP932", u"いろはにほへと ちりぬるを、色は匂へど散りぬるを。日本語の文章です。 "},
    {65001, "UTF-8", u"Mixed text: café, Жизнь, 日本, ✓ and plain ASCII words. "},
};

// The bytes of a page's text, built once.
const std::string& Bytes(int which) {
  static std::string cache[4];
  std::string& s = cache[which];
  if (s.empty()) {
    const Page& p = kPages[which];
    std::u16string text;
    while (text.size() * 2 < Size()) text += p.Alphabet;
    s = dz::WideToStrByCodePage(text, static_cast<dz::Integer>(p.Cp));
    s.resize(std::min(s.size(), Size()));
    // Do not end inside a multi-byte character.
    while (!s.empty() && dz::win::MultiByteToWideChar(p.Cp, 0, s.data(), static_cast<int>(s.size()),
                                                 nullptr, 0) == 0)
      s.pop_back();
  }
  return s;
}

void Label(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
  state.SetLabel(kPages[state.range(0)].IconvName);
}

void BM_ToWide(benchmark::State& state) {
  const std::string& s = Bytes(static_cast<int>(state.range(0)));
  const auto cp = static_cast<dz::Integer>(kPages[state.range(0)].Cp);
  for (auto _ : state) benchmark::DoNotOptimize(dz::StrToWideByCodePage(s, cp));
  Label(state, s.size());
}

void BM_FromWide(benchmark::State& state) {
  const auto cp = static_cast<dz::Integer>(kPages[state.range(0)].Cp);
  const std::u16string w = dz::StrToWideByCodePage(Bytes(static_cast<int>(state.range(0))), cp);
  for (auto _ : state) benchmark::DoNotOptimize(dz::WideToStrByCodePage(w, cp));
  Label(state, Bytes(static_cast<int>(state.range(0))).size());
}

// iconv into a buffer of the size the result needs, as the library's routine
// allocates one.
std::string Iconv(iconv_t cd, const char* in, size_t n, size_t outCap) {
  std::string out(outCap, '\0');
  char* src = const_cast<char*>(in);
  char* dst = out.data();
  size_t left = n, room = outCap;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  iconv(cd, &src, &left, &dst, &room);
  out.resize(outCap - room);
  return out;
}

void BM_IconvToWide(benchmark::State& state) {
  const std::string& s = Bytes(static_cast<int>(state.range(0)));
  iconv_t cd = iconv_open("UTF-16LE", kPages[state.range(0)].IconvName);
  for (auto _ : state) benchmark::DoNotOptimize(Iconv(cd, s.data(), s.size(), s.size() * 2 + 2));
  iconv_close(cd);
  Label(state, s.size());
}

void BM_IconvFromWide(benchmark::State& state) {
  const auto cp = static_cast<dz::Integer>(kPages[state.range(0)].Cp);
  const std::string& s = Bytes(static_cast<int>(state.range(0)));
  const std::u16string w = dz::StrToWideByCodePage(s, cp);
  iconv_t cd = iconv_open(kPages[state.range(0)].IconvName, "UTF-16LE");
  for (auto _ : state)
    benchmark::DoNotOptimize(
        Iconv(cd, reinterpret_cast<const char*>(w.data()), w.size() * 2, s.size() + 8));
  iconv_close(cd);
  Label(state, s.size());
}

void BM_GetLocaleInfoW(benchmark::State& state) {
  char16_t buf[128];
  const dz::LCID ids[] = {0x0409, 0x0419, 0x0407, 0x0411};
  size_t i = 0;
  for (auto _ : state) {
    const dz::LCID id = ids[i++ & 3];
    benchmark::DoNotOptimize(dz::win::GetLocaleInfoW(id, dz::LOCALE_SENGLANGUAGE, buf, 128));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_LocaleByISOCodes(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(dz::LocaleByISOCodes(u"RU ru"));
}

}  // namespace

BENCHMARK(BM_ToWide)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvToWide)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FromWide)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvFromWide)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetLocaleInfoW);
BENCHMARK(BM_LocaleByISOCodes)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
