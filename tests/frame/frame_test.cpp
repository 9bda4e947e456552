#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <type_traits>
#include <vector>

#include "deziva27/frame/Deziva27.h"
#include "deziva27/frame/detail/Units.h"
#include "deziva27/strings/YStrings.h"

namespace dz {
namespace {

const std::vector<std::string> kOrder = {
    "System",   "SysUtils", "Classes",  "Registry", "Forms",    "Dialogs",   "YConsts",
    "YStrings", "YUtils",   "YDattime", "YScanner", "YLocales", "YCompress", "YHtmlHlp"};

class Trace {
 public:
  Trace() {
    detail::SetUnitTrace(
        [this](const char* u, bool start) { (start ? starts : stops).push_back(u); });
  }
  ~Trace() { detail::SetUnitTrace({}); }
  std::vector<std::string> starts, stops;
};

// Every unit is started once when the program loads.
TEST(Frame, StopsInReverseAndStartsInOrderOnce) {
  for (const auto& u : kOrder) EXPECT_EQ(detail::UnitStartCount(u.c_str()), 1) << u;
  EXPECT_EQ(detail::UnitStartCount("NoSuchUnit"), -1);
  Trace t;
  Finalize();
  EXPECT_EQ(t.stops, std::vector<std::string>(kOrder.rbegin(), kOrder.rend()));
  Finalize();  // nothing left to undo
  EXPECT_EQ(t.stops.size(), kOrder.size());
  for (const auto& u : kOrder) EXPECT_EQ(detail::UnitStartCount(u.c_str()), 0);
  Initialize();
  Initialize();  // the second start only counts
  EXPECT_EQ(t.starts, kOrder);
  Finalize();  // undoes the second start: no work
  EXPECT_EQ(t.stops.size(), kOrder.size());
  for (const auto& u : kOrder) EXPECT_EQ(detail::UnitStartCount(u.c_str()), 1);
}

TEST(Frame, PackageTableListsEveryUnitInStartOrder) {
  auto table = GetPackageInfoTable();
  ASSERT_EQ(table.size(), kOrder.size());
  for (size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].Name, kOrder[i]);
  // The entries are the counted start and stop routines.
  Trace t;
  table[7].FInit();
  table[7].Init();
  EXPECT_EQ(t.stops, std::vector<std::string>{"YStrings"});
  EXPECT_EQ(t.starts, std::vector<std::string>{"YStrings"});
}

TEST(Frame, StoppingYStringsClearsTheSeparatorLists) {
  SetSeparatorList(AnsiString(","));
  SetSeparatorList(UnicodeString(u";"));
  ASSERT_TRUE(IsSeparator(','));
  Finalize();
  EXPECT_FALSE(IsSeparator(','));
  EXPECT_FALSE(IsSeparator(u';'));
  Initialize();
  EXPECT_FALSE(IsSeparator(u';'));  // start-up leaves them empty
}

TEST(Frame, UnitExceptionsDeriveDirectlyFromTheBase) {
  static_assert(std::is_base_of_v<Exception, EYStringsError>);
  static_assert(std::is_same_v<EYStringsError::Inherited, Exception>);
  static_assert(std::is_same_v<EYUtilsError::Inherited, Exception>);
  static_assert(std::is_same_v<EScannerError::Inherited, Exception>);
  static_assert(std::is_same_v<ELocalesError::Inherited, Exception>);
  static_assert(std::is_same_v<EYCompressError::Inherited, Exception>);
  static_assert(std::is_same_v<EHtmlHelpError::Inherited, Exception>);
  try {
    throw ELocalesError(u"Can not get locale info");
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Can not get locale info");
  }
  EXPECT_STREQ(EConvertError(u"ж").what(), "\xD0\xB6");  // what() is UTF-8
}

TEST(ResourceStrings, TheTableHoldsTheLibraryMessages) {
  struct Case {
    int32_t id;
    const char16_t* text;
  } cases[] = {{65520, u"Stack is full"}, {65521, u"Stack is empty"},
               {65522, u"Source stream is not defined"},
               {65523, u"Destination stream is not defined"}, {65524, u"Wrong stream format"}};
  for (const auto& c : cases) EXPECT_EQ(LoadResString({&HInstance, c.id}), c.text);
  EXPECT_EQ(LoadResString({&HInstance, 1}), u"");
  EXPECT_EQ(_ERRStackEmpty.Identifier, 65521);
}

// That a message is read when raised is held by the compress and utils tests.
TEST(ResourceStrings, ALocalizedTableFileReplacesTextsAllOrNothing) {
  std::string path = testing::TempDir() + "dz-table.txt";
  {
    std::ofstream f(path, std::ios::binary);
    f << "\xEF\xBB\xBF# German table\n65520=Stapel ist voll\r\n65524=Falsches Format\\nzweite "
         "Zeile\n";
  }
  LoadStringTable(HInstance, path);
  EXPECT_EQ(LoadResString(_ERRStackFull), u"Stapel ist voll");
  EXPECT_EQ(LoadResString({&HInstance, 65524}), u"Falsches Format\nzweite Zeile");
  EXPECT_EQ(LoadResString(_ERRStackEmpty), u"Stack is empty");
  ResetStringTable();
  {
    std::ofstream f(path, std::ios::binary);
    f << "65521=Leer\nnot a line\n";
  }
  EXPECT_THROW(LoadStringTable(HInstance, path), EConvertError);
  EXPECT_EQ(LoadResString(_ERRStackEmpty), u"Stack is empty");
  EXPECT_THROW(LoadStringTable(HInstance, path + ".missing"), EFOpenError);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace dz
