// The file routines: both files are streamed, and the result reaches the
// destination's name only once it is complete.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "deziva27/compress/YCompress.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/host/runtime/Exceptions.h"

namespace dz {
namespace {

UnicodeString SysError(int err) {
  return Utf8ToUtf16(std::strerror(err));
}

// A new file beside path, created exclusively so that no other writer shares
// it; the name carries the process id and a counter to stay out of the way of
// other processes doing the same.
int CreateTemp(const std::string& path, std::string& tmp) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0;; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%ld.%u.lzy-tmp", static_cast<long>(::getpid()),
                  counter.fetch_add(1));
    tmp = path + suffix;
    int fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST || attempt > 100)
      throw EFCreateError(u"Cannot create file \"%s\". %s", {Utf8ToUtf16(path), SysError(errno)});
  }
}

// Removes the temporary file unless Commit ran.
class TempFile {
 public:
  explicit TempFile(const std::string& dest) : FDest(dest), FHandle(CreateTemp(dest, FName)) {}
  ~TempFile() {
    if (FHandle >= 0) ::close(FHandle);
    if (!FCommitted) ::unlink(FName.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int Handle() const { return FHandle; }

  void Commit() {
    // A replaced file keeps its permissions, as it would if rewritten in place.
    struct stat st {};
    if (::stat(FDest.c_str(), &st) == 0 && S_ISREG(st.st_mode))
      (void)::fchmod(FHandle, st.st_mode & 07777);
    int fd = FHandle;
    FHandle = -1;
    if (::close(fd) != 0)
      throw EWriteError(u"Cannot write file \"%s\". %s", {Utf8ToUtf16(FDest), SysError(errno)});
    if (::rename(FName.c_str(), FDest.c_str()) != 0)
      throw EFCreateError(u"Cannot create file \"%s\". %s", {Utf8ToUtf16(FDest), SysError(errno)});
    FCommitted = true;
  }

 private:
  std::string FDest;
  std::string FName;
  int FHandle;
  bool FCommitted = false;
};

// Source and Dest are the names' bytes as the file system takes them.
void CodeFile(const std::string& Source, const std::string& Dest, const TProgressEvent& OnProgress,
              bool compress, int threads = 0) {
  TFileStream src(Source, fmOpenRead);
  TempFile tmp(Dest);
  THandleStream out(tmp.Handle());
  if (compress)
    LZYCompressStream(&src, &out, OnProgress, threads);
  else
    LZYDecompressStream(&src, &out, OnProgress);
  tmp.Commit();
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
