// What hostile files and a faulty environment may not do: make a reader
// take what a file claims, block on a FIFO or read a device forever.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "deziva27/consts/YConsts.h"
#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/ResStrings.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/platform/detail/PeResources.h"
#include "deziva27/platform/detail/Version.h"
#include "support/Files.h"
#include "system/PeFixtures.h"

namespace dz {
namespace {

using test::PeFixtures;
namespace fs = std::filesystem;

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

TEST(Limits, ResourceClaimsBeyondTheLimitReadNothing) {
  DZ_NEED_PE_FIXTURES();
  std::ifstream in(PeFixtures::Path("full.dll"), std::ios::binary);
  const std::vector<uint8_t> good{std::istreambuf_iterator<char>(in), {}};
  const PeFixtures::Layout l = PeFixtures::Find(good);
  ASSERT_NE(l.VersionEntry, 0u);
  struct Case {
    uint32_t Claim, Limit;
    bool Read;
  } const cases[] = {
      {0xFFFFFFFF, win::kMaxVersionResource, false},
      {0xFFFFFFFF, win::kMaxPeResource, false},
      {win::kMaxVersionResource + 1, win::kMaxVersionResource, false},
      {win::kMaxVersionResource, win::kMaxVersionResource, true},
      {win::kMaxPeResource + 1, win::kMaxPeResource, false},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> b = good;
    const uint32_t all = 0xFFFFFFFF;
    std::memcpy(b.data() + l.VersionEntry + 4, &c.Claim, 4);
    std::memcpy(b.data() + l.SectionHeader + 8, &all, 4);
    std::memcpy(b.data() + l.SectionHeader + 16, &all, 4);
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
    EXPECT_EQ(win::ReadPeResource(readAt, uint64_t{5} << 30, win::RT_VERSION, 0, out, c.Limit), c.Read)
        << c.Claim;
    EXPECT_LE(asked, uint64_t{c.Limit} + 4096) << c.Claim;
    EXPECT_EQ(out.size(), c.Read ? c.Claim : 0u);
  }
}

TEST(Limits, VersionOfSpecialFilesAnswersAtOnce) {
  DZ_NEED_PE_FIXTURES();
  const std::string fifo = (PeFixtures::Dir() / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string sparse = (PeFixtures::Dir() / "sparse.dll").string();
  ASSERT_TRUE(PeFixtures::WriteHugeClaim(PeFixtures::Path("full.dll"), sparse, 0xFFFFF000,
                                         uint64_t{5} << 30));
  for (const std::string& file : {fifo, std::string("/dev/zero"), sparse}) {
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
