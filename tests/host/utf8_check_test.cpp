// InvalidUtf8At: the offset of the first ill-formed byte, at each of the
// boundaries where a sequence stops being well formed.
#include <gtest/gtest.h>

#include <string_view>

#include "deziva27/base/Utf.h"

namespace dz {
namespace {

TEST(InvalidUtf8At, FindsTheFirstIllFormedSequence) {
  constexpr size_t kValid = std::string_view::npos;
  const struct {
    std::string_view Bytes;
    size_t At;
  } cases[] = {
      {"", kValid},
      {"a\x7F", kValid},
      {"\xC2\x80\xDF\xBF", kValid},                  // 2 bytes, first and last
      {"\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80", kValid},  // 3 bytes around the surrogates
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", kValid},  // 4 bytes, U+10000 and U+10FFFF
      {"ab\xC0\xAF", 2},                             // overlong '/'
      {"ab\xC1\xBF", 2},
      {"a\xE0\x9F\xBF", 1},                          // overlong 3-byte form
      {"a\xF0\x8F\xBF\xBF", 1},                      // overlong 4-byte form
      {"xy\xED\xA0\x80", 2},                         // U+D800
      {"\xED\xBF\xBF", 0},                           // U+DFFF
      {"\xF4\x90\x80\x80", 0},                       // U+110000
      {"\xF5\x80\x80\x80", 0},
      {"\xFF", 0},
      {"ok\xC3", 2},                                 // cut short at the end
      {"ok\xE2\x82", 2},
      {"ok\xF0\x9F\x98", 2},
      {"\xE2\x82" "a", 0},                           // cut short by ASCII
      {"\xC3\xA9\x80", 2},                           // stray continuation
      {"a\xBF", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.Bytes)));
    EXPECT_EQ(InvalidUtf8At(c.Bytes), c.At);
  }
}

}  // namespace
}  // namespace dz
