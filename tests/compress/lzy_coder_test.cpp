// The coders: exact token bytes, the fast coder and the decoder's roads
// against the plain ones, the search far into a stream, the positions ring,
// and the parallel coder against the sequential one.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "LzyTestUtil.h"
#include "deziva27/compress/detail/LZCoder.h"
#include "deziva27/compress/detail/LZSearch.h"
#include "deziva27/compress/detail/LZWindow.h"

namespace dz::test {
namespace {

using detail::Dictionary;
using detail::FindMatch;

std::string Repeat(const std::string& s, int n) {
  std::string r;
  while (n-- > 0) r += s;
  return r;
}

// Tokens only, without the header.
std::string Tokens(const std::string& data) { return Packed(data).substr(9); }

std::string PlainTokens(const std::string& data) {
  TMemoryStream src, dst;
  Fill(src, data);
  detail::PlainCompressSource(src, dst);
  return Bytes(dst);
}

TEST(LzyTokens, ExamplesGiveTheirExactBytes) {
  std::string seq;  // every byte value once
  for (int i = 0; i < 256; ++i) seq += static_cast<char>(i);
  const struct {
    const char* Name;
    std::string Input;
    std::string Expected;  // hex of the tokens
  } examples[] = {
      {"empty", "", ""},
      {"one byte", "a", "02 61"},
      {"three equal bytes stay literal", "aaa", "06 61 61 61"},
      {"overlapping copy of one byte", "aaaa", "02 61 03 00"},
      {"forty equal bytes", std::string(40, 'a'), "02 61 03 F0 03 F0 03 00"},
      {"match runs into its own bytes", "abcabcabcabc", "06 61 62 63 07 60"},
      {"nearer of equal candidates wins", "abcXabcYabc", "08 61 62 63 58 09 00 02 59 09 00"},
      {"literal run cut at 127", seq.substr(0, 0xC8),
       "FE " + Hex(seq.substr(0, 127)) + " 92 " + Hex(seq.substr(127, 0x49))},
      {"all byte values twice", seq + seq,
       "FE " + Hex(seq.substr(0, 127)) + " FE " + Hex(seq.substr(127, 127)) + " 04 FE FF " +
           Repeat("01 F2 ", 14) + "01 12"},
      // For the last 18 bytes the newer candidate gives 9 and ends the
      // search, although the older one would give all 18.
      {"first long match ends the search", "0123456789abcdefghX012345678Y0123456789abcdefgh",
       "26 " + Hex("0123456789abcdefghX") + " 27 60 02 59 15 60 3B 60"},
  };
  for (const auto& e : examples) {
    EXPECT_EQ(Hex(Tokens(e.Input)), e.Expected) << e.Name;
    EXPECT_EQ(Hex(PlainTokens(e.Input)), e.Expected) << e.Name;
    EXPECT_EQ(Unpacked(kHeader + Unhex(e.Expected)), e.Input) << e.Name;
  }
}

// The fast coder keeps its own rings, 64-bit positions and large buffers;
// it must still pick the very match the plain search picks, everywhere: on
// long data of each kind, and at sizes around the ends of the look-ahead and
// of the window, where the last bytes' handling and the first drop-outs meet.
TEST(LzyTokens, FastCoderMatchesPlainCoder) {
  std::vector<std::pair<const char*, size_t>> cases = {
      {"random", 5000}, {"small", 3000},   {"small", 70000}, {"words", 100000},
      {"runs", 60000},  {"words", 600000}, {"random", 2050}, {"small", 2048},
  };
  for (size_t n : {1u, 2u, 3u, 4u, 5u, 17u, 18u, 19u, 126u, 127u, 128u, 129u, 254u, 255u, 1921u,
                   1922u, 2045u, 2046u, 2047u, 2048u, 2049u, 2175u, 2176u, 4096u})
    for (const char* kind : {"small", "runs", "words"}) cases.emplace_back(kind, n);
  uint32_t seed = 1;
  for (const auto& [kind, size] : cases) {
    std::string data = MakeData(kind, size, seed++);
    std::string fast = Tokens(data);
    ASSERT_EQ(fast, PlainTokens(data)) << kind << " " << size;
    ASSERT_EQ(Unpacked(kHeader + fast), data) << kind << " " << size;
  }
}

// The decoder's roads: memory streams are read and written in place, other
// streams in chunks, and a listener or a destination positioned before its
// end sends the work down the chunked road. Every road must give the bytes,
// positions and errors of the plain decoder.
struct Road {
  const char* Name;
  bool OpaqueSrc, OpaqueDest, Listener;
  const char* Before;     // destination content
  int64_t At;             // where the destination stands, maybe past its end
  bool Portable = false;  // step ends as on a processor without AVX2
};

const Road kRoads[] = {
    {"memory to memory", false, false, false, "", 0},
    {"memory to memory, after old bytes", false, false, false, "old", 3},
    // Longer than a short input restores, so junk past a copy would show.
    {"memory into the middle of memory", false, false, false,
     "old these bytes stay where they are unless the restored ones reach over them, which short "
     "inputs do not", 3},
    {"memory to memory past its end", false, false, false, "old", 5},
    {"memory to stream", false, true, false, "x", 1},
    {"stream to memory", true, false, false, "", 0},
    {"stream to stream", true, true, false, "", 0},
    {"memory to memory with a listener", false, false, true, "x", 1},
    {"memory to memory, portable lengths", false, false, false, "", 0, true},
    {"stream to stream, portable lengths", true, true, false, "", 0, true},
};

struct Outcome {
  std::string Dest;  // the destination's whole content
  int64_t DestPosition = 0, SrcPosition = 0;
  std::string Error;  // the message, empty when none
  int Calls = 0;
};

// Decodes a stream down a road, or with the plain decoder, which writes what
// it restores through the destination's Write into the same destination.
Outcome Decode(const Road& road, const std::string& stream, bool plain) {
  TMemoryStream src, dest;
  Fill(src, stream);
  Fill(dest, road.Before);
  dest.SetPosition(road.At);
  TOpaqueStream opaqueSrc(src), opaqueDest(dest);
  std::string error;
  int calls = 0;
  TProgressEvent listener;
  if (road.Listener) listener = [&calls](TObject*, Integer, Integer) { ++calls; };
  detail::LZDecodePortably(road.Portable);
  try {
    if (plain) {
      src.SetPosition(9);
      detail::PlainDecompressSource(src, dest);
    } else {
      LZYDecompressStream(road.OpaqueSrc ? static_cast<TStream*>(&opaqueSrc) : &src,
                          road.OpaqueDest ? static_cast<TStream*>(&opaqueDest) : &dest, listener);
    }
  } catch (const EYCompressError& e) {
    error = e.what();
  }
  detail::LZDecodePortably(false);
  return {Bytes(dest), dest.Position(), src.Position(), error, calls};
}

// The offset of each token's first byte in a compressed stream.
std::vector<size_t> TokenStarts(const std::string& stream) {
  std::vector<size_t> starts;
  for (size_t i = 9; i < stream.size();) {
    starts.push_back(i);
    auto b = static_cast<uint8_t>(stream[i]);
    i += (b & 1) ? 2 : 1 + (b >> 1);
  }
  return starts;
}

// Every road gives the plain decoder's bytes, positions and message; a whole
// stream is read to its end, with one listener call a token.
void ExpectRoadsAgree(const std::string& name, const std::string& stream, bool damaged) {
  for (const auto& road : kRoads) {
    SCOPED_TRACE(name + ", " + road.Name);
    Outcome got = Decode(road, stream, false), want = Decode(road, stream, true);
    EXPECT_EQ(want.Error.empty(), !damaged);
    EXPECT_EQ(got.Error, want.Error);
    EXPECT_TRUE(got.Dest == want.Dest);
    EXPECT_EQ(got.DestPosition, want.DestPosition);
    if (!damaged) {
      EXPECT_EQ(got.SrcPosition, static_cast<int64_t>(stream.size()));
      EXPECT_EQ(got.Calls, road.Listener ? static_cast<int>(TokenStarts(stream).size()) : 0);
    }
  }
}

TEST(LzyDecoder, EveryRoadRestoresTheSameBytes) {
  const std::pair<const char*, std::string> inputs[] = {
      {"empty", ""},
      {"one byte", "a"},
      {"short", "abcabcabcabcXabc"},
      // Past the in-place room first taken: one byte restores 9 times its
      // token size, so the buffer must grow while restoring.
      {"one long run", std::string(600000, 'z')},
      {"words across chunks", MakeData("words", 700000, 3)},
      {"runs", MakeData("runs", 300000, 4)},
      {"random", MakeData("random", 200000, 5)},
      {"few distinct bytes", MakeData("small", 700000, 7)},
  };
  for (const auto& [name, data] : inputs) ExpectRoadsAgree(name, Packed(data), false);
}

// 2122 restored bytes: 2032 'x' in literal runs, then 90 'y'.
std::string Filled() {
  std::string s;
  for (int i = 0; i < 16; ++i) s += '\xFE' + std::string(127, 'x');
  return s + '\xB4' + std::string(90, 'y');
}

// Damage, short or deep into a long stream where the fast loop runs, must
// stop every road at the same token with the same message, what came before
// written out. The fast loop takes a literal run and the match after it as
// one step, and far matches with one test; the coder never writes a short or
// empty run before a run, and rarely a match to the window's edge, but a
// stream may hold them anywhere.
TEST(LzyDecoder, EveryRoadTakesHandMadeStreams) {
  const std::string stream = Packed(MakeData("words", 400000, 8));
  const std::vector<size_t> starts = TokenStarts(stream);
  ASSERT_GT(starts.size(), 1000u);
  auto matchNear = [&](size_t from) {
    for (size_t k = from; k < starts.size(); ++k)
      if (stream[starts[k]] & 1) return starts[k];
    return size_t{0};
  };
  auto replace = [&](size_t at, const std::string& bytes) {
    std::string s = stream;
    s.replace(at, bytes.size(), bytes);
    return s;
  };
  // bytes put before every tenth token whose first bit is odd (a match) or
  // even (a run), from the end backwards so the offsets stay good.
  auto before = [&](bool matches, const std::string& bytes) {
    std::string s = stream;
    int seen = 0;
    for (auto k = starts.rbegin(); k != starts.rend(); ++k)
      if (((stream[*k] & 1) != 0) == matches && ++seen % 10 == 0) s.insert(*k, bytes);
    return s;
  };
  // Every tenth match past the first thousand tokens ends on the window's
  // edge, in turn as offset 2030, length 18 and offset 2045, length 3.
  auto edgeMatches = [&]() {
    std::string s = stream;
    int seen = 0;
    for (size_t k = 1000; k < starts.size(); ++k)
      if ((stream[starts[k]] & 1) && ++seen % 10 == 0)
        s.replace(starts[k], 2, seen % 20 ? "\xDD\xFF" : "\xFB\x0F");
    return s;
  };
  const size_t late = matchNear(starts.size() * 3 / 4);
  const size_t early = 10 + (static_cast<uint8_t>(stream[9]) >> 1);  // after the first run
  struct Case {
    const char* Name;
    std::string Stream;
    std::string Restored = "";  // when not empty, what every road restores
  };
  const Case damaged[] = {
      {"match past the window, late", replace(late, "\xFF\xFF")},
      {"offset 0, late", replace(late, std::string("\x01\x00", 2))},
      {"offset 0 with the longest length, late", replace(late, std::string("\x01\xF0", 2))},
      {"offset and length one past the window, late", replace(late, "\xDF\xFF")},
      {"offset beyond the restored bytes, early", replace(early, "\x01\x07")},
      {"cut inside a match", stream.substr(0, matchNear(starts.size() / 2) + 1)},
      {"cut inside a literal run", stream.substr(0, starts[starts.size() / 3]) + "\x20xy"},
      {"offset 0", kHeader + Unhex("02 61 01 00")},
      {"offset beyond restored bytes", kHeader + Unhex("04 61 62 07 00")},
      {"match before any byte", kHeader + Unhex("03 00")},
      {"largest offset at the start", kHeader + Unhex("FF FF")},
      // 2040 back is inside the data, but 2040 + 9 passes the window, whose
      // copy would overwrite what it reads.
      {"match past the window", kHeader + Filled() + "\xF1\x6F"},
      {"match cut after first byte", kHeader + Unhex("02 61 03")},
      {"match cut after a literal run", kHeader + Unhex("04 66 07 D1")},
      {"literal run cut short", kHeader + Unhex("08 61 62")},
  };
  for (const auto& c : damaged) ExpectRoadsAgree(c.Name, c.Stream, true);
  const Case whole[] = {
      {"matches to the window's edge", edgeMatches()},
      {"a short run before a run", before(false, "\x04xy")},
      {"an empty run before a run", before(false, std::string(1, '\0'))},
      {"an empty run before a match", before(true, std::string(1, '\0'))},
      {"two short runs before a match", before(true, "\x02q\x06xyz")},
      // The limits: an offset as far back as the restored bytes reach, and a
      // match that ends exactly at the window's width (2030 back, 18 long).
      {"offset to the first byte", kHeader + Unhex("04 61 62 05 00"), "ababa"},
      {"empty run", kHeader + Unhex("00 02 61 00"), "a"},
      {"match to the window's width", kHeader + Filled() + "\xDD\xFF",
       std::string(2032, 'x') + std::string(90, 'y') + std::string(18, 'x')},
  };
  for (const auto& c : whole) {
    EXPECT_EQ(c.Restored.empty() ? "" : Unpacked(c.Stream), c.Restored) << c.Name;
    ExpectRoadsAgree(c.Name, c.Stream, false);
  }
}

// The candidate chains keep positions in 32 bits relative to a moving base:
// the same data seen far into a stream (past 2 and 4 GiB) must give the
// match it gives at the start, and a link left from before the base moved
// must never come back as a candidate.
using Found = std::pair<int, int>;  // length, offset

// Runs the search and the inserts of a greedy parse over data as if its
// first byte stood at origin, rebasing as the coders do; returns every
// search's result. The dictionary may hold other data from long before.
std::vector<Found> Parse(const std::string& data, int64_t origin, Dictionary& dict) {
  std::vector<uint8_t> buf(data.begin(), data.end());
  buf.resize(buf.size() + 64, 0);
  std::vector<Found> found;
  const auto total = static_cast<int64_t>(data.size());
  for (int64_t i = 0; i + detail::kLZMinMatch <= total;) {
    const int64_t cur = origin + i;
    dict.Rebase(cur);
    int off = 0;
    int cap = static_cast<int>(std::min<int64_t>(total - i, detail::kLZMaxMatch));
    int len = FindMatch(dict, buf.data(), origin, cur, cap, cur - detail::kLZWindowSize + 1,
                        Dictionary::Hash(buf.data() + i), off);
    found.push_back({len, len ? off : 0});
    int step = len >= detail::kLZMinMatch ? len : 1;
    for (int k = 0; k < step; ++k) dict.Add(buf.data() + i + k, cur + k);
    i += step;
  }
  return found;
}

TEST(LzySearch, FarPositionsFindWhatNearOnesFind) {
  const std::pair<const char*, int64_t> cases[] = {
      {"words", (int64_t{1} << 30) - 5},  // the first rebase falls inside the data
      {"small", (int64_t{1} << 31) + 3},  // past what 32 bits hold signed
      {"runs", (int64_t{5} << 30) + 77},  // past 4 GiB, several bases later
      {"words", (int64_t{1} << 40)},
  };
  for (const auto& [kind, origin] : cases) {
    SCOPED_TRACE(std::string(kind) + " at " + std::to_string(origin));
    const std::string data = MakeData(kind, 20000, 7);
    auto nearDict = std::make_unique<Dictionary>();
    const std::vector<Found> expected = Parse(data, 0, *nearDict);

    // Before the data, the far dictionary sees unrelated bytes at whole
    // multiples of 2^30 back: at 2^32 a position kept in 32 bits without care
    // aliases onto the window; one rebase after another moves the slots never
    // written.
    const std::string noise = MakeData("words", 4000, 99);
    for (const std::vector<int>& backs : {std::vector<int>{4}, {4, 3, 2, 1}, {1}, {}}) {
      auto farDict = std::make_unique<Dictionary>();
      for (int k : backs) {
        const int64_t back = int64_t{k} << 30;
        if (origin >= back + 4000) Parse(noise, origin - back, *farDict);
      }
      EXPECT_EQ(Parse(data, origin, *farDict), expected) << backs.size() << " noise runs";
    }
  }
}

// The ring keeps the newest items; Find gives an item or, on a miss, the
// insertion point.
TEST(LzyWindow, PositionsRingKeepsTheNewest) {
  detail::TPositionsList l(3);
  for (Integer p : {10, 20, 30, 40, 50}) l.Add(p);
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l.GetItem(0), 30);
  EXPECT_EQ(l.GetItem(2), 50);
  l.DeleteFirstItems(4);  // more than held: nothing
  EXPECT_EQ(l.Count(), 3);
  l.DeleteFirstItems(1);
  EXPECT_EQ(l.Count(), 2);
  EXPECT_EQ(l.GetItem(0), 40);
  l.Add(-7);  // stored little-endian over 4 bytes, sign and all
  EXPECT_EQ(l.GetItem(2), -7);
  l.SetItem(2, 0x12345678);
  EXPECT_EQ(l.GetItem(2), 0x12345678);

  detail::TPositionsList sorted(8), empty(4);
  for (Integer p : {5, 9, 14, 20, 31}) sorted.Add(p);
  const struct {
    const detail::TPositionsList& List;
    Integer Position;
    bool Found;
    Integer Index;
  } cases[] = {{sorted, 5, true, 0},   {sorted, 31, true, 4},  {sorted, 14, true, 2},
               {sorted, 4, false, 0},  {sorted, 10, false, 2}, {sorted, 32, false, 5},
               {sorted, 21, false, 4}, {empty, 3, false, 0}};
  for (const auto& c : cases) {
    Integer index = -1;
    EXPECT_EQ(c.List.Find(c.Position, index), c.Found) << c.Position;
    EXPECT_EQ(index, c.Index) << c.Position;
  }
}

// The look-ahead's mark stays on its byte as the front drops out.
TEST(LzyWindow, CompressingWindowKeepsItsBufferMark) {
  detail::TLZSlideWindow w(8, 4, 18, detail::ptCompress);
  TMemoryStream s;
  Fill(s, "abcdefghijkl");
  EXPECT_EQ(w.FillBufferFromStream(s), 4);
  EXPECT_EQ(w.FillBufferFromStream(s), 0);  // look-ahead full
  w.EnlargeDictionary(4);
  EXPECT_EQ(w.BufSize(), 0);
  EXPECT_EQ(w.FillBufferFromStream(s), 4);
  w.EnlargeDictionary(3);
  EXPECT_EQ(w.FillBufferFromStream(s), 3);  // 11 read: 3 dropped out
  EXPECT_EQ(w.GlobalStart(), 3);
  EXPECT_EQ(w.BufIndex(), 4);
  EXPECT_EQ(w.GetBuffer(0), 'h');
  std::string content;
  for (Integer i = 0; i < w.Size(); ++i) content += static_cast<char>(w.GetData(i));
  EXPECT_EQ(content, "defghijk");
  EXPECT_EQ(w.Dictionary().Positions['c'].GetItem(0), 2);
}

struct Coded {
  std::string Bytes;
  std::vector<std::pair<int64_t, int64_t>> Steps;
};

Coded Encode(const std::string& data, int threads, int64_t block, bool progress,
             int64_t offset = 0) {
  TMemoryStream src, dst;
  Fill(src, data);
  src.SetPosition(offset);
  Coded c;
  detail::TCoderProgress onStep;
  if (progress) onStep = [&](int64_t pos, int64_t size) { c.Steps.emplace_back(pos, size); };
  if (threads == 0)
    detail::LZEncode(src, dst, onStep);
  else
    detail::LZEncodeParallel(src, dst, onStep, threads, block);
  c.Bytes = Bytes(dst);
  EXPECT_EQ(src.Position(), src.Size());
  return c;
}

TEST(LzyParallel, SameBytesAndProgressAsTheSequentialCoder) {
  // Blocks of 8 KiB (the smallest) put a stitch every few hundred tokens, so
  // every kind of data meets many of them; larger blocks and odd sizes cover
  // blocks that end inside a match and a short last block. With 3 threads the
  // coders start 1000 bytes in and must make the sequential progress calls.
  const std::tuple<const char*, size_t, int64_t> cases[] = {
      {"words", 600000, 8192},   {"words", 1 << 20, 65536}, {"small", 700001, 8192},
      {"runs", 900007, 8192},    {"random", 600000, 8192},  {"runs", 3 << 20, 1 << 20},
      {"small", 530000, 262144}, {"words", 2100000, 0},
  };
  for (const auto& [kind, size, block] : cases) {
    const std::string data = MakeData(kind, size, 7);
    const Coded plain = Encode(data, 0, 0, false), heard = Encode(data, 0, 0, true, 1000);
    for (int threads : {2, 3, 8}) {
      SCOPED_TRACE(std::string(kind) + " " + std::to_string(size) + " bytes, blocks of " +
                   std::to_string(block) + ", " + std::to_string(threads) + " threads");
      const Coded& want = threads == 3 ? heard : plain;
      const Coded got = Encode(data, threads, block, threads == 3, threads == 3 ? 1000 : 0);
      EXPECT_TRUE(got.Bytes == want.Bytes);
      EXPECT_TRUE(got.Steps == want.Steps) << got.Steps.size() << " of " << want.Steps.size();
    }
  }
}

TEST(LzyParallel, AFailingStreamStopsTheCoderWithItsError) {
  // The failure meets blocks being coded on other threads, and blocks coded
  // and waiting: the coder must wait for them and pass the error on, with
  // nothing left running (ASan sees a thread that outlives its block).
  const std::string data = MakeData("words", 400000, 5);
  const int64_t size = static_cast<int64_t>(data.size());
  const int64_t packed = static_cast<int64_t>(Encode(data, 0, 0, false).Bytes.size());
  for (int threads : {2, 8}) {
    for (int part : {1, 4, 7}) {
      TMemoryStream src, dst;
      Fill(src, data);
      const int64_t readLimit = size * part / 8;
      TOpaqueStream failingSrc(src, readLimit);
      EXPECT_THROW(detail::LZEncodeParallel(failingSrc, dst, {}, threads, 8192), EReadError)
          << threads << " threads, reads stop at " << readLimit;
      src.SetPosition(0);
      const int64_t writeLimit = packed * part / 8;
      TOpaqueStream failingDst(dst, writeLimit);
      EXPECT_THROW(detail::LZEncodeParallel(src, failingDst, {}, threads, 8192), EWriteError)
          << threads << " threads, writes stop at " << writeLimit;
    }
  }
}

TEST(LzyParallel, ThreadSettingReachesTheCoder) {
  TMemoryStream src, one, many;
  Fill(src, MakeData("runs", 1 << 20, 9));
  LZYCompressStream(&src, &one, {}, 1);
  src.SetPosition(0);
  TLZYCompressor c;
  c.SetThreads(-3);
  EXPECT_EQ(c.Threads(), 0);
  c.SetThreads(4);
  EXPECT_EQ(c.Threads(), 4);
  c.SetSrcStream(&src);
  c.SetDestStream(&many);
  c.Compress();
  EXPECT_TRUE(Bytes(many) == Bytes(one));
}

}  // namespace
}  // namespace dz::test
