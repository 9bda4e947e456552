// The decoder's roads: memory streams are read and written in place, other
// streams in chunks, and a listener or a destination positioned before its
// end sends the work down the chunked road. Every road must give the bytes,
// positions and errors of the plain decoder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LzyTestUtil.h"
#include "deziva27/compress/detail/LZCoder.h"
#include "deziva27/compress/detail/LZWindow.h"
#include "deziva27/compress/YCompress.h"

namespace dz::test {
namespace {

struct Road {
  const char* Name;
  bool OpaqueSrc, OpaqueDest, Listener;
  const char* Before;     // destination content, the position at its '|'
  bool Portable = false;  // step ends as on a processor without AVX2
};

const Road kRoads[] = {
    {"memory to memory", false, false, false, "|"},
    {"memory to memory, after old bytes", false, false, false, "old|"},
    // Longer than a short input restores, so junk past a copy would show.
    {"memory into the middle of memory", false, false, false,
     "old|these bytes stay where they are unless the restored ones reach over them, which short "
     "inputs do not"},
    {"memory to memory past its end", false, false, false, "old||"},
    {"memory to stream", false, true, false, "x|"},
    {"stream to memory", true, false, false, "|"},
    {"stream to stream", true, true, false, "|"},
    {"memory to memory with a listener", false, false, true, "x|"},
    {"memory to memory, portable lengths", false, false, false, "|", true},
    {"stream to stream, portable lengths", true, true, false, "|", true},
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
  const std::string before = road.Before;
  const size_t bar = before.find('|');
  const bool past = before.ends_with("||");  // positioned two bytes past the end
  Fill(dest, before.substr(0, bar) + before.substr(bar + 1 + past));
  dest.SetPosition(static_cast<int64_t>(bar) + (past ? 2 : 0));
  TOpaqueStream opaqueSrc(src), opaqueDest(dest);
  Outcome r;
  TProgressEvent listener;
  if (road.Listener) listener = [&r](TObject*, Integer, Integer) { ++r.Calls; };
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
    r.Error = e.what();
  }
  detail::LZDecodePortably(false);
  r.Dest = Bytes(dest);
  r.DestPosition = dest.Position();
  r.SrcPosition = src.Position();
  return r;
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
      if (road.Listener) {
        EXPECT_EQ(got.Calls, static_cast<int>(TokenStarts(stream).size()));
      }
    }
  }
}

TEST(LzyDecoder, EveryRoadRestoresTheSameBytes) {
  const struct {
    const char* Name;
    std::string Data;
  } inputs[] = {
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
  for (const auto& in : inputs) ExpectRoadsAgree(in.Name, Packed(in.Data), false);
}

// 2122 restored bytes: 2032 'x' in literal runs, then 90 'y'.
std::string Filled() {
  std::string s;
  for (int i = 0; i < 16; ++i) s += '\xFE' + std::string(127, 'x');
  return s + '\xB4' + std::string(90, 'y');
}

// Hand-made streams. Damage, short or deep into a long stream where the fast
// loop runs, must stop every road at the same token with the same message,
// with what came before it written out: a decoder that trusted the token
// would read before its data or past the end of the stream. The fast loop
// takes a literal run and the match after it as one step, and far matches
// with one test; the coder never writes a short run before another run, nor
// an empty run, and rarely a match that reaches to the window's edge, but a
// stream may hold them anywhere, and every road must restore them.
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

}  // namespace
}  // namespace dz::test
