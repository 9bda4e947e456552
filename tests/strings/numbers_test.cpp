#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "deziva27/strings/YStrings.h"
#include "support/Locale.h"

namespace dz {
namespace {

using namespace std::string_literals;

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new test::PinnedLocale);

constexpr int32_t kRaises = 0x7EADBEEF;

// What read() returns, or kRaises when it raises E.
template <class E, class F>
int32_t ValueOr(F read) {
  try {
    return read();
  } catch (const E&) {
    return kRaises;
  }
}

// XStrToInt, ZStrToInt and SafeStrToInt side by side: they differ exactly on
// blanks, trailing junk and overflow.
TEST(IntegerConversions, PoliciesSideBySide) {
  const std::tuple<const char16_t*, int32_t, int32_t, int32_t> cases[] = {
      {u"", 0, 0, 0},              {u"\t\r\n", 0, 0, 0},          {u"12", 12, 12, 12},
      {u" 42 ", kRaises, 42, 42},  {u"  -7", -7, -7, -7},         {u"$FF", 255, 255, 255},
      {u"0x10", 16, 16, 16},       {u"x", kRaises, 0, 0},         {u"123abc", kRaises, 0, 123},
      {u"-5x", kRaises, 0, 0},     {u"12 34", kRaises, 0, 12},    {u"2147483648", kRaises, 0, 0},
      {u"99999999999z", kRaises, 0, 0}, {u"2147483647", 2147483647, 2147483647, 2147483647},
  };
  for (const auto& [text, x, z, safe] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    EXPECT_EQ(ValueOr<EConvertError>([t = text] { return XStrToInt(t); }), x);
    EXPECT_EQ(ZStrToInt(text), z);
    EXPECT_EQ(SafeStrToInt(text), safe);
  }
}

// A wide character counts by its low byte: U+0141 reads as "A", U+0137 as
// "7"; the message names the rightmost bad character.
TEST(DigitReaders, ValuesAndMessages) {
  const std::tuple<const char16_t*, int32_t, int32_t> cases[] = {
      {u"", 0, 0},                 {u"Ff", 255, kRaises},       {u"777", 0x777, 511},
      {u"FFFFFFFF", -1, kRaises},  {u"7FFFFFFF", 0x7FFFFFFF, kRaises},
      {u"123456789", 0x23456789, kRaises},  // wraps to the low 32 bits
      {u"37777777777", 0x77777777, -1},
      {u"100000000000", 0, 0},  // octal 2^33 wraps to 0
      {u"\u0141\u0130", 0xA0, kRaises}, {u"\u0137", 7, 7}, {u"\u0138", 8, kRaises},
  };
  for (const auto& [text, hex, oct] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    EXPECT_EQ(ValueOr<EYStringsError>([t = text] { return HexToInt(t); }), hex);
    EXPECT_EQ(ValueOr<EYStringsError>([t = text] { return OctToInt(t); }), oct);
  }
  const std::tuple<const char16_t*, bool, const char16_t*> messages[] = {
      {u"1G", true, u"G is not a hex digit"},    {u"1g2h", true, u"h is not a hex digit"},
      {u"$FF", true, u"$ is not a hex digit"},   {u"0x1", true, u"x is not a hex digit"},
      {u"-1", true, u"- is not a hex digit"},    {u"8", false, u"8 is not an oct digit"},
      {u"9a7", false, u"a is not an oct digit"}, {u" 1", false, u"  is not an oct digit"},
  };
  for (const auto& [text, hex, message] : messages) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    try {
      hex ? HexToInt(text) : OctToInt(text);
      ADD_FAILURE() << "no exception";
    } catch (const EYStringsError& e) {
      EXPECT_EQ(e.Message(), message);
    }
  }
}

using FloatConversions = test::EnUs;

// The X forms use a period whatever the locale; the Z form follows the user's.
TEST_F(FloatConversions, FixedPointIgnoresLocaleSeparator) {
  for (const char* locale : {"en-US", "de-DE", "ru-RU"}) {
    SCOPED_TRACE(locale);
    ASSERT_TRUE(win::SetSystemLocale(locale));
    EXPECT_EQ(XStrToFloat(u"1.5", 7), 1.5);
    EXPECT_EQ(XStrToFloat(u"", 7), 7);
    EXPECT_EQ(XStrToFloat(u"-2.5E3", 0), -2500);
    EXPECT_THROW(XStrToFloat(u"1,5", 0), EConvertError);
    EXPECT_EQ(XFloatToStr(0.5), u"0.5");
    EXPECT_EQ(XFloatToStr(-1234.25), u"-1234.25");
    EXPECT_EQ(XCurrToStr(Currency::FromRaw(12345)), u"1.2345");
    EXPECT_EQ(XCurrToStr(Currency(3)), u"3");
  }
  ASSERT_TRUE(win::SetSystemLocale("de-DE"));
  EXPECT_EQ(ZStrToFloat(u" 1,5 "), 1.5);
  EXPECT_EQ(ZStrToFloat(u"1.5"), 0.0);
  ASSERT_TRUE(win::SetSystemLocale("en-US"));
  EXPECT_EQ(ZStrToFloat(u" 1.5 "), 1.5);
  EXPECT_EQ(ZStrToFloat(u""), 0.0);
  EXPECT_EQ(ZStrToFloat(u"1.5x"), 0.0);
}

TEST(BooleanConversions, FalseWordsAndEmpty) {
  const std::tuple<const char16_t*, bool, bool> cases[] = {
      {u"", false, true},       {u"0", false, false},     {u"false", false, false},
      {u"False", false, false}, {u" false", true, true},  {u"false ", true, true},
      {u"00", true, true},      {u"f", true, true},       {u"falsey", true, true},
  };
  for (const auto& [text, x, n] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    EXPECT_EQ(XStrToBool(text), x);
    EXPECT_EQ(NStrToBool(text), n);
  }
  EXPECT_EQ(BoolToStr(true), u"1");
  EXPECT_EQ(BoolToStr(false), u"0");
}

// Every code each class accepts, at both widths: the 8-bit twin is asked
// about every byte, the high ones included.
TEST(CharClasses, AcceptExactlyTheirCodesAtBothWidths) {
  using Wide = bool (*)(WideChar);
  using Narrow = bool (*)(AnsiChar);
  const std::tuple<Wide, Narrow, std::u16string_view> classes[] = {
      {IsSpace, IsSpace, u"\t\n\r "},       {IsDigit, IsDigit, u"0123456789"},
      {IsOctDigit, IsOctDigit, u"01234567"}, {IsHexDigit, IsHexDigit, u"0123456789ABCDEFabcdef"},
      {IsAlpha, IsAlpha, u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_`abcdefghijklmnopqrstuvwxyz"},
  };
  for (const auto& [wideTest, narrowTest, members] : classes) {
    std::u16string wide, narrow;
    for (int i = 0; i < 0x10000; ++i)
      if (wideTest(static_cast<WideChar>(i))) wide.push_back(static_cast<WideChar>(i));
    for (int i = 0; i < 256; ++i)
      if (narrowTest(static_cast<AnsiChar>(i))) narrow.push_back(static_cast<WideChar>(i));
    EXPECT_EQ(wide, members);
    EXPECT_EQ(narrow, members);
  }
}

// The tokens GetToken cuts from s one by one, each followed by what it left.
template <class Str>
std::vector<Str> Cuts(Str s) {
  std::vector<Str> cuts;
  do {
    cuts.push_back(GetToken(s));
    cuts.push_back(s);
  } while (!s.empty());
  return cuts;
}

// The separator lists start empty, one per width; a run of separators is a
// token, and blanks after a token stay for the next call.
TEST(Separators, GetTokenCutsWordsAndSeparatorRuns) {
  using W = std::vector<UnicodeString>;
  using A = std::vector<AnsiString>;
  EXPECT_FALSE(IsSeparator(','));
  EXPECT_FALSE(IsSeparator(u','));
  EXPECT_EQ(Cuts(UnicodeString(u"a,b c")), (W{u"a,b", u" c", u"c", u""}));
  SetSeparatorList(UnicodeString(u",;"));
  EXPECT_FALSE(IsSeparator(','));  // the 8-bit list is untouched
  EXPECT_EQ(Cuts(UnicodeString(u"  ab;,cd")), (W{u"ab", u";,cd", u";,", u"cd", u"cd", u""}));
  EXPECT_EQ(Cuts(UnicodeString(u"x  ;  y")), (W{u"x", u"  ;  y", u";", u"  y", u"y", u""}));
  EXPECT_EQ(Cuts(UnicodeString()), (W{u"", u""}));
  SetSeparatorListW(u"+");
  EXPECT_FALSE(IsSeparator(u','));  // replaced as a whole
  EXPECT_TRUE(IsSeparator(u'+'));
  SetSeparatorList(AnsiString("=\xE9"));
  EXPECT_FALSE(IsSeparator(u'\u00E9'));
  // A form feed is no space.
  EXPECT_EQ(Cuts(AnsiString("\tkey==\r\nvalue\x0C\xE9")),
            (A{"key", "==\r\nvalue\x0C\xE9", "==", "\r\nvalue\x0C\xE9", "value\x0C", "\xE9",
               "\xE9", ""}));
  EXPECT_EQ(Cuts(AnsiString("   ")), (A{"", ""}));
  SetSeparatorList(AnsiString());
  SetSeparatorList(UnicodeString());
}

TEST(WholeStringTests, NumbersIdentifiersAndYesWords) {
  const std::tuple<const char16_t*, bool, bool, bool, bool> cases[] = {
      {u"", false, false, false, true},       {u"007", true, true, true, true},
      {u"-1", false, true, true, false},      {u"$1F", false, true, false, false},
      {u" 12", false, true, true, false},     {u"1.5", false, false, true, false},
      {u"1e5", false, false, true, true},     {u"1abc", false, false, false, true},
      {u"a`b", false, false, false, true},    {u"a-b", false, false, false, false},
      {u"99999999999", true, false, true, true},
      {u"\u0661", false, false, false, false},  // Arabic-Indic one is no ASCII digit
  };
  for (const auto& c : cases) {
    const char16_t* text = std::get<0>(c);
    SCOPED_TRACE(UTF8Encode(text));
    const auto check = [&](const auto& s) {
      EXPECT_EQ(std::make_tuple(text, IsNumber(s), IsIntNum(s), IsRealNum(s), IsIdentifier(s)), c);
    };
    check(UnicodeString(text));
    if (text[0] != u'\u0661') check(ToAnsi(text));
  }
  for (const char16_t* yes : {u"on", u"ON", u"Yes", u"YES", u"true", u"TRUE", u"1"})
    EXPECT_TRUE(IsPositive(yes) && IsPositive(ToAnsi(yes))) << UTF8Encode(yes);
  for (const char16_t* no : {u"", u"y", u" on", u"yes ", u"01", u"0", u"false", u"oN!"})
    EXPECT_FALSE(IsPositive(no) || IsPositive(ToAnsi(no))) << UTF8Encode(no);
  test::LocaleScope ru("ru-RU");  // real numbers use the user's decimal separator
  EXPECT_TRUE(IsRealNum(u"1,5"));
  EXPECT_FALSE(IsRealNum(u"1.5"));
  EXPECT_TRUE(IsRealNum(AnsiString("-2,25e3")));
}

TEST(WholeStringTests, AlphaExistsDiffersBetweenTheTwins) {
  const std::tuple<const char16_t*, bool, bool> cases[] = {
      {u"", false, false},     {u"12 34", false, false}, {u"12 34\t", false, true},
      {u"\u00E9", true, true}, {u"x", true, true},       {u"[\\]^_`{|}~", false, false},
      {u"@!?", false, false},  {u"\x7F", false, true},   {u"\x01", false, true},
  };
  for (const auto& [s, narrow, wide] : cases) {
    EXPECT_EQ(AlphaExists(ToAnsi(s)), narrow) << UTF8Encode(s);
    EXPECT_EQ(AlphaExists(s), wide) << UTF8Encode(s);
  }
  EXPECT_TRUE(AlphaExists(AnsiString("\x80")));
}

// Skipping stops at the first other character or one past the end; without
// symbols it skips the four spaces, as AnsiTrim trims them.
TEST(SkippingAndCutting, StopAtTheFirstOtherCharacterOrTheEnd) {
  const std::tuple<const char*, const char*, int32_t, int32_t> cases[] = {
      {" \t\r\nx", nullptr, 1, 5}, {"a  ", nullptr, 2, 4}, {"a  ", nullptr, 4, 4},
      {"\x0B", nullptr, 1, 1},  // vertical tab is not a space
      {"--=>x", "=-", 1, 4},       {"abc", "", 1, 1},      {"aaaa", "a", 3, 5},
  };
  for (const auto& [s, symbols, from, to] : cases) {
    SCOPED_TRACE(s);
    int32_t p8 = from, p16 = from;
    if (symbols) {
      SkipSymbols(std::string_view(s), p8, symbols);
      SkipSymbols(ToUnicode(s), p16, ToUnicode(symbols));
    } else {
      SkipSpaces(std::string_view(s), p8);
      SkipSpaces(ToUnicode(s), p16);
    }
    EXPECT_EQ(p8, to);
    EXPECT_EQ(p16, to);
  }
  const std::tuple<const char*, const char*, const char*, const char*> parts[] = {
      {"key=value", "=", "key", "value"}, {"a::b::c", "::", "a", "b::c"}, {"abc", "=", "abc", ""},
      {"=x", "=", "", "x"},               {"x=", "=", "x", ""},           {"abc", "", "abc", ""},
  };
  for (const auto& [text, separator, part, rest] : parts) {
    AnsiString s = text;
    EXPECT_EQ(GetNextPart(s, separator), part) << text;
    EXPECT_EQ(s, rest) << text;
  }
  EXPECT_EQ(AnsiTrim("\tx\r"), "x");
  EXPECT_EQ(AnsiTrim("    "), "");
  EXPECT_EQ(AnsiTrim("\x0Cx\x01"), "\x0Cx\x01");  // only the four spaces go
  EXPECT_EQ(AnsiTrim(" a b "), "a b");
}

// Pascal literals, both directions; each row also runs through the 16-bit twin.
TEST(PascalLiterals, QuotedAndUnquotedString) {
  const std::pair<std::string, std::string> quoted[] = {
      {"", "''"},           {"it's", "'it''s'"},       {"ab\r\n", "'ab'#13#10"},
      {"\ta", "''#9'a'"},   {"\t", "''#9"},            {"a\x1f\x01z", "'a'#31#1'z'"},
      {"''", "''''''"},     {"\0"s, "''#0"},
      {"\x7f\xe9", "'\x7f\xe9'"},  // 127 and high bytes are plain text
  };
  for (const auto& [in, out] : quoted) {
    SCOPED_TRACE(out);
    EXPECT_EQ(QuotedString(in, '\''), out);
    EXPECT_EQ(QuotedString(ToUnicode(in), u'\''), ToUnicode(out));
    EXPECT_EQ(UnquotedString(out, '\''), in);
    EXPECT_EQ(UnquotedString(ToUnicode(out), u'\''), ToUnicode(in));
  }
  EXPECT_EQ(QuotedString(u"\u0416\"", u'"'), u"\"\u0416\"\"\"");
  // Literals the quoting never writes.
  const std::pair<std::string, std::string> unquoted[] = {
      {"'ab'#13#10'cd'", "ab\r\ncd"}, {"#65#66", "AB"}, {"#$1F", "\x1f"},
      {"#$ff", "\xff"},     {"#1F", "\x01"},  // F is outside quotes: reading ends there
      {"abc", "abc"},                         // no literal: passes through
      {"'ab", "ab"},                          // unterminated
      {"'ab'xy", "ab"},     {"x'a'", "x'a'"},    {"'''", "'"},
      {"#$", "\0"s},  // no hex digit reads as 0
      {"'' ", "'' "},        // empty value, not exactly two quotes
      {"#$100000041", "A"},  // nine digits wrap to 32 bits
  };
  for (const auto& [in, out] : unquoted) {
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
      {"a", 0, 'a', 2},         {R"(\t\)", 0, 9, 3},      {R"(\e)", 0, 'e', 3},
      {R"(\x)", 0, 0, 3},       {R"(\xg)", 0, 0, 3},      {R"(\0)", 0, 0, 3},
      {R"(\377)", 0, 255, 5},   {R"(\1234)", 3, 'S', 5},  {R"(\779)", 0, 63, 4},
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
  // twins alike; the round trips below read with a limit of two.
  EXPECT_EQ(UnquotedCString(QuotedCString("\1A")), "\x1a");
  EXPECT_EQ(UnquotedCString(QuotedCString(u"\1A")), u"\x1a");
}

// Random strings, weighted towards the characters that mean something in the
// literals: controls, the literals' own characters, printable text, then
// high bytes or any code unit (surrogate halves included).
template <class Str>
void CheckRoundTrips(uint32_t seed) {
  using Ch = typename Str::value_type;
  static constexpr char kSpecial[] = "'\"\\#$0123456789xAaFf";
  std::mt19937 rng(seed);
  for (int n = 0; n < 20000; ++n) {
    Str s;
    for (int i = static_cast<int>(rng() % 25); i > 0; --i) {
      const unsigned kind = rng() % 6, r = rng();
      s.push_back(static_cast<Ch>(kind == 0   ? r % 32
                                  : kind < 3  ? kSpecial[r % (sizeof kSpecial - 1)]
                                  : kind == 3 ? 32 + r % 96
                                  : sizeof(Ch) == 1 ? 128 + r % 128
                                                    : r % 0x10000));
    }
    for (Ch q : {Ch('\''), Ch('"'), Ch('`')}) {
      Str lit = QuotedString(s, q);
      ASSERT_EQ(UnquotedString(lit, q), s) << testing::PrintToString(lit);
    }
    Str c = QuotedCString(s);
    int32_t p = 1;
    ASSERT_EQ(XUnquotedCStringEx(c, 2, p), s) << testing::PrintToString(c);
    ASSERT_EQ(p, static_cast<int32_t>(c.size()) + 1);
  }
}

TEST(LiteralRoundTrips, BothWidths) {
  CheckRoundTrips<AnsiString>(27);
  CheckRoundTrips<UnicodeString>(2027);
}

}  // namespace
}  // namespace dz
