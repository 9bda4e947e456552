#include <gtest/gtest.h>

#include <random>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"
#include "support/Lists.h"

namespace dz {
namespace {

using test::Items;

using Delimited = test::EnUs;

TEST_F(Delimited, DelimitedTextQuotesEveryItem) {
  EXPECT_EQ(DelimitedText(TStringList{}, u',', u'\''), u"");
  EXPECT_EQ(DelimitedText(TStringList{u"a,b"}, u',', u'\''), u"'a,b'");
  EXPECT_EQ(DelimitedText(TStringList{u"a", u"it's", u"", u"x\r\n"}, u';', u'\''),
            u"'a';'it''s';'';'x'#13#10");
  EXPECT_EQ(DelimitedText(TStringList{u"\t"}, u',', u'"'), u"\"\"#9");
}

TEST_F(Delimited, ComposeSplitsOutsideQuotesOnly) {
  struct Case {
    std::u16string_view text;
    std::vector<UnicodeString> items;
  } cases[] = {
      {u"   ", {}},
      {u"", {}},
      {u"a,,b", {u"a", u"", u"b"}},
      {u"a,", {u"a", u""}},
      {u",", {u"", u""}},
      {u" a , b ", {u"a", u"b"}},
      {u"\"a,b\",c", {u"a,b", u"c"}},
      {u"\"a\"\"b\",\"\"", {u"a\"b", u""}},
      {u"\"x\"y,z", {u"x", u"z"}},  // reading stops after the literal
      {u"\"ab\"#13#10,#65#66", {u"ab\r\n", u"AB"}},
      {u"\"a,b", {u"a,b"}},                // unterminated: the rest is one item
      {u"'a,b',c", {u"'a", u"b'", u"c"}},  // the apostrophe is no quote here
  };
  for (const auto& c : cases) {
    TStringList list{u"stale"};
    ComposeCommaText(c.text, list);
    EXPECT_EQ(Items(list), c.items) << Utf16ToUtf8(c.text);
  }
}

TEST_F(Delimited, ComposeTextTakesAnyDelimiterAndQuote) {
  TStringList list;
  ComposeText(u"'a;b';c,d", u';', u'\'', list);
  EXPECT_EQ(Items(list), (std::vector<UnicodeString>{u"a;b", u"c,d"}));
  EXPECT_THROW(ComposeText(u"a;#;b", u';', u'\'', list), EConvertError);
}

// Items made of delimiters, quotes, blanks, "#" and controls must come back
// as they went in, whichever of the usual delimiters and quotes is used.
TEST_F(Delimited, ComposeUndoesDelimitedTextForRandomLists) {
  std::mt19937 rng(4711);
  const char16_t alphabet[] = {u'a', u',', u';', u'\'', u'"', u' ', u'\t',  u'\r',  u'\n',
                               0,    0x1F, u'#', u'$',  u'1', 0xE9, 0x20AC, 0xD83D, 0x7F};
  const std::pair<char16_t, char16_t> forms[] = {
      {u',', u'"'}, {u';', u'\''}, {u',', u'\''}, {u'|', u'"'}};
  for (int round = 0; round < 20000; ++round) {
    TStringList list, back;
    const int count = std::uniform_int_distribution<int>(0, 5)(rng);
    for (int i = 0; i < count; ++i) {
      UnicodeString item;
      const int len = std::uniform_int_distribution<int>(0, 6)(rng);
      for (int k = 0; k < len; ++k) item.push_back(alphabet[rng() % std::size(alphabet)]);
      list.Add(item);
    }
    const auto [delimiter, quote] = forms[round % 4];
    const UnicodeString text = DelimitedText(list, delimiter, quote);
    ComposeText(text, delimiter, quote, back);
    ASSERT_EQ(Items(back), Items(list)) << Utf16ToUtf8(text);
  }
}

}  // namespace
}  // namespace dz
