// The LZY token decoder behind LZDecode: restores large blocks of tokens at
// once, checking every offset, and writes the bytes out in chunks.
#include <algorithm>
#include <cstring>
#include <vector>

#include "deziva27/compress/LZCoder.h"
#include "deziva27/frame/Errors.h"

namespace dz::detail {
namespace {

constexpr int64_t kChunk = 256 * 1024;  // bytes moved per stream call, at most
constexpr int64_t kMinChunk = 4096;

// Small jobs get small buffers: restoring a short string must not cost a
// quarter of a megabyte of zeroing.
int64_t ChunkFor(int64_t bytes) {
  return std::clamp<int64_t>(bytes, kMinChunk, kChunk);
}
constexpr int64_t kPad = 64;  // slack for word-wide loads and stores past the data

constexpr size_t kSafeIn = kLZMaxLiteralRun + 1;  // the longest token

// Appends the len (<= 18) bytes that start off back from out, as a forward
// byte-by-byte copy would; may write up to 24 bytes.
inline void CopyMatch(uint8_t* out, size_t off, size_t len) {
  const uint8_t* from = out - off;
  if (off >= len) {
    // The bytes wanted are all in place already: load every byte before
    // storing any, so no load waits on a store it partly overlaps. Bytes
    // past len are junk that later tokens overwrite.
    uint8_t t[24];
    std::memcpy(t, from, 24);
    std::memcpy(out, t, 24);
  } else if (off >= 8) {
    std::memcpy(out, from, 8);
    std::memcpy(out + 8, from + 8, 8);
    std::memcpy(out + 16, from + 16, 8);
  } else if (off == 1) {
    std::memset(out, *from, 24);
  } else {
    for (size_t i = 0; i < len; ++i) out[i] = from[i];
  }
}

class Decoder {
 public:
  Decoder(TStream& src, TStream& dest, const TCoderProgress& progress)
      : FSrc(src), FDest(dest), FProgress(progress) {
    FInPos = src.Position();
    FInEnd = std::max(FInPos, src.Size());
    FSrcSize = src.Size();
    // A match token of 2 bytes restores at most 18: 9 times its size.
    FInChunk = ChunkFor(FInEnd - FInPos);
    FOutChunk = ChunkFor(9 * (FInEnd - FInPos) + kPad);
    FIn.assign(static_cast<size_t>(FInChunk + 4 * kLZMaxLiteralRun + 2 * kPad), 0);
    FOut.assign(static_cast<size_t>(kLZWindowSize + FOutChunk + 2 * kPad + kLZMaxLiteralRun), 0);
  }

  template <bool kReport>
  void Run();

 private:
  // Returns the end of the restored bytes; when it raises, FPending holds it.
  template <bool kReport>
  uint8_t* Decode(uint8_t* base, uint8_t* flushAt);
  void RefillIn();
  uint8_t* FlushOut(uint8_t* out);

  TStream& FSrc;
  TStream& FDest;
  const TCoderProgress& FProgress;
  int64_t FInPos = 0;  // source position of FIn[FInLen]: what has been read
  int64_t FInEnd = 0;
  int64_t FSrcSize = 0;
  int64_t FInChunk = kChunk, FOutChunk = kChunk;
  std::vector<uint8_t> FIn;
  size_t FInHead = 0, FInLen = 0;  // unread input is FIn[FInHead, FInLen)
  std::vector<uint8_t> FOut;
  size_t FHistory = 0;  // restored bytes kept before the unwritten ones
  uint8_t* FPending = nullptr;
};

void Decoder::RefillIn() {
  size_t left = FInLen - FInHead;
  std::memmove(FIn.data(), FIn.data() + FInHead, left);
  FInHead = 0;
  auto n = static_cast<int32_t>(std::min<int64_t>(FInChunk, FInEnd - FInPos));
  FSrc.ReadBuffer(FIn.data() + left, n);
  FInLen = left + static_cast<size_t>(n);
  FInPos += n;
  std::memset(FIn.data() + FInLen, 0, kPad + kLZMaxLiteralRun);
}

uint8_t* Decoder::FlushOut(uint8_t* out) {
  uint8_t* base = FOut.data();
  uint8_t* from = base + FHistory;
  FDest.WriteBuffer(from, static_cast<int32_t>(out - from));
  // Keep the window's width of history for the matches to come.
  size_t keep = std::min<size_t>(static_cast<size_t>(out - base), kLZWindowSize);
  std::memmove(base, out - keep, keep);
  FHistory = keep;
  return base + keep;
}

template <bool kReport>
void Decoder::Run() {
  uint8_t* const base = FOut.data();
  uint8_t* const flushAt = base + kLZWindowSize + FOutChunk;
  uint8_t* out;
  try {
    out = Decode<kReport>(base, flushAt);
  } catch (const EYCompressError&) {
    // What was restored before the damage still goes out, as it would from
    // a decoder that writes token by token.
    out = FPending;
    uint8_t* from = base + FHistory;
    if (out > from) FDest.WriteBuffer(from, static_cast<int32_t>(out - from));
    throw;
  }
  uint8_t* from = base + FHistory;
  if (out > from) FDest.WriteBuffer(from, static_cast<int32_t>(out - from));
}

template <bool kReport>
uint8_t* Decoder::Decode(uint8_t* const base, uint8_t* const flushAt) {
  // out stays a plain local: were it reachable from outside, every copy
  // through it would force it back to memory.
  uint8_t* out = base;
  for (;;) {
    if (FInLen - FInHead < static_cast<size_t>(2 * kLZMaxLiteralRun) && FInPos < FInEnd) RefillIn();
    if (FInHead == FInLen) break;
    if (out >= flushAt) out = FlushOut(out);
    const uint8_t* in = FIn.data() + FInHead;
    size_t avail = FInLen - FInHead;
    if (avail > kSafeIn) {
      // Every token that starts before inSafe lies whole in the buffer, and
      // every copy may run a little past its end into the slack: only the
      // offsets need checking here.
      const uint8_t* const inEnd = in + avail;
      const uint8_t* const inSafe = inEnd - kSafeIn;
      while (in < inSafe && out < flushAt) {
        uint8_t b = in[0];
        if (b & 1) {
          unsigned w = b | unsigned{in[1]} << 8;
          size_t off = (w & 0x0FFF) >> 1;
          size_t len = (w >> 12) + kLZMinMatch;
          if (off - 1 >= static_cast<size_t>(out - base) || off + len > kLZWindowSize) {
            FPending = out;
            RaiseBadMatch(static_cast<int64_t>(off), static_cast<int64_t>(len),
                          FInPos - (inEnd - in));
          }
          CopyMatch(out, off, len);
          out += len;
          in += 2;
        } else {
          size_t n = b >> 1;
          for (size_t i = 0; i < n; i += 32) std::memcpy(out + i, in + 1 + i, 32);
          out += n;
          in += 1 + n;
        }
        if constexpr (kReport) FProgress(FInPos - (inEnd - in), FSrcSize);
      }
      FInHead = static_cast<size_t>(in - FIn.data());
      continue;
    }
    uint8_t b = in[0];
    if (b & 1) {
      FPending = out;
      if (avail < 2) RaiseTruncatedToken(FInPos - static_cast<int64_t>(avail));
      unsigned w = b | unsigned{in[1]} << 8;
      size_t off = (w & 0x0FFF) >> 1;
      size_t len = (w >> 12) + kLZMinMatch;
      if (off == 0 || off > static_cast<size_t>(out - base) || off + len > kLZWindowSize)
        RaiseBadMatch(static_cast<int64_t>(off), static_cast<int64_t>(len),
                      FInPos - static_cast<int64_t>(avail));
      CopyMatch(out, off, len);
      out += len;
      FInHead += 2;
    } else {
      size_t n = b >> 1;
      FPending = out;
      if (avail - 1 < n) RaiseTruncatedToken(FInPos - static_cast<int64_t>(avail));
      // The input keeps 127 bytes of zeroed slack, so a fixed-size copy of the
      // common short runs is safe and cheaper than an exact one.
      if (n <= 16)
        std::memcpy(out, in + 1, 16);
      else
        std::memcpy(out, in + 1, n);
      out += n;
      FInHead += 1 + n;
    }
    if constexpr (kReport) FProgress(FInPos - static_cast<int64_t>(FInLen - FInHead), FSrcSize);
  }
  return out;
}

}  // namespace

void LZDecode(TStream& Src, TStream& Dest, const TCoderProgress& Progress) {
  Decoder d(Src, Dest, Progress);
  if (Progress)
    d.Run<true>();
  else
    d.Run<false>();
}

}  // namespace dz::detail
