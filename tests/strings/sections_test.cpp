#include <gtest/gtest.h>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"
#include "support/Lists.h"

namespace dz {
namespace {

using test::Items;

class Sections : public test::EnUs {
 protected:
  // Line 2 is empty, line 4 starts with two blanks.
  TStringList ini{u"[General]", u"Name=Foo", u"", u"; note", u"  [Other]", u"X=1"};
};

// Values keep their blanks and blank lines are skipped; an empty section
// ends at its header; an unclosed bracket ends a section but is no header.
TEST_F(Sections, ReadSectionValuesReturnsTheLastLineOfTheSection) {
  const TStringList blanks{u"[s]", u"  a = 1 \t", u" \t ", u"\x01", u"b"};
  const TStringList headers{u"[a]", u"[b]", u"x", u"[c]"};
  const TStringList unclosed{u"[a]", u"1", u"[x", u"2", u"[]"};
  const TStringList none;
  struct Case {
    const TStringList& list;
    std::u16string_view name;
    std::vector<UnicodeString> values;
    int32_t result;
  } cases[] = {
      {ini, u"general", {u"Name=Foo", u"; note"}, 3},
      {ini, u"Other", {u"X=1"}, 5},
      {ini, u"Missing", {}, 5},
      {ini, u" General", {}, 5},  // blanks inside the brackets count
      {blanks, u"S", {u"  a = 1 \t", u"b"}, 4},
      {headers, u"a", {}, 0},
      {headers, u"c", {}, 3},
      {headers, u"b", {u"x"}, 2},
      {unclosed, u"a", {u"1"}, 1},
      {unclosed, u"x", {}, 4},
      {none, u"a", {}, -1},
  };
  for (const auto& c : cases) {
    TStringList values{u"stale"};
    EXPECT_EQ(ReadSLSectionValues(c.list, c.name, values), c.result) << Utf16ToUtf8(c.name);
    EXPECT_EQ(Items(values), c.values) << Utf16ToUtf8(c.name);
  }
  TStringList names{u"kept"};
  ReadSLSections(unclosed, names);
  ReadSLSections(none, names);
  EXPECT_EQ(Items(names), (std::vector<UnicodeString>{u"kept", u"a", u""}));
  EXPECT_EQ(XGetSLSectionIndex(0, none, u"a"), -1);
}

TEST_F(Sections, ReadSectionsAppendsInOrderWithDuplicates) {
  TStringList names;
  ReadSLSections(ini, names);
  ReadSLSections(TStringList{u"[ a ]", u"[b]x", u"[A]", u" [ a ] "}, names);
  EXPECT_EQ(Items(names), (std::vector<UnicodeString>{u"General", u"Other", u" a ", u"A", u" a "}));
}

TEST_F(Sections, SectionIndexWrapsAroundOnce) {
  struct Case {
    int32_t start;
    std::u16string_view name;
    int32_t result;
  } cases[] = {
      {5, u"General", 0}, {0, u"Missing", -1}, {99, u"Other", 4},
      {0, u"other", 4},   {4, u"Other", 4},    {6, u"Missing", -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(XGetSLSectionIndex(c.start, ini, c.name), c.result) << c.start;
  EXPECT_THROW(XGetSLSectionIndex(-1, ini, u"General"), EListError);
}

TEST_F(Sections, FirstOfTwoEqualHeadersWinsAfterTheStartLine) {
  TStringList list{u"[a]", u"1", u"[A]", u"2"};
  TStringList values;
  EXPECT_EQ(XGetSLSectionIndex(1, list, u"a"), 2);
  EXPECT_EQ(XReadSLSectionValues(1, list, u"a", values), 3);
  EXPECT_EQ(Items(values), (std::vector<UnicodeString>{u"2"}));
  EXPECT_EQ(XReadSLSectionValues(3, list, u"a", values), 1);  // wrapped to the first
  EXPECT_EQ(Items(values), (std::vector<UnicodeString>{u"1"}));
}

TEST_F(Sections, XReadMissingSectionReturnsTheStartLine) {
  TStringList values{u"stale"};
  EXPECT_EQ(XReadSLSectionValues(2, ini, u"Missing", values), 2);
  EXPECT_EQ(values.Count(), 0);
  EXPECT_EQ(XReadSLSectionValues(99, ini, u"Missing", values), 99);
  EXPECT_EQ(XReadSLSectionValues(5, ini, u"GENERAL", values), 3);
}

}  // namespace
}  // namespace dz
