// The plug-in's readers of outside text: names inside a CHM file, links in
// pages and style sheets, and sitemaps.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "plugins/hhctrl/ChmBook.h"
#include "tests/help/HelpFixtures.h"

#ifdef DZ_HAVE_HHCTRL
namespace dz::hhctrl {
namespace {

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
  for (const auto& e : entries) shown.push_back(std::to_string(e.Depth) + " " + e.Name + " " + e.Local);
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

// What one extraction wrote under root: entries (files and folders) and bytes.
std::pair<size_t, uint64_t> Written(const test::fs::path& root) {
  size_t entries = 0;
  uint64_t bytes = 0;
  for (const auto& e : test::fs::recursive_directory_iterator(root)) {
    ++entries;
    if (e.is_regular_file()) bytes += e.file_size();
  }
  return {entries, bytes};
}

// A sitemap may list far more pages than one extraction may write, and
// pages that compress to nothing; the limits must hold for the pages it
// lists, not only for what those link to.
TEST(ChmExtraction, LimitsHoldBeforeEveryWrite) {
  if (!test::HaveProgram("chmcmd")) GTEST_SKIP() << "chmcmd (fp-utils) is not installed";
  const test::ScratchDir dir("dz-book-test");
  const test::fs::path& scratch = dir.Path;

  constexpr int kPages = 2100;  // more than the default count allows
  const auto pageName = [](int i) { return std::string("p") += std::to_string(i) + ".htm"; };
  test::BookSource b;
  std::string toc = "<UL>", files;
  for (int i = 0; i < kPages; ++i) {
    const std::string name = pageName(i);
    b.Files.push_back({name, "<html>" + std::to_string(i) + "</html>\n"});
    toc += "<LI><OBJECT type=\"text/sitemap\"><param name=\"Local\" value=\"" + name +
           "\"></OBJECT>";
    files += name + "\n";
  }
  b.Files.push_back({"d/e/f/g.htm", "<html>deep</html>\n"});
  b.Files.push_back({"t.hhc", toc + "</UL>\n"});
  b.Project = "[OPTIONS]\nCompiled file=many.chm\nContents file=t.hhc\nDefault topic=p0.htm\n\n"
              "[FILES]\n" + files + "d/e/f/g.htm\n";
  const test::fs::path chm = test::CompileBook(scratch / "src", b, "many.chm");
  ASSERT_FALSE(chm.empty()) << test::Slurp(scratch / "src" / "chmcmd.log");
  const auto book = ChmBook::Open(chm.string());
  ASSERT_TRUE(book);

  std::vector<ChmName> all;
  for (int i = 0; i < kPages; ++i) all.push_back({pageName(i)});
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
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const test::fs::path out = scratch / ("out" + std::to_string(n++));
    test::fs::create_directories(out);
    const int fd = ::open(out.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(book->Extract(fd, c.Pages, c.Limits), c.Result);
    ::close(fd);
    const auto [entries, bytes] = Written(out);
    EXPECT_EQ(entries, c.Entries);
    EXPECT_LE(bytes, c.Limits.Bytes);
  }

  // The reader's own road, with the limits it is built with.
  const test::fs::path out = scratch / "toc";
  test::fs::create_directories(out);
  const int fd = ::open(out.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const auto reading = ReadBook(fd, chm.string(), kDisplayToc, 0, "", "1");
  ::close(fd);
  ASSERT_TRUE(reading);
  EXPECT_TRUE(reading->Sitemap);
  EXPECT_EQ(Written(out).first, ChmBook::Limits{}.Entries);
}

}  // namespace
}  // namespace dz::hhctrl
#endif
