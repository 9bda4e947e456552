// The decoder on arbitrary token bytes: it must never step outside its
// buffers, and it must agree with the plain decoder on what the bytes mean
// (the same output, or both refusing the stream).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "deziva27/compress/LZWindow.h"
#include "deziva27/compress/YCompress.h"

namespace {

std::string Contents(dz::TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dz::TMemoryStream src;
  src.Write("LZY00\0\0\0\0", 9);
  src.Write(data, static_cast<int32_t>(size));
  src.SetPosition(0);
  dz::TMemoryStream fast, plain;
  bool fastFailed = false, plainFailed = false;
  try {
    dz::LZYDecompressStream(&src, &fast);
  } catch (const dz::EYCompressError&) {
    fastFailed = true;
  }
  src.SetPosition(9);
  try {
    dz::detail::PlainDecompressSource(src, plain);
  } catch (const dz::EYCompressError&) {
    plainFailed = true;
  }
  if (fastFailed != plainFailed) std::abort();
  // Both write what they restored before the damage.
  if (Contents(fast) != Contents(plain)) std::abort();
  return 0;
}
