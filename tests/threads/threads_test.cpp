// The routines the headers call safe from any thread, first called from
// several threads at once, so each lazily built table, cache and list is built
// while others ask for it too. Every thread checks its answers; under
// ThreadSanitizer (build/tsan) an unguarded first use also fails as a race.
#include <gtest/gtest.h>

#include <barrier>
#include <cstdlib>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "deziva27/compress/detail/LZCoder.h"
#include "deziva27/compress/YCompress.h"
#include "deziva27/datetime/YDattime.h"
#include "deziva27/frame/Deziva27.h"
#include "deziva27/frame/detail/Units.h"
#include "deziva27/host/Host.h"
#include "deziva27/host/ui/UiBackend.h"
#include "deziva27/locales/YLocales.h"
#include "deziva27/platform/detail/Module.h"
#include "deziva27/platform/detail/Nls.h"
#include "deziva27/platform/detail/Shell.h"
#include "deziva27/scanner/YScanner.h"
#include "deziva27/strings/YStrings.h"
#include "registry/TempStore.h"

namespace dz {
namespace {

constexpr int kThreads = 6;

// work(i) on kThreads threads released at one moment.
template <class F>
void Race(F work) {
  std::barrier start(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i)
    threads.emplace_back([&, i] {
      start.arrive_and_wait();
      work(i);
    });
  for (auto& t : threads) t.join();
}

// The system locale is set before threads start; the settings, and the
// per-thread copies of the fixed-point and parsing routines, load on first use.
TEST(Threads, FormatSettingsLoadOnceForAll) {
  ASSERT_TRUE(win::SetSystemLocale("de-DE"));
  const TDateTime day = EncodeDate(2026, 3, 14);
  const UnicodeString dayName = GetDateName(day);
  Race([&](int) {
    EXPECT_EQ(FormatSettings().DecimalSeparator, u',');
    EXPECT_EQ(FormatSettings().LongMonthNames[2], u"März");
    EXPECT_EQ(FloatToStr(2.5), u"2,5");
    EXPECT_EQ(XFloatToStr(2.5), u"2.5");
    EXPECT_EQ(StrToDateTimeByFormat(u"dd.mm.yyyy", u"14.03.2026"), day);
    EXPECT_EQ(GetDateName(day), dayName);
  });
  ASSERT_TRUE(win::SetSystemLocale("en-US"));
}

// Two threads build each page's encoder at once.
TEST(Threads, CodePagesBuildOnFirstUse) {
  static const std::tuple<Integer, const char16_t*, const char*> kPages[] = {
      {932, u"\u3042", "\x82\xA0"}, {936, u"\u4E2D", "\xD6\xD0"}, {949, u"\uAC00", "\xB0\xA1"},
      {950, u"\u4E2D", "\xA4\xA4"}, {1251, u"\u0416", "\xC6"},    {1253, u"\u03A9", "\xD9"}};
  Race([](int i) {
    for (int k : {i, i + 1}) {
      const auto& [cp, text, bytes] = kPages[k % std::size(kPages)];
      EXPECT_EQ(WideToStrByCodePage(text, cp), bytes) << cp;
      EXPECT_EQ(StrToWideByCodePage(bytes, cp), text) << cp;
    }
  });
}

// The cached locale lists, collation, case mapping and sort keys.
TEST(Threads, LocaleListsAndCollation) {
  std::vector<UnicodeString> texts(kThreads);
  std::vector<std::string> keys(kThreads);
  Race([&](int i) {
    TStringList list;
    GetLocaleList(list, static_cast<TLocaleListOpt>(i % 3));
    texts[i] = list.Text();
    EXPECT_EQ(LocaleByISOCodesTMX(u"de-DE"), 0x0407u);
    EXPECT_LT(AnsiCompareText(u"apple", u"Banana"), 0);
    EXPECT_TRUE(FitToTemplate(std::u16string_view(u"Report.TXT"), u"*.txt", false));
    EXPECT_EQ(AnsiUpperCase(std::u16string_view(u"\u00E9t\u00E9")), u"\u00C9T\u00C9");
    AnsiChar* key = nullptr;
    const Integer n = GetSortKey("co-op", 0x0409, key);
    ASSERT_GT(n, 0);
    keys[i].assign(key, static_cast<size_t>(n));
    std::free(key);
  });
  for (int i = 3; i < kThreads; ++i) EXPECT_EQ(texts[i], texts[i % 3]);
  for (const std::string& key : keys) EXPECT_EQ(key, keys[0]);
  EXPECT_GT(texts[1].size(), texts[0].size());  // every locale, more than the languages
}

// Messages replaced while others are loaded.
TEST(Threads, ResourceStrings) {
  static const TStringResource kTable[] = {{1, u"one"}};
  static const TResourceModule kModule = {"threads", kTable};
  SetResString(HInstance, 65520, u"Stack is full");
  Race([](int i) {
    if (i == 0) {
      SetResString(kModule, 1, u"uno");
      SetResString(HInstance, 65520, u"Stack is full");
    }
    EXPECT_EQ(LoadResString(_ERRStackFull), u"Stack is full");
    char16_t buf[32];
    EXPECT_EQ(Win9x_LoadStringW(win::ModuleHandleOf(HInstance), 65521, buf, 32), 14);
  });
  EXPECT_EQ(LoadResString(TResStringRec{&kModule, 1}), u"uno");
  ResetStringTable();
}

// Loads and frees of one object, counted in the shared module list.
TEST(Threads, ModuleList) {
  Race([](int) {
    for (int round = 0; round < 20; ++round) {
      const HMODULE m = win::LoadLibraryExW(u"libm.so.6", nullptr, 0);
      ASSERT_NE(m, 0u);
      auto cosine = reinterpret_cast<double (*)(double)>(win::GetProcAddress(m, "cos"));
      ASSERT_NE(cosine, nullptr);
      EXPECT_EQ(cosine(0.0), 1.0);
      EXPECT_TRUE(win::FreeLibrary(m));
    }
  });
}

// Independent buffers through the coder and the decoder, half of the
// threads decoding the portable way.
TEST(Threads, LzyOfIndependentBuffers) {
  Race([](int i) {
    std::string data;
    for (int k = 0; k < 20000; ++k) data += std::to_string(k * (i + 1) % 977) + ' ';
    TMemoryStream src, packed, back;
    src.Write(data.data(), static_cast<int32_t>(data.size()));
    src.SetPosition(0);
    LZYCompressStream(&src, &packed);
    packed.SetPosition(0);
    detail::LZDecodePortably(i % 2 == 1);
    LZYDecompressStream(&packed, &back);
    detail::LZDecodePortably(false);
    EXPECT_EQ(std::string(back.Memory(), back.Memory() + back.Size()), data);
  });
}

// A scanner a thread gives what one scanner alone gives.
std::vector<UnicodeString> Scan() {
  TYScanner sc;
  sc.SetSourceStyle(ssC);
  sc.SetSource(TStringList({u"x = \"a\\n\" + f(0x1F); // end", u"while (y) y--;"}));
  std::vector<UnicodeString> tokens;
  for (sc.FirstToken(); !sc.EOS(); sc.NextToken())
    tokens.push_back(IntToStr(static_cast<int32_t>(sc.GetTokType())) + u" " + sc.GetRealStr());
  return tokens;
}

TEST(Threads, ScannersPerThread) {
  const std::vector<UnicodeString> alone = Scan();
  ASSERT_GT(alone.size(), 10u);
  Race([&](int) { EXPECT_EQ(Scan(), alone); });
}

// The first use chooses the backend, once for all.
TEST(Threads, UiBackendChosenOnce) {
  ASSERT_EQ(::setenv("DZ_UI", "terminal", 1), 0);
  std::vector<TUiBackend*> seen(kThreads);
  Race([&](int i) { seen[i] = &UiBackend(); });
  for (TUiBackend* b : seen) EXPECT_EQ(b, seen[0]);
}

// Children started, waited for and closed through the shared process table.
TEST(Threads, Processes) {
  Race([](int i) {
    const UnicodeString params = i % 2 ? u"-c \"exit 3\"" : u"-c true";
    win::SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = win::SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = u"/bin/sh";
    info.lpParameters = params.c_str();
    ASSERT_TRUE(win::ShellExecuteExW(&info));
    EXPECT_EQ(win::WaitForSingleObject(info.hProcess, win::INFINITE), win::WAIT_OBJECT_0);
    win::DWORD code = 99;
    EXPECT_TRUE(win::GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, i % 2 ? 3u : 0u);
    EXPECT_TRUE(win::CloseHandle(info.hProcess));
  });
}

// The first TRegistry of each thread opens the one shared store.
using ThreadsOnAStore = test::TempStore;
TEST_F(ThreadsOnAStore, RegistryStore) {
  Race([](int i) {
    const UnicodeString key = u"Software\\dz\\threads\\" + IntToStr(i);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.WriteString(u"v", IntToStr(i * 7));
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKeyReadOnly(key));
    EXPECT_EQ(reg.ReadString(u"v"), IntToStr(i * 7));
  });
}

// Starts and stops of the units from several threads balance out.
TEST(Threads, UnitStartsAndStops) {
  Race([](int) {
    for (int round = 0; round < 50; ++round) {
      Initialize();
      Finalize();
    }
  });
  EXPECT_EQ(detail::UnitStartCount("YUtils"), 1);
}

}  // namespace
}  // namespace dz
