// The parallel coder against the sequential one: for any data, block size and
// thread count, the same bytes. The first two input bytes choose the block
// size (64 to 16,447 bytes) and the thread count (1 to 4); the rest, repeated
// to make room for several blocks, is the data.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "deziva27/compress/detail/LZCoder.h"
#include "deziva27/host/classes/Streams.h"

namespace {

std::string Code(const std::string& data, int threads, int64_t block) {
  dz::TMemoryStream src, dst;
  src.Write(data.data(), static_cast<int32_t>(data.size()));
  src.SetPosition(0);
  if (threads == 0)
    dz::detail::LZEncode(src, dst, {});
  else
    dz::detail::LZEncodeParallel(src, dst, {}, threads, block);
  return std::string(reinterpret_cast<const char*>(dst.Memory()), static_cast<size_t>(dst.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* in, size_t size) {
  if (size < 3) return 0;
  const int64_t block = 64 + ((int64_t{in[0]} << 6) | (in[1] & 0x3F));
  const int threads = 1 + (in[1] >> 6);
  std::string data(reinterpret_cast<const char*>(in + 2), size - 2);
  // Repeats with a twist, so later blocks have matches into earlier ones.
  while (data.size() < 3 * static_cast<size_t>(block) && data.size() < (1u << 16))
    data += data.substr(0, data.size() / 2 + 1) + static_cast<char>(data.size());
  if (Code(data, 0, 0) != Code(data, threads, block)) std::abort();
  return 0;
}
