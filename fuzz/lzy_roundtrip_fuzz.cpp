// Compress then decompress arbitrary bytes: the block coder must give the
// plain coder's exact tokens, and decoding them must give the input back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "deziva27/compress/detail/LZWindow.h"
#include "deziva27/compress/YCompress.h"

namespace {

std::string Contents(dz::TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dz::TMemoryStream src, packed, plain, out;
  src.Write(data, static_cast<int32_t>(size));
  src.SetPosition(0);
  dz::LZYCompressStream(&src, &packed);
  src.SetPosition(0);
  dz::detail::PlainCompressSource(src, plain);
  std::string tokens = Contents(packed).substr(9);
  if (tokens != Contents(plain)) std::abort();
  packed.SetPosition(0);
  dz::LZYDecompressStream(&packed, &out);
  if (out.Size() != static_cast<int64_t>(size) ||
      (size && std::memcmp(out.Memory(), data, size) != 0))
    std::abort();
  return 0;
}
