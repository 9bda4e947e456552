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

TEST(SortKeys, WordOrderAgreesPairByPair) {
  const auto lists = WordLists();
  ASSERT_EQ(lists.size(), 14u);
  for (const auto& [which, words] : lists) {
    const auto [lcid, flags] = which;
    std::vector<std::string> keys;
    size_t sameBytes = 0;
    for (const Word& w : words) {
      keys.push_back(Key(lcid, flags, w.text));
      sameBytes += keys.back() == w.key;
    }
    size_t pairs = 0, agree = 0;
    for (size_t i = 0; i < words.size(); ++i) {
      for (size_t j = i + 1; j < words.size(); ++j) {
        ++pairs;
        const int want = Sign(words[i].rank - words[j].rank);
        const int got = Sign(keys[i].compare(keys[j]));
        if (want == got) {
          ++agree;
        } else {
          ADD_FAILURE() << std::hex << lcid << "/" << flags << ": \"" << words[i].text << "\" vs \""
                        << words[j].text << "\": Windows " << want << ", here " << got;
        }
      }
    }
    std::printf("sort keys %04X/%03X: %zu of %zu pairs agree, %zu of %zu keys byte for byte\n",
                lcid, flags, agree, pairs, sameBytes, words.size());
    EXPECT_EQ(agree, pairs);
    EXPECT_EQ(sameBytes, words.size());
  }
}

// GetSortKey's keys (NORM_IGNORECASE, the caller comparing bytewise) put
// the list in Windows' order.
TEST(SortKeys, GetSortKeySortsLikeWindows) {
  for (const LCID lcid : {0x0409u, 0x0407u}) {
    std::vector<Word> words = WordLists()[{lcid, win::LCMAP_SORTKEY | win::NORM_IGNORECASE}];
    ASSERT_FALSE(words.empty());
    std::vector<std::pair<std::string, int>> keyed;
    for (const Word& w : words) {
      AnsiChar* key = nullptr;
      const Integer n = GetSortKey(w.text, lcid, key);
      ASSERT_GT(n, 0) << w.text;
      keyed.emplace_back(std::string(key, static_cast<size_t>(n)), w.rank);
      std::free(key);
    }
    std::reverse(keyed.begin(), keyed.end());  // the sort must do the work
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < keyed.size(); ++i)
      ASSERT_LE(keyed[i - 1].second, keyed[i].second) << std::hex << lcid << " at " << std::dec << i;
  }
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

// The owning form gives the classic key without its zero, so that keys
// compare as strings; a locale the system lacks gives an empty key.
TEST(SortKeys, OwningFormHoldsTheClassicKey) {
  for (const LCID lcid : {0x0409u, 0x0407u}) {
    std::vector<Word> words = WordLists()[{lcid, win::LCMAP_SORTKEY | win::NORM_IGNORECASE}];
    ASSERT_FALSE(words.empty());
    std::vector<std::pair<std::string, int>> keyed;
    for (const Word& w : words) {
      const AnsiString key = GetSortKey(w.text, lcid);
      ASSERT_EQ(key + '\0', w.key) << w.text;
      keyed.emplace_back(key, w.rank);
    }
    std::reverse(keyed.begin(), keyed.end());
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    EXPECT_TRUE(std::is_sorted(keyed.begin(), keyed.end(),
                               [](const auto& a, const auto& b) { return a.second < b.second; }));
  }
  EXPECT_EQ(GetSortKey("abc", 0x7777), "");
}

}  // namespace
}  // namespace dz
