// dz locale: the locales of the system and what the library answers for one.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/locales/YLocales.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

std::string U8(const UnicodeString& s) { return Utf16ToUtf8(s); }

void Row(LCID id, const UnicodeString& shown) {
  std::printf("%04X\t%s\t%s\t%s\n", id, U8(ISOCodesByLocaleTMX(id)).c_str(),
              U8(LocaleEngName(id)).c_str(), U8(shown).c_str());
}

// A locale as hex (0x0409, or four digits from 0: 0409), decimal (1033), ISO codes (en-US,
// "US en", en) or the start of an English language name.
LCID Parse(const std::string& text) {
  const UnicodeString u = ArgText(text);
  char* end = nullptr;
  if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0) {
    unsigned long v = std::strtoul(text.c_str() + 2, &end, 16);
    if (*end == '\0' && text.size() > 2) return static_cast<LCID>(v);
  }
  if (text.size() == 4 && text[0] == '0') {  // Windows' own notation: 0409
    unsigned long v = std::strtoul(text.c_str(), &end, 16);
    if (*end == '\0') return static_cast<LCID>(v);
  }
  unsigned long v = std::strtoul(text.c_str(), &end, 10);
  if (!text.empty() && *end == '\0') return static_cast<LCID>(v);
  for (LCID id : {LocaleByISOCodesTMX(u), LocaleByISOCodes(u), LocaleByISO6391Code(u)})
    if (id) return id;
  return u.size() >= 3 ? LocaleByEnglishName(u) : 0;
}

int List(const Args& args) {
  TLocaleListOpt opt = lloSub;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--primary")
      opt = lloPrimary;
    else if (args[i] == "--sub")
      opt = lloSub;
    else if (args[i] == "--both")
      opt = lloBoth;
    else
      throw UsageError("unknown option '" + args[i] + "'");
  }
  TStringList list;
  GetLocaleList(list, opt);
  for (int32_t i = 0; i < list.Count(); ++i) Row(LocaleOf(list, i), list.Strings(i));
  return kOk;
}

int Info(const Args& args) {
  if (args.size() != 2) throw UsageError("info takes one LOCALE");
  const LCID id = Parse(args[1]);
  if (id == 0 || LocaleInfo(id, LOCALE_SENGLANGUAGE).empty()) {
    std::fprintf(stderr, "dz locale: no locale '%s'\n", Visible(args[1]).c_str());
    return kNo;
  }
  auto line = [](const char* what, const std::string& value) {
    std::printf("%-24s %s\n", what, value.c_str());
  };
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%04X", id);
  line("identifier", hex);
  line("primary language", std::to_string(GetPrimaryLangID(id)));
  line("name", U8(LocaleInfo(id, LOCALE_SLANGUAGE)));
  line("language name", U8(GetLocaleSLanguage(id)));
  line("English name", U8(LocaleEngName(id)));
  line("English language", U8(LocaleInfo(id, LOCALE_SENGLANGUAGE)));
  line("abbreviation", U8(AbbrByLocale(id)));
  line("ISO 639", U8(ISO6391CodeByLocale(id)));
  line("ISO 3166", U8(CountryISOCodeByLocale(id)));
  line("ISO codes", U8(ISOCodesByLocale(id)));
  line("ISO codes (TMX)", U8(ISOCodesByLocaleTMX(id)));
  line("ANSI code page", std::to_string(GetCodePageByLocale(id)));
  line("character set", std::to_string(GetCharSetByLocale(id)));
  line("right to left", IsMiddleEast(id) ? "yes" : "no");
  return kOk;
}

int RunLocale(const Args& args) {
  if (args.empty()) throw UsageError("missing subcommand");
  if (args[0] == "list") return List(args);
  if (args[0] == "info") return Info(args);
  throw UsageError("unknown subcommand '" + args[0] + "'");
}

Register reg({"locale", "the system's locales and what the library says of one",
              "usage: dz locale list [--primary|--sub|--both]\n"
              "       dz locale info LOCALE\n\n"
              "list prints one locale a line: identifier in hex, ISO codes, English name\n"
              "and the name in the system's language. --sub (the default) lists every\n"
              "locale, --primary each language once, --both languages and locales.\n\n"
              "info prints every answer of the library for LOCALE, given as hex (0x0409,\n"
              "or four digits from 0: 0409), decimal (1033), ISO codes (en-US, \"US en\",\n"
              "en) or the start of an English language name (Swed); exit 1 when there\n"
              "is no such locale.\n",
              RunLocale});

}  // namespace
}  // namespace dz::tool
