// The queue, bookmarks, ExtractPiece and ScanToPair.
#include <gtest/gtest.h>

#include "tests/scanner/ScanHelpers.h"

namespace dz::test {
namespace {

TYScanner& Start(TYScanner& sc, std::initializer_list<UnicodeString> lines) {
  sc.SetSource(TStringList(lines));
  sc.FirstToken();
  return sc;
}

TEST(Queue, LookAheadAndLookBack) {
  TYScanner sc;
  Start(sc, {u"t0 t1 t2 t3 t4 t5 t6 t7 t8 t9 t10 T11"});
  EXPECT_EQ(sc.GetToken(10).RealStr, u"t10");
  EXPECT_EQ(sc.GetToken(-1), TYToken());
  sc.NextToken();
  EXPECT_EQ(sc.GetToken(-1).RealStr, u"t0");
  EXPECT_EQ(sc.GetToken(10).RealStr, u"T11");
  EXPECT_EQ(sc.GetToken(10).TokStr, u"t11");
  EXPECT_EQ(sc.GetPrevToksStr(), u"t0");
  // Past the end slot 10 keeps its token while the others move on.
  sc.NextToken();
  EXPECT_EQ(sc.GetToken(9).RealStr, u"T11");
  EXPECT_EQ(sc.GetToken(10).RealStr, u"T11");
  EXPECT_EQ(sc.GetBookmark().LastTokenIndex, 9);
  EXPECT_EQ(sc.GetPrevToksStr(), u"t0t1");
}

TEST(Queue, IndexOutsideTheQueueRaises) {
  TYScanner sc;
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

TEST(Queue, CurrentTokenPropertiesAreComputedFromTheToken) {
  TYScanner sc;
  Start(sc, {u"  Begin"});
  EXPECT_EQ(sc.GetTokStr(), u"begin");
  EXPECT_EQ(sc.GetRealStr(), u"Begin");
  EXPECT_EQ(sc.GetTokLength(), 5);
  TYToken t = sc.GetToken(0);
  t.RealStr = u"\u00c4X";
  sc.SetToken(0, t);
  EXPECT_EQ(sc.GetTokStr(), u"\u00e4x");  // recomputed, not the stored field
}

TEST(Bookmarks, RestoreGivesTheSameTokensAgain) {
  TYScanner sc;
  // The bookmark's last token (l) lies before a line end and a marker that
  // the reading goes past.
  Start(sc, {u"// LOCALIZE OFF", u"a b c d e f g h i j k l m n", u"// LOCALIZE ON", u"o p q r s"});
  sc.NextToken();
  const auto mark = sc.GetBookmark();
  std::vector<std::string> first;
  for (int i = 0; i < 12; ++i, sc.NextToken()) first.push_back(Show(sc.GetToken(0)));
  const auto later = sc.GetBookmark();
  sc.SetBookmark(mark);
  EXPECT_EQ(sc.GetBookmark(), mark);
  std::vector<std::string> again;
  for (int i = 0; i < 12; ++i, sc.NextToken()) again.push_back(Show(sc.GetToken(0)));
  EXPECT_EQ(again, first);
  // Positions and Localize of the tokens read after the restore are right.
  EXPECT_EQ(sc.GetBookmark(), later);
}

TEST(ExtractPiece, BetweenBookmarks) {
  TYScanner sc;
  Start(sc, {u"a := b + c;"});
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

  Start(sc, {u"x  first  line", u"\tmiddle ", u"last line  y"});
  sc.NextToken();
  auto atFirst = sc.GetBookmark();
  while (sc.GetTokStr() != u"y") sc.NextToken();
  EXPECT_EQ(sc.ExtractPiece(atFirst, sc.GetBookmark(), false),
            u"first  line\r\n\tmiddle \r\nlast line");
  sc.NextToken();
  EXPECT_EQ(sc.ExtractPiece(atFirst, sc.GetBookmark(), false),
            u"first  line\r\n\tmiddle \r\nlast line  y");
}

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
    TYScanner sc;
    Start(sc, {c.text});
    EXPECT_EQ(sc.ScanToPair(u"(", u")", c.right, c.wrong, c.kinds), c.found) << Utf16ToUtf8(c.text);
  }
}

TEST(ScanToPair, LeavesTheScannerAsItWas) {
  TYScanner sc;
  Start(sc, {u"begin a", u"// LOCALIZE OFF", u"end; b c"});
  const auto mark = sc.GetBookmark();
  EXPECT_FALSE(sc.ScanToPair(u"begin", u"end", u"c", u"", {ttIdent, ttReservedWord}));
  EXPECT_EQ(sc.GetBookmark(), mark);
  std::vector<std::string> rest;
  for (; !sc.EOS(); sc.NextToken()) rest.push_back(Show(sc.GetToken(0)));
  EXPECT_EQ(rest,
            (std::vector<std::string>{"ttIdent begin", "ttIdent a", "ttIdent end off",
                                      "ttSeparator ; off", "ttIdent b off", "ttIdent c off"}));
  // An exception from the look-ahead also gives everything back.
  Start(sc, {u"( a b c d e f g h i j k l #99999 )"});
  const auto before = sc.GetBookmark();
  EXPECT_THROW(sc.ScanToPair(u"(", u")", u"", u"", {}), Exception);
  EXPECT_EQ(sc.GetBookmark(), before);
}

}  // namespace
}  // namespace dz::test
