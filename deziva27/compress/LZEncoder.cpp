#include "deziva27/compress/detail/LZCoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "deziva27/compress/detail/LZSearch.h"
#include "deziva27/consts/Errors.h"

namespace dz::detail {

void RaiseBadMatch(int64_t Offset, int64_t Length, int64_t At) {
  if (Offset == 0 || Offset + Length <= kLZWindowSize)
    throw EYCompressError(
        u"Damaged compressed stream: the match at byte %d points %d bytes back, before the start "
        u"of the data",
        {At, Offset});
  throw EYCompressError(
      u"Damaged compressed stream: the match at byte %d copies %d bytes from %d back, beyond the "
      u"2048-byte window",
      {At, Length, Offset});
}

void RaiseTruncatedToken(int64_t At) {
  throw EYCompressError(u"Damaged compressed stream: the token at byte %d is cut off", {At});
}

namespace {

constexpr int64_t kChunk = 256 * 1024;  // bytes moved per stream call, at most
constexpr int64_t kMinChunk = 4096;

// Small jobs get small buffers: compressing a short string must not cost a
// quarter of a megabyte of zeroing.
int64_t ChunkFor(int64_t bytes) {
  return std::clamp<int64_t>(bytes, kMinChunk, kChunk);
}
constexpr int64_t kAhead = 32;  // look-ahead a token needs short of the end
constexpr int64_t kPad = 64;    // slack for word-wide loads past the data

class Encoder {
 public:
  Encoder(TStream& src, TStream& dest, const TCoderProgress& progress)
      : FSrc(src), FDest(dest), FProgress(progress), FDict(std::make_unique<Dictionary>()) {
    FStartPos = src.Position();
    FSrcSize = src.Size();
    FTotal = std::max<int64_t>(0, FSrcSize - FStartPos);
    FChunk = ChunkFor(FTotal);
    FBuf.assign(static_cast<size_t>(kLZWindowSize + kAhead + FChunk + kPad), 0);
    FOut.resize(static_cast<size_t>(FChunk + 2 * kLZMaxLiteralRun));
  }

  template <bool kReport>
  void Run();

 private:
  void Refill(int64_t cur);
  void FlushLiterals();
  void FlushOut() {
    FDest.WriteBuffer(FOut.data(), static_cast<int32_t>(FOutLen));
    FOutLen = 0;
  }
  uint8_t* At(int64_t pos) { return FBuf.data() + (pos - FBase); }

  TStream& FSrc;
  TStream& FDest;
  const TCoderProgress& FProgress;
  std::unique_ptr<Dictionary> FDict;
  int64_t FStartPos = 0, FSrcSize = 0, FTotal = 0;
  int64_t FChunk = kChunk;
  std::vector<uint8_t> FBuf;  // source bytes [FBase, FLoaded) at the front
  int64_t FBase = 0, FLoaded = 0;
  std::vector<uint8_t> FOut;
  size_t FOutLen = 0;
  int64_t FLitStart = 0;
  int FLitCount = 0;
};

void Encoder::Refill(int64_t cur) {
  // Matches reach at most 2045 bytes back and a pending literal run at most
  // 126, so the window's width before cur is all the history kept.
  int64_t keep = std::max(FBase, cur - kLZWindowSize);
  std::memmove(FBuf.data(), At(keep), static_cast<size_t>(FLoaded - keep));
  FBase = keep;
  auto n = static_cast<int32_t>(std::min(FChunk, FTotal - FLoaded));
  FSrc.ReadBuffer(At(FLoaded), n);
  FLoaded += n;
  std::memset(At(FLoaded), 0, kPad);
}

void Encoder::FlushLiterals() {
  FOutLen += PutLiterals(FOut.data() + FOutLen, At(FLitStart), FLitCount);
  FLitCount = 0;
}

template <bool kReport>
void Encoder::Run() {
  int64_t cur = 0;
  while (cur < FTotal) {
    if (FLoaded - cur < kAhead && FLoaded < FTotal) Refill(cur);
    // Code up to where a token could need bytes not yet loaded.
    const int64_t stop = FLoaded < FTotal ? FLoaded - kAhead : FTotal;
    const int64_t total = FTotal;
    Dictionary& dict = *FDict;
    uint8_t* const out = FOut.data();
    const uint8_t* const buf = FBuf.data();
    const int64_t base = FBase;
    const auto chunk = static_cast<size_t>(FChunk);
    size_t outLen = FOutLen;
    int litCount = FLitCount;
    int64_t litStart = FLitStart;
    while (cur <= stop && cur < total) {
      const int64_t at = cur;
      cur = ParseStep(dict, buf, base, cur, total, out, outLen, litStart, litCount);
      if (outLen >= chunk) {
        FDest.WriteBuffer(out, static_cast<int32_t>(outLen));
        outLen = 0;
      }
      // The plain coder reports after each token what it had read before it.
      if constexpr (kReport) FProgress(FStartPos + ReadTo(at, total), FSrcSize);
    }
    FOutLen = outLen;
    FLitCount = litCount;
    FLitStart = litStart;
  }
  if (FLitCount > 0) FlushLiterals();
  if (FOutLen > 0) FlushOut();
}

}  // namespace

void LZEncode(TStream& Src, TStream& Dest, const TCoderProgress& Progress) {
  Encoder e(Src, Dest, Progress);
  if (Progress)
    e.Run<true>();
  else
    e.Run<false>();
}

}  // namespace dz::detail
