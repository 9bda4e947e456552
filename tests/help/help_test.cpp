// YHtmlHlp over the hhctrl plug-in: real CHM files made by chmcmd, a stand-in
// xdg-open, the counted load and unload, and damaged or hostile files; then
// the plug-in's readers of outside text: names inside a CHM file, links in
// pages and style sheets, and sitemaps.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <optional>

#include "deziva27/frame/Deziva27.h"
#include "deziva27/help/YHtmlHlp.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/platform/detail/Module.h"
#include "tests/help/HelpFixtures.h"
#ifdef DZ_HAVE_HHCTRL
#include "plugins/hhctrl/ChmBook.h"
#endif

namespace dz {
namespace {

using test::fs::path;
namespace fs = test::fs;

std::string PluginPath() {
  const char* p = std::getenv("DZ_HHCTRL_PATH");
  return p ? p : "";
}

bool PluginLoaded(const std::string& file) {
  void* h = ::dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (h) ::dlclose(h);
  return h != nullptr;
}

// Unloads the control as the library's unload does, and starts again.
void RestartUnits() {
  Finalize();
  Initialize();
}

// The installed plug-in, and the reader's default time, are back when this goes.
struct PluginBack {
  ~PluginBack() {
    ::unsetenv("DZ_HHCTRL_SECONDS");
    ::setenv("DZ_HHCTRL_PATH", Installed.c_str(), 1);
    RestartUnits();
  }
  const std::string Installed = PluginPath();
};

class Help : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char tmpl[] = "/tmp/dz-help-test-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    Scratch = tmpl;
    fs::create_directories(Scratch / "tmp");
    ::setenv("TMPDIR", (Scratch / "tmp").c_str(), 1);
    Opener.Install(Scratch);
    Opened = 0;
    if (test::HaveProgram("chmcmd"))
      Book = test::CompileBook(Scratch / "book", test::SampleBook(), "book.chm");
  }
  static void TearDownTestSuite() {
    RestartUnits();
    Opener.Remove();
    ::unsetenv("TMPDIR");
    fs::remove_all(Scratch);
  }
  void SetUp() override {
    if (PluginPath().empty()) GTEST_SKIP() << "DZ_HHCTRL_PATH does not name the hhctrl plug-in";
    if (!test::HaveProgram("chmcmd")) GTEST_SKIP() << "chmcmd (fp-utils) is not installed";
    if (!test::HaveProgram("setsid")) GTEST_SKIP() << "setsid (util-linux) is not installed";
    ASSERT_FALSE(Book.empty()) << test::Slurp(Scratch / "book" / "chmcmd.log");
  }

  // Shows target and returns the page the opener was given ("" when none).
  std::string Shown(const std::string& target, uint32_t command = HH_DISPLAY_TOPIC,
                    uint32_t data = 0) {
    if (OpenHtmlHelp(Utf8ToUtf16(target), command, data) == 0) return "";
    const std::string page = Opener.Nth(++Opened);
    return page.empty() ? "<no record>" : page;
  }
  std::string Source(const std::string& name) {
    return test::Slurp(Book.parent_path() / name);
  }

  static inline path Scratch, Book;
  static inline test::FakeOpener Opener;
  static inline size_t Opened = 0;
};

TEST_F(Help, TopicsAreCopiedOutWithWhatTheyLinkToAndOpened) {
  const std::string chm = Book.string();
  // What follows the last '>' names a window; an empty one leaves a '>' of
  // the file's own name alone.
  const std::string gt = (Scratch / "x>y.chm").string();
  fs::copy_file(Book, gt, fs::copy_options::overwrite_existing);
  struct Case {
    std::string Target;
    uint32_t Command, Data;
    std::string Page;
  } cases[] = {
      {chm, HH_DISPLAY_TOPIC, 0, "index.htm"},
      {chm + "::/sub/page2.htm", HH_DISPLAY_TOPIC, 0, "sub/page2.htm"},
      {chm + "::sub\\deep\\page3.htm>main", HH_DISPLAY_TOPIC, 0, "sub/deep/page3.htm"},
      {chm + "::/sub/./deep/../page2.htm#top", HH_DISPLAY_TOPIC, 0, "sub/page2.htm"},
      {chm, HH_HELP_CONTEXT, 100, "index.htm"},
      {chm, HH_HELP_CONTEXT, 300, "sub/deep/page3.htm"},
      {gt + ">", HH_DISPLAY_TOPIC, 0, "index.htm"},
      {gt + "::/sub/page2.htm>main", HH_DISPLAY_TOPIC, 0, "sub/page2.htm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Target + " command " + std::to_string(c.Command));
    const std::string page = Shown(c.Target, c.Command, c.Data);
    ASSERT_TRUE(page.ends_with("/" + c.Page)) << page;
    EXPECT_EQ(test::Slurp(page), Source(c.Page));
    EXPECT_EQ(fs::status(path(page).parent_path()).permissions() & fs::perms::others_all,
              fs::perms::none);
  }
  // What the first topic links to came along with it, and nothing else.
  const path sub = path(Opener.Lines()[Opened - std::size(cases)]).parent_path();
  for (const char* name : {"sub/page2.htm", "sub/deep/page3.htm", "sub/style.css", "img.png"})
    EXPECT_EQ(test::Slurp(sub / name), Source(name)) << name;
  for (const char* name : {"unlinked.htm", "toc.hhc", "#SYSTEM"})
    EXPECT_FALSE(fs::exists(sub / name)) << name;
  const path folder = sub.parent_path();
  EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
  EXPECT_EQ(folder.parent_path(), Scratch / "tmp");
  // The control's narrow and wide entry points take topics of their width.
  ASSERT_NE(HtmlHelpA, nullptr);
  ASSERT_EQ(HtmlHelp, HtmlHelpW);
  EXPECT_NE(HtmlHelpA(nullptr, (chm + "::/sub/page2.htm").c_str(), HH_DISPLAY_TOPIC, 0), nullptr);
  EXPECT_TRUE(Opener.Nth(++Opened).ends_with("/sub/page2.htm"));
  const std::u16string file = Utf8ToUtf16(chm);
  const char16_t* topic = u"sub/deep/page3.htm";
  EXPECT_NE(HtmlHelpW(nullptr, file.c_str(), HH_DISPLAY_TOPIC, reinterpret_cast<uintptr_t>(topic)),
            nullptr);
  EXPECT_TRUE(Opener.Nth(++Opened).ends_with("/sub/deep/page3.htm"));
}

TEST_F(Help, ContentsAndIndexAreListedAsLinks) {
  const std::string toc = Shown(Book.string(), HH_DISPLAY_TOC);
  ASSERT_TRUE(toc.ends_with("-contents.html")) << toc;
  const std::string n = path(toc).filename().string().substr(0, toc.size() - toc.rfind('/') - 15);
  const std::string html = test::Slurp(toc);
  EXPECT_NE(html.find("<ul>\n<li><a href=\"" + n + "/index.htm\">Intro</a></li>\n<ul>\n"
                      "<li><a href=\"" + n + "/sub/page2.htm\">Page &amp; two</a></li>\n"
                      "</ul>\n</ul>"),
            std::string::npos)
      << html;
  EXPECT_EQ(test::Slurp(path(toc).parent_path() / n / "sub/page2.htm"), Source("sub/page2.htm"));

  const std::string index = Shown(Book.string(), HH_DISPLAY_INDEX);
  ASSERT_TRUE(index.ends_with("-index.html")) << index;
  const std::string m = index.substr(index.rfind('/') + 1, index.size() - index.rfind('/') - 12);
  const std::string idx = test::Slurp(index);
  EXPECT_NE(idx.find("/sub/deep/page3.htm\">alpha</a>"), std::string::npos) << idx;
  EXPECT_TRUE(fs::exists(path(index).parent_path() / m / "sub/deep/page3.htm"));
}

// Every file and folder below root, sorted; bytes, when given, gets what the
// files hold added to it.
std::vector<std::string> TreeOf(const path& root, uint64_t* bytes = nullptr) {
  std::vector<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    out.push_back(e.path().string());
    if (bytes && e.is_regular_file()) *bytes += e.file_size();
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(Help, WhatCannotBeShownOrIsDamagedAnswersZero) {
  const std::string chm = Book.string();
  struct Case {
    std::string Target;
    uint32_t Command, Data;
  } cases[] = {
      {chm + "::/missing.htm", HH_DISPLAY_TOPIC, 0},
      {chm + "::/../index.htm", HH_DISPLAY_TOPIC, 0},
      {chm + "::/", HH_DISPLAY_TOPIC, 0},
      {chm, HH_HELP_CONTEXT, 7},
      {chm, HH_DISPLAY_SEARCH, 0},
      {(Scratch / "nowhere.chm").string(), HH_DISPLAY_TOPIC, 0},
      {"", HH_DISPLAY_TOPIC, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(OpenHtmlHelp(Utf8ToUtf16(c.Target), c.Command, c.Data), 0) << c.Target;

  // Nor can a damaged file, with any command.
  const std::string good = test::Slurp(Book);
  const auto overwrite = [&](size_t at, size_t n, char with) {
    return std::string(good).replace(at, n, n, with);
  };
  const size_t pmgl = good.find("PMGL"), lzxc = good.find("LZXC");
  ASSERT_NE(pmgl, std::string::npos);
  ASSERT_NE(lzxc, std::string::npos);
  std::vector<std::pair<std::string, std::string>> all = {
      {"empty", ""},
      {"header only", good.substr(0, 0x60)},
      {"cut in the directory", good.substr(0, pmgl + 100)},
      {"cut in half", good.substr(0, good.size() / 2)},
      {"last byte cut", good.substr(0, good.size() - 1)},
      {"magic overwritten", overwrite(0, 4, 'X')},
      {"header overwritten", overwrite(8, 0x58, '\xff')},
      {"directory overwritten", overwrite(pmgl, 512, '\xff')},
      {"directory zeroed", overwrite(pmgl + 20, 400, '\0')},
      {"compression control overwritten", overwrite(lzxc - 4, 28, '\x7f')},
  };
  // Found by the fuzzer: what made chmlib divide by zero. DZ_TEST_DATA names
  // the tests' own data folder beside this one.
  const char* data = std::getenv("DZ_TEST_DATA");
  ASSERT_NE(data, nullptr);
  const path found = path(data).parent_path() / "help" / "data";
  for (const char* name : {"bad-control-data.chm", "bad-reset-table.chm", "bad-window-size.chm"}) {
    all.emplace_back(name, test::Slurp(found / name));
    ASSERT_GT(all.back().second.size(), 1000u) << name;
  }
  ASSERT_NE(Shown(chm), "");  // the private folder exists
  // A second of reading, and a reader that is killed at once: far less than
  // the limit below even on a loaded machine, far more than a missed kill.
  ::setenv("DZ_HHCTRL_SECONDS", "1", 1);
  const auto answersZero = [&](const std::string& bytes, std::vector<uint32_t> commands) {
    const path file = Scratch / "damaged.chm";
    test::Spit(file, bytes);
    const auto before = TreeOf(Scratch / "tmp");
    for (uint32_t command : commands) {
      const auto start = std::chrono::steady_clock::now();
      EXPECT_EQ(OpenHtmlHelp(Utf8ToUtf16(file.string()), command,
                             command == HH_HELP_CONTEXT ? 100 : 0),
                0)
          << command;
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    }
    EXPECT_EQ(TreeOf(Scratch / "tmp"), before);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "a reader was left unreaped";
  };
  for (const auto& [what, bytes] : all) {
    SCOPED_TRACE(what);
    answersZero(bytes, {HH_DISPLAY_TOPIC, HH_DISPLAY_TOC, HH_DISPLAY_INDEX, HH_HELP_CONTEXT});
  }
  // A book with no contents file has its contents looked for by listing the
  // directory, which follows each page's next-page number.
  test::BookSource b{{{"index.htm", "<html><body>loop</body></html>\n"}},
                     "[OPTIONS]\nCompiled file=loop.chm\nDefault topic=index.htm\n\n"
                     "[FILES]\nindex.htm\n"};
  const path plain = test::CompileBook(Scratch / "loop", b, "loop.chm");
  ASSERT_FALSE(plain.empty());
  std::string looped = test::Slurp(plain);
  const size_t last = looped.find("PMGL") + 16;
  ASSERT_EQ(looped.substr(last, 4), std::string(4, '\xff'));  // the last page
  looped.replace(last, 4, std::string(4, '\0'));                // now its own next
  answersZero(looped, {HH_DISPLAY_TOC});
  ::unsetenv("DZ_HHCTRL_SECONDS");
  // Nothing was handed to the opener: the next record is the next page; the
  // same book unharmed still shows, as it is the damage that failed.
  EXPECT_TRUE(Shown(chm + "::/sub/page2.htm").ends_with("/sub/page2.htm"));
  EXPECT_TRUE(Shown(plain.string()).ends_with("/index.htm"));
  EXPECT_EQ(Opener.Lines().size(), Opened);
}

// Without its reader, or with one that hangs without using its CPU time
// (which sets off neither its CPU limit nor, a stand-in having none, its
// alarm), the control answers zero; only the plug-in's own deadline ends a
// hanging one, and it must still be killed and reaped.
TEST_F(Help, WithoutAWorkingReaderTheControlAnswersZero) {
  for (const bool hangs : {false, true}) {
    SCOPED_TRACE(hangs ? "a reader that hangs" : "no reader");
    // The plug-in copied alone into a folder of its own.
    const PluginBack back;
    const path beside = Scratch / (hangs ? "hanging" : "alone");
    fs::create_directories(beside);
    fs::copy_file(back.Installed, beside / "hhctrl.so");
    ::setenv("DZ_HHCTRL_PATH", (beside / "hhctrl.so").c_str(), 1);
    RestartUnits();
    if (hangs) {
      // Long enough to fail the time below when nobody kills it.
      test::Spit(beside / "hhctrl-reader", "#!/bin/sh\nexec sleep 30\n");
      fs::permissions(beside / "hhctrl-reader", fs::perms::owner_all);
    }
    ::setenv("DZ_HHCTRL_SECONDS", "1", 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(OpenHtmlHelp(Utf8ToUtf16(Book.string()), HH_DISPLAY_TOPIC, 0), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_NE(HtmlHelp, nullptr);  // the control itself is there
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "the reader was left unreaped";
    // The session's private folder once a reading began, without its sub-folder.
    EXPECT_EQ(TreeOf(Scratch / "tmp").size(), hangs ? 1u : 0u);
  }
}

TEST_F(Help, NamesThatClimbOutStayInside) {
  const test::BookSource b{{
      {"index.htm",
       "<a href=\"../../escape.htm\">1</a><a href=\"..\\..\\escape.htm\">2</a>"
       "<a href=\"/../escape.htm\">3</a><a href=\"%2e%2e/%2e%2e/escape.htm\">4</a>"
       "<a href=\"sub/../../escape.htm\">5</a><a href=\"../zz/evil.htm\">6</a>"
       "<a href=\"/tmp/abs.htm\">7</a><img src=\"zz/evil.htm\">\n"},
      {"escape.htm", "not to be copied\n"},
      {"tmp/abs.htm", "inside\n"},
      {"zz/evil.htm", "renamed\n"}},
      "[OPTIONS]\nCompiled file=esc.chm\nDefault topic=index.htm\n\n[FILES]\n"
      "index.htm\nescape.htm\ntmp/abs.htm\nzz/evil.htm\n"};
  path chm = test::CompileBook(Scratch / "esc", b, "esc.chm");
  ASSERT_FALSE(chm.empty());
  // A name in the file's directory that climbs: "/zz/evil.htm" becomes
  // "/../evil.htm", the same length, so the directory stays readable.
  std::string bytes = test::Slurp(chm);
  const size_t at = bytes.find("/zz/evil.htm");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, 12, "/../evil.htm");
  test::Spit(chm, bytes);
  if (HtmlHelp) HtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);  // a fresh private folder

  EXPECT_EQ(OpenHtmlHelp(Utf8ToUtf16(chm.string() + "::/../evil.htm"), HH_DISPLAY_TOPIC, 0), 0);
  const std::string page = Shown(chm.string());
  ASSERT_TRUE(page.ends_with("/index.htm")) << page;
  const path sub = path(page).parent_path();
  EXPECT_EQ(test::Slurp(sub / "tmp/abs.htm"), "inside\n");
  // Everything written is in the private folder, and nothing climbed.
  const std::string s = sub.string();
  EXPECT_EQ(TreeOf(Scratch / "tmp"), (std::vector<std::string>{sub.parent_path().string(), s,
                                       s + "/index.htm", s + "/tmp", s + "/tmp/abs.htm"}));
  EXPECT_FALSE(fs::exists(Scratch / "escape.htm"));
  EXPECT_FALSE(fs::exists(Scratch / "evil.htm"));
}

// A cleaner of /tmp took the private folder while the application ran and
// a folder came back under its name: no page goes there, and nothing of it
// is removed; closing all removes the pages, and the next page is shown.
TEST_F(Help, AFolderMadeAgainUnderItsNameIsNotUsed) {
  struct Case {
    const char* What;
    fs::perms Mode;
    uid_t Owner;
  } cases[] = {
      {"another user's", fs::perms::owner_all, 65534},
      {"open to all", fs::perms::all, ::geteuid()},
      {"ours and private, but not the one held", fs::perms::owner_all, ::geteuid()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    if (c.Owner != ::geteuid() && ::geteuid() != 0) continue;  // only root can give it away
    const std::string first = Shown(Book.string());
    ASSERT_FALSE(first.empty());
    const path folder = path(first).parent_path().parent_path();
    fs::remove_all(folder);
    fs::create_directory(folder);
    fs::permissions(folder, c.Mode);
    test::Spit(folder / "theirs", "x");
    ASSERT_EQ(::chown(folder.c_str(), c.Owner, static_cast<gid_t>(-1)), 0);
    const std::string next = Shown(Book.string() + "::/sub/page2.htm");
    ASSERT_TRUE(next.ends_with("/sub/page2.htm")) << next;
    EXPECT_FALSE(next.starts_with(folder.string() + "/")) << next;
    EXPECT_EQ(test::Slurp(next), Source("sub/page2.htm"));
    EXPECT_EQ(fs::status(path(next).parent_path().parent_path()).permissions(),
              fs::perms::owner_all);
    EXPECT_EQ(HtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0), nullptr);
    EXPECT_EQ(test::Slurp(folder / "theirs"), "x");
    EXPECT_FALSE(fs::exists(path(next).parent_path().parent_path()));
    fs::remove_all(folder);
  }
}

// While the control cannot be found each call raises again; once found it
// is loaded once, not looked for again, and freed at the library's stop.
TEST_F(Help, ControlIsLoadedOnceAndFreedAtStop) {
  RestartUnits();
  const PluginBack back;
  const std::string& plugin = back.Installed;
  // Missing altogether, or a library without the two entry points.
  Dl_info libc{};
  ASSERT_NE(::dladdr(reinterpret_cast<void*>(&::dladdr), &libc), 0);
  for (const std::string& where : {(Scratch / "absent.so").string(), std::string(libc.dli_fname)}) {
    ::setenv("DZ_HHCTRL_PATH", where.c_str(), 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
      try {
        OpenHtmlHelp(Utf8ToUtf16(Book.string()), HH_DISPLAY_TOPIC, 0);
        ADD_FAILURE() << "no exception with " << where;
      } catch (const EHtmlHelpError& e) {
        EXPECT_STREQ(e.what(), "Can't load Library 'hhctrl.ocx'");
      }
      EXPECT_EQ(HtmlHelp, nullptr);
      EXPECT_EQ(HtmlHelpA, nullptr);
    }
  }
  ::setenv("DZ_HHCTRL_PATH", plugin.c_str(), 1);
  EXPECT_FALSE(PluginLoaded(plugin));
  const std::string page = Shown(Book.string());
  ASSERT_TRUE(page.ends_with("/index.htm")) << page;
  EXPECT_TRUE(PluginLoaded(plugin));
  const path folder = path(page).parent_path().parent_path();
  // With nothing to find, the second call still works.
  ::setenv("DZ_HHCTRL_PATH", (Scratch / "absent.so").c_str(), 1);
  EXPECT_FALSE(Shown(Book.string() + "::/sub/page2.htm").empty());
  Finalize();
  EXPECT_EQ(HtmlHelp, nullptr);
  EXPECT_EQ(HtmlHelpA, nullptr);
  EXPECT_EQ(HtmlHelpW, nullptr);
  EXPECT_FALSE(PluginLoaded(plugin));
  EXPECT_FALSE(fs::exists(folder));
  Initialize();
}

TEST_F(Help, WinHelpHandsTheFileToTheDesktop) {
  const path file = Scratch / "old.hlp";
  test::Spit(file, "?_\x03\0not really WinHelp");
  EXPECT_NE(OpenWinHelp(Utf8ToUtf16(file.string()), 1, 42), 0);
  EXPECT_EQ(Opener.Nth(++Opened), file.string());
  EXPECT_EQ(Opener.Lines().size(), Opened);  // one argument: the file
  EXPECT_EQ(OpenWinHelp(Utf8ToUtf16((Scratch / "none.hlp").string()), 3, 0), 0);
  EXPECT_EQ(OpenWinHelp(Utf8ToUtf16(Scratch.string()), 3, 0), 0);
  EXPECT_EQ(OpenWinHelp(u"", 3, 0), 0);
  const std::string saved = std::getenv("PATH");
  ::setenv("PATH", (Scratch / "empty").c_str(), 1);
  EXPECT_EQ(OpenWinHelp(Utf8ToUtf16(file.string()), 3, 0), 0);
  EXPECT_EQ(OpenHtmlHelp(Utf8ToUtf16(Book.string()), HH_DISPLAY_TOPIC, 0), 0);
  ::setenv("PATH", saved.c_str(), 1);
}

TEST(Modules, LoadCountsAndRefusals) {
  struct Refused {
    const char16_t* Name;
    void* File;
    uint32_t Flags;
  } refused[] = {
      {u"/nonexistent/lib.so", nullptr, 0},
      {u"", nullptr, 0},
      {nullptr, nullptr, 0},
      {u"libm.so.6", nullptr, 8},
      {u"libm.so.6", reinterpret_cast<void*>(1), 0},
  };
  for (const Refused& r : refused) EXPECT_EQ(win::LoadLibraryExW(r.Name, r.File, r.Flags), 0u);

  const HMODULE a = win::LoadLibraryExW(u"libz.so.1", nullptr, 0);
  if (a == 0) GTEST_SKIP() << "libz.so.1 is not installed";
  const HMODULE b = win::LoadLibraryExW(u"libz.so.1", nullptr, 0);
  EXPECT_EQ(a, b);
  EXPECT_NE(win::GetProcAddress(a, "zlibVersion"), nullptr);
  EXPECT_EQ(win::GetProcAddress(a, "no_such_symbol_here"), nullptr);
  EXPECT_EQ(win::GetProcAddress(a, nullptr), nullptr);
  EXPECT_EQ(win::GetProcAddress(a + 1, "zlibVersion"), nullptr);
  char16_t name[512];
  ASSERT_GT(win::GetModuleFileNameW(a, name, 512), 0u);
  EXPECT_NE(Utf16ToUtf8(name).find("libz.so"), std::string::npos);
  EXPECT_TRUE(win::FreeLibrary(a));
  EXPECT_NE(win::GetProcAddress(a, "zlibVersion"), nullptr);  // one load is still out
  EXPECT_TRUE(win::FreeLibrary(b));
  EXPECT_EQ(win::GetProcAddress(a, "zlibVersion"), nullptr);
  EXPECT_FALSE(win::FreeLibrary(a));
  EXPECT_FALSE(win::FreeLibrary(0));
}

#ifdef DZ_HAVE_HHCTRL
using namespace hhctrl;

TEST(ChmNames, ResolveStaysInsideTheFile) {
  struct Case {
    ChmName Base;
    std::string Name;
    std::optional<std::string> Path;
  } cases[] = {
      {{}, "index.htm", "/index.htm"},
      {{"sub"}, "page.htm#part", "/sub/page.htm"},
      {{"sub"}, "../index.htm?x=1", "/index.htm"},
      {{"sub"}, "/top.htm", "/top.htm"},
      {{"sub"}, "\\a\\b.htm", "/a/b.htm"},
      {{"a", "b"}, ".//./c.htm", "/a/b/c.htm"},
      {{"a", "b"}, "../../c.htm", "/c.htm"},
      {{"a", "b"}, "../../../c.htm", std::nullopt},
      {{}, "../x", std::nullopt},
      {{}, "/../x", std::nullopt},
      {{}, "..\\x", std::nullopt},
      {{}, "a/../../x", std::nullopt},
      {{}, "", std::nullopt},
      {{}, "#top", std::nullopt},
      {{}, "/", std::nullopt},
      {{}, std::string(300, 'n'), std::nullopt},
  };
  for (const Case& c : cases) {
    const auto got = ResolveName(c.Base, c.Name);
    EXPECT_EQ(got ? std::optional<std::string>(ObjectPath(*got)) : std::nullopt, c.Path) << c.Name;
  }
  EXPECT_FALSE(ResolveName({}, std::string_view("a\0b", 3)));
}

TEST(ChmLinks, PagesAndStyleSheets) {
  struct Case {
    const char* Text;
    std::vector<std::string> Links;
  } cases[] = {
      {"<a href=\"a.htm\">x</a><IMG SRC='b.png'><a href=c.htm>", {"a.htm", "b.png", "c.htm"}},
      {"<a href=\"http://x/y\"><a href=\"mailto:q@r\"><a href=\"ms-its:o.chm::/p.htm\">", {}},
      {"<a href=\"javascript:void(0)\"><a href=\" spaced.htm \">", {"spaced.htm"}},
      {"<!-- <a href=\"hidden.htm\"> --><a href=\"c:/x\"><a href=\"d/e:f.htm\">", {"d/e:f.htm"}},
      {"body { background: url( \"bg.png\" ) } p { x: URL(q.gif) }", {"bg.png", "q.gif"}},
      {"<a href=\"unterminated", {}},  // no tag without its '>'
      {"<a href='x.htm>", {"x.htm"}},  // an unclosed quote ends with the tag
      {"<a href=", {}},
      {"url(", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(LinksIn(c.Text), c.Links) << c.Text;
}

TEST(ChmSitemaps, EntriesWithTheirDepth) {
  const auto entries = ParseSitemap(
      "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A\">"
      "<param name=\"Local\" value=\"a.htm\"></OBJECT><UL><LI><object type='text/sitemap'>"
      "<PARAM NAME=name VALUE=B><param name=\"Local\" value=\"b.htm\"></object></UL>"
      "<LI><OBJECT type=\"text/site properties\"><param name=\"Name\" value=\"no\"></OBJECT>"
      "<LI><OBJECT type=\"text/sitemap\"><param name=\"Local\" value=\"c.htm\"></OBJECT></UL>");
  std::vector<std::string> shown;
  for (const auto& e : entries)
    shown.push_back(std::to_string(e.Depth) + " " + e.Name + " " + e.Local);
  EXPECT_EQ(shown, (std::vector<std::string>{"0 A a.htm", "1 B b.htm", "0  c.htm"}));
  const std::string page = SitemapPage("T<", entries, {}, "7");
  EXPECT_NE(page.find("<title>T&lt;</title>"), std::string::npos);
  EXPECT_NE(page.find("<li><a href=\"7/c.htm\">c.htm</a></li>"), std::string::npos);
  // A name that climbs out is listed without a link.
  const std::string out = SitemapPage("T", {{0, "up", "../x.htm"}}, {}, "7");
  EXPECT_NE(out.find("<li>up</li>"), std::string::npos) << out;
}

// The reader's answer is all the plug-in trusts of it: only one whole
// message passes, however the reader died or whatever it was made to say.
TEST(ChmReadings, OnlyAWholeMessagePasses) {
  const std::string topic = EncodeReading({false, "/sub/p.htm"});
  const std::string page = EncodeReading({true, std::string("<ul>\n\0</ul>", 12)});
  for (const std::string& whole : {topic, page, EncodeReading({false, ""})}) {
    const auto r = DecodeReading(whole);
    ASSERT_TRUE(r) << whole;
    EXPECT_EQ(EncodeReading(*r), whole);
    EXPECT_EQ(ReadingSize(whole.substr(0, whole.find('\n') + 1)), whole.size());
  }
  EXPECT_TRUE(DecodeReading(page)->Sitemap);
  EXPECT_FALSE(DecodeReading(topic)->Sitemap);
  const std::string refused[] = {
      "",
      topic.substr(0, topic.size() - 1),  // died before the last byte
      topic + "x",                        // more than it announced
      topic.substr(0, 8),
      "DZHH topic\n/a.htm",
      "DZHH topic -1\n",
      "DZHH page 1\nx",
      "XZHH topic 1\nx",
      "DZHH topic 1x\nx",
      "DZHH topic 1000000000000\n",
  };
  for (const std::string& bytes : refused) EXPECT_FALSE(DecodeReading(bytes)) << bytes;
  EXPECT_FALSE(ReadingSize("DZHH topic 12"));  // the header is not whole yet
}

// A sitemap may list far more pages than one extraction may write, and
// pages that compress to nothing; the limits must hold for the pages it
// lists, not only for what those link to.
TEST_F(Help, ExtractionLimitsHoldBeforeEveryWrite) {
  constexpr int kPages = 2100;  // more than the default count allows
  test::BookSource b;
  std::string toc = "<UL>", files;
  std::vector<ChmName> all;
  for (int i = 0; i < kPages; ++i) {
    const std::string name = std::string("p") += std::to_string(i) + ".htm";
    all.push_back({name});
    b.Files.push_back({name, "<html>" + std::to_string(i) + "</html>\n"});
    toc += "<LI><OBJECT type=\"text/sitemap\"><param name=\"Local\" value=\"" + name +
           "\"></OBJECT>";
    files += name + "\n";
  }
  b.Files.push_back({"d/e/f/g.htm", "<html>deep</html>\n"});
  b.Files.push_back({"t.hhc", toc + "</UL>\n"});
  b.Project = "[OPTIONS]\nCompiled file=many.chm\nContents file=t.hhc\nDefault topic=p0.htm\n\n"
              "[FILES]\n" + files + "d/e/f/g.htm\n";
  const path chm = test::CompileBook(Scratch / "many", b, "many.chm");
  ASSERT_FALSE(chm.empty()) << test::Slurp(Scratch / "many" / "chmcmd.log");
  const auto book = ChmBook::Open(chm.string());
  ASSERT_TRUE(book);
  const ChmName deep = {"d", "e", "f", "g.htm"};
  struct Case {
    const char* What;
    std::vector<ChmName> Pages;
    ChmBook::Limits Limits;
    bool Result;
    size_t Entries;  // exactly what is written: up to the limit, not short of it
  } cases[] = {
      {"more pages than the count allows", all, {}, true, 2000},
      {"more bytes than the size allows", all, {2000, 100}, true, 100 / 16},
      {"a deep name needs its folders counted", {all[0], deep}, {4, 1000}, true, 1},
      {"not even the first page fits", {deep}, {3, 1000}, false, 0},
      {"all fits", {all[0], deep}, {5, 1000}, true, 5},
  };
  // Each into a fresh folder, open as the reader holds it; the last is the
  // reader's own road, with the limits it is built with.
  const auto folder = [&](const path& out) {
    fs::create_directories(out);
    return ::open(out.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const path out = Scratch / "many" / c.What;
    const int fd = folder(out);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(book->Extract(fd, c.Pages, c.Limits), c.Result);
    ::close(fd);
    uint64_t bytes = 0;
    EXPECT_EQ(TreeOf(out, &bytes).size(), c.Entries);
    EXPECT_LE(bytes, c.Limits.Bytes);
  }
  const path out = Scratch / "many" / "reader";
  const int fd = folder(out);
  ASSERT_GE(fd, 0);
  const auto reading = ReadBook(fd, chm.string(), kDisplayToc, 0, "", "1");
  ::close(fd);
  ASSERT_TRUE(reading);
  EXPECT_TRUE(reading->Sitemap);
  EXPECT_EQ(TreeOf(out).size(), ChmBook::Limits{}.Entries);
}

#endif

}  // namespace
}  // namespace dz
