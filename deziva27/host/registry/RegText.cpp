#include "deziva27/host/registry/detail/RegText.h"

#include <string>

#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz::detail {
namespace {

constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view kHeader4 = u"REGEDIT4";
constexpr std::u16string_view kHive = u"HKEY_CURRENT_USER";

[[noreturn]] void Fail(size_t line, const char* what) {
  const std::string msg = "line " + std::to_string(line) + ": " + what;
  throw ERegistryException(msg.c_str());
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

std::u16string_view TrimBlanks(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Consumes prefix (ASCII, any case) from the front of s.
bool TakePrefix(std::u16string_view& s, std::u16string_view prefix) {
  if (s.size() < prefix.size() || !SameText(s.substr(0, prefix.size()), prefix)) return false;
  s.remove_prefix(prefix.size());
  return true;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// 1 to 8 hex digits; false for anything else, so "dword:" and "hex()" fail.
bool ParseHex32(std::u16string_view s, uint32_t& v) {
  if (s.empty() || s.size() > 8) return false;
  v = 0;
  for (char16_t c : s) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    v = v << 4 | static_cast<uint32_t>(d);
  }
  return true;
}

// Key paths as the store takes them: no empty component, so no doubled,
// leading or trailing backslash.
bool ValidPath(std::u16string_view p) {
  if (p.empty()) return true;
  if (p.front() == u'\\' || p.back() == u'\\') return false;
  return p.find(u"\\\\") == std::u16string_view::npos;
}

// 8-bit text of a REGEDIT4 file: UTF-8 when it is valid UTF-8, else the ANSI
// code page. Valid UTF-8 is rarely an accident in a legacy code page, and a
// file touched by a Linux editor is usually UTF-8 already.
UnicodeString WidenAnsi(std::string_view s) {
  if (s.empty()) return {};
  UnicodeString u = UTF8Decode(s);
  return u.empty() ? ToUnicode(s) : u;
}

size_t LineOf(std::u16string_view text, size_t end) {
  size_t line = 1;
  for (size_t i = 0; i < end && i < text.size(); ++i) line += text[i] == u'\n';
  return line;
}

UnicodeString DecodeFile(std::string_view b) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(b[i]); };
  if (b.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
    b.remove_prefix(2);
    UnicodeString text(b.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
      text[i] = static_cast<char16_t>(byte(2 * i) | byte(2 * i + 1) << 8);
    if (b.size() % 2 != 0) Fail(LineOf(text, text.size()), "truncated UTF-16 text");
    return text;
  }
  if (b.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF)
    Fail(1, "big-endian UTF-16 text; regedit reads little-endian only");
  bool bom = false;
  if (b.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
    b.remove_prefix(3);
    bom = true;
  }
  if (b.empty()) return {};
  UnicodeString text = UTF8Decode(b);
  if (!text.empty()) return text;
  if (!bom && b.substr(0, kHeader4.size()) == "REGEDIT4") return ToUnicode(b);
  // Name the first line that does not decode.
  size_t line = 1;
  for (size_t pos = 0; pos <= b.size(); ++line) {
    size_t nl = b.find('\n', pos);
    if (nl == std::string_view::npos) nl = b.size();
    const std::string_view piece = b.substr(pos, nl - pos);
    if (!piece.empty() && UTF8Decode(piece).empty()) break;
    pos = nl + 1;
  }
  Fail(line, "text is not valid UTF-8");
}

class Parser {
 public:
  explicit Parser(std::u16string_view text) : FText(text) {}

  std::vector<RegTextKey> Run() {
    std::u16string_view line;
    if (!Next(line)) Fail(1, "empty file, no .reg header");
    line = TrimBlanks(line);
    if (line == kHeader5) {
      FAnsi = false;
    } else if (line == kHeader4) {
      FAnsi = true;
    } else {
      Fail(1, "not a .reg file (bad header)");
    }
    while (Next(line)) {
      line = TrimBlanks(line);
      if (line.empty() || line.front() == u';') continue;
      if (line.front() == u'[') {
        KeyLine(line);
      } else if (line.front() == u'@' || line.front() == u'"') {
        ValueLine(line);
      } else {
        Fail(FLine, "not a key, value or comment");
      }
    }
    return std::move(FKeys);
  }

 private:
  std::u16string_view FText;
  size_t FPos = 0;
  size_t FLine = 0;
  bool FAnsi = false;
  std::vector<RegTextKey> FKeys;

  // The next line without its CRLF or LF; false at the end of the text.
  bool Next(std::u16string_view& line) {
    if (FPos > FText.size() || (FPos == FText.size() && FLine > 0)) return false;
    size_t nl = FText.find(u'\n', FPos);
    if (nl == std::u16string_view::npos) nl = FText.size();
    line = FText.substr(FPos, nl - FPos);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    FPos = nl + 1;
    ++FLine;
    if (line.size() > kMaxRegTextLine) Fail(FLine, "line longer than 1048576 characters");
    return true;
  }

  void KeyLine(std::u16string_view line) {
    if (line.size() < 2 || line.back() != u']') Fail(FLine, "key line without its closing ']'");
    std::u16string_view inner = line.substr(1, line.size() - 2);
    RegTextKey key;
    if (!inner.empty() && inner.front() == u'-') {
      key.Remove = true;
      inner.remove_prefix(1);
    }
    const size_t sep = inner.find(u'\\');
    const std::u16string_view hive = inner.substr(0, sep);
    if (!SameText(hive, kHive) && !SameText(hive, u"HKCU"))
      Fail(FLine, "only keys under HKEY_CURRENT_USER can be read");
    if (sep != std::u16string_view::npos) {
      key.Path = UnicodeString(inner.substr(sep + 1));
      if (key.Path.empty() || !ValidPath(key.Path)) Fail(FLine, "bad key path (empty key name)");
    }
    FKeys.push_back(std::move(key));
  }

  // A quoted string at the front of s, with \\ and \" as its only escapes;
  // s is left after the closing quote.
  UnicodeString Quoted(std::u16string_view& s) {
    UnicodeString r;
    for (size_t i = 1; i < s.size(); ++i) {
      const char16_t c = s[i];
      if (c == u'"') {
        s.remove_prefix(i + 1);
        return r;
      }
      if (c == u'\\') {
        if (i + 1 >= s.size() || (s[i + 1] != u'\\' && s[i + 1] != u'"'))
          Fail(FLine, "bad escape in a string (only \\\\ and \\\" are known)");
        r += s[++i];
      } else {
        r += c;
      }
    }
    Fail(FLine, "unterminated string");
  }

  void ValueLine(std::u16string_view line) {
    if (FKeys.empty()) Fail(FLine, "value line before any key");
    if (FKeys.back().Remove) Fail(FLine, "value line under a removed key");
    RegTextValue v;
    if (line.front() == u'@') {
      line.remove_prefix(1);
    } else {
      v.Name = Quoted(line);
    }
    v.IsDefault = v.Name.empty();
    line = TrimBlanks(line);
    if (line.empty() || line.front() != u'=') Fail(FLine, "missing '=' after the value name");
    line = TrimBlanks(line.substr(1));
    if (line == u"-") {
      v.Remove = true;
    } else if (!line.empty() && line.front() == u'"') {
      const UnicodeString s = Quoted(line);
      if (!TrimBlanks(line).empty()) Fail(FLine, "text after the string");
      v.Type = REG_SZ;
      AppendUtf16LE(v.Data, s);
      v.Data.append(2, '\0');
    } else if (TakePrefix(line, u"dword:")) {
      uint32_t d = 0;
      if (line.size() > 8 && line.find_first_not_of(u"0123456789abcdefABCDEF") == line.npos)
        Fail(FLine, "dword out of range (more than 8 hex digits)");
      if (!ParseHex32(line, d)) Fail(FLine, "bad dword data");
      v.Type = REG_DWORD;
      for (int i = 0; i < 4; ++i) v.Data += static_cast<char>(d >> (8 * i) & 0xFF);
    } else if (TakePrefix(line, u"hex")) {
      v.Type = REG_BINARY;
      if (!line.empty() && line.front() == u'(') {
        const size_t close = line.find(u')');
        if (close == line.npos || !ParseHex32(line.substr(1, close - 1), v.Type))
          Fail(FLine, "bad hex type");
        line.remove_prefix(close + 1);
      }
      if (line.empty() || line.front() != u':') Fail(FLine, "missing ':' after hex");
      HexData(line.substr(1), v.Data);
      if (FAnsi && (v.Type == REG_SZ || v.Type == REG_EXPAND_SZ || v.Type == REG_MULTI_SZ)) {
        const UnicodeString wide = WidenAnsi(v.Data);
        v.Data.clear();
        AppendUtf16LE(v.Data, wide);
      }
    } else {
      Fail(FLine, "bad value data");
    }
    FKeys.back().Values.push_back(std::move(v));
  }

  // Comma-separated bytes of one or two hex digits. A line ending in '\'
  // continues on the next; it must end in a comma, as regedit breaks lines
  // only after one.
  void HexData(std::u16string_view seg, std::string& out) {
    for (;;) {
      seg = TrimBlanks(seg);
      const bool more = !seg.empty() && seg.back() == u'\\';
      if (more) seg = TrimBlanks(seg.substr(0, seg.size() - 1));
      size_t start = 0;
      while (start < seg.size()) {
        size_t comma = seg.find(u',', start);
        const bool last = comma == seg.npos;
        if (last) comma = seg.size();
        const std::u16string_view tok = TrimBlanks(seg.substr(start, comma - start));
        if (tok.empty() || tok.size() > 2 || HexDigit(tok[0]) < 0 ||
            (tok.size() == 2 && HexDigit(tok[1]) < 0))
          Fail(FLine, "bad hex data");
        out += static_cast<char>(tok.size() == 1 ? HexDigit(tok[0])
                                                 : HexDigit(tok[0]) << 4 | HexDigit(tok[1]));
        if (last) {
          if (more) Fail(FLine, "bad hex data (a continued line must end in ',')");
          break;
        }
        start = comma + 1;
      }
      if (!more) return;
      if (!Next(seg)) Fail(FLine, "hex data continues past the end of the file");
    }
  }
};

// The text of a REG_SZ that can be written between quotes and read back to
// the same bytes: whole UTF-16 units, one NUL at the very end, no line break.
bool CleanString(const std::string& data, UnicodeString& text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  const size_t n = data.size() / 2 - 1;
  text.resize(n);
  for (size_t i = 0; i <= n; ++i) {
    const char16_t c = static_cast<char16_t>(static_cast<uint8_t>(data[2 * i]) |
                                             static_cast<uint8_t>(data[2 * i + 1]) << 8);
    if (i == n) return c == 0;
    if (c == 0 || c == u'\r' || c == u'\n') return false;
    text[i] = c;
  }
  return false;
}

UnicodeString Escaped(std::u16string_view s) {
  UnicodeString r;
  r.reserve(s.size() + 2);
  for (char16_t c : s) {
    if (c == u'\\' || c == u'"') r += u'\\';
    r += c;
  }
  return r;
}

UnicodeString Hex(uint32_t v, int width) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  UnicodeString r;
  do {
    r.insert(r.begin(), kDigits[v & 0xF]);
    v >>= 4;
  } while (v != 0);
  if (static_cast<int>(r.size()) < width) r.insert(0, static_cast<size_t>(width) - r.size(), u'0');
  return r;
}

// Bytes as regedit writes them: a line is broken after the comma that brings
// it to 77 columns, and continues indented by two blanks, which gives 25
// bytes to each continuation line.
void PutHex(UnicodeString& line, const std::string& data) {
  constexpr size_t kMaxColumns = 77;
  size_t column = line.size();
  for (size_t i = 0; i < data.size(); ++i) {
    line += Hex(static_cast<uint8_t>(data[i]), 2);
    if (i + 1 == data.size()) break;
    line += u',';
    column += 3;
    if (column >= kMaxColumns) {
      line += u"\\\r\n  ";
      column = 2;
    }
  }
}

void CheckWritable(std::u16string_view s, const char* what) {
  if (s.find(u'\n') != s.npos) throw ERegistryException(what);
}

}  // namespace

std::vector<RegTextKey> ParseRegText(std::string_view Bytes) {
  if (Bytes.size() > kMaxRegTextBytes)
    throw ERegistryException("a .reg file may hold at most 64 MiB");
  const UnicodeString text = DecodeFile(Bytes);
  return Parser(text).Run();
}

void AppendRegTextHeader(std::string& Out) {
  Out += "\xFF\xFE";
  AppendUtf16LE(Out, kHeader5);
  AppendUtf16LE(Out, u"\r\n\r\n");
}

void AppendRegTextKey(std::string& Out, const RegTextKey& key) {
  CheckWritable(key.Path, "a key path with a line feed cannot be written to a .reg file");
  if (!ValidPath(key.Path))
    throw ERegistryException("a key path with an empty key name cannot be written");
  if (key.Remove && !key.Values.empty())
    throw ERegistryException("a removed key's values cannot be written to a .reg file");
  UnicodeString t;
  t += key.Remove ? u"[-" : u"[";
  t += kHive;
  if (!key.Path.empty()) t += u'\\';
  t += key.Path;
  t += u"]\r\n";
  UnicodeString line;
  for (const RegTextValue& v : key.Values) {
    CheckWritable(v.Name, "a value name with a line feed cannot be written to a .reg file");
    line.clear();
    if (v.IsDefault || v.Name.empty()) {
      line += u'@';
    } else {
      line += u'"';
      line += Escaped(v.Name);
      line += u'"';
    }
    line += u'=';
    UnicodeString text;
    if (v.Remove) {
      line += u'-';
    } else if (v.Type == REG_SZ && CleanString(v.Data, text)) {
      line += u'"';
      line += Escaped(text);
      line += u'"';
    } else if (v.Type == REG_DWORD && v.Data.size() == 4) {
      uint32_t d = 0;
      for (int i = 3; i >= 0; --i) d = d << 8 | static_cast<uint8_t>(v.Data[i]);
      line += u"dword:";
      line += Hex(d, 8);
    } else {
      line += v.Type == REG_BINARY ? u"hex:" : u"hex(" + Hex(v.Type, 1) + u"):";
      PutHex(line, v.Data);
    }
    t += line;
    t += u"\r\n";
  }
  t += u"\r\n";
  AppendUtf16LE(Out, t);
}

std::string FormatRegText(const std::vector<RegTextKey>& Keys) {
  std::string out;
  AppendRegTextHeader(out);
  for (const RegTextKey& key : Keys) AppendRegTextKey(out, key);
  return out;
}

}  // namespace dz::detail
