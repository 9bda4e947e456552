// What Windows' code-page calls answer: which code pages exist, every byte
// and lead/trail pair decoded, every BMP code point encoded (with the
// used-default flag), the error flags, UTF-8's edge cases, the size protocol
// and TranslateCharsetInfo.
//
// Files (tests/oracle/):
//   codepages.txt         the valid code pages with GetCPInfoEx's answers, and
//                         TranslateCharsetInfo
//   codepages-decode.txt  MultiByteToWideChar of every byte and pair
//   codepages-encode.txt  WideCharToMultiByte of every BMP code point
//   codepages-edge.txt    single calls: UTF-8, surrogates, flags, sizes
#include "Oracle.h"

#include <map>
#include <vector>

namespace {

constexpr unsigned kErrorFlag = MB_ERR_INVALID_CHARS;

struct Page {
  unsigned cp;
  CPINFOEXW info;
  bool dbcs;
  bool lead[256];
};

std::string Units(const wchar_t* w, int n) { return n <= 0 ? "-" : oracle::HexUnits(w, n); }

// A run of consecutive inputs whose answers have the same shape: the same
// units (or bytes) but the last, which either stays or grows by one with
// the input. Written as "first[-last]" and the first answer, with a '+'
// when the last element grows.
struct Cell {
  std::vector<unsigned> v;  // units or bytes; empty for a refusal
  int extra = 0;            // the used-default flag of an encoding, 0 else
};

class Runs {
 public:
  Runs(oracle::File& f, std::string prefix, int codeWidth, int elemWidth)
      : f_(f), prefix_(std::move(prefix)), cw_(codeWidth), ew_(elemWidth) {}
  ~Runs() { Flush(); }
  void Add(unsigned code, const Cell& c, bool withExtra) {
    if (open_ && code == last_ + 1 && Fits(c)) {
      if (count_ == 1) step_ = c.v.empty() ? 0 : c.v.back() - first_.v.back();
      ++count_;
      last_ = code;
      return;
    }
    Flush();
    open_ = true;
    start_ = last_ = code;
    first_ = c;
    count_ = 1;
    step_ = 0;
    extra_ = withExtra;
  }
  void Flush() {
    if (!open_) return;
    open_ = false;
    std::string range = oracle::Hex(start_, cw_);
    if (last_ != start_) range += "-" + oracle::Hex(last_, cw_);
    std::string val;
    if (first_.v.empty()) val = "-";
    for (size_t i = 0; i < first_.v.size(); ++i)
      val += (i && ew_ == 4 ? " " : "") + oracle::Hex(first_.v[i], ew_);
    if (step_ == 1) val += "+";
    if (extra_)
      f_.Line(prefix_, range, val, first_.extra);
    else
      f_.Line(prefix_, range, val);
  }

 private:
  bool Fits(const Cell& c) const {
    if (c.extra != first_.extra || c.v.size() != first_.v.size()) return false;
    if (c.v.empty()) return true;
    for (size_t i = 0; i + 1 < c.v.size(); ++i)
      if (c.v[i] != first_.v[i]) return false;
    const unsigned want =
        first_.v.back() + (count_ == 1 ? c.v.back() - first_.v.back() : step_ * count_);
    if (count_ == 1) return c.v.back() - first_.v.back() <= 1 && c.v.back() >= first_.v.back();
    return c.v.back() == want;
  }
  oracle::File& f_;
  std::string prefix_;
  int cw_, ew_;
  bool open_ = false, extra_ = false;
  unsigned start_ = 0, last_ = 0, count_ = 0, step_ = 0;
  Cell first_;
};

Cell Decode(unsigned cp, unsigned flags, const char* b, int n) {
  wchar_t w[8];
  Cell c;
  int r = MultiByteToWideChar(cp, flags, b, n, w, 8);
  for (int i = 0; i < r; ++i) c.v.push_back(static_cast<unsigned>(w[i]));
  return c;
}

Cell Encode(unsigned cp, unsigned flags, wchar_t u) {
  char b[8];
  BOOL used = FALSE;
  Cell c;
  int r = WideCharToMultiByte(cp, flags, &u, 1, b, 8, nullptr, &used);
  for (int i = 0; i < r; ++i) c.v.push_back(static_cast<unsigned char>(b[i]));
  c.extra = used ? 1 : 0;
  return c;
}

// Inputs of a page: every byte, then every lead byte with every trail byte.
std::vector<std::pair<unsigned, std::string>> Inputs(const Page& p) {
  std::vector<std::pair<unsigned, std::string>> in;
  for (unsigned b = 0; b < 256; ++b) in.push_back({b, std::string(1, static_cast<char>(b))});
  if (p.dbcs)
    for (unsigned l = 0; l < 256; ++l)
      if (p.lead[l])
        for (unsigned t = 0; t < 256; ++t)
          in.push_back({l << 8 | t, std::string{static_cast<char>(l), static_cast<char>(t)}});
  return in;
}

std::vector<Page> ValidPages(oracle::File& f) {
  std::vector<Page> pages;
  f.Comment("cp  max-char-size  default-char(bytes)  unicode-default-char  lead-byte-ranges");
  for (unsigned cp = 0; cp < 65536; ++cp) {
    if (!IsValidCodePage(cp)) continue;
    Page p{};
    p.cp = cp;
    if (!GetCPInfoExW(cp, 0, &p.info)) continue;
    p.dbcs = p.info.MaxCharSize == 2;
    std::string leads;
    for (int i = 0; i + 1 < MAX_LEADBYTES && p.info.LeadByte[i]; i += 2) {
      for (unsigned b = p.info.LeadByte[i]; b <= p.info.LeadByte[i + 1]; ++b) p.lead[b] = true;
      leads += (leads.empty() ? "" : ",") + oracle::Hex(p.info.LeadByte[i], 2) + "-" +
               oracle::Hex(p.info.LeadByte[i + 1], 2);
    }
    int dlen = p.info.DefaultChar[1] ? 2 : 1;
    f.Line("page", cp, static_cast<unsigned>(p.info.MaxCharSize),
           oracle::HexBytes(reinterpret_cast<const char*>(p.info.DefaultChar), dlen),
           oracle::Hex(p.info.UnicodeDefaultChar, 4), leads.empty() ? "-" : leads);
    pages.push_back(p);
  }
  return pages;
}

// The encoding the decode table implies for a code point: the lowest input
// that decodes to it alone, even with MB_ERR_INVALID_CHARS. Only answers that
// differ from it are recorded.
std::map<unsigned, std::vector<unsigned>> Implied(const Page& p) {
  std::map<unsigned, std::vector<unsigned>> m;
  for (auto& [code, bytes] : Inputs(p)) {
    if (code < 256 && p.lead[code]) continue;
    Cell c = Decode(p.cp, kErrorFlag, bytes.data(), static_cast<int>(bytes.size()));
    if (c.v.size() != 1 || m.count(c.v[0])) continue;
    std::vector<unsigned> b;
    for (char ch : bytes) b.push_back(static_cast<unsigned char>(ch));
    m[c.v[0]] = b;
  }
  return m;
}

void Tables(const std::vector<Page>& pages) {
  oracle::File dec("codepages-decode.txt",
                   "MultiByteToWideChar(cp, flags, input, its length, buffer, 8) of every byte and "
                   "every lead byte + trail byte pair");
  dec.Comment("cp  flags(0, or E = MB_ERR_INVALID_CHARS: only where it differs from 0)  "
              "input[-last]  units('-' for 0 returned)[+ when the last unit grows with the input]");
  oracle::File enc("codepages-encode.txt",
                   "WideCharToMultiByte(cp, flags, &u, 1, buffer, 8, NULL, &used) of every BMP "
                   "code point outside the surrogates");
  enc.Comment("cp  flags(0, or N = WC_NO_BEST_FIT_CHARS: only where it differs from 0)  u[-last]  "
              "bytes[+]  used-default");
  enc.Comment("flags 0 omits two answers: the page's default character with used = 1, and the "
              "lowest input that decodes to u alone (with MB_ERR_INVALID_CHARS) with used = 0");
  for (const Page& p : pages) {
    if (p.cp == CP_UTF7 || p.cp == CP_UTF8) continue;
    const std::string cp = std::to_string(p.cp);
    {
      Runs plain(dec, cp + "\t0", p.dbcs ? 4 : 2, 4);
      for (auto& [code, bytes] : Inputs(p))
        plain.Add(code, Decode(p.cp, 0, bytes.data(), static_cast<int>(bytes.size())), false);
    }
    {
      Runs strict(dec, cp + "\tE", p.dbcs ? 4 : 2, 4);
      for (auto& [code, bytes] : Inputs(p)) {
        Cell a = Decode(p.cp, 0, bytes.data(), static_cast<int>(bytes.size()));
        Cell b = Decode(p.cp, kErrorFlag, bytes.data(), static_cast<int>(bytes.size()));
        if (a.v != b.v) strict.Add(code, b, false);
        else strict.Flush();
      }
    }
    const auto implied = Implied(p);
    std::vector<unsigned> def;
    def.push_back(p.info.DefaultChar[0]);
    if (p.info.DefaultChar[1]) def.push_back(p.info.DefaultChar[1]);
    Runs plain(enc, cp + "\t0", 4, 2), nobest(enc, cp + "\tN", 4, 2);
    for (unsigned u = 0; u < 0x10000; ++u) {
      if (u >= 0xD800 && u <= 0xDFFF) continue;
      Cell a = Encode(p.cp, 0, static_cast<wchar_t>(u));
      Cell b = Encode(p.cp, WC_NO_BEST_FIT_CHARS, static_cast<wchar_t>(u));
      auto it = implied.find(u);
      const bool isDefault = a.extra == 1 && a.v == def && it == implied.end();
      const bool isImplied = a.extra == 0 && it != implied.end() && it->second == a.v;
      if (isDefault || isImplied) plain.Flush();
      else plain.Add(u, a, true);
      if (a.v != b.v || a.extra != b.extra) nobest.Add(u, b, true);
      else nobest.Flush();
    }
  }
}

// --- single calls -----------------------------------------------------------

std::string Bytes(const std::string& s) {
  return oracle::HexBytes(s.data(), static_cast<int>(s.size()));
}

void DecodeCase(oracle::File& f, unsigned cp, unsigned flags, const std::string& in) {
  wchar_t w[64];
  SetLastError(0);
  int size = MultiByteToWideChar(cp, flags, in.data(), static_cast<int>(in.size()), nullptr, 0);
  unsigned sizeErr = GetLastError();
  SetLastError(0);
  int n = MultiByteToWideChar(cp, flags, in.data(), static_cast<int>(in.size()), w, 64);
  f.Line("mb", cp, oracle::Hex(flags, 2), Bytes(in), size, sizeErr, Units(w, n), GetLastError());
}

void EncodeCase(oracle::File& f, unsigned cp, unsigned flags, const std::wstring& in,
                const char* defaultChar, bool askUsed) {
  char b[64];
  BOOL used = 7;
  SetLastError(0);
  int size = WideCharToMultiByte(cp, flags, in.data(), static_cast<int>(in.size()), nullptr, 0,
                                 defaultChar, askUsed ? &used : nullptr);
  unsigned sizeErr = GetLastError();
  used = 7;
  SetLastError(0);
  int n = WideCharToMultiByte(cp, flags, in.data(), static_cast<int>(in.size()), b, 64,
                              defaultChar, askUsed ? &used : nullptr);
  unsigned err = GetLastError();
  f.Line("wc", cp, oracle::Hex(flags, 4), Units(in.data(), static_cast<int>(in.size())),
         defaultChar ? (*defaultChar ? Bytes(defaultChar) : "00") : "-",
         askUsed ? std::to_string(used) : "-", size, sizeErr, oracle::HexBytes(b, n), err);
}

void Edge(const std::vector<Page>& pages) {
  oracle::File f("codepages-edge.txt", "single conversions: UTF-8, surrogates, flags, sizes");
  f.Comment("mb  cp  flags  input-bytes  size-query  its-last-error  units-written  last-error");
  f.Comment("wc  cp  flags  input-units  default-char  used-default(- not asked)  size-query  "
            "its-last-error  bytes-written  last-error");
  const std::string utf8[] = {
      "A",        "\xC3\xA9",         "\xE2\x82\xAC",     "\xF0\x9F\x98\x80", "\x80",
      "\xBF",     "\xC0\x80",         "\xC1\xBF",         "\xC2",             "\xC2\x41",
      "\xE0\x80\x80", "\xE0\xA0",     "\xE0\xA0\x41",     "\xED\xA0\x80",     "\xED\xBF\xBF",
      "\xEF\xBF\xBD", "\xEF\xBF\xBF", "\xF0\x80\x80\x80", "\xF0\x90\x80",     "\xF4\x8F\xBF\xBF",
      "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xFE", "\xFF",
      "a\xFF" "b", "\xE2\x82", "\xE2\x82\xE2\x82\xAC", "\xF0\x9F\x98", "\xC3\xA9\x80\x80"};
  for (unsigned flags : {0u, static_cast<unsigned>(MB_ERR_INVALID_CHARS)})
    for (const auto& s : utf8) DecodeCase(f, CP_UTF8, flags, s);
  const std::wstring wide[] = {L"A",
                               L"\u00E9\u20AC",
                               std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)},
                               std::wstring{wchar_t(0xD800)},
                               std::wstring{wchar_t(0xDC00)},
                               std::wstring{L'a', wchar_t(0xD800), L'b'},
                               std::wstring{wchar_t(0xDC00), wchar_t(0xD800)},
                               std::wstring{wchar_t(0xD83D), wchar_t(0xDE00), wchar_t(0xDE00)},
                               L"\uFFFE\uFFFF"};
  for (unsigned flags : {0u, static_cast<unsigned>(WC_ERR_INVALID_CHARS)})
    for (const auto& s : wide) EncodeCase(f, CP_UTF8, flags, s, nullptr, false);
  // UTF-8 takes neither a default character nor the used flag, nor other flags.
  // Wine takes all of these; Windows refuses them, as its documentation of
  // both calls states for UTF-8.
  f.Comment(
      "wine: 1, 0, 61, 0; Windows refuses a default character for UTF-8 (ERROR_INVALID_PARAMETER)");
  f.Line("wc", 65001, "0000", "0061", "3F", "-", 0, 87, "-", 87);
  f.Comment(
      "wine: 1, 0, 61, 0; Windows refuses the used-default flag for UTF-8 "
      "(ERROR_INVALID_PARAMETER)");
  f.Line("wc", 65001, "0000", "0061", "-", "7", 0, 87, "-", 87);
  f.Comment(
      "wine: 1, 0, 61, 0; Windows takes only WC_ERR_INVALID_CHARS for UTF-8 (ERROR_INVALID_FLAGS)");
  f.Line("wc", 65001, "0400", "0061", "-", "-", 0, 1004, "-", 1004);
  f.Comment(
      "wine: 1, 0, 61, 0; Windows takes only WC_ERR_INVALID_CHARS for UTF-8 (ERROR_INVALID_FLAGS)");
  f.Line("wc", 65001, "0200", "0061", "-", "-", 0, 1004, "-", 1004);
  f.Comment(
      "wine: 1, 0, 0061, 0; Windows takes only MB_ERR_INVALID_CHARS for UTF-8 "
      "(ERROR_INVALID_FLAGS)");
  f.Line("mb", 65001, "01", "61", 0, 1004, "-", 1004);
  // UTF-7: which characters go as themselves, base64 runs and their ends,
  // and what a decoder makes of broken ones.
  for (unsigned u = 0; u < 0x80; ++u)
    EncodeCase(f, CP_UTF7, 0, std::wstring(1, wchar_t(u)), nullptr, false);
  const std::wstring wide7[] = {L"Hi Mom -\u263A-!",
                                L"\u65E5\u672C\u8A9E",
                                L"a+b",
                                L"A\u2262\u0391.",
                                L"\u00E9",
                                L"\u00E9a",
                                L"\u00E9-",
                                L"\u00E9\u00E9\u00E9",
                                L"\u00E9 \u00E9",
                                std::wstring{wchar_t(0xD800)},
                                wide[2],
                                L"~\\",
                                L"\u00E9+"};
  for (const auto& s : wide7) EncodeCase(f, CP_UTF7, 0, s, nullptr, false);
  const std::string utf7[] = {
      "+-",      "+AGE-",      "+AGE",       "+AGEA-", "a+ZeVnLIqe-b", "+ZeVnLIqe", "+2D3eAA-",
      "+2D3eAA", "+AG",        "+AGE.",      "+!",     "\x80",         "+AOk-x",    "+AOkA6QDp-",
      "~\\",     "+AGEAYgBj-", "+AGE-+AGI-", "a+",     "+/v8-",        "+AOkAOQ",   "+AOkA-",
      "+AGE-- ", "+2D0-",      "+3gA-",      "\xE9",   "+ZeV",         "+ZeVn-",    "++",
      "+A-",     "+AOk",       "a\x00b"};
  for (const auto& s : utf7) DecodeCase(f, CP_UTF7, 0, s);
  // Every table page: surrogates, a character outside the BMP, default
  // characters of the caller's, the error flags.
  for (const Page& p : pages) {
    if (p.cp == CP_UTF7 || p.cp == CP_UTF8) continue;
    for (const auto& s :
         {wide[2], wide[3], wide[5], wide[6], std::wstring(L"\u0416\u00E9\u65E5")}) {
      EncodeCase(f, p.cp, 0, s, nullptr, true);
      EncodeCase(f, p.cp, WC_NO_BEST_FIT_CHARS, s, nullptr, true);
    }
    EncodeCase(f, p.cp, 0, L"\u0416\u00E9\u65E5\u0100", "*", true);
    if (!p.dbcs) EncodeCase(f, p.cp, 0, L"\u0416\u00E9\u65E5\u0100", "", true);
    EncodeCase(f, p.cp, WC_ERR_INVALID_CHARS, L"\u0416", nullptr, true);
    DecodeCase(f, p.cp, MB_PRECOMPOSED, "a\xE9");
    if (p.dbcs) {
      for (unsigned l = 0; l < 256; ++l) {
        if (!p.lead[l]) continue;
        // A lead byte cut off at the end, and one before a byte that no trail
        // can be, the pair being counted as one character or two.
        const char lead = static_cast<char>(l);
        DecodeCase(f, p.cp, 0, std::string{'a', lead});
        DecodeCase(f, p.cp, MB_ERR_INVALID_CHARS, std::string{'a', lead});
        DecodeCase(f, p.cp, 0, std::string{lead, '\0', 'b'});
        break;
      }
      EncodeCase(f, p.cp, 0, L"\u0416\u65E5\u0100\uFFFD", "\x81\x40", true);
    }
  }
  // The size protocol: -1 counts the terminating zero, a short buffer fails.
  for (unsigned cp : {1252u, 932u, 65001u}) {
    wchar_t w[4];
    char b[4];
    SetLastError(0);
    int r = MultiByteToWideChar(cp, 0, "abcdef", 6, w, 3);
    f.Line("mb-short", cp, r, GetLastError());
    SetLastError(0);
    r = WideCharToMultiByte(cp, 0, L"abcdef", 6, b, 3, nullptr, nullptr);
    f.Line("wc-short", cp, r, GetLastError());
    f.Line("mb-zero", cp, MultiByteToWideChar(cp, 0, "ab", -1, nullptr, 0));
    f.Line("wc-zero", cp, WideCharToMultiByte(cp, 0, L"ab", -1, nullptr, 0, nullptr, nullptr));
    SetLastError(0);
    r = MultiByteToWideChar(cp, 0, "", 0, w, 4);
    f.Line("mb-empty", cp, r, GetLastError());
  }
  // Code pages that do not exist.
  for (unsigned cp : {2u, 3u, 42u, 1200u, 1201u, 28600u, 28601u, 28602u, 28604u, 28606u, 54936u,
                      65002u, 99999u}) {
    wchar_t w[4];
    SetLastError(0);
    int r = MultiByteToWideChar(cp, 0, "ab", 2, w, 4);
    f.Line("cp", cp, IsValidCodePage(cp) ? 1 : 0, r, r > 0 ? Units(w, r) : "-", GetLastError());
  }
}

void Charsets() {
  oracle::File f("codepages-charsets.txt", "TranslateCharsetInfo");
  f.Comment("charset|codepage  source  ciCharset  ciACP  fsCsb[0]  ('-' when it fails)");
  using Fn = BOOL(WINAPI*)(DWORD*, CHARSETINFO*, DWORD);
  auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"gdi32.dll"), "TranslateCharsetInfo")));
  auto one = [&](const char* kind, unsigned src, DWORD flags) {
    CHARSETINFO ci{};
    if (fn(reinterpret_cast<DWORD*>(static_cast<uintptr_t>(src)), &ci, flags))
      f.Line(kind, src, static_cast<unsigned>(ci.ciCharset), static_cast<unsigned>(ci.ciACP),
             oracle::Hex(ci.fs.fsCsb[0], 8));
    else
      f.Line(kind, src, "-");
  };
  for (unsigned cs = 0; cs < 256; ++cs) one("charset", cs, TCI_SRCCHARSET);
  for (unsigned cp : {0u, 1u, 42u, 437u, 850u, 866u, 874u, 932u, 936u, 949u, 950u, 1250u, 1251u,
                      1252u, 1253u, 1254u, 1255u, 1256u, 1257u, 1258u, 1361u, 10000u, 20127u,
                      28591u, 65001u, 4711u})
    one("codepage", cp, TCI_SRCCODEPAGE);
}

}  // namespace

int wmain() {
  std::vector<Page> pages;
  {
    oracle::File f("codepages.txt", "IsValidCodePage over 0..65535 and GetCPInfoExW of each");
    pages = ValidPages(f);
  }
  Tables(pages);
  Edge(pages);
  Charsets();
  return 0;
}
