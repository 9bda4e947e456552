// FitToTemplate against glibc's fnmatch on ordinary file-name patterns, and
// the template that would make a backtracking matcher explode.
//
// The file-name set is 4096 names built from a fixed-seed generator (stems,
// dates, counters, extensions in mixed case); each benchmark runs one
// template over the whole set and counts names per second. The templates use
// only '*', '?' and plain characters, never "**", "*?", '[' or '\', and no
// '?' reaches past a name: there FitToTemplate and fnmatch (flags 0, or
// FNM_CASEFOLD for the caseless runs) mean the same, and the set-up checks
// that they agree on every name before anything is timed.
//
// Worst case: "*a*a*a*a*a*a*a*a*b" over 5000 'a' (no match). Trying every
// occurrence of each run, as the template's definition reads, visits on the
// order of 5000^8 states; the figure here is one call.
#include <benchmark/benchmark.h>
#include <fnmatch.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "deziva27/strings/YStrings.h"

namespace {

const std::vector<std::string>& Names() {
  static const std::vector<std::string> names = [] {
    const char* stems[] = {"report", "IMG_", "data", "notes", "Backup", "invoice", "readme", "x"};
    const char* exts[] = {".txt", ".TXT", ".csv", ".png", ".tar.gz", ".md", ".bak", ""};
    std::mt19937 rng(27);
    std::vector<std::string> v;
    for (int i = 0; i < 4096; ++i) {
      std::string n = stems[rng() % 8];
      if (rng() % 2) n += std::to_string(2015 + rng() % 12);
      if (rng() % 3 == 0) n += "_" + std::to_string(rng() % 10000);
      if (rng() % 5 == 0) n += ".old";
      n += exts[rng() % 8];
      v.push_back(n);
    }
    return v;
  }();
  return names;
}

const std::vector<dz::UnicodeString>& WideNames() {
  static const std::vector<dz::UnicodeString> names = [] {
    std::vector<dz::UnicodeString> v;
    for (const auto& n : Names()) v.push_back(dz::AsciiToUnicode(n));
    return v;
  }();
  return names;
}

const char* const kTemplates[] = {
    "*.txt", "report*.csv", "IMG_????.png", "*2020*", "data*.tar.gz", "*_1*.old.md", "x"};
constexpr int kTemplateCount = sizeof(kTemplates) / sizeof(kTemplates[0]);

void CheckAgreement(const char* templ, bool caseSensitive) {
  for (const auto& n : Names()) {
    const bool ours = dz::FitToTemplate(std::string_view(n), templ, caseSensitive);
    const bool theirs = fnmatch(templ, n.c_str(), caseSensitive ? 0 : FNM_CASEFOLD) == 0;
    if (ours != theirs) {
      std::fprintf(stderr, "disagree on %s ~ %s\n", n.c_str(), templ);
      std::abort();
    }
  }
}

void Label(benchmark::State& state, const char* templ, int64_t hits) {
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Names().size()));
  state.SetLabel(std::string(templ) + " (" + std::to_string(hits) + " fit)");
}

void BM_FitToTemplate(benchmark::State& state) {
  const char* templ = kTemplates[state.range(0)];
  const bool caseSensitive = state.range(1);
  CheckAgreement(templ, caseSensitive);
  int64_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (const auto& n : Names())
      hits += dz::FitToTemplate(std::string_view(n), templ, caseSensitive);
    benchmark::DoNotOptimize(hits);
  }
  Label(state, templ, hits);
}

void BM_FitToTemplateWide(benchmark::State& state) {
  const char* templ = kTemplates[state.range(0)];
  const bool caseSensitive = state.range(1);
  const dz::UnicodeString wtempl = dz::AsciiToUnicode(templ);
  int64_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (const auto& n : WideNames()) hits += dz::FitToTemplate(n, wtempl, caseSensitive);
    benchmark::DoNotOptimize(hits);
  }
  Label(state, templ, hits);
}

void BM_Fnmatch(benchmark::State& state) {
  const char* templ = kTemplates[state.range(0)];
  const int flags = state.range(1) ? 0 : FNM_CASEFOLD;
  int64_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (const auto& n : Names()) hits += fnmatch(templ, n.c_str(), flags) == 0;
    benchmark::DoNotOptimize(hits);
  }
  Label(state, templ, hits);
}

void TemplateArgs(benchmark::internal::Benchmark* b) {
  for (int cs = 1; cs >= 0; --cs)
    for (int t = 0; t < kTemplateCount; ++t) b->Args({t, cs});
}

BENCHMARK(BM_FitToTemplate)->Apply(TemplateArgs);
BENCHMARK(BM_FitToTemplateWide)->Apply(TemplateArgs);
BENCHMARK(BM_Fnmatch)->Apply(TemplateArgs);

constexpr const char* kWorst = "*a*a*a*a*a*a*a*a*b";

void BM_WorstCase_FitToTemplate(benchmark::State& state) {
  const std::string text(static_cast<size_t>(state.range(0)), 'a');
  for (auto _ : state)
    benchmark::DoNotOptimize(dz::FitToTemplate(std::string_view(text), kWorst, true));
}

void BM_WorstCase_FitToTemplateWide(benchmark::State& state) {
  const dz::UnicodeString text(static_cast<size_t>(state.range(0)), u'a');
  const dz::UnicodeString templ = dz::AsciiToUnicode(kWorst);
  for (auto _ : state) benchmark::DoNotOptimize(dz::FitToTemplate(text, templ, true));
}

void BM_WorstCase_Fnmatch(benchmark::State& state) {
  const std::string text(static_cast<size_t>(state.range(0)), 'a');
  for (auto _ : state) benchmark::DoNotOptimize(fnmatch(kWorst, text.c_str(), 0));
}

BENCHMARK(BM_WorstCase_FitToTemplate)->Arg(5000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WorstCase_FitToTemplateWide)->Arg(5000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WorstCase_Fnmatch)->Arg(5000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
