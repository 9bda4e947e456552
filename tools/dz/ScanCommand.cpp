// dz scan: what the scanner makes of a file, one token a line, and the
// scanner's stop of the tour.
#include <cstdio>
#include <map>
#include <string>

#include "deziva27/scanner/YScanner.h"
#include "deziva27/strings/YStrings.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

const char* KindName(TYTokenType t) {
  static const char* const names[] = {"ttUnknown",  "ttIdent",    "ttReservedWord", "ttSeparator",
                                      "ttChar",     "ttString",   "ttLString",      "ttNumber",
                                      "ttVariable", "ttFunction", "ttStrTemplate"};
  return t <= ttStrTemplate ? names[t] : "?";
}

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

// Files are read as UTF-8 when they are valid UTF-8 (a BOM is dropped), else
// in the ANSI code page.
UnicodeString DecodeText(const std::string& bytes) {
  std::string_view b(bytes);
  if (b.substr(0, 3) == "\xEF\xBB\xBF") b.remove_prefix(3);
  if (b.empty()) return {};
  UnicodeString u = UTF8Decode(b);
  return u.empty() ? ToUnicode(b) : u;
}

void Load(TYScanner& sc, const std::string& path, TSourceStyle style) {
  TStringList lines;
  lines.SetText(DecodeText(ReadFileOrStdin(path)));
  sc.SetSourceStyle(style);
  sc.SetSource(lines);
}

std::string Literal(const UnicodeString& s) {
  return Utf16ToUtf8(QuotedCStringEx(s, true));
}

int RunScan(const Args& args) {
  std::string path, styleName;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--style") {
      if (++i == args.size()) throw UsageError("--style needs a value");
      styleName = args[i];
    } else if (args[i].rfind("--style=", 0) == 0) {
      styleName = args[i].substr(8);
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
  TYScanner sc;
  Load(sc, path, style);
  for (sc.FirstToken(); !sc.EOS(); sc.NextToken()) {
    std::printf("%d %d %d %d %s %s\n", sc.GetTokLine(), sc.GetTokStart(), sc.GetTokEnd(),
                sc.GetTokPos(), KindName(sc.GetTokType()), Literal(sc.GetRealStr()).c_str());
  }
  return kOk;
}

Register reg({"scan", "split a source file into typed tokens",
              "usage: dz scan [--style pascal|c|sql|perl] FILE\n\n"
              "Prints one token a line: line (from 0), start column, end column (after\n"
              "the token), offset in the file (line ends count two), the kind and the\n"
              "text as a C literal in UTF-8. String and character literals show their\n"
              "value. Without --style the extension decides (.c .h .cpp ... C, .sql SQL,\n"
              ".pl .pm Perl, anything else Pascal). FILE may be - for standard input.\n",
              RunScan});

// --- The tour --------------------------------------------------------------------

void ShowSample(const char* file, TSourceStyle style) {
  TYScanner sc;
  Load(sc, SamplesDir() + "/" + file, style);
  std::map<std::string, int> kinds;
  std::string literals, unlocalized;
  for (sc.FirstToken(); !sc.EOS();) {
    ++kinds[KindName(sc.GetTokType())];
    if (sc.GetTokType() == ttString || sc.GetTokType() == ttChar || sc.GetTokType() == ttLString)
      literals += " " + Literal(sc.GetRealStr());
    if (!sc.GetToken(0).TokLocalize) unlocalized += " " + Literal(sc.GetRealStr());
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
