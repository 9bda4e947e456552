// Environment references, the command line and the operating-system flags,
// the stand-ins held to what the Windows calls answered for the same inputs
// (tests/oracle/system_env.txt, system_args.txt); then starting programs: what
// starts, what does not, waiting, and what is left.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/host/runtime/System.h"
#include "deziva27/host/ui/UiBackend.h"
#include "deziva27/platform/detail/Environment.h"
#include "deziva27/platform/detail/Shell.h"
#include "deziva27/platform/detail/SystemVersion.h"
#include "deziva27/utils/Info.h"
#include "deziva27/utils/System.h"
#include "deziva27/utils/detail/System.h"
#include "support/Files.h"
#include "support/Oracle.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
namespace oracle = test::oracle;
using test::Slurp;

UnicodeString U(const std::string& s) { return Utf8ToUtf16(s); }

// A recorded text: escaped UTF-8, or runs "~XXXX*N,..." for long ones.
std::u16string Field(const std::string& s) {
  if (s.empty() || s[0] != '~') return oracle::Text(s);
  std::u16string out;
  for (size_t i = 1; i < s.size();) {
    const size_t star = s.find('*', i), comma = std::min(s.find(',', i), s.size());
    out.append(std::stoul(s.substr(star + 1, comma - star - 1)),
               static_cast<char16_t>(oracle::Hex(s.substr(i, star - i))));
    i = comma + 1;
  }
  return out;
}

std::string Show(const std::u16string& s) {
  if (s.size() <= 60) return Utf16ToUtf8(s);
  return std::to_string(s.size()) + " units";
}

// The two calls as the oracle made them, and calls into short buffers.
// ExpandEnvVars gives the text up to the NUL written, so past the limit of
// 32,767 units it is what was written, not what was needed. Names fold with
// Windows' own upper-case table, held whole.
TEST(Env, ExpansionsSizesAndNameFoldingAgree) {
  ::unsetenv("DZ_UNSET");
  ::setenv("DZ_MIXED_Case", "mixed", 1);
  for (const oracle::Row& r : oracle::Rows("system_env.txt"))
    if (r[0] == "set" && r[3] == "1")
      ::setenv(Utf16ToUtf8(Field(r[1])).c_str(), Utf16ToUtf8(Field(r[2])).c_str(), 1);
  int rows = 0;
  std::u16string upper(0x10000, 0);
  for (size_t c = 0; c < upper.size(); ++c) upper[c] = static_cast<char16_t>(c);
  for (const oracle::Row& r : oracle::Rows("system_env.txt")) {
    const std::u16string in = Field(r[1]);
    if (r[0] == "expand") {
      ++rows;
      const win::DWORD need = win::ExpandEnvironmentStringsW(in.c_str(), nullptr, 0);
      std::u16string out(need + 1, u'#');
      const win::DWORD got = win::ExpandEnvironmentStringsW(in.c_str(), out.data(), need);
      out.resize(got && got <= need ? got - 1 : 0);
      const std::u16string want = Field(r[3]);
      EXPECT_EQ(need, std::stoul(r[2])) << Show(in);
      EXPECT_TRUE(out == want) << Show(in) << " gives " << Show(out);
      EXPECT_TRUE(ExpandEnvVars(in) == want.substr(0, want.find(u'\0'))) << Show(in);
    } else if (r[0] == "short" && r[2] == "null") {
      EXPECT_EQ(win::ExpandEnvironmentStringsW(in.c_str(), nullptr, 0), std::stoul(r[3]));
    } else if (r[0] == "short") {
      const win::DWORD n = static_cast<win::DWORD>(std::stoul(r[2]));
      std::u16string buf(n + 1, u'#');
      EXPECT_EQ(win::ExpandEnvironmentStringsW(in.c_str(), buf.data(), n), std::stoul(r[3]))
          << Show(in) << " in " << n;
      EXPECT_EQ(buf.substr(0, n), oracle::HexUnits(r[4])) << Show(in) << " in " << n;
      EXPECT_EQ(buf[n], u'#') << "written past " << n;
    } else if (r[0] == "upper") {
      const uint32_t from = oracle::Hex(r[1]), count = std::stoul(r[3]), step = std::stoul(r[4]);
      for (uint32_t k = 0; k < count; ++k)
        upper[from + k * step] = static_cast<char16_t>(from + k * step + std::stol(r[2]));
    }
  }
  EXPECT_GE(rows, 40);
  // Case is ignored when no name matches exactly.
  EXPECT_EQ(ExpandEnvVars(u"%dz_mixed_case%"), u"mixed");
  int wrong = 0;
  for (uint32_t c = 0; c < 0x10000; ++c) {
    const char16_t got = win::EnvNameUpper(static_cast<char16_t>(c));
    if (got != upper[c] && ++wrong <= 10)
      ADD_FAILURE() << std::hex << "U+" << c << " upper-cases to U+" << int{got} << ", Windows U+"
                    << int{upper[c]};
  }
  EXPECT_EQ(wrong, 0);
}

TEST(ArgsOracle, ParametersSplitAsCommandLineToArgvW) {
  for (const oracle::Row& r : oracle::Rows("system_args.txt")) {
    std::vector<std::u16string> want;
    for (size_t i = 3; i < r.size(); ++i) want.push_back(Field(r[i]));
    ASSERT_EQ(want.size(), std::stoul(r[2]));
    EXPECT_EQ(win::CommandLineToArgs(Field(r[1])), want) << r[1];
  }
}

std::string Flags() {
  std::string s;
  for (bool f : {IsWin95, IsWin95OSR2, IsWin98, IsWin98Up, IsWinME, IsWinNT, IsWin2000, IsWinXP,
                 IsWin2000Up, IsWinNTUp, IsWinXPUp})
    s += f ? '1' : '0';
  return s;
}

TEST(OSFlags, FollowTheVersionTable) {
  struct Row {
    const char* Name;
    uint32_t Platform, Major, Minor, Build;
    const char* Flags;  // 95, 95OSR2, 98, 98Up, ME, NT, 2000, XP, 2000Up, NTUp, XPUp
  } const rows[] = {
      // The 9x family keeps major and minor in the build number's high word.
      {"Windows 95", 1, 4, 0, 0x040003B6, "10000000000"},
      {"Windows 95 OSR2", 1, 4, 0, 0x04000457, "11000000000"},
      {"Windows 98", 1, 4, 10, 0x040A07CE, "11110000000"},
      {"Windows ME", 1, 4, 90, 0x045A0BB8, "11111000000"},
      {"Windows NT 4", 2, 4, 0, 1381, "00000100010"},
      {"Windows 2000", 2, 5, 0, 2195, "00000110110"},
      {"Windows XP", 2, 5, 1, 2600, "00000111111"},
      {"Windows Vista", 2, 6, 0, 6000, "00000110110"},  // minor 0: not "XP up", nor 10.0
      {"Windows 7", 2, 6, 1, 7601, "00000110111"},
      {"Win32s", 0, 3, 10, 0, "00000000000"},
  };
  for (const Row& r : rows) {
    detail::SetOSFlags(r.Platform, r.Major, r.Minor, r.Build);
    EXPECT_EQ(Flags(), r.Flags) << r.Name;
    EXPECT_FALSE(IsLinux);
  }
  win::OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = 148;  // the record's size is checked
  EXPECT_FALSE(win::GetVersionExW(&v));
  EXPECT_FALSE(win::GetVersionExW(nullptr));
  v.dwOSVersionInfoSize = sizeof v;
  ASSERT_TRUE(win::GetVersionExW(&v));
  detail::SetOSFlags(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber);
}

// The flags as the unit's start set them, seen from a fresh process that is
// given DZ_WINVER (or not).
std::string FlagsAtLoad(const char* winver) {
  const std::string cmd = std::string("DZ_SYSTEM_CHILD=1 DZ_WINVER='") + (winver ? winver : "") +
                          "' '" + Utf16ToUtf8(ParamStr(0)) + "' --gtest_filter=OSFlags.AtLoad 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  std::string out;
  char buf[256];
  while (p && std::fgets(buf, sizeof buf, p)) out += buf;
  if (p) ::pclose(p);
  const size_t at = out.find("flags=");
  return at == std::string::npos ? out : out.substr(at + 6, 11);
}

TEST(OSFlags, AtLoad) {
  if (std::getenv("DZ_SYSTEM_CHILD")) {
    std::printf("flags=%s\n", Flags().c_str());
    return;
  }
  EXPECT_EQ(FlagsAtLoad(nullptr), "00000110110");  // NT 10.0
  EXPECT_EQ(FlagsAtLoad("1:4.10.1998"), "11110000000");
  EXPECT_EQ(FlagsAtLoad("2:5.1.2600"), "00000111111");
  EXPECT_EQ(FlagsAtLoad("5.1"), "00000110110");  // not the form: ignored
}

TEST(Formats, CurrentFormatsAreTheSystemDefaults) {
  TFormatSettings got, want;
  got.DecimalSeparator = u'?';
  GetCurrentFormats(got);
  GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT, want);
  EXPECT_EQ(got.DecimalSeparator, want.DecimalSeparator);
  EXPECT_EQ(got.ShortDateFormat, want.ShortDateFormat);
  EXPECT_EQ(got.LongMonthNames, want.LongMonthNames);
}

// True once this process has no child left, waiting up to two seconds for
// background reapers.
bool NoChildren() {
  for (int i = 0; i < 200; ++i) {
    // A child not yet reaped by a reaper thread gets time. Never reap here,
    // or a zombie left by the library would go unnoticed.
    siginfo_t info{};
    if (::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == -1 && errno == ECHILD)
      return true;
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
TEST_F(Shell, WaitsOrLeavesTheChildToBeReaped) {
  const fs::path script = dir / "args.sh";
  std::ofstream(script) << "#!/bin/sh\nsleep 0.3\nprintf '%s|' \"$@\" > out\n";
  fs::permissions(script, fs::perms::owner_all);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(RunProgramEx(U(script.string()), u"one \"two words\" a\\\"b \"\" $HOME;x",
                           U(dir.string()), win::SW_SHOWNORMAL, true));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  EXPECT_EQ(Slurp(dir / "out"), "one|two words|a\"b||$HOME;x|");
  EXPECT_TRUE(NoChildren());
  // Not waited for, the child is still running on return and reaped later.
  ASSERT_TRUE(RunProgram(u"/bin/sh", u"-c \"sleep 0.2\"", u"", false));
  siginfo_t info{};
  EXPECT_EQ(::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT), 0);
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

TEST_F(Shell, WaitingServesTheApplicationWithoutSpinning) {
  auto ui = std::make_shared<Recorder>();
  SetUiBackend(ui);
  ShowInfo(u"working");
  const int painted = ui->Paints;
  const std::clock_t cpu = std::clock();  // the process's, all threads
  ASSERT_TRUE(RunProgram(u"sleep", u"0.5", u"", true));  // found along PATH
  EXPECT_LT(std::clock() - cpu, CLOCKS_PER_SEC / 5);
  // A pump every slice of the wait, not one at the end.
  EXPECT_GE(ui->Pumps, 10);
  EXPECT_GE(painted, 1);
  HideInfo();
  SetUiBackend(nullptr);
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
