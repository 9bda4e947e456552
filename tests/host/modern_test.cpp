// The modern entry points beside the classic ones: range-for over string
// lists and the Try routines with owning results. Each owning form must
// answer as its classic twin does, and a classic call must still find the
// classic routine.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <optional>
#include <ranges>
#include <type_traits>
#include <utility>
#include <vector>

#include "deziva27/host/Host.h"

namespace dz {
namespace {

// Classic calls (literals, UnicodeString, views) resolve to the classic forms.
template <class S>
concept ClassicTryStaysClassic = requires(S s, int32_t& i, int64_t& l, double& d, TDateTime& t,
                                          const TFormatSettings& fs) {
  { TryStrToInt(s, i) } -> std::same_as<bool>;
  { TryStrToInt64(s, l) } -> std::same_as<bool>;
  { TryStrToFloat(s, d, fs) } -> std::same_as<bool>;
  { TryStrToDateTime(s, t, fs) } -> std::same_as<bool>;
  { TryStrToInt(s) } -> std::same_as<std::optional<int32_t>>;
  { TryStrToDate(s, fs) } -> std::same_as<std::optional<TDateTime>>;
};
static_assert(ClassicTryStaysClassic<const char16_t*>);
static_assert(ClassicTryStaysClassic<UnicodeString>);
static_assert(ClassicTryStaysClassic<std::u16string_view>);
static_assert(std::same_as<decltype(TryEncodeDate(1, 2, 3, std::declval<TDateTime&>())), bool>);
static_assert(std::ranges::random_access_range<const TStringList>);
// The byte-named file routines take a std::filesystem::path as they are (it
// converts to its native std::string); an added path overload would make
// these calls ambiguous or take them over.
static_assert(std::is_constructible_v<TFileStream, std::filesystem::path, uint16_t>);
static_assert(requires(TMemoryStream m, const std::filesystem::path& p, const TResourceModule& r) {
  m.LoadFromFile(p);
  m.SaveToFile(p);
  LoadStringTable(r, p);
  m.LoadFromFile("name");
});
static_assert(std::random_access_iterator<TStrings::const_iterator>);

std::vector<UnicodeString> Walk(const TStrings& list) {
  std::vector<UnicodeString> seen;
  for (const auto& s : list) seen.push_back(s);
  return seen;
}

TEST(TStringsRange, WalksTheStringsAsTheListHoldsThem) {
  TStringList list{u"b", u"a", u"c"};
  EXPECT_EQ(Walk(list), (std::vector<UnicodeString>{u"b", u"a", u"c"}));
  list.Sort();
  EXPECT_EQ(Walk(list), (std::vector<UnicodeString>{u"a", u"b", u"c"}));
  EXPECT_TRUE(Walk(TStringList{}).empty());
  EXPECT_EQ(std::find(list.begin(), list.end(), u"c") - list.begin(), 2);
  EXPECT_EQ(list.end() - list.begin(), list.Count());
  EXPECT_EQ(*(list.end() - 1), u"c");
  EXPECT_EQ(list.begin()[1], u"b");

  // A string set during the loop shows at its index; a delete makes the next
  // step raise instead of reading past the end.
  std::vector<UnicodeString> seen;
  for (const auto& s : list) {
    seen.push_back(s);
    if (seen.size() == 1) list.SetStrings(1, u"B");
  }
  EXPECT_EQ(seen, (std::vector<UnicodeString>{u"a", u"B", u"c"}));
  EXPECT_THROW(for (const auto& s : list) if (s == u"a") list.Delete(0), EListError);
}

TEST(TryOptional, AnswersAsTheClassicForms) {
  TFormatSettings fs;
  fs.DecimalSeparator = u',';
  fs.DateSeparator = u'.';
  fs.ShortDateFormat = u"dd.mm.yyyy";
  const struct {
    const char16_t* text;
    std::optional<int32_t> i;
    std::optional<int64_t> l;
    std::optional<double> f;
    std::optional<TDateTime> date;
  } cases[] = {
      {u" -17", -17, -17, -17.0, {}},   {u"$FFFFFFFF", -1, 0xFFFFFFFF, {}, {}},
      {u"2,5", {}, {}, 2.5, {}},        {u"2147483648", {}, 2147483648, 2147483648.0, {}},
      {u"29.02.2024", {}, {}, {}, 45351}, {u"31.02.2024", {}, {}, {}, {}}, {u"", {}, {}, {}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TryStrToInt(c.text), c.i) << UTF8Encode(c.text);
    EXPECT_EQ(TryStrToInt64(c.text), c.l) << UTF8Encode(c.text);
    EXPECT_EQ(TryStrToFloat(c.text, fs), c.f) << UTF8Encode(c.text);
    EXPECT_EQ(TryStrToDate(c.text, fs), c.date) << UTF8Encode(c.text);
    EXPECT_EQ(TryStrToDateTime(c.text, fs), c.date) << UTF8Encode(c.text);
  }
  EXPECT_EQ(TryStrToTime(u"18:30", fs), EncodeTime(18, 30, 0, 0));
  EXPECT_EQ(TryStrToTime(u"25:00", fs), std::nullopt);

  const struct {
    Word a, b, c, d;
    std::optional<TDateTime> date, time;
  } parts[] = {
      {2000, 2, 29, 0, 36585, {}}, {1900, 2, 29, 0, {}, {}},
      {12, 30, 59, 999, {}, EncodeTime(12, 30, 59, 999)}, {23, 59, 60, 0, {}, {}},
  };
  for (const auto& p : parts) {
    EXPECT_EQ(TryEncodeDate(p.a, p.b, p.c), p.date) << p.a << "-" << p.b << "-" << p.c;
    EXPECT_EQ(TryEncodeTime(p.a, p.b, p.c, p.d), p.time) << p.a << ":" << p.b << ":" << p.c;
  }
}

}  // namespace
}  // namespace dz
