#include "deziva27/host/runtime/ResStrings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <sstream>
#include <utility>

#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

using Key = std::pair<const TResourceModule*, int32_t>;

std::map<Key, UnicodeString>& Replacements() {
  static std::map<Key, UnicodeString> table;
  return table;
}
// Messages are loaded on any thread (every error raised loads one), and a
// table may be replaced meanwhile.
std::shared_mutex& ReplacementsLock() {
  static std::shared_mutex lock;
  return lock;
}

// Unescapes \n, \t and \\ so that a table line can hold a line break.
UnicodeString Unescape(std::u16string_view s) {
  UnicodeString r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\\' && i + 1 < s.size()) {
      char16_t c = s[++i];
      r.push_back(c == u'n' ? u'\n' : c == u't' ? u'\t' : c);
    } else {
      r.push_back(s[i]);
    }
  }
  return r;
}

}  // namespace

// Strings of a DZ_STRING_TABLE file, by identifier, for every module: the
// library has one string table, and the variable is meant for it.
std::map<int32_t, UnicodeString> ReadTableFile(const std::string& fileName);

namespace {
const std::map<int32_t, UnicodeString>& EnvironmentTable() {
  static const std::map<int32_t, UnicodeString> table = [] {
    const char* path = std::getenv("DZ_STRING_TABLE");
    if (!path || !*path) return std::map<int32_t, UnicodeString>();
    try {
      return ReadTableFile(path);
    } catch (const Exception&) {
      // A broken table must not hide the error being reported; the built-in
      // texts stay in force.
      return std::map<int32_t, UnicodeString>();
    }
  }();
  return table;
}
}  // namespace

UnicodeString LoadResString(const TResStringRec& rec) {
  {
    std::shared_lock<std::shared_mutex> hold(ReplacementsLock());
    auto& repl = Replacements();
    if (auto it = repl.find({rec.Module, rec.Identifier}); it != repl.end()) return it->second;
  }
  auto& env = EnvironmentTable();
  if (auto it = env.find(rec.Identifier); it != env.end()) return it->second;
  if (rec.Module)
    for (const TStringResource& r : rec.Module->Table)
      if (r.Identifier == rec.Identifier) return r.Text;
  return {};
}

void SetResString(const TResourceModule& module, int32_t identifier, const UnicodeString& text) {
  std::lock_guard<std::shared_mutex> hold(ReplacementsLock());
  Replacements()[{&module, identifier}] = text;
}

namespace {

// A table holds a few hundred short messages; a file past this is not one,
// and /dev/zero or a FIFO named by mistake must not eat memory or hang the
// error report that reads it.
constexpr size_t kMaxTableFile = 1 << 20;

std::string ReadSmallFile(const std::string& fileName) {
  const UnicodeString name = Utf8ToUtf16(fileName);
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) throw EFOpenError(u"Cannot open file \"%s\"", {name});
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw EFOpenError(u"Cannot open file \"%s\". Not a regular file", {name});
  }
  std::string bytes;
  char buf[1 << 14];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || bytes.size() + static_cast<size_t>(n) > kMaxTableFile) {
      ::close(fd);
      if (n < 0) throw EFOpenError(u"Cannot read file \"%s\"", {name});
      if (n > 0)
        throw EConvertError(u"%s: larger than %d bytes, the limit for a string table",
                            {name, int64_t{kMaxTableFile}});
      return bytes;
    }
    bytes.append(buf, static_cast<size_t>(n));
  }
}

}  // namespace

std::map<int32_t, UnicodeString> ReadTableFile(const std::string& fileName) {
  std::istringstream in(ReadSmallFile(fileName));
  std::map<int32_t, UnicodeString> parsed;
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (lineNo == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (line.empty() || line[0] == '#') continue;
    size_t eq = line.find('=');
    int32_t id;
    if (eq == std::string::npos ||
        !TryStrToInt(AsciiToUnicode(Trim(std::string_view(line).substr(0, eq))), id))
      throw EConvertError(u"%s, line %d: \"identifier=text\" expected",
                          {Utf8ToUtf16(fileName), int64_t{lineNo}});
    parsed[id] = Unescape(Utf8ToUtf16(std::string_view(line).substr(eq + 1)));
  }
  return parsed;
}

void LoadStringTable(const TResourceModule& module, const std::string& fileName) {
  // All or nothing: a bad line leaves the table as it was.
  const std::map<int32_t, UnicodeString> parsed = ReadTableFile(fileName);
  std::lock_guard<std::shared_mutex> hold(ReplacementsLock());
  for (auto& [id, text] : parsed) Replacements()[{&module, id}] = text;
}

void ResetStringTable() {
  std::lock_guard<std::shared_mutex> hold(ReplacementsLock());
  Replacements().clear();
}

}  // namespace dz
