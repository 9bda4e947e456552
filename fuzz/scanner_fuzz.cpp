// Random text in every style, with random settings, read by two scanners in
// lockstep. One of them also runs ScanToPair, bookmarks and ExtractPiece
// between steps; afterwards both must still agree on every token, which
// holds only if those calls put the queue and the scan position back.
// Tokens must lie inside their lines; the only exceptions allowed are the
// documented ones (bad character codes and digits).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "deziva27/scanner/YScanner.h"

namespace {

using namespace dz;

struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  uint8_t Byte() { return at < size ? data[at++] : 0; }
};

// Bytes become characters; a few values stand for characters beyond ASCII
// whose low byte looks like a letter or digit, a surrogate and U+FFFF.
char16_t CharOf(uint8_t b) {
  switch (b) {
    case 0xF0:
      return u'\u0141';
    case 0xF1:
      return u'\u0436';
    case 0xF2:
      return static_cast<char16_t>(0xD800);  // a lone surrogate
    case 0xF3:
      return u'\uFFFF';
    case 0xF4:
      return u'\u00e9';
    default:
      return b;
  }
}

bool Documented(const Exception& e) {
  if (dynamic_cast<const EConvertError*>(&e) || dynamic_cast<const EYStringsError*>(&e))
    return true;
  const UnicodeString& m = e.Message();
  const std::u16string_view tail = u"\" not a character";
  return m.size() > tail.size() && m.compare(m.size() - tail.size(), tail.size(), tail) == 0;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckToken(const TYScanner& sc, const TYToken& t) {
  if (t.TokStart == 0 && t.TokEnd == 0) return;  // an empty slot
  Check(t.TokLine >= 0 && t.TokLine < sc.Source().Count());
  const int32_t len = static_cast<int32_t>(sc.Source().Strings(t.TokLine).size());
  Check(t.TokStart >= 1 && t.TokStart <= len);
  Check(t.TokEnd > t.TokStart && t.TokEnd <= len + 1);
}

void Configure(TYScanner& sc, Input& in, const TStringList& lines) {
  const uint8_t style = in.Byte();
  const uint8_t flags = in.Byte();
  sc.SetSourceStyle(static_cast<TSourceStyle>(style % 5));
  if (flags & 1) sc.SetStrQuote(CharOf(in.Byte()));
  if (flags & 2) sc.SetExtraCharSymbol(CharOf(in.Byte()));
  if (flags & 4) sc.SetCharQuote(CharOf(in.Byte()));
  if (flags & 8) {
    UnicodeString seps;
    for (int n = in.Byte() % 12; n > 0; --n) seps += CharOf(in.Byte());
    sc.SetSeps(seps);
  }
  if (flags & 16) {
    UnicodeString bc;
    for (int n = in.Byte() % 10; n > 0; --n) bc += CharOf(in.Byte());
    sc.SetBlockComments(bc);
  }
  if (flags & 32) sc.SetWords(TStringList({u"begin", u"end", u"IF"}));
  if (flags & 64) sc.SetVars(TStringList({u"x", u"\u00e9t\u00e9"}));
  sc.SetSource(lines);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  Input head{data, size};
  const uint8_t opsSeed = head.Byte();
  TYScanner a, b;
  Input cfg = head;
  // The settings bytes are read twice, once for each scanner.
  TStringList lines;
  {
    Input probe = head;
    TYScanner tmp;
    Configure(tmp, probe, lines);
    UnicodeString line;
    for (size_t i = probe.at; i < size; ++i) {
      if (data[i] == '\n') {
        lines.Add(line);
        line.clear();
      } else {
        line += CharOf(data[i]);
      }
    }
    lines.Add(line);
  }
  Configure(a, cfg, lines);
  cfg = head;
  Configure(b, cfg, lines);

  uint32_t ops = opsSeed * 2654435761u;
  auto step = [&](TYScanner& sc, int op) {
    if (op < 4)
      sc.NextTokenAsTemplate();
    else
      sc.NextToken();
  };
  try {
    bool aThrew = false, bThrew = false;
    try {
      a.FirstToken();
    } catch (const Exception& e) {
      Check(Documented(e));
      aThrew = true;
    }
    try {
      b.FirstToken();
    } catch (const Exception& e) {
      Check(Documented(e));
      bThrew = true;
    }
    Check(aThrew == bThrew);
    if (aThrew) return 0;
    for (int n = 0; n < 400 && !a.EOS(); ++n) {
      ops = ops * 1103515245u + 12345u;
      const int op = (ops >> 16) % 32;
      if (op == 31) {
        // Side trips on a only; each one reads ahead to the end at worst.
        const TYScannerBookmark before = a.GetBookmark();
        try {
          a.ScanToPair(u"(", u")", u"x,y", u"begin", {ttIdent, ttVariable});
        } catch (const Exception& e) {
          Check(Documented(e));
        }
        Check(a.GetBookmark() == before);
        (void)a.ExtractPiece(before, a.GetBookmark(), (ops >> 8) & 1);
        (void)a.GetPrevToksStr();
        (void)a.GetTokStr();
        continue;
      }
      aThrew = bThrew = false;
      try {
        step(a, op);
      } catch (const Exception& e) {
        Check(Documented(e));
        aThrew = true;
      }
      try {
        step(b, op);
      } catch (const Exception& e) {
        Check(Documented(e));
        bThrew = true;
      }
      Check(aThrew == bThrew);
      if (aThrew) break;
      Check(a.GetBookmark() == b.GetBookmark());
      for (int32_t i = -10; i <= 10; ++i) CheckToken(a, a.GetToken(i));
    }
  } catch (const Exception& e) {
    Check(Documented(e));
  }
  return 0;
}
