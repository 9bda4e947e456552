// The PE resource reader and the version-block queries on arbitrary bytes:
// as a PE image, and (so that the queries get deep inputs quickly) the
// input's tail as a version block of its own.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "deziva27/platform/PeResources.h"
#include "deziva27/platform/Version.h"

namespace {

void Queries(std::vector<uint8_t> block) {
  if (block.size() < 6) return;
  // As GetFileVersionInfoW leaves a block: never longer than it says.
  if ((block[0] | block[1] << 8) > static_cast<int>(block.size())) {
    block[0] = static_cast<uint8_t>(block.size() & 0xFF);
    block[1] = static_cast<uint8_t>((block.size() >> 8) & 0xFF);
  }
  static const char16_t* const kPaths[] = {
      u"\\", u"\\VarFileInfo\\Translation", u"\\StringFileInfo\\040904B0\\CompanyName",
      u"\\StringFileInfo\\040904E4\\FileVersion", u"\\StringFileInfo", u"\\A\\B\\C\\D\\E"};
  for (const char16_t* p : kPaths) {
    void* v = nullptr;
    dz::UINT len = 0;
    if (dz::VerQueryValueW(block.data(), p, &v, &len) && len > 0) {
      volatile uint8_t sink = static_cast<const uint8_t*>(v)[len - 1];
      (void)sink;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> image(data, size);
  std::vector<uint8_t> out;
  if (dz::ReadPeResourceImage(image, dz::RT_VERSION, 0, out)) {
    if (out.size() > size) __builtin_trap();  // memory bounded by the input
    Queries(out);
  }
  dz::ReadPeResourceImage(image, 6, 1, out);
  if (size > 0 && data[0] == 'V') Queries(std::vector<uint8_t>(data + 1, data + size));
  return 0;
}
