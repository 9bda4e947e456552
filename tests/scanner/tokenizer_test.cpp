// What the tokenizer makes of source text in each style: kinds, values of
// literals, comments, positions, the end of the source and the failures.
#include <gtest/gtest.h>

#include <array>
#include <typeinfo>

#include "tests/scanner/ScanHelpers.h"

namespace dz::test {
namespace {

struct Case {
  const char* name;
  TSourceStyle style;
  const char16_t* text;  // lines split at \n
  const char* expected;  // the tokens shown, joined by '|'
  const char16_t* templateAfter = nullptr;  // the token read next as a template follows it
};

const Case kCases[] = {
    {"PascalStringWithCodes", ssPascal, u"x := 'it''s'#13#10;",
     "ttIdent x|ttSeparator :=|ttString it's<13><10>|ttSeparator ;"},
    {"PascalLoneCodeIsChar", ssPascal, u"#65 #$1F #$ff", "ttChar A|ttChar <31>|ttChar ÿ"},
    {"PascalCodesInARowAreString", ssPascal, u"#$41#66", "ttString AB"},
    {"PascalCodesAroundQuotes", ssPascal, u"#13'ab'#10'c'd", "ttString <13>ab<10>c|ttIdent d"},
    {"PascalWideLiteral", ssPascal, u"L'abc' L", "ttLString abc|ttIdent L"},
    {"UnterminatedTakesRestOfLine", ssPascal, u"'ab x\ny", "ttUnknown ab x|ttIdent y"},
    {"UnterminatedWideLiteral", ssC, u"L\"ab x\ny", "ttUnknown ab x|ttIdent y"},
    {"NumbersAreWholeWords", ssPascal, u"12 12ab 1.5 1e+5 2e10",
     "ttNumber 12|ttUnknown 12ab|ttNumber 1|ttSeparator .|ttNumber 5|ttUnknown 1e|"
     "ttSeparator +|ttNumber 5|ttNumber 2e10"},
    {"FirstCharLow8BitsDecides", ssPascal, u"\u0141odz \u0436uk _x `q $FF",
     "ttIdent \u0141odz|ttUnknown \u0436uk|ttIdent _x|ttIdent `q|ttUnknown $FF"},
    {"PascalCommentsSkipped", ssPascal, u"a { one\ntwo } b (* c *) c // d\n{}e",
     "ttIdent a|ttIdent b|ttIdent c|ttIdent e"},
    {"OpenCloseParenStarIsAComment", ssPascal, u"(*) x", "ttIdent x"},
    {"CommentsDoNotNest", ssPascal, u"{ a { b } c }", "ttIdent c|ttSeparator }"},
    {"UnterminatedBlockCommentEndsSource", ssPascal, u"a (* b\nc", "ttIdent a"},
    {"TwoCharSeparators", ssPascal, u"a:=b: =c=>d<>e",
     "ttIdent a|ttSeparator :=|ttIdent b|ttSeparator :|ttSeparator =|ttIdent c|ttSeparator =|"
     "ttSeparator >|ttIdent d|ttSeparator <>|ttIdent e"},
    {"CEscapes", ssC, u"\"a\\\"b\\\\c\" \"\\x41\\101\" \"\\q\\?\\1234\" \"\\x414\\x\"",
     "ttString a\"b\\c|ttString AA|ttString q?S4|ttString \u0414<0>"},
    {"CCharLiterals", ssC, u"'a' '\\n'x 'ab'",
     "ttChar a|ttChar <10>|ttIdent x|ttChar <0>|ttIdent b|ttChar <0>"},
    {"CWideAndLowerL", ssC, u"L\"abc\" l\"abc\"", "ttLString abc|ttIdent l|ttString abc"},
    {"CNoDoubledQuotes", ssC, u"\"ab\"\"cd\"", "ttString ab|ttString cd"},
    {"CSeparatorsAndComments", ssC, u"p->q != r /* x\n*/ #include // y",
     "ttIdent p|ttSeparator ->|ttIdent q|ttSeparator !=|ttIdent r|ttSeparator #|ttIdent include"},
    {"CEscapeEndingTheLine", ssC, u"\"ab\\", "ttUnknown ab\\"},
    {"SqlDoubledQuotes", ssSQL, u"'O''Neil' L'x' 'a\\'b'",
     "ttString O'Neil|ttLString x|ttString a'b"},
    // An escape reads three hex digits at most: \x263A is U+0263 and A.
    {"CRealistic", ssC, u"wchar_t *w = L\"\\u00e9\\x263A\"; char c = '\\'';",
     "ttIdent wchar_t|ttSeparator *|ttIdent w|ttSeparator =|ttLString u00e9\u0263A|"
     "ttSeparator ;|ttIdent char|ttIdent c|ttSeparator =|ttChar '|ttSeparator ;"},
    {"SqlRealistic", ssSQL, u"WHERE name = 'O''Neil' AND note <> '' -- x",
     "ttIdent WHERE|ttIdent name|ttSeparator =|ttString O'Neil|ttIdent AND|ttIdent note|"
     "ttSeparator <>|ttString |ttSeparator -|ttSeparator -|ttIdent x"},
    {"PerlComments", ssPerl, u"# whole line\nx # y\n\"a\\tb\"", "ttIdent x|ttString a<9>b"},
    // Markers are told apart from other comments by case-blind text, and
    // only in line comments.
    {"LocalizeMarkers", ssPascal,
     u"a // LOCALIZE OFF\nb //  localize off\nc\n//LOCALIZE ON x\nd // Localize On\n"
     u"{ LOCALIZE OFF } e\n//   LOCALIZE ON\nf",
     "ttIdent a|ttIdent b off|ttIdent c off|ttIdent d off|ttIdent e|ttIdent f"},
    {"PascalUnit", ssPascal,
     u"unit U; { header (* not nested *)\n  still header }\n  // LOCALIZE OFF\n"
     u"  Key = 'k''1'#9;\n  // LOCALIZE ON\n  Msg = 'Hi'#13#10 + #$263A; (* a\n{ b } *) end.",
     "ttIdent unit|ttIdent U|ttSeparator ;|ttIdent Key off|ttSeparator = off|"
     "ttString k'1<9> off|ttSeparator ; off|ttIdent Msg|ttSeparator =|ttString Hi<13><10>|"
     "ttSeparator +|ttChar \u263A|ttSeparator ;|ttIdent end|ttSeparator ."},
    {"TemplateAfterTheToken", ssPerl, u"$x =~ /a\\/b c/i;\ny",
     "ttUnknown $x|ttSeparator =~|ttString a/b c|ttIdent i|ttSeparator ;|ttIdent y", u"=~"},
    {"UnterminatedTemplate", ssPerl, u"$x =~ /abc\ny",
     "ttUnknown $x|ttSeparator =~|ttUnknown abc|ttIdent y", u"=~"},
    {"TemplateNeedsTheQuoteNext", ssPerl, u"$x =~ m/a/",
     "ttUnknown $x|ttSeparator =~|ttIdent m|ttSeparator /|ttIdent a|ttSeparator /", u"=~"},
    {"TemplateAtTheEnd", ssPerl, u"=~", "ttSeparator =~", u"=~"},
    // The style's doubling rule applies to the borrowed quote as well.
    {"SqlTemplateDoubles", ssSQL, u"x /a//b/ y", "ttIdent x|ttString a/b|ttIdent y", u"x"},
    {"CTemplateDoesNotDouble", ssC, u"x /a//b/ y",
     "ttIdent x|ttString a|ttSeparator /|ttIdent b|ttSeparator /|ttIdent y", u"x"},
};

TEST(Tokenizer, StylesScanAsExpected) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TYScanner sc;
    sc.SetSourceStyle(c.style);
    sc.SetSource(Text(c.text));
    std::string shown;
    for (sc.FirstToken(); !sc.EOS();) {
      shown += (shown.empty() ? "" : "|");
      shown += Show(sc.GetToken(0));
      if (c.templateAfter && sc.GetTokStr() == c.templateAfter)
        sc.NextTokenAsTemplate();
      else
        sc.NextToken();
    }
    EXPECT_EQ(shown, c.expected);
  }
}

// Line ends count as two characters, also inside a block comment.
TEST(Tokenizer, PositionsCountLineEndsAsTwo) {
  TYScanner sc;
  sc.SetSource(Text(u"ab  'c''d'\n\n  ef (* x\n*) g"));
  std::vector<std::array<int32_t, 4>> got;  // line, start, end, position
  for (const TYToken& t : ScanAll(sc)) got.push_back({t.TokLine, t.TokStart, t.TokEnd, t.TokPos});
  EXPECT_EQ(got, (std::vector<std::array<int32_t, 4>>{
                     {0, 1, 3, 0}, {0, 5, 11, 4}, {2, 3, 5, 10 + 2 + 0 + 2 + 2}, {3, 4, 5, 28}}));
}

TEST(Tokenizer, EndOfSourceArrivesWithTheLastShift) {
  TYScanner sc;
  sc.SetSource(TStringList({u"a b", u"c"}));
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

  for (auto src : {TStringList(), TStringList({u"  ", u"{ only }  // comments"})}) {
    sc.SetSource(src);
    sc.FirstToken();
    EXPECT_TRUE(sc.EOS());
  }
}

// A failure names the token that raised, for messages like FILE:LINE:COLUMN,
// also after blanks, comments and line ends. The digits of a character code
// are told by the low byte of each code unit, so a character past 255 whose
// low byte is a digit continues the code and the conversion gets the text
// read (and reports it, unless it too goes by the low byte); one whose low
// byte is not a digit ends it.
TEST(Tokenizer, BadCodesRaiseAtTheirPlace) {
  const struct {
    TSourceStyle Style;
    const char16_t* Text;
    const std::type_info* Raised;  // null: no error, the token is a ttChar of Value
    UnicodeString Message;         // or Value
    int32_t Line = 0, Column = 1;
  } cases[] = {
      {ssPascal, u"#65536", &typeid(Exception), u"\"#65536\" not a character"},
      {ssPascal, u"a b #$10000", &typeid(Exception), u"\"#$10000\" not a character", 0, 5},
      {ssPascal, u"x := 1;\n  { note } #70000;", &typeid(Exception),
       u"\"#70000\" not a character", 1, 12},
      {ssPascal, u"(* one\ntwo *)   #99999", &typeid(Exception), u"\"#99999\" not a character",
       1, 10},
      {ssPascal, u"#1$2", &typeid(EConvertError), u"'1$2' is not a valid integer value"},
      {ssPascal, u"#$1$", &typeid(EYStringsError), u"$ is not a hex digit"},
      {ssC, u"\"\\8\"", &typeid(EYStringsError), u"8 is not an oct digit"},
      // low byte '5', then '$'
      {ssPascal, u"#6\u0135", &typeid(EConvertError), u"'6\u0135' is not a valid integer value"},
      {ssPascal, u"#1\u0124", &typeid(EConvertError), u"'1\u0124' is not a valid integer value"},
      // HexToInt reads the low byte 'A' as a digit too.
      {ssPascal, u"#$4\u0141", nullptr, u"J"},
      {ssPascal, u"#66\u4E00", nullptr, u"B"},   // low byte 0 ends the code
      {ssPascal, u"#$41\u0147", nullptr, u"A"},  // low byte 'G' is no hexadecimal digit
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.Text));
    TYScanner sc;
    sc.SetSourceStyle(c.Style);
    sc.SetSource(Text(c.Text));
    try {
      sc.FirstToken();
      EXPECT_EQ(c.Raised, nullptr) << "no error";
      EXPECT_EQ(sc.GetRealStr(), c.Message);
      EXPECT_EQ(sc.GetTokType(), ttChar);
    } catch (const Exception& e) {
      ASSERT_NE(c.Raised, nullptr) << e.what();
      EXPECT_EQ(typeid(e), *c.Raised) << e.what();
      EXPECT_EQ(e.Message(), c.Message);
      EXPECT_EQ(sc.ReadLine(), c.Line);
      EXPECT_EQ(sc.ReadColumn(), c.Column);
    }
  }
}

// A token that raises leaves the queue as it was; FirstToken keeps the slots
// it filled and its old last-token index.
TEST(Tokenizer, ARaisingTokenLeavesTheQueue) {
  TYScanner sc;
  sc.SetSource(TStringList({u"a b c d e f g h i j k l", u"#65536"}));
  sc.FirstToken();
  sc.NextToken();
  const auto before = sc.GetBookmark();
  EXPECT_THROW(sc.NextToken(), Exception);
  EXPECT_EQ(sc.GetBookmark(), before);
  TYScanner fresh;
  fresh.SetSource(TStringList({u"a b #$10000"}));
  EXPECT_THROW(fresh.FirstToken(), Exception);
  EXPECT_EQ(fresh.GetToken(1).RealStr, u"b");
  EXPECT_EQ(fresh.GetBookmark().LastTokenIndex, 0);
}

}  // namespace
}  // namespace dz::test
