#include "plugins/hhctrl/ChmBook.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

// The parts of a book that need no chmlib: names, links, sitemaps and
// writing under a folder. The plug-in itself uses only these, so that
// chmlib is never mapped into the application.
namespace dz::hhctrl {
namespace {

constexpr size_t kMaxPart = 255;  // NAME_MAX

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view s, size_t at, std::string_view word) {
  if (at + word.size() > s.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Lower(s[at + i]) != word[i]) return false;
  return true;
}

bool ValidPart(std::string_view p) {
  return !p.empty() && p != "." && p != ".." && p.size() <= kMaxPart &&
         p.find('\0') == std::string_view::npos && p.find('/') == std::string_view::npos;
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
    while (i < body.size() &&
           (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' || body[i] == '\n'))
      ++i;
    if (i < body.size() && body[i] == '=') {
      ++i;
      while (i < body.size() &&
             (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' || body[i] == '\n'))
        ++i;
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

}  // namespace

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && StartsWithNoCase(s, s.size() - tail.size(), tail);
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
    while (!v.empty() && (v.front() == ' ' || v.front() == '"' || v.front() == '\''))
      v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '"' || v.back() == '\''))
      v.remove_suffix(1);
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

bool WriteUnder(int folder, const ChmName& name, std::string_view bytes, size_t* foldersMade) {
  if (name.empty()) return false;
  for (const std::string& part : name)
    if (!ValidPart(part)) std::abort();  // ResolveName lets no such name through
  int dir = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
  if (dir < 0) return false;
  for (size_t i = 0; i + 1 < name.size(); ++i) {
    if (::mkdirat(dir, name[i].c_str(), 0700) == 0) {
      if (foldersMade) ++*foldersMade;
    } else if (errno != EEXIST) {
      ::close(dir);
      return false;
    }
    const int next =
        ::openat(dir, name[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
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

namespace {
constexpr std::string_view kMagic = "DZHH ";
}  // namespace

std::string EncodeReading(const Reading& r) {
  return std::string(kMagic) + (r.Sitemap ? "sitemap " : "topic ") + std::to_string(r.Text.size()) +
         "\n" + r.Text;
}

std::optional<size_t> ReadingSize(std::string_view head) {
  if (!head.starts_with(kMagic)) return std::nullopt;
  size_t i = kMagic.size();
  if (head.substr(i).starts_with("sitemap ")) {
    i += 8;
  } else if (head.substr(i).starts_with("topic ")) {
    i += 6;
  } else {
    return std::nullopt;
  }
  const size_t digits = i;
  size_t n = 0;
  for (; i < head.size() && i - digits < 12 && head[i] >= '0' && head[i] <= '9'; ++i)
    n = n * 10 + static_cast<size_t>(head[i] - '0');
  if (i == digits || i >= head.size() || head[i] != '\n') return std::nullopt;
  return i + 1 + n;
}

std::optional<Reading> DecodeReading(std::string_view bytes) {
  const auto size = ReadingSize(bytes);
  if (!size || *size != bytes.size()) return std::nullopt;
  Reading r;
  r.Sitemap = bytes.substr(kMagic.size()).starts_with("sitemap ");
  r.Text = std::string(bytes.substr(bytes.find('\n') + 1));
  return r;
}

}  // namespace dz::hhctrl
