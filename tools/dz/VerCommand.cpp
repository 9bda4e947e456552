// dz ver: the version record of PE files.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "deziva27/host/Strings.h"
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

int RunVer(const Args& args) {
  bool json = false;
  std::vector<std::string> files;
  for (const std::string& a : args) {
    if (a == "--json")
      json = true;
    else if (a.size() > 1 && a[0] == '-')
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
      ::close(OpenForReading(file));  // a missing file or a folder says so
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
      std::printf("%s\n", file.c_str());
      for (const auto& [name, value] : Fields(r))
        std::printf("  %-17s %s\n", name, Utf16ToUtf8(*value).c_str());
    } else {
      std::fprintf(stderr, "dz ver: %s: no version information\n", Visible(file).c_str());
    }
    first = false;
  }
  if (json) std::printf("%s]\n", first ? "" : "\n");
  return status;
}

Register reg({"ver", "the version information of Windows programs and libraries",
              "usage: dz ver [--json] FILE...\n\n"
              "Prints the version strings of each PE file (.exe, .dll, .ocx, 32 or 64 bit)\n"
              "under the first language of its translation table. --json prints one array\n"
              "of objects with \"file\", \"found\" and the strings, for scripts. Exit 1 when\n"
              "a file has no version information (Linux programs have none), 3 when a\n"
              "file cannot be read.\n",
              RunVer});

}  // namespace
}  // namespace dz::tool
