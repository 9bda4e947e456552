// The parallel coder must write the sequential coder's bytes and make its
// progress calls, whatever the threads, block sizes and data.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "deziva27/compress/detail/LZCoder.h"
#include "deziva27/compress/YCompress.h"
#include "tests/compress/LzyTestUtil.h"

namespace dz::test {
namespace {

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

TEST(LzyParallel, SameBytesAsTheSequentialCoder) {
  // Blocks of 8 KiB (the smallest) put a stitch every few hundred tokens, so
  // every kind of data meets many of them; larger blocks and odd sizes cover
  // blocks that end inside a match and a short last block.
  struct Case {
    const char* Kind;
    size_t Size;
    int64_t Block;
  } cases[] = {
      {"words", 600000, 8192},   {"words", 1 << 20, 65536}, {"small", 700001, 8192},
      {"runs", 900007, 8192},    {"random", 600000, 8192},  {"runs", 3 << 20, 1 << 20},
      {"small", 530000, 262144}, {"words", 2100000, 0},
  };
  for (const Case& c : cases) {
    const std::string data = MakeData(c.Kind, c.Size, 7);
    const std::string expect = Encode(data, 0, 0, false).Bytes;
    for (int threads : {2, 3, 8}) {
      EXPECT_TRUE(Encode(data, threads, c.Block, false).Bytes == expect)
          << c.Kind << " " << c.Size << " bytes, blocks of " << c.Block << ", " << threads
          << " threads";
    }
  }
}

TEST(LzyParallel, ProgressCallsAreTheSequentialOnes) {
  const std::string data = MakeData("words", 700000, 3) + MakeData("random", 100000, 4);
  Coded seq = Encode(data, 0, 0, true, 1000);
  Coded par = Encode(data, 2, 8192, true, 1000);
  EXPECT_TRUE(par.Bytes == seq.Bytes);
  EXPECT_TRUE(par.Steps == seq.Steps) << par.Steps.size() << " calls, not " << seq.Steps.size();
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
      TOpaqueStream failingSrc(src, readLimit, INT64_MAX);
      EXPECT_THROW(detail::LZEncodeParallel(failingSrc, dst, {}, threads, 8192), EReadError)
          << threads << " threads, reads stop at " << readLimit;
      src.SetPosition(0);
      const int64_t writeLimit = packed * part / 8;
      TOpaqueStream failingDst(dst, INT64_MAX, writeLimit);
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
  c.SetThreads(4);
  EXPECT_EQ(c.Threads(), 4);
  c.SetSrcStream(&src);
  c.SetDestStream(&many);
  c.Compress();
  EXPECT_TRUE(Bytes(many) == Bytes(one));
}

}  // namespace
}  // namespace dz::test
