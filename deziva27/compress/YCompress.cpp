#include "deziva27/compress/YCompress.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "deziva27/compress/detail/LZCoder.h"

namespace dz {
namespace {

constexpr char kMagic[5] = {'L', 'Z', 'Y', '0', '0'};

[[noreturn]] void Raise(const TResStringRec& rec) {
  throw EYCompressError(LoadResString(rec));
}

// Whether c's class overrides DoOnProgress, told without calling it. On the
// Itanium C++ ABI (GCC and Clang on Linux) a pointer to a virtual member holds
// its vtable offset plus one, so the slot of c's vtable can be compared with
// that of a class known not to override. Elsewhere the answer is yes, which
// only costs the call.
bool OverridesDoOnProgress(const TYCompressor& c) {
#if defined(__GXX_ABI_VERSION)
  using Pmf = void (TYCompressor::*)(Integer, Integer);
  struct Rep {
    uintptr_t Ptr;
    ptrdiff_t Adj;
  };
  static_assert(sizeof(Pmf) == sizeof(Rep));
  const Pmf pmf = &TYCompressor::DoOnProgress;
  Rep rep;
  std::memcpy(&rep, &pmf, sizeof rep);
  if ((rep.Ptr & 1) == 0) return true;
  auto slot = [offset = rep.Ptr - 1](const void* object) {
    const char* vtable;
    std::memcpy(&vtable, object, sizeof vtable);
    const void* fn;
    std::memcpy(&fn, vtable + offset, sizeof fn);
    return fn;
  };
  static const TLZYCompressor plain;
  return slot(&c) != slot(&plain);
#else
  (void)c;
  return true;
#endif
}

// The coder reports 64-bit positions; the event takes them cut to 32 bits.
detail::TCoderProgress ProgressOf(TYCompressor& c) {
  if (!c.OnProgress() && !OverridesDoOnProgress(c)) return {};
  return [&c](int64_t pos, int64_t size) {
    c.DoOnProgress(static_cast<Integer>(pos), static_cast<Integer>(size));
  };
}

}  // namespace

// --- TYCompressor ----------------------------------------------------------------

void TYCompressor::Compress() {
  if (!FSrcStream) Raise(_SSourceNotDefined);
  if (!FDestStream) Raise(_SDestNotDefined);
  WriteHeader();
  CompressSource();
}

void TYCompressor::Decompress() {
  if (!FSrcStream) Raise(_SSourceNotDefined);
  if (!FDestStream) Raise(_SDestNotDefined);
  ReadHeader();
  DecompressSource();
}

void TYCompressor::DoOnProgress(Integer Position, Integer MaxValue) {
  if (FOnProgress) FOnProgress(this, Position, MaxValue);
}

// --- TLZYCompressor --------------------------------------------------------------

bool TLZYCompressor::CheckHeader(Integer& Version) {
  char magic[5] = {};
  if (FSrcStream->Read(magic, 5) != 5 || std::memcmp(magic, kMagic, 5) != 0) return false;
  auto v = static_cast<uint32_t>(Version);
  uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  FSrcStream->Read(b, 4);  // a short read keeps the old bytes
  Version = static_cast<Integer>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 |
                                 uint32_t{b[3]} << 24);
  return true;
}

std::optional<Integer> TLZYCompressor::CheckHeader() {
  Integer v = 0;
  if (!CheckHeader(v)) return std::nullopt;
  return v;
}

void TLZYCompressor::ReadHeader() {
  if (!CheckHeader(FVersion)) Raise(_SWrongStreamFormat);
}

void TLZYCompressor::WriteHeader() {
  auto v = static_cast<uint32_t>(FVersion);
  uint8_t h[9] = {
      'L', 'Z', 'Y', '0', '0', uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  FDestStream->WriteBuffer(h, 9);
}

void TLZYCompressor::CompressSource() {
  detail::LZEncodeParallel(*FSrcStream, *FDestStream, ProgressOf(*this), FThreads);
}

void TLZYCompressor::DecompressSource() {
  detail::LZDecode(*FSrcStream, *FDestStream, ProgressOf(*this));
}

// --- Stream routines -------------------------------------------------------------

namespace {

void Run(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress, bool compress,
         int threads = 0) {
  TLZYCompressor c;
  c.SetThreads(threads);
  c.SetSrcStream(Source);
  c.SetDestStream(Dest);
  c.SetOnProgress(OnProgress);
  if (compress)
    c.Compress();
  else
    c.Decompress();
}

void Rewind(TStream* Source) {
  // Without a source there is nothing to rewind; the compressor reports it.
  if (Source) Source->SetPosition(0);
}

}  // namespace

void LZYCompressStream(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress) {
  Run(Source, Dest, OnProgress, true);
}

void LZYCompressStream(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress,
                       int Threads) {
  Run(Source, Dest, OnProgress, true, Threads);
}

void LZYCompressFullStream(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress) {
  LZYCompressFullStream(Source, Dest, OnProgress, 0);
}

void LZYCompressFullStream(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress,
                           int Threads) {
  Rewind(Source);
  Run(Source, Dest, OnProgress, true, Threads);
}

void LZYDecompressStream(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress) {
  Run(Source, Dest, OnProgress, false);
}

void LZYDecompressFullStream(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress) {
  Rewind(Source);
  Run(Source, Dest, OnProgress, false);
}

bool IsLZYCompressedStream(TStream& Stream) {
  TLZYCompressor c;
  c.SetSrcStream(&Stream);
  int64_t at = Stream.Position();
  Integer version = 0;
  bool result = false;
  try {
    result = c.CheckHeader(version);
  } catch (...) {
    Stream.SetPosition(at);
    throw;
  }
  Stream.SetPosition(at);
  return result;
}

}  // namespace dz
