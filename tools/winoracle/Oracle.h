// What every oracle program shares: output files with the same header, and
// values written the same way in each of them (hexadecimal code units, UTF-16
// text as escaped UTF-8), so that the tests read them with one reader.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace oracle {

// A recorded file in the working directory (tests/oracle/). Lines are
// tab-separated fields; lines that start with '#' are comments.
class File {
 public:
  File(const char* name, const char* what) : f_(std::fopen(name, "wb")) {
    if (!f_) {
      std::fprintf(stderr, "cannot write %s\n", name);
      std::exit(1);
    }
    std::fprintf(f_, "# %s\n# Recorded from the Windows calls under Wine by tools/winoracle/; "
                     "regenerate with tools/winoracle/regenerate.sh, do not edit.\n", what);
  }
  ~File() { std::fclose(f_); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  void Comment(const std::string& text) { std::fprintf(f_, "# %s\n", text.c_str()); }
  // One line of fields, tab-separated.
  template <typename... T>
  void Line(const T&... fields) {
    bool first = true;
    ((std::fputs(first ? "" : "\t", f_), std::fputs(Str(fields).c_str(), f_), first = false), ...);
    std::fputc('\n', f_);
  }

 private:
  static std::string Str(const std::string& s) { return s; }
  static std::string Str(const char* s) { return s; }
  static std::string Str(long long v) { return std::to_string(v); }
  static std::string Str(int v) { return std::to_string(v); }
  static std::string Str(unsigned v) { return std::to_string(v); }
  static std::string Str(unsigned long v) { return std::to_string(v); }
  std::FILE* f_;
};

// "0409", "00000409": fixed-width upper-case hexadecimal.
inline std::string Hex(unsigned long v, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lX", width, v);
  return buf;
}

// Bytes as upper-case hexadecimal pairs ("C3A9"); "-" for none.
inline std::string HexBytes(const char* p, int n) {
  if (n <= 0) return "-";
  std::string s;
  for (int i = 0; i < n; ++i) s += Hex(static_cast<unsigned char>(p[i]), 2);
  return s;
}

// UTF-16 units as hexadecimal quads separated by blanks ("0041 00E9"); "-" for none.
inline std::string HexUnits(const wchar_t* p, int n) {
  if (n <= 0) return "-";
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? " " : "") + Hex(static_cast<unsigned>(p[i]), 4);
  return s;
}

// UTF-16 text as UTF-8 with tab, newline, carriage return, backslash and
// every other control or lone surrogate written as \uXXXX, so that a field
// never holds a separator. The tests undo it with the same rules.
inline std::string Text(const wchar_t* p, int n) {
  std::string s;
  char esc[8];
  for (int i = 0; i < n; ++i) {
    unsigned c = static_cast<unsigned>(p[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] <= 0xDFFF) {
      unsigned cp = 0x10000 + ((c - 0xD800) << 10) + (static_cast<unsigned>(p[++i]) - 0xDC00);
      s += static_cast<char>(0xF0 | (cp >> 18));
      s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (c < 0x20 || c == 0x7F || c == '\\' || (c >= 0xD800 && c <= 0xDFFF)) {
      std::snprintf(esc, sizeof esc, "\\u%04X", c);
      s += esc;
    } else if (c < 0x80) {
      s += static_cast<char>(c);
    } else if (c < 0x800) {
      s += static_cast<char>(0xC0 | (c >> 6));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      s += static_cast<char>(0xE0 | (c >> 12));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return s;
}
inline std::string Text(const std::wstring& w) {
  return Text(w.data(), static_cast<int>(w.size()));
}

}  // namespace oracle
