// The store under several processes and under a writer killed mid-write.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "deziva27/host/registry/Registry.h"
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

// Processes that find no store all make one at the same moment: one file
// wins, and every process uses it.
TEST_F(Reliability, ProcessesCreatingTheStoreAtOnceShareOne) {
  constexpr int kProcesses = 6;
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  std::vector<pid_t> pids;
  for (int who = 0; who < kProcesses; ++who) {
    pids.push_back(Spawn([&, who] {
      close(go[1]);
      char c = 0;
      if (read(go[0], &c, 1) != 0) return;  // starts when the pipe closes
      TRegistry r;
      r.OpenKey(u"\\Software\\Start", true);
      r.WriteInteger(N("p", who), who);
    }));
  }
  close(go[0]);
  close(go[1]);
  for (pid_t pid : pids) EXPECT_EQ(ExitCode(pid), 0);

  TRegistry r;
  ASSERT_TRUE(r.OpenKey(u"\\Software\\Start", false));
  for (int who = 0; who < kProcesses; ++who) EXPECT_EQ(r.ReadInteger(N("p", who)), who);
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
