// The code-page stand-ins. Table pages decode through a byte table and one
// row per lead byte; their encoder is a 64K reverse table built on a page's
// first use from the decode rows (the lowest input that decodes to a
// character alone wins) and the runs of encodings Windows chooses otherwise
// (its best fit). UTF-7 and UTF-8 are computed.
//
// Each conversion is one loop that counts when it has nowhere to write, so
// the size a query answers is the size the conversion then writes; the few
// sizes counted a faster way are held to the same by the tests and the fuzzer.
#include "deziva27/platform/detail/CodePages.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "deziva27/platform/detail/Nls.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define DZ_UTF8_SIMD 1
#endif

namespace dz::win {
namespace {

struct TableRow {
  uint8_t Lead, First, Last;
  const char16_t* Units;
};
struct TablePage {
  uint16_t CodePage;
  uint8_t MaxCharSize;
  uint16_t DefaultChar;  // its bytes: lead << 8 | trail for a double-byte one
  char16_t UnicodeDefault;
  const char16_t* Bytes;
  const TableRow* Rows;
  uint16_t RowCount;
  const uint16_t* Invalid;  // first/last pairs of inputs MB_ERR_INVALID_CHARS refuses
  uint16_t InvalidCount;
  const uint16_t* Fits;  // first/last/bytes/step runs
  uint16_t FitCount;
};

#include "deziva27/platform/detail/CodePageTables.inc"

constexpr uint16_t kNone = 0xFFFF;

thread_local uint32_t tLastError = 0;

// A table page ready for use: lead bytes and rows by byte, the encoder.
struct Page {
  const TablePage* T = nullptr;
  bool Lead[256] = {};
  const TableRow* Row[256] = {};
  std::unique_ptr<char16_t[]> Pairs;   // double-byte pages: lead << 8 | trail -> unit
  std::unique_ptr<uint16_t[]> Encode;  // kNone: the default character
  std::unique_ptr<uint64_t[]> TwoBytes;  // double-byte pages: characters encoded in two
  // Double-byte pages on a little-endian machine: the bytes of each
  // character as they are stored, the page's default character in place of
  // none, so that the common call costs one look-up a character.
  std::unique_ptr<uint16_t[]> Ready;

  char16_t Pair(uint8_t lead, uint8_t trail) const {
    const TableRow* r = Row[lead];
    const unsigned k = static_cast<unsigned>(trail) - r->First;
    return k <= static_cast<unsigned>(r->Last - r->First) && r->Last >= r->First
               ? r->Units[k]
               : T->UnicodeDefault;
  }
  bool Refused(uint16_t code) const {
    const uint16_t* inv = T->Invalid;
    size_t lo = 0, hi = T->InvalidCount;
    while (lo < hi) {  // the last range starting at or before code
      size_t mid = (lo + hi) / 2;
      if (inv[2 * mid] <= code) lo = mid + 1;
      else hi = mid;
    }
    return lo > 0 && code <= inv[2 * (lo - 1) + 1];
  }
  // What an encoding decodes back to, for WC_NO_BEST_FIT_CHARS.
  char16_t Back(uint16_t bytes) const {
    return bytes < 0x100 ? T->Bytes[bytes] : Pair(static_cast<uint8_t>(bytes >> 8),
                                                  static_cast<uint8_t>(bytes));
  }
};

const TablePage* FindTable(uint32_t cp) {
  const auto* end = std::end(kTablePages);
  const auto* it = std::lower_bound(std::begin(kTablePages), end, cp,
                                    [](const TablePage& p, uint32_t c) { return p.CodePage < c; });
  return it != end && it->CodePage == cp ? it : nullptr;
}

// Built on first use, once, whichever thread asks first.
const Page* PageOf(uint32_t cp) {
  constexpr size_t kCount = std::size(kTablePages);
  static std::array<Page, kCount> pages;
  static std::array<std::once_flag, kCount> once;
  const TablePage* t = FindTable(cp);
  if (!t) return nullptr;
  const size_t i = static_cast<size_t>(t - kTablePages);
  std::call_once(once[i], [t, &p = pages[i]] {
    p.T = t;
    for (size_t r = 0; r < t->RowCount; ++r) {
      p.Lead[t->Rows[r].Lead] = true;
      p.Row[t->Rows[r].Lead] = &t->Rows[r];
    }
    if (t->MaxCharSize == 2) {
      p.Pairs.reset(new char16_t[0x10000]);
      for (unsigned code = 0; code < 0x10000; ++code)
        p.Pairs[code] = p.Lead[code >> 8]
                            ? p.Pair(static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code))
                            : t->UnicodeDefault;
    }
    p.Encode.reset(new uint16_t[0x10000]);
    std::fill_n(p.Encode.get(), 0x10000, kNone);
    auto imply = [&p](uint16_t code, char16_t u) {
      if (p.Encode[u] == kNone && !p.Refused(code)) p.Encode[u] = code;
    };
    for (unsigned b = 0; b < 256; ++b)
      if (!p.Lead[b]) imply(static_cast<uint16_t>(b), t->Bytes[b]);
    for (size_t r = 0; r < t->RowCount; ++r) {
      const TableRow& row = t->Rows[r];
      for (unsigned tr = row.First; tr <= row.Last && row.First <= row.Last; ++tr)
        imply(static_cast<uint16_t>(row.Lead << 8 | tr), row.Units[tr - row.First]);
    }
    for (size_t k = 0; k < t->FitCount; ++k) {
      const uint16_t* f = t->Fits + 4 * k;
      for (unsigned u = f[0]; u <= f[1]; ++u)
        p.Encode[u] = f[2] == kNone ? kNone : static_cast<uint16_t>(f[2] + f[3] * (u - f[0]));
    }
    if (t->MaxCharSize == 2) {
      p.TwoBytes.reset(new uint64_t[0x10000 / 64]());
      for (unsigned u = 0; u < 0x10000; ++u)
        if (p.Encode[u] != kNone && p.Encode[u] > 0xFF)
          p.TwoBytes[u / 64] |= uint64_t{1} << (u % 64);
      if (std::endian::native == std::endian::little && t->DefaultChar <= 0xFF) {
        p.Ready.reset(new uint16_t[0x10000]);
        for (unsigned u = 0; u < 0x10000; ++u) {
          const uint16_t b = p.Encode[u] == kNone ? t->DefaultChar : p.Encode[u];
          if (b > 0xFF && (b & 0xFF) == 0) {  // its length would not show: the long way
            p.Ready.reset();
            break;
          }
          p.Ready[u] = b > 0xFF ? static_cast<uint16_t>(b >> 8 | (b & 0xFF) << 8) : b;
        }
      }
    }
  });
  return &pages[i];
}

uint32_t MacCodePage() {
  switch (GetACP()) {
    case 932: return 10001;
    case 950: return 10002;
    case 949: return 10003;
    case 1256: return 10004;
    case 1255: return 10005;
    case 1253: return 10006;
    case 1251: return 10007;
    case 936: return 10008;
    case 874: return 10021;
    case 1250: return 10029;
    case 1254: return 10081;
    default: return 10000;
  }
}

uint32_t Resolve(uint32_t cp) {
  switch (cp) {
    case CP_ACP:
    case CP_THREAD_ACP: return GetACP();
    case CP_OEMCP: return GetOEMCP();
    case CP_MACCP: return MacCodePage();
    default: return cp;
  }
}

int Fail(uint32_t error) {
  tLastError = error;
  return 0;
}

// Where a conversion writes: nowhere when it only counts; with a check of
// the room left; or without, when the room is known to suffice.
enum class Sink { Count, Checked, Unchecked };

template <class T, Sink M>
struct Out {
  static constexpr bool Counting = M == Sink::Count;
  static constexpr bool Checked = M == Sink::Checked;
  T* At;
  size_t Room;
  size_t Count = 0;
  bool Put(T v) {
    if constexpr (M == Sink::Count) {
      ++Count;
    } else {
      if constexpr (M == Sink::Checked)
        if (Count == Room) return false;
      At[Count++] = v;
    }
    return true;
  }
  // Room for k more, or counting.
  bool Has(size_t k) const { return M != Sink::Checked || Room - Count >= k; }
};

enum Result { kDone, kFull, kInvalid };

// Runs a conversion with the sink its destination allows: worst is the most
// it can write.
template <class T, class F>
Result Convert(T* at, size_t room, size_t worst, size_t& count, F&& convert) {
  if (!at) {
    Out<T, Sink::Count> out{nullptr, 0};
    const Result r = convert(out);
    count = out.Count;
    return r;
  }
  if (room >= worst) {
    Out<T, Sink::Unchecked> out{at, room};
    const Result r = convert(out);
    count = out.Count;
    return r;
  }
  Out<T, Sink::Checked> out{at, room};
  const Result r = convert(out);
  count = out.Count;
  return r;
}

// --- sizes without converting -------------------------------------------------

// The bytes a double-byte page writes for w with a one-byte default and best
// fit: a look-up and a comparison a character, nothing stored.
size_t CountTable(const Page& p, const char16_t* w, size_t n) {
  size_t count = n;
  if (const uint16_t* ready = p.Ready.get()) {
    for (size_t i = 0; i < n; ++i) count += ready[w[i]] > 0xFF;
    return count;
  }
  const uint64_t* two = p.TwoBytes.get();
  for (size_t i = 0; i < n; ++i) count += (two[w[i] >> 6] >> (w[i] & 63)) & 1;
  return count;
}

// The bytes UTF-8 needs for w, lone surrogates written as U+FFFD: a high
// surrogate before a low one makes four bytes of the six the two would.
size_t CountUtf8(const char16_t* w, size_t n) {
  // In 16-bit lanes, a block at a time, so that the compiler can vectorize.
  size_t count = n;
  for (size_t at = 0; at + 1 < n;) {
    const size_t end = std::min(n - 1, at + 8192);
    uint16_t extra = 0;  // at most 2 a unit: no overflow in a block
    for (size_t i = at; i < end; ++i) {
      const uint16_t c = w[i], next = w[i + 1];
      extra = static_cast<uint16_t>(extra + (c >= 0x80) + (c >= 0x800) -
                                    2 * (((c & 0xFC00) == 0xD800) & ((next & 0xFC00) == 0xDC00)));
    }
    count += extra;
    at = end;
  }
  if (n > 0) count += (w[n - 1] >= 0x80) + (w[n - 1] >= 0x800);
  return count;
}

// --- table pages --------------------------------------------------------------

template <class O>
Result DecodeTable(const Page& p, bool strict, const uint8_t* s, size_t n, O& out) {
  const char16_t* bytes = p.T->Bytes;
  if (p.T->MaxCharSize == 1) {
    if (strict && p.T->InvalidCount)
      for (size_t i = 0; i < n; ++i)
        if (p.Refused(s[i])) return kInvalid;
    if constexpr (O::Checked)
      if (out.Room < n) return kFull;
    if constexpr (!O::Counting)
      for (size_t i = 0; i < n; ++i) out.At[i] = bytes[s[i]];
    out.Count = n;
    return kDone;
  }
  const char16_t* pairs = p.Pairs.get();
  for (size_t i = 0; i < n;) {
    const uint8_t b = s[i];
    char16_t u;
    if (!p.Lead[b]) {
      // A NUL after a lead byte is no trail: the lead alone is the default.
      if (strict && p.Refused(b)) return kInvalid;
      u = bytes[b];
      ++i;
    } else if (i + 1 < n && s[i + 1] != 0) {
      const uint16_t code = static_cast<uint16_t>(b << 8 | s[i + 1]);
      if (strict && p.Refused(code)) return kInvalid;
      u = pairs[code];
      i += 2;
    } else {
      if (strict) return kInvalid;  // a lead byte cut off, or before a NUL
      u = bytes[b];
      ++i;
    }
    if (!out.Put(u)) return kFull;
  }
  return kDone;
}

template <class O>
Result EncodeTable(const Page& p, bool noBestFit, const char16_t* w, size_t n, uint16_t def,
                   bool wantUsed, bool& usedDefault, O& out) {
  const uint16_t* enc = p.Encode.get();
  bool used = false;
  auto code = [&](char16_t c) {
    uint16_t b = enc[c];
    if (noBestFit && b != kNone && p.Back(b) != c) b = kNone;
    if (b == kNone) {
      b = def;
      used = true;
    }
    return b;
  };
  if (p.T->MaxCharSize == 1) {
    if constexpr (O::Counting) {
      if (!wantUsed) return out.Count = n, kDone;
    }
    if constexpr (O::Checked)
      if (out.Room < n) return kFull;
    char* d = out.At;  // a local: stores through a char pointer would reload a member
    for (size_t i = 0; i < n; ++i) {
      const uint16_t b = code(w[i]);
      if constexpr (!O::Counting) d[i] = static_cast<char>(b);
    }
    usedDefault |= used;
    out.Count = n;
    return kDone;
  }
  size_t i = 0;
  if constexpr (!O::Counting) {
    // Both bytes stored whatever the length, so that mixed text does not
    // stall on a branch; a one-byte character's second store is overwritten.
    // The last character goes the long way, so that nothing is stored past
    // the end of what the call writes.
    char* d = out.At + out.Count;
    char* const stop = out.Room >= 2 ? out.At + out.Room - 1 : out.At;
    if (const uint16_t* ready = p.Ready.get();
        ready && !noBestFit && !wantUsed && def == p.T->DefaultChar) {
      for (; i + 1 < n && d < stop; ++i) {
        const uint16_t b = ready[w[i]];
        std::memcpy(d, &b, 2);
        d += 1 + (b > 0xFF);
      }
    }
    for (; i + 1 < n && d < stop; ++i) {
      const uint32_t b = code(w[i]);
      const uint32_t two = (b + 0xFF00) >> 16;  // 1 for a lead byte, without a branch
      d[0] = static_cast<char>(b >> (two << 3));
      d[1] = static_cast<char>(b);
      d += 1 + two;
    }
    out.Count = static_cast<size_t>(d - out.At);
  }
  for (; i < n; ++i) {
    const uint16_t b = code(w[i]);
    if (b > 0xFF && !out.Put(static_cast<char>(b >> 8))) return kFull;
    if (!out.Put(static_cast<char>(b))) return kFull;
  }
  usedDefault |= used;
  return kDone;
}

// --- UTF-8 ---------------------------------------------------------------------

bool Continuation(uint8_t b) {
  return (b & 0xC0) == 0x80;
}

// A broken sequence gives one U+FFFD for its lead byte and the continuation
// bytes taken with it; the second byte is taken even when it makes the
// sequence overlong, a surrogate or too large, as Windows takes it.
template <class O>
Result DecodeUtf8(bool strict, const uint8_t* s, size_t n, O& out) {
  size_t i = 0;
  while (i < n) {
    // Runs of ASCII, eight bytes at a time.
    while (i + 8 <= n && out.Has(8)) {
      uint64_t word;
      std::memcpy(&word, s + i, 8);
      if (word & 0x8080808080808080ull) break;
      if constexpr (!O::Counting)
        for (int k = 0; k < 8; ++k) out.At[out.Count + k] = s[i + k];
      out.Count += 8;
      i += 8;
    }
    if (i >= n) break;
    const uint8_t b = s[i];
    if (b < 0x80) {
      if (!out.Put(b)) return kFull;
      ++i;
      continue;
    }
    if (b >= 0xC2 && b <= 0xDF && i + 1 < n && Continuation(s[i + 1])) {
      if (!out.Put(static_cast<char16_t>((b & 0x1F) << 6 | (s[i + 1] & 0x3F)))) return kFull;
      i += 2;
      continue;
    }
    const int need = b >= 0xC2 && b <= 0xDF   ? 1
                     : b >= 0xE0 && b <= 0xEF ? 2
                     : b >= 0xF0 && b <= 0xF4 ? 3
                                              : 0;
    uint32_t cp = b & (need == 1 ? 0x1F : need == 2 ? 0x0F : 0x07);
    size_t k = 1;
    bool ok = need > 0;
    for (; ok && k <= static_cast<size_t>(need); ++k) {
      if (i + k >= n || !Continuation(s[i + k])) {
        ok = false;
        break;
      }
      const uint8_t c = s[i + k];
      if (k == 1 && ((b == 0xE0 && c < 0xA0) || (b == 0xED && c > 0x9F) ||
                     (b == 0xF0 && c < 0x90) || (b == 0xF4 && c > 0x8F))) {
        ok = false;
        ++k;
        break;
      }
      cp = cp << 6 | (c & 0x3F);
    }
    i += k;
    if (!ok) {
      if (strict) return kInvalid;
      if (!out.Put(0xFFFD)) return kFull;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      if (!out.Put(static_cast<char16_t>(0xD800 + (cp >> 10)))) return kFull;
      if (!out.Put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)))) return kFull;
    } else if (!out.Put(static_cast<char16_t>(cp))) {
      return kFull;
    }
  }
  return kDone;
}

#ifdef DZ_UTF8_SIMD
// For four characters in 32-bit lanes, their one to three bytes at the
// bottom of each, the shuffle that packs those bytes together. The index
// holds a bit per character for two bytes or more (low nibble) and one for
// three (high nibble).
struct Utf8Pack {
  alignas(16) uint8_t Shuffle[16];
  uint8_t Length;
};

constexpr std::array<Utf8Pack, 256> MakeUtf8Packs() {
  std::array<Utf8Pack, 256> t{};
  for (unsigned m = 0; m < 256; ++m) {
    unsigned len = 0;
    for (unsigned k = 0; k < 4; ++k) {
      const unsigned bytes = 1 + (m >> k & 1) + (m >> (4 + k) & 1);
      for (unsigned b = 0; b < bytes; ++b) t[m].Shuffle[len++] = static_cast<uint8_t>(4 * k + b);
    }
    t[m].Length = static_cast<uint8_t>(len);
    for (unsigned j = len; j < 16; ++j) t[m].Shuffle[j] = 0x80;
  }
  return t;
}

constexpr std::array<Utf8Pack, 256> kUtf8Packs = MakeUtf8Packs();

// Eight characters at a time, none of them a surrogate. Each shuffle stores
// 16 bytes whatever it packs, up to 12 past the last character: so 32 bytes
// of room must be left, and 12 characters after the eight, whose bytes
// cover that. Answers the units taken; d moves past the bytes written.
__attribute__((target("ssse3"))) size_t EncodeUtf8Ssse3(const char16_t* w, size_t n, char*& d,
                                                        const char* limit) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i above7F = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i above7FF = _mm_set1_epi16(static_cast<short>(0xF800));
  const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
  const __m128i low6 = _mm_set1_epi16(0x3F), cont = _mm_set1_epi16(0x80);
  const __m128i lead2 = _mm_set1_epi16(0xC0), lead3 = _mm_set1_epi16(0xE0);
  char* at = d;
  size_t i = 0;
  for (; i + 20 <= n && limit - at >= 32; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + i));
    const __m128i top5 = _mm_and_si128(v, above7FF);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(top5, surrogate))) break;
    const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, above7F), zero);
    const __m128i small = _mm_cmpeq_epi16(top5, zero);
    const unsigned lengths =
        ~static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(ascii, small))) & 0xFFFF;
    if (lengths == 0) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(at), _mm_packus_epi16(v, v));
      at += 8;
      continue;
    }
    const __m128i last = _mm_or_si128(cont, _mm_and_si128(v, low6));
    const __m128i middle = _mm_or_si128(cont, _mm_and_si128(_mm_srli_epi16(v, 6), low6));
    const __m128i lead =
        _mm_or_si128(_mm_and_si128(small, _mm_or_si128(lead2, _mm_srli_epi16(v, 6))),
                     _mm_andnot_si128(small, _mm_or_si128(lead3, _mm_srli_epi16(v, 12))));
    const __m128i first = _mm_or_si128(_mm_and_si128(ascii, v), _mm_andnot_si128(ascii, lead));
    const __m128i second =
        _mm_or_si128(_mm_and_si128(small, last), _mm_andnot_si128(small, middle));
    const __m128i two = _mm_or_si128(first, _mm_slli_epi16(second, 8));
    const Utf8Pack& p0 = kUtf8Packs[(lengths & 0x0F) | (lengths >> 4 & 0xF0)];
    const Utf8Pack& p1 = kUtf8Packs[(lengths >> 4 & 0x0F) | (lengths >> 8 & 0xF0)];
    _mm_storeu_si128(
        reinterpret_cast<__m128i*>(at),
        _mm_shuffle_epi8(_mm_unpacklo_epi16(two, last),
                         _mm_load_si128(reinterpret_cast<const __m128i*>(p0.Shuffle))));
    at += p0.Length;
    _mm_storeu_si128(
        reinterpret_cast<__m128i*>(at),
        _mm_shuffle_epi8(_mm_unpackhi_epi16(two, last),
                         _mm_load_si128(reinterpret_cast<const __m128i*>(p1.Shuffle))));
    at += p1.Length;
  }
  d = at;
  return i;
}

// False until set, which only means the plain loop for a conversion run by
// another file's static constructor.
const bool kHasSsse3 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3") != 0;
}();
#endif

template <class O>
Result EncodeUtf8(bool strict, const char16_t* w, size_t n, O& out) {
  size_t i = 0;
  while (i < n) {
    if constexpr (!O::Counting && std::endian::native == std::endian::little) {
      // One to three bytes built in a word and stored at once, so that mixed
      // text does not stall on a branch for each length; surrogates and the
      // last bytes of the room go the long way, and so do the last three
      // characters, which cover what the word stores put past a character.
      char* d = out.At + out.Count;
#ifdef DZ_UTF8_SIMD
      if (kHasSsse3) i += EncodeUtf8Ssse3(w + i, n - i, d, out.At + out.Room);
#endif
      char* const stop = out.Room >= 4 ? out.At + out.Room - 3 : out.At;
      for (; i + 3 < n && d < stop; ++i) {
        if (i + 4 <= n) {  // four ASCII units at once
          uint64_t a;
          std::memcpy(&a, w + i, 8);
          if (!(a & 0xFF80FF80FF80FF80ull)) {
            // Packed into a word: the four low bytes of the units.
            const uint32_t packed = static_cast<uint32_t>(
                (a & 0xFF) | (a >> 8 & 0xFF00) | (a >> 16 & 0xFF0000) | (a >> 24 & 0xFF000000));
            std::memcpy(d, &packed, 4);
            d += 4;
            i += 3;
            continue;
          }
        }
        const uint32_t c = w[i];
        if (c - 0xD800 < 0x800) break;
        const uint32_t b1 = 0x80 | (c & 0x3F), b2 = 0x80 | ((c >> 6) & 0x3F);
        const uint32_t two = (0xC0 | (c >> 6)) | b1 << 8;
        const uint32_t three = (0xE0 | (c >> 12)) | b2 << 8 | b1 << 16;
        // Comparisons as carries, which the compiler cannot turn into branches.
        const uint32_t ge80 = (c + 0xFF80) >> 16, ge800 = (c + 0xF800) >> 16;
        const uint32_t m1 = ge80 - 1, m3 = 0u - ge800, m2 = ~(m1 | m3);
        const uint32_t word = (c & m1) | (two & m2) | (three & m3);
        std::memcpy(d, &word, 4);
        d += 1 + ge80 + ge800;
      }
      out.Count = static_cast<size_t>(d - out.At);
      if (i >= n) break;
    }
    uint32_t c = w[i++];
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c <= 0xDBFF && i < n && w[i] >= 0xDC00 && w[i] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (w[i++] - 0xDC00u);
        if (!out.Has(4)) return kFull;
        out.Put(static_cast<char>(0xF0 | (c >> 18)));
        out.Put(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.Put(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.Put(static_cast<char>(0x80 | (c & 0x3F)));
        continue;
      }
      if (strict) return kInvalid;
      c = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    if (c < 0x80) {
      if (!out.Put(static_cast<char>(c))) return kFull;
    } else if (c < 0x800) {
      if (!out.Has(2)) return kFull;
      out.Put(static_cast<char>(0xC0 | (c >> 6)));
      out.Put(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      if (!out.Has(3)) return kFull;
      out.Put(static_cast<char>(0xE0 | (c >> 12)));
      out.Put(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.Put(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return kDone;
}

// --- UTF-7 ---------------------------------------------------------------------

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(uint8_t c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// The characters Windows writes as themselves; every other one goes into a
// base64 run, which always ends with '-'.
bool Utf7Direct(char16_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case 0: case '\t': case '\n': case '\r': case ' ': case '\'': case '(': case ')':
    case ',': case '-': case '.': case '/': case ':': case '?':
      return true;
    default:
      return false;
  }
}

template <class O>
Result DecodeUtf7(const uint8_t* s, size_t n, O& out) {
  bool inRun = false;
  uint32_t bits = 0;
  int count = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = s[i];
    if (inRun) {
      const int v = Base64Value(c);
      if (v >= 0) {
        bits = bits << 6 | static_cast<uint32_t>(v);
        count += 6;
        if (count >= 16) {
          count -= 16;
          if (!out.Put(static_cast<char16_t>(bits >> count))) return kFull;
          bits &= (1u << count) - 1;
        }
        continue;
      }
      inRun = false;  // the bits left over are dropped
      if (c == '-') continue;
    } else if (c == '+') {
      if (i + 1 < n && s[i + 1] == '-') {
        ++i;
        if (!out.Put(u'+')) return kFull;
      } else {
        inRun = true;
        bits = 0;
        count = 0;
      }
      continue;
    }
    if (!out.Put(c)) return kFull;
  }
  return kDone;
}

template <class O>
Result EncodeUtf7(const char16_t* w, size_t n, O& out) {
  bool inRun = false;
  uint32_t bits = 0;
  int count = 0;
  auto close = [&]() {
    if (count > 0 && !out.Put(kBase64[(bits << (6 - count)) & 0x3F])) return false;
    inRun = false;
    bits = 0;
    count = 0;
    return out.Put('-');
  };
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = w[i];
    if (Utf7Direct(c) || c == u'+') {
      if (inRun && !close()) return kFull;
      if (!out.Put(static_cast<char>(c))) return kFull;
      if (c == u'+' && !out.Put('-')) return kFull;
      continue;
    }
    if (!inRun) {
      if (!out.Put('+')) return kFull;
      inRun = true;
    }
    bits = bits << 16 | c;
    count += 16;
    while (count >= 6) {
      count -= 6;
      if (!out.Put(kBase64[(bits >> count) & 0x3F])) return kFull;
    }
    bits &= (1u << count) - 1;
  }
  if (inRun && !close()) return kFull;
  return kDone;
}

// --- the ANSI code page by choice ---------------------------------------------

bool CanBeAnsi(uint32_t cp) {
  return cp == CP_UTF8 || FindTable(cp) != nullptr;
}

std::atomic<uint32_t> gChosenAcp{0};  // read by GetACP on any thread
std::once_flag gAcpFromEnvironment;

void ReadAcpFromEnvironment() {
  std::call_once(gAcpFromEnvironment, [] {
    const char* v = std::getenv("DZ_ACP");
    if (!v || !*v) return;
    char* end = nullptr;
    const unsigned long cp = std::strtoul(v, &end, 10);
    if (*end == '\0' && v[0] >= '0' && v[0] <= '9' && cp <= 0xFFFF &&
        CanBeAnsi(static_cast<uint32_t>(cp)))
      gChosenAcp = static_cast<uint32_t>(cp);
  });
}

}  // namespace

uint32_t GetLastError() {
  return tLastError;
}
void SetLastError(uint32_t code) {
  tLastError = code;
}

uint32_t GetACP() {
  ReadAcpFromEnvironment();
  if (const uint32_t chosen = gChosenAcp) return chosen;
  return nls::AnsiCodePageOf(GetSystemDefaultLCID());
}

uint32_t GetOEMCP() {
  return nls::OemCodePageOf(GetSystemDefaultLCID());
}

bool SetAnsiCodePage(uint32_t codePage) {
  ReadAcpFromEnvironment();
  if (codePage != 0 && !CanBeAnsi(codePage)) return false;
  gChosenAcp = codePage;
  return true;
}

bool IsValidCodePage(uint32_t codePage) {
  return codePage == CP_UTF7 || codePage == CP_UTF8 || FindTable(codePage) != nullptr;
}

bool IsDBCSLeadByteEx(uint32_t CodePage, uint8_t b) {
  const uint32_t cp = Resolve(CodePage);
  const Page* page = cp == CP_UTF8 || cp == CP_UTF7 ? nullptr : PageOf(cp);
  return page && page->Lead[b];
}

int MultiByteToWideChar(uint32_t CodePage, uint32_t Flags, const char* multi, int cbMulti,
                        char16_t* wide, int cchWide) {
  if (!multi || cbMulti == 0 || cbMulti < -1 || cchWide < 0 || (cchWide > 0 && !wide) ||
      (wide && static_cast<const void*>(wide) == static_cast<const void*>(multi)))
    return Fail(ERROR_INVALID_PARAMETER);
  const uint32_t cp = Resolve(CodePage);
  const Page* page = nullptr;
  if (cp == CP_UTF8 || cp == CP_UTF7) {
    if (Flags & ~(cp == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0u)) return Fail(ERROR_INVALID_FLAGS);
  } else {
    page = PageOf(cp);
    if (!page) return Fail(ERROR_INVALID_PARAMETER);
    if (Flags & ~(MB_PRECOMPOSED | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS))
      return Fail(ERROR_INVALID_FLAGS);
  }
  const size_t n = cbMulti == -1 ? std::strlen(multi) + 1 : static_cast<size_t>(cbMulti);
  const auto* s = reinterpret_cast<const uint8_t*>(multi);
  const bool strict = Flags & MB_ERR_INVALID_CHARS;
  size_t count = 0;
  // No code page gives more units than it reads bytes.
  const Result r = Convert(cchWide == 0 ? nullptr : wide, static_cast<size_t>(cchWide), n, count,
                           [&](auto& out) {
                             return page           ? DecodeTable(*page, strict, s, n, out)
                                    : cp == CP_UTF8 ? DecodeUtf8(strict, s, n, out)
                                                    : DecodeUtf7(s, n, out);
                           });
  if (r == kFull) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (r == kInvalid) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  if (count > 0x7FFFFFFF) return Fail(ERROR_INSUFFICIENT_BUFFER);
  return static_cast<int>(count);
}

int WideCharToMultiByte(uint32_t CodePage, uint32_t Flags, const char16_t* wide, int cchWide,
                        char* multi, int cbMulti, const char* defaultChar, int* usedDefaultChar) {
  if (!wide || cchWide == 0 || cchWide < -1 || cbMulti < 0 || (cbMulti > 0 && !multi) ||
      (multi && static_cast<const void*>(wide) == static_cast<const void*>(multi)))
    return Fail(ERROR_INVALID_PARAMETER);
  const uint32_t cp = Resolve(CodePage);
  const Page* page = nullptr;
  if (cp == CP_UTF8 || cp == CP_UTF7) {
    if (defaultChar || usedDefaultChar) return Fail(ERROR_INVALID_PARAMETER);
    if (Flags & ~(cp == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0u)) return Fail(ERROR_INVALID_FLAGS);
  } else {
    page = PageOf(cp);
    if (!page) return Fail(ERROR_INVALID_PARAMETER);
    if (Flags & ~(WC_NO_BEST_FIT_CHARS | WC_ERR_INVALID_CHARS)) return Fail(ERROR_INVALID_FLAGS);
  }
  if (usedDefaultChar) *usedDefaultChar = 0;
  size_t n = static_cast<size_t>(cchWide);
  if (cchWide == -1) n = std::char_traits<char16_t>::length(wide) + 1;
  uint16_t def = page ? page->T->DefaultChar : 0;
  if (page && defaultChar) {
    // A double-byte page takes two bytes when there is a second, lead byte
    // or not.
    const auto d0 = static_cast<uint8_t>(defaultChar[0]);
    def = page->T->MaxCharSize == 2 && d0 && defaultChar[1]
              ? static_cast<uint16_t>(d0 << 8 | static_cast<uint8_t>(defaultChar[1]))
              : d0;
  }
  bool used = false;
  size_t count = 0;
  const size_t worst = page ? n * page->T->MaxCharSize : cp == CP_UTF8 ? 3 * n : SIZE_MAX;
  // Where the size comes cheaper than converting, the query answers it so.
  const bool countable =
      page ? page->T->MaxCharSize == 2 && def <= 0xFF && !(Flags & WC_NO_BEST_FIT_CHARS)
           : cp == CP_UTF8 && !(Flags & WC_ERR_INVALID_CHARS);
  if (countable && cbMulti == 0 && !usedDefaultChar) {
    const size_t exact = page ? CountTable(*page, wide, n) : CountUtf8(wide, n);
    if (exact > 0x7FFFFFFF) return Fail(ERROR_INSUFFICIENT_BUFFER);
    return static_cast<int>(exact);
  }
  const Result r = Convert(
      cbMulti == 0 ? nullptr : multi, static_cast<size_t>(cbMulti), worst, count, [&](auto& out) {
        return page            ? EncodeTable(*page, Flags & WC_NO_BEST_FIT_CHARS, wide, n, def,
                                             usedDefaultChar != nullptr, used, out)
               : cp == CP_UTF8 ? EncodeUtf8(Flags & WC_ERR_INVALID_CHARS, wide, n, out)
                               : EncodeUtf7(wide, n, out);
      });
  if (usedDefaultChar && used && r == kDone) *usedDefaultChar = 1;
  if (r == kFull) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (r == kInvalid) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  if (count > 0x7FFFFFFF) return Fail(ERROR_INSUFFICIENT_BUFFER);
  return static_cast<int>(count);
}

namespace {

struct CharsetRow {
  uint32_t Charset, CodePage, Bit;  // Bit: the code page's bit in fsCsb[0]
};
// The character sets Windows pairs with its ANSI code pages.
constexpr CharsetRow kCharsets[] = {
    {0, 1252, 0},    {238, 1250, 1},  {204, 1251, 2},  {161, 1253, 3},  {162, 1254, 4},
    {177, 1255, 5},  {178, 1256, 6},  {186, 1257, 7},  {163, 1258, 8},  {222, 874, 16},
    {128, 932, 17},  {134, 936, 18},  {129, 949, 19},  {136, 950, 20},  {130, 1361, 21},
    {254, 65001, 26}, {2, 42, 31},
};

}  // namespace

bool TranslateCharsetInfo(uintptr_t source, CHARSETINFO* info, uint32_t flags) {
  if (!info || (flags != TCI_SRCCHARSET && flags != TCI_SRCCODEPAGE)) return false;
  for (const CharsetRow& r : kCharsets) {
    if ((flags == TCI_SRCCHARSET ? r.Charset : r.CodePage) != source) continue;
    *info = {};
    info->ciCharset = r.Charset;
    info->ciACP = r.CodePage;
    info->fs.fsCsb[0] = 1u << r.Bit;
    return true;
  }
  return false;
}

}  // namespace dz::win
