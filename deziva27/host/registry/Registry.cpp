#include "deziva27/host/registry/Registry.h"

#include <cstring>

#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/registry/detail/RegistryStore.h"
#include "deziva27/host/runtime/Format.h"

namespace dz {

using detail::RegStore;
using detail::RegValue;

namespace {

std::string StringBytes(std::u16string_view s) {
  std::string out;
  AppendUtf16LE(out, s);
  return out.append(2, '\0');
}

// The text up to the first NUL.
UnicodeString StringOf(std::string_view b) {
  UnicodeString s = Utf16LEText(b);
  if (const size_t nul = s.find(u'\0'); nul != s.npos) s.resize(nul);
  return s;
}

TRegDataType DataTypeOf(uint32_t type) {
  switch (type) {
    case REG_SZ:
      return rdString;
    case REG_EXPAND_SZ:
      return rdExpandString;
    case REG_DWORD:
      return rdInteger;
    case REG_BINARY:
      return rdBinary;
    default:
      return rdUnknown;
  }
}

}  // namespace

TRegistry::TRegistry() = default;
TRegistry::~TRegistry() = default;

RegStore& TRegistry::Store() {
  if (!FStore) FStore = RegStore::ForCurrentUser();
  return *FStore;
}

HKEY TRegistry::CurrentKey() const {
  return FCurrent ? reinterpret_cast<HKEY>(static_cast<uintptr_t>(FCurrent)) : nullptr;
}

int64_t TRegistry::Key() const {
  return FCurrent ? FCurrent : RegStore::kRoot;
}

UnicodeString TRegistry::JoinPath(const UnicodeString& Key) const {
  bool absolute = false;
  const std::vector<UnicodeString> segs = detail::SplitRegPath(Key, absolute);
  UnicodeString path = absolute || !FCurrent ? UnicodeString() : FCurrentPath;
  for (const UnicodeString& s : segs) {
    if (!path.empty()) path += u'\\';
    path += s;
  }
  return path;
}

bool TRegistry::Find(const UnicodeString& KeyPath, int64_t& Id) {
  bool absolute = false;
  const std::vector<UnicodeString> segs = detail::SplitRegPath(KeyPath, absolute);
  const std::optional<int64_t> id = Store().FindKey(absolute ? RegStore::kRoot : Key(), segs);
  if (id) Id = *id;
  return id.has_value();
}

void TRegistry::SetCurrent(int64_t Id, UnicodeString Path, bool ReadOnly) {
  FCurrent = Id;
  FCurrentPath = std::move(Path);
  FReadOnly = ReadOnly;
}

bool TRegistry::OpenKey(const UnicodeString& KeyPath, bool CanCreate) {
  bool absolute = false;
  const std::vector<UnicodeString> segs = detail::SplitRegPath(KeyPath, absolute);
  const int64_t base = absolute ? RegStore::kRoot : Key();
  std::optional<int64_t> id = Store().FindKey(base, segs);
  if (!id && CanCreate) {
    if (FReadOnly && !absolute) return false;  // no right to create below a read-only key
    id = Store().CreateKey(base, segs);
  }
  if (!id) return false;
  SetCurrent(*id, JoinPath(KeyPath), false);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const UnicodeString& KeyPath) {
  int64_t id = 0;
  if (!Find(KeyPath, id)) return false;
  SetCurrent(id, JoinPath(KeyPath), true);
  return true;
}

void TRegistry::CloseKey() {
  SetCurrent(0, UnicodeString(), false);
}

bool TRegistry::CreateKey(const UnicodeString& KeyPath) {
  bool absolute = false;
  const std::vector<UnicodeString> segs = detail::SplitRegPath(KeyPath, absolute);
  if (FReadOnly && !absolute)
    throw ERegistryException(Format(u"Failed to create key %s", {KeyPath}));
  Store().CreateKey(absolute ? RegStore::kRoot : Key(), segs);
  return true;
}

bool TRegistry::DeleteKey(const UnicodeString& KeyPath) {
  bool absolute = false;
  const std::vector<UnicodeString> segs = detail::SplitRegPath(KeyPath, absolute);
  if (FReadOnly && !absolute) return false;
  return Store().DeleteKey(absolute ? RegStore::kRoot : Key(), segs);
}

bool TRegistry::KeyExists(const UnicodeString& KeyPath) {
  int64_t id = 0;
  return Find(KeyPath, id);
}

void TRegistry::GetKeyNames(TStrings& Strings) {
  Strings.Clear();
  for (UnicodeString& n : Store().SubKeyNames(Key())) Strings.Add(n);
}

void TRegistry::GetValueNames(TStrings& Strings) {
  Strings.Clear();
  for (UnicodeString& n : Store().ValueNames(Key())) Strings.Add(n);
}

bool TRegistry::HasSubKeys() {
  return Store().HasSubKeys(Key());
}

bool TRegistry::ValueExists(const UnicodeString& Name) {
  return Store().ReadValue(Key(), Name).has_value();
}

bool TRegistry::DeleteValue(const UnicodeString& Name) {
  if (FReadOnly) return false;
  return Store().DeleteValue(Key(), Name);
}

bool TRegistry::GetDataInfo(const UnicodeString& Name, TRegDataInfo& Info) {
  const std::optional<RegValue> v = Store().ReadValue(Key(), Name);
  Info = TRegDataInfo{};
  if (!v) return false;
  Info.RegData = DataTypeOf(v->Type);
  Info.DataSize = static_cast<Integer>(v->Data.size());
  return true;
}

std::optional<TRegDataInfo> TRegistry::GetDataInfo(const UnicodeString& Name) {
  TRegDataInfo info;
  if (!GetDataInfo(Name, info)) return std::nullopt;
  return info;
}

TRegDataType TRegistry::GetDataType(const UnicodeString& Name) {
  TRegDataInfo info;
  return GetDataInfo(Name, info) ? info.RegData : rdUnknown;
}

Integer TRegistry::GetDataSize(const UnicodeString& Name) {
  TRegDataInfo info;
  return GetDataInfo(Name, info) ? info.DataSize : -1;
}

void TRegistry::ReadError(const UnicodeString& Name) {
  throw ERegistryException(Format(u"Invalid data type for '%s'", {Name}));
}

void TRegistry::Put(const UnicodeString& Name, uint32_t Type, std::string_view Data) {
  if (FReadOnly) throw ERegistryException(Format(u"Failed to set data for '%s'", {Name}));
  Store().WriteValue(Key(), Name, Type, Data);
}

UnicodeString TRegistry::DataToString(const UnicodeString& Name, uint32_t Type,
                                      std::string_view Data) {
  // A value too short to hold one character reads as empty, whatever its type.
  if (Data.size() <= 1) return UnicodeString();
  if (Type != REG_SZ && Type != REG_EXPAND_SZ) ReadError(Name);
  return StringOf(Data);
}

UnicodeString TRegistry::ReadString(const UnicodeString& Name) {
  const std::optional<RegValue> v = Store().ReadValue(Key(), Name);
  return v ? DataToString(Name, v->Type, v->Data) : UnicodeString();
}

bool TRegistry::ReadValue(const UnicodeString& Name, uint32_t& Type, std::string& Data) {
  std::optional<RegValue> v = Store().ReadValue(Key(), Name);
  if (!v) return false;
  Type = v->Type;
  Data = std::move(v->Data);
  return true;
}

UnicodeString TRegistry::ReadExpandString(const UnicodeString& Name) {
  return ReadString(Name);
}

void TRegistry::WriteString(const UnicodeString& Name, const UnicodeString& Value) {
  Put(Name, REG_SZ, StringBytes(Value));
}

void TRegistry::WriteExpandString(const UnicodeString& Name, const UnicodeString& Value) {
  Put(Name, REG_EXPAND_SZ, StringBytes(Value));
}

Integer TRegistry::DataToInteger(const UnicodeString& Name, uint32_t Type, std::string_view Data) {
  // Windows refuses to copy more than the caller's four bytes.
  if (Data.size() > 4) throw ERegistryException(Format(u"Failed to get data for '%s'", {Name}));
  if (Type != REG_DWORD) ReadError(Name);
  uint32_t u = 0;
  for (size_t i = 0; i < Data.size(); ++i)
    u |= uint32_t{static_cast<unsigned char>(Data[i])} << (8 * i);
  return static_cast<Integer>(u);
}

Integer TRegistry::ReadInteger(const UnicodeString& Name) {
  const std::optional<RegValue> v = Store().ReadValue(Key(), Name);
  if (!v) throw ERegistryException(Format(u"Failed to get data for '%s'", {Name}));
  return DataToInteger(Name, v->Type, v->Data);
}

void TRegistry::WriteInteger(const UnicodeString& Name, Integer Value) {
  const auto u = static_cast<uint32_t>(Value);
  const char b[4] = {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16),
                     static_cast<char>(u >> 24)};
  Put(Name, REG_DWORD, std::string_view(b, 4));
}

bool TRegistry::ReadBool(const UnicodeString& Name) {
  return ReadInteger(Name) != 0;
}

void TRegistry::WriteBool(const UnicodeString& Name, bool Value) {
  WriteInteger(Name, Value ? 1 : 0);
}

Integer TRegistry::ReadBinaryData(const UnicodeString& Name, void* Buffer, Integer BufSize) {
  const std::optional<RegValue> v = Store().ReadValue(Key(), Name);
  if (!v) return 0;
  const TRegDataType t = DataTypeOf(v->Type);
  if ((t != rdBinary && t != rdUnknown) ||
      v->Data.size() > static_cast<size_t>(std::max(BufSize, 0)))
    ReadError(Name);
  if (!v->Data.empty()) std::memcpy(Buffer, v->Data.data(), v->Data.size());
  return static_cast<Integer>(v->Data.size());
}

void TRegistry::WriteBinaryData(const UnicodeString& Name, const void* Buffer, Integer BufSize) {
  Put(Name, REG_BINARY,
      std::string_view(static_cast<const char*>(Buffer),
                       static_cast<size_t>(std::max(BufSize, 0))));
}

// --- TRegIniFile -------------------------------------------------------------

TRegIniFile::TRegIniFile(const UnicodeString& FileName) : FFileName(FileName) {
  OpenKey(FileName, true);
}

template <class F>
bool TRegIniFile::InSection(const UnicodeString& Section, bool Create, F&& work) {
  const int64_t oldKey = FCurrent;
  const bool oldReadOnly = FReadOnly;
  bool absolute = false;
  const std::vector<UnicodeString> segs = detail::SplitRegPath(Section, absolute);
  const int64_t base = absolute ? RegStore::kRoot : Key();
  std::optional<int64_t> id = Store().FindKey(base, segs);
  if (!id && Create) id = Store().CreateKey(base, segs);
  if (!id) return false;
  // Only the id changes: the path stays that of the "file".
  FCurrent = *id;
  struct Restore {
    TRegIniFile& r;
    int64_t k;
    bool ro;
    ~Restore() {
      r.FCurrent = k;
      r.FReadOnly = ro;
    }
  } restore{*this, oldKey, oldReadOnly};
  work();
  return true;
}

UnicodeString TRegIniFile::ReadString(const UnicodeString& Section, const UnicodeString& Ident,
                                      const UnicodeString& Default) {
  UnicodeString result = Default;
  InSection(Section, false, [&] {
    if (ValueExists(Ident)) result = TRegistry::ReadString(Ident);
  });
  return result;
}

void TRegIniFile::WriteString(const UnicodeString& Section, const UnicodeString& Ident,
                              const UnicodeString& Value) {
  InSection(Section, true, [&] { TRegistry::WriteString(Ident, Value); });
}

Integer TRegIniFile::ReadInteger(const UnicodeString& Section, const UnicodeString& Ident,
                                 Integer Default) {
  Integer result = Default;
  InSection(Section, false, [&] {
    if (!ValueExists(Ident)) return;
    if (GetDataType(Ident) == rdString) {
      if (!TryStrToInt(TRegistry::ReadString(Ident), result)) result = Default;
    } else {
      result = TRegistry::ReadInteger(Ident);
    }
  });
  return result;
}

void TRegIniFile::WriteInteger(const UnicodeString& Section, const UnicodeString& Ident,
                               Integer Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TRegIniFile::ReadBool(const UnicodeString& Section, const UnicodeString& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TRegIniFile::WriteBool(const UnicodeString& Section, const UnicodeString& Ident, bool Value) {
  WriteInteger(Section, Ident, Value ? 1 : 0);
}

void TRegIniFile::ReadSection(const UnicodeString& Section, TStrings& Strings) {
  Strings.Clear();
  InSection(Section, false, [&] { GetValueNames(Strings); });
}

void TRegIniFile::ReadSections(TStrings& Strings) {
  GetKeyNames(Strings);
}

void TRegIniFile::EraseSection(const UnicodeString& Section) {
  TRegistry::DeleteKey(Section);
}

void TRegIniFile::DeleteKey(const UnicodeString& Section, const UnicodeString& Ident) {
  InSection(Section, false, [&] { DeleteValue(Ident); });
}

}  // namespace dz
