// The file routines: both files are streamed, and the result reaches the
// destination's name only once it is complete.
#include "deziva27/compress/YCompress.h"
#include "deziva27/host/classes/ReplaceFileStream.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

void CodeFile(const UnicodeString& Source, const UnicodeString& Dest,
              const TProgressEvent& OnProgress, bool compress, int threads = 0) {
  TFileStream src(Utf16ToUtf8(Source), fmOpenRead);
  TReplaceFileStream out(Utf16ToUtf8(Dest));
  if (compress)
    LZYCompressStream(&src, &out, OnProgress, threads);
  else
    LZYDecompressStream(&src, &out, OnProgress);
  out.Commit();
}

}  // namespace

void LZYCompressFile(const UnicodeString& Source, const UnicodeString& Dest,
                     const TProgressEvent& OnProgress) {
  CodeFile(Source, Dest, OnProgress, true);
}

void LZYCompressFile(const UnicodeString& Source, const UnicodeString& Dest,
                     const TProgressEvent& OnProgress, int Threads) {
  CodeFile(Source, Dest, OnProgress, true, Threads);
}

void LZYDecompressFile(const UnicodeString& Source, const UnicodeString& Dest,
                       const TProgressEvent& OnProgress) {
  CodeFile(Source, Dest, OnProgress, false);
}

}  // namespace dz
