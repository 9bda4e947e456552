// The store under several processes and under a writer killed mid-write.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "deziva27/host/Registry.h"
#include "registry/TempStore.h"

namespace dz {
namespace {

using Reliability = test::TempStore;

// prefix followed by n, and optionally "_" and m (built by appending, which
// keeps GCC 12's -Wrestrict false positive on "literal" + string away).
UnicodeString N(const char* prefix, int n, int m = -1) {
  std::string s = prefix;
  s += std::to_string(n);
  if (m >= 0) {
    s += '_';
    s += std::to_string(m);
  }
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

int ExitCode(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(Reliability, TwoProcessesWritingTheSameKeysLoseNothing) {
  constexpr int kValues = 10000, kKeys = 10;
  auto writer = [](int who) {
    return [who] {
      TRegistry r;
      for (int i = 0; i < kValues; ++i) {
        if (!r.OpenKey(N("\\Software\\Race\\k", i % kKeys), true))
          throw std::runtime_error("OpenKey failed");
        r.WriteInteger(N("p", who, i), i);
        r.WriteInteger(u"last", who);  // both processes overwrite this one
      }
    };
  };
  const pid_t a = Spawn(writer(1)), b = Spawn(writer(2));
  EXPECT_EQ(ExitCode(a), 0);
  EXPECT_EQ(ExitCode(b), 0);

  TRegistry r;
  int found = 0;
  for (int k = 0; k < kKeys; ++k) {
    ASSERT_TRUE(r.OpenKey(N("\\Software\\Race\\k", k), false));
    TStringList names;
    r.GetValueNames(names);
    found += names.Count() - 1;
    for (int who : {1, 2})
      for (int i = k; i < kValues; i += kKeys) ASSERT_EQ(r.ReadInteger(N("p", who, i)), i);
  }
  EXPECT_EQ(found, 2 * kValues);
  EXPECT_EQ(detail::RegStore::ForCurrentUser()->IntegrityCheck(), "ok");
}

// A process that opens a store nobody has set up yet, while another is about
// to write the new file, must wait for the writer rather than give up: SQLite
// reports that lock at once, without calling the busy handler.
TEST_F(Reliability, OpeningANewStoreWaitsForAProcessAboutToWriteIt) {
  // The writer is a process of its own: SQLite's locks must not cross fork().
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const std::string path = path_;
  const pid_t writer = Spawn([&] {
    close(ready[0]);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
      throw std::runtime_error("the writer could not start");
    if (write(ready[1], "w", 1) != 1) return;  // the empty file's write lock until COMMIT
    usleep(300 * 1000);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  });
  close(ready[1]);
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  close(ready[0]);
  const pid_t opener = Spawn([] {
    TRegistry r;
    r.OpenKey(u"\\Software\\Start", true);
    r.WriteInteger(u"x", 7);
  });
  EXPECT_EQ(ExitCode(writer), 0);
  EXPECT_EQ(ExitCode(opener), 0);

  TRegistry r;
  ASSERT_TRUE(r.OpenKey(u"\\Software\\Start", false));
  EXPECT_EQ(r.ReadInteger(u"x"), 7);
}

TEST_F(Reliability, AWriterKilledMidWriteLosesNoWriteThatReturned) {
  constexpr int kRounds = 50;
  for (int round = 0; round < kRounds; ++round) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const UnicodeString key = N("\\Software\\Killed\\r", round);
    const pid_t child = Spawn([&] {
      close(fds[0]);
      TRegistry r;
      r.OpenKey(key, true);
      for (int32_t i = 0;; ++i) {
        r.WriteString(N("v", i), N("value ", i));
        // Only now has the write returned; the parent counts it.
        if (write(fds[1], &i, sizeof i) != sizeof i) return;
      }
    });
    close(fds[1]);
    // Kill at a different point each round: after 1 to about 300 writes.
    const int32_t killAfter = 1 + (round * 37) % 300;
    int32_t acked = -1, i = 0;
    while (acked + 1 < killAfter && read(fds[0], &i, sizeof i) == sizeof i) acked = i;
    kill(child, SIGKILL);
    while (read(fds[0], &i, sizeof i) == sizeof i) acked = i;  // what returned before the kill
    close(fds[0]);
    EXPECT_EQ(ExitCode(child), 128 + SIGKILL);

    detail::RegStore::ReleaseAll();  // open the file afresh, as a new process would
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(key, false)) << "round " << round;
    for (int32_t v = 0; v <= acked; ++v)
      ASSERT_EQ(r.ReadString(N("v", v)), N("value ", v))
          << "round " << round << " lost write " << v << " of " << acked;
    ASSERT_EQ(detail::RegStore::ForCurrentUser()->IntegrityCheck(), "ok") << "round " << round;
  }
}

}  // namespace
}  // namespace dz
