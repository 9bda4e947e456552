// TYScanner: reading tokens (InternalNextToken and the literal readers) and
// the three drivers that put them into the queue.
#include "deziva27/scanner/YScanner.h"

namespace dz {
namespace {

// Columns are 1-based throughout; these keep the arithmetic in one place.
inline bool Within(std::u16string_view s, int32_t p) {
  return p >= 1 && static_cast<size_t>(p) <= s.size();
}
inline WideChar At(std::u16string_view s, int32_t p) {
  return s[static_cast<size_t>(p) - 1];
}
inline std::u16string_view Cut(std::u16string_view s, int32_t from, int32_t to) {
  return s.substr(static_cast<size_t>(from) - 1, static_cast<size_t>(to - from));
}
inline int32_t Len(std::u16string_view s) {
  return static_cast<int32_t>(s.size());
}

// Lower case of a token text. ASCII goes without the locale when the locale
// maps ASCII plainly, and into the string's existing buffer.
void LowerInto(const UnicodeString& src, UnicodeString& dst, bool asciiPlain) {
  if (asciiPlain) {
    const size_t n = src.size();
    dst.resize(n);
    size_t i = 0;
    for (; i < n; ++i) {
      const WideChar c = src[i];
      if (c >= 128) break;
      dst[i] = c >= u'A' && c <= u'Z' ? static_cast<WideChar>(c + 32) : c;
    }
    if (i == n) return;
  }
  dst = AnsiLowerCase(src);
}

}  // namespace

bool TYScanner::AsciiLowerIsPlain() {
  return AnsiLowerCase(std::u16string_view(u"I")) == u"i";
}

std::u16string_view TYScanner::LineAt(int32_t line) const {
  return FSource->Strings(line);
}

TYTokenType TYScanner::InternalNextToken() {
  if (InternalEOS()) return ttUnknown;
  FRealStr.clear();
  int32_t P = FTokEnd < 1 ? 1 : FTokEnd;
  std::u16string_view L = LineAt(FLine);

  auto nextLine = [&]() {
    FLinePos += Len(L) + 2;
    ++FLine;
    if (InternalEOS()) return false;
    L = LineAt(FLine);
    P = 1;
    return true;
  };

  for (;;) {
    while (P > Len(L) || (CommentMayStart(At(L, P)) && isLineComment(L, P)))
      if (!nextLine()) return ttUnknown;
    const int32_t bc = CommentMayStart(At(L, P)) ? BlockCommentAt(L, P) : -1;
    if (bc >= 0) {
      // Comments do not nest; the closer is looked for from the opener's
      // second character on, so "(*)" is a whole comment.
      const UnicodeString& closer = FBlockComments2[static_cast<size_t>(bc)];
      int32_t found = Pos(closer, L, P + 1);
      while (found == 0) {
        if (!nextLine()) return ttUnknown;
        found = Pos(closer, L, 1);
      }
      P = found + Len(closer);
      continue;
    }
    if (dz::IsSpace(At(L, P))) {
      ++P;
      continue;
    }
    break;
  }

  const int32_t Start = P;
  int32_t E = P;
  // Kept apart from FTokStart, which must still hold the previous token's
  // column when a bad character code leaves by exception.
  FReadStart = Start;
  const WideChar savedQuote = FStrQuote;
  // Template mode borrows the string quote for one read; put it back also
  // when a bad character code leaves by exception.
  struct QuoteBack {
    WideChar& quote;
    WideChar saved;
    ~QuoteBack() { quote = saved; }
  } quoteBack{FStrQuote, savedQuote};
  if (FScanTemplate) FStrQuote = At(L, Start);

  TYTokenType kind;
  const WideChar first = At(L, Start);
  if (IsSeparator(L, E)) {
    if (first == FStrQuote) {
      kind = RunString(L, E, FRealStr) ? ttString : ttUnknown;
    } else if (FSourceStyle == ssPascal && first == FExtraCharSymbol) {
      FRealStr.assign(1, RunPascalExtraChar(L, E));
      kind = ttChar;
      while (Within(L, E) && At(L, E) == FExtraCharSymbol) {
        FRealStr += RunPascalExtraChar(L, E);
        kind = ttString;
      }
      if (Within(L, E) && At(L, E) == FStrQuote) {
        UnicodeString tail;
        RunString(L, E, tail);
        FRealStr += tail;
        kind = ttString;
      }
    } else if (FSourceStyle == ssC && first == FCharQuote) {
      FRealStr.assign(1, RunCChar(L, E));
      kind = ttChar;
    } else {
      FRealStr.assign(Cut(L, Start, E + 1));
      kind = ttSeparator;
      ++E;
    }
  } else {
    // A character ends the word exactly when IsSeparator would hold there.
    while (Within(L, E) && !dz::IsSpace(At(L, E)) && !SepChar(At(L, E))) ++E;
    FRealStr.assign(Cut(L, Start, E));
    const unsigned low = first & 0xFFu;
    if (low >= 65 && low <= 122) {
      if (IsReservedWord(FRealStr))
        kind = ttReservedWord;
      else if (isVar(FRealStr))
        kind = ttVariable;
      else if (isFunc(FRealStr))
        kind = ttFunction;
      else {
        kind = ttIdent;
        if (FRealStr == u"L" && Within(L, E) && At(L, E) == FStrQuote)
          kind = RunString(L, E, FRealStr) ? ttLString : ttUnknown;
      }
    } else {
      kind = isNumber(FRealStr) ? ttNumber : ttUnknown;
    }
  }
  FTokStart = Start;
  FTokEnd = E;
  return kind;
}

bool TYScanner::RunString(std::u16string_view S, int32_t& P, UnicodeString& Value) {
  return FSourceStyle == ssPascal ? RunPascalString(S, P, Value) : RunCString(S, P, Value);
}

bool TYScanner::RunPascalString(std::u16string_view S, int32_t& P, UnicodeString& Value) {
  Value.clear();
  bool inside = false;
  while (Within(S, P)) {
    const WideChar c = At(S, P);
    if (inside) {
      if (c == FStrQuote) {
        if (Within(S, P + 1) && At(S, P + 1) == FStrQuote) {
          Value += c;
          P += 2;
          continue;
        }
        inside = false;
      } else {
        Value += c;
      }
      ++P;
    } else if (c == FExtraCharSymbol) {
      Value += RunPascalExtraChar(S, P);
    } else if (c == FStrQuote) {
      inside = true;
      ++P;
    } else {
      break;
    }
  }
  return !inside;
}

bool TYScanner::RunCString(std::u16string_view S, int32_t& P, UnicodeString& Value) {
  Value.clear();
  if (!Within(S, P) || At(S, P) != FStrQuote) return false;
  ++P;
  for (;;) {
    if (!Within(S, P)) return false;
    const WideChar c = At(S, P);
    if (c == FStrQuote) {
      if (FSourceStyle == ssSQL && Within(S, P + 1) && At(S, P + 1) == FStrQuote) {
        Value += c;
        P += 2;
        continue;
      }
      ++P;
      return true;
    }
    if (c == FExtraCharSymbol) {
      Value += RunCExtraChar(S, P);
    } else {
      Value += c;
      ++P;
    }
  }
}

WideChar TYScanner::RunPascalExtraChar(std::u16string_view S, int32_t& P) {
  if (!Within(S, P) || At(S, P) != FExtraCharSymbol) return 0;
  const int32_t hash = P;
  ++P;
  const int32_t D = P;
  const bool hex = Within(S, D) && At(S, D) == u'$';
  // A set test, as the classic runtime makes it on a wide character: only
  // the low byte counts, so U+0131 passes for the digit 1 and the
  // conversion below reports it.
  while (Within(S, P)) {
    const unsigned c = At(S, P) & 0xFFu;
    if (c == '$' || (c >= '0' && c <= '9') ||
        (hex && ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))))
      ++P;
    else
      break;
  }
  const int32_t value = hex ? HexToInt(Cut(S, D + 1, P)) : XStrToInt(Cut(S, D, P));
  if (value > 65535) throw Exception(u"\"%s\" not a character", {UnicodeString(Cut(S, hash, P))});
  // Eight hex digits wrap to a negative value, which passes the check above
  // and keeps its low 16 bits.
  return static_cast<WideChar>(value);
}

WideChar TYScanner::RunCExtraChar(std::u16string_view S, int32_t& P) {
  if (!Within(S, P) || At(S, P) != FExtraCharSymbol) return 0;
  ++P;
  if (!Within(S, P)) return FExtraCharSymbol;
  const WideChar c = At(S, P);
  switch (c) {
    case u'n':
      ++P;
      return 10;
    case u'r':
      ++P;
      return 13;
    case u't':
      ++P;
      return 9;
    case u'v':
      ++P;
      return 11;
    case u'a':
      ++P;
      return 7;
    case u'b':
      ++P;
      return 8;
    case u'f':
      ++P;
      return 12;
    case u'x': {
      ++P;
      const int32_t from = P;
      while (P - from < 3 && Within(S, P) && dz::IsHexDigit(At(S, P))) ++P;
      if (P == from) return 0;
      return static_cast<WideChar>(HexToInt(Cut(S, from, P)));
    }
    default:
      break;
  }
  if (c >= u'0' && c <= u'9') {
    // The first digit is taken whatever it is, so \8 raises as OctToInt does;
    // the two that may follow must be octal.
    const int32_t from = P++;
    while (P - from < 3 && Within(S, P) && dz::IsOctDigit(At(S, P))) ++P;
    return static_cast<WideChar>(OctToInt(Cut(S, from, P)));
  }
  ++P;
  return c;
}

WideChar TYScanner::RunCChar(std::u16string_view S, int32_t& P) {
  if (!Within(S, P) || At(S, P) != FCharQuote) return 0;
  ++P;
  if (!Within(S, P)) return 0;
  WideChar result;
  if (At(S, P) == FExtraCharSymbol) {
    result = RunCExtraChar(S, P);
  } else {
    result = At(S, P);
    ++P;
  }
  if (Within(S, P) && At(S, P) == FCharQuote) {
    ++P;
    return result;
  }
  return 0;
}

void TYScanner::FillToken(int32_t Index, TYTokenType TokenType) {
  if (Index < TYTokenQueue::Low || Index > TYTokenQueue::High)
    throw Exception(u"Token %d is not available", {int64_t{Index}});
  TYToken& t = Slot(Index);
  t.TokType = TokenType;
  // The slot's old buffer becomes the next token's work string, so neither
  // string allocates once the queue has gone round.
  t.RealStr.swap(FRealStr);
  LowerInto(t.RealStr, t.TokStr, FAsciiLowerPlain);
  t.TokLine = FLine;
  t.TokStart = FTokStart;
  t.TokEnd = FTokEnd;
  t.TokPos = FLinePos + FTokStart - 1;
  t.TokLocalize = FLocalize;
}

void TYScanner::FirstToken() {
  FLine = 0;
  FTokStart = 1;
  FTokEnd = 1;
  FLinePos = 0;
  FAsciiLowerPlain = AsciiLowerIsPlain();
  if (InternalEOS()) {
    FLastTokenIndex = -1;
    return;
  }
  int32_t last = -1;
  for (int32_t i = 0; i <= TYTokenQueue::High; ++i) {
    TYTokenType kind = InternalNextToken();
    if (InternalEOS()) break;
    FillToken(i, kind);
    last = i;
  }
  FLastTokenIndex = last;
}

void TYScanner::NextToken() {
  TYTokenType kind = InternalNextToken();
  if (EOS()) return;
  const bool read = !InternalEOS();
  Shift(!read);
  if (read) {
    FillToken(TYTokenQueue::High, kind);
    FLastTokenIndex = TYTokenQueue::High;
  }
}

void TYScanner::NextTokenAsTemplate() {
  if (EOS()) return;
  ResumeAfter(Slot(0));
  FLastTokenIndex = 0;
  FScanTemplate = true;
  TYTokenType kind;
  try {
    kind = InternalNextToken();
  } catch (...) {
    FScanTemplate = false;
    throw;
  }
  FScanTemplate = false;
  Shift(true);
  if (InternalEOS()) return;  // the current token was the last one: now EOS
  FillToken(0, kind);
  int32_t last = 0;
  for (int32_t i = 1; i <= TYTokenQueue::High; ++i) {
    TYTokenType k = InternalNextToken();
    if (InternalEOS()) break;
    FillToken(i, k);
    last = i;
  }
  FLastTokenIndex = last;
}

}  // namespace dz
