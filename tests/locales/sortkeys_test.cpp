// Sort keys against the recorded Windows answers: the order of a word list,
// pair by pair, the key of every character the tables hold, and the size
// protocol.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "deziva27/locales/YLocales.h"
#include "deziva27/platform/detail/LocaleText.h"
#include "deziva27/platform/detail/SortKeys.h"
#include "tests/support/Oracle.h"

namespace dz {
namespace {

namespace oracle = test::oracle;

std::string Key(LCID lcid, uint32_t flags, const std::string& s) {
  const int size = win::LCMapStringA(lcid, flags, s.c_str(), -1, nullptr, 0);
  std::string key(static_cast<size_t>(std::max(size, 0)), '\0');
  const int got = win::LCMapStringA(lcid, flags, s.c_str(), -1, key.data(), size);
  EXPECT_EQ(got, size) << "size query and written size differ";
  return key;
}

int Sign(int v) { return (v > 0) - (v < 0); }

struct Word {
  std::string text, key;  // the key Windows gave
  int rank;
};

// The recorded lists by (locale, flags), each in Windows' order.
std::map<std::pair<LCID, uint32_t>, std::vector<Word>> WordLists() {
  std::map<std::pair<LCID, uint32_t>, std::vector<Word>> lists;
  for (const oracle::Row& r : oracle::Rows("sortkeys_words.txt"))
    lists[{oracle::Hex(r[0]), oracle::Hex(r[1])}].push_back(
        {oracle::HexBytes(r[3]), oracle::HexBytes(r[4]), std::atoi(r[2].c_str())});
  return lists;
}

// Windows' keys byte for byte; and since each list is in Windows' order,
// neighbours comparing as Windows ranked them puts every pair in order.
TEST(SortKeys, WordOrderAgrees) {
  const auto lists = WordLists();
  ASSERT_EQ(lists.size(), 14u);
  for (const auto& [which, words] : lists) {
    const auto [lcid, flags] = which;
    size_t sameBytes = 0;
    std::string last;
    for (size_t i = 0; i < words.size(); ++i) {
      const std::string key = Key(lcid, flags, words[i].text);
      sameBytes += key == words[i].key;
      if (i > 0) {
        EXPECT_EQ(Sign(last.compare(key)), Sign(words[i - 1].rank - words[i].rank))
            << std::hex << lcid << "/" << flags << ": \"" << words[i - 1].text << "\" vs \""
            << words[i].text << "\"";
      }
      last = key;
    }
    std::printf("sort keys %04X/%03X: %zu of %zu keys byte for byte\n", lcid, flags, sameBytes,
                words.size());
    EXPECT_EQ(sameBytes, words.size());
  }
}

// GetSortKey (NORM_IGNORECASE) gives Windows' keys, whose order the test
// above holds: the classic form with their zero, the owning form without it,
// so that keys compare as strings. A locale the system lacks gives no key
// and leaves the caller's pointer alone.
TEST(SortKeys, GetSortKeyGivesWindowsKeys) {
  for (const LCID lcid : {0x0409u, 0x0407u}) {
    const std::vector<Word> words = WordLists()[{lcid, win::LCMAP_SORTKEY | win::NORM_IGNORECASE}];
    ASSERT_FALSE(words.empty());
    for (const Word& w : words) {
      AnsiChar* key = nullptr;
      const Integer n = GetSortKey(w.text, lcid, key);
      ASSERT_GT(n, 0) << w.text;
      EXPECT_EQ(std::string(key, static_cast<size_t>(n)), w.key) << w.text;
      std::free(key);
      EXPECT_EQ(GetSortKey(w.text, lcid) + '\0', w.key) << w.text;
    }
  }
  EXPECT_EQ(GetSortKey("abc", 0x7777), "");
  AnsiChar* untouched = reinterpret_cast<AnsiChar*>(0x1);
  EXPECT_EQ(GetSortKey("x", 0x7777, untouched), 0);
  EXPECT_EQ(untouched, reinterpret_cast<AnsiChar*>(0x1));
}

// Each character's key as Windows gives it alone: the runs of the weight
// table stepped through, and the characters and pairs a locale weighs
// otherwise.
TEST(SortKeys, EveryCharacterAlone) {
  size_t chars = 0, same = 0;
  auto check = [&](LCID lcid, const std::u16string& text, std::string want) {
    ++chars;
    want += '\0';
    if (win::detail::sortkey::Build(lcid, text, false) == want) ++same;
    else ADD_FAILURE() << std::hex << lcid << " U+" << static_cast<unsigned>(text[0]);
  };
  for (const oracle::Row& r : oracle::Rows("sortkeys_chars.txt")) {
    if (r[0] == "first") continue;
    const uint32_t first = oracle::Hex(r[0]);
    const int count = std::atoi(r[1].c_str()), delta = std::atoi(r[3].c_str());
    const std::string key = oracle::HexBytes(r[4]);
    for (int i = 0; i < count; ++i) {
      std::string want = key;
      const size_t p = want.find('\x01');
      if (i > 0 && p != std::string::npos && p >= 2) {
        const unsigned v = (static_cast<unsigned char>(want[p - 2]) << 8 |
                            static_cast<unsigned char>(want[p - 1])) + static_cast<unsigned>(i * delta);
        want[p - 2] = static_cast<char>(v >> 8 & 0xFF);
        want[p - 1] = static_cast<char>(v & 0xFF);
      }
      check(0x0409, std::u16string(1, static_cast<char16_t>(first + static_cast<uint32_t>(i))), want);
    }
  }
  for (const oracle::Row& r : oracle::Rows("sortkeys_locales.txt"))
    if (r[1] != "*") check(oracle::Hex(r[0]), oracle::HexUnits(r[1]), oracle::HexBytes(r[3]));
  std::printf("sort keys: %zu of %zu characters and pairs alone as recorded\n", same, chars);
}

TEST(SortKeys, SizeProtocolAndRefusals) {
  constexpr uint32_t kKey = win::LCMAP_SORTKEY | win::NORM_IGNORECASE;
  const int n = win::LCMapStringA(0x0409, kKey, "co-op", -1, nullptr, 0);
  ASSERT_GT(n, 0);
  std::string key(static_cast<size_t>(n), '#');
  EXPECT_EQ(win::LCMapStringA(0x0409, kKey, "co-op", -1, key.data(), n - 1), 0);
  EXPECT_EQ(win::LCMapStringA(0x0409, kKey, "co-op", -1, key.data(), n), n);
  // A count that takes in the zero gives the same key as -1.
  std::string counted(static_cast<size_t>(n), '#');
  EXPECT_EQ(win::LCMapStringA(0x0409, kKey, "co-op", 6, counted.data(), n), n);
  EXPECT_EQ(counted, key);
  struct Refused {
    LCID lcid;
    uint32_t flags;
    int cchSrc;
  } refused[] = {{0x7777, kKey, -1}, {0x0409, 0x0100, -1}, {0x0409, kKey | 0x0200, -1},
                 {0x0409, kKey, 0}, {0x0409, kKey, -2}};
  for (const Refused& r : refused)
    EXPECT_EQ(win::LCMapStringA(r.lcid, r.flags, "abc", r.cchSrc, nullptr, 0), 0) << std::hex << r.lcid;
}

}  // namespace
}  // namespace dz
