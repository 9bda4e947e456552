// dz run as a user runs it: a scratch folder per test, the program started
// with arguments, standard input from a file (or a pseudo-terminal of its
// own), its output and status read back.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/Files.h"

namespace dz::test {

struct Result {
  int Status = -1;  // exit status, or 128 + signal
  std::string Out, Err;
};

struct Row {
  std::vector<std::string> Args;
  std::string Input;
  int Status;
  std::string Out, Err;  // found in stdout / stderr; "" is nothing on stdout
};

// No display, no GTK plug-in: no box or window can be shown.
inline const std::vector<std::string> kNowhere = {"DISPLAY=", "WAYLAND_DISPLAY=",
                                                  "DZ_GTK_PLUGIN=/nonexistent/libdz_gtk.so"};

// Absolute, since the runs happen in a scratch folder.
inline const std::string& DzPath() {
  static const std::string path = [] {
    const char* p = std::getenv("DZ_BIN");
    if (!p || !*p) {
      std::fprintf(stderr, "DZ_BIN must name the dz program\n");
      std::exit(1);
    }
    return fs::absolute(p).string();
  }();
  return path;
}

// In a forked child: dz with args, env added to the environment; never returns.
[[noreturn]] inline void ExecDz(const std::vector<std::string>& args,
                                const std::vector<std::string>& env) {
  for (auto& e : env) ::putenv(const_cast<char*>(e.c_str()));
  std::vector<char*> argv{const_cast<char*>(DzPath().c_str())};
  for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

inline int StatusOf(int st) { return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st); }

class Dz : public ::testing::Test {
 protected:
  // Starts dz with args in Dir; stdin from a file holding input; a registry
  // store of the test's own unless env names another.
  pid_t Start(const std::vector<std::string>& args, const std::string& input,
              std::vector<std::string> env = {}) {
    Spit(Dir / ".stdin", input);
    env.insert(env.begin(), "DZ_REGISTRY=" + (Dir / ".registry.db").string());
    pid_t pid = ::fork();
    if (pid == 0) {
      if (NoTerminal) ::setsid();
      if (Seconds) ::alarm(Seconds);  // kept across exec: a hung dz ends with SIGALRM
      if (::chdir(Dir.c_str()) != 0) ::_exit(126);
      int in = ::open(".stdin", O_RDONLY);
      int out = ::open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0600);
      int err = ::open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(in, 0), ::dup2(out, 1), ::dup2(err, 2);
      ExecDz(args, env);
    }
    return pid;
  }

  Result Wait(pid_t pid) {
    int st = 0;
    ::waitpid(pid, &st, 0);
    return {StatusOf(st), Slurp(Dir / ".stdout"), Slurp(Dir / ".stderr")};
  }

  Result Run(const std::vector<std::string>& args, const std::string& input = "",
             const std::vector<std::string>& env = {}) {
    return Wait(Start(args, input, env));
  }

  // Runs each row. A message is one line that shows no control character
  // and no name of the library's types; one that names its program is the
  // line's start.
  void Check(const std::vector<Row>& rows, const std::vector<std::string>& env = {}) {
    for (const Row& c : rows) {
      std::string shown = "dz";
      for (auto& a : c.Args) shown.append(" ").append(a);
      SCOPED_TRACE(shown);
      const Result r = Run(c.Args, c.Input, env);
      EXPECT_EQ(r.Status, c.Status) << r.Err;
      EXPECT_TRUE(c.Out.empty() ? r.Out.empty() : r.Out.find(c.Out) != r.Out.npos) << r.Out;
      if (c.Err.starts_with("dz")) {
        EXPECT_TRUE(r.Err.starts_with(c.Err)) << r.Err;
      } else {
        EXPECT_NE(r.Err.find(c.Err), std::string::npos) << r.Err;
      }
      if (c.Args.empty()) continue;  // bare dz prints its usage
      EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), r.Err.empty() ? 0 : 1) << r.Err;
      EXPECT_TRUE((c.Status != 2 && c.Status != 3) || r.Err.ends_with("\n")) << r.Err;
      EXPECT_EQ(r.Err.find_first_of("\x07\x1b\x7f"), std::string::npos) << r.Err;
      EXPECT_EQ(r.Out.find('\x1b'), std::string::npos) << r.Out;
      EXPECT_EQ(r.Err.find("basic_"), std::string::npos) << r.Err;
    }
  }

  // Names in Dir, the harness's own files left out.
  std::vector<std::string> Listing() {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(Dir))
      if (e.path().filename().string()[0] != '.' ||
          e.path().filename().string().find("dz-tmp") != std::string::npos)
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  const ScratchDir Scratch;
  const fs::path Dir = Scratch.Path;
  bool NoTerminal = false;  // run dz in a session of its own, without a controlling terminal
  unsigned Seconds = 0;     // when set, the most a run may take
};

// dz at a pseudo-terminal that is its controlling terminal and its standard
// input and error, read and typed at from the test.
struct OnTerminal {
  pid_t Pid = -1;
  int Master = -1;
  std::string Seen;  // what dz has written to the terminal so far

  ~OnTerminal() {
    if (Master >= 0) ::close(Master);
  }

  // Standard output goes to dir/.stdout, as with Dz::Run.
  bool Start(const fs::path& dir, const std::vector<std::string>& args,
             const std::vector<std::string>& env = {}) {
    Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (Master < 0 || ::grantpt(Master) != 0 || ::unlockpt(Master) != 0) return false;
    const std::string slave = ::ptsname(Master);
    Pid = ::fork();
    if (Pid == 0) {
      ::setsid();
      const int tty = ::open(slave.c_str(), O_RDWR);
      if (tty < 0 || ::ioctl(tty, TIOCSCTTY, 0) != 0 || ::chdir(dir.c_str()) != 0) ::_exit(126);
      const int out = ::open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(tty, 0), ::dup2(out, 1), ::dup2(tty, 2);
      ExecDz(args, env);
    }
    return Pid > 0;
  }

  // Reads what dz writes until text has appeared (true) or the time passed.
  bool WaitFor(const std::string& text, int seconds = 60) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (Seen.find(text) == std::string::npos) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      pollfd p{Master, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char buf[4096];
      const ssize_t n = ::read(Master, buf, sizeof buf);
      if (n <= 0) return Seen.find(text) != std::string::npos;
      Seen.append(buf, static_cast<size_t>(n));
    }
    return true;
  }

  void Type(const std::string& keys) {
    if (::write(Master, keys.data(), keys.size()) < 0) std::abort();
  }

  // The exit status, or 128 + the signal; what dz wrote is in Seen.
  int Wait() {
    int st = 0;
    ::waitpid(Pid, &st, 0);
    WaitFor("\x01never\x01", 2);  // what is left; the terminal's end reads as an error
    return StatusOf(st);
  }
};

}  // namespace dz::test
