// YLocales, the code-page half: every conversion goes through
// MultiByteToWideChar and WideCharToMultiByte, with the host's default
// conversion when they cannot serve.
#include <memory>

#include "deziva27/host/Convert.h"
#include "deziva27/host/Strings.h"
#include "deziva27/locales/YLocales.h"
#include "deziva27/platform/Nls.h"
#include "deziva27/strings/Patterns.h"

namespace dz {

WideString StrToWideByCodePage(const AnsiString& S, Integer CodePage) {
  const auto cp = static_cast<uint32_t>(CodePage);
  const int len = static_cast<int>(S.size());
  const int n = MultiByteToWideChar(cp, 0, S.data(), len, nullptr, 0);
  if (n == 0) return ToUnicode(S);
  std::unique_ptr<char16_t[]> buf(new char16_t[static_cast<size_t>(n) + 1]);
  buf[static_cast<size_t>(n)] = 0;
  MultiByteToWideChar(cp, 0, S.data(), len, buf.get(), n);
  return WideString(buf.get(), static_cast<size_t>(n));
}

AnsiString WideToStrByCodePage(const WideString& W, Integer CodePage) {
  const auto cp = static_cast<uint32_t>(CodePage);
  const int len = static_cast<int>(W.size());
  const int n = WideCharToMultiByte(cp, 0, W.data(), len, nullptr, 0);
  if (n == 0) return ToAnsi(W);
  std::unique_ptr<char[]> buf(new char[static_cast<size_t>(n) + 1]);
  buf[static_cast<size_t>(n)] = 0;
  const int m = WideCharToMultiByte(cp, 0, W.data(), len, buf.get(), n);
  return AnsiString(buf.get(), static_cast<size_t>(m));
}

WideString ConvertWideStrByCodePage(const WideString& W, Integer FromCP, Integer ToCP) {
  return StrToWideByCodePage(WideToStrByCodePage(W, FromCP), ToCP);
}

Integer GetCodePageByLocale(LCID Locale) {
  const UnicodeString s = LocaleInfo(Locale, LOCALE_IDEFAULTANSICODEPAGE);
  if (s.empty()) return static_cast<Integer>(GetACP());
  return StrToInt(s);
}

WideString StrToWideByLocale(const AnsiString& S, LCID Locale) {
  return StrToWideByCodePage(S, GetCodePageByLocale(Locale));
}

AnsiString WideToStrByLocale(const WideString& W, LCID Locale) {
  return WideToStrByCodePage(W, GetCodePageByLocale(Locale));
}

WideString ConvertWideStrByLocale(const WideString& W, LCID FromLocale, LCID ToLocale) {
  return StrToWideByLocale(WideToStrByLocale(W, FromLocale), ToLocale);
}

Integer GetCharSetByCodePage(Integer CodePage) {
  CHARSETINFO info;
  if (!TranslateCharsetInfo(static_cast<uint32_t>(CodePage), &info, TCI_SRCCODEPAGE)) return 1;
  return static_cast<Integer>(info.ciCharset);
}

Integer GetCodePageByCharSet(Integer CharSet) {
  CHARSETINFO info;
  if (!TranslateCharsetInfo(static_cast<uint32_t>(CharSet), &info, TCI_SRCCHARSET))
    return static_cast<Integer>(GetACP());
  return static_cast<Integer>(info.ciACP);
}

Integer GetCharSetByLocale(LCID Locale) { return GetCharSetByCodePage(GetCodePageByLocale(Locale)); }

AnsiString AdjustLineBreaksUtf8(const AnsiString& S) {
  return WideToStrByCodePage(AdjustLineBreaks(StrToWideByCodePage(S, CP_UTF8)), CP_UTF8);
}

}  // namespace dz
