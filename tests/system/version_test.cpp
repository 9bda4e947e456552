// Version resources of real PE files, and of files damaged on purpose.
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/host/runtime/System.h"
#include "deziva27/platform/detail/Module.h"
#include "deziva27/platform/detail/PeResources.h"
#include "deziva27/platform/detail/Version.h"
#include "deziva27/utils/System.h"
#include "system/PeFixtures.h"

namespace dz {
namespace {

using test::PeFixtures;

std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

TYVersionInfoRec Sentinel() {
  TYVersionInfoRec r;
  for (UnicodeString* f : {&r.CompanyName, &r.FileDescription, &r.FileVersion, &r.InternalName,
                           &r.LegalCopyright, &r.LegalTrademarks, &r.OriginalFilename,
                           &r.ProductVersion, &r.ProductName})
    *f = u"untouched";
  return r;
}

bool Same(const TYVersionInfoRec& a, const TYVersionInfoRec& b) {
  return a.CompanyName == b.CompanyName && a.FileDescription == b.FileDescription &&
         a.FileVersion == b.FileVersion && a.InternalName == b.InternalName &&
         a.LegalCopyright == b.LegalCopyright && a.LegalTrademarks == b.LegalTrademarks &&
         a.OriginalFilename == b.OriginalFilename && a.ProductVersion == b.ProductVersion &&
         a.ProductName == b.ProductName;
}

UnicodeString U(const std::string& s) { return Utf8ToUtf16(s); }

class Version : public ::testing::Test {
 protected:
  void SetUp() override { DZ_NEED_PE_FIXTURES(); }
};

TEST_F(Version, ReadsEveryStringOf32And64BitFiles) {
  for (const char* file : {"full.dll", "full32.dll", "full.exe"}) {
    SCOPED_TRACE(file);
    TYVersionInfoRec r = Sentinel();
    ASSERT_TRUE(GetVersionInfo(U(PeFixtures::Path(file)), r));
    EXPECT_EQ(r.CompanyName, u"Acme Widgets Ltd");
    EXPECT_EQ(r.FileDescription, u"Widget engine");
    EXPECT_EQ(r.FileVersion, u"1.2.3.4");
    EXPECT_EQ(r.InternalName, u"widget");
    EXPECT_EQ(r.LegalCopyright, u"");  // present but empty
    EXPECT_EQ(r.OriginalFilename, u"widget.dll");
    EXPECT_EQ(r.ProductName, u"Widgets");
    EXPECT_EQ(r.ProductVersion, u"5.6");
    EXPECT_EQ(r.LegalTrademarks, u"untouched");  // never filled
  }
}

TEST_F(Version, FirstTranslationNamesTheBlock) {
  TYVersionInfoRec r = Sentinel();
  ASSERT_TRUE(GetVersionInfo(U(PeFixtures::Path("two.dll")), r));
  EXPECT_EQ(r.CompanyName, u"Acme (Deutsch)");
  EXPECT_EQ(r.FileVersion, u"2.0 de");
  EXPECT_EQ(r.ProductName, u"");  // not in that block: empty, not kept
}

TEST_F(Version, MissingStringBecomesEmpty) {
  TYVersionInfoRec r = Sentinel();
  ASSERT_TRUE(GetVersionInfo(U(PeFixtures::Path("nocopyright32.dll")), r));
  EXPECT_EQ(r.LegalCopyright, u"");
  EXPECT_EQ(r.FileDescription, u"");
  EXPECT_EQ(r.CompanyName, u"\u041e\u041e\u041e Vector");
  EXPECT_EQ(r.ProductName, u"Vector");
}

TEST_F(Version, FailureLeavesTheRecordAlone) {
  for (const std::string& file :
       {PeFixtures::Path("noversion.dll"), PeFixtures::Path("notranslation.dll"),
        PeFixtures::Path("nosuch.dll"), PeFixtures::Dir().string(), std::string("/proc/self/exe"),
        PeFixtures::Path("full.rc"), std::string("")}) {
    SCOPED_TRACE(file);
    TYVersionInfoRec r = Sentinel();
    EXPECT_FALSE(GetVersionInfo(U(file), r));
    EXPECT_TRUE(Same(r, Sentinel()));
  }
}

TEST_F(Version, ShortBufferNeverReadsPastIt) {
  const UnicodeString file = U(PeFixtures::Path("full.dll"));
  const win::DWORD size = win::GetFileVersionInfoSizeW(file.c_str(), nullptr);
  for (win::DWORD n : {win::DWORD{6}, win::DWORD{40}, size / 2, size - 1}) {
    std::vector<uint8_t> block(n);
    ASSERT_TRUE(win::GetFileVersionInfoW(file.c_str(), 0, n, block.data()));
    void* v;
    win::UINT len;
    if (win::VerQueryValueW(block.data(), u"\\StringFileInfo\\040904B0\\ProductVersion", &v, &len)) {
      EXPECT_LE(static_cast<const uint8_t*>(v) + 2 * len, block.data() + n);
    }
  }
}

TEST_F(Version, ModuleOfAnElfProgramHasNone) {
  TYVersionInfoRec r = Sentinel();
  EXPECT_FALSE(GetModuleVersionInfo(0, r));
  EXPECT_TRUE(Same(r, Sentinel()));
}

TEST(Module, FileNamesOfProgramAndLibrary) {
  char16_t buf[4096];
  const win::DWORD n = win::GetModuleFileNameW(0, buf, 4096);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(UnicodeString(buf, n), ParamStr(0));
  // Cut short: as much as fits, a NUL, and the buffer's size.
  EXPECT_EQ(win::GetModuleFileNameW(0, buf, 5), 5u);
  EXPECT_EQ(UnicodeString(buf), ParamStr(0).substr(0, 4));
  EXPECT_EQ(win::GetModuleFileNameW(0x10, buf, 4096), 0u);
  const win::DWORD m = win::GetModuleFileNameW(win::LibraryModule(), buf, 4096);
  ASSERT_GT(m, 0u);
  const UnicodeString lib(buf, m);
  if (win::IsLibrary()) {
    EXPECT_NE(lib.find(u"libdeziva27.so"), UnicodeString::npos);
    EXPECT_EQ(DHGetFileName(), lib);
  } else {
    EXPECT_EQ(lib, ParamStr(0));
    EXPECT_EQ(DHGetFileName(), ParamStr(0));
  }
}

// Damaged copies of a good file. Offsets are found the way the reader finds
// them, so the damage lands where it is meant to.
class Damaged : public Version {
 protected:
  void SetUp() override {
    Version::SetUp();
    if (IsSkipped()) return;
    good = Bytes(PeFixtures::Path("full.dll"));
    const uint32_t pe = Get32(good, 60);
    const size_t sections = good[pe + 6] | good[pe + 7] << 8;
    const size_t opt = good[pe + 20] | good[pe + 21] << 8;
    for (size_t i = 0; i < sections; ++i) {
      const size_t s = pe + 24 + opt + i * 40;
      if (std::memcmp(good.data() + s, ".rsrc", 5) == 0) {
        rsrc = Get32(good, s + 20);
        rsrcRva = Get32(good, s + 12);
      }
    }
    ASSERT_GT(rsrc, 0u);
    ASSERT_TRUE(win::ReadPeResourceImage(good, win::RT_VERSION, 0, data));
  }
  // The entry for RT_VERSION in the root node (string tables come first).
  size_t VersionEntry() const {
    const size_t count = (good[rsrc + 12] | good[rsrc + 13] << 8) + (good[rsrc + 14] | good[rsrc + 15] << 8);
    for (size_t i = 0; i < count; ++i)
      if (Get32(good, rsrc + 16 + i * 8) == win::RT_VERSION) return rsrc + 16 + i * 8;
    return 0;
  }
  size_t DataEntry() const {
    size_t node = Get32(good, VersionEntry() + 4) & 0x7FFFFFFF;
    node = Get32(good, rsrc + node + 16 + 4) & 0x7FFFFFFF;  // first name
    return rsrc + (Get32(good, rsrc + node + 16 + 4));       // first language
  }
  bool Reads(const std::vector<uint8_t>& image) {
    std::vector<uint8_t> out;
    return win::ReadPeResourceImage(image, win::RT_VERSION, 0, out);
  }
  std::vector<uint8_t> good, data;
  uint32_t rsrc = 0, rsrcRva = 0;
};

TEST_F(Damaged, EveryTruncationIsRefusedOrExact) {
  const size_t dataEnd = Get32(good, DataEntry()) - rsrcRva + rsrc + Get32(good, DataEntry() + 4);
  for (size_t n = 0; n < good.size(); ++n) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
    std::vector<uint8_t> out;
    const bool ok = win::ReadPeResourceImage(cut, win::RT_VERSION, 0, out);
    if (n < dataEnd) {
      ASSERT_FALSE(ok) << n;
    } else if (ok) {
      ASSERT_EQ(out, data) << n;
    }
  }
}

TEST_F(Damaged, BadPointersAreRefused) {
  struct Case {
    const char* What;
    std::function<void(std::vector<uint8_t>&)> Break;
  };
  const size_t entry = VersionEntry(), de = DataEntry();
  const uint32_t pe = Get32(good, 60);
  const std::vector<Case> cases = {
      {"no MZ", [](auto& b) { b[0] = 'X'; }},
      {"e_lfanew past the end", [](auto& b) { Put32(b, 60, 0x7FFFFFF0); }},
      {"no PE signature", [pe](auto& b) { b[pe] = 'X'; }},
      {"unknown optional magic", [pe](auto& b) { b[pe + 24] = 0x77; }},
      {"type points to the root", [entry](auto& b) { Put32(b, entry + 4, 0x80000000); }},
      {"type points to itself", [this, entry](auto& b) {
         const uint32_t node = Get32(b, entry + 4) & 0x7FFFFFFF;
         Put32(b, rsrc + node + 16 + 4, 0x80000000 | node);
       }},
      {"type points outside", [entry](auto& b) { Put32(b, entry + 4, 0x80FFFFF0); }},
      {"type points to data, not a node", [entry](auto& b) { Put32(b, entry + 4, 0x10); }},
      {"absurd entry count", [this](auto& b) { b[rsrc + 14] = 0xFF; b[rsrc + 15] = 0xFF; b[rsrc + 12] = 0xFF; }},
      {"data size past the file", [de](auto& b) { Put32(b, de + 4, 0x7FFFFFFF); }},
      {"data size 4 GiB", [de](auto& b) { Put32(b, de + 4, 0xFFFFFFFF); }},
      {"data before its section", [de](auto& b) { Put32(b, de, 0x10); }},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> b = good;
    c.Break(b);
    EXPECT_FALSE(Reads(b)) << c.What;
  }
}

TEST_F(Damaged, BrokenVersionBlockIsNoVersion) {
  // A resource that is there but is not a VS_VERSIONINFO.
  std::vector<uint8_t> b = good;
  const size_t at = Get32(good, DataEntry()) - rsrcRva + rsrc;
  std::memcpy(b.data() + at + 6, "X\0", 2);
  const std::string path = (PeFixtures::Dir() / "badkey.dll").string();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                              static_cast<std::streamsize>(b.size()));
  TYVersionInfoRec r = Sentinel();
  EXPECT_EQ(win::GetFileVersionInfoSizeW(U(path).c_str(), nullptr), 0u);
  EXPECT_FALSE(GetVersionInfo(U(path), r));
}

TEST_F(Version, OwningFormsAnswerAsTheClassicOnes) {
  const std::optional<TYVersionInfoRec> full = GetVersionInfo(U(PeFixtures::Path("full32.dll")));
  ASSERT_TRUE(full);
  EXPECT_EQ(full->CompanyName, u"Acme Widgets Ltd");
  EXPECT_EQ(full->ProductVersion, u"5.6");
  EXPECT_EQ(full->LegalTrademarks, u"");  // never filled, so it starts empty
  EXPECT_FALSE(GetVersionInfo(U(PeFixtures::Path("notranslation.dll"))));
  EXPECT_FALSE(GetModuleVersionInfo(0));
}

}  // namespace
}  // namespace dz
