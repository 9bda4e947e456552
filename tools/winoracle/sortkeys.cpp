// Sort keys (LCMapString with LCMAP_SORTKEY): the weights of every character
// that an ANSI code page can produce, the characters some locales weigh
// otherwise, and the order of a word list under 0x0409 and 0x0407.
//
//   sortkeys_chars.txt    runs of characters and the key of each (0x0409)
//   sortkeys_locales.txt  the 8-bit characters a locale weighs otherwise
//   sortkeys_words.txt    a word list sorted by its keys, ties ranked alike
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Oracle.h"

namespace {

using Bytes = std::string;

Bytes KeyW(LCID lcid, DWORD flags, const wchar_t* s, int n) {
  unsigned char buf[1024];
  const int got = LCMapStringW(lcid, flags, s, n, reinterpret_cast<wchar_t*>(buf), sizeof buf);
  return Bytes(reinterpret_cast<char*>(buf), got > 0 ? got : 0);
}

Bytes KeyA(LCID lcid, DWORD flags, const Bytes& s) {
  char buf[2048];
  const int size = LCMapStringA(lcid, flags, s.c_str(), -1, nullptr, 0);
  const int got = LCMapStringA(lcid, flags, s.c_str(), -1, buf, sizeof buf);
  if (size != got) {
    std::fprintf(stderr, "size query %d, written %d\n", size, got);
    std::exit(1);
  }
  return Bytes(buf, got > 0 ? got : 0);
}

// The collation elements a character adds: a hyphen after it is placed, in
// the key's last section, by the count of elements before it (0xFFFF less it).
int Elements(LCID lcid, wchar_t c) {
  const wchar_t s[2] = {c, L'-'};
  const Bytes k = KeyW(lcid, LCMAP_SORTKEY, s, 2);
  if (k.size() < 5) return -1;
  const size_t at = k.size() - 5;  // position (2 bytes), weight, case, zero
  return 0xFFFF - (static_cast<unsigned char>(k[at]) << 8 | static_cast<unsigned char>(k[at + 1]));
}

// The key of one character without its zero; the primary section ends at
// the first 01.
Bytes CharKey(LCID lcid, wchar_t c) {
  Bytes k = KeyW(lcid, LCMAP_SORTKEY, &c, 1);
  if (!k.empty()) k.pop_back();
  return k;
}

// The key that the run started by `first` predicts `i` characters on: its
// last two primary bytes plus i times delta.
Bytes Step(const Bytes& first, int i, int delta) {
  const size_t p = first.find('\x01');
  if (p == Bytes::npos || p < 2 || i == 0) return first;
  Bytes k = first;
  const unsigned v =
      (static_cast<unsigned char>(k[p - 2]) << 8 | static_cast<unsigned char>(k[p - 1])) +
      static_cast<unsigned>(i * delta);
  if (v > 0xFFFF) return Bytes();
  k[p - 2] = static_cast<char>(v >> 8);
  k[p - 1] = static_cast<char>(v & 0xFF);
  return k;
}

int Delta(const Bytes& a, const Bytes& b) {
  const size_t p = a.find('\x01');
  if (p == Bytes::npos || p < 2 || b.size() != a.size() || b.find('\x01') != p) return 0;
  const int va = static_cast<unsigned char>(a[p - 2]) << 8 | static_cast<unsigned char>(a[p - 1]);
  const int vb = static_cast<unsigned char>(b[p - 2]) << 8 | static_cast<unsigned char>(b[p - 1]);
  return vb - va;
}

const unsigned kAnsiPages[] = {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253,
                               1254, 1255, 1256, 1257, 1258};

// Every character an ANSI code page decodes a byte or a lead/trail pair to.
std::set<unsigned> Reachable() {
  std::set<unsigned> out = {0};
  for (unsigned cp : kAnsiPages) {
    CPINFO info;
    GetCPInfo(cp, &info);
    for (int b = 1; b < 256; ++b) {
      const char one = static_cast<char>(b);
      wchar_t w[4];
      if (MultiByteToWideChar(cp, 0, &one, 1, w, 4) == 1) out.insert(w[0]);
      if (info.MaxCharSize < 2) continue;
      for (int t = 0x40; t < 256; ++t) {
        const char two[2] = {static_cast<char>(b), static_cast<char>(t)};
        if (MultiByteToWideChar(cp, 0, two, 2, w, 4) == 1) out.insert(w[0]);
      }
    }
  }
  return out;
}

void Chars() {
  oracle::File f(
      "sortkeys_chars.txt",
      "LCMapStringW(0x0409, LCMAP_SORTKEY) of each character an ANSI code page can give");
  f.Comment("first code point, count, collation elements, key of the first without its zero;");
  f.Comment("each next code point of the run adds delta to the key's last two primary bytes");
  f.Comment("(the two before the first 01)");
  f.Line("first", "count", "elements", "delta", "key");
  const std::set<unsigned> all = Reachable();
  std::vector<unsigned> cps(all.begin(), all.end());
  for (size_t i = 0; i < cps.size();) {
    const Bytes first = CharKey(0x0409, static_cast<wchar_t>(cps[i]));
    const int elements = Elements(0x0409, static_cast<wchar_t>(cps[i]));
    size_t j = i + 1;
    int delta = 0;
    if (j < cps.size() && cps[j] == cps[i] + 1)
      delta = Delta(first, CharKey(0x0409, static_cast<wchar_t>(cps[j])));
    while (j < cps.size() && cps[j] == cps[i] + (j - i) &&
           CharKey(0x0409, static_cast<wchar_t>(cps[j])) ==
               Step(first, static_cast<int>(j - i), delta) &&
           Elements(0x0409, static_cast<wchar_t>(cps[j])) == elements)
      ++j;
    if (j == i + 1) delta = 0;
    f.Line(oracle::Hex(cps[i], 4), static_cast<int>(j - i), elements, delta,
           oracle::HexBytes(first.data(), static_cast<int>(first.size())));
    i = j;
  }
}

std::vector<LCID> g_locales;
BOOL CALLBACK OnLocale(LPWSTR s) {
  g_locales.push_back(static_cast<LCID>(wcstoul(s, nullptr, 16)));
  return TRUE;
}

unsigned AnsiPage(LCID lcid) {
  wchar_t buf[8] = {};
  GetLocaleInfoW(lcid, LOCALE_IDEFAULTANSICODEPAGE, buf, 8);
  return static_cast<unsigned>(wcstoul(buf, nullptr, 10));
}

Bytes Primary(const Bytes& key) { return key.substr(0, std::min(key.find('\x01'), key.size())); }

// The key's sections: primary, diacritic, case, extra, word sort.
std::vector<Bytes> Sections(const Bytes& key) {
  std::vector<Bytes> out;
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t end = std::min(key.find('\x01', start), key.size());
    out.push_back(key.substr(start, end - start));
    start = std::min(end + 1, key.size());
  }
  out.push_back(key.substr(start));
  return out;
}

// A key (without its zero) with its diacritic weights in reverse order, as
// French sorts them: from the word's end. `elements` plain weights first
// stand for those the key leaves out at its end.
Bytes ReverseDiacritics(const Bytes& key, int elements) {
  std::vector<Bytes> s = Sections(key);
  Bytes& d = s[1];
  if (static_cast<int>(d.size()) < elements) d.resize(static_cast<size_t>(elements), '\x02');
  std::reverse(d.begin(), d.end());
  while (!d.empty() && d.back() == '\x02') d.pop_back();
  return s[0] + '\x01' + s[1] + '\x01' + s[2] + '\x01' + s[3] + '\x01' + s[4];
}

// The 01 bytes of an ordinary key are its four separators; a character with
// more has weights that its key alone does not delimit.
bool Ordinary(const Bytes& key) { return std::count(key.begin(), key.end(), '\x01') == 4; }

// A locale's weights that differ from 0x0409's: single characters of its
// ANSI code page, and pairs of them that it weighs as one (Danish aa, Czech
// ch) or otherwise than each on its own (Vietnamese tone marks on a vowel).
void Locales() {
  oracle::File f("sortkeys_locales.txt",
                 "characters and pairs of a locale's ANSI code page that the locale weighs "
                 "otherwise than 0x0409");
  f.Comment(
      "locale, code point(s), collation elements, the key under the locale without its zero;");
  f.Comment("code point * marks a locale that weighs diacritics from the word's end (French)");
  f.Comment(
      "a pair is listed when its primary weights are not those of its two characters, or when");
  f.Comment(
      "neither character differs alone but the pair does; three are listed when a pair and a");
  f.Comment("character do not give their weights");
  EnumSystemLocalesW(OnLocale, LCID_SUPPORTED);
  EnumSystemLocalesW(OnLocale, LCID_ALTERNATE_SORTS);
  std::sort(g_locales.begin(), g_locales.end());
  g_locales.erase(std::unique(g_locales.begin(), g_locales.end()), g_locales.end());
  for (LCID lcid : g_locales) {
    const unsigned cp = AnsiPage(lcid);
    if (cp == 0) continue;
    const wchar_t acute[] = L"\u00E9a", acuteLast[] = L"a\u00E9";
    const bool reverse = Sections(KeyW(lcid, LCMAP_SORTKEY, acute, 2))[1] ==
                         Sections(KeyW(0x0409, LCMAP_SORTKEY, acuteLast, 2))[1];
    if (reverse) f.Line(oracle::Hex(lcid, 4), "*", 0, "reverse-diacritics");
    std::set<wchar_t> chars;
    for (int b = 1; b < 256; ++b) {
      const char one = static_cast<char>(b);
      wchar_t w[4];
      if (MultiByteToWideChar(cp, 0, &one, 1, w, 4) == 1) chars.insert(w[0]);
    }
    std::set<wchar_t> tailored;
    std::vector<wchar_t> weighed;  // those with weights at all
    std::map<std::pair<wchar_t, wchar_t>, Bytes> pairs;  // their primary weights
    for (wchar_t c : chars) {
      const Bytes k = CharKey(lcid, c);
      if (k != CharKey(0x0409, c)) {
        tailored.insert(c);
        f.Line(oracle::Hex(lcid, 4), oracle::Hex(c, 4), Elements(lcid, c),
               oracle::HexBytes(k.data(), static_cast<int>(k.size())));
      }
      if (k.size() > 4 && Ordinary(k)) weighed.push_back(c);
    }
    for (wchar_t x : weighed) {
      const Bytes px = Primary(CharKey(lcid, x));
      for (wchar_t y : weighed) {
        const wchar_t pair[3] = {x, y, L'-'};
        Bytes k = KeyW(lcid, LCMAP_SORTKEY, pair, 2);
        if (k.empty()) continue;
        k.pop_back();
        const bool joined = Primary(k) != px + Primary(CharKey(lcid, y));
        const bool plain = !tailored.count(x) && !tailored.count(y);
        const Bytes dashed = KeyW(lcid, LCMAP_SORTKEY, pair, 3);
        const size_t at = dashed.size() - 5;
        const int elements = 0xFFFF - (static_cast<unsigned char>(dashed[at]) << 8 |
                                       static_cast<unsigned char>(dashed[at + 1]));
        Bytes base = KeyW(0x0409, LCMAP_SORTKEY, pair, 2);
        if (!base.empty()) base.pop_back();
        if (reverse) base = ReverseDiacritics(base, Elements(0x0409, x) + Elements(0x0409, y));
        if (!joined && !(plain && k != base)) continue;
        pairs[{x, y}] = Primary(k);
        f.Line(oracle::Hex(lcid, 4), oracle::Hex(x, 4) + " " + oracle::Hex(y, 4), elements,
               oracle::HexBytes(k.data(), static_cast<int>(k.size())));
      }
    }
    // Three that weigh as one (Hungarian dzs): those whose primary weights
    // are not what a pair taken first, then the rest, give.
    auto primaryOf = [&](wchar_t a, wchar_t b) {
      const auto p = pairs.find({a, b});
      return p != pairs.end() ? p->second : Primary(CharKey(lcid, a)) + Primary(CharKey(lcid, b));
    };
    std::set<std::vector<wchar_t>> triples;
    for (const auto& [xy, primary] : pairs) {
      for (wchar_t z : weighed) {
        triples.insert({xy.first, xy.second, z});
        triples.insert({z, xy.first, xy.second});
      }
    }
    for (const std::vector<wchar_t>& t : triples) {
      const wchar_t text[4] = {t[0], t[1], t[2], L'-'};
      Bytes k = KeyW(lcid, LCMAP_SORTKEY, text, 3);
      if (k.empty()) continue;
      k.pop_back();
      const Bytes greedy = pairs.count({t[0], t[1]})
                               ? pairs[{t[0], t[1]}] + Primary(CharKey(lcid, t[2]))
                               : Primary(CharKey(lcid, t[0])) + primaryOf(t[1], t[2]);
      if (Primary(k) == greedy) continue;
      const Bytes dashed = KeyW(lcid, LCMAP_SORTKEY, text, 4);
      const size_t at = dashed.size() - 5;
      const int elements = 0xFFFF - (static_cast<unsigned char>(dashed[at]) << 8 |
                                     static_cast<unsigned char>(dashed[at + 1]));
      f.Line(oracle::Hex(lcid, 4),
             oracle::Hex(t[0], 4) + " " + oracle::Hex(t[1], 4) + " " + oracle::Hex(t[2], 4),
             elements, oracle::HexBytes(k.data(), static_cast<int>(k.size())));
    }
  }
}

// Words in code page 1252 that stress the word sort: hyphens and apostrophes
// (which it weighs last), other punctuation, digits, case, accents, the
// letters that expand (ß, æ, œ, þ), controls and every byte on its own and
// inside a word.
std::vector<Bytes> Words() {
  std::vector<Bytes> w = {
      "", "a", "A", "b", "B", "ab", "Ab", "aB", "AB", "abc", "ABC", "abd", "aa", "aaa",
      "coop", "co-op", "Co-op", "CO-OP", "coo-p", "c-oop", "co--op", "-coop", "coop-",
      "cooperate", "co-operate", "coop's", "coops", "co'op", "co op", "co.op", "co_op",
      "dont", "don't", "Don't", "DONT", "do'nt", "do-nt", "cant", "can't", "cannot",
      "its", "it's", "o'clock", "oclock", "O'Neil", "ONeil", "Oneil", "ne'er", "neer",
      "rock'n'roll", "rocknroll", "rock-n-roll", "e-mail", "email", "E-Mail", "Email",
      "re-sign", "resign", "re-sort", "resort", "half-life", "halflife", "half life",
      "a-", "-a", "-", "--", "'", "''", "-'", "'-", "a-b", "a--b", "a-b-c", "ab-", "a'b",
      "ss", "\xDF", "s\xDF", "\xDF" "s", "Strasse", "Stra\xDF" "e", "strasse", "STRASSE",
      "masse", "ma\xDF" "e", "Masse", "Ma\xDF" "e", "mass", "ma\xDF", "mas",
      "ae", "\xE6", "\xC6", "AE", "Ae", "aether", "\xE6" "ther", "af", "ad",
      "oe", "\x9C", "\x8C", "OE", "oeuvre", "\x9C" "uvre", "th", "\xFE", "\xDE", "thorn",
      "d", "\xF0", "\xD0", "dz",
      "\xE4", "\xC4", "\xC4" "pfel", "Apfel", "apfel", "\xC4" "rger", "Arger", "arger", "Aerger",
      "\xF6" "l", "\xD6" "l", "ol", "oel", "Ol", "\xFC" "ber", "uber", "ueber", "\xDC" "ber",
      "M\xFC" "ller", "Mueller", "Muller", "M\xFC" "llner",
      "r\xE9sum\xE9", "resume", "r\xE9sume", "resum\xE9", "Resume", "R\xC9SUM\xC9",
      "cote", "c\xF4te", "cot\xE9", "c\xF4t\xE9", "cafe", "caf\xE9", "Caf\xE9", "caf\xE9s",
      "cafes", "na\xEFve", "naive", "pi\xF1" "ata", "pinata", "fa\xE7" "ade", "facade",
      "\xC5ngstr\xF6m", "angstrom", "\xD8re", "ore", "\xFF", "y", "\x9F", "Y", "\x9A", "s",
      "\x8A", "\x9E", "z", "\x8E", "\xE0", "\xE1", "\xE2", "\xE3", "\xE5", "e\xE8", "e\xE9",
      "1", "10", "2", "20", "100", "a1", "a10", "a2", "1a", "01", "001", "1-2", "1.5", "1,5",
      "\xBD", "\xBC", "\xBE", "\xB2", "\xB3", "\xB9", "1/2", "\xAA", "\xBA", "\xB5", "\x99",
      "a b", "a  b", "ab ", " ab", " ", "  ", "a\tb", "a.b", "a,b", "a_b", "a/b", "a\xA0" "b",
      "co\xADop", "\xAD", "x\x01y", "x\x7Fy", "a\x1F", "\x81", "\x8D", "x\x81y",
      "$5", "\x80" "5", "\xA3" "5", "5%", "#1", "@home", "home", "(a)", "[a]", "{a}", "<a>",
      "chata", "cesta", "hrad", "ich", "Ch", "CH", "llama", "lava", "luz", "Aarhus", "Arhus",
      "\xC5rhus", "zoo", "csak", "cukor", "dzsem", "dzem", "nyelv", "nulla", "lyuk", "ccs",
      "\x91" "a\x92", "\x93" "a\x94", "\xAB" "a\xBB", "a\x96" "b", "a\x97" "b", "a\x85",
  };
  // Every byte alone and between letters, where its weight meets theirs.
  for (int b = 1; b < 256; ++b) {
    w.push_back(Bytes(1, static_cast<char>(b)));
    w.push_back("co" + Bytes(1, static_cast<char>(b)) + "op");
  }
  return w;
}

void WordOrder(oracle::File& f, LCID lcid, DWORD flags, const std::vector<Bytes>& words) {
  std::vector<std::pair<Bytes, Bytes>> keyed;
  for (const Bytes& w : words) keyed.emplace_back(KeyA(lcid, flags, w), w);
  std::sort(keyed.begin(), keyed.end());
  int rank = 0;
  for (size_t i = 0; i < keyed.size(); ++i) {
    if (i > 0 && keyed[i].first != keyed[i - 1].first) rank = static_cast<int>(i);
    const Bytes& w = keyed[i].second;
    const Bytes& k = keyed[i].first;
    f.Line(oracle::Hex(lcid, 4), oracle::Hex(flags, 3), rank,
           oracle::HexBytes(w.data(), static_cast<int>(w.size())),
           oracle::HexBytes(k.data(), static_cast<int>(k.size())));
  }
}

void WordList() {
  oracle::File f("sortkeys_words.txt",
                 "a word list (code page 1252) sorted by its LCMapStringA sort keys");
  f.Comment("locale, flags, rank (words with equal keys share it), the word's bytes, its key");
  std::vector<Bytes> words = Words();
  std::sort(words.begin(), words.end());
  words.erase(std::unique(words.begin(), words.end()), words.end());
  WordOrder(f, 0x0409, LCMAP_SORTKEY | NORM_IGNORECASE, words);
  WordOrder(f, 0x0407, LCMAP_SORTKEY | NORM_IGNORECASE, words);
  WordOrder(f, 0x0409, LCMAP_SORTKEY, words);
  WordOrder(f, 0x041D, LCMAP_SORTKEY | NORM_IGNORECASE, words);
  WordOrder(f, 0x0405, LCMAP_SORTKEY | NORM_IGNORECASE, words);
  WordOrder(f, 0x040C, LCMAP_SORTKEY | NORM_IGNORECASE, words);
  WordOrder(f, 0x0419, LCMAP_SORTKEY | NORM_IGNORECASE, words);
  WordOrder(f, 0x042A, LCMAP_SORTKEY | NORM_IGNORECASE, words);
  WordOrder(f, 0x040E, LCMAP_SORTKEY | NORM_IGNORECASE, words);
  WordOrder(f, 0x041E, LCMAP_SORTKEY | NORM_IGNORECASE, words);
  WordOrder(f, 0x0401, LCMAP_SORTKEY | NORM_IGNORECASE, words);
  WordOrder(f, 0x0406, LCMAP_SORTKEY | NORM_IGNORECASE, words);
  WordOrder(f, 0x040A, LCMAP_SORTKEY | NORM_IGNORECASE, words);
  WordOrder(f, 0x10407, LCMAP_SORTKEY | NORM_IGNORECASE, words);
}

}  // namespace

int wmain() {
  Chars();
  Locales();
  WordList();
  return 0;
}
