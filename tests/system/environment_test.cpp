// Environment references and the operating-system flags.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/host/runtime/System.h"
#include "deziva27/platform/detail/Environment.h"
#include "deziva27/platform/detail/SystemVersion.h"
#include "deziva27/utils/System.h"
#include "deziva27/utils/detail/System.h"

namespace dz {
namespace {

class Env : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TEMP", "C:\\Tmp", 1);
    ::setenv("DZ_MIXED_Case", "mixed", 1);
    ::setenv("DZ_EMPTY", "", 1);
    ::setenv("DZ_WIDE", "\xd0\x96\xf0\x9f\x98\x80", 1);  // Ж and an emoji
    ::unsetenv("DZ_UNSET");
  }
};

TEST_F(Env, ExpandsReferences) {
  struct Case {
    std::u16string In, Out;
  } const cases[] = {
      {u"%TEMP%\\x", u"C:\\Tmp\\x"},
      {u"no references", u"no references"},
      {u"", u""},
      {u"%DZ_UNSET%\\x", u"%DZ_UNSET%\\x"},
      {u"100%", u"100%"},
      {u"%%", u"%%"},
      {u"a%TEMP%%TEMP%b", u"aC:\\TmpC:\\Tmpb"},
      {u"%DZ_UNSET%TEMP%", u"%DZ_UNSET%TEMP%"},  // the unset one keeps both %
      {u"%temp%", u"C:\\Tmp"},                    // case ignored when nothing matches exactly
      {u"%dz_mixed_case%", u"mixed"},
      {u"[%DZ_EMPTY%]", u"[]"},
      {u"%DZ_WIDE%", u"\u0416\U0001F600"},
      {u"%=%", u"%=%"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandEnvVars(c.In), c.Out) << Utf16ToUtf8(c.In);
}

struct Row {
  const char* Name;
  uint32_t Platform, Major, Minor, Build;
  // 95, 95OSR2, 98, 98Up, ME, NT, 2000, XP, 2000Up, NTUp, XPUp
  const char* Flags;
};

std::string Flags() {
  std::string s;
  for (bool f : {IsWin95, IsWin95OSR2, IsWin98, IsWin98Up, IsWinME, IsWinNT, IsWin2000, IsWinXP,
                 IsWin2000Up, IsWinNTUp, IsWinXPUp})
    s += f ? '1' : '0';
  return s;
}

TEST(OSFlags, FollowTheVersionTable) {
  // The 9x family keeps major and minor in the build number's high word.
  const Row rows[] = {
      {"Windows 95", 1, 4, 0, 0x040003B6, "10000000000"},
      {"Windows 95 OSR2", 1, 4, 0, 0x04000457, "11000000000"},
      {"Windows 98", 1, 4, 10, 0x040A07CE, "11110000000"},
      {"Windows ME", 1, 4, 90, 0x045A0BB8, "11111000000"},
      {"Windows NT 4", 2, 4, 0, 1381, "00000100010"},
      {"Windows 2000", 2, 5, 0, 2195, "00000110110"},
      {"Windows XP", 2, 5, 1, 2600, "00000111111"},
      {"Windows Vista", 2, 6, 0, 6000, "00000110110"},  // minor 0: not "XP up"
      {"Windows 7", 2, 6, 1, 7601, "00000110111"},
      {"Windows 10", 2, 10, 0, 19045, "00000110110"},
      {"Win32s", 0, 3, 10, 0, "00000000000"},
  };
  for (const Row& r : rows) {
    detail::SetOSFlags(r.Platform, r.Major, r.Minor, r.Build);
    EXPECT_EQ(Flags(), r.Flags) << r.Name;
    EXPECT_FALSE(IsLinux);
  }
  win::OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof v;
  ASSERT_TRUE(win::GetVersionExW(&v));
  detail::SetOSFlags(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber);
}

TEST(OSFlags, VersionRecordSizeIsChecked) {
  win::OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = 148;
  EXPECT_FALSE(win::GetVersionExW(&v));
  EXPECT_FALSE(win::GetVersionExW(nullptr));
}

// The flags as the unit's start set them, seen from a fresh process that is
// given DZ_WINVER (or not).
std::string FlagsAtLoad(const char* winver) {
  std::string cmd = "DZ_SYSTEM_CHILD=1 DZ_WINVER='";
  if (winver) cmd += winver;
  cmd += "' '";
  cmd += Utf16ToUtf8(ParamStr(0));
  cmd += "' --gtest_filter=OSFlags.AtLoad 2>&1";
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

}  // namespace
}  // namespace dz
