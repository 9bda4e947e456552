// The match search of the LZY coder, shared by the sequential coder and the
// block coders of the parallel one: the candidate chains, the search over
// them, and the step of the parse that both take, so that the two cannot
// disagree. The match found at a position depends only on the data around
// it, never on how the bytes before it were coded.
// Threads: an object is used by one thread at a time; distinct objects are independent.
#pragma once

#include <climits>
#include <cstdint>
#include <cstring>

#include "deziva27/compress/detail/LZCoder.h"

namespace dz::detail {

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
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

// The match search's memory. The candidates at a position are the last 40
// earlier positions that start with the same byte (kLZPositionsPerByte), in
// the window; the longest match among them wins, the newest on ties, and a
// match over 8 bytes ends the search. Only candidates that share the next
// two bytes as well can reach 3, so the positions are chained by their first
// three bytes: a search walks just those, newest first, and learns from a
// per-byte count whether a candidate is still among the last 40 of its byte.
// A walk stops at the first position before the window: everything after it
// in the chain is older still. Chains cross between the keys that share a
// hash; the match length rules those out.
//
// Positions are kept in 32 bits, relative to Base, and Rebase moves Base
// forward before they could overflow. Links and ranks are indexed by the
// position modulo 4096: a walk only follows positions inside the 2048-byte
// window, whose entries no later position has overwritten.
struct Dictionary {
  static constexpr int kHashBits = 14;
  static constexpr int kLinkMask = 4095;
  static constexpr int32_t kNever = INT32_MIN;
  // Rebase is due once a position lies this far past Base.
  static constexpr int64_t kRebaseAt = int64_t{1} << 30;
  int32_t Head[1 << kHashBits];  // newest position of each chain - Base
  int32_t Prev[kLinkMask + 1];   // the position before it in its chain - Base
  uint16_t Rank[kLinkMask + 1];  // its place among the positions of its byte
  uint16_t Count[256];           // positions seen of each byte, modulo 2^16
  int64_t Base = 0;

  Dictionary() {
    for (int32_t& h : Head) h = kNever;
    std::memset(Prev, 0, sizeof Prev);
    std::memset(Rank, 0, sizeof Rank);
    std::memset(Count, 0, sizeof Count);
  }

  static uint32_t Hash(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return ((v & 0xFFFFFF) * 2654435761u) >> (32 - kHashBits);
  }

  // Adds position pos, whose bytes are at p; h is Hash(p).
  void Add(const uint8_t* p, int64_t pos, uint32_t h) {
    auto i = static_cast<int>(pos & kLinkMask);
    Prev[i] = Head[h];
    Head[h] = static_cast<int32_t>(pos - Base);
    Rank[i] = ++Count[p[0]];
  }
  void Add(const uint8_t* p, int64_t pos) { Add(p, pos, Hash(p)); }

  // Moves Base close below cur when due. Positions far out of the window
  // become kNever; the order of every chain is kept.
  void Rebase(int64_t cur) {
    if (cur - Base < kRebaseAt) return;
    // A whole number of link rows: a position's link index is then the same
    // relative as absolute, one step less on the walk's critical path.
    const int64_t delta = (cur - Base - 2 * kLZWindowSize) & ~int64_t{kLinkMask};
    auto move = [delta](int32_t& p) {
      int64_t q = int64_t{p} - delta;
      p = q < -kRebaseAt ? kNever : static_cast<int32_t>(q);
    };
    for (int32_t& p : Head) move(p);
    for (int32_t& p : Prev) move(p);
    Base += delta;
  }
};

// The longest usable match at position cur (at most cap bytes, candidates not
// before windowStart), with its distance in off; 0 when there is none. Byte q
// of the data is at buf[q - origin]; h is the hash of the bytes at cur. Inlined into the coding
// loops: a call per token costs more than the search itself when there is no candidate.
__attribute__((always_inline)) inline int FindMatch(const Dictionary& dict, const uint8_t* buf,
                                                    int64_t origin, int64_t cur, int cap,
                                                    int64_t windowStart, uint32_t h, int& off) {
  const uint8_t* p = buf + (cur - origin);
  const uint16_t rank = dict.Count[p[0]];
  const int64_t oldest = windowStart - dict.Base;  // above kNever: see Rebase
  int64_t c = dict.Head[h];
  int best = 0;
  while (c >= oldest) {
    const int64_t cand = c + dict.Base;
    const int len = MatchLength(buf + (cand - origin), p, cap);
    const auto i = static_cast<int>(c & Dictionary::kLinkMask);
    if (len >= kLZMinMatch) {
      // Candidates further down are older among the same byte's positions.
      if (static_cast<uint16_t>(rank - dict.Rank[i]) >= kLZPositionsPerByte) return best;
      if (len > best) {
        best = len;
        off = static_cast<int>(cur - cand);
        // Nothing longer can follow a match of cap bytes.
        if (best > kLZGoodMatch || best == cap) return best;
      }
    }
    c = dict.Prev[i];
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

// How far the plain coder has read when it stands at cur: 127 bytes ahead, or
// to the end. Its window, and so the oldest candidate, is counted from there.
inline int64_t ReadTo(int64_t cur, int64_t total) {
  return total - cur > kLZMaxLiteralRun ? cur + kLZMaxLiteralRun : total;
}

// One step of the parse at cur, the same in every coder: the match found
// there, or one more literal in the open run (a full run of 127 is written
// first). Tokens go to o at outLen; byte q of the data is at buf[q - origin].
// Returns the next position. Inlined so that the caller's state stays in
// registers although the tokens are stored through a byte pointer.
__attribute__((always_inline)) inline int64_t ParseStep(Dictionary& dict, const uint8_t* buf,
                                                        int64_t origin, int64_t cur, int64_t total,
                                                        uint8_t* o, size_t& outLen,
                                                        int64_t& litStart, int& litCount) {
  const int64_t remaining = total - cur;
  const int64_t readTo = ReadTo(cur, total);
  const uint8_t* p = buf + (cur - origin);
  const uint32_t h = Dictionary::Hash(p);
  int off = 0, len = 0;
  if (remaining >= kLZMinMatch)
    len = FindMatch(dict, buf, origin, cur,
                    remaining < kLZMaxMatch ? static_cast<int>(remaining) : kLZMaxMatch,
                    readTo - kLZWindowSize, h, off);
  if (len >= kLZMinMatch) {
    if (litCount > 0) {
      outLen += PutLiterals(o + outLen, buf + (litStart - origin), litCount);
      litCount = 0;
    }
    outLen += PutMatch(o + outLen, off, len);
    dict.Rebase(cur);
    dict.Add(p, cur, h);
    for (int i = 1; i < len; ++i) dict.Add(p + i, cur + i);
    cur += len;
  } else {
    if (litCount == kLZMaxLiteralRun) {
      outLen += PutLiterals(o + outLen, buf + (litStart - origin), litCount);
      litCount = 0;
      // Any stretch of 2^30 bytes holds a match or a full run.
      dict.Rebase(cur);
    }
    if (litCount == 0) litStart = cur;
    ++litCount;
    dict.Add(p, cur, h);
    ++cur;
  }
  return cur;
}

}  // namespace dz::detail
