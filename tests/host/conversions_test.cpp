#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

#include "deziva27/base/Utf.h"
#include "deziva27/host/Host.h"
#include "deziva27/platform/detail/CodePages.h"
#include "support/Locale.h"

namespace dz {
namespace {

// The whole program, every file of it, starts under en-US (code page 1252).
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new test::PinnedLocale);

TEST(SystemLocale, EnvironmentNamesMapToIdentifiersAndCodePages) {
  const std::tuple<const char*, LCID, uint32_t> cases[] = {
      {"en-US", 0x0409, 1252}, {"ru_RU.UTF-8", 0x0419, 1251}, {"de-DE", 0x0407, 1252},
      {"pl_PL", 0x0415, 1250}, {"el-GR", 0x0408, 1253},       {"tr-TR", 0x041F, 1254},
      {"ja-JP", 0x0411, 932},  {"zh-TW", 0x0404, 950},        {"C", 0x0409, 1252},
      {"ru", 0x0419, 1251},    {"POSIX", 0x0409, 1252},
  };
  for (const auto& [name, lcid, acp] : cases) {
    test::LocaleScope scope(name);
    ASSERT_TRUE(scope.ok()) << name;
    EXPECT_EQ(win::GetSystemDefaultLCID(), lcid) << name;
    EXPECT_EQ(win::GetACP(), acp) << name;
  }
  // An unknown name changes nothing.
  EXPECT_FALSE(win::SetSystemLocale("xx-not-a-locale-at-all"));
  EXPECT_EQ(win::GetSystemDefaultLCID(), 0x0409u);
}

TEST(AnsiConversion, FollowsTheCodePageOfTheSystemLocale) {
  const std::string cp1252 = "caf\xE9 \x80";  // é and the euro sign
  EXPECT_EQ(ToUnicode(cp1252), u"caf\u00E9 \u20AC");
  EXPECT_EQ(ToAnsi(u"caf\u00E9 \u20AC"), cp1252);
  {
    test::LocaleScope ru("ru-RU");
    EXPECT_EQ(ToUnicode("\xCF\xF0\xE8\xE2\xE5\xF2"), u"Привет");
    EXPECT_EQ(ToAnsi(u"Привет"), "\xCF\xF0\xE8\xE2\xE5\xF2");
    // é has no place in 1251: Windows writes its best fit.
    EXPECT_EQ(ToAnsi(u"\u00E9"), "e");
  }
  EXPECT_EQ(ToAnsi(u"\u0416"), "?");  // Ж is not in 1252, nor anything like it
  // Explicit code pages.
  EXPECT_EQ(CodePageToUnicode("\x82\xA0", 932), u"\u3042");  // Shift-JIS hiragana a
  EXPECT_EQ(UnicodeToCodePage(u"\u3042", 932), "\x82\xA0");
  EXPECT_EQ(CodePageToUnicode("\xC1", 20866), u"\u0430");  // KOI8-R а
  EXPECT_EQ(UnicodeToCodePage(u"\U0001F600", 65001), "\xF0\x9F\x98\x80");
  EXPECT_THROW(CodePageToUnicode("x\x80", 12345), EConvertError);
}

// UTF-8 as the ANSI code page: the 8-bit routines that go through it read
// and write UTF-8, and everything returns when the choice is taken back.
TEST(AnsiConversion, Utf8AsTheAnsiCodePage) {
  ASSERT_TRUE(win::SetAnsiCodePage(CP_UTF8));
  EXPECT_EQ(win::GetACP(), CP_UTF8);
  const std::tuple<const char*, AnsiString, AnsiString> cases[] = {
      {"to UTF-16 and back", ToAnsi(ToUnicode("\xD0\x96\xC3\xA9\xF0\x9F\x98\x80")),
       "\xD0\x96\xC3\xA9\xF0\x9F\x98\x80"},
      {"upper case", AnsiUpperCase(std::string("\xD0\xB6uk caf\xC3\xA9 stra\xC3\x9F" "e")),
       "\xD0\x96UK CAF\xC3\x89 STRASSE"},
      {"lower case", AnsiLowerCase(std::string("\xC3\x89" "COLE \xD0\x96")),
       "\xC3\xA9" "cole \xD0\xB6"},
      {"a byte that is no text", ToAnsi(ToUnicode("a\xFF")), "a\xEF\xBF\xBD"},
      {"ASCII only, byte by byte", UpperCase(std::string("\xC3\xA9")), "\xC3\xA9"},
  };
  for (const auto& [what, got, want] : cases) EXPECT_EQ(got, want) << what;
  EXPECT_EQ(AnsiCompareText(std::string("\xC3\x89" "COLE"), std::string("\xC3\xA9" "cole")), 0);
  EXPECT_LT(AnsiCompareText(std::string("\xC3\xA9t\xC3\xA9"), std::string("\xC3\xA9tude")), 0);
  // Not every code page can be an ANSI one.
  for (uint32_t cp : {1u, 3u, 65000u, 28600u, 1200u}) EXPECT_FALSE(win::SetAnsiCodePage(cp)) << cp;
  EXPECT_EQ(win::GetACP(), CP_UTF8);
  ASSERT_TRUE(win::SetAnsiCodePage(0));
  EXPECT_EQ(win::GetACP(), 1252u);
  EXPECT_EQ(ToUnicode("\xC3\xA9"), u"\u00C3\u00A9");
}

TEST(Utf8, DecodeRejectsIllFormedInput) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"", u""}, {"abc", u"abc"}, {"\xD0\x96", u"\u0416"}, {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xC0\xAF", u""},          // overlong slash
      {"\xED\xA0\x80", u""},      // encoded surrogate
      {"\xE2\x82", u""},          // cut short
      {"\xF4\x90\x80\x80", u""},  // beyond U+10FFFF
      {"a\x80", u""},             // stray continuation byte
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(UTF8Decode(in), out) << in;
  EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\uFFFDz");
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // lone surrogate
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600\u00E9"), "\xF0\x9F\x98\x80\xC3\xA9");
}

// InvalidUtf8At: the offset of the first ill-formed byte, at each of the
// boundaries where a sequence stops being well formed.
TEST(InvalidUtf8At, FindsTheFirstIllFormedSequence) {
  constexpr size_t kValid = std::string_view::npos;
  const std::pair<std::string_view, size_t> cases[] = {
      {"", kValid}, {"a\x7F", kValid},
      {"\xC2\x80\xDF\xBF", kValid},                      // 2 bytes, first and last
      {"\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80", kValid},  // 3 bytes around the surrogates
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", kValid},      // 4 bytes, U+10000 and U+10FFFF
      {"ab\xC0\xAF", 2}, {"ab\xC1\xBF", 2},               // overlong '/' and 2-byte forms
      {"a\xE0\x9F\xBF", 1},                              // overlong 3-byte form
      {"a\xF0\x8F\xBF\xBF", 1},                          // overlong 4-byte form
      {"xy\xED\xA0\x80", 2}, {"\xED\xBF\xBF", 0},          // U+D800, U+DFFF
      {"\xF4\x90\x80\x80", 0}, {"\xF5\x80\x80\x80", 0}, {"\xFF", 0},  // past U+10FFFF
      {"ok\xC3", 2}, {"ok\xE2\x82", 2}, {"ok\xF0\x9F\x98", 2},  // cut short at the end
      {"\xE2\x82" "a", 0},                               // cut short by ASCII
      {"\xC3\xA9\x80", 2}, {"a\xBF", 1},                  // stray continuation
  };
  for (const auto& [bytes, at] : cases)
    EXPECT_EQ(InvalidUtf8At(bytes), at) << ::testing::PrintToString(std::string(bytes));
}

// The plain routines fold ASCII letters only; the Ansi and Wide ones use the
// locale's full mapping.
TEST(Case, AsciiRoutinesFoldAsciiOnlyLocaleRoutinesFully) {
  EXPECT_EQ(UpperCase(u"abz\u00E9\u0436"), u"ABZ\u00E9\u0436");
  EXPECT_EQ(LowerCase(std::string("ABZ\xC9")), "abz\xC9");
  EXPECT_EQ(AnsiUpperCase(u"straße"), u"STRASSE");
  EXPECT_EQ(WideLowerCase(u"ÀÉÎ Ж"), u"àéî ж");
  EXPECT_EQ(AnsiUpperCase(std::string("caf\xE9")), "CAF\xC9");
  EXPECT_EQ(CompareText(u"Hello", u"hELLO"), 0);
  EXPECT_NE(CompareText(u"\u00E9", u"\u00C9"), 0);
  EXPECT_LT(CompareText(u"abc", u"abd"), 0);
  EXPECT_GT(CompareText(u"abcd", u"ABC"), 0);
  EXPECT_GT(CompareText(u"a_", u"aZ"), 0);  // '_' sorts after the letters once upper-cased
  EXPECT_EQ(AnsiCompareText(u"ÉCOLE", u"école"), 0);
  EXPECT_NE(AnsiCompareText(u"ecole", u"école"), 0);  // accents still count
  EXPECT_EQ(WideCompareText(u"ЖУК", u"жук"), 0);
  EXPECT_LT(AnsiCompareText(u"apple", u"Banana"), 0);
  {
    test::LocaleScope tr("tr-TR");
    EXPECT_EQ(AnsiUpperCase(u"i"), u"\u0130");  // dotted capital I
    EXPECT_EQ(AnsiLowerCase(std::string("I")), ToAnsi(u"\u0131"));
  }
  EXPECT_EQ(AnsiUpperCase(u"i"), u"I");
}

TEST(Pieces, PosCopyDeleteInsertTrimAndQuoting) {
  const std::tuple<const char16_t*, const char16_t*, int32_t, int32_t> pos[] = {
      {u"b", u"abcb", 1, 2}, {u"b", u"abcb", 3, 4}, {u"", u"abc", 1, 0},
      {u"b", u"abc", 0, 0},  {u"b", u"abc", 9, 0},
  };
  for (const auto& [sub, s, from, want] : pos) EXPECT_EQ(Pos(sub, s, from), want) << from;
  EXPECT_EQ(Pos("cd", "abcd"), 3);
  EXPECT_EQ(Copy(u"abcdef", 0, 2), u"ab");
  EXPECT_EQ(Copy(u"abcdef", 5, 100), u"ef");
  EXPECT_EQ(Copy(u"abc", 4, 1), u"");
  EXPECT_EQ(Copy(u"abc", 2, -1), u"");
  UnicodeString s = u"abcdef";
  Delete(s, 2, 2);
  EXPECT_EQ(s, u"adef");
  Delete(s, 10, 1);
  EXPECT_EQ(s, u"adef");
  Insert(u"XY", s, 2);
  EXPECT_EQ(s, u"aXYdef");
  Insert(u"!", s, 99);
  EXPECT_EQ(s, u"aXYdef!");
  EXPECT_EQ(Trim(u"\x01\t x y \x1F\x20"), u"x y");
  EXPECT_EQ(Trim(std::string(" \x7F ")), "\x7F");
  EXPECT_EQ(TrimLeft(u"  a "), u"a ");
  EXPECT_EQ(TrimRight(u"  a "), u"  a");
  // Quoting and its inverse.
  EXPECT_EQ(AnsiQuotedStr(u"it's", u'\''), u"'it''s'");
  EXPECT_EQ(AnsiQuotedStr(std::string(""), '"'), "\"\"");
  const char16_t* p = u"'a''b'rest";
  EXPECT_EQ(AnsiExtractQuotedStr(p, u'\''), u"a'b");
  EXPECT_EQ(UnicodeString(p), u"rest");
  const char* q = "'abc";  // unterminated
  EXPECT_EQ(AnsiExtractQuotedStr(q, '\''), "abc");
  EXPECT_EQ(*q, '\0');
  const char* plain = "abc";
  q = plain;
  EXPECT_EQ(AnsiExtractQuotedStr(q, '\''), "");
  EXPECT_EQ(q, plain);
  char buf[16] = "ab";
  EXPECT_STREQ(StrCat(buf, "cd"), "abcd");
}

}  // namespace
}  // namespace dz
