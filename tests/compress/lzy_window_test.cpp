// The window classes: ring arithmetic at the storage end, the positions
// ring, and the window's copy and fill across the end of its storage.
#include <gtest/gtest.h>

#include "LzyTestUtil.h"
#include "deziva27/compress/detail/LZWindow.h"

namespace dz::detail {
namespace {

std::string Content(const TSlideWindow& w) {
  std::string s;
  for (Integer i = 0; i < w.Size(); ++i) s += static_cast<char>(w.GetData(i));
  return s;
}

// The ring keeps the newest items; Find gives an item or, on a miss, the
// insertion point.
TEST(LzyWindow, PositionsRingKeepsTheNewest) {
  TPositionsList l(3);
  for (Integer p : {10, 20, 30, 40, 50}) l.Add(p);
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l.GetItem(0), 30);
  EXPECT_EQ(l.GetItem(2), 50);
  l.DeleteFirstItems(4);  // more than held: nothing
  EXPECT_EQ(l.Count(), 3);
  l.DeleteFirstItems(1);
  EXPECT_EQ(l.Count(), 2);
  EXPECT_EQ(l.GetItem(0), 40);
  l.Add(-7);  // stored little-endian over 4 bytes, sign and all
  EXPECT_EQ(l.GetItem(2), -7);
  l.SetItem(2, 0x12345678);
  EXPECT_EQ(l.GetItem(2), 0x12345678);

  TPositionsList sorted(8), empty(4);
  for (Integer p : {5, 9, 14, 20, 31}) sorted.Add(p);
  const struct {
    const TPositionsList& List;
    Integer Position;
    bool Found;
    Integer Index;
  } cases[] = {{sorted, 5, true, 0},   {sorted, 31, true, 4},  {sorted, 14, true, 2},
               {sorted, 4, false, 0},  {sorted, 10, false, 2}, {sorted, 32, false, 5},
               {sorted, 21, false, 4}, {empty, 3, false, 0}};
  for (const auto& c : cases) {
    Integer index = -1;
    EXPECT_EQ(c.List.Find(c.Position, index), c.Found) << c.Position;
    EXPECT_EQ(index, c.Index) << c.Position;
  }
}

TEST(LzyWindow, CompressingWindowKeepsItsBufferMark) {
  TLZSlideWindow w(8, 4, 18, ptCompress);
  TMemoryStream s;
  test::Fill(s, "abcdefghijkl");
  EXPECT_EQ(w.FillBufferFromStream(s), 4);
  EXPECT_EQ(w.FillBufferFromStream(s), 0);  // look-ahead full
  w.EnlargeDictionary(4);
  EXPECT_EQ(w.BufSize(), 0);
  EXPECT_EQ(w.FillBufferFromStream(s), 4);
  w.EnlargeDictionary(3);
  EXPECT_EQ(w.FillBufferFromStream(s), 3);  // 11 read: 3 dropped out
  EXPECT_EQ(w.GlobalStart(), 3);
  EXPECT_EQ(w.BufIndex(), 4);
  EXPECT_EQ(w.GetBuffer(0), 'h');
  EXPECT_EQ(Content(w), "defghijk");
  EXPECT_EQ(w.Dictionary().Positions['c'].GetItem(0), 2);
}

// Copies and reads that start near the end of the storage continue at its
// front; the output must not show the seam.
TEST(LzyWindow, DecompressingWindowWorksAcrossTheStorageEnd) {
  TLZSlideWindow w(8, 0, 18, ptDecompress);
  TMemoryStream in, out;
  test::Fill(in, "abcdef");
  w.AddBytesFromStream(in, 6);
  w.WriteBytesToStream(out, 0, 6);
  w.UnpackSequence(3, 5, out);  // "defde", written across the end
  EXPECT_EQ(test::Bytes(out), "abcdefdefde");
  EXPECT_EQ(Content(w), "defdefde");
  test::Fill(in, "XYZ");
  w.AddBytesFromStream(in, 3);
  w.WriteBytesToStream(out, w.Size() - 3, 3);
  EXPECT_EQ(test::Bytes(out), "abcdefdefdeXYZ");
  w.UnpackSequence(1, 4, out);
  EXPECT_EQ(test::Bytes(out), "abcdefdefdeXYZZZZZ");
  EXPECT_EQ(w.GlobalStart(), 10);
}

}  // namespace
}  // namespace dz::detail
