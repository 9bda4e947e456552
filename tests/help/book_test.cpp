// The plug-in's readers of outside text: names inside a CHM file, links in
// pages and style sheets, and sitemaps.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "plugins/hhctrl/ChmBook.h"

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
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Depth, 0);
  EXPECT_EQ(entries[0].Name, "A");
  EXPECT_EQ(entries[1].Depth, 1);
  EXPECT_EQ(entries[1].Name, "B");
  EXPECT_EQ(entries[1].Local, "b.htm");
  EXPECT_EQ(entries[2].Depth, 0);
  EXPECT_EQ(entries[2].Local, "c.htm");
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

}  // namespace
}  // namespace dz::hhctrl
#endif
