#include <gtest/gtest.h>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"

namespace dz {
namespace {

TEST(Repetition, CountsBelowOneGiveNothing) {
  for (int32_t n : {0, -1}) {
    EXPECT_EQ(SpaceW(n), u"");
    EXPECT_EQ(Replicate('*', n), "");
    EXPECT_EQ(ReplicateStr("ab", n), "");
  }
  EXPECT_EQ(SpaceW(3), u"   ");
  EXPECT_EQ(ReplicateStr("ab", 3), "ababab");
}

TEST(Padding, CutsToWidthFromTheStartOnBothSides) {
  const struct {
    const char* s;
    int32_t width;
    char c;
    const char *right, *left;
  } cases[] = {
      {"abc", 5, '*', "abc**", "**abc"}, {"abcdef", 3, '0', "abc", "abc"},
      {"abc", 3, '0', "abc", "abc"},     {"abc", 0, '0', "", ""},
      {"abc", -2, '0', "", ""},          {"", 2, '.', "..", ".."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.s) + " " + std::to_string(c.width));
    EXPECT_EQ(Padr(c.s, c.width, c.c), c.right);
    EXPECT_EQ(Padl(c.s, c.width, c.c), c.left);
    EXPECT_EQ(Padr(ToUnicode(c.s), c.width, static_cast<WideChar>(c.c)), ToUnicode(c.right));
    EXPECT_EQ(Padl(ToUnicode(c.s), c.width, static_cast<WideChar>(c.c)), ToUnicode(c.left));
  }
}

using CaseAndCounting = test::EnUs;

TEST_F(CaseAndCounting, CapitalizeFirst) {
  const struct {
    const char16_t *in, *out;
  } cases[] = {
      {u"hELLO wORLD", u"Hello world"},
      {u"", u""},
      {u"x", u"X"},
      {u"1ABC", u"1abc"},
      {u"\u00e9COLE", u"\u00c9cole"},
      {u"\u0436\u0416", u"\u0416\u0436"},
      {u"\U00010428\U00010400", u"\U00010400\U00010428"},  // Deseret: a pair stays whole
      {u"\u00dfA", u"SSa"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.in));
    EXPECT_EQ(CapitalizeFirst(c.in), c.out);
  }
  EXPECT_EQ(CapitalizeFirst("hELLO"), "Hello");
  EXPECT_EQ(CapitalizeFirst(ToAnsi(u"\u00e9COLE")), ToAnsi(u"\u00c9cole"));
}

TEST(FileNames, ExtensionRules) {
  const struct {
    const char* name;
    const char *only, *changed, *ext;  // OnlyFileName, YChangeFileExt(".bak"), YExtractFileExt
  } cases[] = {
      {R"(C:\dir.old\file.tar.gz)", R"(C:\dir.old\file)", R"(C:\dir.old\file.bak)",
       ".old\\file.tar.gz"},
      {R"(C:\dir.old\file)", R"(C:\dir.old\file)", R"(C:\dir.old\file.bak)", ".old\\file"},
      {".profile", "", ".bak", ".profile"},
      {R"(C:\a\report.txt)", R"(C:\a\report)", R"(C:\a\report.bak)", ".txt"},
      {"a.tar.gz", "a", "a.bak", ".tar.gz"},
      {"name", "name", "name.bak", ""},
      {"noext", "noext", "noext.bak", ""},
      {"", "", ".bak", ""},
      {R"(dir\.hidden)", "dir\\", "dir\\.bak", ".hidden"},
      {"a/b.c/d", "a/b", "a/b.bak", ".c/d"},  // a slash separates nothing
      {R"(dir\)", R"(dir\)", R"(dir\.bak)", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(OnlyFileName(c.name), c.only);
    EXPECT_EQ(YChangeFileExt(c.name, ".bak"), c.changed);
    EXPECT_EQ(YExtractFileExt(c.name), c.ext);
    EXPECT_EQ(OnlyFileName(ToUnicode(c.name)), ToUnicode(c.only));
    EXPECT_EQ(YChangeFileExt(ToUnicode(c.name), u".bak"), ToUnicode(c.changed));
    EXPECT_EQ(YExtractFileExt(ToUnicode(c.name)), ToUnicode(c.ext));
  }
  EXPECT_EQ(YChangeFileExt("a.tar.gz", ".zip"), "a.zip");
}

TEST(Paths, FixPathAndConcNames) {
  EXPECT_EQ(FixPath(R"(C:\temp)"), R"(C:\temp\)");
  EXPECT_EQ(FixPath(u"C:\\temp\\"), u"C:\\temp\\");
  EXPECT_EQ(FixPath(""), "");
  EXPECT_EQ(ConcNames("Table", "Field"), "Table.Field");
  EXPECT_EQ(ConcNames(u"", u"x"), u"x");
  EXPECT_EQ(ConcNames("x", ""), "x");
}

// The joins side by side: where a row's twins agree the two columns match.
TEST(Paths, JoinsDifferBetweenTwins) {
  const struct {
    const char *first, *second, *separator, *narrow, *wide;
  } cases[] = {
      {R"(C:\a)", "b", "\\", R"(C:\a\b)", R"(C:\a\b)"},
      {R"(C:\a\)", "b", "\\", R"(C:\a\b)", R"(C:\a\b)"},
      {R"(C:\a)", R"(\b)", "\\", R"(C:\a\b)", R"(C:\a\b)"},
      {R"(C:\a\)", R"(\b)", "\\", R"(C:\a\b)", R"(C:\a\\b)"},
      {"", "b", "\\", "b", "b"},
      {"a", "", "\\", "a", "a"},
      {"a", "b", "/", "a/b", "a/b"},
      {"a/", "/b", "/", "a/b", "a//b"},
      {"a/", "b", "/", "a/b", "a/b"},
      {"a", "/b", "/", "a/b", "a/b"},
      {R"(a\)", "b", "/", R"(a\/b)", R"(a\b)"},
      {"a::", "b", "::", "a::::b", "a::b"},  // the 8-bit twin sees no two-character separator
      {"a", "b", "", "ab", "ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " + " + c.second + " by " + c.separator);
    EXPECT_EQ(XConcPath(c.first, c.second, c.separator), c.narrow);
    EXPECT_EQ(XConcPath(ToUnicode(c.first), ToUnicode(c.second), ToUnicode(c.separator)),
              ToUnicode(c.wide));
    if (std::string_view(c.separator) == "\\") {
      EXPECT_EQ(ConcPath(c.first, c.second), c.narrow);
      EXPECT_EQ(ConcPath(ToUnicode(c.first), ToUnicode(c.second)), ToUnicode(c.wide));
    }
  }
}

}  // namespace
}  // namespace dz
