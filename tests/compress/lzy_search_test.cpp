// The candidate chains keep positions in 32 bits relative to a moving base:
// the same data seen far into a stream (past 2 and 4 GiB) must give the
// match it gives at the start, and a link left from before the base moved
// must never come back as a candidate.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "LzyTestUtil.h"
#include "deziva27/compress/detail/LZSearch.h"

namespace dz::test {
namespace {

using detail::Dictionary;
using detail::FindMatch;

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
  struct Case {
    const char* Kind;
    int64_t Origin;
  };
  const Case cases[] = {
      {"words", (int64_t{1} << 30) - 5},  // the first rebase falls inside the data
      {"small", (int64_t{1} << 31) + 3},  // past what 32 bits hold signed
      {"runs", (int64_t{5} << 30) + 77},  // past 4 GiB, several bases later
      {"words", (int64_t{1} << 40)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Kind) + " at " + std::to_string(c.Origin));
    const std::string data = MakeData(c.Kind, 20000, 7);
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
        if (c.Origin >= back + 4000) Parse(noise, c.Origin - back, *farDict);
      }
      EXPECT_EQ(Parse(data, c.Origin, *farDict), expected) << backs.size() << " noise runs";
    }
  }
}

}  // namespace
}  // namespace dz::test
