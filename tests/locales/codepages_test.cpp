// Text between 8 and 16 bits by code page and by locale, over the
// MultiByteToWideChar and WideCharToMultiByte stand-ins.
#include <gtest/gtest.h>

#include <string>

#include "deziva27/host/Strings.h"
#include "deziva27/locales/YLocales.h"

namespace dz {
namespace {

TEST(CodePageCalls, SizeProtocol) {
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, nullptr, 0), 3);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, nullptr, 0), 4);  // with the zero
  char16_t w[8] = {};
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, w, 2), 0);  // does not fit
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "\xE9t\xE9", 3, w, 8), 3);
  EXPECT_EQ(std::u16string(w, 3), u"\u00E9t\u00E9");
  EXPECT_EQ(MultiByteToWideChar(99999, 0, "abc", 3, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "", 0, nullptr, 0), 0);
  // A double-byte code page: two bytes a character.
  EXPECT_EQ(MultiByteToWideChar(932, 0, "\x93\xFA\x96\x7B", 4, w, 8), 2);
  EXPECT_EQ(std::u16string(w, 2), u"\u65E5\u672C");
  char b[8] = {};
  EXPECT_EQ(WideCharToMultiByte(1251, 0, u"\u0416x", 2, nullptr, 0), 2);
  EXPECT_EQ(WideCharToMultiByte(1251, 0, u"\u0416x", 2, b, 8), 2);
  EXPECT_EQ(std::string(b, 2), "\xC6x");
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"\u0416", 1, b, 8), 1);
  EXPECT_EQ(b[0], '?');  // the code page's default character
  EXPECT_EQ(WideCharToMultiByte(65001, 0, u"\u20AC", -1, nullptr, 0), 4);
  // The pages the issue names are all known, and 0 and 1 resolve.
  for (uint32_t cp : {0u, 1u, 437u, 850u, 866u, 874u, 932u, 936u, 949u, 950u, 1250u, 1251u, 1252u,
                      1253u, 1254u, 1255u, 1256u, 1257u, 1258u, 20127u, 28591u, 28595u, 28605u,
                      65001u, 737u, 775u, 857u})
    EXPECT_EQ(MultiByteToWideChar(cp, 0, "A", 1, nullptr, 0), 1) << cp;
}

// The size asked for first is the size then written, for every kind of page
// and for text the page cannot hold.
TEST(CodePageCalls, SizesAgreeBetweenTheTwoCalls) {
  const std::u16string texts[] = {u"plain", std::u16string{u'a', 0xD800, u'b', 0xD83D, 0xDE00, 0xDC00},
                                  u"\u0416\u65E5\u00E9", u"\x7F\x80\xFF"};
  for (uint32_t cp : {1252u, 1251u, 932u, 936u, 65001u, 437u, 20127u}) {
    for (const auto& t : texts) {
      const int n = WideCharToMultiByte(cp, 0, t.data(), static_cast<int>(t.size()), nullptr, 0);
      std::string out(static_cast<size_t>(n) + 4, '\0');
      EXPECT_EQ(WideCharToMultiByte(cp, 0, t.data(), static_cast<int>(t.size()), out.data(),
                                    static_cast<int>(out.size())),
                n)
          << cp;
      out.resize(static_cast<size_t>(n));
      const int w = MultiByteToWideChar(cp, 0, out.data(), n, nullptr, 0);
      std::u16string back(static_cast<size_t>(w) + 4, u'\0');
      EXPECT_EQ(MultiByteToWideChar(cp, 0, out.data(), n, back.data(), w + 4), w) << cp;
    }
  }
}

TEST(CodePageCalls, CharsetsAndCodePages) {
  CHARSETINFO info;
  ASSERT_TRUE(TranslateCharsetInfo(204, &info, TCI_SRCCHARSET));
  EXPECT_EQ(info.ciACP, 1251u);
  ASSERT_TRUE(TranslateCharsetInfo(932, &info, TCI_SRCCODEPAGE));
  EXPECT_EQ(info.ciCharset, 128u);
  EXPECT_EQ(info.fs.fsCsb[0], 1u << 17);
  EXPECT_FALSE(TranslateCharsetInfo(12345, &info, TCI_SRCCODEPAGE));
  EXPECT_FALSE(TranslateCharsetInfo(204, &info, 7));
}

TEST(CodePageText, Conversions) {
  struct Case {
    const char* What;
    WideString Got, Want;
  } cases[] = {
      {"empty, by code page", StrToWideByCodePage("", 1251), u""},
      {"empty, back", ToUnicode(WideToStrByCodePage(u"", 1251)), u""},
      {"Cyrillic bytes", StrToWideByCodePage("\xCF\xF0\xE8", 1251), u"\u041F\u0440\u0438"},
      {"Western read as Cyrillic", ConvertWideStrByCodePage(u"\u00E0\u00E9", 1252, 1251),
       u"\u0430\u0439"},
      {"same code page", ConvertWideStrByCodePage(u"caf\u00E9", 1252, 1252), u"caf\u00E9"},
      {"lost in the code page", ConvertWideStrByCodePage(u"a\u0416", 1252, 1252), u"a?"},
      {"unknown code page falls back", StrToWideByCodePage("abc\xE9", 99999), ToUnicode("abc\xE9")},
      {"by locale", StrToWideByLocale("\xCF", 0x0419), u"\u041F"},
      {"between locales", ConvertWideStrByLocale(u"\u00E0", 0x0409, 0x0419), u"\u0430"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.Got, c.Want) << c.What;
  EXPECT_EQ(WideToStrByCodePage(u"\u041F", 1251), "\xCF");
  EXPECT_EQ(WideToStrByLocale(u"\u00E9", 0x0409), "\xE9");
}

TEST(CodePageText, CodePagesCharsetsAndLocales) {
  EXPECT_EQ(GetCodePageByLocale(0x0419), 1251);
  EXPECT_EQ(GetCodePageByLocale(0x0409), 1252);
  EXPECT_EQ(GetCodePageByLocale(0x0439), 0);  // Hindi: Unicode only
  EXPECT_EQ(GetCodePageByLocale(0x7777), static_cast<Integer>(GetACP()));
  EXPECT_EQ(GetCharSetByCodePage(1251), 204);
  EXPECT_EQ(GetCharSetByCodePage(4711), 1);
  EXPECT_EQ(GetCodePageByCharSet(161), 1253);
  EXPECT_EQ(GetCodePageByCharSet(99), static_cast<Integer>(GetACP()));
  EXPECT_EQ(GetCharSetByLocale(0x0408), 161);
}

TEST(CodePageText, LineBreaksOfUtf8) {
  EXPECT_EQ(AdjustLineBreaksUtf8("a\n\xD0\xB1\rc\r\nd\n\r"), "a\r\n\xD0\xB1\r\nc\r\nd\r\n\r\n");
  EXPECT_EQ(AdjustLineBreaksUtf8(""), "");
}

}  // namespace
}  // namespace dz
