// Reads the recorded Windows answers of tests/oracle/ (written by the
// programs of tools/winoracle/): tab-separated fields a line, '#' lines are
// comments. Values are decoded with the rules those programs write them by.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace dz::test::oracle {

using Row = std::vector<std::string>;

inline std::string Path(std::string_view name) {
  const char* dir = std::getenv("DZ_ORACLE_DATA");
  return std::string(dir ? dir : "tests/oracle") + "/" + std::string(name);
}

// Every row of a recorded file. A missing or empty file fails the calling
// test: a comparison that reads nothing would pass without checking anything.
inline std::vector<Row> Rows(std::string_view name) {
  std::vector<Row> rows;
  std::ifstream in(Path(name), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    Row row;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      row.push_back(line.substr(start, tab - start));
    row.push_back(line.substr(start));
    rows.push_back(std::move(row));
  }
  EXPECT_FALSE(rows.empty()) << "no recorded answers in " << Path(name);
  return rows;
}

inline uint32_t Hex(std::string_view s) {
  return static_cast<uint32_t>(std::strtoul(std::string(s).c_str(), nullptr, 16));
}

// "C3A9" -> bytes; "-" -> none.
inline std::string HexBytes(std::string_view s) {
  std::string out;
  if (s == "-") return out;
  for (size_t i = 0; i + 1 < s.size(); i += 2) out += static_cast<char>(Hex(s.substr(i, 2)));
  return out;
}

// "0041 00E9" -> units; "-" -> none.
inline std::u16string HexUnits(std::string_view s) {
  std::u16string out;
  if (s == "-") return out;
  for (size_t i = 0; i < s.size(); i += 5) out += static_cast<char16_t>(Hex(s.substr(i, 4)));
  return out;
}

// Escaped UTF-8 (\uXXXX for controls, backslash and lone surrogates) -> UTF-16.
inline std::u16string Text(std::string_view s) {
  std::u16string out;
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<unsigned char>(s[i]);
    if (b == '\\' && i + 5 < s.size() && s[i + 1] == 'u') {
      out += static_cast<char16_t>(Hex(s.substr(i + 2, 4)));
      i += 6;
      continue;
    }
    uint32_t cp;
    int len;
    if (b < 0x80) cp = b, len = 1;
    else if (b < 0xE0) cp = b & 0x1F, len = 2;
    else if (b < 0xF0) cp = b & 0x0F, len = 3;
    else cp = b & 0x07, len = 4;
    for (int k = 1; k < len && i + k < s.size(); ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

}  // namespace dz::test::oracle
