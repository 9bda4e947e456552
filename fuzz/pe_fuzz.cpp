// The PE resource reader and the version-block queries on arbitrary bytes:
// as a PE image, and (so that the queries get deep inputs quickly) the
// input's tail as a version block of its own. An input that starts with 'S'
// is the head of a 5 GiB sparse file whose rest reads as zeros: whatever its
// directory claims, the reader may not ask for more than its limit and the
// headers. Seeds: fuzz/pe_seeds.sh DIR.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "deziva27/platform/detail/PeResources.h"
#include "deziva27/platform/detail/Version.h"

namespace {

void Queries(std::vector<uint8_t> block) {
  if (block.size() < 6) return;
  // As GetFileVersionInfoW leaves a block: never longer than it says.
  if ((block[0] | block[1] << 8) > static_cast<int>(block.size())) {
    block[0] = static_cast<uint8_t>(block.size() & 0xFF);
    block[1] = static_cast<uint8_t>((block.size() >> 8) & 0xFF);
  }
  static const char16_t* const kPaths[] = {u"\\",
                                           u"\\VarFileInfo\\Translation",
                                           u"\\StringFileInfo\\040904B0\\CompanyName",
                                           u"\\StringFileInfo\\040904E4\\FileVersion",
                                           u"\\StringFileInfo",
                                           u"\\A\\B\\C\\D\\E"};
  for (const char16_t* p : kPaths) {
    void* v = nullptr;
    dz::win::UINT len = 0;
    if (dz::win::VerQueryValueW(block.data(), p, &v, &len) && len > 0) {
      volatile uint8_t sink = static_cast<const uint8_t*>(v)[len - 1];
      (void)sink;
    }
  }
}

}  // namespace

// Reads of a file of FileSize bytes that holds image and then a hole.
void Sparse(std::span<const uint8_t> image) {
  constexpr uint64_t kFileSize = uint64_t{5} << 30;
  // Headers, section table and three directory levels of 65,536 entries.
  constexpr uint64_t kWalk = 8u << 20;
  for (uint32_t limit : {dz::win::kMaxVersionResource, dz::win::kMaxPeResource}) {
    uint64_t asked = 0;
    dz::win::TPeReadAt readAt = [&](uint64_t off, void* buf, size_t n) {
      asked += n;
      if (asked > limit + kWalk) __builtin_trap();  // took what the file claims
      auto* p = static_cast<uint8_t*>(buf);
      const size_t have = off < image.size() ? std::min<uint64_t>(n, image.size() - off) : 0;
      if (have) std::memcpy(p, image.data() + off, have);
      std::memset(p + have, 0, n - have);
      return true;
    };
    std::vector<uint8_t> out;
    if (dz::win::ReadPeResource(readAt, kFileSize, dz::win::RT_VERSION, 0, out, limit) &&
        out.size() > limit)
      __builtin_trap();
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0 && data[0] == 'S') {
    Sparse(std::span<const uint8_t>(data + 1, size - 1));
    return 0;
  }
  std::span<const uint8_t> image(data, size);
  std::vector<uint8_t> out;
  if (dz::win::ReadPeResourceImage(image, dz::win::RT_VERSION, 0, out)) {
    if (out.size() > size) __builtin_trap();  // memory bounded by the input
    Queries(out);
  }
  dz::win::ReadPeResourceImage(image, 6, 1, out);
  if (size > 0 && data[0] == 'V') Queries(std::vector<uint8_t>(data + 1, data + size));
  return 0;
}
