// The decoder on arbitrary token bytes: it must never step outside its
// buffers, and it must agree with the plain decoder on what the bytes mean
// (the same output and message, or both taking the stream). Each input runs
// down every road of the decoder: memory streams read and written in place,
// streams it cannot see through, a destination positioned before its end, and
// the step ends a processor without AVX2 works out.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "deziva27/compress/detail/LZCoder.h"
#include "deziva27/compress/detail/LZWindow.h"
#include "deziva27/compress/YCompress.h"

namespace {

std::string Contents(dz::TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

class TOpaqueStream : public dz::TStream {
 public:
  explicit TOpaqueStream(dz::TMemoryStream& m) : FMem(m) {}
  int32_t Read(void* buffer, int32_t count) override { return FMem.Read(buffer, count); }
  int32_t Write(const void* buffer, int32_t count) override { return FMem.Write(buffer, count); }
  int64_t Seek(int64_t offset, dz::TSeekOrigin origin) override {
    return FMem.Seek(offset, origin);
  }
  void SetSize(int64_t size) override { FMem.SetSize(size); }

 private:
  dz::TMemoryStream& FMem;
};

// The message raised, or "" when the stream was taken whole.
std::string Run(dz::TStream& src, dz::TStream& dest) {
  try {
    dz::LZYDecompressStream(&src, &dest);
  } catch (const dz::EYCompressError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dz::TMemoryStream src;
  src.Write("LZY00\0\0\0\0", 9);
  src.Write(data, static_cast<int32_t>(size));

  src.SetPosition(9);
  dz::TMemoryStream plain;
  std::string plainError;
  try {
    dz::detail::PlainDecompressSource(src, plain);
  } catch (const dz::EYCompressError& e) {
    plainError = e.what();
  }
  const std::string want = Contents(plain);

  // In place.
  src.SetPosition(0);
  dz::TMemoryStream fast;
  if (Run(src, fast) != plainError || Contents(fast) != want) std::abort();

  // In place, with the step ends of a processor without AVX2.
  src.SetPosition(0);
  dz::TMemoryStream portable;
  dz::detail::LZDecodePortably(true);
  const std::string portableError = Run(src, portable);
  dz::detail::LZDecodePortably(false);
  if (portableError != plainError || Contents(portable) != want) std::abort();

  // In chunks.
  src.SetPosition(0);
  dz::TMemoryStream chunked;
  TOpaqueStream opaqueSrc(src), opaqueDest(chunked);
  if (Run(opaqueSrc, opaqueDest) != plainError || Contents(chunked) != want) std::abort();

  // Into the middle of bytes that must survive past the restored ones.
  src.SetPosition(0);
  const std::string tail(want.size() + 64, '#');
  dz::TMemoryStream middle;
  middle.Write(tail.data(), static_cast<int32_t>(tail.size()));
  middle.SetPosition(0);
  if (Run(src, middle) != plainError) std::abort();
  if (Contents(middle) != want + tail.substr(want.size())) std::abort();
  return 0;
}
