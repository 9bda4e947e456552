// YLocales, the code-page half: every conversion goes through
// MultiByteToWideChar and WideCharToMultiByte, with the host's default
// conversion when they cannot serve.
#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/locales/YLocales.h"
#include "deziva27/platform/detail/Nls.h"
#include "deziva27/strings/Patterns.h"
#include "deziva27/platform/detail/CodePages.h"

namespace dz {

// One call instead of asking for the size first: no code page gives more
// units than it reads bytes, and the answer is the same.
WideString StrToWideByCodePage(const AnsiString& S, Integer CodePage) {
  if (S.empty() || S.size() > 0x7FFFFFFF) return ToUnicode(S);
  WideString r(S.size(), u'\0');
  const int n =
      win::MultiByteToWideChar(static_cast<uint32_t>(CodePage), 0, S.data(),
                               static_cast<int>(S.size()), r.data(), static_cast<int>(r.size()));
  if (n == 0) return ToUnicode(S);
  r.resize(static_cast<size_t>(n));
  return r;
}

AnsiString WideToStrByCodePage(const WideString& W, Integer CodePage) {
  const auto cp = static_cast<uint32_t>(CodePage);
  const int len = static_cast<int>(W.size());
  const int n = win::WideCharToMultiByte(cp, 0, W.data(), len, nullptr, 0);
  if (n == 0) return ToAnsi(W);
  AnsiString r(static_cast<size_t>(n), '\0');
  r.resize(static_cast<size_t>(win::WideCharToMultiByte(cp, 0, W.data(), len, r.data(), n)));
  return r;
}

WideString ConvertWideStrByCodePage(const WideString& W, Integer FromCP, Integer ToCP) {
  return StrToWideByCodePage(WideToStrByCodePage(W, FromCP), ToCP);
}

Integer GetCodePageByLocale(LCID Locale) {
  const UnicodeString s = LocaleInfo(Locale, LOCALE_IDEFAULTANSICODEPAGE);
  if (s.empty()) return static_cast<Integer>(win::GetACP());
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
  win::CHARSETINFO info;
  if (!win::TranslateCharsetInfo(static_cast<uint32_t>(CodePage), &info, win::TCI_SRCCODEPAGE))
    return 1;
  return static_cast<Integer>(info.ciCharset);
}

Integer GetCodePageByCharSet(Integer CharSet) {
  win::CHARSETINFO info;
  if (!win::TranslateCharsetInfo(static_cast<uint32_t>(CharSet), &info, win::TCI_SRCCHARSET))
    return static_cast<Integer>(win::GetACP());
  return static_cast<Integer>(info.ciACP);
}

Integer GetCharSetByLocale(LCID Locale) {
  return GetCharSetByCodePage(GetCodePageByLocale(Locale));
}

AnsiString AdjustLineBreaksUtf8(const AnsiString& S) {
  return WideToStrByCodePage(AdjustLineBreaks(StrToWideByCodePage(S, CP_UTF8)), CP_UTF8);
}

}  // namespace dz
