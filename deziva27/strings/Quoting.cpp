#include "deziva27/strings/Quoting.h"

#include <charconv>

#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/strings/Numbers.h"

namespace dz {
namespace {

template <class Ch>
uint32_t Code(Ch c) {
  return static_cast<std::make_unsigned_t<Ch>>(c);
}

// Message texts are 16-bit; the few 8-bit bytes that reach one are ASCII
// digits and "#$" (the scan lets nothing else through), so widening suffices.
UnicodeString Widen(std::string_view s) {
  return AsciiToUnicode(s);
}
UnicodeString Widen(std::u16string_view s) {
  return UnicodeString(s);
}

template <class Str>
void AppendDecimal(Str& out, uint32_t v) {
  char buf[12];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  for (char* p = buf; p != r.ptr; ++p) out.push_back(static_cast<typename Str::value_type>(*p));
}

template <class Str, class View = std::basic_string_view<typename Str::value_type>>
Str Quoted(View s, typename Str::value_type q) {
  Str r;
  r.reserve(s.size() + 2);
  r.push_back(q);
  for (size_t i = 0, n = s.size(); i < n;) {
    if (Code(s[i]) >= 32) {
      r.push_back(s[i]);
      if (s[i] == q) r.push_back(q);
      ++i;
      continue;
    }
    r.push_back(q);
    while (i < n && Code(s[i]) < 32) {
      r.push_back('#');
      AppendDecimal(r, Code(s[i++]));
    }
    if (i == n) return r;  // a trailing run stays outside the quotes
    r.push_back(q);
  }
  r.push_back(q);
  return r;
}

// Reads the code after the "#" at s[i]; i ends on the first character after
// the scanned digits.
template <class View>
uint32_t ReadCode(View s, size_t& i, uint32_t limit) {
  const size_t hash = i, start = i + 1;
  size_t e = start;
  const bool hex = start < s.size() && s[start] == '$';
  for (; e < s.size(); ++e) {
    uint32_t c = Code(s[e]);
    bool take = c == '$' || (c >= '0' && c <= '9') ||
                (hex && ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')));
    if (!take) break;
  }
  UnicodeString digits = Widen(s.substr(start, e - start));
  int32_t v = hex ? HexToInt(std::u16string_view(digits).substr(1)) : StrToInt(digits);
  if (v > static_cast<int32_t>(limit))
    throw Exception(u"\"%s\" not a character", {Widen(s.substr(hash, e - hash))});
  i = e;
  return static_cast<uint32_t>(v);
}

template <class Str, class View = std::basic_string_view<typename Str::value_type>>
Str Unquoted(View s, typename Str::value_type q) {
  using Ch = typename Str::value_type;
  constexpr uint32_t limit = sizeof(Ch) == 1 ? 0xFF : 0xFFFF;
  if (s.empty()) return Str();
  Str r;
  bool inside = false;
  for (size_t i = 0, n = s.size(); i < n; ++i) {
    if (!inside) {
      if (s[i] == '#') {
        r.push_back(static_cast<Ch>(ReadCode(s, i, limit)));
        --i;  // the loop's step must not skip the character after the code
      } else if (s[i] == q) {
        inside = true;
      } else {
        break;
      }
    } else if (s[i] != q) {
      r.push_back(s[i]);
    } else if (i + 1 < n && s[i + 1] == q) {
      r.push_back(q);
      ++i;
    } else {
      inside = false;
    }
  }
  if (r.empty() && !(s.size() == 2 && s[0] == q && s[1] == q)) return Str(s);
  return r;
}

template <class Str, class View = std::basic_string_view<typename Str::value_type>>
Str CEncode(View s, bool plainApostrophe, bool quoted) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  static constexpr char kLetters[] = "abtnvfr";  // codes 7 to 13
  Str r;
  r.reserve(s.size() + 2);
  auto put = [&r](const char* esc) {
    for (; *esc; ++esc) r.push_back(static_cast<typename Str::value_type>(*esc));
  };
  if (quoted) r.push_back('"');
  for (auto ch : s) {
    uint32_t c = Code(ch);
    if (c >= 7 && c <= 13) {
      r.push_back('\\');
      r.push_back(kLetters[c - 7]);
    } else if (c == '\\') {
      put("\\\\");
    } else if (c == '"' && quoted) {
      put("\\\"");
    } else if (c == '\'' && quoted && !plainApostrophe) {
      put("\\'");
    } else if (c < 32) {
      put("\\x");
      r.push_back(kHex[c >> 4]);
      r.push_back(kHex[c & 15]);
    } else {
      r.push_back(ch);
    }
  }
  if (quoted) r.push_back('"');
  return r;
}

// Digits of the given base from s[i] on, at most limit of them (0: all),
// tested by their low 8 bits. Returns their value (32-bit, wrapping) and
// moves i past them.
template <class View>
uint32_t ReadEscapeDigits(View s, size_t& i, int32_t limit, uint32_t base) {
  uint32_t v = 0;
  for (int32_t count = 0; i < s.size() && (limit <= 0 || count < limit); ++i, ++count) {
    uint32_t b = Code(s[i]) & 0xFF;
    uint32_t d;
    if (b >= '0' && b <= '9')
      d = b - '0';
    else if (b >= 'A' && b <= 'F')
      d = b - 'A' + 10;
    else if (b >= 'a' && b <= 'f')
      d = b - 'a' + 10;
    else
      break;
    if (d >= base) break;
    v = v * base + d;
  }
  return v;
}

// The escape at s[i] (a backslash with at least one character after it);
// i ends past the escape. hexValue receives the whole value of a \x escape,
// before any cut, and tells whether the escape was one.
template <class View>
uint32_t DecodeEscape(View s, size_t& i, int32_t limit, bool& wasHex, uint32_t& hexValue) {
  uint32_t e = Code(s[i + 1]);
  wasHex = false;
  static constexpr std::string_view kLetters = "abtnvfr";  // codes 7 to 13
  if (size_t k = e < 128 ? kLetters.find(static_cast<char>(e)) : kLetters.npos;
      k != kLetters.npos) {
    i += 2;
    return static_cast<uint32_t>(7 + k);
  }
  if (e == 'x') {
    i += 2;
    wasHex = true;
    hexValue = ReadEscapeDigits(s, i, limit, 16);
    return hexValue & 0xFF;
  }
  if (e >= '0' && e <= '9') {
    i += 1;
    return ReadEscapeDigits(s, i, limit, 8);
  }
  i += 2;
  return e;
}

template <class View>
auto ExtraSymbol(View s, int32_t limit, int32_t& position, bool utf8) {
  using Ch = typename View::value_type;
  if (position < 1 || static_cast<size_t>(position) > s.size()) {
    ++position;
    return Ch(0);
  }
  size_t i = static_cast<size_t>(position - 1);
  if (s[i] != '\\' || i + 1 == s.size()) {
    ++position;
    return s[i];
  }
  bool wasHex;
  uint32_t hexValue = 0;
  uint32_t v = DecodeEscape(s, i, limit, wasHex, hexValue);
  if (wasHex && utf8 && i + 2 < s.size() && s[i] == '\\' && s[i + 1] == 'x') {
    i += 2;
    uint32_t second = ReadEscapeDigits(s, i, limit, 16);
    std::string bytes(1, static_cast<char>(v));
    if (second > 0xFF) bytes.push_back(static_cast<char>((second >> 8) & 0xFF));
    bytes.push_back(static_cast<char>(second & 0xFF));
    UnicodeString decoded = UTF8Decode(bytes);
    v = decoded.empty() ? 211 : decoded[0];
  }
  position = static_cast<int32_t>(i + 1);
  return static_cast<Ch>(v);
}

template <class Str, class View = std::basic_string_view<typename Str::value_type>>
Str UnquotedC(View s, int32_t limit, int32_t& position) {
  if (s.empty() || position < 1 || static_cast<size_t>(position) > s.size() ||
      s[static_cast<size_t>(position - 1)] != '"')
    return Str(s);
  Str r;
  int32_t p = position + 1;
  const int32_t n = static_cast<int32_t>(s.size());
  while (p <= n) {
    auto c = s[static_cast<size_t>(p - 1)];
    if (c == '"') {
      position = p + 1;
      return r;
    }
    if (c == '\\') {
      r.push_back(ExtraSymbol(s, limit, p, false));
    } else {
      r.push_back(c);
      ++p;
    }
  }
  position = n + 1;
  return r;
}

}  // namespace

AnsiString QuotedString(std::string_view s, AnsiChar q) {
  return Quoted<AnsiString>(s, q);
}
UnicodeString QuotedString(std::u16string_view s, WideChar q) {
  return Quoted<UnicodeString>(s, q);
}
AnsiString UnquotedString(std::string_view s, AnsiChar q) {
  return Unquoted<AnsiString>(s, q);
}
UnicodeString UnquotedString(std::u16string_view s, WideChar q) {
  return Unquoted<UnicodeString>(s, q);
}

AnsiString CStringEx(std::string_view s, bool plainApostrophe, bool quoted) {
  return CEncode<AnsiString>(s, plainApostrophe, quoted);
}
UnicodeString CStringEx(std::u16string_view s, bool plainApostrophe, bool quoted) {
  return CEncode<UnicodeString>(s, plainApostrophe, quoted);
}
AnsiString QuotedCStringEx(std::string_view s, bool plainApostrophe) {
  return CStringEx(s, plainApostrophe, true);
}
UnicodeString QuotedCStringEx(std::u16string_view s, bool plainApostrophe) {
  return CStringEx(s, plainApostrophe, true);
}
AnsiString QuotedCString(std::string_view s) {
  return CStringEx(s, false, true);
}
UnicodeString QuotedCString(std::u16string_view s) {
  return CStringEx(s, false, true);
}

AnsiChar GetCExtraSymbolEx(std::string_view s, int32_t digitLimit, int32_t& position) {
  return ExtraSymbol(s, digitLimit, position, false);
}
WideChar GetCExtraSymbolEx(std::u16string_view s, int32_t digitLimit, int32_t& position,
                           bool utf8) {
  return ExtraSymbol(s, digitLimit, position, utf8);
}
AnsiChar GetCExtraSymbol(std::string_view s, int32_t& position) {
  return GetCExtraSymbolEx(s, 0, position);
}
WideChar GetCExtraSymbol(std::u16string_view s, int32_t& position) {
  return GetCExtraSymbolEx(s, 0, position, false);
}

AnsiString XUnquotedCStringEx(std::string_view s, int32_t digitLimit, int32_t& position) {
  return UnquotedC<AnsiString>(s, digitLimit, position);
}
UnicodeString XUnquotedCStringEx(std::u16string_view s, int32_t digitLimit, int32_t& position) {
  return UnquotedC<UnicodeString>(s, digitLimit, position);
}
AnsiString XUnquotedCString(std::string_view s, int32_t& position) {
  return XUnquotedCStringEx(s, 0, position);
}
UnicodeString XUnquotedCString(std::u16string_view s, int32_t& position) {
  return XUnquotedCStringEx(s, 0, position);
}
AnsiString UnquotedCString(std::string_view s) {
  int32_t p = 1;
  return XUnquotedCString(s, p);
}
UnicodeString UnquotedCString(std::u16string_view s) {
  int32_t p = 1;
  return XUnquotedCString(s, p);
}

}  // namespace dz
