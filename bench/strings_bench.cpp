// Search and replace over large texts, next to a plain std::u16string::find
// loop doing the same job. Each routine runs at 1M and 10M characters: the
// times should grow tenfold, and the ratio to the peer should hold.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "deziva27/strings/YStrings.h"

namespace {

constexpr int kMatchEvery = 1000;  // one needle per this many characters, about

// Words of mixed case with a needle every so often; deterministic.
const std::u16string& Text(size_t n) {
  static std::u16string cache;
  static size_t cached = 0;
  if (cached == n) return cache;
  std::mt19937 rng(27);
  std::u16string t;
  t.reserve(n + 64);
  size_t nextNeedle = kMatchEvery;
  while (t.size() < n) {
    if (t.size() >= nextNeedle) {
      t += u"NeeDle ";
      nextNeedle += kMatchEvery;
      continue;
    }
    for (int len = 2 + static_cast<int>(rng() % 8); len > 0; --len)
      t.push_back(static_cast<char16_t>((rng() % 3 ? u'a' : u'A') + rng() % 26));
    t.push_back(u' ');
  }
  t.resize(n);
  cache = std::move(t);
  cached = n;
  return cache;
}

int32_t CountMatches(const std::u16string& t, std::u16string_view sub) {
  int32_t k = 0;
  for (size_t p = t.find(sub); p != std::u16string::npos; p = t.find(sub, p + 1)) ++k;
  return k;
}

// The last match by occurrence number: a walk over the whole text.
void BM_XPos(benchmark::State& st) {
  const auto& t = Text(static_cast<size_t>(st.range(0)));
  const int32_t k = CountMatches(t, u"NeeDle");
  for (auto _ : st) benchmark::DoNotOptimize(dz::XPos(u"NeeDle", t, 1, k));
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(t.size() * 2));
}

void BM_PosNum(benchmark::State& st) {
  const auto& t = Text(static_cast<size_t>(st.range(0)));
  const int32_t k = CountMatches(t, u"NeeDle");
  for (auto _ : st) benchmark::DoNotOptimize(dz::PosNum(u"NeeDle", t, k));
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(t.size() * 2));
}

void BM_Peer_FindLoop(benchmark::State& st) {
  const auto& t = Text(static_cast<size_t>(st.range(0)));
  const int32_t k = CountMatches(t, u"NeeDle");
  for (auto _ : st) {
    int32_t count = 0;
    size_t found = 0;
    for (size_t p = t.find(u"NeeDle"); p != std::u16string::npos; p = t.find(u"NeeDle", p + 1))
      if (++count == k) {
        found = p + 1;
        break;
      }
    benchmark::DoNotOptimize(found);
  }
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(t.size() * 2));
}

// Caseless: the whole text is folded once through ICU, then searched.
void BM_CXPos(benchmark::State& st) {
  const auto& t = Text(static_cast<size_t>(st.range(0)));
  const int32_t k = CountMatches(t, u"NeeDle");
  for (auto _ : st) benchmark::DoNotOptimize(dz::CXPos(u"NEEDLE", t, 1, k));
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(t.size() * 2));
}

void BM_ReplaceStr(benchmark::State& st) {
  const auto& t = Text(static_cast<size_t>(st.range(0)));
  for (auto _ : st) benchmark::DoNotOptimize(dz::ReplaceStr(t, u"NeeDle", u"pin"));
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(t.size() * 2));
}

void BM_XReplaceStr_Caseless(benchmark::State& st) {
  const auto& t = Text(static_cast<size_t>(st.range(0)));
  for (auto _ : st) benchmark::DoNotOptimize(dz::XReplaceStr(t, u"needle", u"pin", false));
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(t.size() * 2));
}

void BM_Peer_FindReplaceLoop(benchmark::State& st) {
  const auto& t = Text(static_cast<size_t>(st.range(0)));
  for (auto _ : st) {
    std::u16string r;
    size_t q = 0;
    for (size_t p; (p = t.find(u"NeeDle", q)) != std::u16string::npos; q = p + 6) {
      r.append(t, q, p - q);
      r.append(u"pin");
    }
    r.append(t, q);
    benchmark::DoNotOptimize(r);
  }
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(t.size() * 2));
}

// The same walk over 8-bit text, through the narrow twin.
void BM_XPos_Narrow(benchmark::State& st) {
  const auto& w = Text(static_cast<size_t>(st.range(0)));
  const std::string t(w.begin(), w.end());
  const int32_t k = CountMatches(w, u"NeeDle");
  for (auto _ : st) benchmark::DoNotOptimize(dz::XPos("NeeDle", t, 1, k));
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(t.size()));
}

constexpr int64_t kMB = 1 << 20;
#define SIZES ->Arg(kMB)->Arg(10 * kMB)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Peer_FindLoop) SIZES;
BENCHMARK(BM_XPos) SIZES;
BENCHMARK(BM_PosNum) SIZES;
BENCHMARK(BM_XPos_Narrow) SIZES;
BENCHMARK(BM_CXPos) SIZES;
BENCHMARK(BM_Peer_FindReplaceLoop) SIZES;
BENCHMARK(BM_ReplaceStr) SIZES;
BENCHMARK(BM_XReplaceStr_Caseless) SIZES;

}  // namespace

BENCHMARK_MAIN();
