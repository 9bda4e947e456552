// Starting programs: what starts, what does not, waiting, and what is left.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/host/ui/UiBackend.h"
#include "deziva27/platform/detail/Shell.h"
#include "deziva27/utils/Info.h"
#include "support/Files.h"
#include "deziva27/utils/System.h"

namespace dz {
namespace {

namespace fs = std::filesystem;

using test::Slurp;

UnicodeString U(const std::string& s) { return Utf8ToUtf16(s); }

// True once this process has no child left, waiting up to two seconds for
// background reapers.
bool NoChildren() {
  for (int i = 0; i < 200; ++i) {
    // A child not yet reaped by a reaper thread gets time. Never reap here,
    // or a zombie left by the library would go unnoticed.
    siginfo_t info{};
    if (::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == -1 && errno == ECHILD) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class Shell : public ::testing::Test {
 protected:
  test::ScratchDir scratch{"dz-shell"};
  const fs::path dir = scratch.Path;
};

// The script writes its parameters, as it got them, into its working folder
// after a pause that the wait must cover. No shell stands in between.
TEST_F(Shell, WaitsAndPassesParametersUnchanged) {
  const fs::path script = dir / "args.sh";
  std::ofstream(script) << "#!/bin/sh\nsleep 0.3\nprintf '%s|' \"$@\" > out\n";
  fs::permissions(script, fs::perms::owner_all);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(RunProgramEx(U(script.string()), u"one \"two words\" a\\\"b \"\" $HOME;x",
                           U(dir.string()), win::SW_SHOWNORMAL, true));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  EXPECT_EQ(Slurp(dir / "out"), "one|two words|a\"b||$HOME;x|");
  EXPECT_TRUE(NoChildren());
}

TEST_F(Shell, ExitCodeIsStillActiveThenTheStatus) {
  win::SHELLEXECUTEINFOW e{};
  e.cbSize = sizeof e;
  e.fMask = win::SEE_MASK_NOCLOSEPROCESS;
  e.lpFile = u"/bin/sh";
  e.lpParameters = u"-c \"sleep 0.2; exit 7\"";
  ASSERT_TRUE(win::ShellExecuteExW(&e));
  ASSERT_NE(e.hProcess, nullptr);
  win::DWORD code = 0;
  ASSERT_TRUE(win::GetExitCodeProcess(e.hProcess, &code));
  EXPECT_EQ(code, win::STILL_ACTIVE);
  EXPECT_EQ(win::WaitForSingleObject(e.hProcess, 0), win::WAIT_TIMEOUT);
  EXPECT_EQ(win::WaitForSingleObject(e.hProcess, win::INFINITE), win::WAIT_OBJECT_0);
  EXPECT_EQ(win::WaitForSingleObject(e.hProcess, 0), win::WAIT_OBJECT_0);
  ASSERT_TRUE(win::GetExitCodeProcess(e.hProcess, &code));
  EXPECT_EQ(code, 7u);
  ASSERT_TRUE(win::GetExitCodeProcess(e.hProcess, &code));  // asked again: the same
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(win::CloseHandle(e.hProcess));
  EXPECT_FALSE(win::GetExitCodeProcess(e.hProcess, &code));
  EXPECT_FALSE(win::CloseHandle(e.hProcess));
  EXPECT_EQ(win::WaitForSingleObject(e.hProcess, 0), win::WAIT_FAILED);
  EXPECT_TRUE(NoChildren());
}

// A backend that counts what the library asks of it, and whose one window
// counts its paints.
struct Recorder : TUiBackend {
  struct Window : TUiWindow {
    explicit Window(Recorder* owner) : Owner(owner) {}
    void Update(const TUiWindowState&) override {}
    void Show() override {}
    void Hide() override {}
    void Paint() override { ++Owner->Paints; }
    Recorder* Owner;
  };
  std::string Name() const override { return "recorder"; }
  int32_t MessageBox(const std::u16string&, const std::u16string&, int32_t) override { return 0; }
  void ProcessMessages() override { ++Pumps; }
  int32_t TextWidth(const std::u16string& t) override { return static_cast<int32_t>(t.size()); }
  void ScreenSize(int32_t& w, int32_t& h) override { w = 800, h = 600; }
  std::unique_ptr<TUiWindow> CreateWindow() override { return std::make_unique<Window>(this); }
  int Pumps = 0, Paints = 0;
};

double CpuSeconds() {
  rusage r{};
  ::getrusage(RUSAGE_SELF, &r);
  return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

TEST_F(Shell, WaitingServesTheApplicationWithoutSpinning) {
  auto ui = std::make_shared<Recorder>();
  SetUiBackend(ui);
  ShowInfo(u"working");
  const int painted = ui->Paints;
  const double cpu = CpuSeconds();
  ASSERT_TRUE(RunProgram(u"sleep", u"0.5", u"", true));  // found along PATH
  EXPECT_LT(CpuSeconds() - cpu, 0.2);
  // A pump every slice of the wait, not one at the end.
  EXPECT_GE(ui->Pumps, 10);
  EXPECT_GE(painted, 1);
  HideInfo();
  SetUiBackend(nullptr);
}

TEST_F(Shell, WithoutWaitTheChildIsReapedLater) {
  ASSERT_TRUE(RunProgram(u"/bin/sh", u"-c \"sleep 0.2\"", u"", false));
  siginfo_t info{};
  EXPECT_EQ(::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT), 0);  // still running
  EXPECT_TRUE(NoChildren());
}

TEST_F(Shell, WhatCannotStartStartsNothing) {
  fs::copy_file("/bin/true", dir / "noexec");
  fs::permissions(dir / "noexec", fs::perms::owner_read | fs::perms::owner_write);
  std::ofstream(dir / "script") << "#!/bin/sh\nexit 0\n";
  fs::permissions(dir / "script", fs::perms::owner_read);
  const std::string cases[] = {(dir / "missing").string(), dir.string(), (dir / "noexec").string(),
                               (dir / "script").string(), "", "no-such-program-dz27"};
  for (const std::string& file : cases) {
    EXPECT_FALSE(RunProgram(U(file), u"", u"", true)) << file;
    EXPECT_TRUE(NoChildren()) << file;
  }
  EXPECT_FALSE(RunProgram(u"/bin/true", u"", U((dir / "nowhere").string()), true));
  win::SHELLEXECUTEINFOW e{};
  e.cbSize = 100;
  e.lpFile = u"/bin/true";
  EXPECT_FALSE(win::ShellExecuteExW(&e));
  e.cbSize = sizeof e;
  e.lpVerb = u"print";
  EXPECT_FALSE(win::ShellExecuteExW(&e));
  EXPECT_TRUE(NoChildren());
}

static_assert(sizeof(void*) != 8 || sizeof(win::SHELLEXECUTEINFOW) == 112);

}  // namespace
}  // namespace dz
