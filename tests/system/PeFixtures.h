// PE files made by the mingw-w64 binutils from the .rc scripts in
// tests/system/data, once per test program, in a scratch folder.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace dz::test {

class PeFixtures {
 public:
  // Where a PE image keeps its resources: the .rsrc section's header and
  // data, and the data entry of its version resource (0 when not found).
  struct Layout {
    size_t SectionHeader = 0, Rsrc = 0, VersionEntry = 0;
  };
  static Layout Find(const std::vector<uint8_t>& b) {
    auto u16 = [&](size_t at) { return size_t{b[at]} | size_t{b[at + 1]} << 8; };
    auto u32 = [&](size_t at) { return uint32_t(u16(at) | u16(at + 2) << 16); };
    Layout l;
    const size_t pe = u32(60), sections = u16(pe + 6), opt = u16(pe + 20);
    for (size_t i = 0; i < sections; ++i) {
      const size_t h = pe + 24 + opt + i * 40;
      if (std::memcmp(b.data() + h, ".rsrc", 5) == 0) l.SectionHeader = h, l.Rsrc = u32(h + 20);
    }
    if (!l.Rsrc) return l;
    const size_t count = u16(l.Rsrc + 12) + u16(l.Rsrc + 14);
    for (size_t i = 0; i < count; ++i) {
      if (u32(l.Rsrc + 16 + i * 8) != 16) continue;  // win::RT_VERSION
      size_t node = u32(l.Rsrc + 16 + i * 8 + 4) & 0x7FFFFFFF;
      node = u32(l.Rsrc + node + 16 + 4) & 0x7FFFFFFF;  // first name
      l.VersionEntry = l.Rsrc + u32(l.Rsrc + node + 16 + 4);  // first language
    }
    return l;
  }
  // A copy of good whose version resource claims Claim bytes (its section
  // claiming as much), written to path and made FileSize long with a hole,
  // so that the claim is inside the file without taking room on the disk.
  static bool WriteHugeClaim(const std::string& good, const std::string& path, uint32_t Claim,
                             uint64_t FileSize) {
    std::ifstream in(good, std::ios::binary);
    std::vector<uint8_t> b{std::istreambuf_iterator<char>(in), {}};
    const Layout l = Find(b);
    if (!l.VersionEntry) return false;
    const uint32_t all = 0xFFFFFFFF;
    std::memcpy(b.data() + l.VersionEntry + 4, &Claim, 4);
    std::memcpy(b.data() + l.SectionHeader + 8, &all, 4);   // VirtualSize
    std::memcpy(b.data() + l.SectionHeader + 16, &all, 4);  // SizeOfRawData
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    std::error_code ec;
    std::filesystem::resize_file(path, FileSize, ec);
    return !ec;
  }

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
