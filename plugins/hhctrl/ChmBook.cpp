#include "plugins/hhctrl/ChmBook.h"

#include <chm_lib.h>

#include <cstring>
#include <deque>
#include <set>

namespace dz::hhctrl {
namespace {

// The largest page read, against damaged or hostile files; what one
// extraction may write in all is ChmBook::Limits.
constexpr uint64_t kMaxObject = 16u << 20;

uint32_t Le16(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}
uint32_t Le32(const std::string& b, size_t at) {
  return Le16(b, at) | Le16(b, at + 2) << 16;
}

}  // namespace

std::unique_ptr<ChmBook> ChmBook::Open(const std::string& path) {
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
  const LONGINT64 got =
      chm_retrieve_object(FFile, &ui, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                          static_cast<LONGINT64>(ui.length));
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

bool ChmBook::Extract(int folder, const std::vector<ChmName>& pages, const Limits& limits) {
  std::set<std::string> seen;
  std::deque<ChmName> queue;
  uint64_t total = 0;
  size_t entries = 0;
  // Checked before each write: the file itself and every folder its name
  // could still need count, so that a deep name cannot slip past the count.
  auto fits = [&](const ChmName& name, size_t size) {
    return entries + name.size() <= limits.Entries && total + size <= limits.Bytes;
  };
  // Counted before the write: one that fails half-way has still written.
  auto write = [&](const ChmName& name, const std::string& bytes) {
    ++entries;
    total += bytes.size();
    return WriteUnder(folder, name, bytes, &entries);
  };
  for (const ChmName& p : pages) {
    if (!seen.insert(ObjectPath(p)).second) continue;
    const auto bytes = Read(p);
    if (!bytes) return false;
    if (!fits(p, bytes->size())) {
      if (queue.empty()) return false;
      break;  // a sitemap lists more than fits: the rest stay unlinked
    }
    if (!write(p, *bytes)) return false;
    queue.push_back(p);
  }
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
      if (entries + target->size() > limits.Entries) return true;
      const auto content = Read(*target);
      if (!content) continue;
      if (!fits(*target, content->size())) return true;
      if (write(*target, *content)) queue.push_back(*target);
    }
  }
  return true;
}

std::optional<Reading> ReadBook(int folder, const std::string& file, unsigned command,
                                uint32_t data, const std::string& topicName,
                                const std::string& prefix) {
  if (command != kDisplayTopic && command != kDisplayToc && command != kDisplayIndex &&
      command != kHelpContext)
    return std::nullopt;
  auto book = ChmBook::Open(file);
  if (!book) return std::nullopt;
  std::optional<ChmName> topic;
  std::optional<ChmName> sitemap;
  if (command == kDisplayTopic) {
    topic = topicName.empty() ? book->DefaultTopic() : ResolveName({}, topicName);
  } else if (command == kHelpContext) {
    topic = book->ContextTopic(data);
  } else {
    sitemap = command == kDisplayToc ? book->ContentsFile() : book->IndexFile();
  }
  if (topic) {
    if (!book->Exists(*topic) || !book->Extract(folder, {*topic})) return std::nullopt;
    return Reading{false, ObjectPath(*topic)};
  }
  if (!sitemap) return std::nullopt;
  const auto bytes = book->Read(*sitemap);
  if (!bytes) return std::nullopt;
  const std::vector<SitemapEntry> entries = ParseSitemap(*bytes);
  std::vector<ChmName> pages;
  for (const SitemapEntry& e : entries)
    if (auto p = e.Local.empty() ? std::nullopt : ResolveName({}, e.Local); p && book->Exists(*p))
      pages.push_back(*p);
  if (!book->Extract(folder, pages)) return std::nullopt;
  const bool toc = command == kDisplayToc;
  return Reading{true, SitemapPage(toc ? "Contents" : "Index", entries, {}, prefix)};
}

}  // namespace dz::hhctrl
