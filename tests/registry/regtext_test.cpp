#include <gtest/gtest.h>

#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/registry/detail/RegText.h"
#include "deziva27/host/runtime/Strings.h"
#include "registry/TempStore.h"
#include "support/Locale.h"

namespace dz::detail {
namespace {

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new test::PinnedLocale);

std::string Utf16File(std::u16string_view s) {
  std::string r = "\xFF\xFE";
  for (char16_t c : s) r += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return r;
}

std::string Sz(std::u16string_view s) { return Utf16File(s).substr(2) + std::string(2, '\0'); }
std::string Bytes(size_t n) {
  std::string r;
  for (size_t i = 0; i < n; ++i) r += static_cast<char>(i * 7 + 1);
  return r;
}
std::u16string HexList(const std::string& b) {
  std::u16string r;
  for (size_t i = 0; i < b.size(); ++i) {
    static const char16_t* d = u"0123456789abcdef";
    if (i) r += u',';
    r += {d[static_cast<uint8_t>(b[i]) >> 4], d[b[i] & 0xF]};
  }
  return r;
}

RegTextValue Val(std::u16string name, uint32_t type, std::string data) {
  return {name, name.empty(), false, type, std::move(data)};
}
RegTextValue Gone(std::u16string name) { return {name, false, true, 0, {}}; }

constexpr std::u16string_view kHead = u"Windows Registry Editor Version 5.00\r\n\r\n";

TEST(FormatRegText, WritesWhatRegeditExports) {
  const std::string b73 = Bytes(73);
  const std::tuple<const char*, std::vector<RegTextKey>, std::u16string> cases[] = {
      {"nothing", {}, u""},
      {"strings, escapes, dword, deletions",
       {{u"", false,
         {Val(u"", REG_SZ, Sz(u"d")), Val(u"q\"b\\", REG_SZ, Sz(u"c:\\x \"y\"")),
          Val(u"n", REG_DWORD, std::string("\x0a\0\0\xf0", 4)), Gone(u"old")}},
        {u"Software\\Gone", true, {}}},
       u"[HKEY_CURRENT_USER]\r\n@=\"d\"\r\n\"q\\\"b\\\\\"=\"c:\\\\x \\\"y\\\"\"\r\n"
       u"\"n\"=dword:f000000a\r\n\"old\"=-\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Gone]\r\n\r\n"},
      {"other types in hex(n)",
       {{u"K",
         false,
         {Val(u"e", REG_EXPAND_SZ, Sz(u"%A%")), Val(u"m", REG_MULTI_SZ, Sz(u"a") + Sz(u"")),
          Val(u"q", REG_QWORD, Bytes(8)), Val(u"odd", REG_SZ, "A"),
          Val(u"lf", REG_SZ, Sz(u"a\nb")), Val(u"nul", REG_SZ, Sz(u"a") + Sz(u"b")),
          Val(u"short", REG_DWORD, "\x01\x02"), Val(u"none", REG_NONE, ""),
          Val(u"big", 0x12345678, "\xff")}}},
       u"[HKEY_CURRENT_USER\\K]\r\n\"e\"=hex(2):25,00,41,00,25,00,00,00\r\n"
       u"\"m\"=hex(7):61,00,00,00,00,00\r\n\"q\"=hex(b):" + HexList(Bytes(8)) +
           u"\r\n\"odd\"=hex(1):41\r\n\"lf\"=hex(1):61,00,0a,00,62,00,00,00\r\n"
           u"\"nul\"=hex(1):61,00,00,00,62,00,00,00\r\n\"short\"=hex(4):01,02\r\n"
           u"\"none\"=hex(0):\r\n\"big\"=hex(12345678):ff\r\n\r\n"},
      // "a"=hex: leaves room for 23 bytes before column 77, then 25 a line;
      // the last byte of a full line ends it with no break.
      {"lines of 23, 25 and 25 bytes",
       {{u"", false, {Val(u"a", REG_BINARY, b73)}}},
       u"[HKEY_CURRENT_USER]\r\n\"a\"=hex:" + HexList(b73.substr(0, 23)) + u",\\\r\n  " +
           HexList(b73.substr(23, 25)) + u",\\\r\n  " + HexList(b73.substr(48)) +
           u"\r\n\r\n"},
  };
  for (const auto& [what, keys, body] : cases)
    EXPECT_EQ(FormatRegText(keys), Utf16File(std::u16string(kHead) + body)) << what;
}

TEST(FormatRegText, RefusesWhatAFileCannotCarry) {
  const std::vector<std::vector<RegTextKey>> cases = {
      {{u"a\nb", false, {}}},
      {{u"a", false, {Val(u"x\ny", REG_SZ, Sz(u""))}}},
      {{u"a", true, {Val(u"x", REG_SZ, Sz(u""))}}},
      {{u"a\\\\b", false, {}}},
  };
  for (const auto& keys : cases) EXPECT_THROW(FormatRegText(keys), ERegistryException);
}

// Every form a hand-edited or regedit-written file uses.
constexpr std::u16string_view kSample =
    u"Windows Registry Editor Version 5.00\n"
    u"\n"
    u"; exported by hand\n"
    u"[HKEY_CURRENT_USER\\Software\\Тест]\n"
    u"@=\"root \\\"q\\\" c:\\\\\"\n"
    u"\"Имя\" = \"значение\"  \n"
    u"\"dw\"=dword:A\n"
    u"\"bin\"=hex:01,ff,\\\n"
    u"  0A,\\\n"
    u"\t7\n"
    u"\"exp\"=hex(2):25,00,00,00\n"
    u"\"multi\"=hex(7):61,00,00,00,00,00\n"
    u"\"qw\"=HEX(B):01,00,00,00,00,00,00,00\n"
    u"\"empty\"=hex:\n"
    u"\"gone\"=-\n"
    u"\"\"=\"also default\"\n"
    u"  ; indented comment\n"
    u"[hkcu]\n"
    u"[-HKCU\\Old\\Key]\n";

const std::vector<RegTextKey> kSampleKeys = {
    {u"Software\\Тест",
     false,
     {Val(u"", REG_SZ, Sz(u"root \"q\" c:\\")), Val(u"Имя", REG_SZ, Sz(u"значение")),
      Val(u"dw", REG_DWORD, std::string("\x0a\0\0\0", 4)),
      Val(u"bin", REG_BINARY, "\x01\xff\x0a\x07"),
      Val(u"exp", REG_EXPAND_SZ, std::string("%\0\0\0", 4)),
      Val(u"multi", REG_MULTI_SZ, std::string("a\0\0\0\0\0", 6)),
      Val(u"qw", REG_QWORD, std::string("\x01\0\0\0\0\0\0\0", 8)), Val(u"empty", REG_BINARY, ""),
      Gone(u"gone"), Val(u"", REG_SZ, Sz(u"also default"))}},
    {u"", false, {}},
    {u"Old\\Key", true, {}},
};

std::u16string Crlf(std::u16string_view s) {
  std::u16string r;
  for (char16_t c : s) r += c == u'\n' ? u"\r\n" : std::u16string(1, c);
  return r;
}

// REGEDIT4 files are 8-bit: Latin-1 bytes that are not UTF-8 are read in the
// ANSI code page (1252 here), and hex(2) data is widened to what Windows stores.
TEST(ParseRegText, ReadsEveryFormInEveryEncoding) {
  const std::vector<RegTextKey> ansi = {
      {u"A", false, {Val(u"café", REG_SZ, Sz(u"€")), Val(u"p", REG_EXPAND_SZ, Sz(u"%P%"))}}};
  const std::tuple<const char*, std::string, const std::vector<RegTextKey>&> files[] = {
      {"UTF-16LE, CRLF", Utf16File(Crlf(kSample)), kSampleKeys},
      {"UTF-16LE, LF", Utf16File(kSample), kSampleKeys},
      {"UTF-8", Utf16ToUtf8(kSample), kSampleKeys},
      {"UTF-8 with BOM, CRLF", "\xEF\xBB\xBF" + Utf16ToUtf8(Crlf(kSample)), kSampleKeys},
      {"REGEDIT4, CP1252",
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"caf\xE9\"=\"\x80\"\r\n"
       "\"p\"=hex(2):25,50,25,00\r\n",
       ansi},
      {"REGEDIT4, UTF-8",
       "REGEDIT4\n[HKCU\\A]\n\"caf\xC3\xA9\"=\"\xE2\x82\xAC\"\n\"p\"=hex(2):25,50,25,00\n", ansi},
  };
  for (const auto& [what, bytes, want] : files) EXPECT_EQ(ParseRegText(bytes), want) << what;
}

TEST(ParseRegText, RoundTripsWhatItWrites) {
  const std::vector<RegTextKey> keys = {
      {u"Software\\日本\\\"quoted\" key]", false,
       {Val(u"\"\\\\\"", REG_SZ, Sz(u"\\\"\\")), Val(u"😀 \xD800 lone", REG_SZ, Sz(u"\xDC00")),
        Val(u"bin", REG_BINARY, Bytes(200)), Val(u"a;b=c", REG_MULTI_SZ, Sz(u"x") + Sz(u"")),
        Gone(u"@"), Val(u"", REG_DWORD, "\xff\xff\xff\xff"), Val(u"t", REG_SZ, "\0\0\0")}},
      {u"Software\\Old", true, {}},
      {u"Software\\日本", false, {Val(u"n", REG_SZ, Sz(u"\r"))}},
  };
  EXPECT_EQ(ParseRegText(FormatRegText(keys)), keys);
}

TEST(ParseRegText, RejectsDamageNamingTheLine) {
  const std::string h = "Windows Registry Editor Version 5.00\n\n[HKCU\\K]\n";
  const std::tuple<std::string, int, const char*> cases[] = {
      {"Windows Registry Editor Version 4.00\n", 1, "header"},
      {"", 1, "header"},
      {"\xFE\xFFxx", 1, "big-endian"},
      {Utf16File(u"REGEDIT4\n\n[HKCU]").substr(0, 27), 3, "truncated"},
      {"Windows Registry Editor Version 5.00\n\"a\"=\"b\"\n", 2, "before any key"},
      {h + "[HKEY_LOCAL_MACHINE\\Software]\n", 4, "HKEY_CURRENT_USER"},
      {h + "[HKCU\\a\\\\b]\n", 4, "key path"},
      {h + "[HKCU\\a]\n[HKCU\\a\\]\n", 5, "key path"},
      {h + "[HKCU\\a\n", 4, "']'"},
      {h + "\"a\"=\"b\n", 4, "unterminated"},
      {h + "\"a\"=\"b\\n\"\n", 4, "escape"},
      {h + "\"a\"=\"b\" x\n", 4, "after the string"},
      {h + "\"a\"\"b\"\n", 4, "'='"},
      {h + "\"a\"=dword:123456789\n", 4, "out of range"},
      {h + "\"a\"=dword:\n", 4, "dword"},
      {h + "\"a\"=dword:12g\n", 4, "dword"},
      {h + "\"a\"=hex:01,2x\n", 4, "bad hex"},
      {h + "\"a\"=hex:01,,02\n", 4, "bad hex"},
      {h + "\"a\"=hex:123\n", 4, "bad hex"},
      {h + "\"a\"=hex:01,\\\n  02,\\\n  zz\n", 6, "bad hex"},
      {h + "\"a\"=hex:01\\\n  02\n", 4, "','"},
      {h + "\"a\"=hex:01,\\\n", 4, "end of the file"},
      {h + "\"a\"=hex(1g):00\n", 4, "hex type"},
      {h + "\"a\"=hex(123456789):00\n", 4, "hex type"},
      {h + "\"a\"=hex 00\n", 4, "':'"},
      {h + "\"a\"=str:00\n", 4, "value data"},
      {h + "\"a\"=-x\n", 4, "value data"},
      {h + "garbage\n", 4, "not a key"},
      {h + "[-HKCU\\K]\n\"a\"=-\n", 5, "removed key"},
      {h + "\n\"ok\"=\"\xC3\xA9\"\n\"a\"=\"\xC3\"\n", 6, "UTF-8"},
      {h + "\"a\"=\"" + std::string(kMaxRegTextLine - 5, 'x') + "\"\n", 4, "longer than 1048576"},
      {h + "\"a\"=hex:01,\\\n" + std::string(kMaxRegTextLine + 1, ' ') + "\n", 5, "longer than"},
  };
  for (const auto& [file, line, words] : cases) {
    const std::string msg = test::ErrorOf([&f = file] { ParseRegText(f); });  // "": accepted
    EXPECT_EQ(msg.rfind("line " + std::to_string(line) + ": ", 0), 0u) << msg;
    EXPECT_NE(msg.find(words), std::string::npos) << msg;
  }
  // The longest line there may be is read; a file past the limit is not.
  EXPECT_EQ(ParseRegText(h + "\"a\"=\"" + std::string(kMaxRegTextLine - 6, 'x') + "\"\n").size(),
            1u);
  EXPECT_THROW(ParseRegText(std::string(kMaxRegTextBytes + 1, '\n')), ERegistryException);
}

}  // namespace
}  // namespace dz::detail
