// dz run as a user runs it: a scratch folder per test, the program started
// with arguments, standard input from a file, its output and status read back.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/Files.h"

namespace dz::test {

namespace fs = std::filesystem;

struct Result {
  int Status = -1;  // exit status, or 128 + signal
  std::string Out, Err;
};

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

// A scratch folder per test, removed afterwards.
class Dz : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/dz-test-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    Dir = tmpl;
  }
  void TearDown() override { fs::remove_all(Dir); }

  // Starts dz with args in Dir; stdin from a file holding input.
  pid_t Start(const std::vector<std::string>& args, const std::string& input,
              const std::vector<std::string>& env = {}) {
    Spit(Dir / ".stdin", input);
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
    Result r;
    r.Status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    r.Out = Slurp(Dir / ".stdout");
    r.Err = Slurp(Dir / ".stderr");
    return r;
  }

  Result Run(const std::vector<std::string>& args, const std::string& input = "",
             const std::vector<std::string>& env = {}) {
    return Wait(Start(args, input, env));
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

  fs::path Dir;
  bool NoTerminal = false;  // run dz in a session of its own, without a controlling terminal
  unsigned Seconds = 0;     // when set, the most a run may take
};

}  // namespace dz::test
