// dz help: a compiled HTML Help file shown in the browser.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "deziva27/help/YHtmlHlp.h"
#include "deziva27/host/runtime/Convert.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

// Without a terminal nobody can say when the browser is done with the
// pages: they stay this long unless --wait says otherwise.
constexpr int kDefaultWait = 120;
constexpr int kMaxWait = 86400;

// SIGINT, SIGTERM and SIGHUP are held from before the pages exist until
// they are gone, and taken from a descriptor rather than by a handler, so
// that none of them can end dz in between and leave the pages behind.
class HeldSignals {
 public:
  HeldSignals() {
    sigemptyset(&FSet);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
      struct sigaction old {};
      ::sigaction(sig, nullptr, &old);
      if (old.sa_handler != SIG_IGN) sigaddset(&FSet, sig);  // nohup keeps its own
    }
    ::sigprocmask(SIG_BLOCK, &FSet, &FOld);
    FFd = ::signalfd(-1, &FSet, SFD_CLOEXEC | SFD_NONBLOCK);
  }
  ~HeldSignals() {
    if (FFd >= 0) ::close(FFd);
    ::sigprocmask(SIG_SETMASK, &FOld, nullptr);
  }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

  int Fd() const { return FFd; }
  // The signal that came, 0 when none did.
  int Taken() {
    signalfd_siginfo info{};
    if (FFd >= 0 && ::read(FFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
      return static_cast<int>(info.ssi_signo);
    return 0;
  }
  // Ends dz by sig, as if it had never been held: the shell sees the signal.
  [[noreturn]] void DieOf(int sig) {
    std::fflush(nullptr);
    ::signal(sig, SIG_DFL);
    ::raise(sig);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    ::sigprocmask(SIG_UNBLOCK, &one, nullptr);
    ::_exit(128 + sig);
  }

 private:
  sigset_t FSet, FOld;
  int FFd = -1;
};

// Waits for Enter (or the end of input) at a terminal, for seconds to pass
// (-1: no limit), or for a held signal; the signal, or 0.
int WaitForTheReader(bool terminal, int seconds, HeldSignals& held) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  pollfd fds[2] = {{held.Fd(), POLLIN, 0}, {terminal ? 0 : -1, POLLIN, 0}};
  for (;;) {
    int timeout = -1;
    if (seconds >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) return 0;
      timeout = static_cast<int>(left);
    }
    const int ready = ::poll(fds, 2, timeout);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return 0;
    if (fds[0].revents)
      if (const int sig = held.Taken()) return sig;
    if (fds[1].revents) {
      char line[256];
      const ssize_t n = ::read(0, line, sizeof line);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0 || std::memchr(line, '\n', static_cast<size_t>(n))) return 0;
    }
  }
}

int Seconds(const std::string& option, const std::string& value, int max) {
  int32_t n = 0;
  if (!TryStrToInt(ArgText(value), n) || n < 0 || n > max)
    throw UsageError(option + " needs a number of seconds from 0 to " + std::to_string(max));
  return n;
}

int RunHelp(const Args& args) {
  std::string target;
  uint32_t command = HH_DISPLAY_TOPIC;
  uint32_t data = 0;
  int wait = -1;  // not given
  bool chosen = false, options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto choose = [&](uint32_t c) {
      if (chosen) throw UsageError("give one of --toc, --index and --context");
      chosen = true;
      command = c;
    };
    if (options && a == "--") {
      options = false;
    } else if (options && a == "--toc") {
      choose(HH_DISPLAY_TOC);
    } else if (options && a == "--index") {
      choose(HH_DISPLAY_INDEX);
    } else if (options && a == "--context") {
      choose(HH_HELP_CONTEXT);
      if (++i == args.size()) throw UsageError("--context needs a number");
      int32_t n = 0;
      if (!TryStrToInt(ArgText(args[i]), n))
        throw UsageError("'" + args[i] + "' is not a context number");
      data = static_cast<uint32_t>(n);
    } else if (options && a == "--wait") {
      if (++i == args.size()) throw UsageError("--wait needs a number of seconds");
      wait = Seconds(a, args[i], kMaxWait);
    } else if (options && a.size() > 1 && a[0] == '-') {
      throw UsageError("unknown option '" + a + "'");
    } else if (!target.empty()) {
      throw UsageError("one FILE only");
    } else {
      target = a;
    }
  }
  if (target.empty()) throw UsageError("help needs a FILE");
  const std::string file = target.substr(0, target.find("::"));
  if (command != HH_DISPLAY_TOPIC && file.size() != target.size())
    throw UsageError("a topic goes with FILE alone, not with --toc, --index or --context");
  // The control reads what follows the last '>' as the name of a window
  // ("file.chm>main", "file.chm::/topic.htm>main"). dz names no window, so an
  // empty one keeps every '>' of the argument in the file or topic: the file
  // shown is the file checked below.
  const std::string name = target.find('>') == std::string::npos ? target : target + ">";
  // The name is checked first, so that no message repeats bytes that are
  // not text.
  const UnicodeString text = ArgText(name);
  // A missing file or a folder says so plainly. A help file is read by
  // seeking, so only a regular one will do; a FIFO would block the open.
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
    throw FileError("\"" + file + "\" is not a regular file");
  ::close(OpenForReading(file));

  HeldSignals held;
  auto closePages = [] {
    if (HtmlHelp) HtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
  };
  if (!OpenHtmlHelp(text, command, data)) {
    if (const int sig = held.Taken()) {
      closePages();
      held.DieOf(sig);
    }
    std::fprintf(stderr, "dz help: cannot show %s: %s\n", Visible(target).c_str(),
                 command == HH_HELP_CONTEXT ? "the context number is not mapped, the file is "
                                              "damaged, or xdg-open is missing"
                                            : "the topic is missing, the file is damaged, or "
                                              "xdg-open is missing");
    return kFailed;
  }
  // The pages live in a private folder that goes when dz ends, so dz stays
  // until the browser has had them: at a terminal until Enter, elsewhere for
  // a while, and for a signal only as long as it takes to remove them.
  const bool terminal = ::isatty(0) && ::isatty(2);
  if (terminal) {
    std::fprintf(stderr, "Showing %s in the browser; press Enter when done.\n",
                 Visible(target).c_str());
  } else {
    if (wait < 0) wait = kDefaultWait;
    if (::isatty(2))
      std::fprintf(stderr, "Showing %s in the browser; its pages stay for %d seconds.\n",
                   Visible(target).c_str(), wait);
  }
  const int sig = WaitForTheReader(terminal, wait, held);
  closePages();
  if (sig) held.DieOf(sig);
  return kOk;
}

Register reg(
    {"help",
     "show a compiled HTML Help (.chm) file in the browser",
     "usage: dz help [--toc | --index | --context N] [--wait SECONDS] [--] FILE[::/TOPIC]\n\n"
     "Shows the topic (the file's default topic when none is named), the table of\n"
     "contents, the index, or the topic mapped to context number N, through the\n"
     "hhctrl plug-in and xdg-open. The pages are copied to a private temporary\n"
     "folder (0700) that dz removes before it ends: at a terminal it waits for\n"
     "Enter, elsewhere for SECONDS (120 by default; at a terminal, at most\n"
     "SECONDS when given). SIGINT, SIGTERM and SIGHUP end the wait early, and\n"
     "the pages still go. Every '>' of FILE and TOPIC is part of the name.\n"
     "Exit 3 when the plug-in, the file, the topic or xdg-open is missing.\n",
     RunHelp,
     {"--context", "--wait"}});

}  // namespace
}  // namespace dz::tool
