// YLocales, the locale half: locale information, the cached locale lists
// and the lookups over them.
#include <map>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/runtime/FormatSettings.h"
#include "deziva27/host/runtime/detail/Icu.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/locales/YLocales.h"
#include "deziva27/platform/detail/LocaleText.h"
#include "deziva27/platform/detail/Nls.h"
#include "deziva27/strings/Numbers.h"
#include "deziva27/strings/Search.h"
#include "deziva27/host/classes/Streams.h"
#include "deziva27/platform/detail/LocaleInfo.h"
#include "deziva27/platform/detail/Resources.h"

namespace dz {
namespace {

struct EngName {
  LCID Id;
  const char16_t* Name;
};
// The library's own English names; identifiers not here take the system's.
constexpr EngName kEngNames[] = {
    {0x0401, u"Arabic (Saudi Arabia)"}, {0x0402, u"Bulgarian"}, {0x0403, u"Catalan"},
    {0x0404, u"Chinese (Taiwan)"}, {0x0405, u"Czech"}, {0x0406, u"Danish"},
    {0x0407, u"German (Germany)"}, {0x0408, u"Greek"}, {0x0409, u"English (United States)"},
    {0x040A, u"Spanish (Traditional Sort)"}, {0x040B, u"Finnish"}, {0x040C, u"French (France)"},
    {0x040D, u"Hebrew"}, {0x040E, u"Hungarian"}, {0x040F, u"Icelandic"},
    {0x0410, u"Italian (Italy)"}, {0x0411, u"Japanese"}, {0x0412, u"Korean"},
    {0x0413, u"Dutch (Netherlands)"}, {0x0414, u"Norwegian (Bokmal)"}, {0x0415, u"Polish"},
    {0x0416, u"Portuguese (Brazil)"}, {0x0418, u"Romanian"}, {0x0419, u"Russian"},
    {0x041A, u"Croatian"}, {0x041B, u"Slovak"}, {0x041C, u"Albanian"}, {0x041D, u"Swedish"},
    {0x041E, u"Thai"}, {0x041F, u"Turkish"}, {0x0420, u"Urdu"}, {0x0421, u"Indonesian"},
    {0x0422, u"Ukrainian"}, {0x0423, u"Belarusian"}, {0x0424, u"Slovenian"},
    {0x0425, u"Estonian"}, {0x0426, u"Latvian"}, {0x0427, u"Lithuanian"}, {0x0429, u"Farsi"},
    {0x042A, u"Vietnamese"}, {0x042B, u"Armenian"}, {0x042C, u"Azeri (Latin)"},
    {0x042D, u"Basque"}, {0x042F, u"Macedonian (FYROM)"}, {0x0436, u"Afrikaans"},
    {0x0437, u"Georgian"}, {0x0438, u"Faeroese"}, {0x0439, u"Hindi"},
    {0x043E, u"Malay (Malaysia)"}, {0x043F, u"Kazakh"}, {0x0440, u"Kyrgyz (Cyrillic)"},
    {0x0441, u"Swahili"}, {0x0443, u"Uzbek (Latin)"}, {0x0444, u"Tatar"}, {0x0446, u"Punjabi"},
    {0x0447, u"Gujarati"}, {0x0449, u"Tamil"}, {0x044A, u"Telugu"}, {0x044B, u"Kannada"},
    {0x044E, u"Marathi"}, {0x044F, u"Sanskrit"}, {0x0450, u"Mongolian (Cyrillic)"},
    {0x0456, u"Galician"}, {0x0457, u"Konkani"}, {0x045A, u"Syriac"}, {0x0465, u"Divehi"},
    {0x0801, u"Arabic (Iraq)"}, {0x0804, u"Chinese (PRC)"}, {0x0807, u"German (Switzerland)"},
    {0x0809, u"English (United Kingdom)"}, {0x080A, u"Spanish (Mexico)"},
    {0x080C, u"French (Belgium)"}, {0x0810, u"Italian (Switzerland)"},
    {0x0813, u"Dutch (Belgium)"}, {0x0814, u"Norwegian (Nynorsk)"},
    {0x0816, u"Portuguese (Portugal)"}, {0x081A, u"Serbian (Latin)"},
    {0x081D, u"Swedish (Finland)"}, {0x082C, u"Azeri (Cyrillic)"},
    {0x083E, u"Malay (Brunei Darussalam)"}, {0x0843, u"Uzbek (Cyrillic)"},
    {0x0C01, u"Arabic (Egypt)"}, {0x0C04, u"Chinese (Hong Kong)"}, {0x0C07, u"German (Austria)"},
    {0x0C09, u"English (Australia)"}, {0x0C0A, u"Spanish (International Sort)"},
    {0x0C0C, u"French (Canada)"}, {0x0C1A, u"Serbian (Cyrillic)"}, {0x1001, u"Arabic (Libya)"},
    {0x1004, u"Chinese (Singapore)"}, {0x1007, u"German (Luxembourg)"},
    {0x1009, u"English (Canada)"}, {0x100A, u"Spanish (Guatemala)"},
    {0x100C, u"French (Switzerland)"}, {0x1401, u"Arabic (Algeria)"},
    {0x1404, u"Chinese (Macau)"}, {0x1407, u"German (Liechtenstein)"},
    {0x1409, u"English (New Zealand)"}, {0x140A, u"Spanish (Costa Rica)"},
    {0x140C, u"French (Luxembourg)"}, {0x1801, u"Arabic (Morocco)"},
    {0x1809, u"English (Ireland)"}, {0x180A, u"Spanish (Panama)"}, {0x180C, u"French (Monaco)"},
    {0x1C01, u"Arabic (Tunisia)"}, {0x1C09, u"English (South Africa)"},
    {0x1C0A, u"Spanish (Dominican Republic)"}, {0x2001, u"Arabic (Oman)"},
    {0x2009, u"English (Jamaica)"}, {0x200A, u"Spanish (Venezuela)"}, {0x2401, u"Arabic (Yemen)"},
    {0x2409, u"English (Caribbean)"}, {0x240A, u"Spanish (Colombia)"},
    {0x2801, u"Arabic (Syria)"}, {0x2809, u"English (Belize)"}, {0x280A, u"Spanish (Peru)"},
    {0x2C01, u"Arabic (Jordan)"}, {0x2C09, u"English (Trinidad)"},
    {0x2C0A, u"Spanish (Argentina)"}, {0x3001, u"Arabic (Lebanon)"},
    {0x3009, u"English (Zimbabwe)"}, {0x300A, u"Spanish (Ecuador)"}, {0x3401, u"Arabic (Kuwait)"},
    {0x3409, u"English (Philippines)"}, {0x340A, u"Spanish (Chile)"},
    {0x3801, u"Arabic (U.A.E.)"}, {0x380A, u"Spanish (Uruguay)"}, {0x3C01, u"Arabic (Bahrain)"},
    {0x3C0A, u"Spanish (Paraguay)"}, {0x4001, u"Arabic (Qatar)"}, {0x400A, u"Spanish (Bolivia)"},
    {0x440A, u"Spanish (El Salvador)"}, {0x480A, u"Spanish (Honduras)"},
    {0x4C0A, u"Spanish (Nicaragua)"}, {0x500A, u"Spanish (Puerto Rico)"},
};

bool IsPrimary(LCID lcid) { return lcid == GetPrimaryLangID(lcid); }

TObject* AsObject(LCID lcid) { return reinterpret_cast<TObject*>(static_cast<uintptr_t>(lcid)); }

// The three cached lists, and the list the enumeration callback fills: the
// callback has no argument through which to reach it, so each thread has its
// own. No destructors: the unit's stop runs at exit after static destructors
// may have run, and must find them still there. A list is built under the
// lock by the first thread that asks; the others wait and then read it.
constinit std::atomic<TStringList*> gLists[3] = {};
constinit std::mutex gBuilding;
thread_local TStringList* tEnumList = nullptr;

int EnumLocalesProc(char16_t* localeString) {
  try {
    UnicodeString s(localeString);
    if (!s.empty()) {
      const auto lcid = static_cast<LCID>(HexToInt(s));
      UnicodeString name = LocaleInfo(lcid, LOCALE_SLANGUAGE);
      if (!name.empty()) tEnumList->AddObject(name, AsObject(lcid));
    }
  } catch (const std::exception&) {
    // A locale the system cannot describe is left out.
  }
  return 1;
}

void BuildLocaleList(TStringList& list, TLocaleListOpt opt) {
  list.Clear();
  TStringList collected;
  tEnumList = &collected;
  struct Reset {
    ~Reset() { tEnumList = nullptr; }
  } reset;
  win::EnumSystemLocalesW(&EnumLocalesProc, win::LCID_SUPPORTED);
  if (opt == lloPrimary) {
    for (int32_t i = 0; i < collected.Count(); ++i) {
      const uint32_t p = GetPrimaryLangID(LocaleOf(collected, i));
      bool deleted = false;
      for (int32_t j = i + 1; j < collected.Count();) {
        if (GetPrimaryLangID(LocaleOf(collected, j)) == p) {
          collected.Delete(j);
          deleted = true;
        } else {
          ++j;
        }
      }
      if (deleted) {
        collected.SetStrings(i, GetBeforeSep(u"(", collected.Strings(i)));
        collected.SetObjects(i, AsObject(p));
      }
    }
  } else if (opt == lloBoth) {
    for (int32_t i = 0; i < collected.Count() - 1;) {
      const uint32_t p = GetPrimaryLangID(LocaleOf(collected, i));
      if (collected.IndexOfObject(AsObject(p)) >= 0) {
        ++i;
        continue;
      }
      bool more = false;
      for (int32_t j = i + 1; j < collected.Count() && !more; ++j)
        more = GetPrimaryLangID(LocaleOf(collected, j)) == p;
      if (more) {
        collected.InsertObject(i, GetBeforeSep(u"(", collected.Strings(i)), AsObject(p));
        i += 2;
      } else {
        ++i;
      }
    }
  }
  list.Assign(collected);
}

const TStringList& CachedList(TLocaleListOpt opt) {
  std::atomic<TStringList*>& slot = gLists[opt];
  if (TStringList* ready = slot.load(std::memory_order_acquire)) return *ready;
  std::lock_guard<std::mutex> hold(gBuilding);
  if (!slot.load(std::memory_order_relaxed)) {
    auto built = std::make_unique<TStringList>();
    BuildLocaleList(*built, opt);
    slot.store(built.release(), std::memory_order_release);
  }
  return *slot.load(std::memory_order_relaxed);
}

// The first item of opt's list for which key(identifier) equals value by
// CompareText.
template <typename Key>
LCID FindBy(TLocaleListOpt opt, const UnicodeString& value, Key key) {
  TStringList list;
  GetLocaleList(list, opt);
  for (int32_t i = 0; i < list.Count(); ++i)
    if (CompareText(key(LocaleOf(list, i)), value) == 0) return LocaleOf(list, i);
  return 0;
}

}  // namespace

UnicodeString LocaleInfo(LCID Locale, uint32_t LCType) {
  const int n = win::GetLocaleInfoW(Locale, LCType, nullptr, 0);
  std::unique_ptr<char16_t[]> buf(new char16_t[static_cast<size_t>(n) + 1]());
  const int m = win::GetLocaleInfoW(Locale, LCType, buf.get(), n);
  if (m != n) throw ELocalesError(u"Can not get locale info");
  return UnicodeString(buf.get());
}

UnicodeString LocaleEngName(LCID Locale) {
  for (const EngName& e : kEngNames)
    if (e.Id == Locale) return e.Name;
  UnicodeString s = LocaleInfo(Locale, LOCALE_SENGLANGUAGE);
  if (IsPrimary(Locale)) return s;
  return GetBeforeSep(u" (", s) + u" (" + LocaleInfo(Locale, LOCALE_SABBREVLANGNAME) + u")";
}

uint32_t GetPrimaryLangID(LCID Locale) { return Locale & 0x3FF; }

UnicodeString GetLocaleSLanguage(LCID Locale) {
  UnicodeString s = LocaleInfo(Locale, LOCALE_SLANGUAGE);
  return IsPrimary(Locale) ? Trim(GetBeforeSep(u"(", s)) : s;
}

UnicodeString AbbrByLocale(LCID Locale) {
  UnicodeString s = LocaleInfo(Locale, LOCALE_SABBREVLANGNAME);
  return IsPrimary(Locale) ? s.substr(0, 2) : s;
}

UnicodeString ISO6391CodeByLocale(LCID Locale) {
  return LocaleInfo(Locale, LOCALE_SISO639LANGNAME);
}

UnicodeString CountryISOCodeByLocale(LCID Locale) {
  return LocaleInfo(Locale, LOCALE_SISO3166CTRYNAME);
}

UnicodeString ISOCodesByLocale(LCID Locale) {
  if (IsPrimary(Locale)) return ISO6391CodeByLocale(Locale);
  return CountryISOCodeByLocale(Locale) + u" " + ISO6391CodeByLocale(Locale);
}

UnicodeString ISOCodesByLocaleTMX(LCID Locale) {
  if (IsPrimary(Locale)) return ISO6391CodeByLocale(Locale);
  return ISO6391CodeByLocale(Locale) + u"-" + CountryISOCodeByLocale(Locale);
}

bool IsMiddleEast(LCID Locale) {
  if (Win32Platform == 2) {
    char bytes[128];
    for (int i = 0; i < 128; ++i) bytes[i] = static_cast<char>(128 + i);
    uint16_t types[128] = {};
    win::GetStringTypeExA(Locale, win::CT_CTYPE2, bytes, 128, types);
    for (uint16_t t : types)
      if (t == win::C2_RIGHTTOLEFT) return true;
    return false;
  }
  const uint32_t lang = GetPrimaryLangID(Locale);
  return lang <= 63 && ((uint64_t{0x0000020140002002} >> lang) & 1) != 0;
}

uint64_t GetKLByLocale(Word LangID) {
  uint64_t layouts[64];
  const int n = win::GetKeyboardLayoutList(64, layouts);
  for (int i = 0; i < n; ++i)
    if ((layouts[i] & LangID) == LangID) return layouts[i];
  return LangID;
}

Integer GetSortKey(const AnsiString& S, LCID Locale, AnsiChar*& Key) {
  constexpr uint32_t kFlags = win::LCMAP_SORTKEY | win::NORM_IGNORECASE;
  const int n =
      win::LCMapStringA(Locale, kFlags, S.c_str(), static_cast<int>(S.size()) + 1, nullptr, 0);
  if (n == 0) return 0;
  Key = static_cast<AnsiChar*>(std::malloc(static_cast<size_t>(n)));
  return win::LCMapStringA(Locale, kFlags, S.c_str(), -1, Key, n);
}

AnsiString GetSortKey(const AnsiString& S, LCID Locale) {
  AnsiChar* raw = nullptr;
  const Integer n = GetSortKey(S, Locale, raw);
  const std::unique_ptr<AnsiChar, decltype(&std::free)> owned(raw, &std::free);
  return n > 0 ? AnsiString(raw, static_cast<size_t>(n - 1)) : AnsiString();
}

Integer Win9x_LoadStringW(HMODULE Instance, uint32_t Ident, char16_t* Buffer, Integer BufferMax) {
  if ((Ident >> 16) == 0xFFFF) Ident = 0u - Ident;
  const win::HRSRC res = win::FindResourceW(Instance, ((Ident >> 4) & 0xFFFF) + 1, win::RT_STRING);
  if (res == 0) return 0;
  const win::HGLOBAL data = win::LoadResource(Instance, res);
  if (!data) return 0;
  const auto* p = static_cast<const char16_t*>(win::LockResource(data));
  if (!p) return 0;
  for (uint32_t i = Ident & 15; i > 0; --i) p += 1 + *p;
  const Integer len = *p;
  if (!Buffer) return len;
  const Integer k = std::min<Integer>(BufferMax - 1, len);
  if (k >= 1) {
    std::copy(p + 1, p + 1 + k, Buffer);
    Buffer[k] = 0;
    return k;
  }
  if (BufferMax > 1) Buffer[0] = 0;
  return k;
}

void GetLocaleList(TStrings& List, TLocaleListOpt Opt) { List.Assign(CachedList(Opt)); }

LCID LocaleOf(const TStrings& List, int32_t Index) {
  return static_cast<LCID>(reinterpret_cast<uintptr_t>(List.Objects(Index)));
}

LCID LocaleOf(const TTreeNode& Node) {
  return static_cast<LCID>(reinterpret_cast<uintptr_t>(Node.Data()));
}

void GetLocaleTree(TTreeView& TreeView) {
  TreeView.Items().Clear();
  TStringList list;
  GetLocaleList(list, lloSub);
  std::map<UnicodeString, TTreeNode*> languages;  // by the decimal primary identifier
  auto data = [](LCID id) { return reinterpret_cast<void*>(static_cast<uintptr_t>(id)); };
  for (int32_t i = 0; i < list.Count(); ++i) {
    const LCID id = LocaleOf(list, i);
    const UnicodeString key = IntToStr(static_cast<int32_t>(GetPrimaryLangID(id)));
    TTreeNode*& node = languages[key];
    if (!node)
      node = TreeView.Items().AddObject(GetBeforeSep(u"(", list.Strings(i)), data(id & 0xFF));
    TreeView.Items().AddChildObject(node, list.Strings(i), data(id));
  }
  TreeView.SetSortType(stText);
  for (auto& [key, node] : languages) {
    if (node->Count() >= 2) continue;
    TTreeNode* only = node->GetFirstChild();
    node->SetData(only->Data());
    const UnicodeString text = only->Text();
    node->DeleteChildren();
    node->SetText(text);
  }
}

LCID LocaleByAbbrEx(const UnicodeString& Abbr, TLocaleListOpt Opt) {
  return FindBy(Opt, Abbr, [Opt](LCID id) {
    UnicodeString a = AbbrByLocale(id);
    return Opt == lloPrimary ? a.substr(0, 2) : a;
  });
}

LCID LocaleByAbbr(const UnicodeString& Abbr) { return LocaleByAbbrEx(Abbr, lloBoth); }

LCID LocaleByEnglishName(const UnicodeString& Name) {
  TStringList list;
  GetLocaleList(list, lloSub);
  const UnicodeString want = LowerCase(Name);
  for (int32_t i = 0; i < list.Count(); ++i)
    if (StartsWith(want, LowerCase(LocaleInfo(LocaleOf(list, i), LOCALE_SENGLANGUAGE))))
      return LocaleOf(list, i);
  return 0;
}

LCID LocaleByISOCodes(const UnicodeString& Codes) {
  return FindBy(lloBoth, Codes, ISOCodesByLocale);
}

LCID LocaleByISOCodesTMX(const UnicodeString& Codes) {
  return FindBy(lloBoth, Codes, ISOCodesByLocaleTMX);
}

LCID LocaleByCountryISOCode(const UnicodeString& Code) {
  return FindBy(lloPrimary, Code, CountryISOCodeByLocale);
}

LCID LocaleByISO6391Code(const UnicodeString& Code) {
  return FindBy(lloPrimary, Code, ISO6391CodeByLocale);
}

namespace detail {
// The unit's stop: the cached lists go, and a later use builds them again.
void YLocalesStop() {
  for (std::atomic<TStringList*>& l : gLists) delete l.exchange(nullptr);
}
}  // namespace detail

}  // namespace dz
