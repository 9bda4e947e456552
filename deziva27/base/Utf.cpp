#include "deziva27/base/Utf.h"

namespace dz {

UnicodeString AsciiToUnicode(std::string_view s) {
  UnicodeString r(s.size(), u'\0');
  for (size_t i = 0; i < s.size(); ++i) r[i] = static_cast<unsigned char>(s[i]);
  return r;
}

namespace {

// Decodes one UTF-8 sequence at s[i]; returns the code point or -1 when the
// sequence is ill-formed (overlong, surrogate, beyond U+10FFFF, cut short).
int32_t DecodeUtf8(std::string_view s, size_t& i) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = b(i);
  if (c < 0x80) {
    ++i;
    return c;
  }
  int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
  if (len == 0 || c > 0xF4 || (len == 2 && c < 0xC2) || i + len > s.size()) {
    ++i;
    return -1;
  }
  int32_t cp = c & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    unsigned char t = b(i + k);
    if ((t & 0xC0) != 0x80) {
      i += k;
      return -1;
    }
    cp = (cp << 6) | (t & 0x3F);
  }
  i += len;
  if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return -1;
  return cp;
}

void AppendUtf16(UnicodeString& r, int32_t cp) {
  if (cp < 0x10000) {
    r.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    r.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    r.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

bool Utf8ToUtf16Impl(std::string_view s, UnicodeString& r, bool strict) {
  r.clear();
  r.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    int32_t cp = DecodeUtf8(s, i);
    if (cp < 0) {
      if (strict) return false;
      cp = 0xFFFD;
    }
    AppendUtf16(r, cp);
  }
  return true;
}

}  // namespace

UnicodeString Utf8ToUtf16(std::string_view s) {
  UnicodeString r;
  Utf8ToUtf16Impl(s, r, false);
  return r;
}

UnicodeString UTF8Decode(std::string_view s) {
  UnicodeString r;
  if (!Utf8ToUtf16Impl(s, r, true)) r.clear();
  return r;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    if (cp < 0x80) {
      r.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      r.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      r.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      r.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      r.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      r.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      r.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return r;
}

std::string UTF8Encode(std::u16string_view s) {
  return Utf16ToUtf8(s);
}

size_t InvalidUtf8At(std::string_view s) {
  const auto* b = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  for (size_t i = 0; i < n;) {
    unsigned c = b[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    unsigned lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;  // overlong
      if (c == 0xED) hi = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;  // overlong
      if (c == 0xF4) hi = 0x8F;  // past U+10FFFF
    } else {
      return i;
    }
    if (i + 1 >= n || b[i + 1] < lo || b[i + 1] > hi) return i;
    for (size_t k = 2; k < len; ++k)
      if (i + k >= n || (b[i + k] & 0xC0) != 0x80) return i;
    i += len;
  }
  return std::string_view::npos;
}

}  // namespace dz
