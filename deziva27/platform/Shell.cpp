// Processes are kept in a table under small integer handles, so that a
// stale or foreign handle is refused instead of followed.
#include "deziva27/platform/detail/Shell.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "deziva27/base/Utf.h"

extern char** environ;

namespace dz::win {
namespace {

struct Process {
  pid_t Pid = -1;
  int Fd = -1;  // pidfd, or -1 where the kernel has none
  bool Ended = false;
  DWORD Code = 0;
};

std::mutex gLock;
std::map<uintptr_t, Process>& Table() {
  static auto* table = new std::map<uintptr_t, Process>;
  return *table;
}
uintptr_t gNext = 1;

DWORD StatusCode(const siginfo_t& info) {
  if (info.si_code == CLD_EXITED) return static_cast<DWORD>(info.si_status);
  return 128 + static_cast<DWORD>(info.si_status);
}

// Reaps the process if it has ended; p is updated.
void Poll(Process& p) {
  if (p.Ended) return;
  siginfo_t info{};
  if (::waitid(P_PID, static_cast<id_t>(p.Pid), &info, WEXITED | WNOHANG) != 0) {
    if (errno == EINTR) return;
    p.Ended = true;  // ECHILD: reaped elsewhere (SIGCHLD ignored); status lost
    p.Code = 0;
  } else if (info.si_pid != 0) {
    p.Ended = true;
    p.Code = StatusCode(info);
  }
}

// Whether the process has ended, leaving it to be reaped by Poll.
bool Ended(pid_t pid) {
  siginfo_t info{};
  if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
    return errno != EINTR;  // ECHILD: reaped elsewhere
  return info.si_pid != 0;
}

// A scheme begins with a letter, so no URL begins with "-" and none reaches
// xdg-open looking like one of its options.
bool IsUrl(const std::string& s) {
  const size_t colon = s.find(':');
  if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(s[0])))
    return false;
  for (size_t i = 0; i < colon; ++i)
    if (!std::isalnum(static_cast<unsigned char>(s[i])) && s[i] != '+' && s[i] != '-' &&
        s[i] != '.')
      return false;
  return s.compare(colon, 3, "://") == 0 || s.rfind("mailto:", 0) == 0;
}

bool IsRegular(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A bare name as Windows finds it: the current folder, then PATH.
std::string Resolve(const std::string& file) {
  if (file.find('/') != std::string::npos || IsRegular(file)) return file;
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  size_t i = 0;
  while (i <= dirs.size()) {
    size_t j = dirs.find(':', i);
    if (j == std::string::npos) j = dirs.size();
    // An empty entry is the current folder.
    std::string candidate = j > i ? dirs.substr(i, j - i) : std::string(1, '.');
    candidate += '/';
    candidate += file;
    if (IsRegular(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    i = j + 1;
  }
  return file;
}

// A file the system would run if it could: an ELF image or a script.
bool LooksLikeProgram(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char head[4] = {};
  const ssize_t n = ::read(fd, head, sizeof head);
  ::close(fd);
  return (n == 4 && std::memcmp(head, "\x7f" "ELF", 4) == 0) ||
         (n >= 2 && head[0] == '#' && head[1] == '!');
}

bool Spawn(const std::string& program, bool searchPath, const std::vector<std::string>& args,
           const std::string& dir, pid_t& pid) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  // glibc reports a failed chdir or exec as the result and reaps the child
  // itself, so a failure leaves no process behind.
  const int rc = searchPath ? ::posix_spawnp(&pid, program.c_str(), &actions, nullptr,
                                             argv.data(), environ)
                            : ::posix_spawn(&pid, program.c_str(), &actions, nullptr,
                                            argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0;
}

}  // namespace

std::vector<std::u16string> CommandLineToArgs(std::u16string_view s) {
  std::vector<std::u16string> args;
  size_t i = 0;
  while (true) {
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
    if (i >= s.size()) break;
    std::u16string arg;
    bool quoted = false;
    while (i < s.size()) {
      const char16_t c = s[i];
      if (!quoted && (c == u' ' || c == u'\t')) break;
      if (c == u'\\') {
        size_t n = 0;
        while (i < s.size() && s[i] == u'\\') ++n, ++i;
        if (i < s.size() && s[i] == u'"') {
          arg.append(n / 2, u'\\');
          if (n % 2) {
            arg += u'"';
            ++i;
          }
        } else {
          arg.append(n, u'\\');
        }
        continue;
      }
      if (c == u'"') {
        // Inside quotes "" is a quote that also ends the quoting.
        if (quoted && i + 1 < s.size() && s[i + 1] == u'"') {
          arg += u'"';
          quoted = false;
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg += c;
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

bool ShellExecuteExW(SHELLEXECUTEINFOW* e) {
  if (!e || e->cbSize != sizeof(SHELLEXECUTEINFOW)) return false;
  e->hProcess = nullptr;
  if (!e->lpFile || !*e->lpFile) return false;
  if (e->lpVerb && *e->lpVerb && std::u16string_view(e->lpVerb) != u"open") return false;
  const std::string file = Utf16ToUtf8(e->lpFile);
  const std::string dir = e->lpDirectory ? Utf16ToUtf8(e->lpDirectory) : std::string();
  if (!dir.empty()) {
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  }
  pid_t pid = -1;
  bool started;
  if (IsUrl(file)) {
    started = Spawn("xdg-open", true, {file}, dir, pid);
  } else {
    const std::string path = Resolve(file);
    if (!IsRegular(path)) return false;  // missing, a folder, a device
    if (::access(path.c_str(), X_OK) == 0) {
      std::vector<std::string> args;
      if (e->lpParameters)
        for (const std::u16string& a : CommandLineToArgs(e->lpParameters))
          args.push_back(Utf16ToUtf8(a));
      // A bare name found in the current folder must not be searched for.
      const std::string run = path.find('/') == std::string::npos ? "./" + path : path;
      started = Spawn(run, false, args, dir, pid);
    } else if (LooksLikeProgram(path)) {
      return false;
    } else {
      char* abs = ::realpath(path.c_str(), nullptr);
      std::string target = abs ? abs : path;
      std::free(abs);
      if (target[0] == '-') target.insert(0, "./");  // never an option of xdg-open
      started = Spawn("xdg-open", true, {target}, dir, pid);
    }
  }
  if (!started) return false;
  Process p;
  p.Pid = pid;
  p.Fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (p.Fd >= 0) ::fcntl(p.Fd, F_SETFD, FD_CLOEXEC);
  HANDLE h;
  {
    std::lock_guard<std::mutex> hold(gLock);
    const uintptr_t id = gNext++;
    Table()[id] = p;
    h = reinterpret_cast<HANDLE>(id);
  }
  if (e->fMask & SEE_MASK_NOCLOSEPROCESS)
    e->hProcess = h;
  else
    CloseHandle(h);
  return true;
}

bool GetExitCodeProcess(HANDLE hProcess, DWORD* lpExitCode) {
  if (!lpExitCode) return false;
  std::lock_guard<std::mutex> hold(gLock);
  auto it = Table().find(reinterpret_cast<uintptr_t>(hProcess));
  if (it == Table().end()) return false;
  Poll(it->second);
  *lpExitCode = it->second.Ended ? it->second.Code : STILL_ACTIVE;
  return true;
}

bool CloseHandle(HANDLE hObject) {
  Process p;
  {
    std::lock_guard<std::mutex> hold(gLock);
    auto it = Table().find(reinterpret_cast<uintptr_t>(hObject));
    if (it == Table().end()) return false;
    p = it->second;
    Table().erase(it);
  }
  if (p.Fd >= 0) ::close(p.Fd);
  Poll(p);
  if (!p.Ended) {
    const pid_t pid = p.Pid;
    std::thread([pid] {
      while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  }
  return true;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::milliseconds(dwMilliseconds);
  for (;;) {
    int fd = -1;
    {
      std::lock_guard<std::mutex> hold(gLock);
      auto it = Table().find(reinterpret_cast<uintptr_t>(hHandle));
      if (it == Table().end()) return WAIT_FAILED;
      if (it->second.Ended || Ended(it->second.Pid)) return WAIT_OBJECT_0;
      fd = it->second.Fd;
    }
    int left = 100;  // a slice, so that a handle closed meanwhile is noticed
    if (dwMilliseconds != INFINITE) {
      const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
      if (rest.count() <= 0) return WAIT_TIMEOUT;
      left = static_cast<int>(std::min<int64_t>(rest.count(), left));
    }
    if (fd >= 0) {
      pollfd p{fd, POLLIN, 0};
      ::poll(&p, 1, left);  // readable once the process has ended
    } else {
      ::usleep(static_cast<useconds_t>(std::min(left, 5)) * 1000);  // no pidfd on this kernel
    }
  }
}

}  // namespace dz::win
