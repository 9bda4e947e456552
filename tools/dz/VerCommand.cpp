// dz ver: the version record of PE files.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/utils/YUtils.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

std::vector<std::pair<const char*, const UnicodeString*>> Fields(const TYVersionInfoRec& r) {
  return {{"CompanyName", &r.CompanyName},         {"FileDescription", &r.FileDescription},
          {"FileVersion", &r.FileVersion},         {"InternalName", &r.InternalName},
          {"LegalCopyright", &r.LegalCopyright},   {"OriginalFilename", &r.OriginalFilename},
          {"ProductName", &r.ProductName},         {"ProductVersion", &r.ProductVersion}};
}

std::string Json(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

// Only a regular file can hold a PE image. Anything else is refused before
// it is opened: a FIFO would block the open, a device would be read forever.
void CheckFile(const std::string& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) ThrowFileError("open", file, errno);
  if (S_ISDIR(st.st_mode)) ThrowFileError("open", file, EISDIR);
  if (!S_ISREG(st.st_mode))
    throw FileError("Cannot read file \"" + file + "\". Not a regular file");
}

// Controls, C1 controls included (U+009B is a one-character CSI on some
// terminals), written \xNN or \u{NN}.
std::string Shown(const UnicodeString& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    const char16_t c = value[i];
    if (c >= 0x80 && c < 0xA0) {
      char buf[12];
      std::snprintf(buf, sizeof buf, "\\u{%02X}", static_cast<unsigned>(c));
      out += buf;
    } else {
      size_t j = i;
      while (j < value.size() && !(value[j] >= 0x80 && value[j] < 0xA0)) ++j;
      out += Visible(Utf16ToUtf8(std::u16string_view(value).substr(i, j - i)));
      i = j - 1;
    }
  }
  return out;
}

int RunVer(const Args& args) {
  bool json = false, options = true;
  std::vector<std::string> files;
  for (const std::string& a : args) {
    if (options && a == "--")
      options = false;
    else if (options && a == "--json")
      json = true;
    else if (options && a.size() > 1 && a[0] == '-')
      throw UsageError("unknown option '" + a + "'");
    else
      files.push_back(a);
  }
  if (files.empty()) throw UsageError("ver needs a FILE");
  int status = kOk;
  if (json) std::printf("[");
  bool first = true;
  for (const std::string& file : files) {
    try {
      CheckFile(file);  // a missing file or a folder says so
    } catch (const FileError& e) {
      std::fprintf(stderr, "dz ver: %s\n", Visible(e.what()).c_str());
      status = kFailed;
      continue;
    }
    TYVersionInfoRec r;
    const bool found = GetVersionInfo(ArgText(file), r);
    if (!found && status == kOk) status = kNo;
    if (json) {
      std::printf("%s\n  {\"file\": %s, \"found\": %s", first ? "" : ",", Json(file).c_str(),
                  found ? "true" : "false");
      if (found)
        for (const auto& [name, value] : Fields(r))
          std::printf(", %s: %s", Json(name).c_str(), Json(Utf16ToUtf8(*value)).c_str());
      std::printf("}");
    } else if (found) {
      // Text from the file is shown, never obeyed: an escape sequence in a
      // version string would otherwise retitle or clear the terminal.
      std::printf("%s\n", Visible(file).c_str());
      for (const auto& [name, value] : Fields(r))
        std::printf("  %-17s %s\n", name, Shown(*value).c_str());
    } else {
      std::fprintf(stderr, "dz ver: %s: no version information\n", Visible(file).c_str());
    }
    first = false;
  }
  if (json) std::printf("%s]\n", first ? "" : "\n");
  return status;
}

Register reg({"ver", "the version information of Windows programs and libraries",
              "usage: dz ver [--json] [--] FILE...\n\n"
              "Prints the version strings of each PE file (.exe, .dll, .ocx, 32 or 64 bit)\n"
              "under the first language of its translation table. --json prints one array\n"
              "of objects with \"file\", \"found\" and the strings, for scripts. Exit 1 when\n"
              "a file has no version information (Linux programs have none), 3 when a\n"
              "file cannot be read or is not a regular file. In text, control characters\n"
              "of the file's strings are shown as \\xNN (C1 ones as \\u{NN}); --json keeps\n"
              "them exact, escaped as JSON escapes them.\n",
              RunVer});

}  // namespace
}  // namespace dz::tool
