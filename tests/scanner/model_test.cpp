// Settings of a scanner: defaults, styles, block-comment text, the separator
// test and the word lists.
#include <gtest/gtest.h>

#include "deziva27/platform/detail/Nls.h"
#include "tests/scanner/ScanHelpers.h"

namespace dz::test {
namespace {

// A new scanner has Pascal's settings, which its row sets again after
// others. ssNone and setting the same style again keep what was set.
TEST(Styles, NewScannerIsPascalAndEachStyleSetsItsLists) {
  TYScanner sc;
  EXPECT_EQ(sc.SourceStyle(), ssPascal);
  EXPECT_EQ(sc.GetBlockComments(), u"(*-*),{-}");
  EXPECT_EQ(sc.Seps(), u"( ) [ ] + - * / = < > ! ; , @ ' \" : . := >= <= <> { } // (* *) #");
  EXPECT_TRUE(sc.Localize());
  EXPECT_EQ(sc.GetTokType(), ttUnknown);
  EXPECT_EQ(sc.GetToken(-10), TYToken());
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
  sc.SetSource(TStringList({u"a # b"}));  // Perl's line comment, kept
  EXPECT_EQ(ShowAll(sc), (std::vector<std::string>{"ttIdent a"}));
  sc.SetSourceStyle(ssC);
  sc.SetStrQuote(u'`');
  sc.SetSourceStyle(ssC);
  EXPECT_EQ(sc.StrQuote(), u'`');
}

// Every expectation spells the other kinds through TokenKindName.
TEST(Styles, TokenKindNamesEndAtStrTemplate) {
  EXPECT_STREQ(TokenKindName(ttStrTemplate), "ttStrTemplate");
  for (int past : {11, 255}) EXPECT_STREQ(TokenKindName(static_cast<TYTokenType>(past)), "?");
}

TEST(Styles, BlockCommentTextSplitsAtFirstHyphen) {
  TYScanner sc;
  sc.SetBlockComments(u"<!---->,nohyphen,\"[ -] \"");
  EXPECT_EQ(sc.GetBlockComments(), u"<!---->,[ -] ");
  sc.SetSource(TStringList({u"a <!-- b -- c ---> d [ e ] f"}));
  EXPECT_EQ(ShowAll(sc), (std::vector<std::string>{"ttIdent a", "ttIdent d", "ttIdent f"}));
  UnicodeString closer;
  EXPECT_TRUE(sc.isBlockComment(u"x<!", 2, closer));
  EXPECT_EQ(closer, u"--->");
  EXPECT_FALSE(sc.isBlockComment(u"x<", 2, closer));
  sc.SetBlockComments(u"");
  EXPECT_EQ(sc.GetBlockComments(), u"");
}

TEST(Styles, SeparatorTestPrefersPairs) {
  TYScanner sc;
  struct {
    UnicodeString line;
    int32_t p;
    bool sep;
    int32_t after;
  } cases[] = {
      {u"a:=b", 2, true, 3}, {u"a: =b", 2, true, 2}, {u"=>", 1, true, 1}, {u"<>", 1, true, 2},
      {u"ab", 1, false, 1},  {u":", 1, true, 1},     {u":", 2, false, 2}, {u":", 0, false, 0},
  };
  for (auto& c : cases) {
    int32_t p = c.p;
    EXPECT_EQ(sc.IsSeparator(c.line, p), c.sep) << Utf16ToUtf8(c.line) << " at " << c.p;
    EXPECT_EQ(p, c.after) << Utf16ToUtf8(c.line) << " at " << c.p;
  }
  // The list is searched as plain text: any adjacent pair counts, and
  // characters beyond ASCII work as well.
  sc.SetSeps(u"ab \u00e9\u00e8");
  for (const char16_t* pair : {u"ab", u"\u00e9\u00e8", u"\u00e8\u00e9"}) {
    int32_t p = 1;
    EXPECT_EQ(sc.IsSeparator(pair, p) && p == 2, pair[0] != u'\u00e8') << Utf16ToUtf8(pair);
  }
}

TEST(WordLists, KindsFollowTheListsCaseInsensitively) {
  TYScanner sc;
  sc.SetWords(TStringList({u"begin", u"END"}));
  sc.SetVars(TStringList({u"Counter"}));
  sc.SetFuncs(TStringList({u"WriteLn", u"NA\u00cfVE"}));
  sc.SetSource(TStringList({u"Begin counter writeln na\u00efve end x"}));
  EXPECT_EQ(ShowAll(sc), (std::vector<std::string>{"ttReservedWord Begin", "ttVariable counter",
                                                   "ttFunction writeln", "ttFunction na\u00efve",
                                                   "ttReservedWord end", "ttIdent x"}));
  // Changes made to the lists in place count from the next token on.
  sc.RWords().Add(u"x");
  sc.Vars().Clear();
  EXPECT_EQ(ShowAll(sc)[1], "ttIdent counter");
  EXPECT_EQ(ShowAll(sc)[5], "ttReservedWord x");
  EXPECT_TRUE(sc.isFunc(u"WRITELN"));
  EXPECT_FALSE(sc.isVar(u"counter"));
}

TEST(WordLists, TurkishLocaleFoldsDottedI) {
  ASSERT_TRUE(win::SetSystemLocale("tr-TR"));
  TYScanner sc;
  sc.SetWords(TStringList({u"if"}));
  sc.SetSource(TStringList({u"IF if"}));
  auto toks = ScanAll(sc);
  win::ResetSystemLocale();
  ASSERT_EQ(toks.size(), 2u);
  // Upper-case I is dotless in Turkish, so IF is another word there.
  EXPECT_EQ(toks[0].TokType, ttIdent);
  EXPECT_EQ(toks[0].TokStr, u"\u0131f");
  EXPECT_EQ(toks[1].TokType, ttReservedWord);
}

}  // namespace
}  // namespace dz::test
