#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <utility>

#include "deziva27/strings/YStrings.h"

namespace dz {
namespace {

using namespace std::string_literals;

// Pascal literals, both directions; each row also runs through the 16-bit twin.
TEST(PascalLiterals, QuotedString) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "''"},           {"it's", "'it''s'"},       {"ab\r\n", "'ab'#13#10"},
      {"\ta", "''#9'a'"},   {"\t", "''#9"},            {"a\x1f\x01z", "'a'#31#1'z'"},
      {"''", "''''''"},     {"\0"s, "''#0"},
      {"\x7f\xe9", "'\x7f\xe9'"},  // 127 and high bytes are plain text
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(out);
    EXPECT_EQ(QuotedString(in, '\''), out);
    EXPECT_EQ(QuotedString(ToUnicode(in), u'\''), ToUnicode(out));
  }
  EXPECT_EQ(QuotedString(u"\u0416\"", u'"'), u"\"\u0416\"\"\"");
}

TEST(PascalLiterals, UnquotedString) {
  const std::pair<std::string, std::string> cases[] = {
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
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(UnquotedString(in, '\''), out);
    EXPECT_EQ(UnquotedString(ToUnicode(in), u'\''), ToUnicode(out));
  }
}

// The class and message of what UnquotedString raises on s. A code too large
// for the width raises the base class, so a caller catching a unit's class
// does not catch it; the message names the code as written.
UnicodeString Raised(auto s) {
  try {
    UnquotedString(s, decltype(s[0])('\''));
  } catch (const EConvertError&) {
    return u"EConvertError";
  } catch (const EYStringsError& e) {
    return u"EYStringsError: " + e.Message();
  } catch (const Exception& e) {
    return (typeid(e) == typeid(Exception) ? u"Exception: " : u"other: ") + e.Message();
  }
  return u"(nothing raised)";
}

TEST(PascalLiterals, CodeLimitDependsOnWidthAndBadCodesRaise) {
  EXPECT_EQ(UnquotedString(u"#300", u'\''), u"\u012c");
  EXPECT_EQ(UnquotedString(u"#$FFFF'x'", u'\''), u"\uffffx");
  EXPECT_EQ(Raised(std::string_view("#300")), u"Exception: \"#300\" not a character");
  EXPECT_EQ(Raised(std::string_view("'a'#$100'b'")), u"Exception: \"#$100\" not a character");
  EXPECT_EQ(Raised(std::u16string_view(u"#65536")), u"Exception: \"#65536\" not a character");
  EXPECT_EQ(Raised(std::string_view("#")), u"EConvertError");
  EXPECT_EQ(Raised(std::u16string_view(u"'a'#")), u"EConvertError");
  EXPECT_EQ(Raised(std::string_view("#1$2")), u"EConvertError");
  EXPECT_EQ(Raised(std::u16string_view(u"#$4$1")), u"EYStringsError: $ is not a hex digit");
}

TEST(CLiterals, Encoding) {
  const std::tuple<std::string, bool, bool, std::string> cases[] = {
      {"it's", false, true, R"("it\'s")"}, {"it's", true, true, R"("it's")"},
      {"it's", false, false, "it's"},      {"\"", false, false, "\""},
      {"\"", true, true, R"("\"")"},       {"\x1b", false, false, R"(\x1B)"},
      {"\xc8", false, false, "\xc8"},      {"a\\b", false, true, R"("a\\b")"},
      {"", false, true, R"("")"},          {"?\x7f", false, false, "?\x7f"},
      {"\0\x0e\x1f"s, false, false, R"(\x00\x0E\x1F)"},
      {"\a\b\t\n\v\f\r", false, false, R"(\a\b\t\n\v\f\r)"},
  };
  for (const auto& [in, plainApostrophe, quoted, out] : cases) {
    SCOPED_TRACE(out);
    EXPECT_EQ(CStringEx(in, plainApostrophe, quoted), out);
    EXPECT_EQ(CStringEx(ToUnicode(in), plainApostrophe, quoted), ToUnicode(out));
  }
  EXPECT_EQ(QuotedCString("it's"), R"("it\'s")");
  EXPECT_EQ(QuotedCStringEx(u"it's", true), uR"("it's")");
  EXPECT_EQ(QuotedCString(u"\u20ac\n"), u"\"\u20ac\\n\"");
}

// One escape at position 1, at both widths: the character read and where the
// position ends.
TEST(CLiterals, GetCExtraSymbol) {
  const std::tuple<std::string, int32_t, unsigned, int32_t> cases[] = {
      {R"(\101)", 0, 'A', 5},   {R"(\x414)", 2, 'A', 5},  {R"(\)", 0, '\\', 2},
      {"a", 0, 'a', 2},         {R"(\t\)", 0, 9, 3},      {R"(\\)", 0, '\\', 3},
      {R"(\")", 0, '"', 3},     {R"(\?)", 0, '?', 3},     {R"(\e)", 0, 'e', 3},
      {R"(\x)", 0, 0, 3},       {R"(\xg)", 0, 0, 3},      {R"(\0)", 0, 0, 3},
      {R"(\377)", 0, 255, 5},   {R"(\1234)", 3, 'S', 5},  {R"(\779)", 0, 63, 4},
      {R"(\n)", 0, 10, 3},      {R"(\v)", 0, 11, 3},      {R"(\r)", 0, 13, 3},
      {R"(\a)", 0, 7, 3},       {R"(\b)", 0, 8, 3},       {R"(\f)", 0, 12, 3},
      {R"(\x414)", 0, 0x14, 6},  // 0x414 cut to 8 bits
      {R"(\8)", 0, 0, 2},        // 8 is no octal digit and stays unread
  };
  for (const auto& [in, limit, code, next] : cases) {
    SCOPED_TRACE(in + " limit " + std::to_string(limit));
    int32_t p = 1, q = 1;
    EXPECT_EQ(static_cast<unsigned char>(GetCExtraSymbolEx(in, limit, p)), code);
    EXPECT_EQ(GetCExtraSymbolEx(ToUnicode(in), limit, q), code);
    EXPECT_EQ(p, next);
    EXPECT_EQ(q, next);
  }
  // Without a limit octal reads on; each twin keeps what fits its width.
  int32_t p = 1, q = 1;
  EXPECT_EQ(GetCExtraSymbol(u"\\1234", p), u'\u029c');
  EXPECT_EQ(GetCExtraSymbol("\\1234", q), '\x9c');
}

// The wide twin alone: UTF-8 pairs, and digits tested by their low byte while
// the escape is picked by the whole unit: U+0141 after \x counts as "A",
// U+0178 after \ is plain.
TEST(CLiterals, WideEscapes) {
  const std::tuple<const char16_t*, bool, char16_t, int32_t> cases[] = {
      {uR"(\xC3\xA9)", true, u'\u00e9', 9},  {uR"(\xE2\x82AC)", true, u'\u20ac', 11},
      {uR"(\xC3\xA9)", false, u'\u00c3', 5}, {uR"(\xC3)", true, u'\u00c3', 5},  // no second escape
      {uR"(\xC3\x)", true, u'\u00c3', 5},  // nothing after the second x
      {uR"(\xC3\xZ)", true, 211, 7},       // C3 00 is no UTF-8
      {uR"(\x41\x42)", true, u'A', 9},       {uR"(\xFF\xFF)", true, 211, 9},
      {uR"(\xF0\x9F98)", true, 211, 11},  // a truncated four-byte form
      {u"\\x\u01411", false, 0xA1, 5},       {u"\\\u0178", false, u'\u0178', 3},
  };
  for (const auto& [in, utf8, code, next] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(in));
    int32_t p = 1;
    EXPECT_EQ(GetCExtraSymbolEx(in, 0, p, utf8), code);
    EXPECT_EQ(p, next);
  }
}

TEST(CLiterals, Unquoting) {
  const std::tuple<std::string, int32_t, std::string, int32_t> cases[] = {
      {R"("a\tb")", 1, "a\tb", 7},        {"abc", 1, "abc", 1},
      {R"(x"q\"z"y)", 2, "q\"z", 8},      {R"("open)", 1, "open", 6},
      {R"("end\)", 1, "end\\", 6},        {R"("\x41\102\"")", 1, "AB\"", 13},
      {R"("\x41\102\")", 1, "AB\"", 12},  {R"("")", 1, "", 3},
      {"", 1, "", 1},
      {R"("a")", 5, R"("a")", 5},  // a position outside s changes nothing
  };
  for (const auto& [in, from, out, next] : cases) {
    SCOPED_TRACE(in);
    int32_t p = from, q = from;
    EXPECT_EQ(XUnquotedCString(in, p), out);
    EXPECT_EQ(XUnquotedCString(ToUnicode(in), q), ToUnicode(out));
    EXPECT_EQ(p, next);
    EXPECT_EQ(q, next);
  }
  EXPECT_EQ(UnquotedCString(uR"("\u\x20AC")"), u"u\u00ac");
  int32_t p = 1;
  EXPECT_EQ(XUnquotedCStringEx(R"("\x414")", 2, p), "A4");
  // The wide decoder inside a string never combines UTF-8 pairs.
  EXPECT_EQ(UnquotedCString(uR"("\xC3\xA9")"), u"\u00c3\u00a9");
  // Without a digit limit \xHH reads on into a following hex digit, in both
  // twins alike; the round trips below steer clear of it.
  EXPECT_EQ(UnquotedCString(QuotedCString("\1A")), "\x1a");
  EXPECT_EQ(UnquotedCString(QuotedCString(u"\1A")), u"\x1a");
}

// Random strings, weighted towards the characters that mean something in the
// literals: controls, the literals' own characters, printable text, then
// high bytes or any code unit (surrogate halves included).
template <class Str>
Str RandomText(std::mt19937& rng) {
  using Ch = typename Str::value_type;
  static constexpr char kSpecial[] = "'\"\\#$0123456789xAaFf";
  Str s;
  for (int i = static_cast<int>(rng() % 25); i > 0; --i) {
    const unsigned kind = rng() % 6, r = rng();
    s.push_back(static_cast<Ch>(kind == 0   ? r % 32
                                : kind < 3  ? kSpecial[r % (sizeof kSpecial - 1)]
                                : kind == 3 ? 32 + r % 96
                                : sizeof(Ch) == 1 ? 128 + r % 128
                                                  : r % 0x10000));
  }
  return s;
}

template <class Str>
void CheckRoundTrips(uint32_t seed) {
  using Ch = typename Str::value_type;
  std::mt19937 rng(seed);
  for (int n = 0; n < 20000; ++n) {
    Str s = RandomText<Str>(rng);
    for (Ch q : {Ch('\''), Ch('"'), Ch('`')}) {
      Str lit = QuotedString(s, q);
      ASSERT_EQ(UnquotedString(lit, q), s) << testing::PrintToString(lit);
    }
    Str c = QuotedCString(s);
    int32_t p = 1;
    ASSERT_EQ(XUnquotedCStringEx(c, 2, p), s) << testing::PrintToString(c);
    ASSERT_EQ(p, static_cast<int32_t>(c.size()) + 1);
    bool hexRunOn = false;  // a control written as \xHH, then a hex digit
    for (size_t i = 0; i + 1 < s.size(); ++i) {
      auto code = static_cast<std::make_unsigned_t<Ch>>(s[i]);
      auto next = static_cast<std::make_unsigned_t<Ch>>(s[i + 1]);
      hexRunOn |= code < 32 && (code < 7 || code > 13) && IsHexDigit(WideChar(next & 0xFF));
    }
    if (!hexRunOn) {
      ASSERT_EQ(UnquotedCString(c), s) << testing::PrintToString(c);
    }
  }
}

TEST(LiteralRoundTrips, BothWidths) {
  CheckRoundTrips<AnsiString>(27);
  CheckRoundTrips<UnicodeString>(2027);
}

}  // namespace
}  // namespace dz
