// Shared helpers of the scanner tests: build a source, scan it to the end and
// show tokens as short readable strings ("ttIdent x").
#pragma once

#include <string>
#include <vector>

#include "deziva27/host/Host.h"
#include "deziva27/scanner/YScanner.h"

namespace dz::test {

// The lines of a text split at \n.
inline TStringList Text(std::u16string_view text) {
  TStringList lines;
  lines.SetText(text);
  return lines;
}

// "kind text", with controls written as <13> so that failures stay readable,
// and " off" after a token that is not to be localized.
inline std::string Show(const TYToken& t) {
  std::string s = TokenKindName(t.TokType);
  s += ' ';
  for (char16_t c : t.RealStr) {
    if (c < 32)
      s.append("<").append(std::to_string(int(c))).append(">");
    else
      s += Utf16ToUtf8(std::u16string(1, c));
  }
  return t.TokLocalize ? s : s + " off";
}

// Every token from FirstToken to EOS.
inline std::vector<TYToken> ScanAll(TYScanner& sc) {
  std::vector<TYToken> out;
  for (sc.FirstToken(); !sc.EOS(); sc.NextToken()) out.push_back(sc.GetToken(0));
  return out;
}

inline std::vector<std::string> ShowAll(TYScanner& sc) {
  std::vector<std::string> out;
  for (const TYToken& t : ScanAll(sc)) out.push_back(Show(t));
  return out;
}

}  // namespace dz::test
