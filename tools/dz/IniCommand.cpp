// dz ini: the sectioned-list readers over an INI-like file, and the lists
// stop of the tour.
#include <cstdio>

#include "deziva27/strings/YStrings.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

std::string U8(std::u16string_view s) {
  return Utf16ToUtf8(s);
}

// The file as lines; UTF-8 with or without a byte-order mark, any line break.
void LoadLines(const std::string& path, TStringList& lines) {
  std::string bytes = ReadFileOrStdin(path);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  lines.SetText(Utf8Text(bytes, DisplayName(path)));
}

int RunIni(const Args& args) {
  if (args.empty()) throw UsageError("sections or values is missing");
  const std::string& what = args[0];
  TStringList lines, out;
  if (what == "sections") {
    if (args.size() != 2) throw UsageError("usage: dz ini sections FILE");
    LoadLines(args[1], lines);
    ReadSLSections(lines, out);
  } else if (what == "values") {
    if (args.size() != 3) throw UsageError("usage: dz ini values FILE SECTION");
    LoadLines(args[1], lines);
    const UnicodeString name = ArgText(args[2]);
    // A missing section and an empty one both give no values; only the
    // header search tells them apart.
    if (XGetSLSectionIndex(0, lines, name) < 0) return kNo;
    ReadSLSectionValues(lines, name, out);
  } else {
    throw UsageError("unknown action '" + what + "'");
  }
  for (int32_t i = 0; i < out.Count(); ++i) std::printf("%s\n", U8(out.Strings(i)).c_str());
  return kOk;
}

void ShowLists() {
  TStringList ini;
  LoadLines(SamplesDir() + "/settings.ini", ini);
  TStringList names, values;
  ReadSLSections(ini, names);
  std::printf("settings.ini has %d sections: %s\n", names.Count(),
              U8(DelimitedText(names, u',', u'"')).c_str());
  // Reading on from where the last section ended reaches the second [Window]
  // too, which a search from the top would never get past the first.
  for (int32_t i = 0, start = 0; i < names.Count(); ++i) {
    const int32_t last = XReadSLSectionValues(start, ini, names.Strings(i), values);
    std::printf("  [%s] ends at line %d:", U8(names.Strings(i)).c_str(), last);
    start = last + 1;
    for (int32_t k = 0; k < values.Count(); ++k) {
      UnicodeString name, value;
      GetNameAndValue(values.Strings(k), name, value);
      std::printf(" %s=<%s>", U8(Trim(name)).c_str(), U8(Trim(value)).c_str());
    }
    std::printf("\n");
  }

  const UnicodeString line = u"red, \"dark, blue\", 'it''s', #65#66, ";
  TStringList items;
  ComposeCommaText(line, items);
  std::printf("ComposeCommaText(%s) gives %d items:", U8(line).c_str(), items.Count());
  for (int32_t i = 0; i < items.Count(); ++i) std::printf(" <%s>", U8(items.Strings(i)).c_str());
  std::printf("\nand DelimitedText writes them back as %s\n",
              U8(DelimitedText(items, u';', u'\'')).c_str());

  const std::u16string_view files[] = {u"report.TXT", u"report.txt.bak", u"notes.md", u"a.txt"};
  std::printf("FitToTemplate *.txt (case-insensitive):");
  for (auto f : files)
    if (FitToTemplate(f, u"*.txt", false)) std::printf(" %s", U8(f).c_str());
  std::printf("\nEqualToSpaces(\"a b c\", \" abc \") = %s\n",
              EqualToSpaces(std::u16string_view(u"a b c"), u" abc ") ? "true" : "false");
}

Register reg({"ini", "list the sections or the values of an INI-like file",
              "usage: dz ini sections FILE\n"
              "       dz ini values FILE SECTION\n\n"
              "sections  prints the name of every [section] header, in order.\n"
              "values    prints the non-blank lines of SECTION (found without regard\n"
              "          to ASCII case), as they stand in the file; exit 1 when the\n"
              "          file has no such section.\n"
              "FILE is UTF-8 text, '-' for standard input. Lines are judged trimmed;\n"
              "there is no comment syntax, so ';' lines are values too.\n",
              RunIni});
RegisterDemo demo({30, "String lists, sections and templates (samples/settings.ini)", ShowLists});

}  // namespace
}  // namespace dz::tool
