// Version resources of real PE files, of files damaged on purpose, and what
// hostile files may not do: make a reader take what a file claims, block on
// a FIFO or read a device forever.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "deziva27/consts/YConsts.h"
#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/ResStrings.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/host/runtime/System.h"
#include "deziva27/platform/detail/Module.h"
#include "deziva27/platform/detail/PeResources.h"
#include "deziva27/platform/detail/Version.h"
#include "deziva27/utils/System.h"
#include "support/Files.h"
#include "support/Oracle.h"
#include "system/PeFixtures.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
using test::PeFixtures;
using Bytes = PeFixtures::Bytes;
constexpr auto Get32 = &PeFixtures::Get32;
constexpr auto Put32 = &PeFixtures::Put32;

UnicodeString U(const std::string& s) { return Utf8ToUtf16(s); }

// The record's strings, LegalTrademarks last; Show ends each with '|'.
std::vector<UnicodeString*> Fields(TYVersionInfoRec& r) {
  return {&r.CompanyName,    &r.FileDescription,  &r.FileVersion,
          &r.InternalName,   &r.LegalCopyright,   &r.OriginalFilename,
          &r.ProductName,    &r.ProductVersion,   &r.LegalTrademarks};
}
std::string Show(TYVersionInfoRec r) {
  std::string s;
  for (const UnicodeString* f : Fields(r)) s += Utf16ToUtf8(*f) + "|";
  return s;
}
TYVersionInfoRec Sentinel() {
  TYVersionInfoRec r;
  for (UnicodeString* f : Fields(r)) *f = u"untouched";
  return r;
}

// The strings of the first translation's block; LegalTrademarks is never
// filled, so the classic form leaves it and the owning form starts it empty.
// A file without a version leaves the whole record alone.
TEST(Version, ReadsTheFirstTranslationsStrings) {
  DZ_NEED_PE_FIXTURES();
  const auto P = PeFixtures::Path;
  const char* full = "Acme Widgets Ltd|Widget engine|1.2.3.4|widget||widget.dll|Widgets|5.6";
  struct Case {
    std::string File;
    const char* Want;  // nullptr: no version
  } const cases[] = {
      // LegalCopyright present but empty.
      {P("full.dll"), full}, {P("full32.dll"), full}, {P("full.exe"), full},
      // Strings of the English block are not taken, nor kept.
      {P("two.dll"), "Acme (Deutsch)||2.0 de|||||"},
      {P("nocopyright32.dll"), "\u041e\u041e\u041e Vector||3.1||||Vector|"},
      {P("noversion.dll"), nullptr}, {P("notranslation.dll"), nullptr}, {P("nosuch.dll"), nullptr},
      {PeFixtures::Dir().string(), nullptr}, {"/proc/self/exe", nullptr},
      {P("full.rc"), nullptr}, {"", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File);
    TYVersionInfoRec r = Sentinel();
    const std::optional<TYVersionInfoRec> owned = GetVersionInfo(U(c.File));
    EXPECT_EQ(GetVersionInfo(U(c.File), r), c.Want != nullptr);
    EXPECT_EQ(Show(r), c.Want ? std::string(c.Want) + "|untouched|" : Show(Sentinel()));
    EXPECT_EQ(owned ? Show(*owned) : "none", c.Want ? std::string(c.Want) + "||" : "none");
  }
}

TEST(Version, ShortBufferNeverReadsPastIt) {
  DZ_NEED_PE_FIXTURES();
  const UnicodeString file = U(PeFixtures::Path("full.dll"));
  const win::DWORD size = win::GetFileVersionInfoSizeW(file.c_str(), nullptr);
  for (win::DWORD n : {win::DWORD{6}, win::DWORD{40}, size / 2, size - 1}) {
    std::vector<uint8_t> block(n);
    ASSERT_TRUE(win::GetFileVersionInfoW(file.c_str(), 0, n, block.data()));
    void* v;
    win::UINT len;
    if (win::VerQueryValueW(block.data(), u"\\StringFileInfo\\040904B0\\ProductVersion", &v,
                            &len)) {
      EXPECT_LE(static_cast<const uint8_t*>(v) + 2 * len, block.data() + n);
    }
  }
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
  EXPECT_EQ(DHGetFileName(), lib);
  // The shared library's own file when there is one, else the program's.
  EXPECT_EQ(lib.find(u"libdeziva27.so") != UnicodeString::npos, win::IsLibrary());
  EXPECT_EQ(lib == ParamStr(0), !win::IsLibrary());
  // An ELF program has no version resource.
  TYVersionInfoRec r = Sentinel();
  EXPECT_FALSE(GetModuleVersionInfo(0, r));
  EXPECT_EQ(Show(r), Show(Sentinel()));
  EXPECT_FALSE(GetModuleVersionInfo(0));
}

// Queries of the blocks Windows read from the recorded files
// (tests/oracle/system_version.txt): found or not, length and place.
TEST(VersionOracle, QueriesAgree) {
  std::string file;
  std::vector<uint8_t> block;
  int rows = 0;
  for (const test::oracle::Row& r : test::oracle::Rows("system_version.txt")) {
    if (r[1] != file) {
      const std::u16string p = Utf8ToUtf16(test::oracle::Path(file = r[1]));
      block.assign(win::GetFileVersionInfoSizeW(p.c_str(), nullptr), 0);
      const auto size = static_cast<win::DWORD>(block.size());
      if (!block.empty() && !win::GetFileVersionInfoW(p.c_str(), 0, size, block.data()))
        block.clear();
    }
    ASSERT_FALSE(block.empty()) << file;
    const std::u16string path = test::oracle::Text(r[2]);
    void* v = nullptr;
    win::UINT len = 99;
    const bool ok = win::VerQueryValueW(block.data(), path.c_str(), &v, &len);
    ++rows;
    ASSERT_EQ(ok, r[3] == "1") << file << " " << r[2];
    if (!ok) continue;
    EXPECT_EQ(len, std::stoul(r[4])) << file << " " << r[2];
    EXPECT_EQ(static_cast<const uint8_t*>(v) - block.data(), std::stol(r[5]))
        << file << " " << r[2];
  }
  EXPECT_GE(rows, 100);
}

// Damaged copies of a good file. Offsets are found the way the reader finds
// them, so the damage lands where it is meant to. A cut copy is refused or
// read whole; each damage leaves a file without a version, and only a block
// that is not a VS_VERSIONINFO leaves the resource itself readable.
TEST(Damaged, TruncationsBadPointersAndBlocksAreRefused) {
  DZ_NEED_PE_FIXTURES();
  const Bytes good = PeFixtures::Read(PeFixtures::Path("full.dll"));
  const PeFixtures::Layout l = PeFixtures::Find(good);
  ASSERT_NE(l.VersionEntry, 0u);
  Bytes data;
  ASSERT_TRUE(win::ReadPeResourceImage(good, win::RT_VERSION, 0, data));
  const size_t entry = l.VersionType, de = l.VersionEntry, rsrc = l.Rsrc;
  const size_t at = Get32(good, de) - l.RsrcRva + rsrc;  // the version's first byte
  for (size_t n = 0; n < good.size(); ++n) {
    Bytes cut(good.begin(), good.begin() + static_cast<long>(n)), out;
    const bool ok = win::ReadPeResourceImage(cut, win::RT_VERSION, 0, out);
    if (n < at + Get32(good, de + 4)) {
      ASSERT_FALSE(ok) << n;
    } else if (ok) {
      ASSERT_EQ(out, data) << n;
    }
  }
  const uint32_t pe = Get32(good, 60);
  struct Case {
    const char* What;
    std::function<void(Bytes&)> Damage;
    bool Resource = false;
  } const cases[] = {
      {"no MZ", [](auto& b) { b[0] = 'X'; }},
      {"e_lfanew past the end", [](auto& b) { Put32(b, 60, 0x7FFFFFF0); }},
      {"no PE signature", [pe](auto& b) { b[pe] = 'X'; }},
      {"unknown optional magic", [pe](auto& b) { b[pe + 24] = 0x77; }},
      {"type points to the root", [entry](auto& b) { Put32(b, entry + 4, 0x80000000); }},
      {"type points to itself",
       [rsrc, entry](auto& b) {
         const uint32_t node = Get32(b, entry + 4) & 0x7FFFFFFF;
         Put32(b, rsrc + node + 16 + 4, 0x80000000 | node);
       }},
      {"type points outside", [entry](auto& b) { Put32(b, entry + 4, 0x80FFFFF0); }},
      {"type points to data, not a node", [entry](auto& b) { Put32(b, entry + 4, 0x10); }},
      {"absurd entry count", [rsrc](auto& b) { Put32(b, rsrc + 12, 0xFFFF00FF); }},
      {"data size past the file", [de](auto& b) { Put32(b, de + 4, 0x7FFFFFFF); }},
      {"data size 4 GiB", [de](auto& b) { Put32(b, de + 4, 0xFFFFFFFF); }},
      {"data before its section", [de](auto& b) { Put32(b, de, 0x10); }},
      {"key not VS_VERSION_INFO", [at](auto& b) { std::memcpy(b.data() + at + 6, "X", 2); }, true},
  };
  const std::string path = (PeFixtures::Dir() / "damaged.dll").string();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    Bytes b = good, out;
    c.Damage(b);
    EXPECT_EQ(win::ReadPeResourceImage(b, win::RT_VERSION, 0, out), c.Resource);
    PeFixtures::Write(path, b);
    TYVersionInfoRec r;
    EXPECT_EQ(win::GetFileVersionInfoSizeW(U(path).c_str(), nullptr), 0u);
    EXPECT_FALSE(GetVersionInfo(U(path), r));
  }
}

// f's answer from a child process, or -1 when the child has not ended within
// five seconds: a call that blocks or reads without end fails the test
// instead of hanging it.
int InChild(const std::function<int()>& f) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(f());
  for (int i = 0; i < 500; ++i) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid)
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  return -1;
}

TEST(Limits, ResourceClaimsBeyondTheLimitReadNothingAtOnce) {
  DZ_NEED_PE_FIXTURES();
  const PeFixtures::Bytes good = PeFixtures::Read(PeFixtures::Path("full.dll"));
  struct Case {
    uint32_t Claim, Limit;
    bool Read;
  } const cases[] = {
      {0xFFFFFFFF, win::kMaxPeResource, false},
      {win::kMaxVersionResource + 1, win::kMaxVersionResource, false},
      {win::kMaxVersionResource, win::kMaxVersionResource, true},
      {win::kMaxPeResource + 1, win::kMaxPeResource, false},
  };
  for (const Case& c : cases) {
    const PeFixtures::Bytes b = PeFixtures::WithClaim(good, c.Claim);
    ASSERT_FALSE(b.empty());
    // A 5 GiB file whose bytes past the image read as zeros, as a sparse
    // file's hole does.
    uint64_t asked = 0;
    win::TPeReadAt readAt = [&](uint64_t off, void* buf, size_t n) {
      asked += n;
      auto* p = static_cast<uint8_t*>(buf);
      for (size_t k = 0; k < n; ++k) p[k] = off + k < b.size() ? b[off + k] : 0;
      return true;
    };
    std::vector<uint8_t> out;
    EXPECT_EQ(win::ReadPeResource(readAt, uint64_t{5} << 30, win::RT_VERSION, 0, out, c.Limit),
              c.Read)
        << c.Claim;
    EXPECT_LE(asked, uint64_t{c.Limit} + 4096) << c.Claim;
    EXPECT_EQ(out.size(), c.Read ? c.Claim : 0u);
  }
  // Files: such a claim in a sparse 5 GiB file, a FIFO and a device.
  const fs::path fifo = PeFixtures::Dir() / "fifo", sparse = PeFixtures::Dir() / "sparse.dll";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_TRUE(PeFixtures::WriteHugeClaim(PeFixtures::Path("full.dll"), sparse, 0xFFFFF000,
                                         uint64_t{5} << 30));
  for (const std::string& file : {fifo.string(), std::string("/dev/zero"), sparse.string()}) {
    const UnicodeString name = Utf8ToUtf16(file);
    EXPECT_EQ(InChild([&] { return int(win::GetFileVersionInfoSizeW(name.c_str(), nullptr)); }), 0)
        << file;
  }
  fs::remove(fifo);
  fs::remove(sparse);
}

TEST(Limits, StringTableFilesAreBounded) {
  const test::ScratchDir scratch("dz-table");
  const fs::path& dir = scratch.Path;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  std::ofstream(dir / "big") << "1=" << std::string(1 << 20, 'x') << "\n";
  std::ofstream(dir / "fine") << "# ok\n1=one\n";
  struct Case {
    std::string File;
    int Want;  // 0 loaded, 1 EFOpenError, 2 EConvertError
  } const cases[] = {
      {"/dev/zero", 1}, {(dir / "fifo").string(), 1}, {dir.string(), 1},
      {(dir / "big").string(), 2}, {(dir / "fine").string(), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InChild([&] {
                try {
                  LoadStringTable(HInstance, c.File);
                  return 0;
                } catch (const EFOpenError&) {
                  return 1;
                } catch (const EConvertError&) {
                  return 2;
                }
              }),
              c.Want)
        << c.File;
  }
}

}  // namespace
}  // namespace dz
