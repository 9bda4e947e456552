// Reading version records: every PE fixture, and a PE file of 16 MB whose
// resources are a few hundred bytes. The peer is what a reader that loads
// the whole file pays before it has parsed anything (std::ifstream into a
// vector), measured on the same files in the same run; the record read
// should stay flat while the peer grows with the file.
//
// The fixtures are built here from tests/system/data with the mingw-w64
// binutils, as the tests build them.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/utils/YUtils.h"
#include "tests/system/PeFixtures.h"

namespace {

using dz::test::PeFixtures;

const std::vector<std::string>& SmallFiles() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> v;
    for (const char* f : {"full.dll", "full32.dll", "full.exe", "two.dll", "two32.dll",
                          "nocopyright.dll", "nocopyright32.dll"})
      v.push_back(PeFixtures::Path(f));
    return v;
  }();
  return files;
}

// full.o linked with 16 MB of initialised data: a big file, a small .rsrc.
const std::string& LargeFile() {
  static const std::string path = [] {
    const std::filesystem::path dir = PeFixtures::Dir();
    const std::string bin = (dir / "big.bin").string(), obj = (dir / "big.o").string(),
                      out = (dir / "big.dll").string();
    std::ofstream(bin, std::ios::binary) << std::string(16 << 20, '\x5a');
    const std::string cmd = "x86_64-w64-mingw32-objcopy -I binary -O pe-x86-64 -B i386:x86-64 " +
                            bin + " " + obj + " && x86_64-w64-mingw32-ld --dll -e 0 -o " + out +
                            " " + obj + " " + (dir / "full.o").string();
    return std::system(cmd.c_str()) == 0 ? out : std::string();
  }();
  return path;
}

bool Ready(benchmark::State& st, bool large) {
  if (PeFixtures::Dir().empty() || (large && LargeFile().empty())) {
    st.SkipWithError("mingw-w64 binutils are not installed");
    return false;
  }
  return true;
}

void BM_GetVersionInfo_Fixtures(benchmark::State& st) {
  if (!Ready(st, false)) return;
  std::vector<dz::UnicodeString> names;
  for (const std::string& f : SmallFiles()) names.push_back(dz::Utf8ToUtf16(f));
  for (auto _ : st) {
    for (const auto& n : names) {
      dz::TYVersionInfoRec r;
      benchmark::DoNotOptimize(dz::GetVersionInfo(n, r));
    }
  }
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * names.size()));
}

void BM_GetVersionInfo_Large(benchmark::State& st) {
  if (!Ready(st, true)) return;
  const dz::UnicodeString name = dz::Utf8ToUtf16(LargeFile());
  for (auto _ : st) {
    dz::TYVersionInfoRec r;
    benchmark::DoNotOptimize(dz::GetVersionInfo(name, r));
  }
  st.SetItemsProcessed(st.iterations());
  st.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(LargeFile())) / 1e6;
}

void Peer_WholeFileRead(benchmark::State& st, const std::string& path) {
  for (auto _ : st) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    benchmark::DoNotOptimize(bytes.data());
  }
  st.SetItemsProcessed(st.iterations());
}

void BM_Peer_WholeFileRead_Fixture(benchmark::State& st) {
  if (Ready(st, false)) Peer_WholeFileRead(st, SmallFiles().front());
}
void BM_Peer_WholeFileRead_Large(benchmark::State& st) {
  if (Ready(st, true)) Peer_WholeFileRead(st, LargeFile());
}

BENCHMARK(BM_GetVersionInfo_Fixtures);
BENCHMARK(BM_Peer_WholeFileRead_Fixture);
BENCHMARK(BM_GetVersionInfo_Large);
BENCHMARK(BM_Peer_WholeFileRead_Large);

}  // namespace

BENCHMARK_MAIN();
