// The store's files as other programs see them: what a copy of registry.db
// holds, the modes of the files, and damage that must be reported rather
// than built upon or started afresh.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "deziva27/host/registry/detail/RegExchange.h"
#include "deziva27/host/registry/Registry.h"
#include "registry/TempStore.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
using test::ErrorOf;
using StoreFiles = test::TempStore;

// The number of values in a store file, read with SQLite alone (as a backup
// tool or another machine would), -1 when it has none of our tables.
int64_t ValuesIn(const std::string& path) {
  sqlite3* db = nullptr;
  int64_t n = -1;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, "SELECT count(*) FROM vals", -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW)
    n = sqlite3_column_int64(st, 0);
  sqlite3_finalize(st);
  sqlite3_close(db);
  return n;
}

UnicodeString Name(int i) {
  const std::string n = std::to_string(i);
  return u'v' + UnicodeString(n.begin(), n.end());
}

TEST_F(StoreFiles, ACopyOfTheFileHoldsEveryValueOnceTheProcessEnded) {
  struct Case {
    const char* how;
    bool exitWithStoreHeld;
  } cases[] = {{"exit() after the last TRegistry was destroyed", false}, {"exit() with a TRegistry alive", true}};
  for (const Case& c : cases) {
    const std::string copy = dir_ + "/copy.db";
    fs::remove(path_), fs::remove(copy);
    const pid_t pid = fork();
    if (pid == 0) {
      auto* kept = new TRegistry;  // never freed when the process exits with it
      kept->OpenKey(u"Software\\Copy", true);
      for (int i = 0; i < 10; ++i) kept->WriteInteger(Name(i), i);
      if (!c.exitWithStoreHeld) delete kept;
      std::exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.how;
    EXPECT_FALSE(fs::exists(path_ + "-wal")) << c.how;
    fs::copy_file(path_, copy);
    EXPECT_EQ(ValuesIn(copy), 10) << c.how;
  }
}

TEST_F(StoreFiles, FilesAreTheOwnersAlone) {
  const mode_t saved = umask(022);
  struct Case {
    const char* how;
    std::string folder;  // made by the library when it does not exist yet
    bool named;          // DZ_REGISTRY names the file
  } cases[] = {
      {"DZ_REGISTRY in a folder that exists", dir_, true},
      {"the default place in a folder that exists", dir_ + "/home", false},
      {"the default place, folder made here", dir_ + "/fresh", false},
  };
  fs::create_directories(dir_ + "/home/deziva27");
  chmod((dir_ + "/home/deziva27").c_str(), 0755);
  for (const Case& c : cases) {
    std::string file = c.folder + "/registry.db";
    if (c.named) {
      setenv("DZ_REGISTRY", file.c_str(), 1);
    } else {
      unsetenv("DZ_REGISTRY");
      setenv("XDG_CONFIG_HOME", c.folder.c_str(), 1);
      file = c.folder + "/deziva27/registry.db";
    }
    TRegistry r;  // alive while the modes are read, so that -wal and -shm exist
    r.OpenKey(u"Software\\Modes", true);
    r.WriteString(u"v", u"x");
    for (const char* suffix : {"", "-wal", "-shm"}) {
      struct stat st {};
      ASSERT_EQ(stat((file + suffix).c_str(), &st), 0) << c.how << suffix;
      EXPECT_EQ(st.st_mode & 0777, 0600u) << c.how << suffix;
    }
    if (c.folder.ends_with("fresh")) {
      struct stat st {};
      ASSERT_EQ(stat((c.folder + "/deziva27").c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
  }
  unsetenv("XDG_CONFIG_HOME");
  umask(saved);
  detail::RegStore::ReleaseAll();
}

// A store with twenty commits still in its log, as a process that has it
// open leaves it: copied with its log while the connection is alive.
void CopyWithLog(const std::string& from, const std::string& to) {
  TRegistry r;
  r.OpenKey(u"Software\\Log", true);
  for (int i = 0; i < 20; ++i) r.WriteString(Name(i), u"value");
  fs::copy_file(from, to);
  fs::copy_file(from + "-wal", to + "-wal");
}

void Damage(const std::string& path, uint64_t at, const std::string& bytes) {
  std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
  f.seekp(static_cast<std::streamoff>(at));
  f << bytes;
}

TEST_F(StoreFiles, DamageIsReportedAndNeverStartedAfresh) {
  const std::string logged = dir_ + "/logged.db";
  CopyWithLog(path_, logged);
  {
    TRegistry r;
    r.OpenKey(u"Software\\Big", true);
    for (int i = 0; i < 400; ++i) r.WriteString(Name(i), UnicodeString(100, u'x'));
  }
  detail::RegStore::ReleaseAll();
  const uint64_t size = fs::file_size(path_), frame = 24 + 4096;
  struct Case {
    const char* how;
    std::function<void(const std::string&)> harm;
    const char* needle;  // "" when the store must open
  } cases[] = {
      {"truncated to 0 bytes", [](const std::string& p) { fs::resize_file(p, 0); },
       "is damaged: the file is empty"},
      {"truncated to half", [&](const std::string& p) { fs::resize_file(p, size / 2); },
       "is damaged: database disk image is malformed"},
      {"a table added by hand",
       [](const std::string& p) {
         sqlite3* db = nullptr;
         sqlite3_open(p.c_str(), &db);
         sqlite3_exec(db, "CREATE TABLE extra(x)", nullptr, nullptr, nullptr);
         sqlite3_close(db);
       },
       "is damaged: its tables are not the store's own"},
      {"the root key deleted by hand",
       [](const std::string& p) {
         sqlite3* db = nullptr;
         sqlite3_open(p.c_str(), &db);
         sqlite3_exec(db, "DELETE FROM keys WHERE id=1", nullptr, nullptr, nullptr);
         sqlite3_close(db);
       },
       "is damaged: its root key is missing"},
      {"the log damaged in its third frame",
       [&](const std::string& p) {
         fs::copy_file(logged, p, fs::copy_options::overwrite_existing);
         fs::copy_file(logged + "-wal", p + "-wal", fs::copy_options::overwrite_existing);
         Damage(p + "-wal", 32 + 2 * frame + 24 + 200, "\x5A\xA5");
       },
       "fails at frame 3, and"},
      {"the log torn in its last frame, as a killed writer leaves it",
       [&](const std::string& p) {
         fs::copy_file(logged, p, fs::copy_options::overwrite_existing);
         fs::copy_file(logged + "-wal", p + "-wal", fs::copy_options::overwrite_existing);
         fs::resize_file(p + "-wal", fs::file_size(p + "-wal") - 100);
       },
       ""},
  };
  const std::string pristine = dir_ + "/pristine.db";
  fs::copy_file(path_, pristine);
  for (const Case& c : cases) {
    const std::string victim = dir_ + "/victim.db";
    fs::remove(victim + "-wal");
    fs::copy_file(pristine, victim, fs::copy_options::overwrite_existing);
    c.harm(victim);
    const std::string before = Slurp(victim);
    setenv("DZ_REGISTRY", victim.c_str(), 1);
    const std::string error = ErrorOf([] {
      TRegistry r;
      if (!r.OpenKey(u"Software\\Log", false)) r.OpenKey(u"Software\\Big", false);
    });
    detail::RegStore::ReleaseAll();
    if (*c.needle) {
      EXPECT_NE(error.find(c.needle), std::string::npos) << c.how << ": " << error;
      EXPECT_EQ(Slurp(victim), before) << c.how << ": a damaged store was written to";
    } else {
      EXPECT_EQ(error, "") << c.how;
    }
  }
}

// Stores made before keys were limited to 512 levels may hold deeper ones;
// exporting them must neither exhaust a small thread stack nor take more
// than the text's own size.
TEST_F(StoreFiles, ExportWalksATreeDeeperThanTheStackCouldRecurse) {
  constexpr int kDepth = 3000;
  {
    TRegistry r;
    r.CreateKey(u"Old");
  }
  detail::RegStore::ReleaseAll();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  std::string sql = "BEGIN;";
  for (int i = 0; i < kDepth; ++i)
    sql += "INSERT INTO keys(parent, name, fold) SELECT max(id), x'6B00', x'004B' FROM keys;";
  sql += "COMMIT;";
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);

  struct Run {
    std::string text;
    std::string error;
    bool found = false;
  } run;
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(
                &thread, &attr,
                [](void* p) -> void* {
                  auto& run = *static_cast<Run*>(p);
                  run.error = ErrorOf([&] {
                    run.found = detail::ExportRegText(*detail::RegStore::ForCurrentUser(), u"Old",
                                                      run.text);
                  });
                  return nullptr;
                },
                &run),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  ASSERT_TRUE(run.found) << run.error;
  // Every level's section: "[HKEY_CURRENT_USER\Old" + "\k" per level + "]" and
  // two line ends, in UTF-16 after the BOM and the header.
  size_t units = std::u16string_view(u"Windows Registry Editor Version 5.00\r\n\r\n").size();
  for (int level = 0; level <= kDepth; ++level) units += 22 + 2 * level + 1 + 4;
  EXPECT_EQ(run.text.size(), 2 + 2 * units);
  const std::u16string tail = u"\\k]\r\n\r\n";
  EXPECT_EQ(run.text.substr(run.text.size() - 2 * tail.size()),
            std::string(reinterpret_cast<const char*>(tail.data()), 2 * tail.size()));
}

}  // namespace
}  // namespace dz
