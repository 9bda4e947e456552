// CHM files made at test time with chmcmd, and a stand-in xdg-open that
// records what it is asked to open.
#pragma once

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/Files.h"

namespace dz::test {

inline bool HaveProgram(const char* name) {
  return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

// The pages of the book the tests show: pages that link each other, a
// style sheet and an image, a contents file, an index and context numbers.
struct BookSource {
  std::vector<std::pair<std::string, std::string>> Files;  // name, bytes
  std::string Project;                                     // the .hhp text
};

inline BookSource SampleBook() {
  return {{
      {"index.htm",
       "<html><head><title>Intro</title><link rel=\"stylesheet\" href=\"sub/style.css\"></head>\n"
       "<body><p>Welcome.</p><a href=\"sub/page2.htm#part\">two</a> <img src='img.png'>\n"
       "<a href=\"http://example.invalid/x.htm\">web</a></body></html>\n"},
      {"sub/page2.htm",
       "<html><body><a href=\"../index.htm\">back</a> <a href=\"deep/page3.htm\">three</a>"
       "</body></html>\n"},
      {"sub/deep/page3.htm", "<html><body>Three, reached only through page two.</body></html>\n"},
      {"sub/style.css", "body { background: url(\"../img.png\"); }\n"},
      {"img.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
      {"unlinked.htm", "<html><body>Nothing links here.</body></html>\n"},
      {"toc.hhc",
       "<HTML><BODY><UL>\n"
       "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Intro\">"
       "<param name=\"Local\" value=\"index.htm\"></OBJECT>\n"
       "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Page &amp; two\">"
       "<param name=\"Local\" value=\"sub/page2.htm\"></OBJECT></UL>\n"
       "</UL></BODY></HTML>\n"},
      {"idx.hhk",
       "<HTML><BODY><UL>\n"
       "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"alpha\">"
       "<param name=\"Local\" value=\"sub/deep/page3.htm\"></OBJECT>\n"
       "</UL></BODY></HTML>\n"}},
      "[OPTIONS]\nCompiled file=book.chm\nContents file=toc.hhc\nIndex file=idx.hhk\n"
      "Default topic=index.htm\nTitle=Book\n\n[FILES]\nindex.htm\nsub/page2.htm\n"
      "sub/deep/page3.htm\nsub/style.css\nimg.png\nunlinked.htm\n\n"
      "[ALIAS]\nIDH_INTRO=index.htm\nIDH_THREE=sub/deep/page3.htm\n\n"
      "[MAP]\n#define IDH_INTRO 100\n#define IDH_THREE 300\n"};
}

// Writes the sources into dir and compiles them; the CHM file's path, or ""
// when chmcmd failed.
inline fs::path CompileBook(const fs::path& dir, const BookSource& b, const std::string& chm) {
  for (const auto& [name, bytes] : b.Files) Spit(dir / name, bytes);
  Spit(dir / "book.hhp", b.Project);
  const std::string cmd = "cd '" + dir.string() + "' && chmcmd book.hhp >chmcmd.log 2>&1";
  if (std::system(cmd.c_str()) != 0 || !fs::exists(dir / chm)) return {};
  return dir / chm;
}

// A stand-in xdg-open first on PATH, appending each argument it gets as a
// line of Log; Remove, or the end of the opener, puts PATH back.
struct FakeOpener {
  fs::path Bin, Log;
  std::string SavedPath;

  ~FakeOpener() {
    if (!Bin.empty()) Remove();
  }

  void Install(const fs::path& scratch) {
    Bin = scratch / "bin";
    Log = scratch / "opened.log";
    fs::create_directories(Bin);
    Spit(Bin / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + Log.string() + "'\n");
    fs::permissions(Bin / "xdg-open", fs::perms::owner_all);
    const char* p = std::getenv("PATH");
    SavedPath = p ? p : "";
    ::setenv("PATH", (Bin.string() + ":" + SavedPath).c_str(), 1);
  }
  void Remove() { ::setenv("PATH", SavedPath.c_str(), 1); }

  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    std::istringstream in(Slurp(Log));
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }
  // The n-th argument recorded (from 1), "" when it never came. The opener
  // runs detached from the caller, so its record comes a little later; a
  // loaded machine may take long, and a generous limit only delays a
  // failing test.
  std::string Nth(size_t n) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::vector<std::string> lines = Lines();
    for (; lines.size() < n && std::chrono::steady_clock::now() < deadline; lines = Lines())
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return lines.size() >= n ? lines[n - 1] : "";
  }
};

}  // namespace dz::test
