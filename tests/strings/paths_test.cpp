#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"

namespace dz {
namespace {

TEST(Padding, CutsToWidthFromTheStartOnBothSides) {
  const std::tuple<const char*, int32_t, char, const char*, const char*> cases[] = {
      {"abc", 5, '*', "abc**", "**abc"}, {"abcdef", 3, '0', "abc", "abc"},
      {"abc", 3, '0', "abc", "abc"},     {"abc", 0, '0', "", ""},
      {"abc", -2, '0', "", ""},          {"", 2, '.', "..", ".."},
  };
  for (const auto& [s, width, c, right, left] : cases) {
    SCOPED_TRACE(std::string(s) + " " + std::to_string(width));
    EXPECT_EQ(Padr(s, width, c), right);
    EXPECT_EQ(Padl(s, width, c), left);
    EXPECT_EQ(Padr(ToUnicode(s), width, static_cast<WideChar>(c)), ToUnicode(right));
    EXPECT_EQ(Padl(ToUnicode(s), width, static_cast<WideChar>(c)), ToUnicode(left));
  }
  // Repetition: counts below one give nothing.
  for (int32_t n : {0, -1}) {
    EXPECT_EQ(SpaceW(n), u"");
    EXPECT_EQ(Replicate('*', n), "");
    EXPECT_EQ(ReplicateStr("ab", n), "");
  }
  EXPECT_EQ(SpaceW(3), u"   ");
  EXPECT_EQ(ReplicateStr("ab", 3), "ababab");
}

using CaseAndCounting = test::EnUs;

TEST_F(CaseAndCounting, CapitalizeFirst) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"hELLO wORLD", u"Hello world"},     {u"", u""},
      {u"x", u"X"},                         {u"1ABC", u"1abc"},
      {u"\u00e9COLE", u"\u00c9cole"},       {u"\u0436\u0416", u"\u0416\u0436"},
      {u"\u00dfA", u"SSa"},
      {u"\U00010428\U00010400", u"\U00010400\U00010428"},  // Deseret: a pair stays whole
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(in));
    EXPECT_EQ(CapitalizeFirst(in), out);
  }
  EXPECT_EQ(CapitalizeFirst("hELLO"), "Hello");
  EXPECT_EQ(CapitalizeFirst(ToAnsi(u"\u00e9COLE")), ToAnsi(u"\u00c9cole"));
}

TEST(FileNames, ExtensionRules) {
  // The name, OnlyFileName, YChangeFileExt(".bak") and YExtractFileExt.
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {R"(C:\dir.old\file.tar.gz)", R"(C:\dir.old\file)", R"(C:\dir.old\file.bak)",
       ".old\\file.tar.gz"},
      {R"(C:\dir.old\file)", R"(C:\dir.old\file)", R"(C:\dir.old\file.bak)", ".old\\file"},
      {R"(C:\a\report.txt)", R"(C:\a\report)", R"(C:\a\report.bak)", ".txt"},
      {".profile", "", ".bak", ".profile"},  {"a.tar.gz", "a", "a.bak", ".tar.gz"},
      {"name", "name", "name.bak", ""},      {"", "", ".bak", ""},
      {R"(dir\.hidden)", "dir\\", "dir\\.bak", ".hidden"},
      {"a/b.c/d", "a/b", "a/b.bak", ".c/d"},  // a slash separates nothing
      {R"(dir\)", R"(dir\)", R"(dir\.bak)", ""},
  };
  for (const auto& [name, only, changed, ext] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(OnlyFileName(name), only);
    EXPECT_EQ(YChangeFileExt(name, ".bak"), changed);
    EXPECT_EQ(YExtractFileExt(name), ext);
    EXPECT_EQ(OnlyFileName(ToUnicode(name)), ToUnicode(only));
    EXPECT_EQ(YChangeFileExt(ToUnicode(name), u".bak"), ToUnicode(changed));
    EXPECT_EQ(YExtractFileExt(ToUnicode(name)), ToUnicode(ext));
  }
  EXPECT_EQ(YChangeFileExt("a.tar.gz", ".zip"), "a.zip");
}

// The joins side by side: where a row's twins agree the two columns match.
TEST(Paths, JoinsDifferBetweenTwins) {
  const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
      {R"(C:\a)", "b", "\\", R"(C:\a\b)", R"(C:\a\b)"},
      {R"(C:\a\)", "b", "\\", R"(C:\a\b)", R"(C:\a\b)"},
      {R"(C:\a)", R"(\b)", "\\", R"(C:\a\b)", R"(C:\a\b)"},
      {R"(C:\a\)", R"(\b)", "\\", R"(C:\a\b)", R"(C:\a\\b)"},
      {"", "b", "\\", "b", "b"},       {"a", "", "\\", "a", "a"},
      {"a", "b", "/", "a/b", "a/b"},   {"a/", "/b", "/", "a/b", "a//b"},
      {"a/", "b", "/", "a/b", "a/b"},  {"a", "/b", "/", "a/b", "a/b"},
      {"a", "b", "", "ab", "ab"},      {R"(a\)", "b", "/", R"(a\/b)", R"(a\b)"},
      {"a::", "b", "::", "a::::b", "a::b"},  // the 8-bit twin sees no two-character separator
  };
  for (const auto& [first, second, separator, narrow, wide] : cases) {
    SCOPED_TRACE(std::string(first) + " + " + second + " by " + separator);
    EXPECT_EQ(XConcPath(first, second, separator), narrow);
    EXPECT_EQ(XConcPath(ToUnicode(first), ToUnicode(second), ToUnicode(separator)),
              ToUnicode(wide));
    if (std::string_view(separator) != "\\") continue;
    EXPECT_EQ(ConcPath(first, second), narrow);
    EXPECT_EQ(ConcPath(ToUnicode(first), ToUnicode(second)), ToUnicode(wide));
  }
  EXPECT_EQ(FixPath(R"(C:\temp)"), R"(C:\temp\)");
  EXPECT_EQ(FixPath(u"C:\\temp\\"), u"C:\\temp\\");
  EXPECT_EQ(FixPath(""), "");
  EXPECT_EQ(ConcNames("Table", "Field"), "Table.Field");
  EXPECT_EQ(ConcNames(u"", u"x"), u"x");
  EXPECT_EQ(ConcNames("x", ""), "x");
}

}  // namespace
}  // namespace dz
