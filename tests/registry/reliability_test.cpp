// The store under several processes and under a writer killed mid-write.
#include <gtest/gtest.h>
#include <signal.h>

#include <stdexcept>
#include <vector>

#include "registry/TempStore.h"

namespace dz {
namespace {

using Reliability = test::TempStore;
using test::ExitCode;
using test::N;
using test::Spawn;

// Processes that find no store all make one at the same moment, then write
// the same keys: one file wins, every process uses it and no write is lost.
TEST_F(Reliability, ProcessesCreatingTheStoreAtOnceAndWritingTheSameKeysLoseNothing) {
  constexpr int kProcesses = 6, kValues = 3000, kKeys = 10;
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  std::vector<pid_t> pids;
  for (int who = 0; who < kProcesses; ++who) {
    pids.push_back(Spawn([&, who] {
      close(go[1]);
      char c = 0;
      if (read(go[0], &c, 1) != 0) return;  // starts when the pipe closes
      TRegistry r;
      for (int i = 0; i < kValues; ++i) {
        if (!r.OpenKey(N("\\Software\\Race\\k", i % kKeys), true))
          throw std::runtime_error("OpenKey failed");
        r.WriteInteger(N("p", who, i), i);
        r.WriteInteger(u"last", who);  // every process overwrites this one
      }
    }));
  }
  close(go[0]);
  close(go[1]);
  for (pid_t pid : pids) EXPECT_EQ(ExitCode(pid), 0);

  TRegistry r;
  int found = 0;
  for (int k = 0; k < kKeys; ++k) {
    ASSERT_TRUE(r.OpenKey(N("\\Software\\Race\\k", k), false));
    TStringList names;
    r.GetValueNames(names);
    found += names.Count() - 1;
    for (int who = 0; who < kProcesses; ++who)
      for (int i = k; i < kValues; i += kKeys) ASSERT_EQ(r.ReadInteger(N("p", who, i)), i);
  }
  EXPECT_EQ(found, kProcesses * kValues);
  EXPECT_EQ(detail::RegStore::ForCurrentUser()->IntegrityCheck(), "ok");
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
