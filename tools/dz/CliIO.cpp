// Files at the dz prompt: inputs, outputs replaced on success, UTF-8 checks.
#include "tools/dz/CliIO.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "deziva27/host/runtime/Strings.h"

namespace dz::tool {

void ThrowFileError(const char* verb, const std::string& path, int err) {
  std::string what = path == "-" ? std::string("Cannot ") + verb + " " +
                                       (std::strcmp(verb, "read") == 0 ? "standard input"
                                                                       : "standard output")
                                 : std::string("Cannot ") + verb + " file \"" + path + "\"";
  throw FileError(what + ". " + std::strerror(err));
}

std::string DisplayName(const std::string& path, bool output) {
  if (path == "-") return output ? "standard output" : "standard input";
  return path;
}

namespace {

// Reads what is left of fd into out; false with errno set on a read error.
bool ReadAll(int fd, std::string& out) {
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out.append(buf, static_cast<size_t>(n));
  }
}

}  // namespace

int OpenForReading(const std::string& path) {
  if (path == "-") return 0;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowFileError("open", path, errno);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    ThrowFileError("open", path, EISDIR);
  }
  return fd;
}

namespace {

struct Fd {
  int Value;
  ~Fd() {
    if (Value > 2) ::close(Value);
  }
};

// An unnamed file for spooling: it disappears with the process.
int CreateSpool() {
  const char* dir = std::getenv("TMPDIR");
  if (!dir || !*dir) dir = "/tmp";
  int fd = ::open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  std::FILE* f = std::tmpfile();  // named, but unlinked at once
  if (!f) ThrowFileError("create", std::string(dir) + "/(temporary)", errno);
  fd = ::dup(fileno(f));
  std::fclose(f);
  return fd;
}

class OwnedHandleStream : public THandleStream {
 public:
  explicit OwnedHandleStream(int fd) : THandleStream(fd) {}
  ~OwnedHandleStream() override { ::close(FHandle); }
  OwnedHandleStream(const OwnedHandleStream&) = delete;
  OwnedHandleStream& operator=(const OwnedHandleStream&) = delete;
};

std::unique_ptr<TStream> Spool(int from, const std::string& path) {
  auto s = std::make_unique<OwnedHandleStream>(CreateSpool());
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(from, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowFileError("read", path, errno);
    }
    s->WriteBuffer(buf, static_cast<int32_t>(n));
  }
  s->SetPosition(0);
  return s;
}

// Writes all or raises with the file's name and the reason; the base stream
// would only report a short write.
class OutputStream : public THandleStream {
 public:
  OutputStream(int fd, std::string name) : THandleStream(fd), FName(std::move(name)) {}
  int32_t Write(const void* buffer, int32_t count) override {
    if (count <= 0) return 0;
    auto* p = static_cast<const char*>(buffer);
    for (int32_t done = 0; done < count;) {
      ssize_t n = ::write(FHandle, p + done, static_cast<size_t>(count - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ThrowFileError("write", FName, n < 0 ? errno : ENOSPC);
      done += static_cast<int32_t>(n);
    }
    return count;
  }

 private:
  std::string FName;
};

// --- Removing a named temporary file when a signal ends the run -------------

char gPendingName[PATH_MAX + 1];
volatile sig_atomic_t gPending = 0;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemovePendingAndDie(int sig) {
  if (gPending) ::unlink(gPendingName);
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

void ArmCleanup(const std::string& name) {
  if (name.size() > PATH_MAX) return;
  std::memcpy(gPendingName, name.c_str(), name.size() + 1);
  gPending = 1;
  for (int sig : kCleanupSignals) {
    struct sigaction old {};
    ::sigaction(sig, nullptr, &old);
    if (old.sa_handler == SIG_IGN) continue;  // nohup and friends keep theirs
    struct sigaction sa {};
    sa.sa_handler = RemovePendingAndDie;
    sigemptyset(&sa.sa_mask);
    ::sigaction(sig, &sa, nullptr);
  }
}

void DisarmCleanup() { gPending = 0; }

// Holds the cleanup signals while names change, so that a signal cannot fall
// between creating a name and recording it.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kCleanupSignals) sigaddset(&set, sig);
    ::sigprocmask(SIG_BLOCK, &set, &FOld);
  }
  ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &FOld, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t FOld;
};

std::string DirOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A fresh name beside path for a file that exists only a moment.
std::string SiblingName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  std::string dir = DirOf(path);
  std::string base = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%ld.%u.dz-tmp", static_cast<long>(::getpid()),
                counter.fetch_add(1));
  return (dir == "." && path.find('/') == std::string::npos ? "" : dir + "/") + "." + base + suffix;
}

// Follows symbolic links to the file that is finally named; st describes it
// when it exists (the return of lstat is in found).
std::string FollowLinks(const std::string& path, struct stat& st, bool& found) {
  std::string p = path;
  for (int hops = 0; hops < 40; ++hops) {
    if (::lstat(p.c_str(), &st) != 0) {
      if (errno != ENOENT) ThrowFileError("create", path, errno);
      found = false;
      return p;
    }
    if (!S_ISLNK(st.st_mode)) {
      found = true;
      return p;
    }
    char buf[PATH_MAX + 1];
    ssize_t n = ::readlink(p.c_str(), buf, PATH_MAX);
    if (n < 0) ThrowFileError("create", path, errno);
    std::string link(buf, static_cast<size_t>(n));
    p = link[0] == '/' || p.find('/') == std::string::npos ? link : DirOf(p) + "/" + link;
  }
  ThrowFileError("create", path, ELOOP);
}

// Unnamed files are linked into place through /proc.
bool UseUnnamedFiles() {
  static const bool use =
      ::access("/proc/self/fd", X_OK) == 0 && std::getenv("DZ_NO_TMPFILE") == nullptr;
  return use;
}

}  // namespace

std::string ReadFileOrStdin(const std::string& path) {
  std::string out;
  if (path == "-") {
    if (!ReadAll(0, out)) ThrowFileError("read", path, errno);
    return out;
  }
  Fd fd{OpenForReading(path)};
  if (!ReadAll(fd.Value, out)) ThrowFileError("read", path, errno);
  return out;
}

std::unique_ptr<TStream> OpenInput(const std::string& path) {
  int fd = OpenForReading(path);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    if (fd == 0) return std::make_unique<THandleStream>(0);
    return std::make_unique<OwnedHandleStream>(fd);
  }
  Fd owned{fd};
  return Spool(fd, path);
}

namespace {

std::string NotUtf8(std::string_view bytes, size_t bad) {
  char detail[64];
  std::snprintf(detail, sizeof detail, "not valid UTF-8 at byte offset %zu (0x%02X)", bad,
                static_cast<unsigned char>(bytes[bad]));
  return detail;
}

}  // namespace

UnicodeString Utf8Text(std::string_view bytes, const std::string& what, size_t firstLine) {
  size_t bad = InvalidUtf8At(bytes);
  if (bad == std::string_view::npos) return Utf8ToUtf16(bytes);
  std::string_view before = bytes.substr(0, bad);
  size_t line = firstLine + static_cast<size_t>(std::count(before.begin(), before.end(), '\n'));
  size_t lineStart = before.rfind('\n');
  size_t column = bad - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
  throw FileError(what + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " +
                  NotUtf8(bytes, bad));
}

namespace {

void AppendHex(std::string& out, unsigned char c) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "\\x%02X", c);
  out += hex;
}

// U+0080..U+009F in UTF-8: terminals that honour C1 controls read U+009B as
// the start of an escape sequence, as they read ESC [.
bool C1At(std::string_view text, size_t i) {
  return i + 1 < text.size() && static_cast<unsigned char>(text[i]) == 0xC2 &&
         static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
         static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

size_t SequenceLength(unsigned char lead) {
  return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

}  // namespace

std::string Visible(std::string_view text, bool nonAscii) {
  std::string shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7f || (nonAscii && c >= 0x80)) {
      AppendHex(shown, c);
    } else if (C1At(text, i)) {
      AppendHex(shown, c);
      AppendHex(shown, static_cast<unsigned char>(text[++i]));
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

std::string Printable(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7f)) {
      shown += static_cast<char>(c);
      ++i;
      continue;
    }
    const size_t len = SequenceLength(c);
    const bool whole = c >= 0x80 && i + len <= text.size() &&
                       InvalidUtf8At(text.substr(i, len)) == std::string_view::npos;
    if (!whole || C1At(text, i)) {
      // A control, or a byte that is not part of a character: a terminal
      // in another encoding could read it as one.
      const size_t n = whole ? len : 1;
      for (size_t k = 0; k < n; ++k) AppendHex(shown, static_cast<unsigned char>(text[i + k]));
      i += n;
      continue;
    }
    shown.append(text.substr(i, len));
    i += len;
  }
  return shown;
}

UnicodeString ArgText(const std::string& arg) {
  if (InvalidUtf8At(arg) == std::string_view::npos) return Utf8ToUtf16(arg);
  throw FileError("argument \"" + Visible(arg, true) + "\": " + NotUtf8(arg, InvalidUtf8At(arg)));
}

// --- Output ----------------------------------------------------------------------

Output::Output(const std::string& path, bool force) : FPath(path) {
  if (path == "-") {
    FHandle = 1;
    FInPlace = true;
    FStream = std::make_unique<OutputStream>(1, path);
    return;
  }
  struct stat st {};
  bool exists = false;
  FTarget = FollowLinks(path, st, exists);
  if (exists && S_ISDIR(st.st_mode)) ThrowFileError("create", path, EISDIR);
  if (exists && !S_ISREG(st.st_mode)) {
    OpenInPlace(st);
    return;
  }
  if (exists && !force)
    throw FileError("\"" + path + "\" already exists; use -f to replace it");
  OpenTemporary(exists ? &st : nullptr);
}

void Output::OpenInPlace(const struct stat& st) {
  FInPlace = true;
  if (S_ISSOCK(st.st_mode)) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (FTarget.size() >= sizeof addr.sun_path) ThrowFileError("open", FPath, ENAMETOOLONG);
    std::memcpy(addr.sun_path, FTarget.c_str(), FTarget.size() + 1);
    FHandle = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (FHandle < 0) ThrowFileError("open", FPath, errno);
    if (::connect(FHandle, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      int err = errno;
      ::close(FHandle);
      FHandle = -1;
      ThrowFileError("open", FPath, err);
    }
  } else {
    // A FIFO waits here for its reader, as it would for any writer.
    FHandle = ::open(FTarget.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (FHandle < 0) ThrowFileError("open", FPath, errno);
  }
  FStream = std::make_unique<OutputStream>(FHandle, FPath);
}

void Output::OpenTemporary(const struct stat* existing) {
  if (existing) {
    FMode = existing->st_mode & 07777;
    FKeepMode = true;
  }
  if (UseUnnamedFiles()) {
    FHandle = ::open(DirOf(FTarget).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (FHandle >= 0) {
      FUnnamed = true;
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      ThrowFileError("create", FPath, errno);
    }
  }
  if (FHandle < 0) {
    SignalsHeld held;
    for (int attempt = 0; FHandle < 0; ++attempt) {
      FTempName = SiblingName(FTarget);
      FHandle = ::open(FTempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (FHandle < 0 && (errno != EEXIST || attempt > 100)) ThrowFileError("create", FPath, errno);
    }
    ArmCleanup(FTempName);
  }
  FStream = std::make_unique<OutputStream>(FHandle, FPath);
}

bool Output::IsTerminal() const { return FInPlace && ::isatty(FHandle) == 1; }

void Output::Commit() {
  if (FCommitted) return;
  FCommitted = true;
  if (FInPlace) {
    if (FHandle > 2 && ::close(FHandle) != 0) {
      FHandle = -1;
      ThrowFileError("write", FPath, errno);
    }
    if (FHandle > 2) FHandle = -1;
    return;
  }
  if (FKeepMode) (void)::fchmod(FHandle, FMode);
  SignalsHeld held;
  if (FUnnamed) {
    std::string proc = "/proc/self/fd/" + std::to_string(FHandle);
    // Straight to the name when it is free; otherwise under a passing name,
    // then over the old file in one rename.
    if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, FTarget.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno != EEXIST) ThrowFileError("create", FPath, errno);
      FTempName = SiblingName(FTarget);
      if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, FTempName.c_str(), AT_SYMLINK_FOLLOW) != 0)
        ThrowFileError("create", FPath, errno);
      if (::rename(FTempName.c_str(), FTarget.c_str()) != 0) {
        int err = errno;
        ::unlink(FTempName.c_str());
        ThrowFileError("create", FPath, err);
      }
    }
    ::close(FHandle);
    FHandle = -1;
    return;
  }
  int fd = FHandle;
  FHandle = -1;
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(FTempName.c_str());
    DisarmCleanup();
    ThrowFileError("write", FPath, err);
  }
  if (::rename(FTempName.c_str(), FTarget.c_str()) != 0) {
    int err = errno;
    ::unlink(FTempName.c_str());
    DisarmCleanup();
    ThrowFileError("create", FPath, err);
  }
  DisarmCleanup();
}

Output::~Output() {
  FStream.reset();
  if (FHandle > 2) ::close(FHandle);
  if (!FCommitted && !FTempName.empty() && !FUnnamed) {
    ::unlink(FTempName.c_str());
    DisarmCleanup();
  }
}

}  // namespace dz::tool
