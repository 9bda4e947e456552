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

namespace dz {
namespace {

using test::Bytes;
using test::Fill;

using test::TOpaqueStream;

struct Road {
  const char* Name;
  bool OpaqueSrc, OpaqueDest, Listener;
  const char* Before;     // destination content, the position at its '|'
  bool Portable = false;  // step ends as on a processor without AVX2
};

const Road kRoads[] = {
    {"memory to memory", false, false, false, ""},
    {"memory to memory, after old bytes", false, false, false, "old|"},
    // Longer than a short input restores, so junk past a copy would show.
    {"memory into the middle of memory", false, false, false,
     "old|these bytes stay where they are unless the restored ones reach over them, which short "
     "inputs do not"},
    {"memory to memory past its end", false, false, false, "old||"},
    {"memory to stream", false, true, false, "x|"},
    {"stream to memory", true, false, false, ""},
    {"stream to stream", true, true, false, ""},
    {"memory to memory with a listener", false, false, true, "x|"},
    {"memory to memory, portable lengths", false, false, false, "", true},
    {"stream to stream, portable lengths", true, true, false, "", true},
};

struct Outcome {
  std::string Dest;  // the destination's whole content
  int64_t DestPosition = 0, SrcPosition = 0;
  std::string Error;  // the message, empty when none
  int Calls = 0;
};

Outcome Decode(const Road& road, const std::string& stream) {
  TMemoryStream src, dest;
  Fill(src, stream);
  std::string before = road.Before;
  size_t bar = before.find('|');
  std::string head = before.substr(0, bar == std::string::npos ? 0 : bar);
  std::string tail = bar == std::string::npos ? "" : before.substr(bar + 1);
  bool past = tail == "|";  // a destination positioned past its end
  if (past) tail.clear();
  dest.Write(head.data(), static_cast<int32_t>(head.size()));
  dest.Write(tail.data(), static_cast<int32_t>(tail.size()));
  dest.SetPosition(static_cast<int64_t>(head.size()) + (past ? 2 : 0));
  TOpaqueStream opaqueSrc(src), opaqueDest(dest);
  Outcome r;
  TProgressEvent listener;
  if (road.Listener) listener = [&r](TObject*, Integer, Integer) { ++r.Calls; };
  struct Lengths {
    explicit Lengths(bool portable) { detail::LZDecodePortably(portable); }
    ~Lengths() { detail::LZDecodePortably(false); }
  } lengths(road.Portable);
  try {
    LZYDecompressStream(road.OpaqueSrc ? static_cast<TStream*>(&opaqueSrc) : &src,
                        road.OpaqueDest ? static_cast<TStream*>(&opaqueDest) : &dest, listener);
  } catch (const EYCompressError& e) {
    r.Error = e.what();
  }
  r.Dest = Bytes(dest);
  r.DestPosition = dest.Position();
  r.SrcPosition = src.Position();
  return r;
}

// What the plain decoder gives for the same road's destination content.
Outcome Plain(const Road& road, const std::string& stream) {
  TMemoryStream src, out;
  Fill(src, stream);
  src.SetPosition(9);
  Outcome r;
  try {
    detail::PlainDecompressSource(src, out);
  } catch (const EYCompressError& e) {
    r.Error = e.what();
  }
  std::string before = road.Before;
  size_t bar = before.find('|');
  std::string head = before.substr(0, bar == std::string::npos ? 0 : bar);
  std::string tail = bar == std::string::npos ? "" : before.substr(bar + 1);
  std::string restored = Bytes(out);
  if (tail == "|") {
    // The gap is filled only by a write; nothing restored, nothing written.
    tail.clear();
    r.Dest = head + (restored.empty() ? "" : std::string(2, '\0') + restored);
    r.DestPosition = static_cast<int64_t>(head.size() + 2 + restored.size());
    return r;
  }
  r.Dest = head + restored + (restored.size() < tail.size() ? tail.substr(restored.size()) : "");
  r.DestPosition = static_cast<int64_t>(head.size() + restored.size());
  return r;
}

std::string Packed(const std::string& data) {
  TMemoryStream src, packed;
  Fill(src, data);
  LZYCompressStream(&src, &packed);
  return Bytes(packed);
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
    Outcome got = Decode(road, stream), want = Plain(road, stream);
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
      {"words across chunks", test::MakeData("words", 700000, 3)},
      {"runs", test::MakeData("runs", 300000, 4)},
      {"random", test::MakeData("random", 200000, 5)},
  };
  for (const auto& in : inputs) ExpectRoadsAgree(in.Name, Packed(in.Data), false);
}

// Damage deep into a long stream, where the fast loop runs, must stop every
// road at the same token with the same message, with what came before it
// written out.
TEST(LzyDecoder, EveryRoadStopsAtTheSameDamage) {
  std::string data = test::MakeData("words", 400000, 8);
  std::string stream = Packed(data);
  std::vector<size_t> starts = TokenStarts(stream);
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
  size_t late = matchNear(starts.size() * 3 / 4);
  size_t early = 9 + 1 + (static_cast<uint8_t>(stream[9]) >> 1);  // the token after the first run
  const struct {
    const char* Name;
    std::string Stream;
  } cases[] = {
      {"match past the window, late", replace(late, "\xFF\xFF")},
      {"offset 0, late", replace(late, std::string("\x01\x00", 2))},
      {"offset 0 with the longest length, late", replace(late, std::string("\x01\xF0", 2))},
      {"offset and length one past the window, late", replace(late, "\xDF\xFF")},
      {"offset beyond the restored bytes, early", replace(early, "\x01\x07")},
      {"cut inside a match", stream.substr(0, matchNear(starts.size() / 2) + 1)},
      {"cut inside a literal run", stream.substr(0, starts[starts.size() / 3]) + "\x20xy"},
  };
  for (const auto& c : cases) ExpectRoadsAgree(c.Name, c.Stream, true);
}

// The fast loop takes a literal run and the match after it as one step, and
// far matches with one test. The coder never writes a short run before
// another run, nor an empty run, and rarely a match that reaches to the
// window's edge, but a stream may hold them anywhere, and every road must
// restore them as the plain decoder does.
TEST(LzyDecoder, EveryRoadTakesTokensTheCoderRarelyWrites) {
  std::string stream = Packed(test::MakeData("words", 300000, 6));
  std::vector<size_t> starts = TokenStarts(stream);
  ASSERT_GT(starts.size(), 1000u);
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
  const struct {
    const char* Name;
    std::string Stream;
  } cases[] = {
      {"matches to the window's edge", edgeMatches()},
      {"a short run before a run", before(false, "\x04xy")},
      {"an empty run before a run", before(false, std::string(1, '\0'))},
      {"an empty run before a match", before(true, std::string(1, '\0'))},
      {"two short runs before a match", before(true, "\x02q\x06xyz")},
  };
  for (const auto& c : cases) ExpectRoadsAgree(c.Name, c.Stream, false);
}

}  // namespace
}  // namespace dz
