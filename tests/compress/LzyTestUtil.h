// Helpers shared by the compress tests.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "deziva27/compress/YCompress.h"
#include "deziva27/host/classes/Streams.h"

namespace dz::test {

inline std::string Bytes(const TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()),
                     static_cast<size_t>(const_cast<TMemoryStream&>(s).Size()));
}

inline void Fill(TMemoryStream& s, const std::string& data) {
  s.Clear();
  s.Write(data.data(), static_cast<int32_t>(data.size()));
  s.SetPosition(0);
}

// The header LZYCompressStream writes.
inline const std::string kHeader("LZY00\0\0\0\0", 9);

using Routine = void (*)(TStream*, TStream*, const TProgressEvent&);

// What a public routine writes for a stream of bytes: Packed gives the whole
// stream LZYCompressStream writes, Unpacked what LZYDecompressStream restores.
inline std::string Coded(Routine fn, const std::string& in) {
  TMemoryStream src, dst;
  Fill(src, in);
  fn(&src, &dst, {});
  return Bytes(dst);
}
inline std::string Packed(const std::string& data) { return Coded(&LZYCompressStream, data); }
inline std::string Unpacked(const std::string& s) { return Coded(&LZYDecompressStream, s); }

// A memory stream the coders cannot see through (they only have the public
// calls), which stops reading and writing once a limit of bytes went through.
class TOpaqueStream : public TStream {
 public:
  explicit TOpaqueStream(TMemoryStream& m, int64_t limit = INT64_MAX) : FMem(m), FLeft(limit) {}
  int32_t Read(void* buf, int32_t n) override { return Pass(n) ? FMem.Read(buf, n) : 0; }
  int32_t Write(const void* buf, int32_t n) override { return Pass(n) ? FMem.Write(buf, n) : 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override { return FMem.Seek(offset, origin); }
  void SetSize(int64_t size) override { FMem.SetSize(size); }

 private:
  bool Pass(int32_t count) {
    if (count > FLeft) return false;
    FLeft -= count;
    return true;
  }
  TMemoryStream& FMem;
  int64_t FLeft;
};

// "06 61 62" for the bytes 6, 'a', 'b'.
inline std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) out += {' ', digits[c >> 4], digits[c & 15]};
  return out.substr(out.empty() ? 0 : 1);
}

inline std::string Unhex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i < hex.size(); i += 3)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

// Data of a given character, deterministic per seed:
//   random  - every byte value equally likely (incompressible)
//   small   - few distinct values, so lists fill up and many candidates tie
//   words   - text-like runs of words from a small vocabulary
//   runs    - long runs of one byte mixed with short noise
inline std::string MakeData(const std::string& kind, size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s;
  s.reserve(n + 32);
  if (kind == "random") {
    while (s.size() < n) s += static_cast<char>(rng() & 0xFF);
  } else if (kind == "small") {
    while (s.size() < n) s += static_cast<char>('a' + rng() % 4);
  } else if (kind == "words") {
    static const char* words[] = {"the ",      "quick ",  "brown ", "fox ",    "jumps ", "over ",
                                  "lazy ",     "dog ",    "and ",   "then ",   "some ",  "more\n",
                                  "compress ", "window ", "match ", "literal "};
    while (s.size() < n) s += words[rng() % 16];
  } else {  // runs
    while (s.size() < n) {
      if (rng() % 3 == 0)
        s.append(rng() % 300, static_cast<char>(rng() & 0xFF));
      else
        for (int i = rng() % 20; i > 0; --i) s += static_cast<char>(rng() & 0xFF);
    }
  }
  s.resize(n);
  return s;
}

}  // namespace dz::test
