#include "deziva27/host/classes/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

UnicodeString SysError(int err) {
  return Utf8ToUtf16(std::strerror(err));
}

}  // namespace

// --- TStream -----------------------------------------------------------------

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
  if (count > 0 && Read(buffer, count) != count) throw EReadError(u"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
  if (count > 0 && Write(buffer, count) != count) throw EWriteError(u"Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count <= 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  constexpr int32_t kChunk = 1 << 16;
  std::vector<uint8_t> buf(static_cast<size_t>(std::min<int64_t>(count, kChunk)) + 1);
  int64_t done = 0;
  while (done < count) {
    int32_t n = static_cast<int32_t>(std::min<int64_t>(count - done, kChunk));
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    done += n;
  }
  return done;
}

// --- TMemoryStream -----------------------------------------------------------

int32_t TMemoryStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || FPosition >= FSize) return 0;
  int64_t n = std::min<int64_t>(count, FSize - FPosition);
  std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return static_cast<int32_t>(n);
}

void TMemoryStream::Grow(int64_t end) {
  if (end <= static_cast<int64_t>(FData.size())) return;
  if (static_cast<uint64_t>(end) > FData.max_size()) OutOfMemoryError();
  // Amortised growth: repeated small writes must not copy the whole buffer.
  if (static_cast<size_t>(end) > FData.capacity())
    FData.reserve(
        std::max<size_t>(static_cast<size_t>(end), FData.capacity() + FData.capacity() / 2));
  FData.resize(static_cast<size_t>(end));
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  int64_t end = FPosition + count;
  if (end > FSize) {
    Grow(end);
    if (FPosition > FSize)
      std::memset(FData.data() + FSize, 0, static_cast<size_t>(FPosition - FSize));
  }
  std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
  FPosition = end;
  FSize = std::max(FSize, end);
  return count;
}

uint8_t* TMemoryStream::ReserveWrite(int64_t count) {
  Grow(FPosition + std::max<int64_t>(count, 0));
  return FData.data() + FPosition;
}

void TMemoryStream::CommitWrite(int64_t count) {
  if (count <= 0) return;
  if (FPosition > FSize)
    std::memset(FData.data() + FSize, 0, static_cast<size_t>(FPosition - FSize));
  FPosition += count;
  FSize = std::max(FSize, FPosition);
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FPosition : FSize;
  int64_t pos = base + offset;
  if (pos < 0) throw EStreamError(u"Invalid stream position (%d)", {pos});
  FPosition = pos;
  return FPosition;
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) size = 0;
  if (size > FSize) {
    Grow(size);
    std::memset(FData.data() + FSize, 0, static_cast<size_t>(size - FSize));
  }
  FSize = size;
  if (FPosition > size) FPosition = size;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FSize = 0;
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  int64_t size = stream.Size();
  SetSize(size);
  int64_t done = 0;
  while (done < size) {
    int32_t n =
        static_cast<int32_t>(std::min<int64_t>(size - done, std::numeric_limits<int32_t>::max()));
    stream.ReadBuffer(FData.data() + done, n);
    done += n;
  }
  FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& stream) const {
  int64_t done = 0, size = FSize;
  while (done < size) {
    int32_t n =
        static_cast<int32_t>(std::min<int64_t>(size - done, std::numeric_limits<int32_t>::max()));
    stream.WriteBuffer(FData.data() + done, n);
    done += n;
  }
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream f(fileName, fmOpenRead);
  LoadFromStream(f);
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
  TFileStream f(fileName, fmCreate);
  SaveToStream(f);
}

// --- THandleStream / TFileStream ----------------------------------------------

int32_t THandleStream::Read(void* buffer, int32_t count) {
  if (count <= 0) return 0;
  auto* p = static_cast<uint8_t*>(buffer);
  int32_t done = 0;
  while (done < count) {
    ssize_t n = ::read(FHandle, p + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int32_t>(n);
  }
  return done;
}

int32_t THandleStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  auto* p = static_cast<const uint8_t*>(buffer);
  int32_t done = 0;
  while (done < count) {
    ssize_t n = ::write(FHandle, p + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int32_t>(n);
  }
  return done;
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(FHandle, static_cast<off_t>(offset), whence);
  if (r < 0) throw EStreamError(u"Invalid stream position (%d): %s", {offset, SysError(errno)});
  return r;
}

void THandleStream::SetSize(int64_t size) {
  if (::ftruncate(FHandle, static_cast<off_t>(size)) != 0)
    throw EStreamError(u"Stream size cannot be set: %s", {SysError(errno)});
  if (Position() > size) SetPosition(size);
}

namespace {

int OpenFile(const std::string& fileName, uint16_t mode) {
  if (mode == fmCreate) {
    int fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
      throw EFCreateError(u"Cannot create file \"%s\". %s",
                          {Utf8ToUtf16(fileName), SysError(errno)});
    return fd;
  }
  int flags = (mode & 3) == fmOpenWrite       ? O_WRONLY
              : (mode & 3) == fmOpenReadWrite ? O_RDWR
                                              : O_RDONLY;
  int fd = ::open(fileName.c_str(), flags | O_CLOEXEC);
  if (fd < 0)
    throw EFOpenError(u"Cannot open file \"%s\". %s", {Utf8ToUtf16(fileName), SysError(errno)});
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    throw EFOpenError(u"Cannot open file \"%s\". %s", {Utf8ToUtf16(fileName), SysError(EISDIR)});
  }
  return fd;
}

}  // namespace

TFileStream::TFileStream(const std::string& fileName, uint16_t mode)
    : THandleStream(OpenFile(fileName, mode)), FFileName(fileName) {}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

}  // namespace dz
