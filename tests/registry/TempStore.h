// A registry store of the test's own: DZ_REGISTRY points at a file in a fresh
// folder for the test's scope, never at the user's store. Also the helpers the
// store's tests share: child processes, raw SQLite and raw bytes on its files.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "deziva27/host/registry/Registry.h"
#include "deziva27/host/registry/detail/RegistryStore.h"

namespace dz::test {

// The message of the error of class E that f raises; "" when it raises none.
template <class E = ERegistryException>
std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  return "";
}

// prefix followed by n, and "_" and m when m is given (built by appending,
// which keeps GCC 12's -Wrestrict false positive on "literal" + string away).
inline UnicodeString N(const char* prefix, int n, int m = -1) {
  std::string s = prefix;
  s += std::to_string(n);
  if (m >= 0) s += '_' + std::to_string(m);
  return UnicodeString(s.begin(), s.end());
}

// Runs body in a child process; the child's exit status is 0 when body
// returned and 1 when it raised (the message on stderr).
template <class F>
pid_t Spawn(F body) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  int rc = 0;
  try {
    body();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "child %d: %s\n", getpid(), e.what());
    rc = 1;
  }
  std::fflush(nullptr);
  _exit(rc);
}

// The exit status of a child, 128 + the signal when a signal ended it.
inline int ExitCode(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// SQL run on a file with SQLite alone, as another program would; the first
// column of the last row it gives goes to *out.
inline int Sql(const std::string& path, const std::string& sql, std::string* out = nullptr) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open(path.c_str(), &db);
  auto keep = [](void* out, int, char** values, char**) {
    if (out) *static_cast<std::string*>(out) = values[0] ? values[0] : "NULL";
    return 0;
  };
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, sql.c_str(), keep, out, nullptr);
  sqlite3_close(db);
  return rc;
}

inline void Overwrite(const std::string& path, uint64_t at, const std::string& bytes) {
  std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
  f.seekp(static_cast<std::streamoff>(at));
  f << bytes;
}

inline std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

class TempStore : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/dzreg-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/registry.db";
    setenv("DZ_REGISTRY", path_.c_str(), 1);
  }
  void TearDown() override {
    detail::RegStore::ReleaseAll();
    unsetenv("DZ_REGISTRY");
    std::filesystem::remove_all(dir_);
  }
  std::string dir_, path_;
};

}  // namespace dz::test
