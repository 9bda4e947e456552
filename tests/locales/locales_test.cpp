// The locale and code-page routines over the platform stand-ins, under the
// en-US system locale unless a test says otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "deziva27/frame/Deziva27.h"
#include "deziva27/compress/YCompress.h"
#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/locales/YLocales.h"
#include "deziva27/strings/Search.h"
#include "deziva27/platform/detail/CodePages.h"
#include "deziva27/platform/detail/LocaleInfo.h"
#include "deziva27/platform/detail/LocaleText.h"
#include "deziva27/platform/detail/Nls.h"
#include "deziva27/platform/detail/Resources.h"
#include "deziva27/platform/detail/SortKeys.h"
#include "tests/support/Locale.h"
#include "tests/support/Oracle.h"

namespace dz {
namespace {

namespace oracle = test::oracle;
const auto* const kPinned = ::testing::AddGlobalTestEnvironment(new test::PinnedLocale);

std::string U8(const UnicodeString& s) { return Utf16ToUtf8(s); }

TEST(Locales, NamesAndCodes) {
  // Names not in the library's table are built from what the system says.
  const auto built = [](LCID id) {
    return GetBeforeSep(u" (", LocaleInfo(id, LOCALE_SENGLANGUAGE)) + u" (" +
           LocaleInfo(id, LOCALE_SABBREVLANGNAME) + u")";
  };
  EXPECT_EQ(AbbrByLocale(0x0009), u"EN");
  EXPECT_EQ(AbbrByLocale(0x0409), u"ENU");
  EXPECT_EQ(ISOCodesByLocale(0x0409), u"US en");
  EXPECT_EQ(ISOCodesByLocaleTMX(0x0409), u"en-US");
  EXPECT_EQ(ISOCodesByLocale(0x0009), u"en");
  EXPECT_EQ(ISOCodesByLocaleTMX(0x0009), u"en");
  EXPECT_EQ(GetLocaleSLanguage(0x0009), u"English");
  EXPECT_EQ(GetLocaleSLanguage(0x0809), u"English (United Kingdom)");
  for (const LCID id : {0x0401u, 0x040Du}) EXPECT_TRUE(IsMiddleEast(id)) << id;
  for (const LCID id : {0x0409u, 0x0419u}) EXPECT_FALSE(IsMiddleEast(id)) << id;
  // The library's own English names are exactly 135, and win over the system.
  int own = 0;
  for (LCID id = 0x0401; id <= 0x500A; ++id)
    own += id != GetPrimaryLangID(id) && LocaleEngName(id) != built(id);
  EXPECT_EQ(own, 135);
  const std::pair<LCID, const char16_t*> names[] = {
      {0x0009, u"English"}, {0x0409, u"English (United States)"},
      {0x0C0A, u"Spanish (International Sort)"}, {0x0401, u"Arabic (Saudi Arabia)"},
      {0x0414, u"Norwegian (Bokmal)"}, {0x042F, u"Macedonian (FYROM)"}, {0x0465, u"Divehi"},
      {0x0C1A, u"Serbian (Cyrillic)"}, {0x3801, u"Arabic (U.A.E.)"},
      {0x500A, u"Spanish (Puerto Rico)"}, {0x0419, u"Russian"}};
  for (const auto& [id, name] : names) EXPECT_EQ(LocaleEngName(id), name) << id;
  // The cells themselves are held to Windows' answers by LocaleOracle below.
  char16_t buf[8];
  EXPECT_EQ(win::GetLocaleInfoW(0x0409, LOCALE_SENGLANGUAGE, buf, 7), 0);  // "English" and 0 need 8
  EXPECT_EQ(win::GetLocaleInfoW(0x0409, 0xFFFF, nullptr, 0), 0);
  EXPECT_EQ(LocaleInfo(0x7777, LOCALE_SLANGUAGE), u"");
  // A language answers for its default locale.
  EXPECT_EQ(ISO6391CodeByLocale(0x0809) + u"-" + CountryISOCodeByLocale(0x0809), u"en-GB");
  EXPECT_EQ(ISO6391CodeByLocale(0x0009) + u"-" + CountryISOCodeByLocale(0x0009), u"en-US");
  // Shown in the user interface language, which the system locale does not change.
  test::LocaleScope de("de-DE");
  EXPECT_EQ(LocaleInfo(0x0409, LOCALE_SLANGUAGE), u"English (United States)");
  EXPECT_EQ(LocaleInfo(LOCALE_SYSTEM_DEFAULT, LOCALE_SLANGUAGE), u"German (Germany)");
}

TEST(Locales, ListsInThreeShapesAndTheTree) {
  TStringList sub, primary, both;
  GetLocaleList(sub, lloSub);
  GetLocaleList(primary, lloPrimary);
  GetLocaleList(both, lloBoth);
  ASSERT_GT(sub.Count(), 150);
  EXPECT_LT(primary.Count(), sub.Count());
  EXPECT_GT(both.Count(), sub.Count());
  // Each language once in the primary list; Japanese, with one locale, keeps
  // its full identifier and name, English is the language item.
  std::set<uint32_t> langs;
  for (int32_t i = 0; i < primary.Count(); ++i)
    EXPECT_TRUE(langs.insert(GetPrimaryLangID(LocaleOf(primary, i))).second);
  EXPECT_GE(primary.IndexOfObject(reinterpret_cast<TObject*>(uintptr_t{0x0411})), 0);
  const int32_t en = primary.IndexOfObject(reinterpret_cast<TObject*>(uintptr_t{0x0009}));
  ASSERT_GE(en, 0);
  int32_t firstEnglish = 0;
  while (GetPrimaryLangID(LocaleOf(sub, firstEnglish)) != 0x09) ++firstEnglish;
  EXPECT_EQ(primary.Strings(en), GetBeforeSep(u"(", sub.Strings(firstEnglish)));
  // In the combined list the language item stands right before its first locale.
  const int32_t enBoth = both.IndexOfObject(reinterpret_cast<TObject*>(uintptr_t{0x0009}));
  ASSERT_GE(enBoth, 0);
  EXPECT_EQ(GetPrimaryLangID(LocaleOf(both, enBoth + 1)), 0x09u);
  EXPECT_NE(LocaleOf(both, enBoth + 1), 0x0009u);
  // The tree: the primary list's items, sorted, a language of one locale a
  // leaf, the others holding their locales, sorted.
  TTreeView tree;
  tree.Items().AddObject(u"left over", nullptr);
  GetLocaleTree(tree);
  ASSERT_EQ(tree.Items().TopCount(), primary.Count());
  const TTreeNode *english = nullptr, *japanese = nullptr;
  for (int32_t i = 0; i < tree.Items().TopCount(); ++i) {
    const TTreeNode* n = tree.Items().Top(i);
    if (i > 0) {
      EXPECT_LE(AnsiCompareText(tree.Items().Top(i - 1)->Text(), n->Text()), 0);
    }
    if (GetPrimaryLangID(LocaleOf(*n)) == 0x09) english = n;
    if (LocaleOf(*n) == 0x0411) japanese = n;
    EXPECT_NE(n->Count(), 1) << Utf16ToUtf8(n->Text());  // a single locale is a leaf
  }
  ASSERT_TRUE(english && japanese);
  EXPECT_EQ(japanese->Count(), 0);
  EXPECT_EQ(japanese->Text(), LocaleInfo(0x0411, LOCALE_SLANGUAGE));
  EXPECT_EQ(LocaleOf(*english), 0x0009u);
  ASSERT_GT(english->Count(), 10);
  for (int32_t i = 1; i < english->Count(); ++i)
    EXPECT_LE(AnsiCompareText(english->Item(i - 1)->Text(), english->Item(i)->Text()), 0);
  EXPECT_EQ(GetPrimaryLangID(LocaleOf(*english->GetFirstChild())), 0x09u);
  // Lookups, over the same lists.
  EXPECT_EQ(LocaleByAbbr(u"EN"), 0x0009u);
  EXPECT_EQ(LocaleByAbbr(u"enu"), 0x0409u);
  EXPECT_EQ(LocaleByAbbrEx(u"RU", lloPrimary), 0x0019u);
  EXPECT_EQ(LocaleByISOCodesTMX(u"en-US"), 0x0409u);
  EXPECT_EQ(LocaleByISOCodes(u"us EN"), 0x0409u);
  EXPECT_EQ(LocaleByISO6391Code(u"ja"), 0x0411u);
  // German has several locales: its language item reports Germany.
  EXPECT_EQ(LocaleByCountryISOCode(u"DE"), 0x0007u);
  EXPECT_EQ(LocaleByISO6391Code(u"xx"), 0u);
  EXPECT_EQ(LocaleByEnglishName(u""), LocaleOf(sub, 0));
  EXPECT_EQ(GetPrimaryLangID(LocaleByEnglishName(u"SWED")), 0x1Du);
  EXPECT_EQ(LocaleByEnglishName(u"a name longer than any language's name"), 0u);
  // The stop frees the lists; a request after it builds the same list again.
  Finalize();
  Initialize();
  TStringList again;
  GetLocaleList(again, lloBoth);
  EXPECT_TRUE(again.Equals(both));
}

TEST(LocaleText, TypesAndKeyboards) {
  uint16_t t[4] = {};
  ASSERT_TRUE(win::GetStringTypeExA(0x040D, win::CT_CTYPE2, "a\xE0 1", 4, t));  // 1255: alef
  EXPECT_EQ(t[0], win::C2_LEFTTORIGHT);
  EXPECT_EQ(t[1], win::C2_RIGHTTOLEFT);
  EXPECT_EQ(t[2], win::C2_WHITESPACE);
  EXPECT_EQ(t[3], win::C2_EUROPENUMBER);
  EXPECT_FALSE(win::GetStringTypeExA(0x0409, 1, "a", 1, t));
  EXPECT_FALSE(win::GetStringTypeExA(0x7777, win::CT_CTYPE2, "a", 1, t));

  ::setenv("DZ_KEYBOARD_LAYOUTS", "de,ru 04090409", 1);
  uint64_t layouts[8];
  EXPECT_EQ(win::GetKeyboardLayoutList(0, nullptr), 3);
  ASSERT_EQ(win::GetKeyboardLayoutList(8, layouts), 3);
  EXPECT_EQ(layouts[0], 0x04070407u);
  EXPECT_EQ(GetKLByLocale(0x0419), 0x04190419u);
  // The test is on bits, not on equality: 0x0419 holds every bit of 0x0009.
  EXPECT_EQ(GetKLByLocale(0x0009), 0x04190419u);
  EXPECT_EQ(GetKLByLocale(0x0C0A), 0x0C0Au);  // none: the identifier itself
  ::unsetenv("DZ_KEYBOARD_LAYOUTS");
}

TEST(Locales, StringLoaderBufferRules) {
  const HMODULE lib = win::ModuleHandleOf(HInstance);
  const UnicodeString text = LoadResString(_SWrongStreamFormat);  // entry 65524
  ASSERT_EQ(text.size(), 19u);
  char16_t buf[32];
  // Entry 65535 is empty, in the same block; 65519's block holds no strings;
  // 100's block does not exist.
  struct Case {
    uint32_t Ident;
    Integer BufferMax, Result;
    std::optional<UnicodeString> Stored;  // ended by a NUL; none: the buffer untouched
  } cases[] = {{65524, 32, 19, text}, {65524, 5, 4, text.substr(0, 4)},
               {65524, 2, 1, text.substr(0, 1)}, {65524, 1, 0, {}}, {65524, 0, -1, {}},
               {65535, 8, 0, u""}, {65519, 8, 0, {}}, {100, 8, 0, {}}};
  for (const Case& c : cases) {
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(Win9x_LoadStringW(lib, c.Ident, buf, c.BufferMax), c.Result)
        << c.Ident << " in " << c.BufferMax;
    const UnicodeString want = c.Stored ? *c.Stored + u'\0' : u"#";
    EXPECT_EQ(UnicodeString(buf, want.size()), want);
  }
  // Without a buffer, the length; the same entry through a negative identifier.
  EXPECT_EQ(Win9x_LoadStringW(lib, 65524, nullptr, 0), 19);
  EXPECT_EQ(Win9x_LoadStringW(lib, 0xFFFFFFFFu - 65524 + 1, nullptr, 0), 19);
  EXPECT_EQ(Win9x_LoadStringW(0, 65524, buf, 8), 0);
  const win::HRSRC block = win::FindResourceW(lib, 65524 / 16 + 1, win::RT_STRING);
  ASSERT_NE(block, 0u);
  EXPECT_EQ(win::SizeofResource(lib, block) % 2, 0u);
  EXPECT_EQ(win::FindResourceW(lib, 65524 / 16 + 1, 5), 0u);
}

// What the two-call protocol gives, in the recorded files' notation ("\x":
// the call failed); a protocol fault shows as its own text.
std::string Answer(LCID id, LCTYPE type) {
  const int n = win::GetLocaleInfoW(id, type, nullptr, 0);
  if (n == 0) return "\\x";
  std::u16string buf(static_cast<size_t>(n), u'#');
  if (win::GetLocaleInfoW(id, type, buf.data(), n) != n || buf.back() != 0)
    return "<size protocol>";
  buf.pop_back();
  return U8(buf);
}

// Every recorded cell: each locale Windows lists, each neutral identifier
// it knows, 0x007F, each type the library reads.
TEST(LocaleOracle, EveryRecordedItemAgrees) {
  const auto rows = oracle::Rows("locales.txt");
  std::vector<LCTYPE> types;
  size_t locales = 0, cells = 0, wrong = 0, unknown = 0;
  for (const auto& row : rows) {
    if (row[0] == "types") {
      for (size_t i = 1; i < row.size(); ++i) types.push_back(oracle::Hex(row[i]));
    } else if (row[0] == "unknown") {
      // Identifiers Windows does not know answer nothing.
      for (size_t at = 0; at < row[1].size(); at += 5, ++unknown) {
        const LCID id = oracle::Hex(row[1].substr(at, 4));
        EXPECT_EQ(Answer(id, LOCALE_SNAME), "\\x") << std::hex << id;
        EXPECT_EQ(win::nls::ResolveLCID(id), 0u) << std::hex << id;
      }
    } else {
      ASSERT_EQ(row.size(), types.size() + 1) << row[0];
      const LCID id = oracle::Hex(row[0]);
      ++locales;
      for (size_t t = 0; t < types.size(); ++t, ++cells) {
        const std::string want =
            row[t + 1] == "\\x" ? row[t + 1] : U8(oracle::Text(row[t + 1]));
        const std::string got = Answer(id, types[t]);
        if (got != want && ++wrong <= 20)
          ADD_FAILURE() << row[0] << " type " << std::hex << types[t] << ": \"" << got
                        << "\", Windows \"" << want << "\"";
      }
    }
  }
  std::printf("win::GetLocaleInfoW: %zu of %zu cells agree (%zu locales, %zu types); %zu unknown "
              "identifiers answer nothing\n",
              cells - wrong, cells, locales, types.size(), unknown);
  EXPECT_EQ(wrong, 0u);
  EXPECT_GT(locales, 400u);
  EXPECT_GT(unknown, 0u);
}

std::string gListed;  // the callbacks take no context
int gSeen = 0;
int CollectHex(char16_t* s) {
  if (!gListed.empty()) gListed += ' ';
  gListed += U8(s);
  return 1;
}

// Every list Windows gave, and each locale on them found by its own name,
// with an ICU name and the code pages it reports.
TEST(LocaleOracle, EnumerationListsAgree) {
  std::map<std::string, std::string> lists;
  size_t flags = 0, named = 0;
  for (const auto& row : oracle::Rows("locales_enum.txt")) {
    const std::string want = row[1] == "same" ? lists.at(row[2]) : row[1] == "-" ? "" : row[1];
    lists[row[0]] = want;
    gListed.clear();
    ASSERT_TRUE(win::EnumSystemLocalesW(&CollectHex, oracle::Hex(row[0])));
    EXPECT_EQ(gListed, want) << "flags " << row[0];
    ++flags;
    for (size_t at = 0; row[1] != "same" && at < want.size(); at += 9, ++named) {
      const LCID id = oracle::Hex(want.substr(at, 8));
      EXPECT_EQ(win::nls::LCIDOf(U8(LocaleInfo(id, LOCALE_SNAME))), id) << std::hex << id;
      EXPECT_FALSE(win::nls::LocaleNameOf(id).empty()) << std::hex << id;
      const auto acp = static_cast<uint32_t>(StrToInt(LocaleInfo(id, LOCALE_IDEFAULTANSICODEPAGE)));
      const auto oem = static_cast<uint32_t>(StrToInt(LocaleInfo(id, LOCALE_IDEFAULTCODEPAGE)));
      EXPECT_EQ(win::nls::AnsiCodePageOf(id), acp ? acp : 1252) << std::hex << id;
      EXPECT_EQ(win::nls::OemCodePageOf(id), oem > 1 ? oem : 437) << std::hex << id;
    }
  }
  std::printf("win::EnumSystemLocalesW: %zu flag values, %zu locales and %zu alternate sorts\n",
              flags, (lists.at("1").size() + 1) / 9, (lists.at("4").size() + 1) / 9);
  EXPECT_NE(lists.at("1").find("0000040A"), std::string::npos);
  EXPECT_GT(named, 250u);
  win::EnumSystemLocalesW([](char16_t*) { return int{++gSeen < 2}; }, win::LCID_INSTALLED);
  EXPECT_EQ(gSeen, 2);  // a zero from the callback stops the enumeration
  EXPECT_FALSE(win::EnumSystemLocalesW(nullptr, win::LCID_SUPPORTED));
}

// Names map to identifiers the way the environment writes them; Windows' own
// names are held by the enumeration test, each listed locale by its name.
TEST(LocaleNames, MapToIdentifiersAndBack) {
  const std::pair<const char*, LCID> cases[] = {
      {"ru_RU.UTF-8", 0x0419}, {"EN-us", 0x0409},   {"sr_RS@latin", 0x241A}, {"zh_TW", 0x0404},
      {"ru", 0x0419},          {"zh", 0x0804},      {"ar", 0x0401},          {"C.UTF-8", 0x0409},
      {"uz_UZ", 0x0443},       {"sr_RS.UTF-8", 0x241A}, {"en-DK", 0}, {"xx", 0}, {"", 0x0409},
  };
  for (const auto& [name, id] : cases) EXPECT_EQ(win::nls::LCIDOf(name), id) << name;

  EXPECT_EQ(win::nls::LocaleNameOf(0x040A), "es_ES@collation=traditional");
  EXPECT_EQ(win::nls::LocaleNameOf(LOCALE_INVARIANT), "root");
  EXPECT_EQ(win::nls::LocaleNameOf(0x7777), "");
  {
    test::LocaleScope ru("ru-RU");
    EXPECT_EQ(win::GetOEMCP(), 866u);
    EXPECT_EQ(win::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SNAME, nullptr, 0), 6);
  }
  EXPECT_EQ(win::GetOEMCP(), 437u);
}

// Sort keys against the recorded Windows answers: the order of a word list,
// pair by pair, the key of every character the tables hold, and the size
// protocol.
struct Word {
  std::string text, key;  // the key Windows gave
  int rank;
};

// The recorded lists by (locale, flags), each in Windows' order.
std::map<std::pair<LCID, uint32_t>, std::vector<Word>> WordLists() {
  std::map<std::pair<LCID, uint32_t>, std::vector<Word>> lists;
  for (const oracle::Row& r : oracle::Rows("sortkeys_words.txt"))
    lists[{oracle::Hex(r[0]), oracle::Hex(r[1])}].push_back(
        {oracle::HexBytes(r[3]), oracle::HexBytes(r[4]), std::atoi(r[2].c_str())});
  return lists;
}

// Windows' keys byte for byte, from LCMapStringA and, with GetSortKey's flags,
// from GetSortKey: the classic form with their zero, the owning form without
// it, so that keys compare as strings. Since each list is in Windows' order,
// neighbours comparing as Windows ranked them puts every pair in order. A
// locale the system lacks gives no key and leaves the caller's pointer alone.
TEST(SortKeys, WordOrderAndGetSortKeyAgree) {
  const auto lists = WordLists();
  const auto sign = [](int v) { return (v > 0) - (v < 0); };
  ASSERT_EQ(lists.size(), 14u);
  for (const auto& [which, words] : lists) {
    const auto [lcid, flags] = which;
    size_t sameBytes = 0;
    std::string last;
    for (size_t i = 0; i < words.size(); ++i) {
      const char* text = words[i].text.c_str();
      const int size = win::LCMapStringA(lcid, flags, text, -1, nullptr, 0);
      std::string key(static_cast<size_t>(std::max(size, 0)), '\0');
      EXPECT_EQ(win::LCMapStringA(lcid, flags, text, -1, key.data(), size), size) << text;
      sameBytes += key == words[i].key;
      if (flags == (win::LCMAP_SORTKEY | win::NORM_IGNORECASE)) {
        AnsiChar* raw = nullptr;
        const Integer n = GetSortKey(words[i].text, lcid, raw);
        EXPECT_EQ(std::string(raw, static_cast<size_t>(std::max(n, 0))), words[i].key) << text;
        std::free(raw);
        EXPECT_EQ(GetSortKey(words[i].text, lcid) + '\0', words[i].key) << text;
      }
      if (i > 0) {
        EXPECT_EQ(sign(last.compare(key)), sign(words[i - 1].rank - words[i].rank))
            << std::hex << lcid << "/" << flags << ": \"" << words[i - 1].text << "\" vs \""
            << words[i].text << "\"";
      }
      last = key;
    }
    std::printf("sort keys %04X/%03X: %zu of %zu keys byte for byte\n", lcid, flags, sameBytes,
                words.size());
    EXPECT_EQ(sameBytes, words.size());
  }
  EXPECT_EQ(GetSortKey("abc", 0x7777), "");
  AnsiChar* untouched = reinterpret_cast<AnsiChar*>(0x1);
  EXPECT_EQ(GetSortKey("x", 0x7777, untouched), 0);
  EXPECT_EQ(untouched, reinterpret_cast<AnsiChar*>(0x1));
}

// Each character's key as Windows gives it alone: the runs of the weight
// table stepped through, and the characters and pairs a locale weighs
// otherwise.
TEST(SortKeys, EveryCharacterAlone) {
  size_t chars = 0, same = 0;
  auto check = [&](LCID lcid, const std::u16string& text, std::string want) {
    ++chars;
    want += '\0';
    if (win::detail::sortkey::Build(lcid, text, false) == want) ++same;
    else ADD_FAILURE() << std::hex << lcid << " U+" << static_cast<unsigned>(text[0]);
  };
  for (const oracle::Row& r : oracle::Rows("sortkeys_chars.txt")) {
    if (r[0] == "first") continue;
    const uint32_t first = oracle::Hex(r[0]);
    const int count = std::atoi(r[1].c_str()), delta = std::atoi(r[3].c_str());
    const std::string key = oracle::HexBytes(r[4]);
    for (int i = 0; i < count; ++i) {
      std::string want = key;
      const size_t p = want.find('\x01');
      if (i > 0 && p != std::string::npos && p >= 2) {
        const unsigned v = (static_cast<unsigned char>(want[p - 2]) << 8 |
                            static_cast<unsigned char>(want[p - 1])) +
                           static_cast<unsigned>(i * delta);
        want[p - 2] = static_cast<char>(v >> 8 & 0xFF);
        want[p - 1] = static_cast<char>(v & 0xFF);
      }
      check(0x0409, std::u16string(1, static_cast<char16_t>(first + static_cast<uint32_t>(i))),
            want);
    }
  }
  for (const oracle::Row& r : oracle::Rows("sortkeys_locales.txt"))
    if (r[1] != "*") check(oracle::Hex(r[0]), oracle::HexUnits(r[1]), oracle::HexBytes(r[3]));
  std::printf("sort keys: %zu of %zu characters and pairs alone as recorded\n", same, chars);
}

TEST(SortKeys, SizeProtocolAndRefusals) {
  constexpr uint32_t kKey = win::LCMAP_SORTKEY | win::NORM_IGNORECASE;
  const int n = win::LCMapStringA(0x0409, kKey, "co-op", -1, nullptr, 0);
  ASSERT_GT(n, 0);
  std::string key(static_cast<size_t>(n), '#');
  EXPECT_EQ(win::LCMapStringA(0x0409, kKey, "co-op", -1, key.data(), n - 1), 0);
  EXPECT_EQ(win::LCMapStringA(0x0409, kKey, "co-op", -1, key.data(), n), n);
  // A count that takes in the zero gives the same key as -1.
  std::string counted(static_cast<size_t>(n), '#');
  EXPECT_EQ(win::LCMapStringA(0x0409, kKey, "co-op", 6, counted.data(), n), n);
  EXPECT_EQ(counted, key);
  struct Refused {
    LCID lcid;
    uint32_t flags;
    int cchSrc;
  } refused[] = {{0x7777, kKey, -1}, {0x0409, 0x0100, -1}, {0x0409, kKey | 0x0200, -1},
                 {0x0409, kKey, 0}, {0x0409, kKey, -2}};
  for (const Refused& r : refused)
    EXPECT_EQ(win::LCMapStringA(r.lcid, r.flags, "abc", r.cchSrc, nullptr, 0), 0)
        << std::hex << r.lcid;
}

}  // namespace
}  // namespace dz
