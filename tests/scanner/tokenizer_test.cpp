// What the tokenizer makes of source text in each style: kinds, values of
// literals, comments, positions, the end of the source and the failures.
#include <gtest/gtest.h>

#include "tests/scanner/ScanHelpers.h"

namespace dz::test {
namespace {

using Tokens = std::vector<std::string>;

struct Case {
  const char* name;
  TSourceStyle style;
  std::initializer_list<UnicodeString> lines;
  Tokens expected;
};

const Case kCases[] = {
    {"PascalStringWithCodes",
     ssPascal,
     {u"x := 'it''s'#13#10;"},
     {"ttIdent x", "ttSeparator :=", "ttString it's<13><10>", "ttSeparator ;"}},
    {"PascalLoneCodeIsChar", ssPascal, {u"#65 #$1F #$ff"}, {"ttChar A", "ttChar <31>", "ttChar ÿ"}},
    {"PascalCodesInARowAreString", ssPascal, {u"#$41#66"}, {"ttString AB"}},
    {"PascalCodesAroundQuotes",
     ssPascal,
     {u"#13'ab'#10'c'd"},
     {"ttString <13>ab<10>c", "ttIdent d"}},
    {"PascalWideLiteral", ssPascal, {u"L'abc' L"}, {"ttLString abc", "ttIdent L"}},
    {"UnterminatedTakesRestOfLine", ssPascal, {u"'ab x", u"y"}, {"ttUnknown ab x", "ttIdent y"}},
    {"UnterminatedWideLiteral", ssC, {u"L\"ab x", u"y"}, {"ttUnknown ab x", "ttIdent y"}},
    {"NumbersAreWholeWords",
     ssPascal,
     {u"12 12ab 1.5 1e+5 2e10"},
     {"ttNumber 12", "ttUnknown 12ab", "ttNumber 1", "ttSeparator .", "ttNumber 5", "ttUnknown 1e",
      "ttSeparator +", "ttNumber 5", "ttNumber 2e10"}},
    {"FirstCharLow8BitsDecides",
     ssPascal,
     {u"\u0141odz \u0436uk _x `q $FF"},
     {"ttIdent \u0141odz", "ttUnknown \u0436uk", "ttIdent _x", "ttIdent `q", "ttUnknown $FF"}},
    {"PascalCommentsSkipped",
     ssPascal,
     {u"a { one", u"two } b (* c *) c // d", u"{}e"},
     {"ttIdent a", "ttIdent b", "ttIdent c", "ttIdent e"}},
    {"OpenCloseParenStarIsAComment", ssPascal, {u"(*) x"}, {"ttIdent x"}},
    {"CommentsDoNotNest", ssPascal, {u"{ a { b } c }"}, {"ttIdent c", "ttSeparator }"}},
    {"UnterminatedBlockCommentEndsSource", ssPascal, {u"a (* b", u"c"}, {"ttIdent a"}},
    {"TwoCharSeparators",
     ssPascal,
     {u"a:=b: =c=>d<>e"},
     {"ttIdent a", "ttSeparator :=", "ttIdent b", "ttSeparator :", "ttSeparator =", "ttIdent c",
      "ttSeparator =", "ttSeparator >", "ttIdent d", "ttSeparator <>", "ttIdent e"}},
    {"CEscapes",
     ssC,
     {u"\"a\\\"b\\\\c\" \"\\x41\\101\" \"\\q\\?\\1234\" \"\\x414\\x\""},
     {"ttString a\"b\\c", "ttString AA", "ttString q?S4", "ttString \u0414<0>"}},
    {"CCharLiterals",
     ssC,
     {u"'a' '\\n'x 'ab'"},
     {"ttChar a", "ttChar <10>", "ttIdent x", "ttChar <0>", "ttIdent b", "ttChar <0>"}},
    {"CWideAndLowerL", ssC, {u"L\"abc\" l\"abc\""}, {"ttLString abc", "ttIdent l", "ttString abc"}},
    {"CNoDoubledQuotes", ssC, {u"\"ab\"\"cd\""}, {"ttString ab", "ttString cd"}},
    {"CSeparatorsAndComments",
     ssC,
     {u"p->q != r /* x", u"*/ #include // y"},
     {"ttIdent p", "ttSeparator ->", "ttIdent q", "ttSeparator !=", "ttIdent r", "ttSeparator #",
      "ttIdent include"}},
    {"CEscapeEndingTheLine", ssC, {u"\"ab\\"}, {"ttUnknown ab\\"}},
    {"SqlDoubledQuotes",
     ssSQL,
     {u"'O''Neil' L'x' 'a\\'b'"},
     {"ttString O'Neil", "ttLString x", "ttString a'b"}},
    // An escape reads three hex digits at most: \x263A is U+0263 and A.
    {"CRealistic",
     ssC,
     {u"wchar_t *w = L\"\\u00e9\\x263A\"; char c = '\\'';"},
     {"ttIdent wchar_t", "ttSeparator *", "ttIdent w", "ttSeparator =", "ttLString u00e9\u0263A",
      "ttSeparator ;", "ttIdent char", "ttIdent c", "ttSeparator =", "ttChar '", "ttSeparator ;"}},
    {"SqlRealistic",
     ssSQL,
     {u"WHERE name = 'O''Neil' AND note <> '' -- x"},
     {"ttIdent WHERE", "ttIdent name", "ttSeparator =", "ttString O'Neil", "ttIdent AND",
      "ttIdent note", "ttSeparator <>", "ttString ", "ttSeparator -", "ttSeparator -", "ttIdent x"}},
    {"PerlComments",
     ssPerl,
     {u"# whole line", u"x # y", u"\"a\\tb\""},
     {"ttIdent x", "ttString a<9>b"}},
};

class Literals : public testing::TestWithParam<Case> {};

TEST_P(Literals, ScanAsExpected) {
  const Case& c = GetParam();
  EXPECT_EQ(ScanText(c.style, c.lines), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Styles, Literals, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Tokenizer, PositionsCountLineEndsAsTwo) {
  TYScanner sc;
  sc.SetSource(Lines({u"ab  'c''d'", u"", u"  ef"}));
  auto toks = ScanAll(sc);
  ASSERT_EQ(toks.size(), 3u);
  struct {
    int line, start, end, pos;
  } want[] = {{0, 1, 3, 0}, {0, 5, 11, 4}, {2, 3, 5, 10 + 2 + 0 + 2 + 2}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(toks[i].TokLine, want[i].line) << i;
    EXPECT_EQ(toks[i].TokStart, want[i].start) << i;
    EXPECT_EQ(toks[i].TokEnd, want[i].end) << i;
    EXPECT_EQ(toks[i].TokPos, want[i].pos) << i;
  }
}

TEST(Tokenizer, EndOfSourceArrivesWithTheLastShift) {
  TYScanner sc;
  sc.SetSource(Lines({u"a b", u"c"}));
  sc.FirstToken();
  EXPECT_EQ(sc.GetBookmark().LastTokenIndex, 2);
  sc.NextToken();
  sc.NextToken();
  EXPECT_FALSE(sc.EOS());
  EXPECT_EQ(sc.GetRealStr(), u"c");
  sc.NextToken();
  EXPECT_TRUE(sc.EOS());
  auto atEnd = sc.GetBookmark();
  sc.NextToken();
  EXPECT_EQ(sc.GetBookmark(), atEnd);

  for (auto src : {Lines({}), Lines({u"  ", u"{ only }  // comments"})}) {
    sc.SetSource(src);
    sc.FirstToken();
    EXPECT_TRUE(sc.EOS());
  }
}

TEST(Tokenizer, LocalizeMarkersTagTokens) {
  TYScanner sc;
  sc.SetSource(Lines({u"a // LOCALIZE OFF", u"b //  localize off", u"c", u"//LOCALIZE ON x",
                      u"d // Localize On", u"{ LOCALIZE OFF } e", u"//   LOCALIZE ON", u"f"}));
  std::string flags;
  for (const TYToken& t : ScanAll(sc)) flags += t.TokLocalize ? '1' : '0';
  EXPECT_EQ(flags, "100011");
}

TEST(Tokenizer, CharacterCodeTooLargeRaisesPlainException) {
  TYScanner sc;
  sc.SetSource(Lines({u"a b c d e f g h i j k l", u"#65536"}));
  sc.FirstToken();
  sc.NextToken();
  const auto before = sc.GetBookmark();
  try {
    sc.NextToken();
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"\"#65536\" not a character");
    EXPECT_EQ(dynamic_cast<const EScannerError*>(&e), nullptr);
  }
  EXPECT_EQ(sc.GetBookmark(), before);

  // FirstToken keeps the slots it filled and its old last-token index.
  TYScanner fresh;
  fresh.SetSource(Lines({u"a b #$10000"}));
  EXPECT_THROW(fresh.FirstToken(), Exception);
  EXPECT_EQ(fresh.GetToken(1).RealStr, u"b");
  EXPECT_EQ(fresh.GetBookmark().LastTokenIndex, 0);
}

// The place of a token that raised, for messages like FILE:LINE:COLUMN, also
// when blanks, comments and line ends come before it.
TEST(Tokenizer, ReadPositionNamesTheTokenThatRaised) {
  struct Case {
    UnicodeString Text;
    int32_t Line, Column;
  } cases[] = {
      {u"a b #$10000", 0, 5},
      {u"x := 1;\n  { note } #70000;", 1, 12},
      {u"(* one\ntwo *)   #99999", 1, 10},
  };
  for (const Case& c : cases) {
    TStringList lines;
    lines.SetText(c.Text);
    TYScanner sc;
    sc.SetSource(lines);
    EXPECT_THROW(sc.FirstToken(), Exception);
    EXPECT_EQ(sc.ReadLine(), c.Line) << Utf16ToUtf8(c.Text);
    EXPECT_EQ(sc.ReadColumn(), c.Column) << Utf16ToUtf8(c.Text);
  }
}

TEST(Tokenizer, BadDigitsRaiseWhatTheConvertersRaise) {
  TYScanner sc;
  sc.SetSource(Lines({u"#1$2"}));
  EXPECT_THROW(sc.FirstToken(), EConvertError);
  sc.SetSource(Lines({u"#$1$"}));
  EXPECT_THROW(sc.FirstToken(), EYStringsError);
  sc.SetSourceStyle(ssC);
  sc.SetSource(Lines({u"\"\\8\""}));
  EXPECT_THROW(sc.FirstToken(), EYStringsError);
}

// The digits of a character code are told by the low byte of each code unit,
// so a character past 255 whose low byte is a digit continues the code and
// the conversion gets the text read (and reports it, unless it too goes by
// the low byte); one whose low byte is not a digit ends it.
TEST(Tokenizer, CharacterCodeDigitsGoByTheLowByte) {
  struct Case {
    UnicodeString Text;
    UnicodeString Read;  // the text the conversion is given, "" for no error
    UnicodeString Value;
  } cases[] = {
      {u"#6\u0135", u"6\u0135", u""},     // low byte '5'
      {u"#$4\u0141", u"", u"J"},  // low byte 'A': HexToInt reads it by its low byte too
      {u"#1\u0124", u"1\u0124", u""},     // low byte '$'
      {u"#66\u4E00", u"", u"B"},         // low byte 0: the code ends before it
      {u"#$41\u0147", u"", u"A"},        // low byte 'G' is no hexadecimal digit
  };
  for (const Case& c : cases) {
    TYScanner sc;
    sc.SetSource(Lines({c.Text}));
    try {
      sc.FirstToken();
      EXPECT_TRUE(c.Read.empty()) << "no error for " << Utf16ToUtf8(c.Text);
      EXPECT_EQ(sc.GetRealStr(), c.Value) << Utf16ToUtf8(c.Text);
      EXPECT_EQ(sc.GetTokType(), ttChar);
    } catch (const Exception& e) {
      EXPECT_FALSE(c.Read.empty()) << Utf16ToUtf8(c.Text) << ": " << e.what();
      EXPECT_NE(e.Message().find(c.Read), UnicodeString::npos) << e.what();
    }
  }
}

// Reads the whole source, taking the token after `before` as a template.
Tokens ScanPerl(std::initializer_list<UnicodeString> lines, TSourceStyle style = ssPerl,
                const UnicodeString& before = u"=~") {
  TYScanner sc;
  sc.SetSourceStyle(style);
  sc.SetSource(Lines(lines));
  Tokens out;
  for (sc.FirstToken(); !sc.EOS();) {
    out.push_back(Show(sc.GetToken(0)));
    if (sc.GetTokStr() == before)
      sc.NextTokenAsTemplate();
    else
      sc.NextToken();
  }
  return out;
}

TEST(Tokenizer, TemplateReadsThePatternAfterTheCurrentToken) {
  EXPECT_EQ(ScanPerl({u"$x =~ /a\\/b c/i;", u"y"}),
            (Tokens{"ttUnknown $x", "ttSeparator =~", "ttString a/b c", "ttIdent i",
                    "ttSeparator ;", "ttIdent y"}));
  EXPECT_EQ(ScanPerl({u"$x =~ /abc", u"y"}),
            (Tokens{"ttUnknown $x", "ttSeparator =~", "ttUnknown abc", "ttIdent y"}));
  EXPECT_EQ(ScanPerl({u"$x =~ m/a/"}), (Tokens{"ttUnknown $x", "ttSeparator =~", "ttIdent m",
                                               "ttSeparator /", "ttIdent a", "ttSeparator /"}));
  EXPECT_EQ(ScanPerl({u"=~"}), (Tokens{"ttSeparator =~"}));
  // The style's doubling rule applies to the borrowed quote as well.
  EXPECT_EQ(ScanPerl({u"x /a//b/ y"}, ssSQL, u"x"),
            (Tokens{"ttIdent x", "ttString a/b", "ttIdent y"}));
  EXPECT_EQ(ScanPerl({u"x /a//b/ y"}, ssC, u"x"),
            (Tokens{"ttIdent x", "ttString a", "ttSeparator /", "ttIdent b", "ttSeparator /",
                    "ttIdent y"}));
}

// Short but whole sources; each check names what would break.
TEST(RealisticSources, PascalUnit) {
  TYScanner sc;
  sc.SetWords(Lines({u"unit", u"const", u"begin", u"end"}));
  sc.SetSource(Lines({u"unit U; { header (* not nested *)", u"  still header }", u"const",
                      u"  // LOCALIZE OFF", u"  Key = 'k''1'#9;", u"  // LOCALIZE ON",
                      u"  Msg = 'Hi'#13#10 + #$263A; (* a", u"{ b } *) begin end."}));
  auto toks = ScanAll(sc);
  std::vector<std::string> shown;
  for (auto& t : toks) shown.push_back(Show(t) + (t.TokLocalize ? "" : " (off)"));
  EXPECT_EQ(shown,
            (Tokens{"ttReservedWord unit", "ttIdent U", "ttSeparator ;", "ttReservedWord const",
                    "ttIdent Key (off)", "ttSeparator = (off)", "ttString k'1<9> (off)",
                    "ttSeparator ; (off)", "ttIdent Msg", "ttSeparator =", "ttString Hi<13><10>",
                    "ttSeparator +", "ttChar \u263A", "ttSeparator ;", "ttReservedWord begin",
                    "ttReservedWord end", "ttSeparator ."}));
  EXPECT_EQ(toks[3].TokLine, 2);
  EXPECT_EQ(toks.back().TokLine, 7);
}

}  // namespace
}  // namespace dz::test
