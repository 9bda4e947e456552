// PE files made by the mingw-w64 binutils from the .rc scripts in
// tests/system/data, once per test program, in a scratch folder.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace dz::test {

class PeFixtures {
 public:
  // The folder holding <name>.dll (64-bit), <name>32.dll (32-bit) and
  // full.exe for every script; empty when the tools are missing.
  static const std::filesystem::path& Dir() {
    static const std::filesystem::path dir = Build();
    return dir;
  }
  static std::string Path(const std::string& file) { return (Dir() / file).string(); }

 private:
  // Outlives the statics, which are gone when atexit handlers run.
  static std::string& Scratch() {
    static auto* s = new std::string;
    return *s;
  }
  static bool Run(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0; }

  static std::filesystem::path Build() {
    const char* data = std::getenv("DZ_SYSTEM_DATA");
    if (!data) data = std::getenv("DZ_TEST_DATA");
    std::string src = data ? data : "";
    if (src.empty() || !std::filesystem::exists(src + "/full.rc")) src = DZ_SYSTEM_DATA_FALLBACK();
    if (!Run("command -v x86_64-w64-mingw32-windres") || !Run("command -v i686-w64-mingw32-ld"))
      return {};
    char tmpl[] = "/tmp/dz-pe-XXXXXX";
    if (!::mkdtemp(tmpl)) return {};
    const std::filesystem::path dir = tmpl;
    for (const char* name : {"full", "two", "nocopyright", "notranslation", "noversion"}) {
      const std::string rc = src + "/" + name + ".rc", out = dir / name;
      // No preprocessor: the scripts need none, and mingw's cpp may be absent.
      if (!Run("x86_64-w64-mingw32-windres --preprocessor=cat " + rc + " -O coff -o " + out + ".o") ||
          !Run("x86_64-w64-mingw32-ld --dll -e 0 -o " + out + ".dll " + out + ".o") ||
          !Run("i686-w64-mingw32-windres --preprocessor=cat " + rc + " -O coff -o " + out + "32.o") ||
          !Run("i686-w64-mingw32-ld --dll -e 0 -o " + out + "32.dll " + out + "32.o"))
        return {};
    }
    if (!Run("x86_64-w64-mingw32-ld -e 0 -o " + (dir / "full.exe").string() + " " +
             (dir / "full.o").string()))
      return {};
    Scratch() = dir.string();
    std::atexit([] { std::filesystem::remove_all(Scratch()); });
    return dir;
  }

  static std::string DZ_SYSTEM_DATA_FALLBACK() {
    return (std::filesystem::path(__FILE__).parent_path() / "data").string();
  }
};

}  // namespace dz::test

#define DZ_NEED_PE_FIXTURES()                                                  \
  do {                                                                         \
    if (::dz::test::PeFixtures::Dir().empty())                                 \
      GTEST_SKIP() << "mingw-w64 binutils (windres, ld) are not installed";    \
  } while (0)
