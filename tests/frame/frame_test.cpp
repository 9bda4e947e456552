#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "deziva27/frame/Deziva27.h"
#include "deziva27/frame/detail/Units.h"
#include "deziva27/strings/YStrings.h"
#include "support/Files.h"

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

// Every unit is started once when the program loads; the package table's
// entries are the same counted start and stop routines.
TEST(Frame, StopsInReverseAndStartsInOrderOnce) {
  for (const auto& u : kOrder) EXPECT_EQ(detail::UnitStartCount(u.c_str()), 1) << u;
  EXPECT_EQ(detail::UnitStartCount("NoSuchUnit"), -1);
  auto table = GetPackageInfoTable();
  ASSERT_EQ(table.size(), kOrder.size());
  for (size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].Name, kOrder[i]);
  SetSeparatorList(AnsiString(","));
  SetSeparatorList(UnicodeString(u";"));
  ASSERT_TRUE(IsSeparator(','));
  Trace t;
  Finalize();  // stopping YStrings clears its separator lists
  EXPECT_FALSE(IsSeparator(','));
  EXPECT_FALSE(IsSeparator(u';'));
  EXPECT_EQ(t.stops, std::vector<std::string>(kOrder.rbegin(), kOrder.rend()));
  Finalize();  // nothing left to undo: the count of stops below holds it
  for (const auto& u : kOrder) EXPECT_EQ(detail::UnitStartCount(u.c_str()), 0);
  Initialize();
  Initialize();  // the second start only counts
  EXPECT_EQ(t.starts, kOrder);
  EXPECT_FALSE(IsSeparator(u';'));  // start-up leaves them empty
  Finalize();  // undoes the second start: no work
  EXPECT_EQ(t.stops.size(), kOrder.size());
  for (const auto& u : kOrder) EXPECT_EQ(detail::UnitStartCount(u.c_str()), 1);
  table[7].FInit();
  table[7].Init();
  EXPECT_EQ(t.stops.size(), kOrder.size() + 1);
  EXPECT_EQ(t.stops.back(), "YStrings");
  EXPECT_EQ(t.starts.size(), kOrder.size() + 1);
  EXPECT_EQ(t.starts.back(), "YStrings");
}

// Every unit's exception derives directly from the base class.
template <class... E>
constexpr bool kFromTheBase =
    ((std::is_base_of_v<Exception, E> && std::is_same_v<typename E::Inherited, Exception>) && ...);
static_assert(kFromTheBase<EYStringsError, EYUtilsError, EScannerError, ELocalesError,
                           EYCompressError, EHtmlHelpError>);

TEST(Frame, ExceptionTextIsUtf8) {
  const std::exception& e = ELocalesError(u"ж");
  EXPECT_STREQ(e.what(), "\xD0\xB6");
}

TEST(ResourceStrings, TheTableHoldsTheLibraryMessagesUntilAFileReplacesThem) {
  const std::pair<int32_t, const char16_t*> cases[] = {
      {65520, u"Stack is full"}, {65521, u"Stack is empty"}, {1, u""},
      {65522, u"Source stream is not defined"}, {65523, u"Destination stream is not defined"},
      {65524, u"Wrong stream format"}};
  for (const auto& [id, text] : cases) EXPECT_EQ(LoadResString({&HInstance, id}), text) << id;
  EXPECT_EQ(_ERRStackEmpty.Identifier, 65521);
  // A localized table file replaces texts, all or nothing. That a message is
  // read when raised is held by the compress and utils tests.
  test::ScratchDir dir;
  const std::string path = dir / "table.txt";
  test::Spit(path, "\xEF\xBB\xBF# German table\n65520=Stapel ist voll\r\n"
                   "65524=Falsches Format\\nzweite Zeile\n");
  LoadStringTable(HInstance, path);
  EXPECT_EQ(LoadResString(_ERRStackFull), u"Stapel ist voll");
  EXPECT_EQ(LoadResString({&HInstance, 65524}), u"Falsches Format\nzweite Zeile");
  EXPECT_EQ(LoadResString(_ERRStackEmpty), u"Stack is empty");
  ResetStringTable();
  test::Spit(path, "65521=Leer\nnot a line\n");
  EXPECT_THROW(LoadStringTable(HInstance, path), EConvertError);
  EXPECT_EQ(LoadResString(_ERRStackEmpty), u"Stack is empty");
  EXPECT_THROW(LoadStringTable(HInstance, path + ".missing"), EFOpenError);
}

}  // namespace
}  // namespace dz
