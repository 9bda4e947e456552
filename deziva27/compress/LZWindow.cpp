#include "deziva27/compress/detail/LZWindow.h"

#include <cstring>

#include "deziva27/compress/detail/LZCoder.h"

namespace dz::detail {

// --- TSlideWindow ------------------------------------------------------------

TSlideWindow::TSlideWindow(Integer AMaxWinSize)
    : FMaxWinSize(AMaxWinSize), FData(std::make_unique<Byte[]>(AMaxWinSize)) {}

Integer TSlideWindow::GetIntIndex(Integer Index) const {
  Integer p = FStart + Index;
  return p >= FMaxWinSize ? p - FMaxWinSize : p;
}

void TSlideWindow::IncIntIndex(Integer& Index, Integer Count) const {
  Index += Count;
  if (Index >= FMaxWinSize) Index -= FMaxWinSize;
}

void TSlideWindow::IncSize(Integer Count) {
  FSize += Count;
  if (FSize > FMaxWinSize) {
    Integer d = FSize - FMaxWinSize;
    IncIntIndex(FStart, d);
    FGlobalStart += d;
    FSize = FMaxWinSize;
  }
}

void TSlideWindow::AddByte(Byte Bt) {
  IncSize(1);
  SetData(FSize - 1, Bt);
}

void TSlideWindow::DeleteFirst(Integer Count) {
  IncIntIndex(FStart, Count);
  FSize -= Count;
}

// --- TPositionsList ----------------------------------------------------------

Integer TPositionsList::GetItem(Integer Index) const {
  Byte b[4];
  std::memcpy(b, &FData[GetIntIndex(4 * Index)], 4);
  return static_cast<Integer>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 |
                              uint32_t{b[3]} << 24);
}

void TPositionsList::SetItem(Integer Index, Integer Value) {
  auto v = static_cast<uint32_t>(Value);
  Byte b[4] = {Byte(v), Byte(v >> 8), Byte(v >> 16), Byte(v >> 24)};
  std::memcpy(&FData[GetIntIndex(4 * Index)], b, 4);
}

void TPositionsList::Add(Integer Position) {
  // Logical byte FSize of a full ring is the oldest item's slot.
  auto v = static_cast<uint32_t>(Position);
  Byte b[4] = {Byte(v), Byte(v >> 8), Byte(v >> 16), Byte(v >> 24)};
  std::memcpy(&FData[GetIntIndex(FSize)], b, 4);
  IncSize(4);
}

void TPositionsList::DeleteFirstItems(Integer N) {
  if (N <= Count()) DeleteFirst(4 * N);
}

bool TPositionsList::FindIn(Integer Position, Integer Low, Integer High, Integer& Index) const {
  if (Low > High) {
    Index = Low;
    return false;
  }
  Integer mid = (Low + High) / 2;
  Integer item = GetItem(mid);
  if (item == Position) {
    Index = mid;
    return true;
  }
  return item < Position ? FindIn(Position, mid + 1, High, Index)
                         : FindIn(Position, Low, mid - 1, Index);
}

bool TPositionsList::Find(Integer Position, Integer& Index) const {
  return FindIn(Position, 0, Count() - 1, Index);
}

// --- TLZDictionary -----------------------------------------------------------

TLZDictionary::TLZDictionary() {
  Positions.reserve(256);
  for (int i = 0; i < 256; ++i) Positions.emplace_back(kLZPositionsPerByte);
}

void TLZDictionary::AddItem(Byte Data, Integer GlobalStart, Integer DataIndex) {
  Positions[Data].Add(GlobalStart + DataIndex);
}

// --- TLZSlideWindow ----------------------------------------------------------

TLZSlideWindow::TLZSlideWindow(Integer AMaxWinSize, Integer AMaxBufSize, Integer AMaxStrSize,
                               TProcType AProcType)
    : TSlideWindow(AMaxWinSize),
      FMaxStrSize(AMaxStrSize),
      FMaxBufSize(AMaxBufSize),
      FDictionary(std::make_unique<TLZDictionary>()),
      FProcType(AProcType) {}

void TLZSlideWindow::IncSize(Integer Count) {
  Integer d = FSize + Count - FMaxWinSize;
  if (FProcType == ptCompress && d >= 1) FBufIndex -= d;
  TSlideWindow::IncSize(Count);
}

Integer TLZSlideWindow::FillBufferFromStream(TStream& Stream) {
  Integer n = FMaxBufSize - BufSize();
  auto a = static_cast<Integer>(Stream.Size() - Stream.Position());
  if (a < n) n = a;
  if (n > 0) AddBytesFromStream(Stream, n);
  return n;
}

void TLZSlideWindow::AddBytesFromStream(TStream& Stream, Integer Count) {
  Integer p = GetIntIndex(FSize);
  if (p + Count >= FMaxWinSize) {
    Stream.Read(&FData[p], FMaxWinSize - p);
    if (p + Count - FMaxWinSize > 0) Stream.Read(&FData[0], p + Count - FMaxWinSize);
  } else {
    Stream.Read(&FData[p], Count);
  }
  IncSize(Count);
}

void TLZSlideWindow::WriteBytesToStream(TStream& Stream, Integer Index, Integer Count) {
  if (Count > FSize) Count = FSize;
  WriteRingToStream(Stream, GetIntIndex(Index), Count);
}

void TLZSlideWindow::WriteRingToStream(TStream& Stream, Integer RingIndex, Integer Count) {
  if (RingIndex + Count >= FMaxWinSize) {
    Stream.Write(&FData[RingIndex], FMaxWinSize - RingIndex);
    Stream.Write(&FData[0], RingIndex + Count - FMaxWinSize);
  } else {
    Stream.Write(&FData[RingIndex], Count);
  }
}

void TLZSlideWindow::EnlargeDictionary(Word Length) {
  Integer g = FBufIndex;
  FBufIndex += Length;
  for (Integer i = 0; i < Length; ++i, ++g) FDictionary->AddItem(GetData(g), FGlobalStart, g);
}

bool TLZSlideWindow::FindMatch(Word& Offset, Word& Length) {
  bool result = false;
  if (BufSize() < kLZMinMatch) return false;
  Length = 0;
  TPositionsList& list = FDictionary->Positions[GetBuffer(0)];
  for (Integer i = list.Count() - 1; i >= 0; --i) {
    Integer p = list.GetItem(i);
    if (p < FGlobalStart) {
      list.DeleteFirstItems(i + 1);
      return result;
    }
    Integer s = p - FGlobalStart;
    Integer len = 1;
    while (len < BufSize() && GetData(s + len) == GetBuffer(len) && len < FMaxStrSize) ++len;
    if (len > kLZMinMatch - 1 && len > Length) {
      result = true;
      Length = static_cast<Word>(len);
      Offset = static_cast<Word>(FBufIndex - s);
      if (Length > kLZGoodMatch) return true;
    }
  }
  return result;
}

void TLZSlideWindow::UnpackSequence(Integer Offset, Integer Len, TStream& DestStream) {
  Integer s = GetIntIndex(FSize - Offset);
  Integer d = GetIntIndex(FSize);
  Integer first = s;
  for (Integer i = 0; i < Len; ++i) {
    FData[d] = FData[s];
    IncIntIndex(s, 1);
    IncIntIndex(d, 1);
  }
  WriteRingToStream(DestStream, first, Len);
  IncSize(Len);
}

// --- The plain procedures ------------------------------------------------------

void PlainCompressSource(TStream& Src, TStream& Dest, const TPlainProgress& Progress) {
  TLZSlideWindow win(kLZWindowSize, kLZMaxLiteralRun, kLZMaxMatch, ptCompress);
  Byte literals[kLZMaxLiteralRun];
  Integer count = 0;
  auto flush = [&] {
    Byte head = static_cast<Byte>(count * 2);
    Dest.Write(&head, 1);
    Dest.Write(literals, count);
    count = 0;
  };
  while (Src.Position() < Src.Size() || win.BufSize() > 0) {
    win.FillBufferFromStream(Src);
    Word offset = 0, length = 0;
    if (win.FindMatch(offset, length)) {
      if (count > 0) flush();
      uint16_t w = static_cast<uint16_t>(offset * 2 + 1 + (length - kLZMinMatch) * 4096);
      Byte token[2] = {Byte(w), Byte(w >> 8)};
      Dest.Write(token, 2);
      win.EnlargeDictionary(length);
    } else {
      if (count == kLZMaxLiteralRun) flush();
      literals[count++] = win.GetBuffer(0);
      win.EnlargeDictionary(1);
    }
    if (Progress) Progress(static_cast<Integer>(Src.Position()), static_cast<Integer>(Src.Size()));
  }
  if (count > 0) flush();
}

void PlainDecompressSource(TStream& Src, TStream& Dest, const TPlainProgress& Progress) {
  TLZSlideWindow win(kLZWindowSize, 0, kLZMaxMatch, ptDecompress);
  int64_t restored = 0;
  while (Src.Position() < Src.Size()) {
    int64_t at = Src.Position();
    Byte b = 0;
    Src.Read(&b, 1);
    if (b & 1) {
      Byte s = 0;
      if (Src.Read(&s, 1) != 1) RaiseTruncatedToken(at);
      Word w = static_cast<Word>(b + 256 * s);
      Integer offset = (w & 0x0FFF) >> 1;
      Integer len = (w >> 12) + kLZMinMatch;
      if (offset == 0 || offset > restored || offset + len > kLZWindowSize)
        RaiseBadMatch(offset, len, at);
      win.UnpackSequence(offset, len, Dest);
      restored += len;
    } else {
      Integer n = b >> 1;
      if (Src.Size() - Src.Position() < n) RaiseTruncatedToken(at);
      win.AddBytesFromStream(Src, n);
      win.WriteBytesToStream(Dest, win.Size() - n, n);
      restored += n;
    }
    if (Progress) Progress(static_cast<Integer>(Src.Position()), static_cast<Integer>(Src.Size()));
  }
}

}  // namespace dz::detail
