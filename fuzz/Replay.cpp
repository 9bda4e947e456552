// A fuzz target without libFuzzer, so that the sanitizer build of the tests
// runs every target: each file named on the command line (a folder: the
// files in it), then that file cut short or with a few bytes changed, then
// inputs of pseudo-random bytes. The seeds are fixed, so a failure repeats.
// This is no fuzzing; it keeps the targets building and catches what a
// sanitizer sees on inputs near the known ones.
//   <target> [--random N] [FILE | FOLDER]...
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;

constexpr int kVariantsPerFile = 24;
constexpr int kMaxChangedBytes = 8;
constexpr size_t kMaxRandomSize = 2048;

size_t gRuns = 0;

void Run(const std::string& bytes) {
  // An allocation of exactly its size, so that a read past the input is a
  // read past the allocation.
  std::vector<uint8_t> copy(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(copy.data(), copy.size());
  ++gRuns;
}

bool ReadFile(const fs::path& p, std::string& bytes) {
  std::ifstream in(p, std::ios::binary);
  if (!in.is_open()) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), {});
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  int randomInputs = 2000;
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--random" && i + 1 < argc) {
      randomInputs = std::atoi(argv[++i]);
    } else if (fs::is_directory(arg)) {
      for (const auto& e : fs::directory_iterator(arg))
        if (e.is_regular_file()) files.push_back(e.path());
    } else {
      files.emplace_back(arg);
    }
  }
  std::sort(files.begin(), files.end());
  std::mt19937 rng(27);
  for (const fs::path& f : files) {
    std::string bytes;
    if (!ReadFile(f, bytes)) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0], f.c_str());
      return 1;
    }
    Run(bytes);
    for (int v = 0; v < kVariantsPerFile && !bytes.empty(); ++v) {
      std::string changed = bytes;
      if (v % 2) changed.resize(rng() % changed.size());
      for (int k = 1 + static_cast<int>(rng() % kMaxChangedBytes); k > 0 && !changed.empty(); --k)
        changed[rng() % changed.size()] = static_cast<char>(rng());
      Run(changed);
    }
  }
  for (int i = 0; i < randomInputs; ++i) {
    // Mostly short: most targets read a few bytes of choices first.
    std::string s(rng() % (1 + rng() % kMaxRandomSize), '\0');
    for (char& c : s) c = static_cast<char>(rng());
    Run(s);
  }
  std::printf("%zu inputs from %zu files\n", gRuns, files.size());
  return gRuns > 0 ? 0 : 1;
}
