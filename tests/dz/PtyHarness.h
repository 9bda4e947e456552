// dz run at a terminal of its own: a pseudo-terminal that is dz's
// controlling terminal and its standard input and error, read and typed at
// from the test.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "dz/DzHarness.h"

namespace dz::test {

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
    return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  }
};

}  // namespace dz::test
