// Files at the dz prompt: inputs, outputs replaced on success, UTF-8 checks.
#include "tools/dz/CliIO.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// Standard output, written whole or FileError with the reason; the base
// stream would only report a short write.
class StdoutStream : public THandleStream {
 public:
  StdoutStream() : THandleStream(1) {}
  int32_t Write(const void* buffer, int32_t count) override {
    if (count <= 0) return 0;
    auto* p = static_cast<const char*>(buffer);
    for (int32_t done = 0; done < count;) {
      ssize_t n = ::write(FHandle, p + done, static_cast<size_t>(count - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ThrowFileError("write", "-", n < 0 ? errno : ENOSPC);
      done += static_cast<int32_t>(n);
    }
    return count;
  }
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

Output::Output(const std::string& path, bool force) {
  if (path == "-") {
    FStdout = std::make_unique<StdoutStream>();
    return;
  }
  {
    // A signal cannot fall between the naming of a temporary file and its
    // cleanup being armed.
    SignalsHeld held;
    FFile = std::make_unique<TReplaceFileStream>(path);
    if (!FFile->TemporaryName().empty()) ArmCleanup(FFile->TemporaryName());
  }
  if (FFile->Replaces() && !force) {
    {
      SignalsHeld held;
      FFile.reset();
      DisarmCleanup();
    }
    throw FileError("\"" + path + "\" already exists; use -f to replace it");
  }
}

bool Output::IsTerminal() const { return InPlace() && ::isatty(FFile ? FFile->Handle() : 1) == 1; }

void Output::Commit() {
  if (!FFile) return;
  SignalsHeld held;
  try {
    FFile->Commit();
  } catch (...) {
    DisarmCleanup();
    throw;
  }
  DisarmCleanup();
}

Output::~Output() {
  SignalsHeld held;
  FFile.reset();
  DisarmCleanup();
}

}  // namespace dz::tool
