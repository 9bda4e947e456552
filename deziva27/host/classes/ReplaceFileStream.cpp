// Replace-on-success files: an unnamed temporary linked into place, or a
// named one renamed over the target.
#include "deziva27/host/classes/ReplaceFileStream.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

UnicodeString SysError(int err) { return Utf8ToUtf16(std::strerror(err)); }

[[noreturn]] void CannotCreate(const std::string& name, int err) {
  throw EFCreateError(u"Cannot create file \"%s\". %s", {Utf8ToUtf16(name), SysError(err)});
}

[[noreturn]] void CannotWrite(const std::string& name, int err) {
  throw EWriteError(u"Cannot write file \"%s\". %s", {Utf8ToUtf16(name), SysError(err)});
}

std::string DirOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A fresh hidden name beside path; the process id and a counter keep
// writers, in this process and others, out of each other's way.
std::string SiblingName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = path.rfind('/');
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%ld.%u.dz-tmp", static_cast<long>(::getpid()),
                counter.fetch_add(1));
  if (slash == std::string::npos) return "." + path + suffix;
  return path.substr(0, slash + 1) + "." + path.substr(slash + 1) + suffix;
}

// The file that path finally names, its links followed; st describes it
// and found says whether it exists.
std::string FollowLinks(const std::string& path, struct stat& st, bool& found) {
  std::string p = path;
  for (int hops = 0; hops < 40; ++hops) {
    if (::lstat(p.c_str(), &st) != 0) {
      if (errno != ENOENT) CannotCreate(path, errno);
      found = false;
      return p;
    }
    if (!S_ISLNK(st.st_mode)) {
      found = true;
      return p;
    }
    char buf[PATH_MAX + 1];
    const ssize_t n = ::readlink(p.c_str(), buf, PATH_MAX);
    if (n < 0) CannotCreate(path, errno);
    const std::string link(buf, static_cast<size_t>(n));
    // A relative link is read from the folder the link is in.
    p = link[0] == '/' || p.find('/') == std::string::npos ? link : DirOf(p) + "/" + link;
  }
  CannotCreate(path, ELOOP);
}

}  // namespace

TReplaceFileStream::TReplaceFileStream(const std::string& fileName)
    : THandleStream(-1), FFileName(fileName) {
  struct stat st {};
  bool exists = false;
  FTarget = FollowLinks(fileName, st, exists);
  if (exists && S_ISDIR(st.st_mode)) CannotCreate(fileName, EISDIR);
  if (exists && !S_ISREG(st.st_mode)) {
    OpenInPlace(st.st_mode);
    return;
  }
  FReplaces = exists;
  FMode = exists ? st.st_mode & 07777 : 0;
  OpenTemporary();
}

void TReplaceFileStream::OpenInPlace(unsigned mode) {
  FInPlace = true;
  if (S_ISSOCK(mode)) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (FTarget.size() >= sizeof addr.sun_path)
      throw EFOpenError(u"Cannot open file \"%s\". %s",
                        {Utf8ToUtf16(FFileName), SysError(ENAMETOOLONG)});
    std::memcpy(addr.sun_path, FTarget.c_str(), FTarget.size() + 1);
    FHandle = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (FHandle >= 0 && ::connect(FHandle, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      const int err = errno;
      ::close(FHandle);
      FHandle = -1;
      errno = err;
    }
  } else {
    FHandle = ::open(FTarget.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  }
  if (FHandle < 0)
    throw EFOpenError(u"Cannot open file \"%s\". %s", {Utf8ToUtf16(FFileName), SysError(errno)});
}

void TReplaceFileStream::OpenTemporary() {
  // Linking an unnamed file into place goes through /proc.
  if (std::getenv("DZ_NO_TMPFILE") == nullptr && ::access("/proc/self/fd", X_OK) == 0) {
    FHandle = ::open(DirOf(FTarget).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (FHandle >= 0) {
      FUnnamed = true;
      return;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) CannotCreate(FFileName, errno);
  }
  for (int attempt = 0; FHandle < 0; ++attempt) {
    FTempName = SiblingName(FTarget);
    FHandle = ::open(FTempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (FHandle < 0 && (errno != EEXIST || attempt > 100)) {
      const int err = errno;
      FTempName.clear();
      CannotCreate(FFileName, err);
    }
  }
}

int32_t TReplaceFileStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  if (FHandle < 0) CannotWrite(FFileName, EBADF);
  const auto* p = static_cast<const char*>(buffer);
  for (int32_t done = 0; done < count;) {
    const ssize_t n = ::write(FHandle, p + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) CannotWrite(FFileName, n < 0 ? errno : ENOSPC);
    done += static_cast<int32_t>(n);
  }
  return count;
}

void TReplaceFileStream::Commit() {
  if (FDone) return;
  FDone = true;
  const int fd = FHandle;
  FHandle = -1;
  if (FInPlace) {
    if (::close(fd) != 0) CannotWrite(FFileName, errno);
    return;
  }
  if (FReplaces) (void)::fchmod(fd, static_cast<mode_t>(FMode));
  if (FUnnamed) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    int err = 0;
    // Straight to the name when it is free; otherwise under a passing name,
    // then over the old file in one rename.
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, FTarget.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      err = errno;
      if (err == EEXIST) {
        const std::string passing = SiblingName(FTarget);
        err = 0;
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, passing.c_str(), AT_SYMLINK_FOLLOW) != 0) {
          err = errno;
        } else if (::rename(passing.c_str(), FTarget.c_str()) != 0) {
          err = errno;
          ::unlink(passing.c_str());
        }
      }
    }
    // Once linked the new file is in place; what close could still report
    // would come too late to keep the old one.
    ::close(fd);
    if (err != 0) CannotCreate(FFileName, err);
    return;
  }
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(FTempName.c_str());
    FTempName.clear();
    CannotWrite(FFileName, err);
  }
  if (::rename(FTempName.c_str(), FTarget.c_str()) != 0) {
    const int err = errno;
    ::unlink(FTempName.c_str());
    FTempName.clear();
    CannotCreate(FFileName, err);
  }
  FTempName.clear();
}

TReplaceFileStream::~TReplaceFileStream() {
  if (FHandle >= 0) ::close(FHandle);
  if (!FTempName.empty()) ::unlink(FTempName.c_str());
}

}  // namespace dz
