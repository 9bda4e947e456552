#include "deziva27/platform/Environment.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "deziva27/host/Strings.h"

extern char** environ;

namespace dz {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto f = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (f(a[i]) != f(b[i])) return false;
  }
  return true;
}

std::optional<std::string> Lookup(const std::string& name) {
  if (name.empty() || name.find('=') != std::string::npos) return std::nullopt;
  if (const char* v = std::getenv(name.c_str())) return std::string(v);
  for (char** e = environ; e && *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq && SameIgnoringCase(std::string_view(*e, static_cast<size_t>(eq - *e)), name))
      return std::string(eq + 1);
  }
  return std::nullopt;
}

}  // namespace

DWORD ExpandEnvironmentStringsW(const char16_t* lpSrc, char16_t* lpDst, DWORD nSize) {
  if (!lpSrc) return 0;
  const std::u16string_view src(lpSrc);
  std::u16string out;
  size_t i = 0;
  while (i < src.size()) {
    const size_t open = src.find(u'%', i);
    if (open == std::u16string_view::npos) {
      out.append(src.substr(i));
      break;
    }
    out.append(src.substr(i, open - i));
    const size_t close = src.find(u'%', open + 1);
    if (close == std::u16string_view::npos) {
      out.append(src.substr(open));
      break;
    }
    const std::u16string_view name = src.substr(open + 1, close - open - 1);
    if (auto value = Lookup(Utf16ToUtf8(name))) {
      out.append(Utf8ToUtf16(*value));
      i = close + 1;
    } else {
      out.append(src.substr(open, close - open + 1));
      i = close + 1;
    }
  }
  const DWORD need = static_cast<DWORD>(out.size() + 1);
  if (lpDst && nSize >= need) {
    std::copy(out.begin(), out.end(), lpDst);
    lpDst[out.size()] = 0;
  }
  return need;
}

}  // namespace dz
