#include "deziva27/host/registry/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <stdexcept>

#include "registry/TempStore.h"
#include "support/Lists.h"

namespace dz {
namespace {

using test::ErrorOf;
using test::Items;
using Registry = test::TempStore;

TEST_F(Registry, NamesKeepTheirCaseMatchWithoutItAndPathsAreRelativeToTheOpenKey) {
  TRegistry r;
  for (const char16_t* k : {u"b", u"C", u"a", u"_x"})
    r.CreateKey(UnicodeString(u"Software\\MyApp\\") + k);
  ASSERT_TRUE(r.OpenKey(u"Software\\MyApp", false));
  for (const char16_t* v : {u"Colour", u"Ärger", u"Alpha"}) r.WriteString(v, u"x");
  r.WriteString(u"COLOUR", u"blue");  // the same value: its first spelling and place kept
  TStringList names;
  r.GetValueNames(names);  // in the order of creation
  EXPECT_EQ(Items(names), (std::vector<UnicodeString>{u"Colour", u"Ärger", u"Alpha"}));
  EXPECT_EQ(r.ReadString(u"colour"), u"blue");
  EXPECT_EQ(r.ReadString(u"ÄRGER"), u"x");  // folded beyond ASCII, as Windows does
  r.GetKeyNames(names);  // in the order of their upper-case names
  EXPECT_EQ(Items(names), (std::vector<UnicodeString>{u"a", u"b", u"C", u"_x"}));
  EXPECT_TRUE(r.HasSubKeys());
  r.CloseKey();
  EXPECT_TRUE(r.KeyExists(u"SOFTWARE\\myapp"));
  ASSERT_TRUE(r.OpenKey(u"software", false));
  r.GetKeyNames(names);
  EXPECT_EQ(Items(names), (std::vector<UnicodeString>{u"MyApp"}));

  // Paths are relative to the open key; a read-only key refuses writes.
  TRegistry ro;
  ASSERT_TRUE(r.OpenKey(u"\\A", true));
  ASSERT_TRUE(r.OpenKey(u"B\\", true));  // one trailing backslash is allowed
  EXPECT_EQ(r.CurrentPath(), u"A\\B");
  ASSERT_TRUE(r.OpenKey(u"\\C", true));
  EXPECT_EQ(r.CurrentPath(), u"C");
  EXPECT_FALSE(r.OpenKey(u"Missing", false));
  EXPECT_EQ(r.CurrentPath(), u"C");  // a failed open leaves the open key alone
  r.WriteString(u"v", u"1");
  ASSERT_TRUE(ro.OpenKeyReadOnly(u"C"));
  EXPECT_EQ(ro.ReadString(u"v"), u"1");
  EXPECT_THROW(ro.WriteString(u"v", u"2"), ERegistryException);
  EXPECT_FALSE(ro.DeleteValue(u"v"));
  EXPECT_FALSE(ro.OpenKeyReadOnly(u"Missing"));
  EXPECT_EQ(r.ReadString(u"v"), u"1");
  r.CloseKey();
  EXPECT_TRUE(r.KeyExists(u"A\\B"));
  EXPECT_FALSE(r.KeyExists(u"B"));
  EXPECT_EQ(r.CurrentKey(), nullptr);
}

TEST_F(Registry, ReadsOfTheWrongTypeRaiseAndMissingValuesFollowTheClassicRules) {
  TRegistry r;
  ASSERT_TRUE(r.OpenKey(u"T", true));
  r.WriteString(u"s", u"12");
  r.WriteString(u"c", u"1");  // four bytes, as many as an integer
  r.WriteInteger(u"i", -5);
  const unsigned char bin[5] = {1, 2, 3, 4, 5};
  r.WriteBinaryData(u"b", bin, 5);
  r.WriteString(u"empty", u"");

  EXPECT_EQ(r.ReadInteger(u"i"), -5);
  EXPECT_TRUE(r.ReadBool(u"i"));
  EXPECT_EQ(r.ReadString(u"missing"), u"");
  EXPECT_EQ(r.ReadString(u"empty"), u"");
  unsigned char buf[8] = {};
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[&] { r.ReadString(u"i"); }, "Invalid data type for 'i'"},
      {[&] { r.ReadInteger(u"c"); }, "Invalid data type for 'c'"},
      {[&] { r.ReadInteger(u"s"); }, "Failed to get data for 's'"},
      {[&] { r.ReadInteger(u"missing"); }, "Failed to get data for 'missing'"},
      {[&] { r.ReadInteger(u"b"); }, "Failed to get data for 'b'"},  // five bytes do not fit
      {[&] { r.ReadBinaryData(u"b", buf, 4); }, "Invalid data type for 'b'"},
      {[&] { r.ReadBinaryData(u"s", buf, 8); }, "Invalid data type for 's'"},
  };
  for (const auto& [read, message] : cases) EXPECT_EQ(ErrorOf(read), message);
  EXPECT_EQ(r.ReadBinaryData(u"b", buf, 8), 5);
  EXPECT_EQ(buf[4], 5);
  EXPECT_EQ(r.ReadBinaryData(u"missing", buf, 8), 0);
  // Sizes count the bytes stored: "12" and its NUL in UTF-16 are six.
  const std::tuple<const char16_t*, TRegDataType, Integer> infos[] = {
      {u"s", rdString, 6}, {u"I", rdInteger, 4}, {u"b", rdBinary, 5}, {u"missing", rdUnknown, -1}};
  for (const auto& [name, type, size] : infos) {
    EXPECT_EQ(std::pair(r.GetDataType(name), r.GetDataSize(name)), std::pair(type, size));
    const std::optional<TRegDataInfo> info = r.GetDataInfo(name);
    EXPECT_EQ(info ? std::pair(info->RegData, info->DataSize) : std::pair(rdUnknown, -1),
              std::pair(type, size));
  }
}

TEST_F(Registry, DepthAndNameLimitsRaiseClearlyAndDeleteKeyTakesTheWholeTree) {
  TRegistry r;
  UnicodeString deep = u"Deep";
  for (int i = 1; i < 512; ++i) deep += u"\\k";
  ASSERT_TRUE(r.CreateKey(deep));
  ASSERT_TRUE(r.OpenKey(deep, false));
  r.WriteString(u"leaf", u"v");
  // One level more, whether from the root, from the open key or in steps.
  EXPECT_THROW(r.OpenKey(u"k", true), ERegistryException);
  EXPECT_THROW(r.CreateKey(u"\\" + deep + u"\\k"), ERegistryException);
  EXPECT_FALSE(r.KeyExists(u"\\" + deep + u"\\k"));
  r.CloseKey();
  ASSERT_TRUE(r.OpenKey(u"Deep\\k\\k", false));
  UnicodeString below = u"k";
  for (int i = 4; i < 512; ++i) below += u"\\k";
  EXPECT_TRUE(r.OpenKey(below, true));  // 512: exists already
  r.CloseKey();
  r.CreateKey(u"Deeper");  // a sibling whose name starts the same stays
  EXPECT_TRUE(r.DeleteKey(u"Deep"));
  EXPECT_FALSE(r.KeyExists(u"Deep"));
  EXPECT_TRUE(r.KeyExists(u"Deeper"));
  EXPECT_FALSE(r.DeleteKey(u"Deep"));
  EXPECT_FALSE(r.DeleteKey(u""));  // the root stays
  EXPECT_EQ(detail::RegStore::ForCurrentUser()->IntegrityCheck(), "ok");

  const UnicodeString longest(255, u'k'), longValue(16383, u'v');
  EXPECT_TRUE(r.OpenKey(longest, true));
  r.WriteString(longValue, u"fits");
  EXPECT_EQ(r.ReadString(longValue), u"fits");
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[&] { r.OpenKey(UnicodeString(256, u'k'), true); }, "longer than 255"},
      {[&] { r.WriteString(UnicodeString(16384, u'v'), u"x"); }, "longer than 16383"},
      {[&] { r.OpenKey(u"a\\\\b", true); }, "empty segment"},
      {[&] { r.KeyExists(u"\\\\\\a"); }, "empty segment"},
      {[&] { r.CreateKey(u"a\\\\"); }, "empty segment"},
  };
  for (const auto& [call, needle] : cases)
    EXPECT_PRED_FORMAT2(testing::IsSubstring, needle, ErrorOf(call));
  EXPECT_FALSE(r.ValueExists(UnicodeString(16384, u'v')));
}

// Root writes anywhere, so the check runs as nobody in a child when the
// tests run as root.
TEST_F(Registry, AFolderThatCannotBeWrittenGivesAClearError) {
  const std::string locked = dir_ + "/locked";
  ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);  // reachable: only the folder itself refuses
  ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);
  setenv("DZ_REGISTRY", (locked + "/registry.db").c_str(), 1);
  const pid_t child = test::Spawn([] {
    if (geteuid() == 0 && setuid(65534) != 0) throw std::runtime_error("setuid");
    const std::string error = ErrorOf([] { TRegistry().OpenKey(u"X", true); });
    if (error.rfind("Cannot open the registry store", 0) != 0)
      throw std::runtime_error("raised \"" + error + "\"");
  });
  EXPECT_EQ(test::ExitCode(child), 0);
  EXPECT_TRUE(std::filesystem::is_empty(locked));
}

TEST_F(Registry, IniFileReadsSectionsAsSubKeysAndIntegersFromText) {
  {
    TRegIniFile ini(u"Software\\Ini");
    ini.WriteString(u"Window", u"Title", u"Main");
    ini.WriteInteger(u"Window", u"Left", 42);
    ini.WriteBool(u"", u"Flag", true);
    ini.WriteString(u"Window", u"Bad", u"4x");
  }
  TRegistry raw;
  ASSERT_TRUE(raw.OpenKey(u"Software\\Ini\\Window", false));
  EXPECT_EQ(raw.GetDataType(u"Left"), rdString);  // integers go in as text
  raw.WriteInteger(u"Dword", 7);

  TRegIniFile ini(u"Software\\Ini");
  EXPECT_EQ(ini.ReadString(u"Window", u"Title", u"?"), u"Main");
  EXPECT_EQ(ini.ReadString(u"Window", u"None", u"?"), u"?");
  EXPECT_EQ(ini.ReadString(u"NoSection", u"Title", u"?"), u"?");
  EXPECT_EQ(ini.ReadInteger(u"Window", u"Left", -1), 42);
  EXPECT_EQ(ini.ReadInteger(u"Window", u"Dword", -1), 7);
  EXPECT_EQ(ini.ReadInteger(u"Window", u"Bad", -1), -1);
  EXPECT_TRUE(ini.ReadBool(u"", u"Flag", false));
  EXPECT_EQ(ini.CurrentPath(), u"Software\\Ini");  // a section read does not move the open key
  EXPECT_FALSE(ini.KeyExists(u"NoSection"));       // nor does a read create one
  TStringList l;
  ini.ReadSections(l);
  EXPECT_EQ(Items(l), (std::vector<UnicodeString>{u"Window"}));
  ini.ReadSection(u"Window", l);
  EXPECT_EQ(Items(l), (std::vector<UnicodeString>{u"Title", u"Left", u"Bad", u"Dword"}));
}

}  // namespace
}  // namespace dz
