// TYScanner: construction, styles, settings and the small lexical tests.
#include <algorithm>
#include <iterator>

#include "deziva27/scanner/detail/WordSet.h"
#include "deziva27/scanner/YScanner.h"

namespace dz {
namespace {

struct StyleSettings {
  const char16_t* Seps;
  WideChar StrQuote, ExtraCharSymbol, CharQuote;
  const char16_t* LineComment;
  const char16_t* BlockComments;
};

// Indexed by TSourceStyle; ssNone has no settings of its own.
constexpr StyleSettings kStyles[] = {
    {nullptr, 0, 0, 0, nullptr, nullptr},
    {u"( ) [ ] + - * / = < > ! ; , @ ' \" : . := >= <= <> { } // (* *) #", u'\'', u'#', u'\'',
     u"//", u"(*-*),{-}"},
    {u"( ) [ ] + - * / = < > ! ; , @ ' \" : . := >= <= != { } // # /* */ ->", u'"', u'\\', u'\'',
     u"//", u"/*-*/"},
    {u"( ) [ ] + - * / = < > ! ; , @ ' \" : . := >= <= <> != { } // # /* */ ->", u'\'', u'\\',
     u'\'', u"//", u"/*-*/"},
    {u"( ) [ ] + - * / = < > ! ; , @ ' \" : . := >= <= != { } # -> =~", u'"', u'\\', u'\'', u"#",
     u""},
};

bool Bit(const uint64_t* bits, size_t i) {
  return (bits[i >> 6] >> (i & 63)) & 1u;
}
void SetBit(uint64_t* bits, size_t i) {
  bits[i >> 6] |= uint64_t{1} << (i & 63);
}

// The LOCALIZE markers: the text after the opener, cut to 13 characters,
// trimmed of codes up to 32 and compared with ASCII letters folded.
bool IsMarker(std::u16string_view text, std::u16string_view marker) {
  size_t b = 0, e = text.size();
  while (b < e && text[b] <= 32) ++b;
  while (e > b && text[e - 1] <= 32) --e;
  if (e - b != marker.size()) return false;
  for (size_t i = 0; i < marker.size(); ++i) {
    char16_t c = text[b + i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    if (c != marker[i]) return false;
  }
  return true;
}

}  // namespace

TYScanner::TYScanner()
    : FSource(std::make_unique<TStringList>()),
      FVars(std::make_unique<TStringList>()),
      FFuncs(std::make_unique<TStringList>()),
      FRWords(std::make_unique<TStringList>()),
      FRWordSet(std::make_unique<detail::WordSet>(*FRWords)),
      FVarSet(std::make_unique<detail::WordSet>(*FVars)),
      FFuncSet(std::make_unique<detail::WordSet>(*FFuncs)) {
  FAsciiLowerPlain = AsciiLowerIsPlain();
  SetSourceStyle(ssPascal);
}

TYScanner::~TYScanner() = default;

void TYScanner::SetSource(const TStrings& Value) {
  FSource->Assign(Value);
}
void TYScanner::SetWords(const TStrings& Value) {
  FRWords->Assign(Value);
}
void TYScanner::SetVars(const TStrings& Value) {
  FVars->Assign(Value);
}
void TYScanner::SetFuncs(const TStrings& Value) {
  FFuncs->Assign(Value);
}

void TYScanner::SetSeps(const UnicodeString& Value) {
  FSeps = Value;
  FSepAscii = {};
  FSepPairs = {};
  FSepsWide = false;
  for (size_t i = 0; i < FSeps.size(); ++i) {
    WideChar c = FSeps[i];
    if (c >= 128) {
      FSepsWide = true;
      continue;
    }
    SetBit(FSepAscii.data(), c);
    if (i + 1 < FSeps.size() && FSeps[i + 1] < 128)
      SetBit(FSepPairs.data(), c * 128u + FSeps[i + 1]);
  }
}

bool TYScanner::SepPair(WideChar a, WideChar b) const {
  if (a < 128 && b < 128) return Bit(FSepPairs.data(), a * 128u + b);
  if (!FSepsWide) return false;
  const WideChar pair[2] = {a, b};
  return FSeps.find(std::u16string_view(pair, 2)) != UnicodeString::npos;
}

void TYScanner::SetSourceStyle(TSourceStyle Value) {
  if (Value == FSourceStyle) return;
  FSourceStyle = Value;
  if (Value == ssNone || Value > ssPerl) return;
  const StyleSettings& s = kStyles[Value];
  SetSeps(s.Seps);
  FStrQuote = s.StrQuote;
  FExtraCharSymbol = s.ExtraCharSymbol;
  FCharQuote = s.CharQuote;
  FLineCommentStr = s.LineComment;
  SetBlockComments(s.BlockComments);
  UpdateCommentStarts();
}

void TYScanner::UpdateCommentStarts() {
  FCommentStarts = {};
  auto add = [this](const UnicodeString& opener) {
    if (opener.empty())
      FCommentStarts = {~uint64_t{0}, ~uint64_t{0}};  // starts anywhere
    else if (opener[0] < 128)
      SetBit(FCommentStarts.data(), opener[0]);
  };
  add(FLineCommentStr);
  for (const UnicodeString& o : FBlockComments1) add(o);
}

UnicodeString TYScanner::GetBlockComments() const {
  UnicodeString r;
  for (size_t i = 0; i < FBlockComments1.size(); ++i) {
    if (i > 0) r += u',';
    r += FBlockComments1[i];
    r += u'-';
    r += FBlockComments2[i];
  }
  return r;
}

void TYScanner::SetBlockComments(const UnicodeString& Value) {
  if (Value == GetBlockComments()) return;
  FBlockComments1.clear();
  FBlockComments2.clear();
  TStringList items;
  items.SetCommaText(Value);
  for (int32_t i = 0, n = items.Count(); i < n; ++i) {
    const UnicodeString& item = items.Strings(i);
    size_t h = item.find(u'-');
    if (h == UnicodeString::npos) continue;
    FBlockComments1.push_back(item.substr(0, h));
    FBlockComments2.push_back(item.substr(h + 1));
  }
  UpdateCommentStarts();
}

bool TYScanner::IsSeparator(std::u16string_view S, int32_t& P) const {
  if (P < 1 || static_cast<size_t>(P) > S.size()) return false;
  // A pair can only match when its first character is in the list too.
  if (!SepChar(S[P - 1])) return false;
  if (static_cast<size_t>(P) < S.size() && !dz::IsSpace(S[P]) && SepPair(S[P - 1], S[P])) ++P;
  return true;
}

bool TYScanner::isLineComment(std::u16string_view S, int32_t P) {
  if (P < 1) return false;
  size_t at = static_cast<size_t>(P) - 1;
  if (at > S.size() || S.size() - at < FLineCommentStr.size()) return false;
  if (S.compare(at, FLineCommentStr.size(), FLineCommentStr) != 0) return false;
  std::u16string_view rest = S.substr(at + FLineCommentStr.size(), 13);
  if (IsMarker(rest, u"LOCALIZE ON"))
    FLocalize = true;
  else if (IsMarker(rest, u"LOCALIZE OFF"))
    FLocalize = false;
  return true;
}

int32_t TYScanner::BlockCommentAt(std::u16string_view S, int32_t P) const {
  if (P < 1) return -1;
  size_t at = static_cast<size_t>(P) - 1;
  if (at > S.size()) return -1;
  for (size_t i = 0; i < FBlockComments1.size(); ++i) {
    const UnicodeString& open = FBlockComments1[i];
    if (S.size() - at >= open.size() && S.compare(at, open.size(), open) == 0)
      return static_cast<int32_t>(i);
  }
  return -1;
}

bool TYScanner::isBlockComment(std::u16string_view S, int32_t P, UnicodeString& Closer) const {
  int32_t i = BlockCommentAt(S, P);
  if (i < 0) return false;
  Closer = FBlockComments2[static_cast<size_t>(i)];
  return true;
}

bool TYScanner::isNumber(std::u16string_view S) const {
  // Plain digit runs are the usual case; Val would read them all anyway.
  if (!S.empty() && S.size() <= 15 &&
      std::all_of(S.begin(), S.end(), [](WideChar c) { return c >= u'0' && c <= u'9'; }))
    return true;
  double value;
  int32_t code;
  Val(S, value, code);
  return code == 0;
}

bool TYScanner::isVar(std::u16string_view S) const {
  return FVarSet->Contains(S);
}
bool TYScanner::isFunc(std::u16string_view S) const {
  return FFuncSet->Contains(S);
}
bool TYScanner::IsReservedWord(std::u16string_view S) const {
  return FRWordSet->Contains(S);
}

const char* TokenKindName(TYTokenType kind) {
  static const char* const kNames[] = {"ttUnknown", "ttIdent",     "ttReservedWord", "ttSeparator",
                                       "ttChar",    "ttString",    "ttLString",      "ttNumber",
                                       "ttVariable", "ttFunction", "ttStrTemplate"};
  static_assert(std::size(kNames) == ttStrTemplate + 1);
  return kind <= ttStrTemplate ? kNames[kind] : "?";
}

}  // namespace dz
