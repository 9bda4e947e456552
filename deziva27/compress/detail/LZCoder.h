// The LZY engine: the token coder that TLZYCompressor runs.
//
// It writes the same bytes as the plain procedures of LZWindow.h, but works on
// large blocks of the streams instead of 127-byte reads and one-token writes,
// keeps positions in 64 bits (so sources of any size work), and finds the
// same match as the plain search with fewer comparisons. Memory is fixed: a
// few hundred KiB, whatever the size of the data.
// Threads: any thread, each call on its own streams; LZDecodePortably sets this thread's decoders.
#pragma once

#include <cstdint>
#include <functional>

#include "deziva27/host/classes/Streams.h"
#include "deziva27/base/Types.h"

namespace dz::detail {

// The constants of the token format and of the match search.
inline constexpr Integer kLZWindowSize = 2048;      // bytes the coder can see
inline constexpr Integer kLZMaxLiteralRun = 127;    // longest literal run; also the look-ahead
inline constexpr Integer kLZMinMatch = 3;           // shortest match worth a token
inline constexpr Integer kLZMaxMatch = 18;          // longest match
inline constexpr Integer kLZGoodMatch = 8;          // a match longer than this ends the search
inline constexpr Integer kLZPositionsPerByte = 40;  // candidates kept per byte value

// Called after every token with the source stream's position and size, as
// the plain procedures would see them.
using TCoderProgress = std::function<void(int64_t Position, int64_t Size)>;

// Codes Src from its position to its end into tokens at Dest's position.
// The source's size is taken once at the start; if fewer bytes can then be
// read, EReadError "Stream read error" is raised.
void LZEncode(TStream& Src, TStream& Dest, const TCoderProgress& Progress);

// Restores the tokens from Src's position to its end into Dest. A match that
// reaches before the first restored byte or past the window (Offset + Length
// above 2048), or a token cut off by the end of the stream, raises
// EYCompressError; bytes restored before it have been written.
void LZDecode(TStream& Src, TStream& Dest, const TCoderProgress& Progress);

// For tests: with On, the LZDecode calls this thread makes from now on work
// out their step ends 16 bytes at a time on any processor, as they do on
// those without AVX2. Decoders on other threads keep their own choice.
void LZDecodePortably(bool On);

// The parallel coder: the same bytes as LZEncode, from blocks of BlockSize
// bytes coded on Threads threads (0: DefaultCoderThreads). Towards the end
// the blocks shrink, down to an eighth (64 bytes at least), so that the
// threads finish together. With BlockSize 0, blocks of kLZParallelBlock, and
// one thread or a source under kLZParallelMinimum bytes runs LZEncode; with a
// BlockSize given (tests, benchmarks) the blocks are always used.
// Memory: Threads + 1 blocks with their output; never the whole source. The
// progress calls are those of LZEncode, in the same order, made on the
// calling thread as the tokens are written.
inline constexpr int64_t kLZParallelBlock = int64_t{1} << 20;
inline constexpr int64_t kLZParallelMinimum = int64_t{512} << 10;
void LZEncodeParallel(TStream& Src, TStream& Dest, const TCoderProgress& Progress, int Threads,
                      int64_t BlockSize = 0);
// The machine's cores (1 when unknown, 64 at most).
int DefaultCoderThreads();

// The damaged-stream errors, at the absolute source position of the token.
[[noreturn]] void RaiseBadMatch(int64_t Offset, int64_t Length, int64_t At);
[[noreturn]] void RaiseTruncatedToken(int64_t At);

}  // namespace dz::detail
