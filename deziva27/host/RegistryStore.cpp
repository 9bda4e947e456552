#include "deziva27/host/RegistryStore.h"

#include <pthread.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unicode/uchar.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "deziva27/host/Exceptions.h"
#include "deziva27/host/RegTypes.h"
#include "deziva27/host/Strings.h"

namespace dz::detail {

namespace {

// "DZRG" in the header's application id marks a file as ours, so that a
// database of another program is refused before anything is written to it.
constexpr int32_t kApplicationId = 0x445A5247;
constexpr int32_t kFormatVersion = 1;
constexpr int kBusyTimeoutMs = 5000;
constexpr int kBusyRetries = 24;  // two minutes in all before a write gives up

// SQLite connections must not cross fork(); a child sees a new generation and
// opens its own.
std::atomic<unsigned> gForkGeneration{0};
void AfterFork() {
  gForkGeneration.fetch_add(1, std::memory_order_relaxed);
}
const int gAtFork = pthread_atfork(nullptr, nullptr, AfterFork);

[[noreturn]] void Raise(const std::string& utf8) {
  throw ERegistryException(Utf8ToUtf16(utf8));
}

// Names are stored as UTF-16LE bytes, exactly as given; the folded form as
// UTF-16BE, so that byte order is the order of the upper-cased units.
std::string NameBytes(std::u16string_view s) {
  std::string out;
  AppendUtf16LE(out, s);
  return out;
}

std::string FoldBytes(std::u16string_view s) {
  std::string out(s.size() * 2, '\0');
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c < 0xD800 || c > 0xDFFF) c = static_cast<char16_t>(u_toupper(c));
    out[2 * i] = static_cast<char>(c >> 8);
    out[2 * i + 1] = static_cast<char>(c & 0xFF);
  }
  return out;
}

UnicodeString NameFrom(const void* p, int bytes) {
  return Utf16LEText(std::string_view(static_cast<const char*>(p), static_cast<size_t>(bytes)));
}

void CheckKeyName(std::u16string_view name) {
  if (name.empty()) Raise("Invalid key name: a path has an empty segment");
  if (name.size() > kMaxKeyNameLength)
    Raise("Invalid key name: \"" + Utf16ToUtf8(name.substr(0, 32)) +
          "...\" is longer than 255 characters");
}

void CheckValueName(std::u16string_view name) {
  if (name.size() > kMaxValueNameLength)
    Raise("Invalid value name: \"" + Utf16ToUtf8(name.substr(0, 32)) +
          "...\" is longer than 16383 characters");
}

}  // namespace

std::vector<UnicodeString> SplitRegPath(std::u16string_view Path, bool& Absolute) {
  Absolute = !Path.empty() && Path.front() == u'\\';
  if (Absolute) Path.remove_prefix(1);
  if (!Path.empty() && Path.back() == u'\\') Path.remove_suffix(1);
  std::vector<UnicodeString> segs;
  if (Path.empty()) return segs;
  for (size_t start = 0;;) {
    const size_t end = Path.find(u'\\', start);
    const std::u16string_view seg = Path.substr(start, end == Path.npos ? Path.npos : end - start);
    CheckKeyName(seg);
    segs.emplace_back(seg);
    if (end == Path.npos) break;
    start = end + 1;
  }
  return segs;
}

// --- Connections -------------------------------------------------------------

struct RegStore::Lock {
  std::recursive_mutex Mutex;
};

// A cached statement, reset when the scope ends so that it holds no snapshot.
class RegStore::Statement {
 public:
  Statement(RegStore& store, const char* sql) : FStore(store), FStmt(store.Prepare(sql)) {}
  ~Statement() {
    sqlite3_reset(FStmt);
    sqlite3_clear_bindings(FStmt);
  }
  Statement& Int(int i, int64_t v) {
    sqlite3_bind_int64(FStmt, i, v);
    return *this;
  }
  Statement& Blob(int i, std::string_view v) {
    // A zero-length blob still binds as a blob (not NULL) with a non-null pointer.
    sqlite3_bind_blob64(FStmt, i, v.empty() ? "" : v.data(), v.size(), SQLITE_TRANSIENT);
    return *this;
  }
  // true for a row, false when done.
  bool Step() {
    const int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    FStore.Fail("a query", rc);
  }
  int64_t ColInt(int c) { return sqlite3_column_int64(FStmt, c); }
  std::string ColBlob(int c) {
    const void* p = sqlite3_column_blob(FStmt, c);
    const int n = sqlite3_column_bytes(FStmt, c);
    return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
  }
  UnicodeString ColName(int c) {
    const void* p = sqlite3_column_blob(FStmt, c);
    return p ? NameFrom(p, sqlite3_column_bytes(FStmt, c)) : UnicodeString();
  }

 private:
  RegStore& FStore;
  sqlite3_stmt* FStmt;
};

RegStore::RegStore(std::string Path) : FPath(std::move(Path)), FLock(std::make_unique<Lock>()) {}

RegStore::~RegStore() {
  if (!FDb || FForkGeneration != gForkGeneration.load()) return;  // a parent's: leave it
  for (auto& [sql, stmt] : FStatements) sqlite3_finalize(stmt);
  sqlite3_close(FDb);
}

std::string RegStore::CurrentUserPath() {
  if (const char* p = std::getenv("DZ_REGISTRY"); p && *p) return p;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string dir;
  if (xdg && xdg[0] == '/') {
    dir = xdg;
  } else {
    const char* home = std::getenv("HOME");
    dir = std::string(home && *home ? home : "/") + "/.config";
  }
  return dir + "/deziva27/registry.db";
}

namespace {
std::mutex gStoresMutex;
std::map<std::string, std::shared_ptr<RegStore>>& Stores() {
  static auto* stores = new std::map<std::string, std::shared_ptr<RegStore>>;
  return *stores;
}
}  // namespace

std::shared_ptr<RegStore> RegStore::ForCurrentUser() {
  const std::string path = CurrentUserPath();
  std::lock_guard lock(gStoresMutex);
  auto& slot = Stores()[path];
  if (!slot) {
    // The default folder is ours to make; a folder named by DZ_REGISTRY is not.
    if (!std::getenv("DZ_REGISTRY") || !*std::getenv("DZ_REGISTRY")) {
      for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        ::mkdir(path.substr(0, at).c_str(), 0700);
    }
    slot = std::make_shared<RegStore>(path);
  }
  return slot;
}

void RegStore::ReleaseAll() {
  std::lock_guard lock(gStoresMutex);
  Stores().clear();
}

[[noreturn]] void RegStore::Fail(const char* what, int rc) {
  const std::string reason = FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(rc);
  switch (rc & 0xFF) {
    case SQLITE_CORRUPT:
      Raise("The registry store \"" + FPath + "\" is damaged: " + reason);
    case SQLITE_NOTADB:
      Raise("\"" + FPath + "\" is not a registry store: " + reason);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      Raise("The registry store \"" + FPath + "\" stayed busy: " + reason);
    case SQLITE_CANTOPEN:
      Raise("Cannot open the registry store \"" + FPath + "\": " + reason);
    default:
      Raise("The registry store \"" + FPath + "\" failed in " + what + ": " + reason);
  }
}

void RegStore::Exec(const char* sql) {
  const int rc = sqlite3_exec(FDb, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Fail(sql, rc);
}

sqlite3_stmt* RegStore::Prepare(const char* sql) {
  Db();
  for (auto& [s, stmt] : FStatements)
    if (s == sql) return stmt;
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v3(FDb, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK) Fail("preparing a query", rc);
  FStatements.emplace_back(sql, stmt);
  return stmt;
}

sqlite3* RegStore::Db() {
  const unsigned generation = gForkGeneration.load(std::memory_order_relaxed);
  if (FDb && FForkGeneration != generation) {
    FDb = nullptr;  // the parent's connection; closing it here could drop its locks
    FStatements.clear();
  }
  if (!FDb) {
    FForkGeneration = generation;
    Open();
  }
  return FDb;
}

void RegStore::Open() {
  sqlite3* db = nullptr;
  int rc =
      sqlite3_open_v2(FPath.c_str(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const std::string reason = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    Raise("Cannot open the registry store \"" + FPath + "\": " + reason);
  }
  FDb = db;
  try {
    sqlite3_extended_result_codes(FDb, 1);
    sqlite3_busy_timeout(FDb, kBusyTimeoutMs);
    // Look before anything can write: only reads until the file is known.
    auto single = [&](const char* sql) -> int64_t {
      sqlite3_stmt* st = nullptr;
      int r = sqlite3_prepare_v2(FDb, sql, -1, &st, nullptr);
      if (r == SQLITE_OK) r = sqlite3_step(st);
      const int64_t v = r == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
      sqlite3_finalize(st);
      if (r != SQLITE_ROW) Fail(sql, r);
      return v;
    };
    const int64_t tables = single("SELECT count(*) FROM sqlite_master");
    const int64_t app = single("PRAGMA application_id");
    if (tables > 0 && app != kApplicationId)
      Raise("\"" + FPath + "\" is not a registry store: it is a database of another program");
    if (tables > 0) {
      // A registry is small: checking it whole when a process first opens it
      // costs milliseconds and stops damage from being built upon.
      sqlite3_stmt* st = nullptr;
      int r = sqlite3_prepare_v2(FDb, "PRAGMA quick_check(1)", -1, &st, nullptr);
      if (r == SQLITE_OK) r = sqlite3_step(st);
      const unsigned char* text = r == SQLITE_ROW ? sqlite3_column_text(st, 0) : nullptr;
      const std::string verdict = text ? reinterpret_cast<const char*>(text) : "";
      sqlite3_finalize(st);
      if (r != SQLITE_ROW) Fail("checking the file", r);
      if (verdict != "ok") Raise("The registry store \"" + FPath + "\" is damaged: " + verdict);
    }
    if (single("PRAGMA user_version") > kFormatVersion)
      Raise("The registry store \"" + FPath + "\" was written by a newer version of deziva27");
    // Switching a new file to WAL writes its header from inside a read. While
    // another process opening the same new file holds the write lock, SQLite
    // refuses that at once rather than calling the busy handler, so the wait
    // is ours; once the other process is through, the file is already WAL.
    for (int waited = 0, pause = 1;; waited += pause, pause = std::min(2 * pause, 50)) {
      const int r = sqlite3_exec(FDb, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
      if (r == SQLITE_OK) break;
      if ((r & 0xFF) != SQLITE_BUSY || waited >= kBusyTimeoutMs * kBusyRetries)
        Fail("switching to write-ahead logging", r);
      sqlite3_sleep(pause);
    }
    Exec("PRAGMA synchronous=NORMAL");
    Exec("PRAGMA foreign_keys=ON");
    if (tables == 0) {
      Begin();
      try {
        if (single("SELECT count(*) FROM sqlite_master") == 0) {
          Exec(
              "CREATE TABLE keys(id INTEGER PRIMARY KEY, parent INTEGER REFERENCES keys(id),"
              " name BLOB NOT NULL, fold BLOB NOT NULL);"
              "CREATE UNIQUE INDEX keys_child ON keys(parent, fold);"
              "CREATE TABLE vals(key INTEGER NOT NULL REFERENCES keys(id), name BLOB NOT NULL,"
              " fold BLOB NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL);"
              "CREATE UNIQUE INDEX vals_name ON vals(key, fold);"
              "INSERT INTO keys(id, parent, name, fold) VALUES(1, NULL, x'', x'');"
              "PRAGMA application_id=1146769991; PRAGMA user_version=1;");
        }
        Exec("COMMIT");
      } catch (...) {
        sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
      }
    }
  } catch (...) {
    sqlite3_close(FDb);
    FDb = nullptr;
    throw;
  }
  static_assert(kApplicationId == 1146769991 && kFormatVersion == 1, "the schema text above");
}

void RegStore::Begin() {
  for (int attempt = 0;; ++attempt) {
    const int rc = sqlite3_exec(FDb, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return;
    if ((rc & 0xFF) != SQLITE_BUSY || attempt == kBusyRetries) Fail("starting a write", rc);
  }
}

template <class F>
auto RegStore::Write(F&& work) {
  std::lock_guard lock(FLock->Mutex);
  Db();
  if (FDepth > 0) return work();
  Begin();
  FDepth = 1;
  try {
    if constexpr (std::is_void_v<decltype(work())>) {
      work();
      Exec("COMMIT");
      FDepth = 0;
    } else {
      auto result = work();
      Exec("COMMIT");
      FDepth = 0;
      return result;
    }
  } catch (...) {
    FDepth = 0;
    sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

void RegStore::Atomically(const std::function<void()>& Work) {
  Write([&] { Work(); });
}

// --- Keys and values -----------------------------------------------------------

std::optional<int64_t> RegStore::FindKey(int64_t Base, const std::vector<UnicodeString>& Path) {
  std::lock_guard lock(FLock->Mutex);
  int64_t id = Base;
  for (const UnicodeString& seg : Path) {
    CheckKeyName(seg);
    Statement st(*this, "SELECT id FROM keys WHERE parent=?1 AND fold=?2");
    if (!st.Int(1, id).Blob(2, FoldBytes(seg)).Step()) return std::nullopt;
    id = st.ColInt(0);
  }
  if (Path.empty() && !KeyExists(Base)) return std::nullopt;
  return id;
}

int64_t RegStore::CreateKey(int64_t Base, const std::vector<UnicodeString>& Path) {
  return Write([&] {
    if (!KeyExists(Base)) Raise("Cannot create a key: its parent key has been deleted");
    int64_t id = Base;
    for (const UnicodeString& seg : Path) {
      CheckKeyName(seg);
      const std::string fold = FoldBytes(seg);
      Statement find(*this, "SELECT id FROM keys WHERE parent=?1 AND fold=?2");
      if (find.Int(1, id).Blob(2, fold).Step()) {
        id = find.ColInt(0);
        continue;
      }
      Statement add(*this, "INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)");
      add.Int(1, id).Blob(2, NameBytes(seg)).Blob(3, fold).Step();
      id = sqlite3_last_insert_rowid(FDb);
    }
    return id;
  });
}

bool RegStore::DeleteKey(int64_t Base, const std::vector<UnicodeString>& Path) {
  if (Path.empty()) return false;
  return Write([&] {
    const std::optional<int64_t> key = FindKey(Base, Path);
    if (!key) return false;
    // A recursive query rather than cascading foreign keys, which stop at a
    // depth of 1000.
    Statement vals(*this,
                   "WITH RECURSIVE t(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN t ON "
                   "k.parent=t.id)"
                   " DELETE FROM vals WHERE key IN t");
    vals.Int(1, *key).Step();
    Statement keys(*this,
                   "WITH RECURSIVE t(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN t ON "
                   "k.parent=t.id)"
                   " DELETE FROM keys WHERE id IN t");
    keys.Int(1, *key).Step();
    return true;
  });
}

bool RegStore::KeyExists(int64_t Key) {
  std::lock_guard lock(FLock->Mutex);
  Statement st(*this, "SELECT 1 FROM keys WHERE id=?1");
  return st.Int(1, Key).Step();
}

UnicodeString RegStore::KeyPath(int64_t Key) {
  std::lock_guard lock(FLock->Mutex);
  UnicodeString path;
  for (int64_t id = Key; id != kRoot;) {
    Statement st(*this, "SELECT parent, name FROM keys WHERE id=?1");
    if (!st.Int(1, id).Step()) Raise("A key has been deleted while its path was read");
    path = path.empty() ? st.ColName(1) : st.ColName(1) + u'\\' + path;
    id = st.ColInt(0);
  }
  return path;
}

std::vector<UnicodeString> RegStore::SubKeyNames(int64_t Key) {
  std::lock_guard lock(FLock->Mutex);
  Statement st(*this, "SELECT name FROM keys WHERE parent=?1 ORDER BY fold");
  st.Int(1, Key);
  std::vector<UnicodeString> names;
  while (st.Step()) names.push_back(st.ColName(0));
  return names;
}

bool RegStore::HasSubKeys(int64_t Key) {
  std::lock_guard lock(FLock->Mutex);
  Statement st(*this, "SELECT 1 FROM keys WHERE parent=?1 LIMIT 1");
  return st.Int(1, Key).Step();
}

std::vector<UnicodeString> RegStore::ValueNames(int64_t Key) {
  std::lock_guard lock(FLock->Mutex);
  Statement st(*this, "SELECT name FROM vals WHERE key=?1 ORDER BY rowid");
  st.Int(1, Key);
  std::vector<UnicodeString> names;
  while (st.Step()) names.push_back(st.ColName(0));
  return names;
}

std::vector<std::pair<UnicodeString, RegValue>> RegStore::Values(int64_t Key) {
  std::lock_guard lock(FLock->Mutex);
  Statement st(*this, "SELECT name, type, data FROM vals WHERE key=?1 ORDER BY rowid");
  st.Int(1, Key);
  std::vector<std::pair<UnicodeString, RegValue>> out;
  while (st.Step())
    out.emplace_back(st.ColName(0), RegValue{static_cast<uint32_t>(st.ColInt(1)), st.ColBlob(2)});
  return out;
}

std::optional<RegValue> RegStore::ReadValue(int64_t Key, std::u16string_view Name) {
  if (Name.size() > kMaxValueNameLength) return std::nullopt;
  std::lock_guard lock(FLock->Mutex);
  Statement st(*this, "SELECT type, data FROM vals WHERE key=?1 AND fold=?2");
  if (!st.Int(1, Key).Blob(2, FoldBytes(Name)).Step()) return std::nullopt;
  return RegValue{static_cast<uint32_t>(st.ColInt(0)), st.ColBlob(1)};
}

void RegStore::WriteValue(int64_t Key, std::u16string_view Name, uint32_t Type,
                          std::string_view Data) {
  CheckValueName(Name);
  Write([&] {
    if (!KeyExists(Key))
      Raise("Cannot write the value \"" + Utf16ToUtf8(Name) + "\": its key has been deleted");
    Statement st(*this,
                 "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
                 " ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data");
    st.Int(1, Key)
        .Blob(2, NameBytes(Name))
        .Blob(3, FoldBytes(Name))
        .Int(4, Type)
        .Blob(5, Data)
        .Step();
  });
}

bool RegStore::DeleteValue(int64_t Key, std::u16string_view Name) {
  if (Name.size() > kMaxValueNameLength) return false;
  return Write([&] {
    Statement st(*this, "DELETE FROM vals WHERE key=?1 AND fold=?2");
    st.Int(1, Key).Blob(2, FoldBytes(Name)).Step();
    return sqlite3_changes(FDb) > 0;
  });
}

std::string RegStore::IntegrityCheck() {
  std::lock_guard lock(FLock->Mutex);
  Statement st(*this, "PRAGMA integrity_check");
  std::string out;
  while (st.Step()) {
    if (!out.empty()) out += '\n';
    out += st.ColBlob(0);
  }
  return out;
}

}  // namespace dz::detail
