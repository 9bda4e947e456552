// The LZ window classes: the byte ring, the ring of positions, the per-byte
// dictionary and the window that ties them together.
//
// These classes are the literal form of the LZY coder: every token rule is
// visible here in the order the format defines it, with 32-bit counters. The
// coder that TLZYCompressor runs (LZCoder.h) is a faster engine that must give
// the same bytes; the plain procedures at the end of this file are what it is
// checked against.
//
// Logical index i of a ring lies at storage position FStart + i, less the
// capacity once if that reaches it: callers keep i below twice the capacity
// minus FStart.
// Threads: an object is used by one thread at a time; distinct objects are independent.
#pragma once


#include <functional>
#include <memory>
#include <vector>

#include "deziva27/host/classes/Streams.h"
#include "deziva27/base/Types.h"

namespace dz::detail {

// Which way a window works; one byte, as in the stream format's engine.
enum TProcType : uint8_t { ptCompress = 0, ptDecompress = 1 };

// A ring buffer of bytes with a fixed capacity. Storage is not cleared.
class TSlideWindow : public TObject {
 public:
  explicit TSlideWindow(Integer AMaxWinSize);

  Integer MaxWinSize() const { return FMaxWinSize; }
  Integer Size() const { return FSize; }
  // Bytes that dropped out at the front through growth (not DeleteFirst).
  Integer GlobalStart() const { return FGlobalStart; }
  Integer Start() const { return FStart; }

  Integer GetIntIndex(Integer Index) const;
  void IncIntIndex(Integer& Index, Integer Count) const;
  // Takes in Count bytes already stored after the end; when the ring
  // overflows, the oldest bytes drop out and FGlobalStart counts them.
  virtual void IncSize(Integer Count);
  void AddByte(Byte Bt);
  // Drops Count bytes at the front without counting them in FGlobalStart.
  void DeleteFirst(Integer Count);
  Byte GetData(Integer Index) const { return FData[GetIntIndex(Index)]; }
  void SetData(Integer Index, Byte Value) { FData[GetIntIndex(Index)] = Value; }

 protected:
  Integer FStart = 0;
  Integer FMaxWinSize;
  Integer FGlobalStart = 0;
  Integer FSize = 0;
  std::unique_ptr<Byte[]> FData;
};

// A ring of 32-bit positions, oldest first, 4 bytes a slot in little-endian
// order. Adding to a full ring replaces the oldest item.
class TPositionsList : public TSlideWindow {
 public:
  explicit TPositionsList(Integer AMaxPosCount) : TSlideWindow(4 * AMaxPosCount) {}

  Integer Count() const { return FSize / 4; }
  Integer GetItem(Integer Index) const;
  void SetItem(Integer Index, Integer Value);
  void Add(Integer Position);
  // Drops the N oldest items; does nothing when fewer are held.
  void DeleteFirstItems(Integer N);
  // Binary search; on a miss Index is the insertion point.
  bool Find(Integer Position, Integer& Index) const;

 private:
  bool FindIn(Integer Position, Integer Low, Integer High, Integer& Index) const;
};

// For each byte value, the most recent 40 positions where it entered the
// dictionary part of the window.
class TLZDictionary : public TObject {
 public:
  TLZDictionary();
  // Appends GlobalStart + DataIndex to the list of the byte value Data.
  void AddItem(Byte Data, Integer GlobalStart, Integer DataIndex);

  std::vector<TPositionsList> Positions;  // indexed by byte value
};

// The coding window: a dictionary part (bytes already coded) followed by a
// look-ahead buffer (bytes read but not yet coded) when compressing; the last
// bytes restored when decompressing.
class TLZSlideWindow : public TSlideWindow {
 public:
  TLZSlideWindow(Integer AMaxWinSize, Integer AMaxBufSize, Integer AMaxStrSize,
                 TProcType AProcType);

  // When compressing, keeps FBufIndex on the same byte as the front drops out.
  void IncSize(Integer Count) override;
  Integer BufSize() const { return FSize - FBufIndex; }
  Integer BufIndex() const { return FBufIndex; }
  Byte GetBuffer(Integer Index) const { return GetData(FBufIndex + Index); }
  TLZDictionary& Dictionary() { return *FDictionary; }

  // Tops the look-ahead up from Stream; returns the bytes taken.
  Integer FillBufferFromStream(TStream& Stream);
  // Reads Count bytes into the ring after its end, across the storage end
  // when needed. A short read still advances the window by Count.
  void AddBytesFromStream(TStream& Stream, Integer Count);
  void WriteBytesToStream(TStream& Stream, Integer Index, Integer Count);
  void WriteRingToStream(TStream& Stream, Integer RingIndex, Integer Count);
  // Moves Length bytes from the look-ahead into the dictionary part.
  void EnlargeDictionary(Word Length);
  // Longest match (3 .. FMaxStrSize) of the look-ahead's front among the
  // recent positions of its first byte, newest first; the first match longer
  // than 8 ends the search, and a later candidate wins only when longer.
  bool FindMatch(Word& Offset, Word& Length);
  // Appends the Len bytes that start Offset back, copying forwards so that an
  // Offset below Len repeats a pattern, and writes them to DestStream.
  void UnpackSequence(Integer Offset, Integer Len, TStream& DestStream);

 private:
  Integer FMaxStrSize;
  Integer FMaxBufSize;
  std::unique_ptr<TLZDictionary> FDictionary;
  Integer FBufIndex = 0;
  TProcType FProcType;
};

// Called after each token with the source's position and size.
using TPlainProgress = std::function<void(Integer Position, Integer MaxValue)>;

// The coding procedures written directly on the window classes, for sources
// below 2 GiB. They are the yardstick of the fast engine. The decoder raises
// EYCompressError on a token that points before the data or is cut off,
// instead of reading outside its window.
void PlainCompressSource(TStream& Src, TStream& Dest, const TPlainProgress& Progress = {});
void PlainDecompressSource(TStream& Src, TStream& Dest, const TPlainProgress& Progress = {});

}  // namespace dz::detail
