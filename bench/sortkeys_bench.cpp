// Sort keys of 8-bit words (code page 1252, en-US, case ignored) against
// ICU's collation keys of the same words in the same run. ICU gets its
// collator opened once and the words already in UTF-16, so it pays for
// neither; the library decodes the bytes on every call as Windows does.
#include <benchmark/benchmark.h>
#include <unicode/ucol.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "deziva27/locales/YLocales.h"
#include "deziva27/platform/detail/LocaleText.h"

namespace {

// Words of the sorts a word list holds: plain, capitalized, accented,
// hyphenated, with apostrophes and digits.
const char* const kWords[] = {
    "apple",
    "Banana",
    "co-op",
    "coop",
    "don't",
    "r\xE9sum\xE9",
    "Stra\xDF"
    "e",
    "\xC4pfel",
    "zebra",
    "e-mail",
    "O'Neil",
    "caf\xE9",
    "na\xEFve",
    "1999",
    "x-ray",
    "Zoo",
    "\xE6ther",
    "M\xFCller",
    "half-life",
    "it's",
    "fa\xE7"
    "ade",
    "\xC5ngstr\xF6m",
    "pi\xF1"
    "ata",
    "ma\xDF"
    "e",
    "C\xF4te",
    "rock'n'roll",
    "Ol\xE9",
    "version2",
};

std::vector<std::string> Words(size_t n) {
  std::vector<std::string> out;
  for (size_t i = 0; out.size() < n; ++i) {
    std::string w = kWords[i % std::size(kWords)];
    if (i / std::size(kWords) % 2) w += static_cast<char>('a' + i % 26);  // not all alike
    out.push_back(std::move(w));
  }
  return out;
}

const std::vector<std::string>& List() {
  static const std::vector<std::string> words = Words(10000);
  return words;
}

// The two calls GetSortKey makes: the size, then the key.
void BM_LCMapStringA(benchmark::State& state) {
  const auto& words = List();
  std::string key(512, '\0');
  for (auto _ : state) {
    for (const std::string& w : words) {
      const int n = dz::win::LCMapStringA(0x0409, dz::win::LCMAP_SORTKEY | dz::win::NORM_IGNORECASE,
                                          w.c_str(), static_cast<int>(w.size()) + 1, nullptr, 0);
      benchmark::DoNotOptimize(dz::win::LCMapStringA(
          0x0409, dz::win::LCMAP_SORTKEY | dz::win::NORM_IGNORECASE, w.c_str(), -1, key.data(), n));
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * words.size()));
}
BENCHMARK(BM_LCMapStringA);

void BM_GetSortKey(benchmark::State& state) {
  const auto& words = List();
  for (auto _ : state) {
    for (const std::string& w : words) {
      dz::AnsiChar* key = nullptr;
      benchmark::DoNotOptimize(dz::GetSortKey(w, 0x0409, key));
      std::free(key);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * words.size()));
}
BENCHMARK(BM_GetSortKey);

// The peer: ICU, secondary strength (case ignored), the same two calls.
void BM_IcuSortKey(benchmark::State& state) {
  UErrorCode err = U_ZERO_ERROR;
  std::unique_ptr<UCollator, void (*)(UCollator*)> coll(ucol_open("en_US", &err), ucol_close);
  ucol_setStrength(coll.get(), UCOL_SECONDARY);
  std::vector<std::u16string> words;
  for (const std::string& w : List()) {
    std::u16string u;
    for (const char c : w)
      u += static_cast<char16_t>(static_cast<unsigned char>(c));  // Latin-1 part of 1252
    words.push_back(std::move(u));
  }
  uint8_t key[512];
  for (auto _ : state) {
    for (const std::u16string& w : words) {
      const auto* s = reinterpret_cast<const UChar*>(w.data());
      const int n = ucol_getSortKey(coll.get(), s, static_cast<int32_t>(w.size()), nullptr, 0);
      benchmark::DoNotOptimize(
          ucol_getSortKey(coll.get(), s, static_cast<int32_t>(w.size()), key, n));
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * words.size()));
}
BENCHMARK(BM_IcuSortKey);

}  // namespace

BENCHMARK_MAIN();
