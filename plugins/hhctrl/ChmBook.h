// A compiled HTML Help file read with chmlib, and its pages copied out into
// a folder where a browser can show them.
//
// chmlib trusts the file it reads: damaged files make it divide by zero,
// allocate without bound or loop for ever. ChmBook is therefore only used in
// the reader program (hhctrl-reader), never in the plug-in; the names and
// sitemap routines below need no chmlib and serve both.
//
// Names inside a CHM file are outside data. Every name is normalised here
// (slashes and backslashes split it, "." parts go, ".." climbs within the
// file and a name that climbs out of it is refused) before it is looked up or
// written, and files are created relative to the target folder's descriptor
// with O_NOFOLLOW | O_EXCL, so nothing is written outside that folder.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct chmFile;

namespace dz::hhctrl {

// A normalised name inside the file: its parts, never empty, ".", ".." or
// longer than a file-name part may be.
using ChmName = std::vector<std::string>;

bool EndsWithNoCase(std::string_view s, std::string_view tail);
// %XX escapes decoded; anything else as it is.
std::string PercentDecoded(std::string_view s);

// name read relative to the folder base (a ChmName of a folder), as a link
// in a page is: a leading '/' starts from the root; "#..." and "?..." are
// cut. Empty when it names nothing or climbs out of the root.
std::optional<ChmName> ResolveName(const ChmName& base, std::string_view name);

// "/a/b.htm" for {"a", "b.htm"}.
std::string ObjectPath(const ChmName& name);

// The links a page or style sheet names (href=, src=, url(...)), as written,
// without those that carry a scheme ("http:", "mailto:", "ms-its:").
std::vector<std::string> LinksIn(std::string_view text);

// One entry of a table of contents or an index, nested by depth (0 = top).
struct SitemapEntry {
  int Depth = 0;
  std::string Name;   // as written in the sitemap (HTML text)
  std::string Local;  // the page, as written
};
std::vector<SitemapEntry> ParseSitemap(std::string_view html);

class ChmBook {
 public:
  // Null when the file cannot be opened as a CHM file.
  static std::unique_ptr<ChmBook> Open(const std::string& path);
  ~ChmBook();
  ChmBook(const ChmBook&) = delete;
  ChmBook& operator=(const ChmBook&) = delete;

  // The object's bytes; nullopt when it is missing, unreadable or larger than
  // the limit on one page.
  std::optional<std::string> Read(const ChmName& name);
  bool Exists(const ChmName& name);

  // From #SYSTEM: the default topic, the contents file (.hhc) and the index
  // file (.hhk); the latter two are looked for by extension when #SYSTEM
  // names none.
  std::optional<ChmName> DefaultTopic();
  std::optional<ChmName> ContentsFile();
  std::optional<ChmName> IndexFile();

  // The page a context number maps to (#IVB and #STRINGS); nullopt when the
  // number is not mapped or the page is missing.
  std::optional<ChmName> ContextTopic(uint32_t id);

  // What one extraction may write, against a file whose pages compress to
  // nothing: entries made (files and the folders on their way) and bytes.
  struct Limits {
    size_t Entries = 2000;
    uint64_t Bytes = uint64_t{128} << 20;
  };

  // Copies the pages into folder (a descriptor of a folder), each with
  // what it links to, page by page. The limits hold before every write, the
  // start pages' included: once the next file would pass one, the copying
  // stops there. Returns false when a start page cannot be read or written
  // for any other reason, or when not even the first start page fits.
  bool Extract(int folder, const std::vector<ChmName>& pages, const Limits& limits);
  bool Extract(int folder, const std::vector<ChmName>& pages) {
    return Extract(folder, pages, Limits{});
  }

 private:
  explicit ChmBook(chmFile* file) : FFile(file) {}
  std::optional<std::string> SystemEntry(uint16_t code);
  std::optional<ChmName> FindByExtension(std::string_view ext);

  chmFile* FFile;
};

// Writes bytes to name under folder, making the folders on the way (0700;
// files 0600) and counting those it made in foldersMade. False when a part
// cannot be made (an existing file in the way, an existing file of that
// name).
bool WriteUnder(int folder, const ChmName& name, std::string_view bytes,
                size_t* foldersMade = nullptr);

// What one reading of a book tells the control: the topic to show, as its
// name under the folder ("/sub/page.htm"), or the page listing the contents
// or index, to be written beside the folder.
struct Reading {
  bool Sitemap = false;
  std::string Text;
};

// The reading as the reader sends it down its pipe, and back. Decoding
// refuses anything but one whole message: a reader that died half-way, or
// one that a hostile file has taken over, gives nullopt or a topic that
// still has to pass ResolveName.
std::string EncodeReading(const Reading& r);
std::optional<Reading> DecodeReading(std::string_view bytes);
// The length of the whole message that starts with head, once its header is
// there; nullopt before that, or when head cannot start a message.
std::optional<size_t> ReadingSize(std::string_view head);

// Commands of the control the reader carries out.
constexpr unsigned kDisplayTopic = 0x0000, kDisplayToc = 0x0001, kDisplayIndex = 0x0002,
                   kHelpContext = 0x000F;

// Reads file for command into folder: the topic (named by topic, or the
// default one) or the context number data for a topic; the contents or the
// index, with links under prefix/, for a sitemap. nullopt when the file, the
// topic or the sitemap cannot be read or written.
std::optional<Reading> ReadBook(int folder, const std::string& file, unsigned command,
                                uint32_t data, const std::string& topic,
                                const std::string& prefix);

// A generated page that lists the entries as nested links into prefix/.
std::string SitemapPage(const std::string& title, const std::vector<SitemapEntry>& entries,
                        const ChmName& base, const std::string& prefix);

}  // namespace dz::hhctrl
