// The store's files as other programs see them: what a copy of registry.db
// holds, the modes of the files, damage that must be reported rather than
// built upon or started afresh; and the store under several processes and
// under a writer killed mid-write.
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "deziva27/host/registry/detail/RegExchange.h"
#include "registry/TempStore.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
using test::ErrorOf;
using test::ExitCode;
using test::N;
using test::Spawn;
using StoreFiles = test::TempStore;

TEST_F(StoreFiles, ACopyOfTheFileHoldsEveryValueOnceTheProcessEnded) {
  for (const bool exitWithStoreHeld : {false, true}) {
    SCOPED_TRACE(exitWithStoreHeld ? "exit() with a TRegistry alive"
                                   : "exit() after the last TRegistry was destroyed");
    const std::string copy = dir_ + "/copy.db";
    fs::remove(path_), fs::remove(copy);
    const pid_t child = Spawn([&] {
      auto* kept = new TRegistry;  // never freed when the process exits with it
      kept->OpenKey(u"Software\\Copy", true);
      for (int i = 0; i < 10; ++i) kept->WriteInteger(N("v", i), i);
      if (!exitWithStoreHeld) delete kept;
      std::exit(0);
    });
    ASSERT_EQ(ExitCode(child), 0);
    EXPECT_FALSE(fs::exists(path_ + "-wal"));
    fs::copy_file(path_, copy);
    std::string values;  // read with SQLite alone, as a backup tool would
    EXPECT_EQ(test::Sql(copy, "SELECT count(*) FROM vals", &values), SQLITE_OK);
    EXPECT_EQ(values, "10");
  }
}

TEST_F(StoreFiles, FilesAreTheOwnersAlone) {
  const mode_t saved = umask(022);
  const std::pair<const char*, std::string> cases[] = {
      {"DZ_REGISTRY names a file in a folder that exists", dir_},
      {"the default place in a folder that exists", dir_ + "/home"},
      {"the default place, folder made by the library", dir_ + "/fresh"},
  };
  auto mode = [](const std::string& path) {  // 01000 when there is no file
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 01000u;
  };
  fs::create_directories(dir_ + "/home/deziva27");
  chmod((dir_ + "/home/deziva27").c_str(), 0755);
  for (const auto& [how, folder] : cases) {
    SCOPED_TRACE(how);
    std::string file = folder + "/registry.db";
    if (folder != dir_) {
      unsetenv("DZ_REGISTRY");
      setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
      file = folder + "/deziva27/registry.db";
    }
    TRegistry r;  // alive while the modes are read, so that -wal and -shm exist
    r.OpenKey(u"Software\\Modes", true);
    r.WriteString(u"v", u"x");
    for (const char* suffix : {"", "-wal", "-shm"}) EXPECT_EQ(mode(file + suffix), 0600u) << suffix;
    if (folder.ends_with("fresh")) {
      EXPECT_EQ(mode(folder + "/deziva27"), 0700u);
    }
  }
  unsetenv("XDG_CONFIG_HOME");
  umask(saved);
  detail::RegStore::ReleaseAll();
}

// A file that is not a store, or a store of ours damaged, is refused and left
// as it was.
TEST_F(StoreFiles, DamageIsReportedAndNeverStartedAfresh) {
  // A store with twenty commits still in its log, as a process that has it
  // open leaves it: copied with its log while the connection is alive.
  const std::string logged = dir_ + "/logged.db";
  TRegistry writer;
  writer.OpenKey(u"Software\\Log", true);
  for (int i = 0; i < 20; ++i) writer.WriteString(N("v", i), u"value");
  fs::copy_file(path_, logged);
  fs::copy_file(path_ + "-wal", logged + "-wal");
  writer.OpenKey(u"\\Software\\Big", true);
  for (int i = 0; i < 400; ++i) writer.WriteString(N("v", i), UnicodeString(100, u'x'));
  detail::RegStore::ReleaseAll();  // closed, though writer lives on
  const uint64_t size = fs::file_size(path_), frame = 24 + 4096;
  auto garbage = [](const std::string& p) {
    std::ofstream(p, std::ios::binary) << std::string(4096, '\x5A') << "not a database";
  };
  auto withLog = [&](const std::string& p) {
    fs::copy_file(logged, p, fs::copy_options::overwrite_existing);
    fs::copy_file(logged + "-wal", p + "-wal", fs::copy_options::overwrite_existing);
  };
  struct Case {
    const char* how;
    std::function<void(const std::string&)> harm;
    const char* needle;  // "" when the store must open
    std::string below = "";  // opened below the harmed file, as a folder
  } cases[] = {
      {"not a database", garbage, "is not a registry store: file is not a database"},
      {"a database of another program",
       [](const std::string& p) {
         fs::remove(p);
         test::Sql(p, "CREATE TABLE t(x); INSERT INTO t VALUES(1);");
       },
       "is not a registry store: it is a database of another program"},
      // No one, root included, can create a folder where a regular file is.
      {"a regular file where a folder should be", garbage, "Cannot open the registry store",
       "/registry.db"},
      {"truncated to 0 bytes", [](const std::string& p) { fs::resize_file(p, 0); },
       "is damaged: the file is empty"},
      {"truncated to half", [&](const std::string& p) { fs::resize_file(p, size / 2); },
       "is damaged: database disk image is malformed"},
      {"key pages overwritten",
       [](const std::string& p) { test::Overwrite(p, 4096, std::string(8192, '\xA5')); },
       "is damaged"},
      {"a table added by hand", [](const std::string& p) { test::Sql(p, "CREATE TABLE extra(x)"); },
       "is damaged: its tables are not the store's own"},
      {"the root key deleted by hand",
       [](const std::string& p) { test::Sql(p, "DELETE FROM keys WHERE id=1"); },
       "is damaged: its root key is missing"},
      {"the log damaged in its third frame",
       [&](const std::string& p) {
         withLog(p);
         test::Overwrite(p + "-wal", 32 + 2 * frame + 24 + 200, "\x5A\xA5");
       },
       "fails at frame 3, and"},
      {"the log torn in its last frame, as a killed writer leaves it",
       [&](const std::string& p) {
         withLog(p);
         fs::resize_file(p + "-wal", fs::file_size(p + "-wal") - 100);
       },
       ""},
  };
  const std::string pristine = dir_ + "/pristine.db", victim = dir_ + "/victim.db";
  fs::copy_file(path_, pristine);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    fs::remove(victim + "-wal");
    fs::copy_file(pristine, victim, fs::copy_options::overwrite_existing);
    c.harm(victim);
    const std::string before = test::Slurp(victim);
    const bool logged = fs::exists(victim + "-wal");
    setenv("DZ_REGISTRY", (victim + c.below).c_str(), 1);
    const std::string error = ErrorOf([] {
      TRegistry r;
      if (!r.OpenKey(u"Software\\Log", false)) r.OpenKey(u"Software\\New", true);
    });
    detail::RegStore::ReleaseAll();
    if (*c.needle) {
      EXPECT_PRED_FORMAT2(testing::IsSubstring, c.needle, error);
      EXPECT_EQ(test::Slurp(victim), before) << "a damaged store was written to";
      EXPECT_EQ(fs::exists(victim + "-wal"), logged);
    } else {
      EXPECT_EQ(error, "");
    }
  }
}

// Stores made before keys were limited to 512 levels may hold deeper ones;
// exporting them must neither exhaust a small thread stack nor take more
// than the text's own size.
TEST_F(StoreFiles, ExportWalksATreeDeeperThanTheStackCouldRecurse) {
  constexpr int kDepth = 3000;
  TRegistry().CreateKey(u"Old");
  detail::RegStore::ReleaseAll();
  std::string sql = "BEGIN;";
  for (int i = 0; i < kDepth; ++i)
    sql += "INSERT INTO keys(parent, name, fold) SELECT max(id), x'6B00', x'004B' FROM keys;";
  ASSERT_EQ(test::Sql(path_, sql + "COMMIT;"), SQLITE_OK);

  struct Run {
    std::string text, error;
    bool found = false;
  } run;
  auto exportOld = [](void* p) -> void* {
    auto& run = *static_cast<Run*>(p);
    run.error = ErrorOf([&] {
      run.found = detail::ExportRegText(*detail::RegStore::ForCurrentUser(), u"Old", run.text);
    });
    return nullptr;
  };
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, exportOld, &run), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  ASSERT_TRUE(run.found) << run.error;
  // Every level's section, parents first, in UTF-16 after the BOM and the header.
  std::u16string want = u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n";
  std::u16string section = u"[HKEY_CURRENT_USER\\Old";
  for (int level = 0; level <= kDepth; ++level, section += u"\\k") want += section + u"]\r\n\r\n";
  ASSERT_EQ(run.text.size(), 2 * want.size());
  EXPECT_TRUE(run.text == std::string(reinterpret_cast<const char*>(want.data()), run.text.size()));
}

// Processes that find no store all make one at the same moment, then write
// the same keys: one file wins, every process uses it and no write is lost.
TEST_F(StoreFiles, ProcessesCreatingTheStoreAtOnceAndWritingTheSameKeysLoseNothing) {
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

TEST_F(StoreFiles, AWriterKilledMidWriteLosesNoWriteThatReturned) {
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
