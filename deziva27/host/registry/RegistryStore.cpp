#include "deziva27/host/registry/detail/RegistryStore.h"

#include <fcntl.h>
#include <pthread.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unicode/uchar.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/registry/RegTypes.h"
#include "deziva27/host/runtime/Strings.h"

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

// The schema, in the order of the objects' names: a store holds exactly
// these, and opening compares them word for word.
constexpr const char* kSchema[] = {
    "CREATE TABLE keys(id INTEGER PRIMARY KEY, parent INTEGER REFERENCES keys(id),"
    " name BLOB NOT NULL, fold BLOB NOT NULL)",
    "CREATE UNIQUE INDEX keys_child ON keys(parent, fold)",
    "CREATE TABLE vals(key INTEGER NOT NULL REFERENCES keys(id), name BLOB NOT NULL,"
    " fold BLOB NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL)",
    "CREATE UNIQUE INDEX vals_name ON vals(key, fold)",
};

[[noreturn]] void RaiseCannotOpen(const std::string& path, int err) {
  Raise("Cannot open the registry store \"" + path + "\": " + std::strerror(err));
}

// A new store's first contents: the schema and the root key, made in memory.
std::string NewStoreImage() {
  sqlite3* db = nullptr;
  std::string image;
  if (sqlite3_open(":memory:", &db) == SQLITE_OK) {
    std::string sql;
    for (const char* object : kSchema) (sql += object) += ";";
    sql += "INSERT INTO keys(id, parent, name, fold) VALUES(1, NULL, x'', x'');";
    sql += "PRAGMA application_id=" + std::to_string(kApplicationId) +
           "; PRAGMA user_version=" + std::to_string(kFormatVersion) + ";";
    sqlite3_int64 size = 0;
    unsigned char* bytes = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK)
      bytes = sqlite3_serialize(db, "main", &size, 0);
    if (bytes) image.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
    sqlite3_free(bytes);
  }
  sqlite3_close(db);
  if (image.empty()) Raise("Cannot make a new registry store: SQLite failed in memory");
  return image;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return ::fsync(fd) == 0;
}

// The new name lasts through a power cut only once its folder is on disk.
void SyncFolder(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Puts a new store at path unless a file is there already (another process
// may have been quicker). The file is written whole under no name, or under
// a hidden one, and linked into place, so that no process ever opens a store
// half made and an empty file can only mean damage.
void CreateStoreFile(const std::string& path) {
  const std::string image = NewStoreImage();
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : path.substr(0, slash);
  int err = 0;
  // Unnamed first: nothing is left behind however the process ends.
  int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (!WriteAll(fd, image)) {
      err = errno ? errno : EIO;
    } else if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      err = errno;
    }
    ::close(fd);
    if (err == 0) SyncFolder(dir);
    if (err == 0 || err == EEXIST) return;
    if (err != ENOENT && err != EXDEV && err != EPERM && err != EOPNOTSUPP)
      RaiseCannotOpen(path, err);
    err = 0;  // no /proc, or a file system that will not link an unnamed file
  } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    RaiseCannotOpen(path, errno);
  }
  // Hidden, beside the store: a name a killed process may leave behind.
  std::string temp = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  temp += '.';
  temp += std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
  temp += ".new-XXXXXX";
  fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) RaiseCannotOpen(path, errno);
  if (!WriteAll(fd, image))
    err = errno ? errno : EIO;
  else if (::link(temp.c_str(), path.c_str()) != 0)
    err = errno;
  ::close(fd);
  ::unlink(temp.c_str());
  if (err != 0 && err != EEXIST) RaiseCannotOpen(path, err);
  SyncFolder(dir);
}

// --- The write-ahead log ------------------------------------------------------

uint32_t Big32(const unsigned char* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// SQLite's log checksum: pairs of 32-bit words, in the byte order the log's
// magic number names, folded into two running sums.
void LogChecksum(bool bigEndian, const unsigned char* p, size_t n, uint32_t& s0, uint32_t& s1) {
  for (size_t i = 0; i + 8 <= n; i += 8) {
    const auto little = [](const unsigned char* q) {
      return uint32_t{q[3]} << 24 | uint32_t{q[2]} << 16 | uint32_t{q[1]} << 8 | q[0];
    };
    const uint32_t x0 = bigEndian ? Big32(p + i) : little(p + i);
    const uint32_t x1 = bigEndian ? Big32(p + i + 4) : little(p + i + 4);
    s0 += x0 + s1;
    s1 += x1 + s0;
  }
}

struct LogVerdict {
  uint64_t BadFrame = 0;  // 1-based; 0: the log is sound
  uint64_t LostCommits = 0;
  uint32_t Salt1 = 0, Salt2 = 0;
  bool operator==(const LogVerdict&) const = default;
};

// Recovery keeps the frames up to the first one that fails its checksum and
// drops the rest without a word. Killing a writer can only leave a torn last
// frame; a failing frame followed by a commit that is sound on its own terms
// (its checksum continues the one its predecessor states) is damage, and
// those later commits are what would be lost.
LogVerdict ScanLog(int fd, uint64_t size) {
  LogVerdict v;
  unsigned char h[32];
  if (size < sizeof h || ::pread(fd, h, sizeof h, 0) != static_cast<ssize_t>(sizeof h)) return v;
  const uint32_t magic = Big32(h);
  const bool bigEndian = magic & 1;
  uint32_t pageSize = Big32(h + 8);
  if (pageSize == 1) pageSize = 65536;
  uint32_t s0 = 0, s1 = 0;
  LogChecksum(bigEndian, h, 24, s0, s1);
  const bool headerSound = (magic & ~1u) == 0x377f0682 && Big32(h + 4) == 3007000 &&
                           pageSize >= 512 && pageSize <= 65536 &&
                           (pageSize & (pageSize - 1)) == 0 && s0 == Big32(h + 24) &&
                           s1 == Big32(h + 28);
  if (!headerSound) {
    // A log whose header fails is ignored whole; with frames behind it, that
    // drops them all.
    if (size >= sizeof h + 24 + 512) v.BadFrame = v.LostCommits = 1;
    return v;
  }
  v.Salt1 = Big32(h + 16);
  v.Salt2 = Big32(h + 20);
  const size_t frameSize = 24 + size_t{pageSize};
  const uint64_t frames = (size - sizeof h) / frameSize;
  std::vector<unsigned char> f(frameSize);
  uint32_t prev0 = s0, prev1 = s1;  // the checksum the previous frame states
  for (uint64_t i = 0; i < frames; ++i) {
    if (::pread(fd, f.data(), frameSize, static_cast<off_t>(sizeof h + i * frameSize)) !=
        static_cast<ssize_t>(frameSize))
      break;
    uint32_t c0 = prev0, c1 = prev1;
    LogChecksum(bigEndian, f.data(), 8, c0, c1);
    LogChecksum(bigEndian, f.data() + 24, pageSize, c0, c1);
    const bool sound = Big32(f.data()) != 0 && Big32(f.data() + 8) == v.Salt1 &&
                       Big32(f.data() + 12) == v.Salt2 && c0 == Big32(f.data() + 16) &&
                       c1 == Big32(f.data() + 20);
    if (!sound && v.BadFrame == 0) v.BadFrame = i + 1;
    if (sound && v.BadFrame != 0 && Big32(f.data() + 4) != 0) ++v.LostCommits;
    prev0 = Big32(f.data() + 16);
    prev1 = Big32(f.data() + 20);
  }
  return v;
}

// Whether another process has the store open. Each SQLite connection holds a
// read lock on byte 128 of the -shm file while it is open; asking whether a
// write lock there would conflict takes no lock, so our own process's locks
// on the file are left as they are.
bool OpenElsewhere(const std::string& path) {
  const int fd = ::open((path + "-shm").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = 128;
  probe.l_len = 1;
  const bool held = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

void CheckLog(const std::string& path) {
  const std::string log = path + "-wal";
  const int fd = ::open(log.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;  // no log: nothing to lose
  // Frames are dropped only by the recovery that the first connection runs;
  // while another process has the store open its log is already indexed.
  if (OpenElsewhere(path)) {
    ::close(fd);
    return;
  }
  // A writer appending to or restarting the log while it is read can make a
  // sound log look damaged for a moment: damage counts when a second reading
  // finds the same.
  LogVerdict v, before;
  bool confirmed = false;
  for (int attempt = 0; attempt < 4 && !confirmed; ++attempt) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) break;
    v = ScanLog(fd, static_cast<uint64_t>(st.st_size));
    if (v.LostCommits == 0) break;
    confirmed = attempt > 0 && v == before;
    before = v;
    if (!confirmed) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::close(fd);
  if (!confirmed) return;
  Raise("The registry store \"" + path + "\" is damaged: its log \"" + log +
        "\" fails at frame " + std::to_string(v.BadFrame) + ", and " +
        std::to_string(v.LostCommits) +
        " later commit(s) would be lost (move the log away to open the store without them)");
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
  Close();
}

void RegStore::Close() {
  std::lock_guard lock(FLock->Mutex);
  if (!FDb || FDepth > 0) return;
  if (FForkGeneration == gForkGeneration.load()) {  // a parent's connection is left alone
    for (auto& [sql, stmt] : FStatements) sqlite3_finalize(stmt);
    // The last connection to close folds the log into the file and removes
    // it. While another process has the store open that is its to do: a
    // checkpoint here would cost a flush to disk on every close.
    sqlite3_close(FDb);
  }
  FStatements.clear();
  FDb = nullptr;
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
// Owning: a store stays open between calls, so that a routine that opens a
// key, writes one value and lets go (SaveControlPosReg) pays for no open,
// no check and no fold of the log each time; ReleaseAll folds them at exit.
std::map<std::string, std::shared_ptr<RegStore>>& Stores() {
  static auto* stores = new std::map<std::string, std::shared_ptr<RegStore>>;
  return *stores;
}
}  // namespace

std::shared_ptr<RegStore> RegStore::ForCurrentUser() {
  const std::string path = CurrentUserPath();
  std::lock_guard lock(gStoresMutex);
  static const bool closesAtExit = std::atexit([] { ReleaseAll(); }) == 0;
  (void)closesAtExit;
  std::shared_ptr<RegStore>& store = Stores()[path];
  if (!store) {
    // The default folder is ours to make; a folder named by DZ_REGISTRY is not.
    if (!std::getenv("DZ_REGISTRY") || !*std::getenv("DZ_REGISTRY")) {
      for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        ::mkdir(path.substr(0, at).c_str(), 0700);
    }
    store = std::make_shared<RegStore>(path);
  }
  return store;
}

void RegStore::ReleaseAll() {
  std::vector<std::shared_ptr<RegStore>> live;
  {
    std::lock_guard lock(gStoresMutex);
    for (auto& [path, store] : Stores()) live.push_back(std::move(store));
    Stores().clear();
  }
  // A store some TRegistry still holds is closed too; its next use reopens it.
  for (const auto& store : live) store->Close();
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
  struct stat st {};
  if (::stat(FPath.c_str(), &st) != 0) {
    if (errno != ENOENT) RaiseCannotOpen(FPath, errno);
    CreateStoreFile(FPath);
  } else if (S_ISREG(st.st_mode) && st.st_size == 0) {
    // Stores are linked into place whole: an empty one has lost its contents.
    Raise("The registry store \"" + FPath + "\" is damaged: the file is empty (truncated)");
  }
  CheckLog(FPath);
  sqlite3* db = nullptr;
  const int rc =
      sqlite3_open_v2(FPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const std::string reason = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    Raise("Cannot open the registry store \"" + FPath + "\": " + reason);
  }
  FDb = db;
  try {
    sqlite3_extended_result_codes(FDb, 1);
    sqlite3_busy_timeout(FDb, kBusyTimeoutMs);
    CheckOpened();
    // Switching a new file to WAL rewrites its header. While another process
    // holds a lock on the file SQLite refuses that at once rather than calling
    // the busy handler, so the wait is ours; once the other process is
    // through, the file is already WAL.
    for (int waited = 0, pause = 1;; waited += pause, pause = std::min(2 * pause, 50)) {
      const int r = sqlite3_exec(FDb, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
      if (r == SQLITE_OK) break;
      if ((r & 0xFF) != SQLITE_BUSY || waited >= kBusyTimeoutMs * kBusyRetries)
        Fail("switching to write-ahead logging", r);
      sqlite3_sleep(pause);
    }
    Exec("PRAGMA synchronous=NORMAL");
    Exec("PRAGMA foreign_keys=ON");
  } catch (...) {
    sqlite3_close(FDb);
    FDb = nullptr;
    throw;
  }
}

// Only reads until the file is known to be ours and sound, so that neither a
// foreign file nor a damaged one is written to. Each look costs a page or
// two: what a whole-file check would add is left to stores small enough for
// it to be cheap, to the reads that reach damage, and to IntegrityCheck.
void RegStore::CheckOpened() {
  auto single = [&](const char* sql) -> int64_t {
    sqlite3_stmt* st = nullptr;
    int r = sqlite3_prepare_v2(FDb, sql, -1, &st, nullptr);
    if (r == SQLITE_OK) r = sqlite3_step(st);
    const int64_t v = r == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
    sqlite3_finalize(st);
    if (r != SQLITE_ROW) Fail(sql, r);
    return v;
  };
  const std::string damaged = "The registry store \"" + FPath + "\" is damaged: ";
  Exec("BEGIN");  // one picture of the file for all the looks below
  try {
    if (single("PRAGMA application_id") != kApplicationId)
      Raise("\"" + FPath + "\" is not a registry store: it is a database of another program");
    if (single("PRAGMA user_version") > kFormatVersion)
      Raise("The registry store \"" + FPath + "\" was written by a newer version of deziva27");
    {
      sqlite3_stmt* st = nullptr;
      int r = sqlite3_prepare_v2(FDb, "SELECT sql FROM sqlite_master ORDER BY name", -1, &st,
                                 nullptr);
      size_t n = 0;
      bool same = r == SQLITE_OK;
      while (same && (r = sqlite3_step(st)) == SQLITE_ROW) {
        const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        same = n < std::size(kSchema) && sql && std::strcmp(sql, kSchema[n]) == 0;
        ++n;
      }
      sqlite3_finalize(st);
      if (same && r != SQLITE_DONE) Fail("reading the schema", r);
      if (!same || n != std::size(kSchema)) Raise(damaged + "its tables are not the store's own");
    }
    if (single("SELECT count(*) FROM keys WHERE id=1 AND parent IS NULL") != 1)
      Raise(damaged + "its root key is missing");
    // SQLite itself refuses a file shorter than the pages its header counts.
    const int64_t pages = single("PRAGMA page_count");
    if (pages <= kFullCheckPages) {
      sqlite3_stmt* st = nullptr;
      int r = sqlite3_prepare_v2(FDb, "PRAGMA quick_check(1)", -1, &st, nullptr);
      if (r == SQLITE_OK) r = sqlite3_step(st);
      const unsigned char* text = r == SQLITE_ROW ? sqlite3_column_text(st, 0) : nullptr;
      const std::string verdict = text ? reinterpret_cast<const char*>(text) : "";
      sqlite3_finalize(st);
      if (r != SQLITE_ROW) Fail("checking the file", r);
      if (verdict != "ok") Raise(damaged + verdict);
    }
    Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
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

void RegStore::Consistently(const std::function<void()>& Work) {
  std::lock_guard lock(FLock->Mutex);
  Db();
  if (FDepth > 0) return Work();
  Exec("BEGIN");  // deferred: a snapshot, which in WAL mode keeps no writer waiting
  FDepth = 1;
  try {
    Work();
    Exec("COMMIT");
    FDepth = 0;
  } catch (...) {
    FDepth = 0;
    sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
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

int64_t RegStore::Depth(int64_t Key) {
  if (Key == kRoot) return 0;
  // Bounded, so that a store whose parents were damaged into a loop ends.
  Statement st(*this,
               "WITH RECURSIVE up(id, n) AS (SELECT ?1, 0 UNION ALL SELECT k.parent, up.n + 1"
               " FROM keys k JOIN up ON k.id = up.id WHERE k.parent IS NOT NULL AND up.n <= ?2)"
               " SELECT max(n) FROM up");
  st.Int(1, Key).Int(2, static_cast<int64_t>(kMaxKeyDepth)).Step();
  return st.ColInt(0);
}

int64_t RegStore::CreateKey(int64_t Base, const std::vector<UnicodeString>& Path) {
  return Write([&] {
    if (!KeyExists(Base)) Raise("Cannot create a key: its parent key has been deleted");
    int64_t id = Base;
    bool checked = false;
    for (const UnicodeString& seg : Path) {
      CheckKeyName(seg);
      const std::string fold = FoldBytes(seg);
      Statement find(*this, "SELECT id FROM keys WHERE parent=?1 AND fold=?2");
      if (find.Int(1, id).Blob(2, fold).Step()) {
        id = find.ColInt(0);
        continue;
      }
      // Windows refuses keys deeper than 512 levels, and so do we: walks
      // over the tree and paths written out stay bounded.
      if (!checked && Depth(Base) + static_cast<int64_t>(Path.size()) >
                          static_cast<int64_t>(kMaxKeyDepth))
        Raise("Cannot create the key \"" + Utf16ToUtf8(seg.substr(0, 32)) +
              "\": keys are at most 512 levels deep");
      checked = true;
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
  std::vector<UnicodeString> names;  // leaf first; joined once, so linear in the path
  for (int64_t id = Key; id != kRoot;) {
    Statement st(*this, "SELECT parent, name FROM keys WHERE id=?1");
    if (!st.Int(1, id).Step()) Raise("A key has been deleted while its path was read");
    names.push_back(st.ColName(1));
    id = st.ColInt(0);
    // Keys made before the depth limit may be deeper; only a loop is this deep.
    if (names.size() > (size_t{1} << 20))
      Raise("The registry store \"" + FPath + "\" is damaged: a key is its own ancestor");
  }
  UnicodeString path;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (!path.empty()) path += u'\\';
    path += *it;
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

std::vector<std::pair<int64_t, UnicodeString>> RegStore::SubKeys(int64_t Key) {
  std::lock_guard lock(FLock->Mutex);
  Statement st(*this, "SELECT id, name FROM keys WHERE parent=?1 ORDER BY fold");
  st.Int(1, Key);
  std::vector<std::pair<int64_t, UnicodeString>> keys;
  while (st.Step()) keys.emplace_back(st.ColInt(0), st.ColName(1));
  return keys;
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
