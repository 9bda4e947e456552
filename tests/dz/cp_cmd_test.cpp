// dz cp convert and list, as a user runs them.
#include <gtest/gtest.h>

#include "dz/DzHarness.h"

namespace {

using namespace dz::test;

TEST_F(Dz, CpConvertsLikeTheLibrary) {
  struct Case {
    std::vector<std::string> Args;
    std::string In;
    int Status;
    std::string Out;  // for status 0
  } cases[] = {
      // An invalid UTF-8 byte, an invalid Shift-JIS pair: U+FFFD, whatever
      // the page would make of it on its own.
      {{"--from", "65001", "--to", "65001", "--substitute"}, "a\xFF" "b", 0, "a\xEF\xBF\xBD" "b"},
      {{"--from", "932", "--to", "65001", "--substitute"}, "\x81\x20x\xA0", 0,
       "\xEF\xBF\xBDx\xEF\xBF\xBD"},
      {{"--from", "932", "--to", "65001"}, "\x93\xFA\x96\x7B", 0, "\xE6\x97\xA5\xE6\x9C\xAC"},
      // What 1252 cannot hold: its best fit, only when asked for.
      {{"--from", "65001", "--to", "1252", "--substitute"}, "\xC4\x80\xE2\x88\x9E\xD0\x96", 0, "A8?"},
      {{"--from", "65001", "--to", "1252"}, "\xC4\x80", 3, ""},
      {{"--from", "65001", "--to", "65000"}, "a+\xC3\xA9", 0, "a+-+AOk-"},
      {{"--from", "65000", "--to", "65001"}, "a+-+AOk-", 0, "a+\xC3\xA9"},
      {{"--from", "1253", "--to", "65001"}, "\xAA", 3, ""},  // undefined in 1253
      // Numbers that are not plain code page numbers are the caller's mistake.
      {{"--from", " 1252", "--to", "65001"}, "x", 2, ""},
      {{"--from", "+1252", "--to", "65001"}, "x", 2, ""},
      {{"--from", "-18446744073709551615", "--to", "65001"}, "x", 2, ""},
      {{"--from", "1252", "--to", "4294967296"}, "x", 2, ""},
      {{"--from", "28600", "--to", "65001"}, "x", 3, ""},  // not a Windows code page
      {{"--from", "1200", "--to", "65001"}, "x", 3, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Args[1] + " to " + c.Args[3]);
    std::vector<std::string> args{"cp", "convert"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    const Result r = Run(args, c.In);
    EXPECT_EQ(r.Status, c.Status) << r.Err;
    EXPECT_TRUE(c.Status != 0 || r.Out == c.Out) << r.Out;
    EXPECT_EQ(c.Status == 2, r.Err.find("is not a code page number") != std::string::npos) << r.Err;
  }
}

// Two-byte and UTF-7 text cut by every 64 KiB buffer end, along a chain of
// pages from a file, through pipes, to a file: the bytes it started as.
TEST_F(Dz, CpStreamsCharactersAcrossBuffers) {
  const struct {
    std::string Unit;  // four of every five characters
    std::vector<std::string> Pages;
  } cases[] = {
      {"\xD0\xB6", {"65001", "1251", "65001"}},
      {"\x93\xFA", {"932", "65001", "65000", "932"}},
  };
  for (const auto& c : cases) {
    std::string text, piped;
    for (int i = 0; text.size() < 300000; ++i) text += i % 5 ? c.Unit : "a";
    Spit(Dir / "in.txt", text);
    for (size_t i = 1; i < c.Pages.size(); ++i) {
      std::vector<std::string> args{"cp", "convert", "--from", c.Pages[i - 1], "--to", c.Pages[i],
                                    i == 1 ? "in.txt" : "-"};
      if (i + 1 == c.Pages.size()) args.push_back(c.Pages[0] + ".txt");
      const Result r = Run(args, piped);
      ASSERT_EQ(r.Status, 0) << c.Pages[i] << ": " << r.Err;
      piped = r.Out;
    }
    EXPECT_TRUE(Slurp(Dir / (c.Pages[0] + ".txt")) == text) << c.Pages[0];
  }
}

TEST_F(Dz, CpListAndTheAnsiCodePageByChoice) {
  const Result list = Run({"cp", "list"});
  ASSERT_EQ(list.Status, 0);
  for (const char* line : {"\n1251\tcharset 204\n", "\n932\tcharset 128\n", "\n65001\tcharset 254\n",
                           "\n20127\n", "(1252)"})
    EXPECT_NE(list.Out.find(line), std::string::npos) << line;
  EXPECT_EQ(list.Out.find("\n28600"), std::string::npos);
  const Result utf8 = Run({"cp", "list"}, "", {"DZ_ACP=65001", "LANG=C"});
  EXPECT_NE(utf8.Out.find("ANSI code page (65001)"), std::string::npos) << utf8.Out;
  const Result acp = Run({"cp", "convert", "--from", "0", "--to", "1251"}, "\xD0\x96", {"DZ_ACP=65001"});
  EXPECT_EQ(acp.Out, "\xC6");
}

}  // namespace
