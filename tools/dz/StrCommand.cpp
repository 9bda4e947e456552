// dz str: the quoting pairs at a shell prompt, and the strings stop of the tour.
#include <cstdio>

#include "deziva27/strings/YStrings.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

// Standard input loses one trailing line break, as the shell's $(...) does,
// so that `echo it\'s | dz str quote` quotes what was typed.
std::string StdinText() {
  std::string s = ReadFileOrStdin("-");
  if (!s.empty() && s.back() == '\n') s.pop_back();
  if (!s.empty() && s.back() == '\r') s.pop_back();
  return s;
}

int RunStr(const Args& args) {
  size_t i = 0;
  WideChar quote = u'\'';
  if (args.empty()) throw UsageError("ACTION is missing");
  const std::string action = args[i++];
  for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
    if (args[i] == "--") {
      ++i;
      break;
    }
    if (args[i] != "-q" || i + 1 == args.size())
      throw UsageError("unknown option '" + args[i] + "'");
    UnicodeString q = ArgText(args[++i]);
    if (q.size() != 1) throw UsageError("the quote must be one character");
    quote = q[0];
  }
  if (args.size() > i + 1) throw UsageError("one TEXT at most");
  const UnicodeString text =
      i < args.size() ? ArgText(args[i]) : Utf8Text(StdinText(), "standard input");
  UnicodeString out;
  if (action == "quote")
    out = QuotedString(text, quote);
  else if (action == "unquote")
    out = UnquotedString(text, quote);
  else if (action == "cquote")
    out = QuotedCString(text);
  else if (action == "cunquote")
    out = UnquotedCString(text);
  else
    throw UsageError("unknown action '" + action + "'");
  std::string bytes = Utf16ToUtf8(out);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fputc('\n', stdout);
  return kOk;
}

void Show(const char* what, const UnicodeString& value) {
  std::printf("  %-36s %s\n", what, Utf16ToUtf8(value).c_str());
}

void ShowStrings() {
  const std::string path = SamplesDir() + "/strings_sample.txt";
  UnicodeString all = Utf8ToUtf16(ReadFileOrStdin(path));
  std::printf("%s\n", path.c_str());
  // Paths first, one a line up to the blank line; the sentence after it.
  UnicodeString sentence;
  bool paths = true;
  for (UnicodeString rest = all; !rest.empty();) {
    size_t nl = rest.find(u'\n');
    UnicodeString line = rest.substr(0, nl);
    rest = nl == UnicodeString::npos ? UnicodeString() : rest.substr(nl + 1);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    if (line.starts_with(u"#")) continue;
    if (line.empty()) {
      paths = false;
      continue;
    }
    if (!paths) {
      sentence = line;
      break;
    }
    std::printf("  %s\n", Utf16ToUtf8(line).c_str());
    Show("    OnlyFileName", OnlyFileName(line));
    Show("    YExtractFileExt (first dot)", YExtractFileExt(line));
    Show("    YChangeFileExt .bak", YChangeFileExt(line, u".bak"));
  }
  Show("ConcPath C:\\a\\ + \\b (16-bit)", ConcPath(u"C:\\a\\", u"\\b"));
  Show("ConcPath C:\\a\\ + \\b (8-bit)", ToUnicode(ConcPath("C:\\a\\", "\\b")));
  std::printf("  sentence: %s\n", Utf16ToUtf8(sentence).c_str());
  const UnicodeString pascal = QuotedString(sentence, u'\'');
  Show("QuotedString", pascal);
  Show("QuotedCString", QuotedCString(sentence));
  std::printf("  %-36s %s\n", "both read back",
              UnquotedString(pascal, u'\'') == sentence &&
                      UnquotedCString(QuotedCString(sentence)) == sentence
                  ? "yes"
                  : "NO");
  Show("CXPos needle, 2nd", IntToStr(CXPos(u"needle", sentence, 1, 2)));
  Show("BXPos needle from the end", IntToStr(BXPos(u"needle", sentence, -1, 1)));
  Show("XReplaceStr needle -> pin, caseless", XReplaceStr(sentence, u"needle", u"pin", false));
  Show("HexToInt FF", IntToStr(HexToInt(u"FF")));
  Show("SafeStrToInt 123abc", IntToStr(SafeStrToInt(u"123abc")));
  Show("XFloatToStr 0.5", XFloatToStr(0.5));
}

Register reg({"str", "quote and unquote Pascal and C literals",
              "usage: dz str ACTION [-q QUOTE] [TEXT]\n\n"
              "ACTION is one of\n"
              "  quote     TEXT as a Pascal literal: 'it''s'#13#10\n"
              "  unquote   the value of the Pascal literal at the start of TEXT\n"
              "  cquote    TEXT as a double-quoted C literal with backslash escapes\n"
              "  cunquote  the value of the C literal that TEXT starts with\n"
              "-q QUOTE picks the Pascal quote character (an apostrophe by default).\n"
              "Without TEXT, standard input is read, less one trailing line break.\n"
              "Text is UTF-8 at the shell and UTF-16 inside; the result is printed with\n"
              "a line break after it.\n",
              RunStr, {"-q"}});

RegisterDemo demo({20, "Strings: quoting, search, file names", ShowStrings});

}  // namespace
}  // namespace dz::tool
