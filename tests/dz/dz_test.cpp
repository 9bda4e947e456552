// dz as a user meets it: the program itself is run, with files, pipes,
// devices, terminals and signals, and judged by exit status, output and what
// is left on disk; its commands one by one after the common rules.
#include <signal.h>
#include <sys/stat.h>

#include <cstring>
#include <thread>

#include "dz/DzHarness.h"
#include "help/HelpFixtures.h"
#include "system/PeFixtures.h"

namespace {

using namespace dz::test;

// Text that takes the coder a while: varied enough not to collapse into a
// few long matches.
std::string BigText(size_t bytes) {
  std::string s;
  s.reserve(bytes);
  uint32_t x = 12345;
  while (s.size() < bytes) {
    x = x * 1103515245 + 12345;
    s += "line " + std::to_string(x % 100000) + " of the corpus, value " +
         std::to_string((x >> 8) % 977) + "\n";
  }
  return s;
}

TEST_F(Dz, EveryCommandHasHelpWithTheExitTable) {
  Result top = Run({"--help"});
  ASSERT_EQ(top.Status, 0);
  EXPECT_NE(top.Out.find("exit status:"), std::string::npos);
  // The command names are read from the list, so a new command is covered too.
  std::istringstream lines(top.Out.substr(top.Out.find("commands:\n") + 10));
  int commands = 0;
  for (std::string line; std::getline(lines, line) && line.starts_with("  ");) {
    std::string name = line.substr(2, line.find(' ', 2) - 2);
    Result r = Run({name, "--help"});
    EXPECT_EQ(r.Status, 0) << name;
    EXPECT_EQ(r.Out.rfind("usage: dz " + name, 0), 0u) << name;
    EXPECT_NE(r.Out.find("  3  a failure"), std::string::npos) << name;
    ++commands;
  }
  EXPECT_GE(commands, 6);
}

// "--help" asks for help only as an option: after "--", and as the value of
// an option, it is data like any other argument; and help stores nothing.
// With no box anywhere (no display, no terminal), the answer on standard
// input must not be taken for one from the user: that is a failure.
TEST_F(Dz, ExitStatusAndMessages) {
  NoTerminal = true;
  const std::string noBox = "dz: no message box could be shown";
  const std::string seconds = "dz info: --seconds needs a number of seconds";
  Spit(Dir / "plain.txt", "hello\n");
  Spit(Dir / "bad.txt", "ok\nb\xFF\n");
  Spit(Dir / "set.ini", "[a]\nx=1\n");
  Spit(Dir / "unit.pas", "begin\n  y := 'ok';\n  x := #$00ff00ff;\nend.\n");
  fs::create_directory(Dir / "sub");
  Check({
      {{"str", "quote", "--help"}, "", 0, "usage: dz str", ""},
      {{"str", "quote", "--", "--help"}, "", 0, "'--help'\n", ""},
      {{"match", "--", "--help", "--help"}, "", 0, "--help\n", ""},
      {{"run", "--", "--help"}, "", 3, "", "--help"},
      {{"help", "--", "--help"}, "", 3, "", "Cannot open file \"--help\""},
      {{"help", "x.chm", "--context", "--help"}, "", 2, "", "'--help' is not a context number"},
      {{"help", "--wait", "--help", "x.chm"}, "", 2, "", "--wait needs a number of seconds"},
      {{"info", "Hi", "--seconds", "--help"}, "", 2, "", "--seconds needs a number of seconds"},
      {{"lzy", "compress", "-T", "--help", "in", "out"}, "", 2, "", ""},
      {{"cp", "convert", "--from", "--help", "--to", "1252"}, "", 2, "", ""},
      {{"scan", "--style", "--help", "f.pas"}, "", 2, "", ""},
      {{"reg", "set", "K", "V", "D", "--type", "--help"}, "", 2, "", ""},
      {{}, "", 2, "", "usage: dz COMMAND"},
      {{"cp", "convert", "--to", "1252"}, "x", 2, "", ""},
      {{"cp", "convert", "--from", "65001", "--to", "1252"}, "ok\xFFno", 3, "",
       "byte offset 2 is not text in code page 65001"},
      {{"nosuch"}, "", 2, "", "unknown command 'nosuch'"},
      {{"lzy"}, "", 2, "", "missing subcommand (try 'dz lzy --help')"},
      {{"lzy", "compress", "a"}, "", 2, "", "takes IN and OUT"},
      {{"lzy", "compress", "-x", "a", "b"}, "", 2, "", "unknown option '-x'"},
      {{"lzy", "compress", "-T", "x", "a", "b"}, "", 2, "", "-T needs a thread count"},
      {{"scan"}, "", 2, "", "FILE is missing"},
      {{"scan", "--style", "cobol", "plain.txt"}, "", 2, "", "unknown style 'cobol'"},
      {{"scan", "--encoding", "ebcdic", "plain.txt"}, "", 2, "", "unknown encoding"},
      {{"str", "bogus", "x"}, "", 2, "", "unknown action 'bogus'"},
      {{"date", "name", "2024-13-01"}, "", 2, "", "is not a date written YYYY-MM-DD"},
      {{"str", "quote", "it's"}, "", 0, "'it''s'\n", ""},
      {{"str", "quote"}, "it's\n", 0, "'it''s'\n", ""},
      {{"match", "a*", "abc", "xbc"}, "", 0, "abc\n", ""},
      {{"match", "a*", "xbc"}, "", 1, "", ""},
      {{"match", "a*"}, "abc\nb\xFF\n", 3, "abc\n", "standard input:2:2: not valid UTF-8"},
      {{"date", "parse", "dd.mm.yyyy", "nonsense"}, "", 1, "", "is not a date"},
      {{"ini", "values", "set.ini", "b"}, "", 1, "", ""},
      {{"ini", "values", "set.ini", "A"}, "", 0, "x=1\n", ""},
      {{"lzy", "check", "plain.txt"}, "", 1, "not an LZY stream", ""},
      {{"lzy", "decompress", "plain.txt", "-"}, "", 3, "",
       "dz lzy: plain.txt: Wrong stream format"},
      // Bytes that are not UTF-8, wherever text is read.
      {{"str", "quote"}, "ab\xFF", 3, "",
       "standard input:1:3: not valid UTF-8 at byte offset 2 (0xFF)"},
      {{"str", "quote", "a\xC0\xAF"}, "", 3, "",
       "argument \"a\\xC0\\xAF\": not valid UTF-8 at byte offset 1"},
      {{"scan", "bad.txt"}, "", 3, "", "bad.txt:2:2: not valid UTF-8 at byte offset 4 (0xFF)"},
      {{"ini", "sections", "bad.txt"}, "", 3, "", "bad.txt:2:2: not valid UTF-8"},
      {{"scan", "--encoding", "ansi", "bad.txt"}, "", 0, "ttIdent", ""},
      {{"scan", "unit.pas"}, "", 3, "", "dz scan: unit.pas:3:8: \"#$00ff00ff\" not a character"},
      // Files that cannot be read, in the same words everywhere.
      {{"scan", "sub"}, "", 3, "", "Cannot open file \"sub\". Is a directory"},
      {{"ini", "sections", "sub"}, "", 3, "", "Cannot open file \"sub\". Is a directory"},
      {{"lzy", "compress", "sub", "x"}, "", 3, "", "Cannot open file \"sub\". Is a directory"},
      {{"lzy", "compress", "plain.txt", "sub"}, "", 3, "",
       "Cannot create file \"sub\". Is a directory"},
      // A name with controls in it is shown escaped, so that the message stays one line.
      {{"scan", "two\nlines"}, "", 3, "", "Cannot open file \"two\\x0Alines\". No such file"},
      {{"lzy", "compress", "plain.txt", "no/\x1b[2J"}, "", 3, "",
       "Cannot create file \"no/\\x1B[2J\""},
      {{"locale", "info", "x\ty"}, "", 1, "", "no locale 'x\\x09y'"},
      {{"bo\rgus"}, "", 2, "", "unknown command 'bo\\x0Dgus'"},
      {{"locale", "info", "ru-RU"}, "", 0, "0x0419", ""},
      {{"locale", "info", "ru-RU"}, "", 0, "1251", ""},
      {{"ask", "--help"}, "", 0, "3 when no box could be shown", ""},
      {{"ask", "Go on?"}, "y\n", 3, "", noBox + " (no display and no terminal)"},
      {{"ask", "--default-no", "Go on?"}, "y\n", 3, "", noBox},
      {{"ask", "--", "--help"}, "y\n", 3, "", noBox},
      {{"ask", "--default-no", "--", "-"}, "y\n", 3, "", noBox},
      {{"info", "Working", "--seconds", "0"}, "", 3, "", "dz: no window can be shown here"},
      {{"ask"}, "", 2, "", "dz ask: ask takes [--default-no] [--] TEXT (try 'dz ask --help')"},
      {{"ask", "--", "a", "b"}, "", 2, "", "dz ask: ask takes"},
      {{"ask", "--", "--", "a"}, "", 2, "", "dz ask: ask takes"},
      {{"ask", "--default-no"}, "", 2, "", "dz ask: ask takes"},
      {{"ask", "--yes", "Go?"}, "", 2, "", "dz ask: ask takes"},
      {{"ask", "caf\xC3"}, "", 3, "",
       "dz ask: argument \"caf\\xC3\": not valid UTF-8 at byte offset 3"},
      {{"ask", "two\nlines\xFF"}, "", 3, "",
       "dz ask: argument \"two\\x0Alines\\xFF\": not valid UTF-8 at byte offset 9"},
      {{"info"}, "", 2, "", "dz info: info takes TEXT [--seconds N]"},
      {{"info", "--seconds", "2"}, "", 2, "", "dz info: info takes TEXT"},
      {{"info", "Hi", "--seconds"}, "", 2, "", "dz info: --seconds needs a number"},
      {{"info", "Hi", "--seconds", "x"}, "", 2, "",
       "dz info: --seconds needs a number of seconds from 0 to 86400"},
      {{"info", "Hi", "--seconds", "-1"}, "", 2, "", seconds},
      {{"info", "Hi", "--seconds", "2s"}, "", 2, "", seconds},
      {{"info", "Hi", "--seconds", "nan"}, "", 2, "", seconds},
      {{"info", "Hi", "--seconds", "1e9"}, "", 2, "", seconds},
      {{"info", "\xFF"}, "", 3, "",
       "dz info: argument \"\\xFF\": not valid UTF-8 at byte offset 0"},
  }, kNowhere);
  EXPECT_EQ(Run({"locale", "info", "1033"}).Out, Run({"locale", "info", "0x0409"}).Out);
  const Result list = Run({"locale", "list", "--both"});
  EXPECT_GT(std::count(list.Out.begin(), list.Out.end(), '\n'), 150);
  EXPECT_EQ(Listing(),
            (std::vector<std::string>{"bad.txt", "plain.txt", "set.ini", "sub", "unit.pas"}));
  EXPECT_FALSE(fs::exists(Dir / ".registry.db"));
}

// At a terminal the question is text to read, not commands for the
// terminal; the end of input there is no answer, and says so.
TEST_F(Dz, AskAtATerminalShowsTheQuestionNotObeysIt) {
  const struct {
    std::string Text, Keys;
    int Status;
    std::string Seen;  // a part of what the terminal shows
  } cases[] = {
      {"Retitle\x1b]0;pwned\x07?", "y\n", 0, "Retitle\\x1B]0;pwned\\x07? [Y/n]"},
      {"Clear\x1b[2J\xc2\x9b" "2J?", "n\n", 1, "Clear\\x1B[2J\\xC2\\x9B2J? [Y/n]"},
      {"Back\rspace\x7f?", "\n", 0, "Back\\x0Dspace\\x7F? [Y/n]"},
      {"Two\n\tlines?", "\n", 0, "Two\r\n\tlines? [Y/n]"},
      {"Go on?", "\x04", 3, "dz ask: no answer: the input at the terminal ended\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    OnTerminal t;
    ASSERT_TRUE(t.Start(Dir, {"ask", c.Text}, kNowhere));
    ASSERT_TRUE(t.WaitFor("[Y/n] ")) << t.Seen;
    t.Type(c.Keys);
    EXPECT_EQ(t.Wait(), c.Status) << t.Seen;
    EXPECT_NE(t.Seen.find(c.Seen), std::string::npos) << t.Seen;
    EXPECT_EQ(t.Seen.find_first_of("\x1b\x07\x7f"), std::string::npos) << t.Seen;
  }
}

// Standard streams, files, a FIFO and devices: the same bytes, or a failure.
TEST_F(Dz, StreamsFilesAndSpecialFilesMeetTheSameBytes) {
  const std::string text = BigText(600000);
  const Result packed = Run({"lzy", "compress", "-", "-"}, text);
  ASSERT_EQ(packed.Status, 0) << packed.Err;
  EXPECT_LT(packed.Out.size(), text.size());
  const Result back = Run({"lzy", "decompress", "-", "-"}, packed.Out);
  ASSERT_EQ(back.Status, 0) << back.Err;
  EXPECT_TRUE(back.Out == text);
  // Standard input to a file meets the same bytes, with any thread count.
  for (const char* t : {"-T1", "-T2", "--threads=7"}) {
    ASSERT_EQ(Run({"lzy", "compress", "-f", t, "-", "out.lzy"}, text).Status, 0) << t;
    EXPECT_TRUE(Slurp(Dir / "out.lzy") == packed.Out) << t;
  }
  Spit(Dir / "in.txt", text);
  // A FIFO: its reader gets the stream and the FIFO stays a FIFO.
  ASSERT_EQ(::mkfifo((Dir / "pipe").c_str(), 0600), 0);
  std::string got;
  std::thread reader([&] { got = Slurp(Dir / "pipe"); });
  Result r = Run({"lzy", "compress", "in.txt", "pipe"});
  // On a failure the reader still waits for a writer.
  if (r.Status != 0) ::close(::open((Dir / "pipe").c_str(), O_WRONLY | O_NONBLOCK));
  reader.join();
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_TRUE(fs::is_fifo(Dir / "pipe"));
  EXPECT_TRUE(got == packed.Out);
  // A full device reports the failure; both devices stay devices.
  Check({{{"lzy", "compress", "in.txt", "/dev/full"}, "", 3, "",
          "Cannot write file \"/dev/full\". No space left on device"},
         {{"lzy", "compress", "in.txt", "/dev/null"}, "", 0, "", ""}});
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(Dz, ExistingOutputNeedsForceAndKeepsItsMode) {
  Spit(Dir / "in.txt", BigText(10000));
  Spit(Dir / "out.lzy", "old");
  ::chmod((Dir / "out.lzy").c_str(), 0640);
  fs::create_symlink("out.lzy", Dir / "link.lzy");
  Check({{{"lzy", "compress", "in.txt", "out.lzy"}, "", 3, "",
          "\"out.lzy\" already exists; use -f to replace it"},
         {{"lzy", "compress", "in.txt", "link.lzy"}, "", 3, "", "\"link.lzy\" already exists"}});
  EXPECT_EQ(Slurp(Dir / "out.lzy"), "old");
  // A symbolic link is followed: its target is replaced, the link stays.
  for (const auto& [force, out] : {std::pair{"-f", "out.lzy"}, std::pair{"--force", "link.lzy"}}) {
    Spit(Dir / "out.lzy", "old");
    ASSERT_EQ(Run({"lzy", "compress", force, "in.txt", out}).Status, 0);
    EXPECT_EQ(Run({"lzy", "check", "out.lzy"}).Status, 0);
    EXPECT_EQ(fs::status(Dir / "out.lzy").permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(fs::is_symlink(Dir / "link.lzy"));
  }
  // A dangling link names the file to create.
  fs::create_symlink("new.lzy", Dir / "dangling.lzy");
  ASSERT_EQ(Run({"lzy", "compress", "in.txt", "dangling.lzy"}).Status, 0);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Dir / "new.lzy")));
  EXPECT_EQ(Listing(), (std::vector<std::string>{"dangling.lzy", "in.txt", "link.lzy", "new.lzy",
                                                 "out.lzy"}));
}

// Waits until dz holds its output open, then signals it; nothing but the old
// OUT may be left afterwards.
TEST_F(Dz, AKilledRunLeavesNoTraceAndTheOldOutput) {
  Spit(Dir / "in.txt", BigText(48 << 20));
  struct Case {
    int Signal;
    bool NamedTemp;
  } cases[] = {{SIGTERM, false}, {SIGKILL, false}, {SIGINT, false},
               {SIGTERM, true},  {SIGINT, true},   {SIGHUP, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(strsignal(c.Signal)) + (c.NamedTemp ? ", named temp" : ""));
    Spit(Dir / "out.lzy", "old");
    std::vector<std::string> env;
    if (c.NamedTemp) env.push_back("DZ_NO_TMPFILE=1");
    pid_t pid = Start({"lzy", "compress", "-f", "in.txt", "out.lzy"}, "", env);
    // The output is open once a descriptor of dz points into Dir besides in.txt.
    bool open = false;
    for (int i = 0; i < 5000 && !open; ++i) {
      std::error_code ec;
      for (auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        std::string target = fs::read_symlink(fd.path(), ec).string();
        if (target.rfind(Dir.string(), 0) == 0 && target.find("in.txt") == std::string::npos &&
            target.find("/.std") == std::string::npos)
          open = true;
      }
      if (!open) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(open) << "dz never opened its output";
    ::kill(pid, c.Signal);
    EXPECT_EQ(Wait(pid).Status, 128 + c.Signal);
    EXPECT_EQ(Slurp(Dir / "out.lzy"), "old");
    EXPECT_EQ(Listing(), (std::vector<std::string>{"in.txt", "out.lzy"}));
  }
}


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
      {{"--from", "65001", "--to", "1252", "--substitute"}, "\xC4\x80\xE2\x88\x9E\xD0\x96", 0,
       "A8?"},
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
  for (const char* line : {"\n1251\tcharset 204\n", "\n932\tcharset 128\n",
                           "\n65001\tcharset 254\n", "\n20127\n", "(1252)"})
    EXPECT_NE(list.Out.find(line), std::string::npos) << line;
  EXPECT_EQ(list.Out.find("\n28600"), std::string::npos);
  Check({{{"cp", "list"}, "", 0, "ANSI code page (65001)", ""}}, {"DZ_ACP=65001", "LANG=C"});
  EXPECT_EQ(Run({"cp", "convert", "--from", "0", "--to", "1251"}, "\xD0\x96", {"DZ_ACP=65001"}).Out,
            "\xC6");
}

// The record as text or JSON; hostile files: a version resource claiming
// 4 GiB of a sparse file, a FIFO, a device, control characters in the
// strings, a file named like an option; and the usage faults.
TEST_F(Dz, VerPrintsTheRecordAndStandsHostileFiles) {
  Seconds = 20;
  DZ_NEED_PE_FIXTURES();
  const auto pe = [](const char* name) { return PeFixtures::Path(name); };
  ASSERT_TRUE(PeFixtures::WriteHugeClaim(pe("full.dll"), (Dir / "huge.dll").string(), 0xFFFFF000,
                                         uint64_t{5} << 30));
  ASSERT_EQ(::mkfifo((Dir / "fifo.dll").c_str(), 0600), 0);
  fs::copy_file(pe("full.dll"), Dir / "-dash.dll");
  // CompanyName "Acme Widgets Ltd" becomes a terminal title, a screen clear
  // and a C1 CSI, at the same length.
  std::string b = Slurp(pe("full.dll"));
  const std::u16string from = u"Acme Widgets Ltd", to = u"\x1b]0;T\a\x1b[2J\u009b12345";
  const size_t at = b.find(std::string(reinterpret_cast<const char*>(from.data()), 32));
  ASSERT_NE(at, std::string::npos);
  b.replace(at, 32, reinterpret_cast<const char*>(to.data()), 32);
  Spit(Dir / "escape.dll", b);
  Check({
      {{"ver", pe("full32.dll")}, "", 0, "  CompanyName       Acme Widgets Ltd\n", ""},
      {{"ver", pe("full32.dll")}, "", 0, "  ProductVersion    5.6\n", ""},
      {{"ver", "--json", pe("two.dll"), pe("noversion.dll")}, "", 1,
       "\"CompanyName\": \"Acme (Deutsch)\"", ""},
      {{"ver", "--json", pe("two.dll"), pe("noversion.dll")}, "", 1, "\"found\": false", ""},
      {{"ver", pe("nosuch.dll")}, "", 3, "",
       "dz ver: Cannot open file \"" + pe("nosuch.dll") + "\". No such file or directory\n"},
      {{"ver", "huge.dll"}, "", 1, "", "no version information"},
      {{"ver", "fifo.dll"}, "", 3, "", "Not a regular file"},
      {{"ver", "/dev/zero"}, "", 3, "", "Not a regular file"},
      {{"ver", PeFixtures::Dir().string()}, "", 3, "", "Is a directory"},
      {{"ver", "--", "-dash.dll"}, "", 0, "Acme Widgets Ltd", ""},
      {{"ver", "--"}, "", 2, "", "needs a FILE"},
      {{"ver"}, "", 2, "", ""},
      {{"ver", "--bogus", "x"}, "", 2, "", ""},
      {{"ver", "escape.dll"}, "", 0,
       "  CompanyName       \\x1B]0;T\\x07\\x1B[2J\\u{9B}12345\n", ""},
      {{"ver", "--json", "escape.dll"}, "", 0, "\"\\u001b]0;T\\u0007\\u001b[2J\u009b12345\"", ""},
  });
  EXPECT_EQ(Run({"ver", "--json", pe("two.dll"), pe("noversion.dll")}).Out.front(), '[');
}

// Nothing reaches xdg-open as an option; with --wait the child's status is
// dz's; references are expanded.
TEST_F(Dz, RunAndEnvAsTheUserMeansThem) {
  FakeOpener opener;
  opener.Install(Dir);
  Spit(Dir / "-doc.txt", "text\n");
  Check({
      {{"run", "--wait", "-e://x"}, "", 3, "", ""},  // a scheme begins with a letter
      {{"run", "--wait", "--", "-doc.txt"}, "", 0, "", ""},  // by absolute path
      {{"run", "--wait", "https://example.org/-x"}, "", 0, "", ""},
      {{"run", "--wait", "/bin/sh", "-c \"exit 42\""}, "", 42, "", ""},
      {{"run", "/bin/sh", "-c \"exit 42\""}, "", 0, "", ""},  // started is done
      {{"run", "--wait", "/bin/echo", "\"a  b\" c"}, "", 0, "a  b c\n", ""},
      {{"run", "/no/such/program"}, "", 3, "",
       "dz run: Cannot open file \"/no/such/program\". No such file or directory\n"},
      {{"run", "/tmp"}, "", 3, "", ""},
      {{"run"}, "", 2, "", ""},
      {{"run", "--wait", "x", "y", "z"}, "", 2, "", ""},
      {{"env", "x=%DZ_CMD_VAR%, %dz_cmd_var%, 50%, %DZ_CMD_UNSET%"}, "", 0,
       "x=v a l, v a l, 50%, %DZ_CMD_UNSET%\n", ""},
      {{"env"}, "", 2, "", ""},
  }, {"DZ_CMD_VAR=v a l"});
  EXPECT_EQ(opener.Lines(),
            (std::vector<std::string>{(Dir / "-doc.txt").string(), "https://example.org/-x"}));
  // 400 references to 32,000 characters: 12.8 million wanted, 32,766 given.
  std::string text;
  for (int i = 0; i < 400; ++i) text += "%DZ_CMD_BIG%";
  const Result r = Run({"env", text}, "", {"DZ_CMD_BIG=" + std::string(32000, 'a')});
  EXPECT_EQ(r.Status, 3);
  EXPECT_EQ(r.Out, std::string(32766, 'a') + "\n");
  EXPECT_EQ(r.Err, "dz env: the expansion needs 12800000 characters; it is cut at 32766, the "
                   "most Windows gives\n");
}

// A string table that is a device or a FIFO is not read when an error is
// reported: the built-in message stands.
TEST_F(Dz, StringTablesThatAreDevicesAreNotRead) {
  Seconds = 20;
  Spit(Dir / "bad.lzy", "not a stream");
  ASSERT_EQ(::mkfifo((Dir / "fifo").c_str(), 0600), 0);
  for (const std::string& table : {std::string("/dev/zero"), (Dir / "fifo").string()})
    Check({{{"lzy", "decompress", "bad.lzy", "out"}, "", 3, "", "Wrong stream format"}},
          {"DZ_STRING_TABLE=" + table});
}

// dz reg over a store of the test's own.
class DzReg : public Dz {
 protected:
  Result Reg(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), "reg");
    return Run(args, input);
  }
};

TEST_F(DzReg, SetQueryAndDeleteEveryType) {
  struct Case {
    std::vector<std::string> set;
    std::string shown;
  } cases[] = {
      {{"MainForm", "10,20,300,200"}, "    MainForm    REG_SZ    10,20,300,200\n"},
      {{"Path", "%HOME%\\x", "--type", "expand_sz"}, "    Path    REG_EXPAND_SZ    %HOME%\\x\n"},
      {{"Count", "0x10", "--type", "dword"}, "    Count    REG_DWORD    0x10\n"},
      {{"Neg", "-1", "--type=dword"}, "    Neg    REG_DWORD    0xffffffff\n"},
      {{"Big", "4294967296", "--type", "qword"}, "    Big    REG_QWORD    0x100000000\n"},
      {{"Raw", "00,ff 10", "--type", "binary"}, "    Raw    REG_BINARY    00FF10\n"},
      {{"List", "a\\0b", "--type", "multi_sz"}, "    List    REG_MULTI_SZ    a\\0b\n"},
      {{"", "default"}, "    (Default)    REG_SZ    default\n"},
  };
  std::string listing = "HKEY_CURRENT_USER\\Software\\Test\n";
  for (const Case& c : cases) {
    std::vector<std::string> args{"set", "HKCU\\Software\\Test"};
    args.insert(args.end(), c.set.begin(), c.set.end());
    ASSERT_EQ(Reg(args).Status, 0) << c.set[0];
    listing += c.shown;
  }
  Reg({"set", "Software\\Test\\Sub", "x", "y"});
  listing += "HKEY_CURRENT_USER\\Software\\Test\\Sub\n";
  EXPECT_EQ(Reg({"query", "software\\TEST"}).Out, listing);
  EXPECT_EQ(Reg({"query", "Software\\Test", "count"}).Out, "0x10\n");

  Check({
      {{"reg", "query", "Software\\None"}, "", 1, "",
       "key HKEY_CURRENT_USER\\Software\\None not found"},
      {{"reg", "query", "Software\\Test", "none"}, "", 1, "", "value \"none\" of"},
      {{"reg", "set", "K", "v", "x", "--type", "dword"}, "", 2, "", "'x' is not a 32-bit integer"},
      {{"reg", "set", "K", "v", "4294967296", "--type", "dword"}, "", 2, "",
       "not a 32-bit integer"},
      {{"reg", "set", "K", "v", "abc", "--type", "binary"}, "", 2, "", "even number of hex digits"},
      {{"reg", "set", "K", "v", "x", "--type", "float"}, "", 2, "", "unknown type 'float'"},
      {{"reg", "set", "HKLM\\Software", "v", "x"}, "", 2, "", "only HKEY_CURRENT_USER"},
      {{"reg", "set", "a\\\\b", "v", "x"}, "", 3, "", "empty segment"},
      {{"reg", "delete", "HKCU"}, "", 2, "", "cannot be deleted"},
      {{"reg", "delete", "Software\\Test", "none"}, "", 1, "", "not found"},
  });
  EXPECT_EQ(Reg({"delete", "Software\\Test", "Count"}).Status, 0);
  EXPECT_EQ(Reg({"delete", "Software\\Test"}).Status, 0);
  EXPECT_EQ(Reg({"query", "Software\\Test\\Sub"}).Status, 1);
  EXPECT_EQ(Reg({"query", "Software"}).Out, "HKEY_CURRENT_USER\\Software\n");
}

TEST_F(DzReg, ExportAndImportRoundTripAndAFailedImportChangesNothing) {
  Reg({"set", "Software\\App", "Name", "caf\xC3\xA9 \"quoted\""});
  Reg({"set", "Software\\App\\Window", "Left", "7", "--type", "dword"});
  ASSERT_EQ(Reg({"export", "Software\\App", "app.reg"}).Status, 0);
  const std::string exported = Slurp(Dir / "app.reg");
  EXPECT_EQ(exported.substr(0, 2), "\xFF\xFE");  // UTF-16LE, as regedit writes it
  EXPECT_EQ(Reg({"export", "Software\\App", "app.reg"}).Status, 3);  // no -f: kept
  EXPECT_EQ(Reg({"export", "Software\\None", "none.reg"}).Status, 1);
  EXPECT_FALSE(fs::exists(Dir / "none.reg"));

  ASSERT_EQ(Reg({"delete", "Software\\App"}).Status, 0);
  ASSERT_EQ(Reg({"import", "app.reg"}).Status, 0);
  ASSERT_EQ(Reg({"export", "-f", "Software\\App", "again.reg"}).Status, 0);
  EXPECT_EQ(Slurp(Dir / "again.reg"), exported);

  // A good first section and a damaged second one: nothing lands.
  const std::string broken =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\New]\r\n"
      "\"a\"=\"1\"\r\n[-HKEY_CURRENT_USER\\Software\\App]\r\n[HKEY_CURRENT_USER\\Software\\Bad]\r\n"
      "\"b\"=dword:xyz\r\n";
  Check({{{"reg", "import", "-"}, broken, 3, "", "line 7: bad dword data (nothing imported)"}});
  EXPECT_EQ(Reg({"query", "Software\\New"}).Status, 1);
  EXPECT_EQ(Reg({"query", "Software\\App", "Name"}).Out, "caf\xC3\xA9 \"quoted\"\n");

  // Deletions in a file apply: a key's tree and a single value.
  const std::string deletions =
      "Windows Registry Editor Version 5.00\n\n[-HKCU\\Software\\App\\Window]\n\n"
      "[HKEY_CURRENT_USER\\Software\\App]\n\"Name\"=-\n\"Added\"=hex(b):01,00,00,00,00,00,00,00\n";
  ASSERT_EQ(Reg({"import", "-"}, deletions).Status, 0);
  EXPECT_EQ(Reg({"query", "Software\\App"}).Out,
            "HKEY_CURRENT_USER\\Software\\App\n    Added    REG_QWORD    0x1\n");
}

// A .reg file of one key n levels below HKEY_CURRENT_USER.
std::string DeepKey(int levels) {
  std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER";
  for (int i = 0; i < levels; ++i) text += "\\k";
  return text + "]\n\"v\"=\"x\"\n";
}

TEST_F(DzReg, HostileInputIsRefusedWithAPlainMessage) {
  Spit(Dir / "sparse.reg", "");
  fs::resize_file(Dir / "sparse.reg", (uintmax_t{64} << 20) + 1);
  Spit(Dir / "deep.reg", DeepKey(513));
  Spit(Dir / "line.reg", "REGEDIT4\n\n[HKCU\\K]\n\"v\"=\"" + std::string(1 << 20, 'x') + "\"\n");
  Check({
      {{"reg", "import", "deep.reg"}, "", 3, "", "deeper than the 512 levels"},
      {{"reg", "import", "sparse.reg"}, "", 3, "",
       "larger than the 64 MiB a .reg file may hold (nothing imported)"},
      {{"reg", "import", "/dev/zero"}, "", 3, "", "larger than the 64 MiB"},
      {{"reg", "import", "line.reg"}, "", 3, "", "line 4: line longer than 1048576 characters"},
  });
  EXPECT_EQ(Reg({"query", "k"}).Status, 1) << "imported";
  Spit(Dir / "limit.reg", DeepKey(512));
  ASSERT_EQ(Reg({"import", "limit.reg"}).Status, 0);
  // The deepest key Windows allows goes out again, with every level.
  ASSERT_EQ(Reg({"export", "k", "out.reg"}).Status, 0);
  const std::string out = Slurp(Dir / "out.reg");
  size_t sections = 0;
  for (size_t at = 0; (at = out.find(std::string("[\0", 2), at)) != std::string::npos; ++at)
    ++sections;
  EXPECT_EQ(sections, 512u);
}

TEST_F(DzReg, QueryShowsControlCharactersEscapedAndExportKeepsThem) {
  const std::string esc = "\x1B]0;owned\x07", csi = "\xC2\x9B" "2J";
  ASSERT_EQ(Reg({"set", "Software\\T" + esc, "n" + esc, "d" + csi + "\x1B[2J"}).Status, 0);
  const std::string shown = "\\x1B]0;owned\\x07";
  EXPECT_EQ(Reg({"query", "Software"}).Out,
            "HKEY_CURRENT_USER\\Software\nHKEY_CURRENT_USER\\Software\\T" + shown + "\n");
  EXPECT_EQ(Reg({"query", "Software\\T" + esc}).Out,
            "HKEY_CURRENT_USER\\Software\\T" + shown + "\n    n" + shown +
                "    REG_SZ    d\\xC2\\x9B2J\\x1B[2J\n");
  EXPECT_EQ(Reg({"query", "Software\\T" + esc, "n" + esc}).Out, "d\\xC2\\x9B2J\\x1B[2J\n");
  ASSERT_EQ(Reg({"export", "Software", "t.reg"}).Status, 0);
  EXPECT_NE(Slurp(Dir / "t.reg").find(std::string("\x1B\0]\0" "0\0", 6)), std::string::npos);
}

TEST_F(DzReg, TheStoreFileAloneHoldsEverythingAndDamageIsReported) {
  const fs::path store = Dir / ".registry.db";
  const mode_t saved = ::umask(022);
  ASSERT_EQ(Reg({"set", "Software\\A", "v", "kept"}).Status, 0);
  ::umask(saved);
  EXPECT_EQ(fs::status(store).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(fs::exists(store.string() + "-wal"));
  // A backup is one file: the copy answers as the store did.
  fs::copy_file(store, Dir / "copy.db");
  const Result copy = Run({"reg", "query", "Software\\A", "v"}, "",
                          {"DZ_REGISTRY=" + (Dir / "copy.db").string()});
  EXPECT_EQ(copy.Status, 0) << copy.Err;
  EXPECT_EQ(copy.Out, "kept\n");
  fs::resize_file(store, 0);
  Check({{{"reg", "query", "Software\\A"}, "", 3, "", "is damaged: the file is empty"}});
  EXPECT_EQ(fs::file_size(store), 0u);
  fs::copy_file(Dir / "copy.db", store, fs::copy_options::overwrite_existing);
  EXPECT_EQ(Reg({"check"}).Status, 0);

  // A store too large to be read whole on every open: damage inside it is
  // what check is for.
  std::string many = "REGEDIT4\n\n[HKCU\\Many]\n";
  for (int i = 0; i < 3000; ++i) many += "\"v" + std::to_string(i) + "\"=\"some setting\"\n";
  Spit(Dir / "many.reg", many);
  ASSERT_EQ(Reg({"import", "many.reg"}).Status, 0);
  ASSERT_GT(fs::file_size(store), 40u * 4096);
  {
    std::fstream f(store, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(30 * 4096);
    f << std::string(4096, '\xA5');
  }
  EXPECT_EQ(Reg({"query", "Software\\A", "v"}).Out, "kept\n");
  Check({{{"reg", "check"}, "", 3, "", "is damaged: "}});
}

// dz help with a stand-in xdg-open on PATH that records the pages it is
// given, and how long those pages stay.
class DzHelp : public Dz {
 protected:
  void SetUp() override {
    Opener.Install(Dir);
    if (!HaveProgram("chmcmd")) GTEST_SKIP() << "chmcmd (fp-utils) is not installed";
    if (!fs::exists(fs::path(DzPath()).parent_path() / "hhctrl.so"))
      GTEST_SKIP() << "the hhctrl plug-in was not built beside dz";
    ASSERT_FALSE(CompileBook(Dir / "book", SampleBook(), "book.chm").empty());
    fs::create_directories(Dir / "tmp");
    Tmp = {"TMPDIR=" + (Dir / "tmp").string()};
  }
  FakeOpener Opener;
  std::vector<std::string> Tmp;
};

// What is wrong with the arguments or the file, in one plain line; none of
// these may reach the plug-in, and nothing is left in the temporary folder.
// The control reads "file>window": a '>' of a file's own name must not make
// dz check one file and show another.
TEST_F(DzHelp, ExitCodesAndMessages) {
  fs::create_directories(Dir / "folder.chm");
  // Opening a FIFO would wait for a writer that never comes.
  ASSERT_EQ(::mkfifo((Dir / "pipe.chm").c_str(), 0600), 0);
  fs::copy_file(Dir / "book/book.chm", Dir / "x>y.chm");
  Spit(Dir / "x", "not a help file");
  Check({
      {{"help", "book/book.chm", "--wait", "0"}, "", 0, "", ""},
      {{"help", "--wait", "0", "book/book.chm::/index.htm"}, "", 0, "", ""},
      {{"help", "--wait", "0", "x>y.chm"}, "", 0, "", ""},
      {{"help", "--wait", "0", "x>y.chm::/index.htm"}, "", 0, "", ""},
      {{"help"}, "", 0, "usage: dz", ""},  // dz's own help
      {{"help", "--wait", "0", "book/book.chm>main"}, "", 3, "",
       "dz help: Cannot open file \"book/book.chm>main\""},
      {{"help", "book/book.chm::/none.htm"}, "", 3, "",
       "dz help: cannot show book/book.chm::/none.htm"},
      {{"help", "book/book.chm", "--context", "5"}, "", 3, "", "context number is not mapped"},
      {{"help", "book/index.htm"}, "", 3, "", "cannot show"},
      {{"help", "missing.chm"}, "", 3, "", "Cannot open file \"missing.chm\""},
      {{"help", "book/book.chm", "--toc", "--index"}, "", 2, "", "give one of"},
      {{"help", "book/book.chm", "--context", "x"}, "", 2, "", "not a context number"},
      {{"help", "book/book.chm::/index.htm", "--toc"}, "", 2, "", "a topic goes with FILE alone"},
      {{"help", "folder.chm"}, "", 3, "", "dz help: Cannot open file \"folder.chm\""},
      {{"help", "folder.chm::/index.htm"}, "", 3, "", "dz help: Cannot open file \"folder.chm\""},
      {{"help", "pipe.chm"}, "", 3, "", "dz help: \"pipe.chm\" is not a regular file"},
      {{"help", "book/b\xE9.chm"}, "", 3, "",
       "dz help: argument \"book/b\\xE9.chm\": not valid UTF-8 at byte offset 6"},
      {{"help", "book/book.chm::/\xC0\xAF"}, "", 3, "", "dz help: argument"},
      {{"help", "--toc"}, "", 2, "", "dz help: help needs a FILE (try 'dz help --help')"},
      {{"help", "a.chm", "b.chm"}, "", 2, "", "dz help: one FILE only"},
      {{"help", "book/book.chm", "--topic"}, "", 2, "", "dz help: unknown option '--topic'"},
      {{"help", "book/book.chm", "--context"}, "", 2, "", "dz help: --context needs a number"},
      {{"help", "book/book.chm", "--context", "99999999999"}, "", 2, "",
       "dz help: '99999999999' is not a context number"},
      {{"help", "book/book.chm", "--wait", "-1"}, "", 2, "",
       "dz help: --wait needs a number of seconds"},
      {{"help", "book/book.chm", "--wait", "86401"}, "", 2, "", "dz help: --wait needs a number"},
      {{"help", "book/book.chm", "--wait"}, "", 2, "", "dz help: --wait needs a number of seconds"},
      // A C1 control in UTF-8: some terminals read U+009B as ESC [.
      {{"help", "\xC2\x9B" "2J.chm"}, "", 3, "", "dz help: Cannot open file \"\\xC2\\x9B2J.chm\""},
  }, Tmp);
  for (size_t n = 1; n <= 4; ++n) EXPECT_TRUE(Opener.Nth(n).ends_with("/index.htm")) << n;
  EXPECT_TRUE(fs::is_empty(Dir / "tmp"));
  Check({{{"help", "book/book.chm"}, "", 3, "", "dz help: Can't load Library 'hhctrl.ocx'\n"}},
        {"DZ_HHCTRL_PATH=/nonexistent.so"});
}

// The browser reads the pages after dz has handed them over: they stay for
// --wait seconds, or at a terminal until Enter, and a signal never leaves
// them behind.
TEST_F(DzHelp, PagesStayForTheBrowserAndGoOnASignal) {
  const std::vector<std::string> book{"help", "book/book.chm"};
  struct Case {
    const char* What;
    bool AtTerminal;
    std::vector<std::string> Args;
    std::string Keys;  // typed at the prompt
    int Signal;        // sent once the page is opened; 0: none
    int Status;
  } cases[] = {
      {"the wait ends", false, {"help", "book/book.chm", "--wait", "2"}, "", 0, 0},
      {"SIGTERM", false, book, "", SIGTERM, 128 + SIGTERM},
      {"SIGINT", false, book, "", SIGINT, 128 + SIGINT},
      {"SIGHUP", false, {"help", "book/book.chm::/index.htm"}, "", SIGHUP, 128 + SIGHUP},
      {"Enter", true, book, "\n", 0, 0},
      {"end of input", true, book, "\x04", 0, 0},
      {"Ctrl-C", true, book, "\x03", 0, 128 + SIGINT},
      {"SIGTERM at a terminal", true, book, "", SIGTERM, 128 + SIGTERM},
      {"SIGHUP at a terminal", true, book, "", SIGHUP, 128 + SIGHUP},
  };
  NoTerminal = true;
  size_t opened = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    OnTerminal t;
    if (c.AtTerminal) {
      ASSERT_TRUE(t.Start(Dir, c.Args, Tmp));
      ASSERT_TRUE(t.WaitFor("press Enter when done")) << t.Seen;
    }
    const pid_t pid = c.AtTerminal ? t.Pid : Start(c.Args, "", Tmp);
    EXPECT_EQ(Slurp(Opener.Nth(++opened)), Slurp(Dir / "book/index.htm"));
    if (!c.Keys.empty()) t.Type(c.Keys);
    if (c.Signal) ::kill(pid, c.Signal);
    EXPECT_EQ(c.AtTerminal ? t.Wait() : Wait(pid).Status, c.Status) << t.Seen;
    EXPECT_TRUE(fs::is_empty(Dir / "tmp"));
  }
}

}  // namespace
