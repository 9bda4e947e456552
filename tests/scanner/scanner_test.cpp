// The scanner: what the tokenizer makes of source text in each style, its
// settings and word lists, the queue, bookmarks, ExtractPiece and ScanToPair.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <typeinfo>
#include <vector>

#include "deziva27/host/Host.h"
#include "deziva27/platform/detail/Nls.h"
#include "deziva27/scanner/YScanner.h"

namespace dz::test {
namespace {

// Sets the lines of a text split at \n as the source and reads the first token.
TYScanner& Start(TYScanner& sc, std::u16string_view text) {
  TStringList lines;
  lines.SetText(text);
  sc.SetSource(lines);
  sc.FirstToken();
  return sc;
}

// "kind text", with controls written as <13> so that failures stay readable,
// and " off" after a token that is not to be localized.
std::string Show(const TYToken& t) {
  std::string s = TokenKindName(t.TokType) + std::string(" ");
  for (char16_t c : t.RealStr)
    s += c < 32 ? '<' + std::to_string(int(c)) + '>' : Utf16ToUtf8(std::u16string(1, c));
  return t.TokLocalize ? s : s + " off";
}

// The tokens from the current one to the end, shown and joined by '|'; the
// token after one whose text is templateAfter is read as a template.
std::string Shown(TYScanner& sc, const char16_t* templateAfter = nullptr) {
  std::string shown;
  while (!sc.EOS()) {
    if (!shown.empty()) shown += '|';
    shown += Show(sc.GetToken(0));
    if (templateAfter && sc.GetTokStr() == templateAfter)
      sc.NextTokenAsTemplate();
    else
      sc.NextToken();
  }
  return shown;
}

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
    {"CEscapes", ssC, u"\"a\\\"b\\\\c\" \"\\x41\\101\" \"\\q\\?\\1234\" \"\\x414\\x\"",
     "ttString a\"b\\c|ttString AA|ttString q?S4|ttString \u0414<0>"},
    {"CCharLiterals", ssC, u"'a' '\\n'x 'ab'",
     "ttChar a|ttChar <10>|ttIdent x|ttChar <0>|ttIdent b|ttChar <0>"},
    {"CWideAndLowerL", ssC, u"L\"abc\" l\"abc\"", "ttLString abc|ttIdent l|ttString abc"},
    {"CNoDoubledQuotes", ssC, u"\"ab\"\"cd\"", "ttString ab|ttString cd"},
    {"CSeparatorsAndComments", ssC, u"p->q != r /* x\n*/ #include // y",
     "ttIdent p|ttSeparator ->|ttIdent q|ttSeparator !=|ttIdent r|ttSeparator #|ttIdent include"},
    {"CEscapeEndingTheLine", ssC, u"\"ab\\", "ttUnknown ab\\"},
    {"SqlQuotes", ssSQL, u"WHERE name = 'O''Neil' AND note <> '' -- L'x' 'a\\'b'",
     "ttIdent WHERE|ttIdent name|ttSeparator =|ttString O'Neil|ttIdent AND|ttIdent note|"
     "ttSeparator <>|ttString |ttSeparator -|ttSeparator -|ttLString x|ttString a'b"},
    {"PerlComments", ssPerl, u"# whole line\nx # y\n\"a\\tb\"", "ttIdent x|ttString a<9>b"},
    // Markers are told apart from other comments by case-blind text, and
    // only in line comments.
    {"LocalizeMarkers", ssPascal,
     u"a // LOCALIZE OFF\nb //  localize off\nc\n//LOCALIZE ON x\nd // Localize On\n"
     u"{ LOCALIZE OFF } e\n//   LOCALIZE ON\nf",
     "ttIdent a|ttIdent b off|ttIdent c off|ttIdent d off|ttIdent e|ttIdent f"},
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
    EXPECT_EQ(Shown(Start(sc, c.text), c.templateAfter), c.expected);
  }
}

// Line ends count as two characters, also inside a block comment.
TEST(Tokenizer, PositionsCountLineEndsAsTwo) {
  TYScanner sc;
  std::vector<std::array<int32_t, 4>> got;  // line, start, end, position
  for (Start(sc, u"ab  'c''d'\n\n  ef (* x\n*) g"); !sc.EOS(); sc.NextToken()) {
    const TYToken t = sc.GetToken(0);
    got.push_back({t.TokLine, t.TokStart, t.TokEnd, t.TokPos});
  }
  EXPECT_EQ(got, (std::vector<std::array<int32_t, 4>>{
                     {0, 1, 3, 0}, {0, 5, 11, 4}, {2, 3, 5, 10 + 2 + 0 + 2 + 2}, {3, 4, 5, 28}}));
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
    try {
      Start(sc, c.Text);
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
  // A token that raises leaves the queue as it was; FirstToken keeps the
  // slots it filled and its old last-token index.
  TYScanner sc;
  Start(sc, u"a b c d e f g h i j k l\n#65536");
  sc.NextToken();
  const auto before = sc.GetBookmark();
  EXPECT_THROW(sc.NextToken(), Exception);
  EXPECT_EQ(sc.GetBookmark(), before);
  TYScanner fresh;
  EXPECT_THROW(Start(fresh, u"a b #$10000"), Exception);
  EXPECT_EQ(fresh.GetToken(1).RealStr, u"b");
  EXPECT_EQ(fresh.GetBookmark().LastTokenIndex, 0);
}

// A new scanner has Pascal's settings, which its row sets again after
// others. ssNone and setting the same style again keep what was set. The
// separator test prefers a pair from the list to a single character.
TEST(Styles, NewScannerIsPascalAndEachStyleSetsItsLists) {
  TYScanner sc;
  EXPECT_EQ(sc.SourceStyle(), ssPascal);
  EXPECT_EQ(sc.GetBlockComments(), u"(*-*),{-}");
  EXPECT_EQ(sc.Seps(), u"( ) [ ] + - * / = < > ! ; , @ ' \" : . := >= <= <> { } // (* *) #");
  EXPECT_TRUE(sc.Localize());
  EXPECT_EQ(sc.GetTokType(), ttUnknown);
  EXPECT_EQ(sc.GetToken(-10), TYToken());
  const struct {
    UnicodeString line;
    int32_t p;
    bool sep;
    int32_t after;
  } seps[] = {
      {u"a:=b", 2, true, 3}, {u"a: =b", 2, true, 2}, {u"=>", 1, true, 1}, {u"<>", 1, true, 2},
      {u"ab", 1, false, 1},  {u":", 1, true, 1},     {u":", 2, false, 2}, {u":", 0, false, 0},
  };
  for (auto& c : seps) {
    int32_t p = c.p;
    EXPECT_EQ(sc.IsSeparator(c.line, p), c.sep) << Utf16ToUtf8(c.line) << " at " << c.p;
    EXPECT_EQ(p, c.after) << Utf16ToUtf8(c.line) << " at " << c.p;
  }
  struct {
    TSourceStyle style;
    size_t sepsLength;
    UnicodeString seps2, blocks;
    WideChar strQuote, extra;
  } cases[] = {
      {ssC, 67, u"->", u"/*-*/", u'"', u'\\'},
      {ssSQL, 70, u"<> !=", u"/*-*/", u'\'', u'\\'},
      {ssPascal, 64, u"(* *) #", u"(*-*),{-}", u'\'', u'#'},
      {ssPerl, 61, u"=~", u"", u'"', u'\\'},
      {ssNone, 61, u"=~", u"", u'"', u'\\'},
  };
  for (auto& c : cases) {
    sc.SetSourceStyle(c.style);
    EXPECT_EQ(sc.Seps().size(), c.sepsLength) << c.style;
    EXPECT_NE(sc.Seps().find(c.seps2), UnicodeString::npos) << c.style;
    EXPECT_EQ(sc.GetBlockComments(), c.blocks) << c.style;
    EXPECT_EQ(sc.StrQuote(), c.strQuote) << c.style;
    EXPECT_EQ(sc.ExtraCharSymbol(), c.extra) << c.style;
    EXPECT_EQ(sc.CharQuote(), u'\'') << c.style;
  }
  EXPECT_EQ(Shown(Start(sc, u"a # b")), "ttIdent a");  // Perl's line comment, kept
  sc.SetSourceStyle(ssC);
  sc.SetStrQuote(u'`');
  sc.SetSourceStyle(ssC);
  EXPECT_EQ(sc.StrQuote(), u'`');
  // Every expectation spells the other kinds through TokenKindName.
  EXPECT_STREQ(TokenKindName(ttStrTemplate), "ttStrTemplate");
  for (int past : {11, 255}) EXPECT_STREQ(TokenKindName(static_cast<TYTokenType>(past)), "?");
  // A block comment's text splits at its first hyphen; one without is dropped.
  sc.SetBlockComments(u"<!---->,nohyphen,\"[ -] \"");
  EXPECT_EQ(sc.GetBlockComments(), u"<!---->,[ -] ");
  EXPECT_EQ(Shown(Start(sc, u"a <!-- b -- c ---> d [ e ] f")), "ttIdent a|ttIdent d|ttIdent f");
  UnicodeString closer;
  EXPECT_TRUE(sc.isBlockComment(u"x<!", 2, closer));
  EXPECT_EQ(closer, u"--->");
  EXPECT_FALSE(sc.isBlockComment(u"x<", 2, closer));
  sc.SetBlockComments(u"");
  EXPECT_EQ(sc.GetBlockComments(), u"");
  // The list is searched as plain text: any adjacent pair counts, and
  // characters beyond ASCII work as well.
  sc.SetSeps(u"ab \u00e9\u00e8");
  for (const char16_t* pair : {u"ab", u"\u00e9\u00e8", u"\u00e8\u00e9"}) {
    int32_t p = 1;
    EXPECT_EQ(sc.IsSeparator(pair, p) && p == 2, pair[0] != u'\u00e8') << Utf16ToUtf8(pair);
  }
}

TEST(WordLists, KindsFollowTheListsCaseInsensitivelyInTheLocale) {
  TYScanner sc;
  sc.SetWords(TStringList({u"begin", u"END"}));
  sc.SetVars(TStringList({u"Counter"}));
  sc.SetFuncs(TStringList({u"WriteLn", u"NA\u00cfVE"}));
  const char16_t* text = u"Begin counter writeln na\u00efve end x";
  EXPECT_EQ(Shown(Start(sc, text)), "ttReservedWord Begin|ttVariable counter|ttFunction writeln|"
                                    "ttFunction na\u00efve|ttReservedWord end|ttIdent x");
  // Changes made to the lists in place count from the next token on.
  sc.RWords().Add(u"x");
  sc.Vars().Clear();
  EXPECT_EQ(Shown(Start(sc, text)), "ttReservedWord Begin|ttIdent counter|ttFunction writeln|"
                                    "ttFunction na\u00efve|ttReservedWord end|ttReservedWord x");
  EXPECT_TRUE(sc.isFunc(u"WRITELN"));
  EXPECT_FALSE(sc.isVar(u"counter"));
  // Upper-case I is dotless in Turkish, so IF is another word there.
  ASSERT_TRUE(win::SetSystemLocale("tr-TR"));
  TYScanner tr;
  tr.SetWords(TStringList({u"if"}));
  Start(tr, u"IF if");
  win::ResetSystemLocale();
  EXPECT_EQ(tr.GetToken(0).TokType, ttIdent);
  EXPECT_EQ(tr.GetToken(0).TokStr, u"\u0131f");
  EXPECT_EQ(tr.GetToken(1).TokType, ttReservedWord);
}

// The queue holds the current token, ten ahead and ten behind; the end of
// the source arrives with the shift after the last token.
TEST(Queue, LookAheadLookBackAndTheEnd) {
  TYScanner sc;
  Start(sc, u"  Begin t1 t2 t3 t4 t5 t6 t7 t8 t9 t10 T11");
  EXPECT_EQ(sc.GetToken(10).RealStr, u"t10");
  EXPECT_EQ(sc.GetToken(-1), TYToken());
  EXPECT_EQ(sc.GetTokStr(), u"begin");
  EXPECT_EQ(sc.GetRealStr(), u"Begin");
  EXPECT_EQ(sc.GetTokLength(), 5);
  sc.NextToken();
  EXPECT_EQ(sc.GetToken(-1).RealStr, u"Begin");
  EXPECT_EQ(sc.GetToken(10).RealStr, u"T11");
  EXPECT_EQ(sc.GetToken(10).TokStr, u"t11");
  EXPECT_EQ(sc.GetPrevToksStr(), u"begin");
  // Past the end slot 10 keeps its token while the others move on.
  sc.NextToken();
  EXPECT_EQ(sc.GetToken(9).RealStr, u"T11");
  EXPECT_EQ(sc.GetToken(10).RealStr, u"T11");
  EXPECT_EQ(sc.GetBookmark().LastTokenIndex, 9);
  EXPECT_EQ(sc.GetPrevToksStr(), u"begint1");
  for (int i = 2; i < 11; ++i) sc.NextToken();
  EXPECT_FALSE(sc.EOS());
  EXPECT_EQ(sc.GetRealStr(), u"T11");
  sc.NextToken();
  EXPECT_TRUE(sc.EOS());
  const auto atEnd = sc.GetBookmark();
  sc.NextToken();
  EXPECT_EQ(sc.GetBookmark(), atEnd);
  for (auto src : {TStringList(), TStringList({u"  ", u"{ only }  // comments"})}) {
    sc.SetSource(src);
    sc.FirstToken();
    EXPECT_TRUE(sc.EOS());
  }

  // A short source fills only its own slots. The current token's text is
  // worked out from the token, not from a stored field.
  EXPECT_EQ(Start(sc, u"a b\nc").GetBookmark().LastTokenIndex, 2);
  TYToken t = sc.GetToken(0);
  t.RealStr = u"\u00c4X";
  sc.SetToken(0, t);
  EXPECT_EQ(sc.GetTokStr(), u"\u00e4x");

  for (int32_t i : {11, -11}) {
    try {
      sc.GetToken(i);
      FAIL() << i;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"Token " + IntToStr(i) + u" is not available");
    }
    EXPECT_THROW(sc.SetToken(i, TYToken()), Exception);
  }
  TYScannerBookmark bad;
  bad.LastTokenIndex = 11;
  bad.TokenQueue[3].RealStr = u"kept";
  EXPECT_THROW(sc.SetBookmark(bad), Exception);
  EXPECT_EQ(sc.GetToken(3).RealStr, u"kept");
}

TEST(Bookmarks, RestoreGivesTheSameTokensAgain) {
  TYScanner sc;
  // The bookmark's last token (l) lies before a line end and a marker that
  // the reading goes past.
  Start(sc, u"// LOCALIZE OFF\na b c d e f g h i j k l m n\n// LOCALIZE ON\no p q r s");
  sc.NextToken();
  auto read12 = [&sc] {
    std::string s;
    for (int i = 0; i < 12; ++i, sc.NextToken()) s += Show(sc.GetToken(0)) + "|";
    return s;
  };
  const auto mark = sc.GetBookmark();
  const std::string first = read12();
  const auto later = sc.GetBookmark();
  sc.SetBookmark(mark);
  EXPECT_EQ(sc.GetBookmark(), mark);
  EXPECT_EQ(read12(), first);
  // Positions and Localize of the tokens read after the restore are right.
  EXPECT_EQ(sc.GetBookmark(), later);
}

TEST(ExtractPiece, BetweenBookmarks) {
  TYScanner sc;
  Start(sc, u"a := b + c;");
  auto atA = sc.GetBookmark();
  while (sc.GetTokStr() != u";") sc.NextToken();
  auto atSemi = sc.GetBookmark();
  EXPECT_EQ(sc.ExtractPiece(atA, atSemi, true), u"a := b + c;");
  EXPECT_EQ(sc.ExtractPiece(atA, atSemi, false), u"a := b + c");
  EXPECT_EQ(sc.ExtractPiece(atSemi, atA, true), u"");
  sc.NextToken();
  ASSERT_TRUE(sc.EOS());
  EXPECT_EQ(sc.ExtractPiece(sc.GetBookmark(), atA, true), u"");
  EXPECT_EQ(sc.ExtractPiece(atA, sc.GetBookmark(), true), u"a := b + c;");

  Start(sc, u"x  first  line\n\tmiddle \nlast line  y");
  sc.NextToken();
  auto atFirst = sc.GetBookmark();
  while (sc.GetTokStr() != u"y") sc.NextToken();
  EXPECT_EQ(sc.ExtractPiece(atFirst, sc.GetBookmark(), false),
            u"first  line\r\n\tmiddle \r\nlast line");
  sc.NextToken();
  EXPECT_EQ(sc.ExtractPiece(atFirst, sc.GetBookmark(), false),
            u"first  line\r\n\tmiddle \r\nlast line  y");
}

// Whatever ScanToPair finds, and also when its look-ahead raises, the
// scanner is left as it was.
TEST(ScanToPair, FindsRightTokenOutsideWrongLevels) {
  const struct {
    UnicodeString text, right, wrong;
    TYTokenTypes kinds;
    bool found;
  } cases[] = {
      {u"(a, (x), b)", u"X", u"", {ttIdent}, true},
      {u"(a, b) x", u"X", u"", {ttIdent}, false},
      {u"(a, (x), b)", u"X", u"(", {ttIdent}, false},
      {u"(a, [x])", u"X", u"(", {ttIdent}, true},
      {u"((y) x)", u"X", u"y", {ttIdent}, true},
      {u"(a, b", u"X", u"", {ttIdent}, false},
      {u"(a, (x), b)", u"x", u"", {ttNumber, ttReservedWord}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    TYScanner sc, fresh;
    const auto mark = Start(sc, c.text).GetBookmark();
    EXPECT_EQ(sc.ScanToPair(u"(", u")", c.right, c.wrong, c.kinds), c.found);
    EXPECT_EQ(sc.GetBookmark(), mark);
    EXPECT_EQ(Shown(sc), Shown(Start(fresh, c.text)));
  }
  // Any tokens may pair; the tokens after a marker keep their flag.
  TYScanner sc;
  const auto mark = Start(sc, u"begin a\n// LOCALIZE OFF\nend; b c").GetBookmark();
  EXPECT_FALSE(sc.ScanToPair(u"begin", u"end", u"c", u"", {ttIdent, ttReservedWord}));
  EXPECT_EQ(sc.GetBookmark(), mark);
  EXPECT_EQ(Shown(sc), "ttIdent begin|ttIdent a|ttIdent end off|ttSeparator ; off|ttIdent b off|"
                      "ttIdent c off");
  const auto before = Start(sc, u"( a b c d e f g h i j k l #99999 )").GetBookmark();
  EXPECT_THROW(sc.ScanToPair(u"(", u")", u"", u"", {}), Exception);
  EXPECT_EQ(sc.GetBookmark(), before);
}

}  // namespace
}  // namespace dz::test
