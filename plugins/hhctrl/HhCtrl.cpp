// The HTML Help control for Linux: HtmlHelpA and HtmlHelpW over chmlib, in
// a program of its own.
//
// A shown topic is copied, with what it links to, into a private folder
// (mkdtemp under an absolute $TMPDIR or /tmp, mode 0700, files 0600) and
// handed to the user's browser with xdg-open. The folder goes at
// HH_CLOSE_ALL and when the plug-in is unloaded; one that has been removed
// or replaced under its name since the last page is left alone and a fresh
// one is made.
//
// Commands:
//   HH_DISPLAY_TOPIC  "file.chm::/topic.htm" shows that topic; a bare file
//                     name its default topic. dwData, when not 0, points to
//                     a topic name (text of the call's width), used when the
//                     file name names none.
//   HH_DISPLAY_TOC    a page listing the file's table of contents.
//   HH_DISPLAY_INDEX  a page listing the file's index.
//   HH_HELP_CONTEXT   the topic mapped to the context number dwData.
//   HH_CLOSE_ALL      removes the folder; answers 0.
// The answer is a non-zero handle when the page was handed to the browser,
// 0 for a missing or damaged file or topic, xdg-open or the reader missing,
// or any other command. What follows the last '>' of the name names a window
// ("file.chm>main", "file.chm::/topic.htm>main") and is ignored; a name that
// ends in '>' keeps every other '>' as its own.
//
// chmlib cannot be trusted with a damaged file (it divides by zero, loops
// and allocates without bound), and the plug-in lives in the application's
// process. So the plug-in never calls chmlib: each reading is done by
// hhctrl-reader, a program installed beside the plug-in, started with
// posix_spawn (safe in a multi-threaded caller, unlike a fork that goes on
// running library code). It writes only into a sub-folder the plug-in made
// and opened for it, and answers over a pipe; a reader that crashes, says
// something malformed or overruns its time (DZ_HHCTRL_SECONDS, 15 by
// default) is killed and reaped, its sub-folder removed, and the call
// answers 0.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "plugins/hhctrl/ChmBook.h"
#include "plugins/hhctrl/HhCtrl.h"

extern char** environ;

namespace dz::hhctrl {
namespace {

// Spawn attributes that give a child no blocked signal and the default action
// for every one: what the caller holds (a program that waits for SIGTERM to
// remove its pages) or ignores is not the child's.
void CleanSignals(posix_spawnattr_t& attr) {
  posix_spawnattr_init(&attr);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

constexpr unsigned kCloseAll = 0x0012;

// Removes everything below the folder dir holds, without following a link.
void RemoveContents(int dir) {
  const int listing = ::fcntl(dir, F_DUPFD_CLOEXEC, 0);
  if (listing < 0) return;
  DIR* d = ::fdopendir(listing);
  if (!d) {
    ::close(listing);
    return;
  }
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(d))
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
      names.emplace_back(e->d_name);
  ::closedir(d);
  for (const std::string& name : names) {
    if (::unlinkat(dir, name.c_str(), 0) == 0 || (errno != EISDIR && errno != EPERM)) continue;
    const int sub = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub < 0) continue;
    RemoveContents(sub);
    ::close(sub);
    ::unlinkat(dir, name.c_str(), AT_REMOVEDIR);
  }
}

// The pages live in one private folder per process. It is held open and
// everything is written through that descriptor; its name is trusted only
// while it still leads to the same folder, ours and 0700: a cleaner of /tmp
// may take the folder while the application runs, and whoever re-creates
// the name must not receive the next page.
struct Session {
  std::string Folder;  // absolute; empty until the first page is shown
  int Dir = -1;
  unsigned Shown = 0;  // pages shown, for the handles and the sub-folders

  ~Session() { Close(); }
  bool StillOurs() const {
    struct stat held {}, named {};
    return Dir >= 0 && ::fstat(Dir, &held) == 0 && ::lstat(Folder.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino &&
           held.st_uid == ::geteuid() && (held.st_mode & 07777) == 0700;
  }
  void Close() {
    if (Dir < 0) return;
    // The name is removed only while it is still ours; what we wrote goes
    // either way.
    const bool named = StillOurs();
    RemoveContents(Dir);
    if (named) ::rmdir(Folder.c_str());
    ::close(Dir);
    Dir = -1;
    Folder.clear();
  }
  bool Ensure() {
    if (StillOurs()) return true;
    Close();
    // A relative folder would reach xdg-open as a name that may start with
    // '-', and would change with the working folder.
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/dz-help-XXXXXX";
    if (!::mkdtemp(tmpl.data())) return false;
    Dir = ::open(tmpl.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    Folder = tmpl;
    // A umask can take the owner's own bits away.
    if (Dir < 0 || ::fchmod(Dir, 0700) != 0 || !StillOurs()) {
      if (Dir >= 0) ::close(Dir);
      Dir = -1;
      ::rmdir(tmpl.c_str());
      Folder.clear();
      return false;
    }
    return true;
  }
};

Session gSession;

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD. The plug-in links no
// part of the library, so it carries this small converter of its own.
}  // namespace

std::string Utf8Of(const char16_t* s) {
  std::string out;
  for (; *s; ++s) {
    uint32_t c = *s;
    if (c >= 0xD800 && c <= 0xDBFF && s[1] >= 0xDC00 && s[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[1] - 0xDC00);
      ++s;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

namespace {

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string rest = path && *path ? path : "/usr/bin:/bin";
  size_t i = 0;
  while (i <= rest.size()) {
    size_t j = rest.find(':', i);
    if (j == std::string::npos) j = rest.size();
    const std::string dir = j > i ? rest.substr(i, j - i) : ".";
    const std::string candidate = dir + "/" + program;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0)
      return true;
    i = j + 1;
  }
  return false;
}

// Hands the page to the browser. xdg-open may run the browser in the
// foreground, so it is started through "setsid -f", whose fork returns at
// once and leaves xdg-open to init: no wait on the browser, no zombie, and
// no thread of this plug-in that could outlive its unloading.
bool OpenInBrowser(const std::string& page) {
  if (!OnPath("xdg-open") || !OnPath("setsid")) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  const char* argv[] = {"setsid", "-f", "xdg-open", page.c_str(), nullptr};
  // The browser is no child of the caller's: signals the caller holds (a
  // program that waits for SIGTERM to remove its pages) or ignores are not
  // the browser's.
  posix_spawnattr_t attr;
  CleanSignals(attr);
  pid_t pid = -1;
  const int rc = ::posix_spawnp(&pid, "setsid", &actions, &attr, const_cast<char**>(argv), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// hhctrl-reader beside the object that holds this code (the plug-in, or a
// program that links the control in); "" when it is not there.
std::string ReaderPath() {
  Dl_info info{};
  if (!::dladdr(reinterpret_cast<void*>(&ReaderPath), &info) || !info.dli_fname) return {};
  std::string self = info.dli_fname;
  if (self.find('/') == std::string::npos) {
    // The main program reports no path of its own.
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
    if (n <= 0) return {};
    self.assign(buf, static_cast<size_t>(n));
  }
  const std::string path = self.substr(0, self.rfind('/')) + "/hhctrl-reader";
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || ::access(path.c_str(), X_OK) != 0)
    return {};
  return path;
}

int ReaderSeconds() {
  const char* s = std::getenv("DZ_HHCTRL_SECONDS");
  if (s && *s) {
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (*end == '\0' && v >= 1 && v <= 3600) return static_cast<int>(v);
  }
  return 15;
}

// A contents page of a large book is the largest answer there is.
constexpr size_t kMaxAnswer = 64u << 20;

// Runs the reader on args (file, command, data, topic, prefix) with folder
// as its descriptor 3; its answer, or nullopt when it failed in any way.
std::optional<Reading> ReadInChild(const std::string& reader, std::vector<std::string> args,
                                   int folder) {
  const int seconds = ReaderSeconds();
  args.insert(args.begin(), reader);
  args.push_back(std::to_string(seconds));
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  // Above the slots the child's actions fill, so that no dup2 is a no-op
  // that would leave a descriptor close-on-exec.
  const int out = ::fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
  const int dir = ::fcntl(folder, F_DUPFD_CLOEXEC, 10);
  ::close(fds[1]);
  const int in = fds[0];
  pid_t pid = -1;
  int rc = -1;
  if (out >= 0 && dir >= 0) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, dir, 3);
    // The caller's blocked or ignored signals are not the reader's: it must
    // die of its alarm, its CPU limit and its own faults.
    posix_spawnattr_t attr;
    CleanSignals(attr);
    rc = ::posix_spawn(&pid, reader.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
  }
  if (out >= 0) ::close(out);
  if (dir >= 0) ::close(dir);
  if (rc != 0) {
    ::close(in);
    return std::nullopt;
  }

  std::string answer;
  bool complete = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  auto msLeft = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                 std::chrono::steady_clock::now())
        .count();
  };
  char buf[65536];
  // The message says how long it is, so the end of the pipe is not waited
  // for: a fork in another thread of the caller may hold its write end.
  while (!complete) {
    const auto left = msLeft();
    if (left <= 0) break;
    pollfd p{in, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    const ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the end before a whole message: a failure
    if (answer.size() + static_cast<size_t>(n) > kMaxAnswer) break;
    answer.append(buf, static_cast<size_t>(n));
    const auto size = ReadingSize(answer);
    if (size && answer.size() >= *size) complete = true;
  }
  ::close(in);
  // The reader ends right after its answer; one that does not, or has not
  // answered by the deadline, is killed.
  int status = 0;
  pid_t waited = 0;
  while (complete && (waited = ::waitpid(pid, &status, WNOHANG)) == 0 && msLeft() > 0)
    ::usleep(1000);
  if (waited == 0) {
    ::kill(pid, SIGKILL);
    complete = false;
    while ((waited = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
  }
  // A caller that ignores SIGCHLD leaves no status to read; the whole
  // message is then the only proof of success.
  const bool exitedWell =
      waited < 0 ? errno == ECHILD : WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!complete || !exitedWell) return std::nullopt;
  return DecodeReading(answer);
}

struct Target {
  std::string File;
  std::string Topic;  // empty: none named
};

Target Split(std::string name) {
  Target t;
  const size_t sep = name.find("::");
  if (sep != std::string::npos) {
    t.Topic = name.substr(sep + 2);
    name.resize(sep);
  }
  std::string& tail = t.Topic.empty() ? name : t.Topic;
  if (const size_t win = tail.rfind('>'); win != std::string::npos) tail.resize(win);
  t.File = name;
  return t;
}

}  // namespace

void* Show(const std::string& fileName, unsigned command, uintptr_t data,
           const std::string& dataTopic) {
  // One session folder and one page counter for the process; an
  // application may call from several threads.
  static std::mutex lock;
  const std::lock_guard<std::mutex> hold(lock);
  if (command == kCloseAll) {
    gSession.Close();
    return nullptr;
  }
  if (command != kDisplayTopic && command != kDisplayToc && command != kDisplayIndex &&
      command != kHelpContext)
    return nullptr;
  Target t = Split(fileName);
  if (command == kDisplayTopic && t.Topic.empty()) t.Topic = dataTopic;
  if (t.File.empty()) return nullptr;
  const std::string reader = ReaderPath();
  if (reader.empty() || !gSession.Ensure()) return nullptr;
  const unsigned n = ++gSession.Shown;
  const std::string sub = std::to_string(n);
  const bool toc = command == kDisplayToc;
  // Beside the sub-folder rather than in it, so that no page of the file
  // can have its name.
  const std::string listing = sub + (toc ? "-contents.html" : "-index.html");
  if (::mkdirat(gSession.Dir, sub.c_str(), 0700) != 0) return nullptr;
  const int folder =
      ::openat(gSession.Dir, sub.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  std::optional<Reading> reading;
  if (folder >= 0) {
    reading = ReadInChild(reader, {t.File, std::to_string(command),
                                   std::to_string(static_cast<uint32_t>(data)), t.Topic, sub},
                          folder);
  }
  std::string page;
  bool ok = reading.has_value();
  if (ok && !reading->Sitemap) {
    // The reader named the topic; it goes to the browser only if it is a
    // name that stays in the folder.
    const auto name = ResolveName({}, reading->Text);
    ok = name && ObjectPath(*name) == reading->Text;
    if (ok) page = gSession.Folder + "/" + sub + reading->Text;
  } else if (ok) {
    page = gSession.Folder + "/" + listing;
    const int fd = ::openat(gSession.Dir, listing.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    ok = fd >= 0 && ::write(fd, reading->Text.data(), reading->Text.size()) ==
                        static_cast<ssize_t>(reading->Text.size());
    if (fd >= 0 && ::close(fd) != 0) ok = false;
  }
  // The browser reads by name: the name must still lead to our folder.
  if (ok && gSession.StillOurs() && OpenInBrowser(page)) {
    if (folder >= 0) ::close(folder);
    return reinterpret_cast<void*>(static_cast<uintptr_t>(n));
  }
  // Whatever a failed reading left behind goes with it.
  if (folder >= 0) {
    RemoveContents(folder);
    ::close(folder);
  }
  ::unlinkat(gSession.Dir, sub.c_str(), AT_REMOVEDIR);
  ::unlinkat(gSession.Dir, listing.c_str(), 0);
  return nullptr;
}

const char* Folder() { return gSession.Folder.c_str(); }

}  // namespace dz::hhctrl

extern "C" {

__attribute__((visibility("default"))) void* HtmlHelpA(void* /*hwndCaller*/, const char* pszFile,
                                                       unsigned uCommand, uintptr_t dwData) {
  std::string topic;
  if (uCommand == 0 && dwData != 0) topic = reinterpret_cast<const char*>(dwData);
  return dz::hhctrl::Show(pszFile ? pszFile : "", uCommand, dwData, topic);
}

__attribute__((visibility("default"))) void* HtmlHelpW(void* /*hwndCaller*/,
                                                       const char16_t* pszFile, unsigned uCommand,
                                                       uintptr_t dwData) {
  std::string topic;
  if (uCommand == 0 && dwData != 0)
    topic = dz::hhctrl::Utf8Of(reinterpret_cast<const char16_t*>(dwData));
  return dz::hhctrl::Show(pszFile ? dz::hhctrl::Utf8Of(pszFile) : "", uCommand, dwData, topic);
}

// The private folder in use ("" when none): for tests that check that it
// goes at HH_CLOSE_ALL and unload.
__attribute__((visibility("default"))) const char* DzHhCtrlFolder() {
  return dz::hhctrl::Folder();
}

}
