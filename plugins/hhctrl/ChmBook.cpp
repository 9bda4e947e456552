#include "plugins/hhctrl/ChmBook.h"

#include <chm_lib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <set>

namespace dz::hhctrl {
namespace {

// Limits against damaged or hostile files: one page, all pages of one
// extraction, and how many files one extraction may write.
constexpr uint64_t kMaxObject = 16u << 20;
constexpr uint64_t kMaxTotal = 128u << 20;
constexpr size_t kMaxFiles = 2000;
constexpr size_t kMaxPart = 255;  // NAME_MAX

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view s, size_t at, std::string_view word) {
  if (at + word.size() > s.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Lower(s[at + i]) != word[i]) return false;
  return true;
}

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && StartsWithNoCase(s, s.size() - tail.size(), tail);
}

bool ValidPart(std::string_view p) {
  return !p.empty() && p != "." && p != ".." && p.size() <= kMaxPart &&
         p.find('\0') == std::string_view::npos && p.find('/') == std::string_view::npos;
}

uint32_t Le16(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}
uint32_t Le32(const std::string& b, size_t at) {
  return Le16(b, at) | Le16(b, at + 2) << 16;
}

std::string PercentDecoded(std::string_view s) {
  std::string out;
  auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 &&
        hex(s[i + 2]) >= 0) {
      out += static_cast<char>(hex(s[i + 1]) * 16 + hex(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string PercentEncoded(std::string_view part) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : part) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

bool HasScheme(std::string_view link) {
  for (size_t i = 0; i < link.size(); ++i) {
    const char c = link[i];
    if (c == ':') return i > 0;
    const bool schemeChar = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                            (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!schemeChar) return false;
  }
  return false;
}

struct Attribute {
  std::string Name;  // lower case
  std::string Value;
};

// The attributes of one tag, body being what follows the tag's name.
std::vector<Attribute> Attributes(std::string_view body) {
  std::vector<Attribute> out;
  size_t i = 0;
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/'; };
  while (i < body.size()) {
    while (i < body.size() && blank(body[i])) ++i;
    const size_t start = i;
    while (i < body.size() && !blank(body[i]) && body[i] != '=') ++i;
    if (i == start) {
      ++i;
      continue;
    }
    Attribute a;
    for (size_t k = start; k < i; ++k) a.Name += Lower(body[k]);
    while (i < body.size() && (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' || body[i] == '\n')) ++i;
    if (i < body.size() && body[i] == '=') {
      ++i;
      while (i < body.size() && (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' || body[i] == '\n')) ++i;
      if (i < body.size() && (body[i] == '"' || body[i] == '\'')) {
        const char q = body[i++];
        const size_t end = body.find(q, i);
        const size_t stop = end == std::string_view::npos ? body.size() : end;
        a.Value = std::string(body.substr(i, stop - i));
        i = stop == body.size() ? stop : stop + 1;
      } else {
        const size_t vs = i;
        while (i < body.size() && !blank(body[i])) ++i;
        a.Value = std::string(body.substr(vs, i - vs));
      }
    }
    out.push_back(std::move(a));
  }
  return out;
}

struct Tag {
  std::string Name;  // lower case, "/ul" for a closing tag
  std::string_view Body;
};

// Calls onTag for every tag of html; comments are skipped.
template <typename F>
void ForEachTag(std::string_view html, F onTag) {
  size_t i = 0;
  while ((i = html.find('<', i)) != std::string_view::npos) {
    if (html.compare(i, 4, "<!--") == 0) {
      const size_t end = html.find("-->", i + 4);
      if (end == std::string_view::npos) return;
      i = end + 3;
      continue;
    }
    const size_t end = html.find('>', i + 1);
    if (end == std::string_view::npos) return;
    std::string_view inner = html.substr(i + 1, end - i - 1);
    size_t n = 0;
    Tag t;
    if (n < inner.size() && inner[n] == '/') t.Name += inner[n++];
    while (n < inner.size() && inner[n] != ' ' && inner[n] != '\t' && inner[n] != '\r' &&
           inner[n] != '\n' && inner[n] != '/')
      t.Name += Lower(inner[n++]);
    t.Body = inner.substr(n);
    onTag(t);
    i = end + 1;
  }
}

// chmlib divides by the LZX window size it reads from the compression
// control data, and does so even when that data is short or fails its own
// checks: a damaged file would stop the process with SIGFPE. The control
// data is therefore looked up here as chmlib looks it up (every directory
// page the file could be read as) and checked as chmlib checks it, and a
// file whose control data chmlib would trip over is not handed to it. The
// same holds for the block length of the LZX reset table.
class RawFile {
 public:
  explicit RawFile(const std::string& path) : FFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat st {};
    if (FFd >= 0 && ::fstat(FFd, &st) == 0) FSize = static_cast<uint64_t>(st.st_size);
  }
  ~RawFile() {
    if (FFd >= 0) ::close(FFd);
  }
  bool Ok() const { return FFd >= 0; }
  uint64_t Size() const { return FSize; }
  bool Read(uint64_t at, size_t n, std::string& out) const {
    out.assign(n, '\0');
    if (at > FSize || n > FSize - at) return false;
    return ::pread(FFd, out.data(), n, static_cast<off_t>(at)) == static_cast<ssize_t>(n);
  }

 private:
  int FFd;
  uint64_t FSize = 0;
};

uint64_t Le64(const std::string& b, size_t at) {
  return Le32(b, at) | static_cast<uint64_t>(Le32(b, at + 4)) << 32;
}

bool EncInt(const std::string& b, size_t& at, size_t end, uint64_t& v) {
  v = 0;
  for (int i = 0; i < 10 && at < end; ++i) {
    const uint8_t c = static_cast<uint8_t>(b[at++]);
    v = v << 7 | (c & 0x7f);
    if (!(c & 0x80)) return true;
  }
  return false;
}

bool ControlDataIsSafe(const std::string& path) {
  static constexpr std::string_view kControl = "::DataSpace/Storage/MSCompressed/ControlData";
  static constexpr std::string_view kReset =
      "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/"
      "InstanceData/ResetTable";
  RawFile f(path);
  std::string itsf, itsp;
  if (!f.Ok() || !f.Read(0, 0x60, itsf) || itsf.compare(0, 4, "ITSF") != 0)
    return true;  // chmlib refuses it before it gets that far
  const uint32_t version = Le32(itsf, 4);
  const uint64_t dirStart = Le64(itsf, 0x48), dirLen = Le64(itsf, 0x50);
  const uint64_t dataOffset = version >= 3 ? Le64(itsf, 0x58) : dirStart + dirLen;
  if (!f.Read(dirStart, 0x54, itsp) || itsp.compare(0, 4, "ITSP") != 0) return true;
  const uint64_t dirOffset = dirStart + Le32(itsp, 8);
  const uint32_t blockLen = Le32(itsp, 0x10);
  // chmlib allocates a directory page of this size on every look-up.
  if (blockLen < 0x14 || blockLen > (1u << 20)) return false;
  // chmlib lists the directory by following each page's next-page number
  // from the head, without noticing a cycle.
  {
    const uint64_t pages = f.Size() / blockLen + 1;
    int64_t next = static_cast<int32_t>(Le32(itsp, 0x20));
    for (uint64_t seen = 0; next != -1; ++seen) {
      std::string head;
      if (seen > pages) return false;
      if (next < 0 || !f.Read(dirOffset + static_cast<uint64_t>(next) * blockLen, 0x14, head) ||
          head.compare(0, 4, "PMGL") != 0)
        break;  // chmlib stops at a page it cannot read
      next = static_cast<int32_t>(Le32(head, 0x10));
    }
  }
  // chmlib reads a page at dirOffset + page * blockLen for any page number
  // the index gives it, so every such place in the file counts.
  std::string page;
  for (uint64_t at = dirOffset % blockLen; at + blockLen <= f.Size(); at += blockLen) {
    if (!f.Read(at, blockLen, page) || page.compare(0, 4, "PMGL") != 0) continue;
    const uint32_t freeSpace = Le32(page, 4);
    if (freeSpace > blockLen) continue;
    const size_t end = blockLen - freeSpace;
    size_t pos = 0x14;
    while (pos < end) {
      uint64_t nameLen, space, start, length;
      if (!EncInt(page, pos, end, nameLen) || nameLen > end - pos) break;
      const std::string_view name(page.data() + pos, static_cast<size_t>(nameLen));
      pos += static_cast<size_t>(nameLen);
      if (!EncInt(page, pos, end, space) || !EncInt(page, pos, end, start) ||
          !EncInt(page, pos, end, length))
        break;
      auto named = [&](std::string_view want) {
        if (name.size() != want.size()) return false;
        for (size_t i = 0; i < name.size(); ++i)
          if (Lower(name[i]) != Lower(want[i])) return false;
        return true;
      };
      const bool control = named(kControl);
      if (!control && !named(kReset)) continue;
      std::string data;
      if (space != 0 || length < (control ? 0x18u : 0x28u) || length > 4096 ||
          dataOffset + start < dataOffset ||
          !f.Read(dataOffset + start, static_cast<size_t>(length), data))
        return false;
      // ... and it divides by the reset table's block length.
      if (!control) {
        // (and allocates a buffer of it for every block it decodes)
        if (Le64(data, 0x20) == 0 || Le64(data, 0x20) > (1u << 21)) return false;
        continue;
      }
      uint32_t reset = Le32(data, 0x0c), window = Le32(data, 0x10);
      if (Le32(data, 8) == 2) {
        reset *= 0x8000;
        window *= 0x8000;
      }
      if (data.compare(4, 4, "LZXC") != 0 || window <= 1 || reset == 0 ||
          reset % (window / 2) != 0)
        return false;
      // Nor can it decode with a window LZX does not have (2^15 to 2^21
      // bytes): it goes on with no decoder at all.
      if ((window & (window - 1)) != 0 || window < 0x8000 || window > 0x200000) return false;
    }
  }
  return true;
}

}  // namespace

std::optional<ChmName> ResolveName(const ChmName& base, std::string_view name) {
  const size_t cut = name.find_first_of("#?");
  if (cut != std::string_view::npos) name = name.substr(0, cut);
  if (name.empty()) return std::nullopt;
  ChmName out;
  if (name[0] != '/' && name[0] != '\\') out = base;
  size_t i = 0;
  while (i <= name.size()) {
    size_t j = name.find_first_of("/\\", i);
    if (j == std::string_view::npos) j = name.size();
    const std::string_view part = name.substr(i, j - i);
    i = j + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (out.empty()) return std::nullopt;  // climbs out of the file
      out.pop_back();
      continue;
    }
    if (!ValidPart(part)) return std::nullopt;
    out.emplace_back(part);
  }
  if (out.empty()) return std::nullopt;
  return out;
}

std::string ObjectPath(const ChmName& name) {
  std::string p;
  for (const std::string& part : name) {
    p += '/';
    p += part;
  }
  return p;
}

std::vector<std::string> LinksIn(std::string_view text) {
  std::vector<std::string> links;
  auto add = [&](std::string link) {
    size_t a = 0, b = link.size();
    while (a < b && (link[a] == ' ' || link[a] == '\t' || link[a] == '\n' || link[a] == '\r')) ++a;
    while (b > a && (link[b - 1] == ' ' || link[b - 1] == '\t' || link[b - 1] == '\n' ||
                     link[b - 1] == '\r'))
      --b;
    link = link.substr(a, b - a);
    if (!link.empty() && !HasScheme(link)) links.push_back(std::move(link));
  };
  ForEachTag(text, [&](const Tag& t) {
    if (t.Name.empty() || t.Name[0] == '/') return;
    for (const Attribute& a : Attributes(t.Body))
      if (a.Name == "href" || a.Name == "src") add(a.Value);
  });
  // Style sheets, and style attributes and elements in pages.
  for (size_t i = 0; i + 4 <= text.size(); ++i) {
    if (!StartsWithNoCase(text, i, "url(")) continue;
    size_t s = i + 4;
    const size_t e = text.find(')', s);
    if (e == std::string_view::npos) break;
    std::string_view v = text.substr(s, e - s);
    while (!v.empty() && (v.front() == ' ' || v.front() == '"' || v.front() == '\'')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '"' || v.back() == '\'')) v.remove_suffix(1);
    add(std::string(v));
    i = e;
  }
  return links;
}

std::vector<SitemapEntry> ParseSitemap(std::string_view html) {
  std::vector<SitemapEntry> out;
  int depth = 0;
  bool inObject = false;
  SitemapEntry cur;
  ForEachTag(html, [&](const Tag& t) {
    if (t.Name == "ul") {
      ++depth;
    } else if (t.Name == "/ul") {
      if (depth > 0) --depth;
    } else if (t.Name == "object") {
      inObject = false;
      for (const Attribute& a : Attributes(t.Body))
        if (a.Name == "type" && EndsWithNoCase(a.Value, "text/sitemap")) inObject = true;
      cur = SitemapEntry{depth > 0 ? depth - 1 : 0, {}, {}};
    } else if (t.Name == "param" && inObject) {
      std::string name, value;
      for (const Attribute& a : Attributes(t.Body)) {
        if (a.Name == "name") {
          for (char c : a.Value) name += Lower(c);
        } else if (a.Name == "value") {
          value = a.Value;
        }
      }
      if (name == "name" && cur.Name.empty()) cur.Name = value;
      if (name == "local" && cur.Local.empty()) cur.Local = value;
    } else if (t.Name == "/object" && inObject) {
      inObject = false;
      if (!cur.Name.empty() || !cur.Local.empty()) out.push_back(cur);
    }
  });
  return out;
}

std::string SitemapPage(const std::string& title, const std::vector<SitemapEntry>& entries,
                        const ChmName& base, const std::string& prefix) {
  auto text = [](std::string_view s) {
    // Names are HTML text already: entities stay, only what could open or
    // close markup is escaped.
    std::string out;
    for (char c : s) {
      if (c == '<') out += "&lt;";
      else if (c == '>') out += "&gt;";
      else if (c == '"') out += "&quot;";
      else out += c;
    }
    return out;
  };
  std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + text(title) +
                     "</title></head>\n<body><h1>" + text(title) + "</h1>\n";
  int open = 0;
  for (const SitemapEntry& e : entries) {
    const int want = std::min(e.Depth, 64) + 1;
    while (open < want) page += "<ul>\n", ++open;
    while (open > want) page += "</ul>\n", --open;
    const std::string label = text(e.Name.empty() ? e.Local : e.Name);
    const auto target = e.Local.empty() ? std::nullopt : ResolveName(base, e.Local);
    if (target) {
      std::string href = prefix;
      for (const std::string& part : *target) {
        href += '/';
        href += PercentEncoded(part);
      }
      page += "<li><a href=\"" + href + "\">" + label + "</a></li>\n";
    } else {
      page += "<li>" + label + "</li>\n";
    }
  }
  while (open > 0) page += "</ul>\n", --open;
  return page + "</body></html>\n";
}

bool WriteUnder(int folder, const ChmName& name, std::string_view bytes) {
  if (name.empty()) return false;
  for (const std::string& part : name)
    if (!ValidPart(part)) std::abort();  // ResolveName lets no such name through
  int dir = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
  if (dir < 0) return false;
  for (size_t i = 0; i + 1 < name.size(); ++i) {
    if (::mkdirat(dir, name[i].c_str(), 0700) != 0 && errno != EEXIST) {
      ::close(dir);
      return false;
    }
    const int next = ::openat(dir, name[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ::close(dir);
    if (next < 0) return false;
    dir = next;
  }
  const int fd = ::openat(dir, name.back().c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  ::close(dir);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return ::close(fd) == 0;
}

std::unique_ptr<ChmBook> ChmBook::Open(const std::string& path) {
  if (!ControlDataIsSafe(path)) return nullptr;
  chmFile* f = chm_open(path.c_str());
  if (!f) return nullptr;
  return std::unique_ptr<ChmBook>(new ChmBook(f));
}

ChmBook::~ChmBook() { chm_close(FFile); }

std::optional<std::string> ChmBook::Read(const ChmName& name) {
  const std::string path = ObjectPath(name);
  if (path.size() >= CHM_MAX_PATHLEN) return std::nullopt;
  chmUnitInfo ui{};
  if (chm_resolve_object(FFile, path.c_str(), &ui) != CHM_RESOLVE_SUCCESS) return std::nullopt;
  if (ui.length > kMaxObject) return std::nullopt;
  std::string bytes(static_cast<size_t>(ui.length), '\0');
  if (ui.length == 0) return bytes;
  const LONGINT64 got = chm_retrieve_object(
      FFile, &ui, reinterpret_cast<unsigned char*>(bytes.data()), 0, static_cast<LONGINT64>(ui.length));
  if (got != static_cast<LONGINT64>(ui.length)) return std::nullopt;
  return bytes;
}

bool ChmBook::Exists(const ChmName& name) {
  const std::string path = ObjectPath(name);
  if (path.size() >= CHM_MAX_PATHLEN) return false;
  chmUnitInfo ui{};
  return chm_resolve_object(FFile, path.c_str(), &ui) == CHM_RESOLVE_SUCCESS &&
         ui.length <= kMaxObject;
}

std::optional<std::string> ChmBook::SystemEntry(uint16_t code) {
  const auto system = Read({"#SYSTEM"});
  if (!system || system->size() < 4) return std::nullopt;
  size_t at = 4;  // after the format version
  while (at + 4 <= system->size()) {
    const uint32_t c = Le16(*system, at), len = Le16(*system, at + 2);
    at += 4;
    if (at + len > system->size()) break;
    if (c == code) {
      std::string value = system->substr(at, len);
      const size_t nul = value.find('\0');
      if (nul != std::string::npos) value.resize(nul);
      if (!value.empty()) return value;
    }
    at += len;
  }
  return std::nullopt;
}

std::optional<ChmName> ChmBook::FindByExtension(std::string_view ext) {
  struct Search {
    std::string_view Ext;
    std::string Found;
  } s{ext, {}};
  chm_enumerate(
      FFile, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES,
      [](chmFile*, chmUnitInfo* ui, void* context) -> int {
        auto* s = static_cast<Search*>(context);
        const std::string_view path(ui->path, strnlen(ui->path, sizeof ui->path));
        if (EndsWithNoCase(path, s->Ext)) {
          s->Found = std::string(path);
          return CHM_ENUMERATOR_SUCCESS;
        }
        return CHM_ENUMERATOR_CONTINUE;
      },
      &s);
  if (s.Found.empty()) return std::nullopt;
  return ResolveName({}, s.Found);
}

std::optional<ChmName> ChmBook::DefaultTopic() {
  if (const auto topic = SystemEntry(2))
    if (auto name = ResolveName({}, *topic); name && Exists(*name)) return name;
  for (const char* guess : {"index.htm", "index.html", "default.htm", "default.html"})
    if (auto name = ResolveName({}, guess); name && Exists(*name)) return name;
  return std::nullopt;
}

std::optional<ChmName> ChmBook::ContentsFile() {
  if (const auto file = SystemEntry(0))
    if (auto name = ResolveName({}, *file); name && Exists(*name)) return name;
  return FindByExtension(".hhc");
}

std::optional<ChmName> ChmBook::IndexFile() {
  if (const auto file = SystemEntry(1))
    if (auto name = ResolveName({}, *file); name && Exists(*name)) return name;
  return FindByExtension(".hhk");
}

std::optional<ChmName> ChmBook::ContextTopic(uint32_t id) {
  const auto ivb = Read({"#IVB"});
  const auto strings = Read({"#STRINGS"});
  if (!ivb || !strings || ivb->size() < 4) return std::nullopt;
  const size_t end = std::min<size_t>(ivb->size(), 4 + static_cast<size_t>(Le32(*ivb, 0)));
  for (size_t at = 4; at + 8 <= end; at += 8) {
    if (Le32(*ivb, at) != id) continue;
    const size_t offset = Le32(*ivb, at + 4);
    if (offset >= strings->size()) return std::nullopt;
    const size_t nul = strings->find('\0', offset);
    const std::string target =
        strings->substr(offset, nul == std::string::npos ? std::string::npos : nul - offset);
    // Compilers store the page as the project named it, which may be a path
    // of the machine that built the file: the longest tail that is a page of
    // the file is the one meant.
    auto name = ResolveName({}, target);
    while (name && !name->empty()) {
      if (Exists(*name)) return name;
      name->erase(name->begin());
    }
    return std::nullopt;
  }
  return std::nullopt;
}

bool ChmBook::Extract(int folder, const std::vector<ChmName>& pages) {
  std::set<std::string> seen;
  std::deque<ChmName> queue;
  for (const ChmName& p : pages) {
    if (!seen.insert(ObjectPath(p)).second) continue;
    const auto bytes = Read(p);
    if (!bytes || !WriteUnder(folder, p, *bytes)) return false;
    queue.push_back(p);
  }
  uint64_t total = 0;
  size_t files = seen.size();
  while (!queue.empty()) {
    const ChmName page = std::move(queue.front());
    queue.pop_front();
    const std::string& last = page.back();
    if (!EndsWithNoCase(last, ".htm") && !EndsWithNoCase(last, ".html") &&
        !EndsWithNoCase(last, ".xhtml") && !EndsWithNoCase(last, ".css"))
      continue;
    const auto bytes = Read(page);
    if (!bytes) continue;
    const ChmName folderOfPage(page.begin(), page.end() - 1);
    for (const std::string& link : LinksIn(*bytes)) {
      std::optional<ChmName> target = ResolveName(folderOfPage, link);
      if (!target || !Exists(*target)) {
        const std::string decoded = PercentDecoded(link);
        if (decoded == link) continue;
        target = ResolveName(folderOfPage, decoded);
        if (!target || !Exists(*target)) continue;
      }
      if (!seen.insert(ObjectPath(*target)).second) continue;
      if (files >= kMaxFiles) return true;
      const auto content = Read(*target);
      if (!content) continue;
      total += content->size();
      if (total > kMaxTotal) return true;
      if (!WriteUnder(folder, *target, *content)) continue;
      ++files;
      queue.push_back(*target);
    }
  }
  return true;
}

}  // namespace dz::hhctrl
