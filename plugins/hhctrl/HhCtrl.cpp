// The HTML Help control for Linux: HtmlHelpA and HtmlHelpW over chmlib.
//
// A shown topic is copied, with what it links to, into a private folder
// (mkdtemp, mode 0700) and handed to the user's browser with xdg-open. The
// folder goes at HH_CLOSE_ALL and when the plug-in is unloaded.
//
// Commands:
//   HH_DISPLAY_TOPIC  "file.chm::/topic.htm" shows that topic; a bare file
//                     name its default topic. dwData, when not 0, points to
//                     a topic name (text of the call's width), used when the
//                     file name names none.
//   HH_DISPLAY_TOC    a page listing the file's table of contents.
//   HH_DISPLAY_INDEX  a page listing the file's index.
//   HH_HELP_CONTEXT   the topic mapped to the context number dwData.
//   HH_CLOSE_ALL      removes the folder; answers 0.
// The answer is a non-zero handle when the page was handed to the browser,
// 0 for a missing or damaged file or topic, xdg-open missing, or any other
// command. A ">window" suffix of the file name is accepted and ignored.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "plugins/hhctrl/ChmBook.h"
#include "plugins/hhctrl/HhCtrl.h"

extern char** environ;

namespace dz::hhctrl {
namespace {

constexpr unsigned kDisplayTopic = 0x0000, kDisplayToc = 0x0001, kDisplayIndex = 0x0002,
                   kHelpContext = 0x000F, kCloseAll = 0x0012;

struct Session {
  std::string Folder;  // empty until the first page is shown
  unsigned Shown = 0;  // pages shown, for the handles and the sub-folders

  ~Session() { Close(); }
  void Close() {
    if (Folder.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(Folder, ec);
    Folder.clear();
  }
  bool Ensure() {
    struct stat st {};
    // A cleaner of /tmp may have taken the folder since the last page.
    if (!Folder.empty() && ::lstat(Folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    Folder.clear();
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/dz-help-XXXXXX";
    if (!::mkdtemp(tmpl.data())) return false;
    Folder = tmpl;
    return true;
  }
};

Session gSession;

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD. The plug-in links no
// part of the library, so it carries this small converter of its own.
}  // namespace

std::string Utf8Of(const char16_t* s) {
  std::string out;
  for (; *s; ++s) {
    uint32_t c = *s;
    if (c >= 0xD800 && c <= 0xDBFF && s[1] >= 0xDC00 && s[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[1] - 0xDC00);
      ++s;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

namespace {

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string rest = path && *path ? path : "/usr/bin:/bin";
  size_t i = 0;
  while (i <= rest.size()) {
    size_t j = rest.find(':', i);
    if (j == std::string::npos) j = rest.size();
    const std::string dir = j > i ? rest.substr(i, j - i) : ".";
    const std::string candidate = dir + "/" + program;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0)
      return true;
    i = j + 1;
  }
  return false;
}

// Hands the page to the browser. xdg-open may run the browser in the
// foreground, so it is started through "setsid -f", whose fork returns at
// once and leaves xdg-open to init: no wait on the browser, no zombie, and
// no thread of this plug-in that could outlive its unloading.
bool OpenInBrowser(const std::string& page) {
  if (!OnPath("xdg-open") || !OnPath("setsid")) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  const char* argv[] = {"setsid", "-f", "xdg-open", page.c_str(), nullptr};
  pid_t pid = -1;
  const int rc = ::posix_spawnp(&pid, "setsid", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Target {
  std::string File;
  std::string Topic;  // empty: none named
};

Target Split(std::string name) {
  Target t;
  const size_t sep = name.find("::");
  if (sep != std::string::npos) {
    t.Topic = name.substr(sep + 2);
    name.resize(sep);
  }
  std::string& tail = t.Topic.empty() ? name : t.Topic;
  if (const size_t win = tail.rfind('>'); win != std::string::npos) tail.resize(win);
  t.File = name;
  return t;
}

}  // namespace

void* Show(const std::string& fileName, unsigned command, uintptr_t data,
           const std::string& dataTopic) {
  if (command == kCloseAll) {
    gSession.Close();
    return nullptr;
  }
  if (command != kDisplayTopic && command != kDisplayToc && command != kDisplayIndex &&
      command != kHelpContext)
    return nullptr;
  Target t = Split(fileName);
  if (command == kDisplayTopic && t.Topic.empty()) t.Topic = dataTopic;
  if (t.File.empty()) return nullptr;
  auto book = ChmBook::Open(t.File);
  if (!book) return nullptr;

  std::optional<ChmName> topic;
  std::optional<ChmName> sitemap;
  if (command == kDisplayTopic) {
    topic = t.Topic.empty() ? book->DefaultTopic() : ResolveName({}, t.Topic);
  } else if (command == kHelpContext) {
    topic = book->ContextTopic(static_cast<uint32_t>(data));
  } else {
    sitemap = command == kDisplayToc ? book->ContentsFile() : book->IndexFile();
  }
  std::vector<ChmName> pages;
  std::vector<SitemapEntry> entries;
  if (topic) {
    if (!book->Exists(*topic)) return nullptr;
    pages.push_back(*topic);
  } else if (sitemap) {
    const auto bytes = book->Read(*sitemap);
    if (!bytes) return nullptr;
    entries = ParseSitemap(*bytes);
    for (const SitemapEntry& e : entries)
      if (auto p = e.Local.empty() ? std::nullopt : ResolveName({}, e.Local); p && book->Exists(*p))
        pages.push_back(*p);
  } else {
    return nullptr;
  }

  if (!gSession.Ensure()) return nullptr;
  const unsigned n = ++gSession.Shown;
  const std::string sub = std::to_string(n);
  const std::string subPath = gSession.Folder + "/" + sub;
  if (::mkdir(subPath.c_str(), 0700) != 0) return nullptr;
  const int folder = ::open(subPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) return nullptr;
  bool ok = book->Extract(folder, pages);
  std::string page;
  if (ok && topic) {
    page = subPath + ObjectPath(*topic);
  } else if (ok) {
    // Beside the sub-folder rather than in it, so that no page of the file
    // can have its name.
    const bool toc = command == kDisplayToc;
    const std::string html = SitemapPage(toc ? "Contents" : "Index", entries, {}, sub);
    page = gSession.Folder + "/" + sub + (toc ? "-contents.html" : "-index.html");
    const int fd = ::open(page.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    ok = fd >= 0 && ::write(fd, html.data(), html.size()) == static_cast<ssize_t>(html.size());
    if (fd >= 0 && ::close(fd) != 0) ok = false;
  }
  ::close(folder);
  if (!ok || !OpenInBrowser(page)) return nullptr;
  return reinterpret_cast<void*>(static_cast<uintptr_t>(n));
}

const char* Folder() { return gSession.Folder.c_str(); }

}  // namespace dz::hhctrl

extern "C" {

__attribute__((visibility("default"))) void* HtmlHelpA(void* /*hwndCaller*/, const char* pszFile,
                                                       unsigned uCommand, uintptr_t dwData) {
  std::string topic;
  if (uCommand == 0 && dwData != 0) topic = reinterpret_cast<const char*>(dwData);
  return dz::hhctrl::Show(pszFile ? pszFile : "", uCommand, dwData, topic);
}

__attribute__((visibility("default"))) void* HtmlHelpW(void* /*hwndCaller*/,
                                                       const char16_t* pszFile, unsigned uCommand,
                                                       uintptr_t dwData) {
  std::string topic;
  if (uCommand == 0 && dwData != 0) topic = dz::hhctrl::Utf8Of(reinterpret_cast<const char16_t*>(dwData));
  return dz::hhctrl::Show(pszFile ? dz::hhctrl::Utf8Of(pszFile) : "", uCommand, dwData, topic);
}

// The private folder in use ("" when none): for tests that check that it
// goes at HH_CLOSE_ALL and unload.
__attribute__((visibility("default"))) const char* DzHhCtrlFolder() {
  return dz::hhctrl::Folder();
}

}
