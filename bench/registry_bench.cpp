// The registry layers against what they are built on, in one run:
//  - ReadRegStr on an open key against one prepared SQLite select of the
//    same value on the same schema and file (the fold of the name computed
//    once, outside the loop, which the layers cannot do);
//  - TRegistry::WriteString against one prepared upsert in its own
//    BEGIN IMMEDIATE transaction, the same durability (WAL, synchronous
//    NORMAL);
//  - SaveControlPosReg + LoadControlPosReg against the same four numbers
//    written to an INI file by write-to-temporary-and-rename and read back
//    (with nothing else holding the store, each call opens it and closes it,
//    folding its log into the file);
//  - what a process that sets one value pays, opening the store, setting the
//    value and closing, at 100,000 and 1,000,000 values, against the same
//    with SQLite's quick_check over the whole file on open (what opening did
//    before it checked only what is cheap).
// Wall time, since the writes wait on the file system. The store lives in a
// fresh folder under /tmp, never the user's.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "deziva27/host/registry/detail/RegistryStore.h"
#include "deziva27/utils/YUtils.h"

namespace {

using namespace dz;

const std::string& Dir() {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/dz-regbench-XXXXXX";
    if (!mkdtemp(tmpl)) std::abort();
    setenv("DZ_REGISTRY", (std::string(tmpl) + "/registry.db").c_str(), 1);
    return std::string(tmpl);
  }();
  return dir;
}

// The SQLite peer keeps a connection of its own open; the benchmarks of the
// registry layers that open and close the store run without it.
struct Raw {
  sqlite3* db = nullptr;
  sqlite3_stmt* select = nullptr;
  sqlite3_stmt* upsert = nullptr;
  int64_t key = 0;
  std::string fold, name;
  Raw() {
    Dir();
    TRegistry reg;  // creates the store and the key the raw peer reads
    reg.OpenKey(u"Software\\Bench\\Raw", true);
    reg.WriteString(u"Value", u"some text of a setting");
    key = reinterpret_cast<intptr_t>(reg.CurrentKey());
    sqlite3_open((Dir() + "/registry.db").c_str(), &db);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    sqlite3_prepare_v3(db, "SELECT type, data FROM vals WHERE key=?1 AND fold=?2", -1,
                       SQLITE_PREPARE_PERSISTENT, &select, nullptr);
    sqlite3_prepare_v3(
        db,
        "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, 1, ?4)"
        " ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data",
        -1, SQLITE_PREPARE_PERSISTENT, &upsert, nullptr);
    for (char c : std::string("VALUE")) fold += {'\0', c};  // UTF-16BE of the upper case
    for (char c : std::string("Value")) name += {c, '\0'};
  }
  ~Raw() {
    sqlite3_finalize(select);
    sqlite3_finalize(upsert);
    sqlite3_close(db);
  }
};

std::unique_ptr<Raw> gPeer;
Raw& Peer() {
  if (!gPeer) gPeer = std::make_unique<Raw>();
  return *gPeer;
}

void BM_ReadRegStr(benchmark::State& state) {
  Peer();
  TRegistry reg;
  reg.OpenKey(u"Software\\Bench\\Raw", false);
  for (auto _ : state) benchmark::DoNotOptimize(ReadRegStr(reg, u"Value", u""));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadRegStr)->UseRealTime();

void BM_PlainSqliteSelect(benchmark::State& state) {
  Raw& p = Peer();
  for (auto _ : state) {
    sqlite3_bind_int64(p.select, 1, p.key);
    sqlite3_bind_blob(p.select, 2, p.fold.data(), static_cast<int>(p.fold.size()), SQLITE_STATIC);
    if (sqlite3_step(p.select) != SQLITE_ROW) state.SkipWithError("no row");
    const auto* b = static_cast<const char16_t*>(sqlite3_column_blob(p.select, 1));
    UnicodeString s(b, static_cast<size_t>(sqlite3_column_bytes(p.select, 1)) / 2 - 1);
    benchmark::DoNotOptimize(s);
    sqlite3_reset(p.select);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainSqliteSelect)->UseRealTime();

void BM_WriteString(benchmark::State& state) {
  Peer();
  TRegistry reg;
  reg.OpenKey(u"Software\\Bench\\Raw", false);
  int i = 0;
  for (auto _ : state)
    reg.WriteString(u"Value", (i++ & 1) ? u"some text of a setting" : u"another text");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteString)->UseRealTime();

void BM_PlainSqliteUpsert(benchmark::State& state) {
  Raw& p = Peer();
  const std::u16string texts[2] = {u"another text", u"some text of a setting"};
  int i = 0;
  for (auto _ : state) {
    const std::u16string& t = texts[i++ & 1];
    sqlite3_exec(p.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_bind_int64(p.upsert, 1, p.key);
    sqlite3_bind_blob(p.upsert, 2, p.name.data(), static_cast<int>(p.name.size()), SQLITE_STATIC);
    sqlite3_bind_blob(p.upsert, 3, p.fold.data(), static_cast<int>(p.fold.size()), SQLITE_STATIC);
    sqlite3_bind_blob(p.upsert, 4, t.c_str(), static_cast<int>((t.size() + 1) * 2), SQLITE_STATIC);
    if (sqlite3_step(p.upsert) != SQLITE_DONE) state.SkipWithError("upsert failed");
    sqlite3_reset(p.upsert);
    sqlite3_exec(p.db, "COMMIT", nullptr, nullptr, nullptr);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainSqliteUpsert)->UseRealTime();

void BM_ControlPosRoundTrip(benchmark::State& state) {
  gPeer.reset();
  Dir();
  TControl c(nullptr);
  int i = 0;
  for (auto _ : state) {
    c.SetBounds(++i & 1023, 20, 300, 200);
    SaveControlPosReg(c, u"Software\\Bench\\Forms", u"MainForm");
    LoadControlPosReg(c, u"Software\\Bench\\Forms", u"MainForm");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ControlPosRoundTrip)->UseRealTime();

// What an application without a registry does: the whole INI file rewritten
// through a temporary and a rename, then read and parsed.
void BM_IniTempRenameRoundTrip(benchmark::State& state) {
  const std::string path = Dir() + "/settings.ini", temp = path + ".tmp";
  int i = 0;
  for (auto _ : state) {
    {
      std::ofstream out(temp, std::ios::trunc);
      out << "[Forms]\nMainForm=" << (++i & 1023) << ",20,300,200\n";
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) state.SkipWithError("rename failed");
    std::ifstream in(path);
    std::string line;
    int l = 0, t = 0, w = 0, h = 0;
    while (std::getline(in, line))
      if (line.rfind("MainForm=", 0) == 0)
        std::sscanf(line.c_str() + 9, "%d,%d,%d,%d", &l, &t, &w, &h);
    benchmark::DoNotOptimize(l + t + w + h);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IniTempRenameRoundTrip)->UseRealTime();

// A store of its own holding n values under Software\Bench\Many, made once;
// DZ_REGISTRY points at it while the benchmark runs.
class LargeStore {
 public:
  explicit LargeStore(int64_t n) : FSaved(std::getenv("DZ_REGISTRY")) {
    gPeer.reset();
    FPath = Dir() + "/many-" + std::to_string(n) + ".db";
    setenv("DZ_REGISTRY", FPath.c_str(), 1);
    int64_t& key = FKey;
    {
      TRegistry reg;
      reg.OpenKey(u"Software\\Bench\\Many", true);
      key = reinterpret_cast<intptr_t>(reg.CurrentKey());
      if (reg.ValueExists(u"Value")) return;  // made by an earlier run of the benchmark
      reg.WriteString(u"Value", u"first");
    }
    sqlite3* db = nullptr;
    sqlite3_open(FPath.c_str(), &db);
    const std::string fill =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(n) +
        ") INSERT INTO vals(key, name, fold, type, data) SELECT " + std::to_string(key) +
        ", CAST(printf('n%08d', i) AS BLOB), CAST(printf('N%08d', i) AS BLOB), 1,"
        " CAST(printf('a setting of some length, number %d', i) AS BLOB) FROM n";
    if (sqlite3_exec(db, fill.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
    sqlite3_close(db);
  }
  ~LargeStore() {
    detail::RegStore::ReleaseAll();
    setenv("DZ_REGISTRY", FSaved.c_str(), 1);
  }
  const std::string& Path() const { return FPath; }
  int64_t Key() const { return FKey; }

 private:
  std::string FSaved, FPath;
  int64_t FKey = 0;
};

void BM_OpenSetClose(benchmark::State& state) {
  LargeStore store(state.range(0));
  int i = 0;
  for (auto _ : state) {
    TRegistry reg;  // the only user: the store opens here and closes with it
    reg.OpenKey(u"Software\\Bench\\Many", false);
    reg.WriteString(u"Value", (i++ & 1) ? u"some text of a setting" : u"another text");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OpenSetClose)->Arg(100000)->Arg(1000000)->Iterations(20)->UseRealTime();

void BM_OpenQuickCheckSetClose(benchmark::State& state) {
  LargeStore store(state.range(0));
  const std::string fold = [] {
    std::string f;
    for (char c : std::string("VALUE")) f += {'\0', c};
    return f;
  }();
  int i = 0;
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(store.Path().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &st, nullptr);
    if (sqlite3_step(st) != SQLITE_ROW) state.SkipWithError("quick_check failed");
    sqlite3_finalize(st);
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, "UPDATE vals SET data=?1 WHERE key=?3 AND fold=?2", -1, &st, nullptr);
    sqlite3_bind_int64(st, 3, store.Key());
    const std::u16string t = (i++ & 1) ? u"some text of a setting" : u"another text";
    sqlite3_bind_blob(st, 1, t.c_str(), static_cast<int>((t.size() + 1) * 2), SQLITE_STATIC);
    sqlite3_bind_blob(st, 2, fold.data(), static_cast<int>(fold.size()), SQLITE_STATIC);
    if (sqlite3_step(st) != SQLITE_DONE) state.SkipWithError("update failed");
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OpenQuickCheckSetClose)->Arg(100000)->Arg(1000000)->Iterations(20)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gPeer.reset();
  detail::RegStore::ReleaseAll();
  std::filesystem::remove_all(Dir());
  return 0;
}
