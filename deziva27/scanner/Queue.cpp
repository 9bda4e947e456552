// TYScanner: the token queue, bookmarks, ExtractPiece and ScanToPair.
#include <algorithm>
#include <vector>

#include "deziva27/scanner/YScanner.h"

namespace dz {
namespace {

void CheckIndex(int32_t index) {
  if (index < TYTokenQueue::Low || index > TYTokenQueue::High)
    throw Exception(u"Token %d is not available", {int64_t{index}});
}

}  // namespace

TYToken TYScanner::GetToken(int32_t Index) const {
  CheckIndex(Index);
  return Slot(Index);
}

void TYScanner::SetToken(int32_t Index, const TYToken& Value) {
  CheckIndex(Index);
  Slot(Index) = Value;
}

UnicodeString TYScanner::GetTokStr() const {
  return AnsiLowerCase(Slot(0).RealStr);
}

UnicodeString TYScanner::GetPrevToksStr() const {
  UnicodeString r;
  for (int32_t i = TYTokenQueue::Low; i < 0; ++i) r += Slot(i).TokStr;
  return r;
}

void TYScanner::Shift(bool keepLast) {
  // Slot -10 falls off the end and its storage becomes the new slot 10.
  FHead = (FHead + 1) % 21;
  if (keepLast) Slot(TYTokenQueue::High) = Slot(TYTokenQueue::High - 1);
  --FLastTokenIndex;
}

void TYScanner::ShiftTokens() {
  Shift(true);
}

TYScannerBookmark TYScanner::GetBookmark() const {
  TYScannerBookmark b;
  b.LastTokenIndex = FLastTokenIndex;
  for (int32_t i = TYTokenQueue::Low; i <= TYTokenQueue::High; ++i) b.TokenQueue[i] = Slot(i);
  return b;
}

void TYScanner::ResumeAfter(const TYToken& t) {
  FLine = std::max(t.TokLine, 0);
  FTokStart = std::max(t.TokStart, 1);
  FTokEnd = std::max(t.TokEnd, 1);
  if (t.TokStart >= 1) {
    FLinePos = t.TokPos - t.TokStart + 1;
    FLocalize = t.TokLocalize;
  }
}

void TYScanner::SetBookmark(const TYScannerBookmark& Value) {
  FLastTokenIndex = Value.LastTokenIndex;
  FHead = 0;
  for (int32_t i = TYTokenQueue::Low; i <= TYTokenQueue::High; ++i) Slot(i) = Value.TokenQueue[i];
  CheckIndex(FLastTokenIndex);
  ResumeAfter(Slot(FLastTokenIndex));
}

void TYScanner::RestoreState(const ScanState& s) {
  FLine = s.Line;
  FTokStart = s.TokStart;
  FTokEnd = s.TokEnd;
  FLinePos = s.LinePos;
  FLocalize = s.Localize;
}

UnicodeString TYScanner::ExtractPiece(const TYScannerBookmark& Bmrk1,
                                      const TYScannerBookmark& Bmrk2, bool Inclusive) const {
  if (Bmrk1.LastTokenIndex < 0) return {};
  const int32_t lastLine = FSource->Count() - 1;
  auto line = [&](int32_t i) -> std::u16string_view {
    return i >= 0 && i <= lastLine ? std::u16string_view(FSource->Strings(i))
                                   : std::u16string_view();
  };
  int32_t SL = Bmrk1.TokenQueue[0].TokLine;
  int32_t SC = Bmrk1.TokenQueue[0].TokStart;
  int32_t EL, EC;
  if (Bmrk2.LastTokenIndex < 0) {
    EL = lastLine;
    EC = static_cast<int32_t>(line(EL).size()) + 1;
  } else {
    const TYToken& t = Inclusive ? Bmrk2.TokenQueue[0] : Bmrk2.TokenQueue[-1];
    EL = t.TokLine;
    EC = t.TokEnd;
  }
  if (EL > lastLine) {
    EL = lastLine;
    EC = static_cast<int32_t>(line(EL).size()) + 1;
  }
  if (SL > EL) return {};
  if (SL < 0) {
    SL = 0;
    SC = 1;
  }
  if (SL == EL) return EC <= SC ? UnicodeString() : Trim(Copy(line(SL), SC, EC - SC));
  UnicodeString r = Copy(line(SL), SC, INT32_MAX);
  for (int32_t i = SL + 1; i < EL; ++i) {
    r += u"\r\n";
    r += line(i);
  }
  r += u"\r\n";
  if (EC > 1) r += Copy(line(EL), 1, EC - 1);
  return Trim(r);
}

bool TYScanner::ScanToPair(const UnicodeString& Token1, const UnicodeString& Token2,
                           const UnicodeString& RightTokens, const UnicodeString& WrongTokens,
                           TYTokenTypes RightTokenTypes) {
  TStringList right, wrong;
  right.SetCommaText(RightTokens);
  wrong.SetCommaText(WrongTokens);
  std::vector<int32_t> spoiled;  // levels at which a wrong token was seen

  // The bookmark gives the queue back; the scan position is put back as it
  // stood, which a bookmark alone cannot do once the scan has passed the end.
  struct Restore {
    TYScanner& sc;
    TYScannerBookmark mark;
    ScanState state;
    ~Restore() {
      sc.FLastTokenIndex = mark.LastTokenIndex;
      sc.FHead = 0;
      for (int32_t i = TYTokenQueue::Low; i <= TYTokenQueue::High; ++i)
        sc.Slot(i) = std::move(mark.TokenQueue[i]);
      sc.RestoreState(state);
    }
  } restore{*this, GetBookmark(), SaveState()};

  int32_t level = 0;
  NextToken();
  for (;;) {
    const UnicodeString ts = GetTokStr();
    if (ts == Token2 && level == 0) return false;
    if (EOS()) return false;
    if (ts == Token1) ++level;
    if (ts == Token2) --level;
    if (wrong.IndexOf(ts) >= 0) spoiled.push_back(level);
    if (RightTokenTypes.Contains(GetTokType()) && right.IndexOf(ts) >= 0 &&
        std::find(spoiled.begin(), spoiled.end(), level) == spoiled.end())
      return true;
    NextToken();
  }
}

}  // namespace dz
