// YCompress: LZ compression of streams and files in the LZY format.
//
// A compressed stream is a 9-byte header followed by tokens, and nothing else:
//
//   "LZY00"       5 ASCII bytes, no terminator
//   version       signed 32-bit little-endian; this library writes 0 and
//                 accepts any value on reading
//   tokens        to the end of the stream; no length, end marker or checksum
//
// Tokens, told apart by bit 0 of their first byte:
//
//   literal run   1 byte N*2 (N = 1..127), then the N bytes unchanged. A run
//                 of N = 0 is accepted and restores nothing.
//   match         16-bit little-endian W = Offset*2 + 1 + (Length-3)*4096:
//                 copy Length (3..18) bytes starting Offset (1..2047) bytes
//                 back from the end of what has been restored; the copy runs
//                 forwards, so an Offset below Length repeats a pattern.
//
// The coder is LZ77 over a 2048-byte window with a 127-byte look-ahead. For
// the byte at the front of the look-ahead it tries the last 40 positions of
// that same byte value still in the window, newest first, and takes the
// longest match; a later candidate wins only when strictly longer, and the
// first match longer than 8 bytes ends the search. The output is therefore a
// fixed function of the input: the same bytes on every machine and in every
// version.
//
// Memory is bounded: the stream routines hold a few hundred KiB whatever the
// size of the data, and so do the file routines, which stream the files
// instead of loading them. Positions are 64-bit inside the coder; only the
// values passed to the progress event are cut to 32 bits.
//
// Errors: EYCompressError for a missing stream, a wrong header ("Wrong stream
// format") or a damaged token stream; stream and file errors of the host
// (EReadError, EWriteError, EFOpenError, EFCreateError) pass through.
// Threads: any thread, each call on its own streams or files; a compressor object is one thread's.
#pragma once

#include "deziva27/base/Export.h"

#include <concepts>
#include <filesystem>
#include <functional>
#include <optional>

#include "deziva27/consts/Errors.h"
#include "deziva27/consts/YConsts.h"
#include "deziva27/host/classes/Streams.h"
#include "deziva27/base/Types.h"

namespace dz DZ_API {

// The unit's messages, read from the string table when they are raised.
inline constexpr TResStringRec _SSourceNotDefined{&HInstance, 65522};
inline constexpr TResStringRec _SDestNotDefined{&HInstance, 65523};
inline constexpr TResStringRec _SWrongStreamFormat{&HInstance, 65524};

// Called after every token. Position and MaxValue are the source stream's
// position and size, cut to 32 bits. When compressing, the position runs up to
// 127 bytes ahead of the coded data, so it reaches MaxValue before the last
// tokens; when decompressing they are the compressed stream's. There is no
// call before the first token, no final call, and none for an empty source.
// An empty function is an unassigned event.
using TProgressEvent = std::function<void(TObject* Sender, Integer Position, Integer MaxValue)>;

// The abstract compressor: a source, a destination (neither owned) and a
// progress event. Compress and Decompress check the streams, the source
// first, then run the header and coding steps of the concrete class.
class TYCompressor : public TObject {
 public:
  // The stream read from and the stream written to: null until set, never
  // owned, so each must outlive the coding that uses it.
  TStream* SrcStream() const { return FSrcStream; }
  void SetSrcStream(TStream* Value) { FSrcStream = Value; }
  TStream* DestStream() const { return FDestStream; }
  void SetDestStream(TStream* Value) { FDestStream = Value; }
  // The progress event, empty until set.
  const TProgressEvent& OnProgress() const { return FOnProgress; }
  void SetOnProgress(TProgressEvent Value) { FOnProgress = std::move(Value); }
  // The header's version: what WriteHeader writes (0) or ReadHeader read.
  Integer Version() const { return FVersion; }

  // WriteHeader then CompressSource; EYCompressError when a stream is unset.
  void Compress();
  // ReadHeader then DecompressSource; EYCompressError when a stream is unset.
  void Decompress();

  // The steps a concrete compressor supplies: read and check (or write) the
  // format's header at the stream's position, then code the rest of the
  // source into the destination. Compress and Decompress have checked that
  // both streams are set; called directly, a step assumes it.
  virtual void ReadHeader() = 0;
  virtual void WriteHeader() = 0;
  virtual void CompressSource() = 0;
  virtual void DecompressSource() = 0;
  // Called by the coders once per token; calls OnProgress, if set, with this
  // compressor as Sender. A descendant that overrides it is called for every
  // token whether OnProgress is set or not. Only when neither is the case do
  // the coders leave the call out, which keeps coding without a listener at
  // full speed.
  virtual void DoOnProgress(Integer Position, Integer MaxValue);

  // Reserved for bit-level coders; they do nothing.
  void ReadBits(Integer) {}
  void WriteBits(Integer) {}

 protected:
  // What SrcStream, DestStream, OnProgress and Version answer, for the
  // steps of descendants.
  TStream* FSrcStream = nullptr;
  TStream* FDestStream = nullptr;
  TProgressEvent FOnProgress;
  Integer FVersion = 0;
  // For bit-level coders.
  Word FBuffer = 0;     // reserved
  Byte FBitOffset = 0;  // reserved
};

// The LZY compressor. CompressSource codes SrcStream from its position to its
// end and writes the tokens at DestStream's position; DecompressSource does
// the reverse. The destination is only written to: never rewound, resized or
// read.
class TLZYCompressor : public TYCompressor {
 public:
  // "Wrong stream format" when the source does not start with "LZY00".
  void ReadHeader() override;
  // Writes "LZY00" and Version as 4 bytes, little-endian.
  void WriteHeader() override;
  // Codes on Threads() threads (below).
  void CompressSource() override;
  // Threads that CompressSource codes on: 0 (the default, and what a negative
  // count becomes) for the machine's cores. Sources under 512 KiB are coded on
  // one. The bytes written never depend on it, and progress calls come in the
  // same order on the calling thread.
  int Threads() const { return FThreads; }
  void SetThreads(int Value) { FThreads = Value < 0 ? 0 : Value; }
  // A match reaching before the first restored byte, a token cut off by the
  // end of the stream, or a match whose Offset + Length passes 2048 raises
  // EYCompressError naming the token's position. The coder never writes such
  // a match, and a 2048-byte window cannot serve it: its copy would overwrite
  // the bytes it is still to read. Nothing is read or written outside the
  // window; what was restored before the damage has been written.
  void DecompressSource() override;

  // Reads 5 bytes; if they are "LZY00", reads up to 4 more into Version and
  // answers true. Version bytes missing at the end of the stream leave the
  // corresponding bytes of Version as they were. On false, Version is
  // untouched. The source is left after what was read.
  bool CheckHeader(Integer& Version);
  // The same as an owning result: the version (bytes missing at the end of
  // the stream are zero), or empty when the stream is not LZY.
  std::optional<Integer> CheckHeader();

 private:
  int FThreads = 0;
};

// Compress from Source's position to its end into Dest at its position. A
// null Source or Dest raises EYCompressError (the source is tested first).
// Afterwards the source stands at its end and Dest after the last byte.
// The forms with Threads set it as TLZYCompressor::SetThreads; the others
// code on the machine's cores.
void LZYCompressStream(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress = {});
void LZYCompressStream(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress,
                       int Threads);
// The same from position 0 of Source.
void LZYCompressFullStream(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress = {});
void LZYCompressFullStream(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress,
                           int Threads);
// Decompress a compressed stream that starts at Source's position and runs to
// its end. Bytes after a compressed stream are read as tokens.
void LZYDecompressStream(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress = {});
// The same from position 0 of Source.
void LZYDecompressFullStream(TStream* Source, TStream* Dest, const TProgressEvent& OnProgress = {});

// Whole files, by name (UTF-16; UTF-8 on the file system). Dest is written
// through a TReplaceFileStream: it changes only when coding succeeded, and on
// any failure an existing Dest is left as it was and no partial file stays
// behind. A symbolic link is followed (the link stays), a replaced file keeps
// its permissions, a device or FIFO is written in place. Progress positions
// are those of the file.
void LZYCompressFile(const UnicodeString& Source, const UnicodeString& Dest,
                     const TProgressEvent& OnProgress = {});
void LZYCompressFile(const UnicodeString& Source, const UnicodeString& Dest,
                     const TProgressEvent& OnProgress, int Threads);
void LZYDecompressFile(const UnicodeString& Source, const UnicodeString& Dest,
                       const TProgressEvent& OnProgress = {});
// The same with file-system paths, whose native bytes are the names as they
// are (a name that is not UTF-8 works too). Only a std::filesystem::path
// binds here, so text arguments keep choosing the forms above.
template <std::same_as<std::filesystem::path> P>
void LZYCompressFile(const P& Source, const P& Dest, const TProgressEvent& OnProgress = {});
template <std::same_as<std::filesystem::path> P>
void LZYCompressFile(const P& Source, const P& Dest, const TProgressEvent& OnProgress, int Threads);
template <std::same_as<std::filesystem::path> P>
void LZYDecompressFile(const P& Source, const P& Dest, const TProgressEvent& OnProgress = {});

// True when the next five bytes of Stream are "LZY00" (a stream holding only
// the magic counts). The position is restored in every case.
bool IsLZYCompressedStream(TStream& Stream);

}  // namespace dz
