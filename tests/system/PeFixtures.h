// PE files made by the mingw-w64 binutils from the .rc scripts in
// tests/system/data, once per test program, in a scratch folder.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/Files.h"

namespace dz::test {

class PeFixtures {
 public:
  using Bytes = std::vector<uint8_t>;
  static Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static void Write(const std::string& path, const Bytes& b) { Spit(path, {b.begin(), b.end()}); }
  static uint32_t Get32(const Bytes& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
  }
  static void Put32(Bytes& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

  // Where a PE image keeps its resources: the .rsrc section's header, file
  // offset and address, the root entry of its version resource and that
  // resource's data entry (0 when not found).
  struct Layout {
    size_t SectionHeader = 0, Rsrc = 0, RsrcRva = 0, VersionType = 0, VersionEntry = 0;
  };
  static Layout Find(const Bytes& b) {
    auto u16 = [&](size_t at) { return size_t{b[at]} | size_t{b[at + 1]} << 8; };
    Layout l;
    const size_t pe = Get32(b, 60), sections = u16(pe + 6), opt = u16(pe + 20);
    for (size_t i = 0; i < sections; ++i) {
      const size_t h = pe + 24 + opt + i * 40;
      if (std::memcmp(b.data() + h, ".rsrc", 5) == 0)
        l.SectionHeader = h, l.Rsrc = Get32(b, h + 20), l.RsrcRva = Get32(b, h + 12);
    }
    if (!l.Rsrc) return l;
    const size_t count = u16(l.Rsrc + 12) + u16(l.Rsrc + 14);
    for (size_t i = 0; i < count; ++i) {
      if (Get32(b, l.Rsrc + 16 + i * 8) != 16) continue;  // win::RT_VERSION
      l.VersionType = l.Rsrc + 16 + i * 8;
      size_t node = Get32(b, l.VersionType + 4) & 0x7FFFFFFF;
      node = Get32(b, l.Rsrc + node + 16 + 4) & 0x7FFFFFFF;        // first name
      l.VersionEntry = l.Rsrc + Get32(b, l.Rsrc + node + 16 + 4);  // first language
    }
    return l;
  }
  // A copy of good whose version resource claims Claim bytes, its section
  // claiming as much; empty when good has no version resource.
  static Bytes WithClaim(Bytes b, uint32_t Claim) {
    const Layout l = Find(b);
    if (!l.VersionEntry) return {};
    Put32(b, l.VersionEntry + 4, Claim);
    Put32(b, l.SectionHeader + 8, 0xFFFFFFFF);   // VirtualSize
    Put32(b, l.SectionHeader + 16, 0xFFFFFFFF);  // SizeOfRawData
    return b;
  }
  // That copy written to path and made FileSize long with a hole, so that
  // the claim is inside the file without taking room on the disk.
  static bool WriteHugeClaim(const std::string& good, const std::string& path, uint32_t Claim,
                             uint64_t FileSize) {
    const Bytes b = WithClaim(Read(good), Claim);
    if (b.empty()) return false;
    Write(path, b);
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
  static bool Run(const std::string& cmd) {
    return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0;
  }

  static std::filesystem::path Build() {
    // ccache may leave __FILE__ relative to the build folder, so a folder the
    // build names, then the folders the tests are told of win; the last
    // variable found, DZ_SYSTEM_DATA, most.
#ifdef DZ_SYSTEM_DATA_DIR
    std::string src = DZ_SYSTEM_DATA_DIR;
#else
    std::string src = (std::filesystem::path(__FILE__).parent_path() / "data").string();
#endif
    for (const char* var : {"DZ_ORACLE_DATA", "DZ_TEST_DATA", "DZ_SYSTEM_DATA"})
      if (const char* d = std::getenv(var))
        for (const std::string& at : {std::string(d), std::string(d) + "/../system/data"})
          if (std::filesystem::exists(at + "/full.rc")) src = at;
    if (!Run("command -v x86_64-w64-mingw32-windres") || !Run("command -v i686-w64-mingw32-ld"))
      return {};
    static const ScratchDir scratch("dz-pe");  // removed at exit, after the tests
    const std::filesystem::path dir = scratch.Path;
    for (const char* name : {"full", "two", "nocopyright", "notranslation", "noversion"}) {
      for (const std::string arch : {"x86_64", "i686"}) {
        const std::string out = (dir / name).string() + (arch == "i686" ? "32" : "");
        // No preprocessor: the scripts need none, and mingw's cpp may be absent.
        if (!Run(arch + "-w64-mingw32-windres --preprocessor=cat " + src + "/" + name +
                 ".rc -O coff -o " + out + ".o") ||
            !Run(arch + "-w64-mingw32-ld --dll -e 0 -o " + out + ".dll " + out + ".o"))
          return {};
      }
    }
    if (!Run("x86_64-w64-mingw32-ld -e 0 -o " + (dir / "full.exe").string() + " " +
             (dir / "full.o").string()))
      return {};
    return dir;
  }
};

}  // namespace dz::test

#define DZ_NEED_PE_FIXTURES()                                               \
  do {                                                                      \
    if (::dz::test::PeFixtures::Dir().empty())                              \
      GTEST_SKIP() << "mingw-w64 binutils (windres, ld) are not installed"; \
  } while (0)
