// The file routines: both files are streamed, and the result reaches the
// destination's name only once it is complete.
#include "deziva27/compress/YCompress.h"
#include "deziva27/host/classes/ReplaceFileStream.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

// Source and Dest are the names' bytes as the file system takes them.
void CodeFile(const std::string& Source, const std::string& Dest, const TProgressEvent& OnProgress,
              bool compress, int threads = 0) {
  TFileStream src(Source, fmOpenRead);
  TReplaceFileStream out(Dest);
  if (compress)
    LZYCompressStream(&src, &out, OnProgress, threads);
  else
    LZYDecompressStream(&src, &out, OnProgress);
  out.Commit();
}

}  // namespace

void LZYCompressFile(const UnicodeString& Source, const UnicodeString& Dest,
                     const TProgressEvent& OnProgress) {
  CodeFile(Utf16ToUtf8(Source), Utf16ToUtf8(Dest), OnProgress, true);
}

void LZYCompressFile(const UnicodeString& Source, const UnicodeString& Dest,
                     const TProgressEvent& OnProgress, int Threads) {
  CodeFile(Utf16ToUtf8(Source), Utf16ToUtf8(Dest), OnProgress, true, Threads);
}

void LZYDecompressFile(const UnicodeString& Source, const UnicodeString& Dest,
                       const TProgressEvent& OnProgress) {
  CodeFile(Utf16ToUtf8(Source), Utf16ToUtf8(Dest), OnProgress, false);
}

template <std::same_as<std::filesystem::path> P>
void LZYCompressFile(const P& Source, const P& Dest, const TProgressEvent& OnProgress) {
  CodeFile(Source.native(), Dest.native(), OnProgress, true);
}

template <std::same_as<std::filesystem::path> P>
void LZYCompressFile(const P& Source, const P& Dest, const TProgressEvent& OnProgress,
                     int Threads) {
  CodeFile(Source.native(), Dest.native(), OnProgress, true, Threads);
}

template <std::same_as<std::filesystem::path> P>
void LZYDecompressFile(const P& Source, const P& Dest, const TProgressEvent& OnProgress) {
  CodeFile(Source.native(), Dest.native(), OnProgress, false);
}

// The path forms are templates only to stay out of overload resolution for
// text; this is their one instantiation, compiled and exported here like any
// routine.
using Path = std::filesystem::path;
template DZ_API void LZYCompressFile<Path>(const Path&, const Path&, const TProgressEvent&);
template DZ_API void LZYCompressFile<Path>(const Path&, const Path&, const TProgressEvent&, int);
template DZ_API void LZYDecompressFile<Path>(const Path&, const Path&, const TProgressEvent&);

}  // namespace dz
