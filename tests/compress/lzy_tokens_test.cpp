// The token stream: exact bytes for known inputs, and the fast coder against
// the plain one on data that exercises every path of the search.
#include <gtest/gtest.h>

#include <vector>

#include "LzyTestUtil.h"
#include "deziva27/compress/detail/LZWindow.h"

namespace dz::test {
namespace {

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

// Tokens only, without the header.
std::string Tokens(const std::string& data) { return Packed(data).substr(9); }

std::string PlainTokens(const std::string& data) {
  TMemoryStream src, dst;
  Fill(src, data);
  detail::PlainCompressSource(src, dst);
  return Bytes(dst);
}

TEST(LzyTokens, ExamplesGiveTheirExactBytes) {
  const std::string seq = Sequence(0, 255);
  const struct {
    const char* Name;
    std::string Input;
    std::string Expected;  // hex of the tokens
  } examples[] = {
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

}  // namespace
}  // namespace dz::test
