// YScanner: TYScanner splits source text held as a list of lines into typed
// tokens, for programs that read Pascal-like, C-like, SQL-like or Perl-like
// text.
//
// A scan goes like this:
//
//   TYScanner sc;                      // Pascal settings
//   sc.SetSourceStyle(ssC);            // separators, quotes, comments of C
//   sc.SetSource(lines);               // a copy of the caller's lines
//   for (sc.FirstToken(); !sc.EOS(); sc.NextToken())
//     use(sc.GetTokType(), sc.GetRealStr(), sc.GetTokLine(), sc.GetTokStart());
//
// The scanner keeps the tokens in a queue of 21 slots: the current token in
// slot 0, up to ten tokens read ahead in slots 1..10 and up to ten tokens
// already passed in slots -1..-10. Bookmarks copy the whole queue, so a
// caller can look ahead as far as it likes and come back.
//
// Lines are 0-based, columns 1-based; TokPos counts every line end as two
// characters (CR LF), whatever the source had. A token never spans lines.
//
// Words are told apart by the first character: one whose code, in its low
// 8 bits, lies in 65..122 (A-Z, a-z and [\]^_`) starts a name; anything else
// starts a number or an unknown word. Since '.', '+' and '-' are separators
// in every built-in list, 1.5 reads as 1, '.', 5.
//
// Errors: a Pascal character code above 65535 raises dz::Exception with
// "\"%s\" not a character" (%s the code as written, "#65536"); an invalid
// digit in a character code or escape raises what HexToInt, OctToInt or
// XStrToInt raise; a queue index outside -10..10 raises dz::Exception with
// "Token %d is not available". EScannerError (consts/Errors.h) is never raised
// here; it exists for callers that report scanning errors of their own.
// Threads: a scanner is used by one thread at a time; distinct scanners are independent.
#pragma once

#include "deziva27/base/Export.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include "deziva27/consts/Errors.h"
#include "deziva27/host/Host.h"
#include "deziva27/strings/YStrings.h"

namespace dz DZ_API {

namespace detail {
class WordSet;
}

// Kinds of token, in this order (one byte).
enum TYTokenType : uint8_t {
  ttUnknown,       // empty slot, end of source, unterminated string, a word that
                   // is not a number and does not start with a letter
  ttIdent,         // a name in none of the three word lists
  ttReservedWord,  // a word found in RWords
  ttSeparator,     // one- or two-character separator from Seps
  ttChar,          // Pascal character code (#13), C character literal ('a')
  ttString,        // string literal; RealStr holds its value
  ttLString,       // string literal right after a capital L (L"wide")
  ttNumber,        // a word that Val reads completely
  ttVariable,      // a word found in Vars
  ttFunction,      // a word found in Funcs
  ttStrTemplate,   // never assigned by the scanner; free for callers (SetToken)
};

// The kind's name as the enumeration spells it ("ttIdent"); "?" for a value
// past ttStrTemplate.
const char* TokenKindName(TYTokenType kind);

// A set of token kinds in 16 bits: bit n stands for the kind of ordinal n.
class TYTokenTypes {
 public:
  // The empty set, or the set of the kinds listed.
  constexpr TYTokenTypes() = default;
  constexpr TYTokenTypes(std::initializer_list<TYTokenType> kinds) {
    for (TYTokenType k : kinds) Include(k);
  }
  // The set whose bit n is bit n of bits, and back.
  static constexpr TYTokenTypes FromBits(uint16_t bits) {
    TYTokenTypes s;
    s.FBits = bits;
    return s;
  }
  constexpr uint16_t Bits() const { return FBits; }
  // k is in the set; a kind above 15 never is.
  constexpr bool Contains(TYTokenType k) const { return k < 16 && (FBits >> k) & 1u; }
  // Adds (Include) or removes (Exclude) k and returns the set; a kind above
  // 15 changes nothing.
  constexpr TYTokenTypes& Include(TYTokenType k) {
    if (k < 16) FBits = static_cast<uint16_t>(FBits | (1u << k));
    return *this;
  }
  constexpr TYTokenTypes& Exclude(TYTokenType k) {
    if (k < 16) FBits = static_cast<uint16_t>(FBits & ~(1u << k));
    return *this;
  }
  // The same kinds.
  constexpr bool operator==(const TYTokenTypes&) const = default;

 private:
  uint16_t FBits = 0;
};

// One token. An empty token (all fields zero or empty) is ttUnknown.
struct TYToken {
  TYTokenType TokType = ttUnknown;  // its kind
  UnicodeString TokStr;      // RealStr in lower case (AnsiLowerCase)
  UnicodeString RealStr;     // as written; for literals their value (quotes
                             // removed, escapes, doubled quotes and #codes resolved)
  int32_t TokLine = 0;       // 0-based line of the first character
  int32_t TokStart = 0;      // 1-based column of the first character
  int32_t TokEnd = 0;        // column just after the last character
  int32_t TokPos = 0;        // 0-based offset in the whole source (line ends = 2)
  bool TokLocalize = false;  // the scanner's Localize flag when it was read

  // Field by field.
  bool operator==(const TYToken&) const = default;
};

// 21 tokens indexed -10..10 (index 0 is the current token). The index is not
// checked here; the scanner's GetToken/SetToken are the checked access.
struct TYTokenQueue {
  // The first and the last index.
  static constexpr int32_t Low = -10;
  static constexpr int32_t High = 10;

  // The token at index; an index outside Low..High reaches outside Items.
  TYToken& operator[](int32_t index) { return Items[static_cast<size_t>(index - Low)]; }
  const TYToken& operator[](int32_t index) const { return Items[static_cast<size_t>(index - Low)]; }
  // Token by token.
  bool operator==(const TYTokenQueue&) const = default;

  // The tokens in index order: Items[0] holds index Low.
  std::array<TYToken, 21> Items;
};

// A complete copy of a scanner's queue and last-token index. Plain value: the
// scanner keeps none of them.
struct TYScannerBookmark {
  // The slot of the last token read from the source: 10 while the source
  // lasts, lower once it has run out, below 0 at EOS.
  int32_t LastTokenIndex = 0;
  TYTokenQueue TokenQueue;  // the queue, slot 0 the current token

  // Field by field.
  bool operator==(const TYScannerBookmark&) const = default;
};

// The source languages whose separators, quotes and comments the scanner
// knows (TYScanner::SetSourceStyle); ssNone is none of them.
enum TSourceStyle : uint8_t { ssNone, ssPascal, ssC, ssSQL, ssPerl };

// A scanner: owns a copy of the source lines, its word lists and the queue
// of tokens read from them. Not copyable; destroying it frees the lists.
class TYScanner : public TObject {
 public:
  // Pascal settings, an empty source, 21 empty tokens, Localize on.
  TYScanner();
  // Frees the source lines, the word lists and the queue.
  ~TYScanner() override;
  // The word lists report their changes to the scanner that owns them, so a
  // scanner stays where it was built.
  TYScanner(const TYScanner&) = delete;
  TYScanner& operator=(const TYScanner&) = delete;

  // --- Source, word lists and settings ----------------------------------------

  // The lists are the scanner's own. The Set forms copy the caller's lines
  // (the caller keeps Value); the plain forms give the list itself, so lines
  // and words may also be added in place. Setting the source does not restart
  // the scan: call FirstToken. The word lists compare case-insensitively.
  TStrings& Source() { return *FSource; }
  const TStrings& Source() const { return *FSource; }
  void SetSource(const TStrings& Value);
  TStrings& RWords() { return *FRWords; }
  const TStrings& RWords() const { return *FRWords; }
  void SetWords(const TStrings& Value);
  TStrings& Vars() { return *FVars; }
  const TStrings& Vars() const { return *FVars; }
  void SetVars(const TStrings& Value);
  TStrings& Funcs() { return *FFuncs; }
  const TStrings& Funcs() const { return *FFuncs; }
  void SetFuncs(const TStrings& Value);

  // Separator list: a plain string searched as a whole, so "a:=b" finds the
  // pair ":=", and a pair with a blank inside never matches.
  const UnicodeString& Seps() const { return FSeps; }
  void SetSeps(const UnicodeString& Value);

  // The quote of string literals, and that of character literals, which are
  // read in ssC only; a character that is both opens a string.
  WideChar StrQuote() const { return FStrQuote; }
  void SetStrQuote(WideChar Value) { FStrQuote = Value; }
  WideChar CharQuote() const { return FCharQuote; }
  void SetCharQuote(WideChar Value) { FCharQuote = Value; }
  // Pascal: prefix of a character code (#). Other styles: the escape inside
  // literals (\).
  WideChar ExtraCharSymbol() const { return FExtraCharSymbol; }
  void SetExtraCharSymbol(WideChar Value) { FExtraCharSymbol = Value; }

  // Switching to a named style sets Seps, the three quote characters, the
  // line-comment text and the block comments:
  //   style     StrQuote ExtraChar CharQuote line  block comments
  //   ssPascal  '        #         '         //    (*-*),{-}
  //   ssC       "        \         '         //    /*-*/
  //   ssSQL     '        \         '         //    /*-*/
  //   ssPerl    "        \         '         #     (none)
  // ssNone keeps whatever was set; setting the current style again changes
  // nothing, so settings changed by hand survive it.
  TSourceStyle SourceStyle() const { return FSourceStyle; }
  void SetSourceStyle(TSourceStyle Value);

  // Block comments as text: pairs "open-close" joined by ",", the Pascal
  // setting reading "(*-*),{-}". The setter splits by comma-text rules and
  // each item at its first hyphen ("<!---->" opens with "<!" and closes with
  // "-->"); items without a hyphen are skipped, "" leaves none.
  UnicodeString GetBlockComments() const;
  void SetBlockComments(const UnicodeString& Value);

  // Switched by the line comments "LOCALIZE ON" / "LOCALIZE OFF" (the 13
  // characters after the comment opener, trimmed, in any ASCII case), copied
  // into each token; FirstToken does not reset it.
  bool Localize() const { return FLocalize; }

  // --- Small tests ----------------------------------------------------------------

  // Separator at column P of S. A two-character separator wins when the
  // second character is not a space and the pair occurs in Seps; P is then
  // moved to the second character. A column outside S is no separator.
  bool IsSeparator(std::u16string_view S, int32_t& P) const;
  // The line-comment text stands at column P. Also reads the LOCALIZE markers
  // that follow it and switches Localize.
  bool isLineComment(std::u16string_view S, int32_t P);
  // One of the block-comment openers stands at column P (tried in list order);
  // Closer receives the matching closing text.
  bool isBlockComment(std::u16string_view S, int32_t P, UnicodeString& Closer) const;
  // The host's Val reads the whole of S ("12", "1.5", "2e10"; not "12ab").
  bool isNumber(std::u16string_view S) const;
  // S is in Vars / in Funcs, case-insensitively.
  bool isVar(std::u16string_view S) const;
  bool isFunc(std::u16string_view S) const;
  // C is StrQuote / ExtraCharSymbol.
  bool IsQuote(WideChar C) const { return C == FStrQuote; }
  bool IsExtraCharSymb(WideChar C) const { return C == FExtraCharSymbol; }

  // --- Reading ----------------------------------------------------------------------

  // Restarts at the beginning of the source and fills slots 0..10. Slots
  // -10..-1 and Localize are left as they are.
  void FirstToken();
  // Moves the queue on by one and reads one more token into slot 10. Once the
  // source is exhausted each call still moves the queue on; EOS turns true on
  // the call that moves the current token past the last one, and stays true
  // until the next FirstToken.
  void NextToken();
  // Like NextToken, but the token after the current one is read as a
  // template: when it starts with a separator character, that character
  // quotes it up to its next occurrence on the line, with the style's escape
  // and doubling rules (the slash of a Perl pattern after "=~"): ttString,
  // or ttUnknown when the line ends first. Slots 1..10 are read again after it.
  // Decision: the scan first moves back to the end of the current token, so
  // the template is the token right after slot 0 whatever had been read
  // ahead; at EOS nothing changes.
  void NextTokenAsTemplate();
  // The current token has moved past the last token of the source.
  bool EOS() const { return FLastTokenIndex < 0; }
  // Where reading stands: the line (from 0) and column (from 1) at which the
  // token read last began. After FirstToken or NextToken left by an
  // exception, the token that raised it, as a compiler would point to it.
  int32_t ReadLine() const { return FLine; }
  int32_t ReadColumn() const { return FReadStart; }

  // --- The queue ------------------------------------------------------------------

  // Copy of slot Index / replaces slot Index; -10..10, else dz::Exception
  // "Token %d is not available".
  TYToken GetToken(int32_t Index) const;
  void SetToken(int32_t Index, const TYToken& Value);
  // Fields of slot 0. GetTokStr lower-cases RealStr afresh (the stored TokStr
  // may have been replaced by SetToken); GetTokLength is TokEnd - TokStart.
  TYTokenType GetTokType() const { return Slot(0).TokType; }
  UnicodeString GetTokStr() const;
  UnicodeString GetRealStr() const { return Slot(0).RealStr; }
  int32_t GetTokLine() const { return Slot(0).TokLine; }
  int32_t GetTokStart() const { return Slot(0).TokStart; }
  int32_t GetTokEnd() const { return Slot(0).TokEnd; }
  int32_t GetTokPos() const { return Slot(0).TokPos; }
  int32_t GetTokLength() const { return Slot(0).TokEnd - Slot(0).TokStart; }
  // TokStr of slots -10..-1 joined with nothing between them.
  UnicodeString GetPrevToksStr() const;
  // Every slot takes the token of the next higher one; slot 10 keeps its
  // token; the last-token index goes down by one.
  void ShiftTokens();

  // --- Bookmarks and pieces ------------------------------------------------------

  // A copy of the queue and the last-token index, for SetBookmark.
  TYScannerBookmark GetBookmark() const;
  // Puts the queue and last-token index back and resumes scanning right after
  // the bookmark's last token. An index outside -10..10 raises "Token %d is
  // not available" after the queue was already replaced.
  // Decisions: the offset of the line (for TokPos) and the Localize flag are
  // also taken back from that token, so tokens read after a restore carry the
  // positions and flag they had the first time; a token without a position
  // (TokStart below 1, an empty slot) leaves both alone. A line below 0 reads
  // as 0 and a column below 1 as 1, so a forged bookmark cannot send the
  // reader outside the source.
  void SetBookmark(const TYScannerBookmark& Value);

  // Source text from the current token of Bmrk1 to the current token of Bmrk2
  // (Inclusive) or to the token before it, trimmed of codes up to 32 at both
  // ends, line ends written as CR LF. A Bmrk1 taken at the end of the source,
  // or a start after the end, gives ""; a Bmrk2 taken at the end runs to the
  // end of the source.
  // Decision: lines outside the source read as empty, and an end beyond the
  // last line stops at the end of the source.
  UnicodeString ExtractPiece(const TYScannerBookmark& Bmrk1, const TYScannerBookmark& Bmrk2,
                             bool Inclusive) const;

  // Looks ahead from the current token (normally Token1) to the matching
  // Token2 and answers whether a token of RightTokenTypes listed in
  // RightTokens (comma text) comes first, at a nesting level where no token
  // of WrongTokens (comma text) was seen. Token1 and Token2 are compared with
  // the lower-cased TokStr, so words among them go in lower case. Leaves the
  // queue and the scan position exactly as they were, also when an exception
  // passes through.
  bool ScanToPair(const UnicodeString& Token1, const UnicodeString& Token2,
                  const UnicodeString& RightTokens, const UnicodeString& WrongTokens,
                  TYTokenTypes RightTokenTypes);

 protected:
  // The machinery under FirstToken/NextToken, for scanners built on this one.

  // No source line is left at the scan position.
  bool InternalEOS() const { return FLine < 0 || FLine >= FSource->Count(); }
  // Reads one token from FTokEnd on: skips blanks and comments across lines,
  // then a literal, separator or word. Leaves the text in FRealStr and the
  // columns in FTokStart/FTokEnd; ttUnknown with nothing read at the end.
  // Decision: a lone capital L whose literal is not closed on its line is
  // ttUnknown with the part collected, as the same literal without the L.
  TYTokenType InternalNextToken();
  // Stores the token just read into slot Index (-10..10).
  void FillToken(int32_t Index, TYTokenType TokenType);

  // A string literal at column P of S into Value; P is left after it. True
  // when it was closed. RunString picks the Pascal form in ssPascal and the C
  // form in every other style.
  bool RunString(std::u16string_view S, int32_t& P, UnicodeString& Value);
  // Quoted parts and #codes in a row ('ab'#13#10'cd'); doubled quotes inside.
  bool RunPascalString(std::u16string_view S, int32_t& P, UnicodeString& Value);
  // Text in StrQuote with ExtraCharSymbol escapes; in ssSQL also doubled quotes.
  bool RunCString(std::u16string_view S, int32_t& P, UnicodeString& Value);
  // #65, #$41: a character code. Character 0 and P unchanged when P does not
  // stand on ExtraCharSymbol.
  WideChar RunPascalExtraChar(std::u16string_view S, int32_t& P);
  // \n \r \t \v \a \b \f, \ooo (up to three octal digits; \8 and \9 raise as
  // OctToInt does), \xhhh (up to three hex digits, none gives 0), anything
  // else stands for itself. Decision: an escape symbol that ends the line
  // stands for itself, as in the C decoder of YStrings.
  WideChar RunCExtraChar(std::u16string_view S, int32_t& P);
  // 'a' or '\n'. Without the closing quote: character 0, P left where the
  // quote was expected.
  WideChar RunCChar(std::u16string_view S, int32_t& P);

 private:
  struct ScanState {
    int32_t Line, TokStart, TokEnd, LinePos;
    bool Localize;
  };

  TYToken& Slot(int32_t index) { return FRing[RingIndex(index)]; }
  const TYToken& Slot(int32_t index) const { return FRing[RingIndex(index)]; }
  size_t RingIndex(int32_t index) const { return static_cast<size_t>((FHead + index + 21) % 21); }
  // Moves the queue on; slot 10 keeps its token only when asked to, since a
  // token read right after overwrites it anyway.
  void Shift(bool keepLast);
  std::u16string_view LineAt(int32_t line) const;
  int32_t BlockCommentAt(std::u16string_view S, int32_t P) const;
  bool SepChar(WideChar c) const {
    if (c < 128) return (FSepAscii[c >> 6] >> (c & 63)) & 1u;
    return FSepsWide && FSeps.find(c) != UnicodeString::npos;
  }
  bool SepPair(WideChar a, WideChar b) const;
  // False when no comment opener can start with c; a cheap filter that spares
  // most characters the comparisons.
  bool CommentMayStart(WideChar c) const {
    return c >= 128 || (FCommentStarts[c >> 6] >> (c & 63)) & 1u;
  }
  void UpdateCommentStarts();
  bool IsReservedWord(std::u16string_view S) const;
  // Whether the locale lower-cases ASCII as ASCII (not so in Turkish).
  static bool AsciiLowerIsPlain();
  ScanState SaveState() const { return {FLine, FTokStart, FTokEnd, FLinePos, FLocalize}; }
  void RestoreState(const ScanState& s);
  // Moves the scan back to just after slot `index`, as a bookmark would.
  void ResumeAfter(const TYToken& t);

  std::unique_ptr<TStringList> FSource;
  std::unique_ptr<TStringList> FVars;
  std::unique_ptr<TStringList> FFuncs;
  UnicodeString FRealStr;
  int32_t FLastTokenIndex = 0;
  UnicodeString FSeps;
  std::unique_ptr<TStringList> FRWords;
  int32_t FLine = 0;
  int32_t FTokStart = 1;
  int32_t FTokEnd = 1;
  int32_t FReadStart = 1;  // column of the token being read
  int32_t FLinePos = 0;
  // The queue as a ring: slot i lives at FRing[(FHead + i + 21) % 21], so a
  // shift moves the head instead of copying twenty tokens.
  std::array<TYToken, 21> FRing;
  int32_t FHead = 0;
  TSourceStyle FSourceStyle = ssNone;
  WideChar FStrQuote = u'\'';
  WideChar FExtraCharSymbol = u'#';
  WideChar FCharQuote = u'\'';
  UnicodeString FLineCommentStr = u"//";
  std::vector<UnicodeString> FBlockComments1;  // openers
  std::vector<UnicodeString> FBlockComments2;  // closers, item for item
  bool FScanTemplate = false;
  bool FLocalize = true;
  bool FAsciiLowerPlain = true;  // taken again at each FirstToken

  // Lookup tables built from FSeps: single ASCII characters and ASCII pairs;
  // characters above 127 go to FSeps itself.
  std::array<uint64_t, 2> FSepAscii{};
  std::array<uint64_t, 128 * 2> FSepPairs{};
  bool FSepsWide = false;                    // FSeps holds a character above 127
  std::array<uint64_t, 2> FCommentStarts{};  // first characters of the openers
  std::unique_ptr<detail::WordSet> FRWordSet, FVarSet, FFuncSet;
};

}  // namespace dz
