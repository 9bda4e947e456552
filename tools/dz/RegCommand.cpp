// dz reg: the HKEY_CURRENT_USER store at the prompt, and .reg files in and out.
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/registry/detail/RegExchange.h"
#include "deziva27/host/registry/detail/RegText.h"
#include "deziva27/host/registry/Registry.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/utils/YUtils.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

using detail::RegStore;

std::string U8(std::u16string_view s) {
  return Utf16ToUtf8(s);
}

// KEY as the user writes it: with or without the hive's name in front.
UnicodeString KeyArg(const std::string& arg) {
  UnicodeString k = ArgText(arg);
  for (std::u16string_view hive : {u"HKEY_CURRENT_USER", u"HKCU"}) {
    if (k.size() >= hive.size() && SameText(std::u16string_view(k).substr(0, hive.size()), hive) &&
        (k.size() == hive.size() || k[hive.size()] == u'\\')) {
      k.erase(0, std::min(k.size(), hive.size() + 1));
      return k;
    }
  }
  if (k.starts_with(u"HK")) {
    const size_t end = k.find(u'\\');
    throw UsageError("only HKEY_CURRENT_USER is kept here, not " + U8(k.substr(0, end)));
  }
  return k;
}

std::string Hive(const UnicodeString& key) {
  return key.empty() ? "HKEY_CURRENT_USER" : "HKEY_CURRENT_USER\\" + U8(key);
}

const char* TypeName(uint32_t type) {
  switch (type) {
    case REG_NONE:
      return "REG_NONE";
    case REG_SZ:
      return "REG_SZ";
    case REG_EXPAND_SZ:
      return "REG_EXPAND_SZ";
    case REG_BINARY:
      return "REG_BINARY";
    case REG_DWORD:
      return "REG_DWORD";
    case REG_MULTI_SZ:
      return "REG_MULTI_SZ";
    case REG_QWORD:
      return "REG_QWORD";
    default:
      return nullptr;
  }
}

std::string Hex(std::string_view b) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  for (unsigned char c : b) {
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s;
}

uint64_t LittleEndian(std::string_view b) {
  uint64_t v = 0;
  for (size_t i = 0; i < b.size() && i < 8; ++i)
    v |= uint64_t{static_cast<unsigned char>(b[i])} << (8 * i);
  return v;
}

// The data as reg.exe shows it: strings as text, integers in hexadecimal,
// multi-strings joined by \0, anything else as hex digits.
std::string Shown(const detail::RegValue& v) {
  switch (v.Type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      UnicodeString s = Utf16LEText(v.Data);
      if (const size_t nul = s.find(u'\0'); nul != s.npos) s.resize(nul);
      return U8(s);
    }
    case REG_MULTI_SZ: {
      UnicodeString s = Utf16LEText(v.Data);
      while (!s.empty() && s.back() == u'\0') s.pop_back();
      std::string out;
      for (char16_t c : s) out += c == u'\0' ? std::string("\\0") : U8(std::u16string_view(&c, 1));
      return out;
    }
    case REG_DWORD:
    case REG_QWORD:
      if (v.Data.size() == (v.Type == REG_DWORD ? 4u : 8u)) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "0x%" PRIx64, LittleEndian(v.Data));
        return buf;
      }
      return Hex(v.Data);
    default:
      return Hex(v.Data);
  }
}

void PrintValue(const UnicodeString& name, const detail::RegValue& v) {
  const char* type = TypeName(v.Type);
  char other[24];
  if (!type) {
    std::snprintf(other, sizeof other, "REG_0x%" PRIx32, v.Type);
    type = other;
  }
  std::printf("    %s    %s    %s\n", name.empty() ? "(Default)" : Visible(U8(name)).c_str(),
              type, Visible(Shown(v)).c_str());
}

int NotFound(const char* what, const std::string& name) {
  std::fprintf(stderr, "dz reg: %s %s not found\n", what, Visible(name).c_str());
  return kNo;
}

int Query(const Args& a) {
  if (a.size() < 2 || a.size() > 3) throw UsageError("usage: dz reg query KEY [VALUE]");
  const UnicodeString key = KeyArg(a[1]);
  const auto holder = RegStore::ForCurrentUser();
  RegStore& store = *holder;
  bool absolute = false;
  const auto id = store.FindKey(RegStore::kRoot, detail::SplitRegPath(key, absolute));
  if (!id) return NotFound("key", Hive(key));
  if (a.size() == 3) {
    const UnicodeString name = ArgText(a[2]);
    const auto v = store.ReadValue(*id, name);
    if (!v) return NotFound("value", "\"" + a[2] + "\" of " + Hive(key));
    std::printf("%s\n", Visible(Shown(*v)).c_str());
    return kOk;
  }
  const std::string path = Visible(Hive(store.KeyPath(*id)));  // as stored, not as typed
  std::printf("%s\n", path.c_str());
  for (const auto& [name, v] : store.Values(*id)) PrintValue(name, v);
  for (const UnicodeString& sub : store.SubKeyNames(*id))
    std::printf("%s\\%s\n", path.c_str(), Visible(U8(sub)).c_str());
  return kOk;
}

std::string StringData(std::u16string_view s) {
  std::string out;
  AppendUtf16LE(out, s);
  return out.append(2, '\0');
}

std::string Integer(const std::string& text, int bytes) {
  int64_t v = 0;
  const UnicodeString t = ArgText(text);
  const bool ok =
      TryStrToInt64(t, v) && (bytes == 8 || (v >= INT32_MIN && v <= int64_t{UINT32_MAX}));
  // StrToInt64 stops at the signed range; a hex pattern of all 64 bits is fine.
  if (!ok)
    throw UsageError("'" + text + "' is not a " + std::to_string(bytes * 8) + "-bit integer");
  std::string out(static_cast<size_t>(bytes), '\0');
  for (int i = 0; i < bytes; ++i)
    out[static_cast<size_t>(i)] = static_cast<char>(static_cast<uint64_t>(v) >> (8 * i));
  return out;
}

std::string Binary(const std::string& text) {
  std::string out, digits;
  for (char c : text) {
    if (c == ',' || c == ' ') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c)))
      throw UsageError("binary data takes hex digits, not '" + std::string(1, c) + "'");
    digits += c;
  }
  if (digits.size() % 2) throw UsageError("binary data needs an even number of hex digits");
  for (size_t i = 0; i < digits.size(); i += 2)
    out += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
  return out;
}

int Set(const Args& a) {
  std::string type = "sz";
  Args pos;
  for (size_t i = 1; i < a.size(); ++i) {
    if (a[i] == "--type" || a[i] == "-t") {
      if (++i == a.size()) throw UsageError("--type needs a value");
      type = a[i];
    } else if (a[i].starts_with("--type=")) {
      type = a[i].substr(7);
    } else {
      pos.push_back(a[i]);
    }
  }
  if (pos.size() != 3) throw UsageError("usage: dz reg set KEY VALUE DATA [--type TYPE]");
  uint32_t t = 0;
  std::string data;
  if (type == "sz" || type == "expand_sz") {
    t = type == "sz" ? REG_SZ : REG_EXPAND_SZ;
    data = StringData(ArgText(pos[2]));
  } else if (type == "multi_sz") {
    t = REG_MULTI_SZ;
    // Items are separated by the two characters \0, as reg.exe takes them.
    UnicodeString s = ArgText(pos[2]);
    for (size_t at; (at = s.find(u"\\0")) != s.npos;) s.replace(at, 2, 1, u'\0');
    data = StringData(s) + (s.empty() ? "" : std::string(2, '\0'));
  } else if (type == "dword" || type == "qword") {
    t = type == "dword" ? REG_DWORD : REG_QWORD;
    data = Integer(pos[2], type == "dword" ? 4 : 8);
  } else if (type == "binary") {
    t = REG_BINARY;
    data = Binary(pos[2]);
  } else {
    throw UsageError("unknown type '" + type + "' (sz, expand_sz, multi_sz, dword, qword, binary)");
  }
  const UnicodeString key = KeyArg(pos[0]);
  const auto holder = RegStore::ForCurrentUser();
  RegStore& store = *holder;
  bool absolute = false;
  const int64_t id = store.CreateKey(RegStore::kRoot, detail::SplitRegPath(key, absolute));
  store.WriteValue(id, ArgText(pos[1]), t, data);
  return kOk;
}

int Delete(const Args& a) {
  if (a.size() < 2 || a.size() > 3) throw UsageError("usage: dz reg delete KEY [VALUE]");
  const UnicodeString key = KeyArg(a[1]);
  const auto holder = RegStore::ForCurrentUser();
  RegStore& store = *holder;
  bool absolute = false;
  const auto path = detail::SplitRegPath(key, absolute);
  if (a.size() == 2) {
    if (path.empty()) throw UsageError("HKEY_CURRENT_USER itself cannot be deleted");
    return store.DeleteKey(RegStore::kRoot, path) ? kOk : NotFound("key", Hive(key));
  }
  const auto id = store.FindKey(RegStore::kRoot, path);
  if (!id || !store.DeleteValue(*id, ArgText(a[2])))
    return NotFound("value", "\"" + a[2] + "\" of " + Hive(key));
  return kOk;
}

int Export(const Args& a) {
  bool force = false;
  Args pos;
  for (size_t i = 1; i < a.size(); ++i) {
    if (a[i] == "-f" || a[i] == "--force")
      force = true;
    else
      pos.push_back(a[i]);
  }
  if (pos.size() != 2) throw UsageError("usage: dz reg export [-f] KEY FILE");
  const UnicodeString key = KeyArg(pos[0]);
  Output out(pos[1], force);
  // Written as it is made: memory stays flat however large the tree.
  const bool found = detail::ExportRegText(
      *RegStore::ForCurrentUser(), key, [&](std::string_view piece) {
        out.Stream().WriteBuffer(piece.data(), static_cast<int32_t>(piece.size()));
      });
  if (!found) return NotFound("key", Hive(key));
  out.Commit();
  return kOk;
}

// The file, read no further than a .reg file may go: a device or a pipe that
// never ends is refused once it passes the limit.
std::string ReadRegFile(const std::string& path) {
  const int fd = OpenForReading(path);
  std::string bytes;
  int err = 0;
  for (;;) {
    const size_t at = bytes.size();
    bytes.resize(std::min(at + (size_t{1} << 20), detail::kMaxRegTextBytes + 1));
    const ssize_t n = ::read(fd, bytes.data() + at, bytes.size() - at);
    if (n < 0 && errno == EINTR) {
      bytes.resize(at);
      continue;
    }
    bytes.resize(at + static_cast<size_t>(std::max<ssize_t>(n, 0)));
    if (n <= 0 || bytes.size() > detail::kMaxRegTextBytes) {
      err = n < 0 ? errno : 0;
      break;
    }
  }
  if (fd > 2) ::close(fd);
  if (err) ThrowFileError("read", path, err);
  if (bytes.size() > detail::kMaxRegTextBytes)
    throw FileError(DisplayName(path) + ": larger than the 64 MiB a .reg file may hold" +
                    " (nothing imported)");
  return bytes;
}

int Import(const Args& a) {
  if (a.size() != 2) throw UsageError("usage: dz reg import FILE");
  const std::string bytes = ReadRegFile(a[1]);
  try {
    detail::ImportRegText(*RegStore::ForCurrentUser(), bytes);
  } catch (const ERegistryException& e) {
    // Name the file, as compilers do; nothing of it has been applied.
    throw FileError(DisplayName(a[1]) + ": " + e.what() + " (nothing imported)");
  }
  return kOk;
}

// The whole file read and checked, which opening the store does only for a
// small one: 0 when sound, else the damage found and status 3.
int Check(const Args& a) {
  if (a.size() != 1) throw UsageError("usage: dz reg check");
  const std::string verdict = RegStore::ForCurrentUser()->IntegrityCheck();
  if (verdict == "ok") return kOk;
  throw FileError("The registry store \"" + RegStore::CurrentUserPath() +
                  "\" is damaged: " + Visible(verdict.substr(0, verdict.find('\n'))));
}

int RunReg(const Args& args) {
  if (args.empty()) throw UsageError("query, set, delete, export, import or check is missing");
  const std::string& what = args[0];
  if (what == "query") return Query(args);
  if (what == "set") return Set(args);
  if (what == "delete") return Delete(args);
  if (what == "export") return Export(args);
  if (what == "import") return Import(args);
  if (what == "check") return Check(args);
  throw UsageError("unknown action '" + what + "'");
}

// The tour works in a store of its own, never in the user's.
void ShowRegistry() {
  char dir[] = "/tmp/dz-demo-XXXXXX";
  if (!::mkdtemp(dir)) throw FileError("cannot make a folder for the tour's registry store");
  const std::string store = std::string(dir) + "/registry.db";
  const char* before = std::getenv("DZ_REGISTRY");
  const std::string saved = before ? before : "";
  ::setenv("DZ_REGISTRY", store.c_str(), 1);
  auto cleanup = [&] {
    RegStore::ReleaseAll();
    before ? ::setenv("DZ_REGISTRY", saved.c_str(), 1) : ::unsetenv("DZ_REGISTRY");
    for (const char* suffix : {"", "-wal", "-shm"}) ::unlink((store + suffix).c_str());
    ::rmdir(dir);
  };
  try {
    TComponent form(nullptr);
    auto* edit = new TControl(&form);
    edit->SetName(u"Edit1");
    edit->SetBounds(10, 20, 300, 200);
    SaveControlPosReg(*edit, u"Software\\Demo", u"MainForm");
    SavePropertyValueReg(*edit, u"Enabled", u"Software\\Demo");
    SavePropertyValueReg(*edit, u"Caption", u"Software\\Demo");  // a 16-bit string: not kept
    TControl other(nullptr);
    LoadControlPosReg(other, u"Software\\Demo", u"MainForm");
    std::printf("SaveControlPosReg then LoadControlPosReg moves a new control to %d,%d %dx%d\n",
                other.Left(), other.Top(), other.Width(), other.Height());
    TRegistry reg;
    reg.OpenKey(u"Software\\Demo", false);
    std::printf("ReadRegInt of the string value MainForm falls back to its default: %d\n",
                ReadRegInt(reg, u"MainForm", -1));
    std::string text;
    detail::ExportRegText(*RegStore::ForCurrentUser(), u"Software\\Demo", text);
    std::printf("dz reg export gives (UTF-16 on disk, shown here as UTF-8):\n");
    // The demo's text is ASCII: every other byte after the BOM is the character.
    for (size_t i = 2; i < text.size(); i += 2)
      if (text[i] != '\r') std::putchar(text[i]);
  } catch (...) {
    cleanup();
    throw;
  }
  cleanup();
}

RegisterDemo demo({65, "Registry persistence (a store of the tour's own)", ShowRegistry});

Register reg({"reg", "read and write HKEY_CURRENT_USER; .reg files in and out",
              "usage: dz reg query KEY [VALUE]\n"
              "       dz reg set KEY VALUE DATA [--type sz|expand_sz|multi_sz|dword|qword|binary]\n"
              "       dz reg delete KEY [VALUE]\n"
              "       dz reg export [-f] KEY FILE\n"
              "       dz reg import FILE\n"
              "       dz reg check\n\n"
              "KEY is a path below HKEY_CURRENT_USER with backslashes (quote it in the\n"
              "shell), with or without HKEY_CURRENT_USER\\ or HKCU\\ in front; names match\n"
              "without regard to case. VALUE \"\" is the key's default value.\n\n"
              "query lists the key's values (name, type, data) and sub-keys, or prints\n"
              "one value's data alone; control characters show as \\xNN there (export\n"
              "keeps the exact data). set creates the key as needed; dword and qword\n"
              "take decimal or 0x hexadecimal, binary hex digits, multi_sz items\n"
              "separated by \\0. delete removes a key with its whole tree, or one value.\n"
              "export writes the key and its tree as a Windows .reg file (UTF-16, as\n"
              "regedit does); import applies one (regedit's version 5 or REGEDIT4, at\n"
              "most 64 MiB and lines of 1 Mi characters), all of it or, on any error,\n"
              "none. Keys go at most 512 levels deep, as on Windows. check reads the\n"
              "whole store for damage (opening it checks only what is cheap).\n\n"
              "A key or value that is not there gives exit status 1. The store is\n"
              "$DZ_REGISTRY, else $XDG_CONFIG_HOME/deziva27/registry.db (~/.config/...),\n"
              "made 0600; it holds everything once no process has it open.\n",
              RunReg, {"--type", "-t"}});

}  // namespace
}  // namespace dz::tool
