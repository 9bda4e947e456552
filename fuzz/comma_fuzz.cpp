// Comma text: CommaToString reads any text without running past it, and a
// text of CR LF lines (no NUL, which ends a comma text) survives the trip
// through StringToComma and back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "deziva27/utils/CommaText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string s;
  for (size_t i = 0; i + 1 < size; i += 2)
    s.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  (void)dz::CommaToString(s);
  (void)dz::StringToComma(s);

  // The same units as lines: every lone CR or LF, and every NUL, made a letter.
  std::u16string text;
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') {
      text += u"\r\n";
      ++i;
    } else {
      text.push_back(c == u'\r' || c == u'\n' || c == 0 ? u'x' : c);
    }
  }
  // Every line holding a blank, quote or comma is written quoted, so
  // nothing is lost on the way back.
  if (dz::CommaToString(dz::StringToComma(text)) != text) std::abort();
  return 0;
}
