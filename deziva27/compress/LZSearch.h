// The match search of the LZY coder, shared by the sequential coder and the
// block coders of the parallel one: the per-byte candidate rings and the
// search over them. The match found at a position depends only on the data
// around it, never on how the bytes before it were coded.
#pragma once

#include <climits>
#include <cstdint>
#include <cstring>

#include "deziva27/compress/LZCoder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dz::detail {

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

inline uint16_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

// Common prefix of a and b, at most cap (<= 18). Both may read 24 bytes.
inline int MatchLength(const uint8_t* a, const uint8_t* b, int cap) {
  int len;
  if (uint64_t x = Load64(a) ^ Load64(b)) {
    len = __builtin_ctzll(x) >> 3;
  } else if (uint64_t y = Load64(a + 8) ^ Load64(b + 8)) {
    len = 8 + (__builtin_ctzll(y) >> 3);
  } else {
    len = 16 + (__builtin_ctzll((Load64(a + 16) ^ Load64(b + 16)) | (uint64_t{1} << 16)) >> 3);
  }
  return len < cap ? len : cap;
}

// The per-byte candidate rings. A slot keeps the position and the two bytes
// that follow it, so that a few vector compares rule out every candidate that
// cannot reach 3 bytes, without touching the data. Most searches end there.
// Positions that left the window need no purging: they are older than every
// live one in a ring, so the newest-first search meets them last and stops
// there, as the plain search does after dropping them. Slots never written
// hold a position far before any window and end the search the same way.
//
// Positions are kept in 32 bits, relative to Base, so that a ring row takes
// half the cache lines; Rebase moves Base forward before they could overflow.
struct Dictionary {
  static constexpr int kSlots = kLZPositionsPerByte;  // 40, five vectors of 8
  static constexpr int32_t kNever = INT32_MIN;
  // Rebase is due once a position lies this far past Base.
  static constexpr int64_t kRebaseAt = int64_t{1} << 30;
  alignas(16) uint16_t Next[256][kSlots];  // the two bytes after the position
  int32_t Pos[256][kSlots];                // position - Base
  uint8_t Head[256];  // the slot the next position goes to
  int64_t Base = 0;

  Dictionary() {
    std::memset(Next, 0, sizeof Next);
    std::memset(Head, 0, sizeof Head);
    for (auto& row : Pos)
      for (int32_t& p : row) p = kNever;
  }

  void Add(const uint8_t* p, int64_t pos) {
    uint8_t b = p[0];
    int h = Head[b];
    Pos[b][h] = static_cast<int32_t>(pos - Base);
    Next[b][h] = Load16(p + 1);
    Head[b] = static_cast<uint8_t>(h + 1 == kSlots ? 0 : h + 1);
  }

  // Moves Base close below cur when due. Positions far out of the window
  // become kNever; the newest-first order of every ring is kept.
  void Rebase(int64_t cur) {
    if (cur - Base < kRebaseAt) return;
    const int64_t delta = cur - Base - 2 * kLZWindowSize;
    for (auto& row : Pos)
      for (int32_t& p : row) {
        int64_t q = int64_t{p} - delta;
        p = q < -kRebaseAt ? kNever : static_cast<int32_t>(q);
      }
    Base += delta;
  }

  // Bit s of the result is set when slot s of list b is followed by the two
  // bytes next (a match of at least 3 bytes).
  uint64_t Reach3(uint8_t b, uint16_t next) const {
    const uint16_t* row = Next[b];
#if defined(__SSE2__)
    __m128i t = _mm_set1_epi16(static_cast<short>(next));
    auto eq = [&](int k) {
      return _mm_cmpeq_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(row + 8 * k)), t);
    };
    auto m0 = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(eq(0), eq(1))));
    auto m1 = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(eq(2), eq(3))));
    auto m2 = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(eq(4), eq(4))));
    return uint64_t{m0} | uint64_t{m1} << 16 | uint64_t{m2 & 0xFF} << 32;
#else
    uint64_t m = 0;
    for (int i = 0; i < kSlots; ++i) m |= uint64_t{row[i] == next} << i;
    return m;
#endif
  }
};

// The longest usable match at position cur (at most cap bytes, candidates not
// before windowStart), with its distance in off; 0 when there is none. Byte q
// of the data is at buf[q - origin]. Inlined into the coding loops: a call per
// token costs more than the search itself when there is no candidate.
__attribute__((always_inline)) inline int FindMatch(const Dictionary& dict, const uint8_t* buf,
                                                    int64_t origin, int64_t cur, int cap,
                                                    int64_t windowStart, int& off) {
  const uint8_t* p = buf + (cur - origin);
  uint8_t b = p[0];
  uint64_t reach3 = dict.Reach3(b, Load16(p + 1));
  if (!reach3) return 0;
  const int h = dict.Head[b];
  const int32_t* pos = dict.Pos[b];
  const int64_t oldest = windowStart - dict.Base;  // above kNever: see Rebase
  // Rotate the ring so that bit 39 is the newest slot (h - 1) and bit 0 the
  // oldest (h): one scan from the top then visits newest first, with no
  // second pass over the wrapped part.
  const uint64_t below = (uint64_t{1} << h) - 1;
  uint64_t order = (reach3 >> h) | ((reach3 & below) << (Dictionary::kSlots - h));
  int best = 0;
  while (order) {
    int i = 63 - __builtin_clzll(order);
    order ^= uint64_t{1} << i;
    int s = i + h;
    s -= s >= Dictionary::kSlots ? Dictionary::kSlots : 0;
    int64_t cand = pos[s];
    if (cand < oldest) return best;
    cand += dict.Base;
    int len = MatchLength(buf + (cand - origin), p, cap);
    if (len > best) {
      best = len;
      off = static_cast<int>(cur - cand);
      // Nothing longer can follow a match of cap bytes.
      if (best > kLZGoodMatch || best == cap) return best;
    }
  }
  return best;
}

// The two tokens, written at o; each returns the bytes it wrote. A literal
// run is its length times two, then the bytes; a match is two bytes, low
// first: 1 + offset * 2 + (length - 3) * 4096.
inline size_t PutLiterals(uint8_t* o, const uint8_t* from, int count) {
  o[0] = static_cast<uint8_t>(count * 2);
  std::memcpy(o + 1, from, static_cast<size_t>(count));
  return 1 + static_cast<size_t>(count);
}

inline size_t PutMatch(uint8_t* o, int off, int len) {
  auto w = static_cast<uint32_t>(off * 2 + 1 + (len - kLZMinMatch) * 4096);
  o[0] = static_cast<uint8_t>(w);
  o[1] = static_cast<uint8_t>(w >> 8);
  return 2;
}

}  // namespace dz::detail
