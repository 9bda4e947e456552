// The store behind the registry classes: HKEY_CURRENT_USER as one SQLite
// database, $DZ_REGISTRY, else $XDG_CONFIG_HOME/deziva27/registry.db, else
// ~/.config/deziva27/registry.db.
//
// Keys form a tree under the root (id kRoot), at most 512 levels deep as on
// Windows; names keep their case and are found without regard to it (each
// UTF-16 unit upper-cased, as Windows compares them). Values keep the bytes
// Windows stores for their type and the order they were created in; sub-keys
// list in the order of their folded names. Every write is one transaction
// (Atomically groups several), in WAL mode with a busy timeout and retries,
// so several processes read and write at once and a write that returned
// survives the process being killed.
//
// Files: a new store is built whole beside its place and linked in, so that a
// store file is never seen half made; registry.db and its -wal and -shm are
// 0600 (a default folder the library makes is 0700). A process keeps its
// connection open between calls (a call that writes one value pays for no
// open and no fold); at exit it is closed and its log folded into
// registry.db, so that registry.db alone is the whole store whenever no
// process has it open.
//
// Opening checks what is cheap and catches what copying, truncating and torn
// logs do: an empty or short file, a log whose later commits would be
// dropped, a schema that is not ours; a store of at most kFullCheckPages pages
// is checked whole. Damage deeper inside a large store is reported when a
// read reaches it, and IntegrityCheck looks at everything on request.
//
// Errors are ERegistryException in plain words: a file that is not a
// registry store (left untouched), a damaged one, a folder that cannot be
// written, a key segment over 255 characters or a key deeper than 512 levels,
// a value name over 16,383, an empty segment. One connection serves a process
// and a path; it is safe for several threads and is reopened in a forked child.
// Threads: any thread; a store's connection is used under its lock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "deziva27/base/Types.h"

struct sqlite3;
struct sqlite3_stmt;

namespace dz::detail {

inline constexpr size_t kMaxKeyNameLength = 255;
inline constexpr size_t kMaxValueNameLength = 16383;
inline constexpr size_t kMaxKeyDepth = 512;
// Stores up to this many pages (128 KiB at SQLite's 4 KiB pages, the
// settings of most applications) are checked whole when opened: that costs
// a small part of a millisecond.
inline constexpr int64_t kFullCheckPages = 32;

struct RegValue {
  uint32_t Type = 0;
  std::string Data;
};

// A key path cut at its backslashes. A leading backslash marks it absolute
// (Absolute set, dropped), one trailing backslash is dropped; an empty path
// gives no segments. An empty segment or one over 255 characters raises.
std::vector<UnicodeString> SplitRegPath(std::u16string_view Path, bool& Absolute);

class RegStore {
 public:
  static constexpr int64_t kRoot = 1;

  // The store of the current environment's path, shared by the process and
  // kept open until ReleaseAll.
  static std::shared_ptr<RegStore> ForCurrentUser();
  // The path ForCurrentUser uses now.
  static std::string CurrentUserPath();
  // Closes every connection of the process, folding their logs into their
  // files; a store still held reopens on its next use. Runs at exit.
  static void ReleaseAll();

  explicit RegStore(std::string Path);
  ~RegStore();
  RegStore(const RegStore&) = delete;
  RegStore& operator=(const RegStore&) = delete;
  const std::string& Path() const { return FPath; }

  // The key at Path below Base, or none.
  std::optional<int64_t> FindKey(int64_t Base, const std::vector<UnicodeString>& Path);
  // Finds or creates every level; returns the last.
  int64_t CreateKey(int64_t Base, const std::vector<UnicodeString>& Path);
  // Deletes the key at Path below Base with its whole tree; false when there
  // is none. The root cannot be deleted (an empty Path gives false).
  bool DeleteKey(int64_t Base, const std::vector<UnicodeString>& Path);
  bool KeyExists(int64_t Key);
  // The key's path from the root as its names are stored ("" for the root).
  UnicodeString KeyPath(int64_t Key);
  std::vector<UnicodeString> SubKeyNames(int64_t Key);
  // The direct sub-keys' ids and names, in the order of SubKeyNames.
  std::vector<std::pair<int64_t, UnicodeString>> SubKeys(int64_t Key);
  bool HasSubKeys(int64_t Key);
  std::vector<UnicodeString> ValueNames(int64_t Key);
  std::vector<std::pair<UnicodeString, RegValue>> Values(int64_t Key);
  std::optional<RegValue> ReadValue(int64_t Key, std::u16string_view Name);
  // Creates or replaces; a replaced value keeps its place and its name's case.
  // Raises when the key has been deleted meanwhile.
  void WriteValue(int64_t Key, std::u16string_view Name, uint32_t Type, std::string_view Data);
  bool DeleteValue(int64_t Key, std::u16string_view Name);
  // Runs Work as one transaction: all of its writes land, or none.
  void Atomically(const std::function<void()>& Work);
  // Runs Work, which only reads, on one consistent picture of the store
  // without holding writers back.
  void Consistently(const std::function<void()>& Work);
  // SQLite's integrity check over the whole file: "ok", or what it found.
  std::string IntegrityCheck();
  // Checkpoints and closes the connection; the next use reopens it.
  void Close();

 private:
  class Statement;
  sqlite3* Db();
  void Open();
  void CheckOpened();
  int64_t Depth(int64_t Key);
  sqlite3_stmt* Prepare(const char* sql);
  [[noreturn]] void Fail(const char* what, int rc);
  template <class F>
  auto Write(F&& work);
  void Begin();
  void Exec(const char* sql);

  std::string FPath;
  sqlite3* FDb = nullptr;
  unsigned FForkGeneration = 0;
  std::vector<std::pair<const char*, sqlite3_stmt*>> FStatements;
  int FDepth = 0;  // transactions open: Atomically nests writes
  struct Lock;
  std::unique_ptr<Lock> FLock;
};

}  // namespace dz::detail
