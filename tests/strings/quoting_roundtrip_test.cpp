// Round trips of the two literal syntaxes over many random strings, weighted
// towards the characters that have a meaning in them.
#include <gtest/gtest.h>

#include <random>

#include "deziva27/strings/YStrings.h"

namespace dz {
namespace {

template <class Str>
Str RandomText(std::mt19937& rng) {
  using Ch = typename Str::value_type;
  static constexpr char kSpecial[] = "'\"\\#$0123456789xAaFf";
  std::uniform_int_distribution<int> len(0, 24), kind(0, 5);
  Str s;
  for (int i = len(rng); i > 0; --i) {
    switch (kind(rng)) {
      case 0:
        s.push_back(static_cast<Ch>(rng() % 32));
        break;  // controls
      case 1:
      case 2:
        s.push_back(static_cast<Ch>(kSpecial[rng() % (sizeof kSpecial - 1)]));
        break;
      case 3:
        s.push_back(static_cast<Ch>(32 + rng() % 96));
        break;
      default:
        // high bytes, or any code unit (surrogate halves included)
        s.push_back(static_cast<Ch>(sizeof(Ch) == 1 ? 128 + rng() % 128 : rng() % 0x10000));
    }
  }
  return s;
}

template <class Str>
void CheckRoundTrips(uint32_t seed) {
  using Ch = typename Str::value_type;
  std::mt19937 rng(seed);
  for (int n = 0; n < 20000; ++n) {
    Str s = RandomText<Str>(rng);
    for (Ch q : {Ch('\''), Ch('"'), Ch('`')}) {
      Str lit = QuotedString(s, q);
      ASSERT_EQ(UnquotedString(lit, q), s) << testing::PrintToString(lit);
    }
    Str c = QuotedCString(s);
    int32_t p = 1;
    ASSERT_EQ(XUnquotedCStringEx(c, 2, p), s) << testing::PrintToString(c);
    ASSERT_EQ(p, static_cast<int32_t>(c.size()) + 1);
    // Without a digit limit \xHH reads on into a following hex digit; away
    // from that case the plain decoder reads the encoder's output back too.
    bool hexRunOn = false;
    for (size_t i = 0; i + 1 < s.size(); ++i) {
      auto code = static_cast<std::make_unsigned_t<Ch>>(s[i]);
      bool written = code < 32 && (code < 7 || code > 13);
      auto next = static_cast<std::make_unsigned_t<Ch>>(s[i + 1]);
      hexRunOn |= written && IsHexDigit(static_cast<WideChar>(next & 0xFF));
    }
    if (!hexRunOn) {
      ASSERT_EQ(UnquotedCString(c), s) << testing::PrintToString(c);
    }
  }
}

TEST(LiteralRoundTrips, EightBit) {
  CheckRoundTrips<AnsiString>(27);
}
TEST(LiteralRoundTrips, SixteenBit) {
  CheckRoundTrips<UnicodeString>(2027);
}

// The run-on that the note above allows for, pinned so that nobody "fixes" it
// silently in one twin only.
TEST(LiteralRoundTrips, HexEscapeRunsOnWithoutLimit) {
  EXPECT_EQ(UnquotedCString(QuotedCString("\x01"
                                          "A")),
            "\x1a");
  EXPECT_EQ(UnquotedCString(QuotedCString(u"\x01"
                                          "A")),
            u"\x1a");
}

}  // namespace
}  // namespace dz
