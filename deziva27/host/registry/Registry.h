// The registry classes: TRegistry on HKEY_CURRENT_USER and its INI-style
// wrapper TRegIniFile, over the SQLite store of RegistryStore.h.
//
// Key paths use backslashes; one that starts with a backslash is taken from
// the root, any other from the open key (the root when none is open). Key
// and value names keep their case and match without regard to it. Values
// hold the bytes Windows stores for their type, so strings are UTF-16 with a
// terminating NUL and integers 32-bit little-endian.
//
// The objects of a process share one connection to the store, opened by the
// first of them to use it and closed, with the store's log folded into its
// file, when the last one is destroyed. Opening and closing cost a flush to
// disk or two: a program that saves many settings in a row keeps a TRegistry
// alive meanwhile.
//
// Errors are ERegistryException: a read of a value of the wrong type, a
// value that cannot be written, a bad path or name, a key deeper than 512
// levels, a store that cannot be opened or is damaged. The class is as safe
// across threads as one object is: share the store, not a TRegistry.
// Threads: a TRegistry is one thread's at a time; objects on several threads share one store.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "deziva27/base/Export.h"
#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/classes/Lists.h"
#include "deziva27/host/registry/RegTypes.h"
#include "deziva27/base/Types.h"

namespace dz DZ_API {

// An opaque key handle: only compared, never dereferenced.
struct HKEY__;
using HKEY = HKEY__*;
// The one root the registry has here: the user's settings.
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t{0x80000001});

// A value's type as the classes name it: REG_SZ, REG_EXPAND_SZ, REG_DWORD and
// REG_BINARY (RegTypes.h); every other type is rdUnknown.
enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };
// What GetDataInfo reports of a value.
struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;  // the type, rdUnknown when missing
  Integer DataSize = 0;              // bytes stored, NULs included; 0 when missing
};

namespace detail {
class RegStore;
}

// A cursor on the registry: at most one open key at a time, through which
// values are read and written. It holds a share of the process's connection
// to the store (see above) and no key stays locked by it. Not copyable.
class TRegistry : public TObject {
 public:
  TRegistry();  // no key open; the store is reached on first use
  ~TRegistry() override;  // drops its share of the connection (the last one closes it)
  // Not copyable: a copy would share the open key's state.
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return HKEY_CURRENT_USER; }  // always HKEY_CURRENT_USER
  // The open key (nullptr when none) and its path from the root.
  HKEY CurrentKey() const;
  const UnicodeString& CurrentPath() const { return FCurrentPath; }  // "" when none is open

  // Opens Key, creating it (and every missing level) when CanCreate; false
  // when it does not exist and may not be created. The key opened replaces
  // the open one, for reading and writing. Below a read-only key only an
  // existing key opens (or an absolute path is created).
  bool OpenKey(const UnicodeString& Key, bool CanCreate);
  // Opens an existing key for reading (false when it is missing); writes
  // through it then raise, DeleteValue and relative DeleteKey give false.
  bool OpenKeyReadOnly(const UnicodeString& Key);
  void CloseKey();  // no key open: the root serves relative paths again
  // Creates Key (every missing level); true once it exists. A relative path
  // below a read-only key raises "Failed to create key".
  bool CreateKey(const UnicodeString& Key);
  // Deletes Key with all its sub-keys and values; false when there is none
  // (or it is relative to a read-only key).
  bool DeleteKey(const UnicodeString& Key);
  bool KeyExists(const UnicodeString& Key);  // whether Key resolves to a key

  // The open key's direct sub-keys (in the order of their upper-case names)
  // and its value names (in the order they were created), replacing Strings.
  // Without an open key, those of the root.
  void GetKeyNames(TStrings& Strings);
  void GetValueNames(TStrings& Strings);
  bool HasSubKeys();  // whether the open key (the root when none) has a sub-key
  // Whether the open key has the value; "" names the key's default value.
  bool ValueExists(const UnicodeString& Name);
  // Removes the value; false when it is missing or the key is read-only.
  bool DeleteValue(const UnicodeString& Name);
  // rdUnknown for a missing value or a type without an rd* name.
  TRegDataType GetDataType(const UnicodeString& Name);
  // Bytes of the value, -1 when it is missing.
  Integer GetDataSize(const UnicodeString& Name);
  // Type and size in one look-up; false (Info reset) when the value is missing.
  bool GetDataInfo(const UnicodeString& Name, TRegDataInfo& Info);
  // The same as an owning result: empty when the value is missing.
  std::optional<TRegDataInfo> GetDataInfo(const UnicodeString& Name);

  // A string or expandable string up to its first NUL; "" when missing (or
  // shorter than one character); another type raises "Invalid data type for
  // '<name>'". ReadExpandString is the same: nothing is expanded.
  UnicodeString ReadString(const UnicodeString& Name);
  UnicodeString ReadExpandString(const UnicodeString& Name);
  // Stores Value with a terminating NUL as REG_SZ or REG_EXPAND_SZ, creating
  // or replacing the value; a read-only key raises "Failed to set data for
  // '<name>'", as every Write does.
  void WriteString(const UnicodeString& Name, const UnicodeString& Value);
  void WriteExpandString(const UnicodeString& Name, const UnicodeString& Value);
  // A 32-bit integer value. Missing or larger: "Failed to get data for
  // '<name>'"; another type: "Invalid data type for '<name>'".
  Integer ReadInteger(const UnicodeString& Name);
  void WriteInteger(const UnicodeString& Name, Integer Value);  // stores Value as REG_DWORD
  bool ReadBool(const UnicodeString& Name);  // ReadInteger <> 0
  void WriteBool(const UnicodeString& Name, bool Value);  // WriteInteger of 1 or 0
  // Copies a binary (or untyped) value of at most BufSize bytes into Buffer
  // and returns its size; 0 when missing; raises for another type or a
  // larger value (a negative BufSize counts as 0).
  Integer ReadBinaryData(const UnicodeString& Name, void* Buffer, Integer BufSize);
  // Stores BufSize bytes of Buffer as REG_BINARY (a negative size counts as 0).
  void WriteBinaryData(const UnicodeString& Name, const void* Buffer, Integer BufSize);

  // A value's type and bytes as stored; false when it is missing.
  bool ReadValue(const UnicodeString& Name, uint32_t& Type, std::string& Data);
  // What ReadString and ReadInteger make of a value that exists, raising as
  // they do; with ReadValue, "exists, then read" costs one look-up.
  static UnicodeString DataToString(const UnicodeString& Name, uint32_t Type,
                                    std::string_view Data);
  static Integer DataToInteger(const UnicodeString& Name, uint32_t Type, std::string_view Data);

 protected:
  // The shared store, connected on the first call; ERegistryException when it
  // cannot be opened.
  detail::RegStore& Store();
  // The open key's id, the root's when none is open.
  int64_t Key() const;
  // Resolves Key against the root or the open key; false (Id untouched) when
  // it is missing.
  bool Find(const UnicodeString& Key, int64_t& Id);
  // Makes key Id the open one (0: none), with the path CurrentPath reports.
  void SetCurrent(int64_t Id, UnicodeString Path, bool ReadOnly);

 private:
  void Put(const UnicodeString& Name, uint32_t Type, std::string_view Data);
  [[noreturn]] static void ReadError(const UnicodeString& Name);
  UnicodeString JoinPath(const UnicodeString& Key) const;

  std::shared_ptr<detail::RegStore> FStore;
  int64_t FCurrent = 0;  // 0: no key open
  UnicodeString FCurrentPath;
  bool FReadOnly = false;

  friend class TRegIniFile;
};

// INI-style access: the open key is the "file", its sub-keys the sections
// ("" is the key itself), values the identifiers. Integers are written as
// decimal text and read from text or from integer values.
class TRegIniFile : public TRegistry {
 public:
  // Opens FileName, a key path from the root, creating it.
  explicit TRegIniFile(const UnicodeString& FileName);
  const UnicodeString& FileName() const { return FFileName; }  // the key path given
  // The value-level forms stay reachable beside the sectioned ones.
  using TRegistry::DeleteKey;
  using TRegistry::ReadBool;
  using TRegistry::ReadInteger;
  using TRegistry::ReadString;
  using TRegistry::WriteBool;
  using TRegistry::WriteInteger;
  using TRegistry::WriteString;

  // Default when the section or the value is missing; a value of another
  // type raises as TRegistry::ReadString does.
  UnicodeString ReadString(const UnicodeString& Section, const UnicodeString& Ident,
                           const UnicodeString& Default);
  // Stores a REG_SZ value, creating the section when it is missing.
  void WriteString(const UnicodeString& Section, const UnicodeString& Ident,
                   const UnicodeString& Value);
  // Default when missing; a text value that is not an integer gives Default,
  // an integer value is read as such, another type raises as
  // TRegistry::ReadInteger does.
  Integer ReadInteger(const UnicodeString& Section, const UnicodeString& Ident, Integer Default);
  // Stores the decimal text of Value (a REG_SZ value), creating the section.
  void WriteInteger(const UnicodeString& Section, const UnicodeString& Ident, Integer Value);
  // ReadInteger with Default as 1 or 0, then <> 0.
  bool ReadBool(const UnicodeString& Section, const UnicodeString& Ident, bool Default);
  // Stores "1" or "0" as WriteInteger does.
  void WriteBool(const UnicodeString& Section, const UnicodeString& Ident, bool Value);
  // The identifiers of a section (none when it is missing), and the sections;
  // both replace what Strings held.
  void ReadSection(const UnicodeString& Section, TStrings& Strings);
  void ReadSections(TStrings& Strings);
  // Deletes the section's key with everything under it; nothing when missing.
  void EraseSection(const UnicodeString& Section);
  // Deletes one identifier; nothing when it or its section is missing.
  void DeleteKey(const UnicodeString& Section, const UnicodeString& Ident);

 private:
  // Runs work with the section's key as the open one, then restores it;
  // false when the section is missing and not created.
  template <class F>
  bool InSection(const UnicodeString& Section, bool Create, F&& work);

  UnicodeString FFileName;
};

}  // namespace DZ_API
