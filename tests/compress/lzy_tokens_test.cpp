// The token stream: exact bytes for known inputs, and the fast coder against
// the plain one on data that exercises every path of the search.
#include <gtest/gtest.h>

#include <vector>

#include "LzyTestUtil.h"
#include "deziva27/compress/detail/LZCoder.h"
#include "deziva27/compress/detail/LZWindow.h"
#include "deziva27/compress/YCompress.h"

namespace dz {
namespace {

using test::Bytes;
using test::Fill;
using test::Hex;
using test::MakeData;

std::string Repeat(const std::string& s, int n) {
  std::string r;
  while (n-- > 0) r += s;
  return r;
}

std::string Sequence(int from, int to) {
  std::string r;
  for (int i = from; i <= to; ++i) r += static_cast<char>(i);
  return r;
}

// Tokens only, without the 9-byte header.
std::string Tokens(const std::string& data) {
  TMemoryStream src, dst;
  Fill(src, data);
  LZYCompressStream(&src, &dst);
  std::string all = Bytes(dst);
  EXPECT_EQ(all.substr(0, 9), std::string("LZY00\0\0\0\0", 9));
  return all.substr(9);
}

std::string PlainTokens(const std::string& data) {
  TMemoryStream src, dst;
  Fill(src, data);
  detail::PlainCompressSource(src, dst);
  return Bytes(dst);
}

const std::string kHeader("LZY00\0\0\0\0", 9);

std::string Restore(const std::string& compressed) {
  TMemoryStream src, dst;
  Fill(src, compressed);
  LZYDecompressStream(&src, &dst);
  return Bytes(dst);
}

struct Example {
  const char* Name;
  std::string Input;
  std::string Expected;  // hex of the tokens
};

std::vector<Example> Examples() {
  std::string seq = Sequence(0, 255);
  return {
      {"empty", "", ""},
      {"one byte", "a", "02 61"},
      {"two bytes", "ab", "04 61 62"},
      {"three equal bytes stay literal", "aaa", "06 61 61 61"},
      {"overlapping copy of one byte", "aaaa", "02 61 03 00"},
      {"forty equal bytes", std::string(40, 'a'), "02 61 03 F0 03 F0 03 00"},
      {"match runs into its own bytes", "abcabcabcabc", "06 61 62 63 07 60"},
      {"abc thirty times", Repeat("abc", 30), "06 61 62 63 07 F0 07 F0 07 F0 07 F0 07 C0"},
      {"nearer of equal candidates wins", "abcXabcYabc", "08 61 62 63 58 09 00 02 59 09 00"},
      {"literal run cut at 127", Sequence(0, 0xC7),
       "FE " + Hex(Sequence(0, 0x7E)) + " 92 " + Hex(Sequence(0x7F, 0xC7))},
      {"all byte values twice", seq + seq,
       "FE " + Hex(seq.substr(0, 127)) + " FE " + Hex(seq.substr(127, 127)) + " 04 FE FF " +
           Repeat("01 F2 ", 14) + "01 12"},
      // For the last 18 bytes the newer candidate gives 9 and ends the
      // search, although the older one would give all 18.
      {"first long match ends the search", "0123456789abcdefghX012345678Y0123456789abcdefgh",
       "26 " + Hex("0123456789abcdefghX") + " 27 60 02 59 15 60 3B 60"},
  };
}

TEST(LzyTokens, ExamplesGiveTheirExactBytes) {
  for (const Example& e : Examples()) {
    EXPECT_EQ(Hex(Tokens(e.Input)), e.Expected) << e.Name;
    EXPECT_EQ(Hex(PlainTokens(e.Input)), e.Expected) << e.Name;
    EXPECT_EQ(Restore(kHeader + test::Unhex(e.Expected)), e.Input)
        << e.Name;
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
    ASSERT_EQ(Restore(kHeader + fast), data) << kind << " " << size;
  }
}

// The plain decoder, the fast decoder and the source agree, also when the
// input wraps the window many times and crosses the fast coder's blocks.
TEST(LzyTokens, DecodersAgreeOnLongInputs) {
  for (const char* kind : {"words", "runs", "random", "small"}) {
    std::string data = MakeData(kind, 700000, 7);
    TMemoryStream src, packed, plain, fast;
    Fill(src, data);
    LZYCompressStream(&src, &packed);
    packed.SetPosition(9);
    detail::PlainDecompressSource(packed, plain);
    EXPECT_TRUE(Bytes(plain) == data) << kind;
    packed.SetPosition(0);
    LZYDecompressStream(&packed, &fast);
    EXPECT_TRUE(Bytes(fast) == data) << kind;
  }
}

// A decoder that trusted the token would read before its data or past the
// end of the stream; each of these must be refused.
TEST(LzyTokens, DamagedTokensRaise) {
  const struct {
    const char* Name;
    std::string Tokens;
  } cases[] = {
      {"offset 0", "02 61 01 00"},
      {"offset beyond restored bytes", "04 61 62 07 00"},
      {"match before any byte", "03 00"},
      {"largest offset at the start", "FF FF"},
      // After 2100 restored bytes: 2040 back is inside the data, but 2040 + 9
      // passes the window, whose copy would overwrite what it reads.
      {"match past the window", Repeat("FE " + Hex(std::string(127, 'x')) + " ", 16) + "B4 " +
                                    Hex(std::string(90, 'y')) + " F1 6F"},
      {"match cut after first byte", "02 61 03"},
      {"match cut after a literal run", "04 66 07 D1"},
      {"literal run cut short", "08 61 62"},
  };
  for (const auto& c : cases) {
    std::string stream = kHeader + test::Unhex(c.Tokens);
    TMemoryStream src, dst;
    Fill(src, stream);
    EXPECT_THROW(LZYDecompressStream(&src, &dst), EYCompressError) << c.Name;
    Fill(src, stream);
    src.SetPosition(9);
    TMemoryStream dst2;
    EXPECT_THROW(detail::PlainDecompressSource(src, dst2), EYCompressError) << c.Name;
    // Both have written what came before the damage.
    EXPECT_EQ(Bytes(dst), Bytes(dst2)) << c.Name;
  }
  // An offset exactly as far back as the restored bytes reach is fine, and an
  // empty literal run restores nothing.
  EXPECT_EQ(Restore(kHeader + test::Unhex("04 61 62 05 00")), "ababa");
  EXPECT_EQ(Restore(kHeader + test::Unhex("00 02 61 00")), "a");
  // And a match that ends exactly at the window's width (2030 back, 18 long).
  std::string head =
      Repeat(std::string(1, '\xFE') + std::string(127, 'x'), 16) + "\xB4" + std::string(90, 'y');
  EXPECT_EQ(Restore(kHeader + head + "\xDD\xFF").substr(2122),
            std::string(18, 'x'));
}

}  // namespace
}  // namespace dz
