// The corpora the benchmarks share: files of a folder concatenated in path
// order, and loading bytes into a memory stream.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "deziva27/host/classes/Streams.h"

namespace dz::bench {

// DZ_BENCH_MB MiB, or fallbackMb when it is unset.
inline size_t CorpusSize(size_t fallbackMb = 16) {
  const char* mb = std::getenv("DZ_BENCH_MB");
  return (mb ? std::strtoul(mb, nullptr, 10) : fallbackMb) << 20;
}

// The regular files under dir (only .h files when headersOnly), in path
// order, up to want bytes.
inline std::string Concat(const char* dir, bool headersOnly, size_t want) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
    if (headersOnly && it->path().extension() != ".h") continue;
    files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  std::string out;
  for (const auto& f : files) {
    std::ifstream in(f, std::ios::binary);
    out.append(std::istreambuf_iterator<char>(in), {});
    if (out.size() >= want) break;
  }
  out.resize(std::min(out.size(), want));
  return out;
}

inline void Load(TMemoryStream& s, const std::string& data) {
  s.SetSize(0);
  s.SetPosition(0);
  s.Write(data.data(), static_cast<int32_t>(data.size()));
  s.SetPosition(0);
}

}  // namespace dz::bench
