// YLocales: locales and code pages.
//
//  - One item of locale information (LocaleInfo), English names, the locales
//    of the system as lists in three shapes, and lookups both ways between
//    locale identifiers and abbreviations, English names and ISO codes.
//  - Small locale routines: primary language, right-to-left test, sort keys.
//  - Text between 8 and 16 bits in a named code page or a locale's ANSI code
//    page, code pages and character sets of each other, and UTF-8 line breaks.
//
// Locale identifiers are Windows LCIDs; 0 from a lookup means nothing was
// found. The three locale lists are built once each, on their first use, and
// freed when the library stops; the first thread to ask builds one while
// others wait for it, and reading them is safe. Errors: ELocalesError "Can not get
// locale info" when the system answers two calls for one item differently;
// conversions never raise, they fall back to the host's default code page.
// Threads: any thread; each locale list is built once, under a lock, by the first that asks.
#pragma once

#include "deziva27/base/Export.h"

#include "deziva27/consts/Errors.h"
#include "deziva27/host/classes/Lists.h"
#include "deziva27/host/ui/TreeView.h"
#include "deziva27/base/Types.h"
#include "deziva27/base/WinDefs.h"

namespace dz DZ_API {

// One entry per language, one per locale, or languages and their locales.
enum TLocaleListOpt : uint8_t { lloPrimary = 0, lloSub = 1, lloBoth = 2 };

// --- Locale information ----------------------------------------------------------

// The item LCType of the locale through GetLocaleInfoW; "" when the system
// knows neither.
UnicodeString LocaleInfo(LCID Locale, uint32_t LCType);
// From the library's table of 135 names, else the system's English language
// name, and for a non-primary identifier " (" + its abbreviation + ")" after
// the part of that name before " (".
UnicodeString LocaleEngName(LCID Locale);
// Identifier and 0x3FF.
uint32_t GetPrimaryLangID(LCID Locale);
// LOCALE_SLANGUAGE; for a primary identifier the trimmed part before "(".
UnicodeString GetLocaleSLanguage(LCID Locale);
// LOCALE_SABBREVLANGNAME; for a primary identifier its first 2 characters.
UnicodeString AbbrByLocale(LCID Locale);
// The locale's ISO 639-1 language code and ISO 3166 country code
// (LOCALE_SISO639LANGNAME, LOCALE_SISO3166CTRYNAME), as LocaleInfo gives them.
UnicodeString ISO6391CodeByLocale(LCID Locale);     // "en"
UnicodeString CountryISOCodeByLocale(LCID Locale);  // "US"
// "US en", or "en" for a primary identifier.
UnicodeString ISOCodesByLocale(LCID Locale);
// "en-US", or "en" for a primary identifier.
UnicodeString ISOCodesByLocaleTMX(LCID Locale);
// True when the locale's ANSI code page holds right-to-left characters.
bool IsMiddleEast(LCID Locale);
// The first keyboard layout of the machine whose handle has every bit of
// LangID; LangID itself when there is none.
uint64_t GetKLByLocale(Word LangID);
// A sort key of S that ignores case (the locale's collation), in memory from
// std::malloc stored in Key, which the caller frees with std::free; its
// length, the terminating zero included, or 0 with Key untouched on failure.
Integer GetSortKey(const AnsiString& S, LCID Locale, AnsiChar*& Key);
// The same key as an owning string, without the terminating zero (two keys
// order as their strings do with <); empty on failure.
AnsiString GetSortKey(const AnsiString& S, LCID Locale);

// Entry Ident of Instance's string table, for systems without the wide
// string loader: with no Buffer its length; else at most BufferMax - 1
// characters and a zero go to Buffer and their count is returned (an empty
// entry stores the zero and gives 0; BufferMax <= 1 stores nothing). 0 when
// the table has no such block. Identifiers from 0xFFFF0000 up are negated.
Integer Win9x_LoadStringW(HMODULE Instance, uint32_t Ident, char16_t* Buffer, Integer BufferMax);

// --- Locale lists and lookups ------------------------------------------------------

// Replaces List's items with a copy of the cached list for Opt: display names
// with the identifier in each item's object slot (LocaleOf reads it back).
void GetLocaleList(TStrings& List, TLocaleListOpt Opt);
// The identifier stored in item Index of a locale list.
LCID LocaleOf(const TStrings& List, int32_t Index);
// Replaces the tree's nodes with the languages and their locales, sorted by
// text: a language with one locale is a leaf with that locale's name and
// identifier, one with several a node (its name before "(", its primary
// identifier) with its locales below. Data holds the identifier as an
// integer (LocaleOf reads a node's).
void GetLocaleTree(TTreeView& TreeView);
// The identifier a node of that tree holds in Data.
LCID LocaleOf(const TTreeNode& Node);
// The first item of Opt's list whose abbreviation (2 characters for
// lloPrimary) equals Abbr by CompareText; 0 when none does.
LCID LocaleByAbbrEx(const UnicodeString& Abbr, TLocaleListOpt Opt);
LCID LocaleByAbbr(const UnicodeString& Abbr);  // lloBoth
// The first locale whose lower-cased English language name starts with the
// lower-cased Name; 0 when none does.
LCID LocaleByEnglishName(const UnicodeString& Name);
// The first locale of the list named whose codes (ISOCodesByLocale,
// ISOCodesByLocaleTMX, CountryISOCodeByLocale, ISO6391CodeByLocale) equal
// Codes or Code by CompareText; 0 when none does.
LCID LocaleByISOCodes(const UnicodeString& Codes);     // "US en" in lloBoth
LCID LocaleByISOCodesTMX(const UnicodeString& Codes);  // "en-US" in lloBoth
LCID LocaleByCountryISOCode(const UnicodeString& Code);  // in lloPrimary
LCID LocaleByISO6391Code(const UnicodeString& Code);     // in lloPrimary

// --- Code pages ------------------------------------------------------------------

// The bytes of S in CodePage as 16-bit text; the host's ANSI conversion when
// the code page is unknown or rejects them.
WideString StrToWideByCodePage(const AnsiString& S, Integer CodePage);
// W in CodePage; characters it cannot hold become its default character.
AnsiString WideToStrByCodePage(const WideString& W, Integer CodePage);
// W encoded in FromCP and the bytes read as ToCP.
WideString ConvertWideStrByCodePage(const WideString& W, Integer FromCP, Integer ToCP);
// LOCALE_IDEFAULTANSICODEPAGE as a number; GetACP when the system says nothing.
Integer GetCodePageByLocale(LCID Locale);
// The code-page conversions above, each locale standing for its code page
// (GetCodePageByLocale).
WideString StrToWideByLocale(const AnsiString& S, LCID Locale);
AnsiString WideToStrByLocale(const WideString& W, LCID Locale);
WideString ConvertWideStrByLocale(const WideString& W, LCID FromLocale, LCID ToLocale);
// The Windows character set of a code page (204 for 1251); 1 when unknown.
Integer GetCharSetByCodePage(Integer CodePage);
// The code page of a character set; GetACP when unknown.
Integer GetCodePageByCharSet(Integer CharSet);
// GetCharSetByCodePage of the locale's code page.
Integer GetCharSetByLocale(LCID Locale);
// UTF-8 text with every line break made CR LF.
AnsiString AdjustLineBreaksUtf8(const AnsiString& S);

}  // namespace dz
