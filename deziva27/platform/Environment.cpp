#include "deziva27/platform/detail/Environment.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "deziva27/base/Utf.h"

extern char** environ;

namespace dz::win {
namespace {

// Windows keeps texts of this kernel in counted strings of at most 65,532
// bytes, so a source or a value is cut there, and the destination holds at
// most 32,767 units with its NUL.
constexpr size_t kMaxText = 32766;
constexpr size_t kMaxBuffer = 32767;

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && EnvNameUpper(a[i]) != EnvNameUpper(b[i])) return false;
  return true;
}

std::optional<std::u16string> Lookup(std::u16string_view name) {
  if (name.empty() || name.find(u'=') != std::u16string_view::npos) return std::nullopt;
  const std::string exact = Utf16ToUtf8(name);
  if (exact.find('\0') == std::string::npos)
    if (const char* v = std::getenv(exact.c_str())) return Utf8ToUtf16(v);
  for (char** e = environ; e && *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq && SameName(Utf8ToUtf16(std::string_view(*e, static_cast<size_t>(eq - *e))), name))
      return Utf8ToUtf16(eq + 1);
  }
  return std::nullopt;
}

}  // namespace

char16_t EnvNameUpper(char16_t c) {
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  const UChar32 up = u_toupper(c);
  // A mapping that does not come back (ı to I, ς to Σ, ǅ to Ǆ) is not in the
  // table, nor is one that leaves the 16-bit range.
  if (up == c || up > 0xFFFF || u_tolower(up) != c) return c;
  return static_cast<char16_t>(up);
}

DWORD ExpandEnvironmentStringsW(const char16_t* lpSrc, char16_t* lpDst, DWORD nSize) {
  if (!lpSrc) return 0;
  std::u16string_view src(lpSrc);
  src = src.substr(0, kMaxText);
  // Only what can be written is kept; the rest is only counted, so that
  // 10,922 references to a value of 32,766 units cost no more memory than one.
  std::u16string out;
  uint64_t length = 0;
  auto put = [&](std::u16string_view piece) {
    length += piece.size();
    if (out.size() < kMaxBuffer) out.append(piece.substr(0, kMaxBuffer - out.size()));
  };
  size_t i = 0;
  while (i < src.size()) {
    const size_t open = src.find(u'%', i);
    if (open == std::u16string_view::npos) {
      put(src.substr(i));
      break;
    }
    put(src.substr(i, open - i));
    const size_t close = src.find(u'%', open + 1);
    if (close == std::u16string_view::npos) {
      put(src.substr(open));
      break;
    }
    if (auto value = Lookup(src.substr(open + 1, close - open - 1)))
      put(std::u16string_view(*value).substr(0, kMaxText));
    else
      put(src.substr(open, close - open + 1));  // both % stay: no rescan from the second
    i = close + 1;
  }
  // A source cut to 32,766 units cannot need more than a DWORD holds
  // (10,922 references of 32,766 units each), but the count is kept in 64
  // bits all the same.
  const uint64_t need = length + 1;
  const size_t room = std::min<size_t>(nSize, kMaxBuffer);
  if (lpDst && room > 0) {
    const size_t n = need <= room ? static_cast<size_t>(length) : room - 1;
    std::copy_n(out.begin(), n, lpDst);
    lpDst[n] = 0;
  }
  return static_cast<DWORD>(std::min<uint64_t>(need, UINT32_MAX));
}

}  // namespace dz::win
