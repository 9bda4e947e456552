#include <gtest/gtest.h>

#include "deziva27/strings/YStrings.h"

namespace dz {
namespace {

using namespace std::string_literals;

// Pascal literals, both directions; each row also runs through the 16-bit twin.
TEST(PascalLiterals, QuotedString) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", "''"},
      {"it's", "'it''s'"},
      {"ab\r\n", "'ab'#13#10"},
      {"\ta", "''#9'a'"},
      {"\t", "''#9"},
      {"a\x1f\x01z", "'a'#31#1'z'"},
      {"''", "''''''"},
      {"\x7f\xe9", "'\x7f\xe9'"},  // 127 and high bytes are plain text
      {"\0"s, "''#0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    EXPECT_EQ(QuotedString(c.in, '\''), c.out);
    EXPECT_EQ(QuotedString(ToUnicode(c.in), u'\''), ToUnicode(c.out));
  }
  EXPECT_EQ(QuotedString(u"\u0416\"", u'"'), u"\"\u0416\"\"\"");
}

TEST(PascalLiterals, UnquotedString) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"''", ""},           {"'it''s'", "it's"}, {"'ab'#13#10'cd'", "ab\r\ncd"},
      {"#65#66", "AB"},     {"#$41", "A"},       {"#$1F", "\x1f"},
      {"#$ff", "\xff"},     {"#1F", "\x01"},  // F is outside quotes: reading ends there
      {"abc", "abc"},                         // no literal: passes through
      {"'ab", "ab"},                          // unterminated
      {"'ab'xy", "ab"},     {"'a'#9", "a\t"},    {"#0", "\0"s},
      {"#$", "\0"s},  // no hex digit reads as 0
      {"x'a'", "x'a'"},     {"''''", "'"},       {"'''", "'"},
      {"'' ", "'' "},        // empty value, not exactly two quotes
      {"#$100000041", "A"},  // nine digits wrap to 32 bits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(UnquotedString(c.in, '\''), c.out);
    EXPECT_EQ(UnquotedString(ToUnicode(c.in), u'\''), ToUnicode(c.out));
  }
}

// The message names the code as written; the class is the base one, so a
// caller catching a unit's class does not catch it.
UnicodeString RaisedMessage(auto s) {
  try {
    UnquotedString(s, decltype(s[0])('\''));
  } catch (const Exception& e) {
    EXPECT_EQ(typeid(e), typeid(Exception));
    return e.Message();
  }
  return u"(nothing raised)";
}

TEST(PascalLiterals, CodeLimitDependsOnWidth) {
  EXPECT_EQ(UnquotedString(u"#300", u'\''), u"\u012c");
  EXPECT_EQ(UnquotedString(u"#$FFFF'x'", u'\''), u"\uffffx");
  EXPECT_EQ(RaisedMessage(std::string_view("#300")), u"\"#300\" not a character");
  EXPECT_EQ(RaisedMessage(std::string_view("'a'#$100'b'")), u"\"#$100\" not a character");
  EXPECT_EQ(RaisedMessage(std::u16string_view(u"#65536")), u"\"#65536\" not a character");
  EXPECT_THROW(UnquotedString("#", '\''), EConvertError);
  EXPECT_THROW(UnquotedString(u"'a'#", u'\''), EConvertError);
  EXPECT_THROW(UnquotedString("#1$2", '\''), EConvertError);
  try {
    UnquotedString(u"#$4$1", u'\'');
    ADD_FAILURE();
  } catch (const EYStringsError& e) {
    EXPECT_EQ(e.Message(), u"$ is not a hex digit");
  }
}

TEST(CLiterals, Encoding) {
  const struct {
    std::string in;
    bool plainApostrophe, quoted;
    std::string out;
  } cases[] = {
      {"it's", false, true, R"("it\'s")"},
      {"it's", true, true, R"("it's")"},
      {"it's", false, false, "it's"},
      {"\"", false, false, "\""},
      {"\"", true, true, R"("\"")"},
      {"\x1b", false, false, R"(\x1B)"},
      {"\xc8", false, false, "\xc8"},
      {"\a\b\t\n\v\f\r", false, false, R"(\a\b\t\n\v\f\r)"},
      {"\0\x0e\x1f"s, false, false, R"(\x00\x0E\x1F)"},
      {"a\\b", false, true, R"("a\\b")"},
      {"", false, true, R"("")"},
      {"?\x7f", false, false, "?\x7f"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    EXPECT_EQ(CStringEx(c.in, c.plainApostrophe, c.quoted), c.out);
    EXPECT_EQ(CStringEx(ToUnicode(c.in), c.plainApostrophe, c.quoted), ToUnicode(c.out));
  }
  EXPECT_EQ(QuotedCString("it's"), R"("it\'s")");
  EXPECT_EQ(QuotedCStringEx(u"it's", true), uR"("it's")");
  EXPECT_EQ(QuotedCString(u"\u20ac\n"), u"\"\u20ac\\n\"");
}

// One escape at position 1: the character read and where the position ends.
TEST(CLiterals, GetCExtraSymbol) {
  const struct {
    std::string in;
    int32_t limit;
    unsigned code;
    int32_t next;
  } cases[] = {
      {R"(\101)", 0, 'A', 5},   {R"(\x414)", 2, 'A', 5},
      {R"(\x414)", 0, 0x14, 6},  // 0x414 cut to 8 bits
      {R"(\)", 0, '\\', 2},     {"a", 0, 'a', 2},
      {R"(\t\)", 0, 9, 3},      {R"(\\)", 0, '\\', 3},
      {R"(\")", 0, '"', 3},     {R"(\?)", 0, '?', 3},
      {R"(\e)", 0, 'e', 3},     {R"(\x)", 0, 0, 3},
      {R"(\xg)", 0, 0, 3},      {R"(\8)", 0, 0, 2},  // 8 is no octal digit and stays unread
      {R"(\0)", 0, 0, 3},       {R"(\377)", 0, 255, 5},
      {R"(\1234)", 3, 'S', 5},  {R"(\779)", 0, 63, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in + " limit " + std::to_string(c.limit));
    int32_t p = 1;
    EXPECT_EQ(static_cast<unsigned char>(GetCExtraSymbolEx(c.in, c.limit, p)), c.code);
    EXPECT_EQ(p, c.next);
    p = 1;
    EXPECT_EQ(GetCExtraSymbolEx(ToUnicode(c.in), c.limit, p), c.code);
    EXPECT_EQ(p, c.next);
  }
}

TEST(CLiterals, LetterEscapes) {
  const std::string letters = "ntvrabf";
  const unsigned codes[] = {10, 9, 11, 13, 7, 8, 12};
  for (size_t i = 0; i < letters.size(); ++i) {
    int32_t p = 1;
    EXPECT_EQ(GetCExtraSymbol(std::string{'\\', letters[i]}, p), static_cast<char>(codes[i]));
    EXPECT_EQ(p, 3);
  }
}

TEST(CLiterals, TwinsDifferInOctalWidth) {
  int32_t p = 1;
  EXPECT_EQ(GetCExtraSymbol(u"\\1234", p), u'\u029c');
  p = 1;
  EXPECT_EQ(GetCExtraSymbol("\\1234", p), '\x9c');
  // The wide twin tests digits by their low byte, but picks the escape by the
  // whole unit: U+0141 after \x counts as "A", U+0178 after \ is plain.
  p = 1;
  EXPECT_EQ(GetCExtraSymbol(u"\\x\u01411", p), 0xA1);
  EXPECT_EQ(p, 5);
  p = 1;
  EXPECT_EQ(GetCExtraSymbol(u"\\\u0178", p), u'\u0178');
}

TEST(CLiterals, Utf8Pairs) {
  const struct {
    const char16_t* in;
    bool utf8;
    char16_t code;
    int32_t next;
  } cases[] = {
      {uR"(\xC3\xA9)", true, u'\u00e9', 9},  {uR"(\xE2\x82AC)", true, u'\u20ac', 11},
      {uR"(\xC3\xA9)", false, u'\u00c3', 5}, {uR"(\xC3)", true, u'\u00c3', 5},  // no second escape
      {uR"(\xC3\x)", true, u'\u00c3', 5},  // nothing after the second x
      {uR"(\xC3\xZ)", true, 211, 7},       // C3 00 is no UTF-8
      {uR"(\x41\x42)", true, u'A', 9},       {uR"(\xFF\xFF)", true, 211, 9},
      {uR"(\xF0\x9F98)", true, 211, 11},  // a truncated four-byte form
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.in));
    int32_t p = 1;
    EXPECT_EQ(GetCExtraSymbolEx(c.in, 0, p, c.utf8), c.code);
    EXPECT_EQ(p, c.next);
  }
}

TEST(CLiterals, Unquoting) {
  const struct {
    std::string in;
    int32_t from;
    std::string out;
    int32_t next;
  } cases[] = {
      {R"("a\tb")", 1, "a\tb", 7},
      {"abc", 1, "abc", 1},
      {R"(x"q\"z"y)", 2, "q\"z", 8},
      {R"("open)", 1, "open", 6},
      {R"("end\)", 1, "end\\", 6},
      {R"("\x41\102\"")", 1, "AB\"", 13},
      {R"("\x41\102\")", 1, "AB\"", 12},
      {R"("")", 1, "", 3},
      {"", 1, "", 1},
      {R"("a")", 5, R"("a")", 5},  // a position outside s changes nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    int32_t p = c.from;
    EXPECT_EQ(XUnquotedCString(c.in, p), c.out);
    EXPECT_EQ(p, c.next);
    p = c.from;
    EXPECT_EQ(XUnquotedCString(ToUnicode(c.in), p), ToUnicode(c.out));
    EXPECT_EQ(p, c.next);
  }
  EXPECT_EQ(UnquotedCString(uR"("\u\x20AC")"), u"u\u00ac");
  int32_t p = 1;
  EXPECT_EQ(XUnquotedCStringEx(R"("\x414")", 2, p), "A4");
  // The wide decoder inside a string never combines UTF-8 pairs.
  EXPECT_EQ(UnquotedCString(uR"("\xC3\xA9")"), u"\u00c3\u00a9");
}

}  // namespace
}  // namespace dz
