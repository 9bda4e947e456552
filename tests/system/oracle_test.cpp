// The environment, command-line and version stand-ins against what the
// Windows calls answered for the same inputs (tests/oracle/system_*.txt).
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/platform/detail/Environment.h"
#include "deziva27/platform/detail/Shell.h"
#include "deziva27/platform/detail/Version.h"
#include "deziva27/utils/System.h"
#include "support/Oracle.h"

namespace dz {
namespace {

namespace oracle = test::oracle;

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

class EnvOracle : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::unsetenv("DZ_UNSET");
    for (const oracle::Row& r : oracle::Rows("system_env.txt"))
      if (r[0] == "set" && r[3] == "1")
        ::setenv(Utf16ToUtf8(Field(r[1])).c_str(), Utf16ToUtf8(Field(r[2])).c_str(), 1);
  }
};

TEST_F(EnvOracle, ExpansionsAndSizesAgree) {
  int rows = 0;
  for (const oracle::Row& r : oracle::Rows("system_env.txt")) {
    if (r[0] != "expand") continue;
    ++rows;
    const std::u16string in = Field(r[1]);
    // The two calls as the oracle made them.
    const win::DWORD need = win::ExpandEnvironmentStringsW(in.c_str(), nullptr, 0);
    std::u16string out(need + 1, u'#');
    const win::DWORD got = win::ExpandEnvironmentStringsW(in.c_str(), out.data(), need);
    out.resize(got && got <= need ? got - 1 : 0);
    EXPECT_EQ(need, std::stoul(r[2])) << Show(in);
    EXPECT_TRUE(out == Field(r[3])) << Show(in) << " gives " << Show(out);
  }
  EXPECT_GE(rows, 40);
}

TEST_F(EnvOracle, ShortBuffersHoldWhatWindowsWrites) {
  for (const oracle::Row& r : oracle::Rows("system_env.txt")) {
    if (r[0] != "short") continue;
    const std::u16string in = Field(r[1]);
    if (r[2] == "null") {
      EXPECT_EQ(win::ExpandEnvironmentStringsW(in.c_str(), nullptr, 0), std::stoul(r[3]));
      continue;
    }
    const win::DWORD n = static_cast<win::DWORD>(std::stoul(r[2]));
    std::u16string buf(n + 1, u'#');
    EXPECT_EQ(win::ExpandEnvironmentStringsW(in.c_str(), buf.data(), n), std::stoul(r[3]))
        << Show(in) << " in " << n;
    EXPECT_EQ(buf.substr(0, n), oracle::HexUnits(r[4])) << Show(in) << " in " << n;
    EXPECT_EQ(buf[n], u'#') << "written past " << n;
  }
}

TEST_F(EnvOracle, NamesFoldWithWindowsTable) {
  std::u16string want(0x10000, 0);
  for (size_t c = 0; c < want.size(); ++c) want[c] = static_cast<char16_t>(c);
  for (const oracle::Row& r : oracle::Rows("system_env.txt")) {
    if (r[0] != "upper") continue;
    const uint32_t from = oracle::Hex(r[1]), count = std::stoul(r[3]), step = std::stoul(r[4]);
    for (uint32_t k = 0; k < count; ++k)
      want[from + k * step] = static_cast<char16_t>(from + k * step + std::stol(r[2]));
  }
  int wrong = 0;
  for (uint32_t c = 0; c < 0x10000; ++c)
    if (win::EnvNameUpper(static_cast<char16_t>(c)) != want[c] && ++wrong <= 10)
      ADD_FAILURE() << std::hex << "U+" << c << " upper-cases to U+" << int{win::EnvNameUpper(static_cast<char16_t>(c))}
                    << ", Windows U+" << int{want[c]};
  EXPECT_EQ(wrong, 0);
}

TEST_F(EnvOracle, ExpandEnvVarsStopsAtTheLimit) {
  // 40,000 units needed, 32,766 written: the text is what was written.
  EXPECT_TRUE(ExpandEnvVars(u"%DZ_HALF%%DZ_HALF%") == std::u16string(32766, u'y'));
  EXPECT_EQ(ExpandEnvVars(u"%TEMP%\\x"), u"C:\\Tmp\\x");
}

TEST(ArgsOracle, ParametersSplitAsCommandLineToArgvW) {
  for (const oracle::Row& r : oracle::Rows("system_args.txt")) {
    std::vector<std::u16string> want;
    for (size_t i = 3; i < r.size(); ++i) want.push_back(Field(r[i]));
    ASSERT_EQ(want.size(), std::stoul(r[2]));
    EXPECT_EQ(win::CommandLineToArgs(Field(r[1])), want) << r[1];
  }
}

std::vector<uint8_t> VersionBlock(const std::string& file) {
  const std::u16string path = Utf8ToUtf16(oracle::Path(file));
  std::vector<uint8_t> block(win::GetFileVersionInfoSizeW(path.c_str(), nullptr));
  if (block.empty() || !win::GetFileVersionInfoW(path.c_str(), 0, static_cast<win::DWORD>(block.size()),
                                            block.data()))
    block.clear();
  return block;
}

TEST(VersionOracle, QueriesAgree) {
  std::string file;
  std::vector<uint8_t> block;
  int rows = 0;
  for (const oracle::Row& r : oracle::Rows("system_version.txt")) {
    if (r[1] != file) block = VersionBlock(file = r[1]);
    ASSERT_FALSE(block.empty()) << file;
    const std::u16string path = Field(r[2]);
    void* v = nullptr;
    win::UINT len = 99;
    const bool ok = win::VerQueryValueW(block.data(), path.c_str(), &v, &len);
    ++rows;
    ASSERT_EQ(ok, r[3] == "1") << file << " " << r[2];
    if (!ok) continue;
    EXPECT_EQ(len, std::stoul(r[4])) << file << " " << r[2];
    EXPECT_EQ(static_cast<const uint8_t*>(v) - block.data(), std::stol(r[5])) << file << " " << r[2];
  }
  EXPECT_GE(rows, 100);
}

}  // namespace
}  // namespace dz
