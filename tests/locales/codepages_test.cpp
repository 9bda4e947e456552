// The code-page calls against what Windows answered (tests/oracle/codepages*),
// cell by cell: every byte and lead/trail pair decoded, every BMP code point
// encoded, with and without the error and best-fit flags; then the routines
// of the unit over them.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/locales/YLocales.h"
#include "deziva27/platform/detail/Nls.h"
#include "deziva27/platform/detail/CodePages.h"
#include "tests/support/Oracle.h"

namespace dz {
namespace {

namespace oracle = test::oracle;

struct RecordedPage {
  int MaxCharSize = 1;
  std::string Default;  // bytes
  std::set<uint32_t> Leads;
  std::map<uint32_t, std::u16string> Decode, Refused;  // input -> units; Refused: '-' rows
  std::map<uint32_t, std::pair<std::string, int>> Encode, NoBestFit;
};

// Expands "first[-last]" runs whose last element grows by one with a '+'.
template <class F>
void Expand(const std::string& range, std::string value, F each) {
  const size_t dash = range.find('-');
  const uint32_t first = oracle::Hex(range.substr(0, dash));
  const uint32_t last = dash == std::string::npos ? first : oracle::Hex(range.substr(dash + 1));
  const bool step = !value.empty() && value.back() == '+';
  if (step) value.pop_back();
  for (uint32_t code = first; code <= last; ++code) each(code, value, step ? code - first : 0);
}

const std::map<uint32_t, RecordedPage>& Recorded() {
  static const std::map<uint32_t, RecordedPage> pages = [] {
    std::map<uint32_t, RecordedPage> m;
    for (const auto& r : oracle::Rows("codepages.txt")) {
      RecordedPage& p = m[static_cast<uint32_t>(std::stoul(r[1]))];
      p.MaxCharSize = std::stoi(r[2]);
      p.Default = oracle::HexBytes(r[3]);
      if (r[5] != "-")
        for (size_t at = 0; at < r[5].size(); at += 6)
          for (uint32_t b = oracle::Hex(r[5].substr(at, 2));
               b <= oracle::Hex(r[5].substr(at + 3, 2)); ++b)
            p.Leads.insert(b);
    }
    for (const auto& r : oracle::Rows("codepages-decode.txt")) {
      RecordedPage& p = m[static_cast<uint32_t>(std::stoul(r[0]))];
      Expand(r[2], r[3], [&](uint32_t code, const std::string& v, uint32_t add) {
        std::u16string u = oracle::HexUnits(v);
        if (!u.empty()) u.back() = static_cast<char16_t>(u.back() + add);
        (r[1] == "0" ? p.Decode : p.Refused)[code] = u;
      });
    }
    for (const auto& r : oracle::Rows("codepages-encode.txt")) {
      RecordedPage& p = m[static_cast<uint32_t>(std::stoul(r[0]))];
      Expand(r[2], r[3], [&](uint32_t u, const std::string& v, uint32_t add) {
        std::string b = oracle::HexBytes(v);
        if (!b.empty()) b.back() = static_cast<char>(b.back() + add);
        (r[1] == "0" ? p.Encode : p.NoBestFit)[u] = {b, std::stoi(r[4])};
      });
    }
    return m;
  }();
  return pages;
}

std::string InputBytes(uint32_t code) {
  return code < 256 ? std::string(1, static_cast<char>(code))
                    : std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

// The first failures are shown with their code page; the rest only counted.
struct Tally {
  long Agree = 0, All = 0;
  void Count(uint32_t cp, bool agree, const std::string& what) {
    ++All;
    if (agree) ++Agree;
    else if (All - Agree <= 20) ADD_FAILURE() << "code page " << cp << ": " << what;
  }
  void Report(const char* what) const {
    std::printf("%s: %ld of %ld cells agree\n", what, Agree, All);
    EXPECT_EQ(Agree, All) << what;
    EXPECT_GT(All, 0) << what;
  }
};

std::string Hex(const std::u16string& u) {
  std::string s;
  char buf[8];
  for (char16_t c : u) std::snprintf(buf, sizeof buf, " %04X", static_cast<unsigned>(c)), s += buf;
  return s.empty() ? " -" : s;
}

// Exactly the code pages Windows has, and every cell of each.
TEST(CodePagesAgainstWindows, EveryCodePageAndCellAgrees) {
  const auto& pages = Recorded();
  int agree = 0;
  for (uint32_t cp = 0; cp < 0x10000; ++cp) {
    const bool want = pages.count(cp) > 0;
    if (win::IsValidCodePage(cp) == want) ++agree;
    else ADD_FAILURE() << cp << (want ? " is missing" : " is not Windows'");
  }
  std::printf("win::IsValidCodePage: %d of 65536 agree, %zu code pages\n", agree, pages.size());
  Tally plain, strict, encoded, noBestFit;
  char16_t w[8];
  for (const auto& [cp, p] : pages) {
    if (cp == CP_UTF7 || cp == CP_UTF8) continue;
    for (const auto& [code, want] : p.Decode) {
      const std::string in = InputBytes(code);
      const int n = static_cast<int>(in.size());
      const int size = win::MultiByteToWideChar(cp, 0, in.data(), n, nullptr, 0);
      const int got = win::MultiByteToWideChar(cp, 0, in.data(), n, w, 8);
      const std::u16string units(w, static_cast<size_t>(std::max(got, 0)));
      plain.Count(
          cp, units == want && size == got,
          "decodes " + std::to_string(code) + " to" + Hex(units) + ", Windows to" + Hex(want));
      auto refused = p.Refused.find(code);
      const std::u16string wantStrict = refused == p.Refused.end() ? want : refused->second;
      win::SetLastError(0);
      const int gotStrict =
          win::MultiByteToWideChar(cp, win::MB_ERR_INVALID_CHARS, in.data(), n, w, 8);
      const std::u16string strictUnits(w, static_cast<size_t>(std::max(gotStrict, 0)));
      const uint32_t err = win::GetLastError();
      strict.Count(cp,
                   wantStrict.empty() ? gotStrict == 0 && err == win::ERROR_NO_UNICODE_TRANSLATION
                                      : strictUnits == wantStrict,
                   "with win::MB_ERR_INVALID_CHARS decodes " + std::to_string(code) + " to" +
                       Hex(strictUnits) + ", Windows to" + Hex(wantStrict));
    }
    // What the recorded decoding implies where nothing else was recorded:
    // the lowest input that decodes to the character alone, and validly.
    std::map<char16_t, std::string> implied;
    for (const auto& [code, units] : p.Decode) {
      if (units.size() != 1 || p.Refused.count(code) || (code < 256 && p.Leads.count(code)))
        continue;
      implied.emplace(units[0], InputBytes(code));
    }
    char out[8];
    for (uint32_t u = 0; u < 0x10000; ++u) {
      if (u >= 0xD800 && u <= 0xDFFF) continue;
      std::pair<std::string, int> want{p.Default, 1};
      if (auto it = p.Encode.find(u); it != p.Encode.end()) want = it->second;
      else if (auto im = implied.find(static_cast<char16_t>(u)); im != implied.end())
        want = {im->second, 0};
      const char16_t c = static_cast<char16_t>(u);
      int used = 7;
      const int size = win::WideCharToMultiByte(cp, 0, &c, 1, nullptr, 0);
      const int got = win::WideCharToMultiByte(cp, 0, &c, 1, out, 8, nullptr, &used);
      const std::string bytes(out, static_cast<size_t>(std::max(got, 0)));
      encoded.Count(cp, bytes == want.first && used == want.second && size == got,
                    "encodes U+" + std::to_string(u) + " wrongly");
      if (auto it = p.NoBestFit.find(u); it != p.NoBestFit.end()) want = it->second;
      used = 7;
      const int strict =
          win::WideCharToMultiByte(cp, win::WC_NO_BEST_FIT_CHARS, &c, 1, out, 8, nullptr, &used);
      noBestFit.Count(cp,
                      std::string(out, static_cast<size_t>(std::max(strict, 0))) == want.first &&
                          used == want.second,
                      "encodes U+" + std::to_string(u) + " wrongly with win::WC_NO_BEST_FIT_CHARS");
    }
  }
  plain.Report("win::MultiByteToWideChar, flags 0");
  strict.Report("win::MultiByteToWideChar, win::MB_ERR_INVALID_CHARS");
  encoded.Report("win::WideCharToMultiByte, flags 0");
  noBestFit.Report("win::WideCharToMultiByte, win::WC_NO_BEST_FIT_CHARS");
}

// Single calls: UTF-8 and UTF-7 in both directions, surrogates, the caller's
// default character, flags each page refuses, the size protocol.
TEST(CodePagesAgainstWindows, SingleCalls) {
  Tally calls;
  for (const auto& r : oracle::Rows("codepages-edge.txt")) {
    const uint32_t cp = static_cast<uint32_t>(std::stoul(r[1]));
    std::string what = r[0];
    for (size_t i = 1; i < r.size(); ++i) what += " " + r[i];
    if (r[0] == "mb") {
      const std::string in = oracle::HexBytes(r[3]);
      const uint32_t flags = oracle::Hex(r[2]);
      char16_t w[64];
      win::SetLastError(0);
      const int size =
          win::MultiByteToWideChar(cp, flags, in.data(), static_cast<int>(in.size()), nullptr, 0);
      const uint32_t sizeErr = win::GetLastError();
      win::SetLastError(0);
      const int n =
          win::MultiByteToWideChar(cp, flags, in.data(), static_cast<int>(in.size()), w, 64);
      const std::u16string got(w, static_cast<size_t>(std::max(n, 0)));
      calls.Count(cp,
                  size == std::stoi(r[4]) && sizeErr == std::stoul(r[5]) &&
                      got == oracle::HexUnits(r[6]) && win::GetLastError() == std::stoul(r[7]),
                  what + " gave" + Hex(got));
    } else if (r[0] == "wc") {
      const std::u16string in = oracle::HexUnits(r[3]);
      const uint32_t flags = oracle::Hex(r[2]);
      const std::string def = oracle::HexBytes(r[4]);
      const char* defaultChar = r[4] == "-" ? nullptr : def.c_str();
      int used = 7;
      int* usedArg = r[5] == "-" ? nullptr : &used;
      char b[64];
      win::SetLastError(0);
      const int size = win::WideCharToMultiByte(cp, flags, in.data(), static_cast<int>(in.size()),
                                                nullptr, 0, defaultChar, usedArg);
      const uint32_t sizeErr = win::GetLastError();
      used = 7;
      win::SetLastError(0);
      const int n = win::WideCharToMultiByte(cp, flags, in.data(), static_cast<int>(in.size()), b,
                                             64, defaultChar, usedArg);
      const std::string got(b, static_cast<size_t>(std::max(n, 0)));
      calls.Count(cp,
                  size == std::stoi(r[6]) && sizeErr == std::stoul(r[7]) &&
                      got == oracle::HexBytes(r[8]) && win::GetLastError() == std::stoul(r[9]) &&
                      (r[5] == "-" || used == std::stoi(r[5])),
                  what + " gave " + std::to_string(size) + " " + std::to_string(n) + " used " +
                      std::to_string(used) + " error " + std::to_string(win::GetLastError()));
    } else if (r[0] != "cp") {  // -short, -empty, -zero: no room, no input, a length of -1
      char16_t w[4];
      char b[4];
      win::SetLastError(0);
      const int n = r[0] == "mb-short"   ? win::MultiByteToWideChar(cp, 0, "abcdef", 6, w, 3)
                    : r[0] == "wc-short" ? win::WideCharToMultiByte(cp, 0, u"abcdef", 6, b, 3)
                    : r[0] == "mb-empty" ? win::MultiByteToWideChar(cp, 0, "", 0, w, 4)
                    : r[0] == "mb-zero"  ? win::MultiByteToWideChar(cp, 0, "ab", -1, nullptr, 0)
                                         : win::WideCharToMultiByte(cp, 0, u"ab", -1, nullptr, 0);
      calls.Count(cp,
                  n == std::stoi(r[2]) && (r.size() < 4 || win::GetLastError() == std::stoul(r[3])),
                  what);
    } else {
      // Code pages Windows lacks are refused; 2 and 3 stand for the Mac and
      // the thread's code page. 42 is the symbol page, left out here.
      if (cp == 42) continue;
      char16_t w[4];
      win::SetLastError(0);
      const int n = win::MultiByteToWideChar(cp, 0, "ab", 2, w, 4);
      calls.Count(
          cp,
          win::IsValidCodePage(cp) == (r[2] == "1") && n == std::stoi(r[3]) &&
              std::u16string(w, static_cast<size_t>(std::max(n, 0))) == oracle::HexUnits(r[4]) &&
              win::GetLastError() == std::stoul(r[5]),
          what);
    }
  }
  calls.Report("single calls");
}

TEST(CodePagesAgainstWindows, CharsetsAndCodePages) {
  Tally calls;
  for (const auto& r : oracle::Rows("codepages-charsets.txt")) {
    const uint32_t src = static_cast<uint32_t>(std::stoul(r[1]));
    win::CHARSETINFO info{};
    const bool ok = win::TranslateCharsetInfo(
        src, &info, r[0] == "charset" ? win::TCI_SRCCHARSET : win::TCI_SRCCODEPAGE);
    calls.Count(src,
                r[2] == "-"
                    ? !ok
                    : ok && info.ciCharset == std::stoul(r[2]) && info.ciACP == std::stoul(r[3]) &&
                          info.fs.fsCsb[0] == oracle::Hex(r[4]),
                r[0] + " " + r[1]);
  }
  calls.Report("win::TranslateCharsetInfo");
}

// Longer texts: the size asked for is the size written, also where a
// character is cut, refused or held by no page, and a buffer one short fails.
TEST(CodePageCalls, SizesAgreeBetweenTheTwoCalls) {
  const std::u16string texts[] = {u"plain",
                                  std::u16string{u'a', 0xD800, u'b', 0xD83D, 0xDE00, 0xDC00},
                                  u"\u0416\u65E5\u00E9+\u20AC-", u"\x7F\x80\xFF\uFFFF"};
  for (uint32_t cp :
       {1252u, 1251u, 932u, 936u, 949u, 950u, 1361u, 65000u, 65001u, 437u, 20127u, 37u}) {
    for (const auto& t : texts) {
      const auto encode = [&](char* out, int room) {
        return win::WideCharToMultiByte(cp, 0, t.data(), static_cast<int>(t.size()), out, room);
      };
      const int n = encode(nullptr, 0);
      ASSERT_GT(n, 0) << cp;
      std::string out(static_cast<size_t>(n), '\0');
      EXPECT_EQ(encode(out.data(), n), n) << cp;
      EXPECT_EQ(encode(out.data(), n - 1), 0) << cp;
      EXPECT_EQ(win::GetLastError(), win::ERROR_INSUFFICIENT_BUFFER);
      out += "\x81";  // a lead byte cut off in the double-byte pages
      const int w = win::MultiByteToWideChar(cp, 0, out.data(), n + 1, nullptr, 0);
      std::u16string back(static_cast<size_t>(w), u'\0');
      EXPECT_EQ(win::MultiByteToWideChar(cp, 0, out.data(), n + 1, back.data(), w), w) << cp;
    }
  }
}

// Long text goes through the block paths, a character alone never does: each
// kind of character at every position of texts up to 40 units, among
// characters of each width, gives the bytes of its characters one by one,
// into exact room and into ample room past which nothing is written.
TEST(CodePageCalls, LongTextEncodesAsItsCharacters) {
  const std::u16string kinds[] = {u"A",       u"\u00E9", u"\U0001F600", u"\xD800", u"\xDC00",
                                  u"\xDBFFx", u"\u65E5", u"\uFF61",     u"\uFFFF"};
  const char16_t among[] = {u'a', 0x00E9, 0x3042, 0x0416};
  for (uint32_t cp : {65001u, 932u, 949u}) {
    const auto oneByOne = [cp](const std::u16string& t) {
      std::string r;
      char b[8];
      for (size_t i = 0; i < t.size();) {
        const size_t k =
            i + 1 < t.size() && (t[i] & 0xFC00) == 0xD800 && (t[i + 1] & 0xFC00) == 0xDC00 ? 2 : 1;
        r.append(b, static_cast<size_t>(
                        win::WideCharToMultiByte(cp, 0, t.data() + i, static_cast<int>(k), b, 8)));
        i += k;
      }
      return r;
    };
    for (char16_t a : among)
      for (size_t len = 1; len <= 40; ++len)
        for (size_t at = 0; at < len; ++at)
          for (const std::u16string& kind : kinds) {
            std::u16string t(len, a);
            t.replace(at, std::min(kind.size(), len - at), kind.substr(0, len - at));
            const std::string want = oneByOne(t);
            const int len32 = static_cast<int>(len);
            ASSERT_EQ(win::WideCharToMultiByte(cp, 0, t.data(), len32, nullptr, 0),
                      static_cast<int>(want.size()))
                << cp << " " << Hex(t);
            std::string exact(want.size(), '#'), ample(4 * len + 40, '#');
            ASSERT_EQ(win::WideCharToMultiByte(cp, 0, t.data(), len32, exact.data(),
                                               static_cast<int>(exact.size())),
                      static_cast<int>(want.size()));
            ASSERT_EQ(win::WideCharToMultiByte(cp, 0, t.data(), len32, ample.data(),
                                               static_cast<int>(ample.size())),
                      static_cast<int>(want.size()));
            ASSERT_EQ(exact, want) << cp << " " << Hex(t);
            ASSERT_EQ(ample, want + std::string(ample.size() - want.size(), '#'))
                << cp << " " << Hex(t);
          }
  }
}

TEST(CodePageText, ConversionsAndTheirCodePages) {
  // UTF-7 and UTF-8 give back what they were given, surrogates and all.
  const std::u16string text{u'a',   u'+',   u'-', 0xE9,  0x20AC, u' ',
                            0xD83D, 0xDE00, u'~', u'\\', 0x65E5, u'z'};
  struct Case {
    const char* What;
    WideString Got, Want;
  } cases[] = {
      {"empty, by code page", StrToWideByCodePage("", 1251), u""},
      {"empty, back", ToUnicode(WideToStrByCodePage(u"", 1251)), u""},
      {"Cyrillic bytes", StrToWideByCodePage("\xCF\xF0\xE8", 1251), u"\u041F\u0440\u0438"},
      {"Western read as Cyrillic", ConvertWideStrByCodePage(u"\u00E0\u00E9", 1252, 1251),
       u"\u0430\u0439"},
      {"best fit, then the default", ConvertWideStrByCodePage(u"\u0100\u221E\u0416", 1252, 1252),
       u"A8?"},
      {"unknown code page falls back", StrToWideByCodePage("abc\xE9", 99999), ToUnicode("abc\xE9")},
      {"by locale", StrToWideByLocale("\xCF", 0x0419), u"\u041F"},
      {"between locales", ConvertWideStrByLocale(u"\u00E0", 0x0409, 0x0419), u"\u0430"},
      {"UTF-7 round trip", StrToWideByCodePage(WideToStrByCodePage(text, 65000), 65000), text},
      {"UTF-8 round trip", StrToWideByCodePage(WideToStrByCodePage(text, 65001), 65001), text},
  };
  for (const Case& c : cases) EXPECT_EQ(c.Got, c.Want) << c.What;
  EXPECT_EQ(AdjustLineBreaksUtf8("a\n\xD0\xB1\rc\r\nd\n\r"), "a\r\n\xD0\xB1\r\nc\r\nd\r\n\r\n");
  EXPECT_EQ(GetCodePageByLocale(0x0439), 0);  // Hindi: Unicode only
  EXPECT_EQ(GetCodePageByLocale(0x7777), static_cast<Integer>(win::GetACP()));
  EXPECT_EQ(GetCharSetByCodePage(1251), 204);
  EXPECT_EQ(GetCharSetByCodePage(4711), 1);
  EXPECT_EQ(GetCodePageByCharSet(161), 1253);
  EXPECT_EQ(GetCodePageByCharSet(99), static_cast<Integer>(win::GetACP()));
  EXPECT_EQ(GetCharSetByLocale(0x0408), 161);
}

}  // namespace
}  // namespace dz
