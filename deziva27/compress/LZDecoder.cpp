// The LZY token decoder behind LZDecode. Tokens are restored in large runs
// with every offset checked; the bytes go straight into a memory stream's
// buffer when the destination is one, and are read straight from a memory
// stream's buffer when the source is one. Other streams go through chunked
// buffers, so memory stays bounded for files.
#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "deziva27/compress/detail/LZCoder.h"
#include "deziva27/consts/Errors.h"

namespace dz::detail {
namespace {

// LZDecodePortably's choice, for the decoders this thread starts: a test
// that wants the portable road does not change it for decoders elsewhere.
thread_local bool tPortable = false;

constexpr int64_t kChunk = 256 * 1024;  // bytes moved per stream call, at most
constexpr int64_t kMinChunk = 4096;

// Small jobs get small buffers: restoring a short string must not cost a
// quarter of a megabyte of buffers.
int64_t ChunkFor(int64_t bytes) {
  return std::clamp<int64_t>(bytes, kMinChunk, kChunk);
}

// The fast loop runs while a whole token, the match that may follow it, the
// 16-byte steps of a literal copy and the step ends, worked out 16 bytes at
// a time, all lie before the end of the input.
constexpr ptrdiff_t kSafeIn = 1 + kLZMaxLiteralRun + 4;
// Past the fast loop's output bound a literal run and a match may still be
// written, each with a few junk bytes past its end.
constexpr ptrdiff_t kOutSlack = 256;

inline void Copy16(uint8_t* to, const uint8_t* from) {
#if defined(__SSE2__)
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to),
                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
#else
  std::memcpy(to, from, 16);
#endif
}

inline void Copy8(uint8_t* to, const uint8_t* from) {
  uint64_t v;
  std::memcpy(&v, from, 8);
  std::memcpy(to, &v, 8);
}

// The two halves of restoring a match: the len (3..18) bytes that start off
// back from out are appended as a forward byte-by-byte copy would, with up
// to 24 bytes written.

// off >= len: every byte wanted is in place already. All are loaded before
// any is stored, so no load waits on the stores of this copy, and one shape
// of copy serves every length: a branch on the length mispredicts far more
// than a wide copy costs. Bytes past len are junk that later tokens
// overwrite.
inline void CopyFar(uint8_t* out, const uint8_t* from) {
#if defined(__SSE2__)
  __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
  __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 2));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), a);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2), c);
#else
  uint64_t a, b, c;
  std::memcpy(&a, from, 8);
  std::memcpy(&b, from + 8, 8);
  std::memcpy(&c, from + 16, 8);
  std::memcpy(out, &a, 8);
  std::memcpy(out + 8, &b, 8);
  std::memcpy(out + 16, &c, 8);
#endif
}

// off < len: the copy reads bytes it writes itself.
inline void CopyNear(uint8_t* out, size_t off, size_t len) {
  const uint8_t* from = out - off;
  if (off >= 8) {
    // Each 8-byte step reads only bytes that earlier steps have finished.
    Copy8(out, from);
    Copy8(out + 8, from + 8);
    Copy8(out + 16, from + 16);
  } else if (off == 1) {
    uint64_t v = uint64_t{*from} * 0x0101010101010101u;
    std::memcpy(out, &v, 8);
    std::memcpy(out + 8, &v, 8);
    std::memcpy(out + 16, &v, 8);
  } else {
    for (size_t i = 0; i < len; ++i) out[i] = from[i];
  }
}

inline void CopyMatch(uint8_t* out, size_t off, size_t len) {
  if (off >= len)
    CopyFar(out, out - off);
  else
    CopyNear(out, off, len);
}

// b odd ? odd : even, never as a branch: whether a token is a literal run or
// a match follows no pattern a predictor can learn, and the compilers turn
// the plain conditional into a jump.
template <class T>
inline T PickOdd(unsigned b, T odd, T even) {
#if defined(__GNUC__) && defined(__x86_64__)
  asm("test $1, %b[b]\n\tcmovne %[odd], %[res]"
      : [res] "+r"(even)
      : [b] "q"(b), [odd] "rm"(odd)
      : "cc");
  return even;
#else
  return (b & 1) ? odd : even;
#endif
}

// A step is a literal run, possibly empty, and the match after it. to[k] is
// where the step that would start at in[k] ends: k + 2 for a match, k + 3
// plus the run's length for a run. Worked out 16 bytes at a time, ahead of
// the steps, it leaves the one chain from step to step a single load, with
// no add after it. Fills k from j (a multiple of 16) up to n rounded up to
// 16, reading as many bytes.
inline void StepEnds(const uint8_t* in, size_t j, size_t n, uint16_t* to) {
#if defined(__SSE2__)
  const __m128i one = _mm_set1_epi8(1), low7 = _mm_set1_epi8(0x7F), zero = _mm_setzero_si128();
  const __m128i eight = _mm_set1_epi16(8);
  __m128i at = _mm_add_epi16(_mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7),
                             _mm_set1_epi16(static_cast<int16_t>(j)));
  for (; j < n; j += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + j));
    __m128i run = _mm_add_epi8(_mm_and_si128(_mm_srli_epi16(v, 1), low7), one);
    __m128i even = _mm_cmpeq_epi8(_mm_and_si128(v, one), zero);
    __m128i d = _mm_add_epi8(_mm_and_si128(run, even), _mm_add_epi8(one, one));
    _mm_store_si128(reinterpret_cast<__m128i*>(to + j),
                    _mm_add_epi16(_mm_unpacklo_epi8(d, zero), at));
    at = _mm_add_epi16(at, eight);
    _mm_store_si128(reinterpret_cast<__m128i*>(to + j + 8),
                    _mm_add_epi16(_mm_unpackhi_epi8(d, zero), at));
    at = _mm_add_epi16(at, eight);
  }
#else
  for (; j < n; ++j)
    to[j] = static_cast<uint16_t>(j + ((in[j] & 1) ? 2 : 3 + (in[j] >> 1)));
#endif
}

#if defined(__GNUC__) && defined(__x86_64__)
// The same, 32 bytes at a time, for the processors that have AVX2; the build
// itself targets plain x86-64.
__attribute__((target("avx2"))) void StepEnds32(const uint8_t* in, size_t n, uint16_t* to) {
  const __m256i one = _mm256_set1_epi8(1), low7 = _mm256_set1_epi8(0x7F);
  const __m256i sixteen = _mm256_set1_epi16(16);
  __m256i at = _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  size_t j = 0;
  for (; j + 16 < n; j += 32) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + j));
    __m256i run = _mm256_add_epi8(_mm256_and_si256(_mm256_srli_epi16(v, 1), low7), one);
    __m256i even = _mm256_cmpeq_epi8(_mm256_and_si256(v, one), _mm256_setzero_si256());
    __m256i d = _mm256_add_epi8(_mm256_and_si256(run, even), _mm256_add_epi8(one, one));
    _mm256_store_si256(reinterpret_cast<__m256i*>(to + j),
                       _mm256_add_epi16(_mm256_cvtepu8_epi16(_mm256_castsi256_si128(d)), at));
    at = _mm256_add_epi16(at, sixteen);
    _mm256_store_si256(reinterpret_cast<__m256i*>(to + j + 16),
                       _mm256_add_epi16(_mm256_cvtepu8_epi16(_mm256_extracti128_si256(d, 1)), at));
    at = _mm256_add_epi16(at, sixteen);
  }
  if (j < n) StepEnds(in, j, n, to);
}

const bool kCpuHasAvx2 = [] {
  __builtin_cpu_init();  // may run before the runtime's own constructor
  return __builtin_cpu_supports("avx2") != 0;
}();

// The short spans after long runs stay inline: a call costs more than their
// few ends.
inline void SpanEnds(const uint8_t* in, size_t n, uint16_t* to, bool avx2) {
  if (avx2 && n > 64)
    StepEnds32(in, n, to);
  else
    StepEnds(in, 0, n, to);
}
#else
constexpr bool kCpuHasAvx2 = false;
inline void SpanEnds(const uint8_t* in, size_t n, uint16_t* to, bool) { StepEnds(in, 0, n, to); }
#endif

struct TCursor {
  const uint8_t* In;
  uint8_t* Out;
  bool Stopped;  // at a match the fast loop would not take (a damaged one)
};

// Restores tokens while In is before inSafe and Out before outSafe. base is
// the first byte a match may reach back to: every restored byte from there
// on is in place before Out. kWarm: a window's width is restored already, so
// no offset can reach before base.
template <bool kReport, bool kWarm, class Report>
TCursor FastTokens(const uint8_t* in, const uint8_t* const inSafe, uint8_t* out,
                   uint8_t* const outSafe, const uint8_t* const base, bool avx2,
                   const Report& report) {
  // A step takes at least one byte and restores at most kStepOut, so a span
  // of input no longer than the room left over kStepOut cannot overrun the
  // output: the bounds are tested once a span, not once a step. Every step
  // starting before inSafe has all its bytes in the input.
  constexpr ptrdiff_t kStepOut = kLZMaxLiteralRun + kLZMaxMatch;
  // Ends are worked out for every byte of a span, also those that turn out
  // to be inside runs. After a long run the next span is short, so
  // incompressible input, all longest runs, pays for 16 ends a run.
  constexpr ptrdiff_t kSpan = 1024;  // a multiple of 16; ends fit 16 bits
  alignas(32) uint16_t ends[kSpan];
  ptrdiff_t want = kSpan;
  while (in < inSafe && out < outSafe) {
    const ptrdiff_t span =
        std::min({want, inSafe - in, std::max<ptrdiff_t>((outSafe - out) / kStepOut, 1)});
    SpanEnds(in, static_cast<size_t>(span), ends, avx2);
    want = kSpan;
    ptrdiff_t i = 0;
    do {
      const uint8_t* const at0 = in + i;
      const unsigned b = at0[0];
      const ptrdiff_t next = ends[i];
      const size_t run = PickOdd(b, size_t{0}, size_t{b >> 1});
      // A match's first byte costs a junk copy here, which the match
      // overwrites; that is cheaper than telling the two apart.
      Copy16(out, at0 + 1);
      if (run > 16) [[unlikely]] {
        for (size_t k = 16; k < run; k += 16) Copy16(out + k, at0 + 1 + k);
        if (run > 64) want = 16;
      }
      out += run;
      const uint8_t* const at = in + next - 2;
      const unsigned w = at[0] | unsigned{at[1]} << 8;
      if (!(w & 1)) [[unlikely]] {
        // A run followed by another run (the coder writes that only after a
        // longest run): this step ends after the first.
        i = next - 2;
        if constexpr (kReport) report(at);
        if (run > 64) {
          // Incompressible input is longest runs one after another: they
          // are copied here, without a step end or a span set up for
          // each. i may land past the span, which then ends.
          const uint8_t* p = at;
          while (p < inSafe && out < outSafe && !(p[0] & 1) && p[0] > 2 * 64) {
            const size_t n = p[0] >> 1;
            for (size_t k = 0; k < n; k += 16) Copy16(out + k, p + 1 + k);
            out += n;
            p += 1 + n;
            if constexpr (kReport) report(p);
          }
          i = p - in;
        }
        continue;
      }
      if constexpr (kReport)
        if (!(b & 1)) report(at);
      const size_t off = (w >> 1) & 0x07FF;
      const size_t len = (w >> 12) + kLZMinMatch;
      // One test for the common case: off - len <= 2012 means off >= len
      // and, as len <= 18, off + len <= 2048 (so off is not 0 either). The
      // rest are overlapping copies, the few far ones it leaves, and damage.
      // Before a window's width is restored, off must also stay within what
      // is.
      constexpr size_t kFar = kLZWindowSize - 2 * kLZMaxMatch;
      if (off - len <= kFar && (kWarm || off <= static_cast<size_t>(out - base))) [[likely]] {
        CopyFar(out, out - off);
      } else {
        if (off == 0 || off + len > kLZWindowSize ||
            (!kWarm && off > static_cast<size_t>(out - base))) [[unlikely]]
          return {at, out, true};
        CopyMatch(out, off, len);
      }
      out += len;
      i = next;
      if constexpr (kReport) report(in + i);
    } while (i < span);
    in += i;
  }
  return {in, out, false};
}

class Decoder {
 public:
  Decoder(TStream& src, TStream& dest, const TCoderProgress& progress)
      : FSrc(src), FDest(dest), FProgress(progress) {
    FSrcSize = src.Size();
    int64_t start = src.Position();
    int64_t end = std::max(start, FSrcSize);
    // A progress listener may look at or touch either stream between tokens,
    // so it gets the chunked road, where the streams are only used through
    // their public calls.
    if (!progress) {
      // A source positioned past its end holds no tokens; its buffer ends
      // before that position.
      if (start <= FSrcSize) FMemIn = dynamic_cast<TMemoryStream*>(&src);
      auto* memOut = dynamic_cast<TMemoryStream*>(&dest);
      // Restoring into the middle of a stream must leave the bytes after the
      // restored ones alone, which the junk past each copy would not.
      // A stream restored into itself keeps the chunked road too: growing its
      // buffer would move the tokens being read.
      if (memOut && memOut != FMemIn && memOut->Position() >= memOut->Size()) FMemOut = memOut;
    }
    if (FMemIn) {
      FIn = FMemIn->Memory() + start;
      FInEnd = FMemIn->Memory() + end;
      FInEndPos = end;
    } else {
      FInEndPos = start;
      FInChunk = ChunkFor(end - start);
      FInBuf.assign(static_cast<size_t>(FInChunk + 2 * kLZMaxLiteralRun + 2 * kSafeIn), 0);
      FIn = FInEnd = FInBuf.data();
    }
    FInLast = end;
    if (FMemOut) {
      // Room for about what text and programs restore to; more is added as
      // it fills, in the stream's own growth steps.
      const int64_t room = std::max<int64_t>(4 * (end - start), kMinChunk);
      FBase = FMemOut->ReserveWrite(room + kOutSlack);
      FOutSafe = FBase + room;
    } else {
      // A match token of 2 bytes restores at most 18: 9 times its size.
      int64_t chunk = ChunkFor(9 * (end - start));
      FOutBuf.assign(static_cast<size_t>(kLZWindowSize + chunk + kOutSlack), 0);
      FBase = FOutBuf.data();
      FOutSafe = FBase + kLZWindowSize + chunk;
    }
    FFlushFrom = FBase;
  }

  template <bool kReport>
  void Run();

 private:
  int64_t PositionOf(const uint8_t* in) const { return FInEndPos - (FInEnd - in); }
  const uint8_t* Refill(const uint8_t* in);
  uint8_t* MakeRoom(uint8_t* out);
  void Finish(uint8_t* out);

  TStream& FSrc;
  TStream& FDest;
  const TCoderProgress& FProgress;
  const bool FAvx2 = kCpuHasAvx2 && !tPortable;  // chosen once a decoder
  int64_t FSrcSize = 0;
  int64_t FInLast = 0;    // source position where the tokens end
  int64_t FInEndPos = 0;  // source position of FInEnd
  int64_t FInChunk = kChunk;
  TMemoryStream* FMemIn = nullptr;
  TMemoryStream* FMemOut = nullptr;
  std::vector<uint8_t> FInBuf;
  const uint8_t* FIn = nullptr;  // the unread input is [FIn, FInEnd) at the start
  const uint8_t* FInEnd = nullptr;
  std::vector<uint8_t> FOutBuf;
  uint8_t* FBase = nullptr;       // the first byte a match may reach
  uint8_t* FFlushFrom = nullptr;  // the first restored byte not yet in the destination
  uint8_t* FOutSafe = nullptr;
};

const uint8_t* Decoder::Refill(const uint8_t* in) {
  size_t left = static_cast<size_t>(FInEnd - in);
  std::memmove(FInBuf.data(), in, left);
  auto n = static_cast<int32_t>(std::min<int64_t>(FInChunk, FInLast - FInEndPos));
  FSrc.ReadBuffer(FInBuf.data() + left, n);
  FInEndPos += n;
  FInEnd = FInBuf.data() + left + n;
  return FInBuf.data();
}

uint8_t* Decoder::MakeRoom(uint8_t* out) {
  if (FMemOut) {
    FMemOut->CommitWrite(out - FFlushFrom);
    int64_t restored = out - FBase;
    int64_t room = std::max<int64_t>(4 * (FInLast - PositionOf(FIn)), kChunk);
    uint8_t* at = FMemOut->ReserveWrite(room + kOutSlack);
    FBase = at - restored;
    FFlushFrom = at;
    FOutSafe = at + room;
    return at;
  }
  FDest.WriteBuffer(FFlushFrom, static_cast<int32_t>(out - FFlushFrom));
  // Keep the window's width of history for the matches to come.
  size_t keep = std::min<size_t>(static_cast<size_t>(out - FBase), kLZWindowSize);
  std::memmove(FBase, out - keep, keep);
  FFlushFrom = FBase + keep;
  return FFlushFrom;
}

void Decoder::Finish(uint8_t* out) {
  if (FMemOut)
    FMemOut->CommitWrite(out - FFlushFrom);
  else if (out > FFlushFrom)
    FDest.WriteBuffer(FFlushFrom, static_cast<int32_t>(out - FFlushFrom));
  FFlushFrom = out;
  // The memory source was read without its position moving; it ends where
  // a chunked read of the whole would leave it.
  if (FMemIn) FMemIn->SetPosition(FInLast);
}

template <bool kReport>
void Decoder::Run() {
  const uint8_t* in = FIn;
  uint8_t* out = FFlushFrom;
  auto report = [this](const uint8_t* at) { FProgress(PositionOf(at), FSrcSize); };
  for (;;) {
    if (!FMemIn && FInEnd - in < 2 * kSafeIn && FInEndPos < FInLast) FIn = in = Refill(in);
    if (in == FInEnd) break;
    if (out >= FOutSafe) {
      FIn = in;
      out = MakeRoom(out);
    }
    if (FInEnd - in > kSafeIn) {
      TCursor c =
          out - FBase >= kLZWindowSize
              ? FastTokens<kReport, true>(in, FInEnd - kSafeIn, out, FOutSafe, FBase, FAvx2,
                                          report)
              : FastTokens<kReport, false>(in, FInEnd - kSafeIn, out,
                                           std::min(FOutSafe, FBase + kLZWindowSize), FBase,
                                           FAvx2, report);
      in = c.In;
      out = c.Out;
      if (!c.Stopped) continue;
    }
    // One token with exact bounds: near the end of the input, or a match
    // the fast loop refused, which raises here.
    ptrdiff_t avail = FInEnd - in;
    unsigned b = in[0];
    if (b & 1) {
      if (avail < 2) {
        Finish(out);
        RaiseTruncatedToken(PositionOf(in));
      }
      unsigned w = b | unsigned{in[1]} << 8;
      size_t off = (w >> 1) & 0x07FF;
      size_t len = (w >> 12) + kLZMinMatch;
      if (off == 0 || off > static_cast<size_t>(out - FBase) || off + len > kLZWindowSize) {
        Finish(out);
        RaiseBadMatch(static_cast<int64_t>(off), static_cast<int64_t>(len), PositionOf(in));
      }
      CopyMatch(out, off, len);
      out += len;
      in += 2;
    } else {
      size_t n = b >> 1;
      if (static_cast<size_t>(avail - 1) < n) {
        Finish(out);
        RaiseTruncatedToken(PositionOf(in));
      }
      std::memcpy(out, in + 1, n);
      out += n;
      in += 1 + n;
    }
    if constexpr (kReport) report(in);
  }
  Finish(out);
}

}  // namespace

void LZDecodePortably(bool On) {
  tPortable = On;
}

void LZDecode(TStream& Src, TStream& Dest, const TCoderProgress& Progress) {
  Decoder d(Src, Dest, Progress);
  if (Progress)
    d.Run<true>();
  else
    d.Run<false>();
}

}  // namespace dz::detail
