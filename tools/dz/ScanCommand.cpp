// dz scan: what the scanner makes of a file, one token a line, and the
// scanner's stop of the tour.
#include <cstdio>
#include <map>
#include <string>

#include "deziva27/scanner/YScanner.h"
#include "deziva27/strings/YStrings.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

bool StyleByName(const std::string& name, TSourceStyle& style) {
  static const std::map<std::string, TSourceStyle> styles = {
      {"pascal", ssPascal}, {"c", ssC}, {"sql", ssSQL}, {"perl", ssPerl}};
  auto it = styles.find(name);
  if (it == styles.end()) return false;
  style = it->second;
  return true;
}

// Without --style the file's extension chooses; anything unknown is Pascal.
TSourceStyle StyleByExtension(const std::string& path) {
  size_t dot = path.rfind('.');
  std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* e : {"c", "h", "cc", "cpp", "cxx", "hpp", "java", "js", "cs"})
    if (ext == e) return ssC;
  if (ext == "sql") return ssSQL;
  if (ext == "pl" || ext == "pm") return ssPerl;
  return ssPascal;
}

enum class Encoding { kUtf8, kAnsi, kAuto };

// A byte-order mark is dropped in every encoding. kAuto takes UTF-8 when the
// file is valid UTF-8, else the ANSI code page, as older sources often are.
UnicodeString DecodeText(const std::string& bytes, Encoding enc, const std::string& name) {
  std::string_view b(bytes);
  if (b.substr(0, 3) == "\xEF\xBB\xBF") b.remove_prefix(3);
  if (enc == Encoding::kAnsi) return ToUnicode(b);
  if (enc == Encoding::kAuto && InvalidUtf8At(b) != std::string_view::npos) return ToUnicode(b);
  return Utf8Text(b, name);
}

void Load(TYScanner& sc, const std::string& path, TSourceStyle style,
          Encoding enc = Encoding::kUtf8) {
  TStringList lines;
  lines.SetText(DecodeText(ReadFileOrStdin(path), enc, DisplayName(path)));
  sc.SetSourceStyle(style);
  sc.SetSource(lines);
}

std::string Literal(const UnicodeString& s) {
  return Utf16ToUtf8(QuotedCStringEx(s, true));
}

// "--name VALUE" or "--name=VALUE" at args[i]; i moves past what it used.
bool OptionValue(const Args& args, size_t& i, const std::string& name, std::string& value) {
  if (args[i] == name) {
    if (i + 1 == args.size()) throw UsageError(name + " needs a value");
    value = args[++i];
    return true;
  }
  if (args[i].rfind(name + "=", 0) != 0) return false;
  value = args[i].substr(name.size() + 1);
  return true;
}

int RunScan(const Args& args) {
  std::string path, styleName, encName = "utf-8";
  for (size_t i = 0; i < args.size(); ++i) {
    if (OptionValue(args, i, "--style", styleName) || OptionValue(args, i, "--encoding", encName)) {
      continue;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      throw UsageError("unknown option '" + args[i] + "'");
    } else if (path.empty()) {
      path = args[i];
    } else {
      throw UsageError("one FILE only");
    }
  }
  if (path.empty()) throw UsageError("FILE is missing");
  TSourceStyle style = StyleByExtension(path);
  if (!styleName.empty() && !StyleByName(styleName, style))
    throw UsageError("unknown style '" + styleName + "'");
  Encoding enc;
  if (encName == "utf-8" || encName == "utf8")
    enc = Encoding::kUtf8;
  else if (encName == "ansi")
    enc = Encoding::kAnsi;
  else if (encName == "auto")
    enc = Encoding::kAuto;
  else
    throw UsageError("unknown encoding '" + encName + "'");
  TYScanner sc;
  Load(sc, path, style, enc);
  try {
    for (sc.FirstToken(); !sc.EOS(); sc.NextToken()) {
      std::printf("%d %d %d %d %s %s\n", sc.GetTokLine(), sc.GetTokStart(), sc.GetTokEnd(),
                  sc.GetTokPos(), TokenKindName(sc.GetTokType()), Literal(sc.GetRealStr()).c_str());
    }
  } catch (const Exception& e) {
    // The scanner reads ahead, so the tokens before the bad one are printed
    // first; the message then points at it as a compiler would.
    std::fflush(stdout);
    throw FileError(DisplayName(path) + ":" + std::to_string(sc.ReadLine() + 1) + ":" +
                    std::to_string(sc.ReadColumn()) + ": " + e.what());
  }
  return kOk;
}

Register reg({"scan", "split a source file into typed tokens",
              "usage: dz scan [--style pascal|c|sql|perl] [--encoding E] FILE\n\n"
              "Prints one token a line: line (from 0), start column, end column (after\n"
              "the token), offset in the file (line ends count two), the kind and the\n"
              "text as a C literal in UTF-8. String and character literals show their\n"
              "value. Without --style the extension decides (.c .h .cpp ... C, .sql SQL,\n"
              ".pl .pm Perl, anything else Pascal). FILE may be - for standard input.\n\n"
              "FILE is read as UTF-8 (--encoding utf-8, the default; a byte-order mark\n"
              "is dropped), in the ANSI code page of the locale (--encoding ansi), or\n"
              "as UTF-8 when it is valid UTF-8 and in the ANSI code page otherwise\n"
              "(--encoding auto). Bytes that are not UTF-8 under utf-8, and text the\n"
              "scanner cannot read (a character code past 65535), stop the scan with\n"
              "FILE:LINE:COLUMN: and the reason on standard error, exit 3. Lines count\n"
              "from 1 in these messages, columns from 1 in characters (in bytes for\n"
              "the UTF-8 check).\n",
              RunScan, {"--style", "--encoding"}});

// --- The tour --------------------------------------------------------------------

void ShowSample(const char* file, TSourceStyle style) {
  TYScanner sc;
  Load(sc, SamplesDir() + "/" + file, style);
  std::map<std::string, int> kinds;
  std::string literals, unlocalized;
  for (sc.FirstToken(); !sc.EOS();) {
    ++kinds[TokenKindName(sc.GetTokType())];
    if (sc.GetTokType() == ttString || sc.GetTokType() == ttChar || sc.GetTokType() == ttLString)
      literals.append(" ").append(Literal(sc.GetRealStr()));
    if (!sc.GetToken(0).TokLocalize) unlocalized.append(" ").append(Literal(sc.GetRealStr()));
    // A Perl pattern is read whole, blanks and all.
    if (style == ssPerl && sc.GetTokStr() == u"=~")
      sc.NextTokenAsTemplate();
    else
      sc.NextToken();
  }
  std::printf("%s:", file);
  for (auto& [k, n] : kinds) std::printf(" %s %d", k.c_str(), n);
  std::printf("\n  literals:%s\n", literals.c_str());
  if (!unlocalized.empty()) std::printf("  between LOCALIZE OFF and ON:%s\n", unlocalized.c_str());
}

void ShowPiece() {
  TYScanner sc;
  Load(sc, SamplesDir() + "/scan_unit.pas", ssPascal);
  sc.FirstToken();
  while (!sc.EOS() && sc.GetTokStr() != u"begin") sc.NextToken();
  TYScannerBookmark from = sc.GetBookmark();
  bool hasElse = sc.ScanToPair(u"begin", u"end", u"else", u"", {ttIdent});
  while (!sc.EOS() && sc.GetTokStr() != u"end") sc.NextToken();
  std::printf("the body of Greet, cut between two bookmarks (has else: %s):\n%s\n",
              hasElse ? "yes" : "no",
              Utf16ToUtf8(sc.ExtractPiece(from, sc.GetBookmark(), true)).c_str());
}

void ShowScanner() {
  ShowSample("scan_unit.pas", ssPascal);
  ShowSample("scan_demo.c", ssC);
  ShowSample("scan_orders.sql", ssSQL);
  ShowSample("scan_report.pl", ssPerl);
  ShowPiece();
  std::printf("(dz scan FILE lists every token with its position)\n");
}

RegisterDemo demo({40, "Source scanner", ShowScanner});

}  // namespace
}  // namespace dz::tool
