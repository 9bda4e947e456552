#include "deziva27/utils/CommaText.h"

#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

bool IsBlank(char16_t c) {
  return c >= 1 && c <= 32;
}

bool NeedsQuotes(std::u16string_view line) {
  for (char16_t c : line)
    if (IsBlank(c) || c == u'"' || c == u',') return true;
  return false;
}

}  // namespace

UnicodeString StringToComma(std::u16string_view Text) {
  UnicodeString result;
  result.reserve(Text.size() + 2);
  const size_t n = Text.size();
  // Position of the next CR, found once and moved only when passed, so a
  // text of LF breaks is not scanned again for a CR at every line.
  size_t nextCR = Text.find(u'\r');
  size_t i = 0;
  while (i < n) {
    if (nextCR != std::u16string_view::npos && nextCR < i) nextCR = Text.find(u'\r', i);
    size_t end = nextCR != std::u16string_view::npos ? nextCR : Text.find(u'\n', i);
    if (end == std::u16string_view::npos) end = n;
    std::u16string_view line = Text.substr(i, end - i);
    if (NeedsQuotes(line)) {
      result += AnsiQuotedStr(line, u'"');
    } else {
      result += line;
    }
    if (end == n) break;
    result.push_back(u',');
    bool crlf = Text[end] == u'\r' && end + 1 < n && Text[end + 1] == u'\n';
    i = end + (crlf ? 2 : 1);
  }
  return result;
}

UnicodeString CommaToString(std::u16string_view Text) {
  // The classic reading walks a NUL-terminated text; a copy gives us one
  // whatever view we were handed.
  const UnicodeString buf(Text);
  const WideChar* p = buf.c_str();
  auto skipBlanks = [&p] {
    while (IsBlank(*p)) ++p;
  };
  UnicodeString result;
  result.reserve(buf.size());
  skipBlanks();
  while (*p != 0) {
    if (*p == u'"') {
      result += AnsiExtractQuotedStr(p, u'"');
    } else {
      const WideChar* start = p;
      while (*p > 32 && *p != u',') ++p;
      result.append(start, static_cast<size_t>(p - start));
    }
    skipBlanks();
    if (*p == u',') {
      result += u"\r\n";
      ++p;
      skipBlanks();
    }
  }
  return result;
}

}  // namespace dz
