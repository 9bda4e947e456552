#include <gtest/gtest.h>

#include "deziva27/utils/YUtils.h"
#include "registry/TempStore.h"

namespace dz {
namespace {

using Persistence = test::TempStore;

// Records each setter call, to see the order and the partial load.
class TRecordingControl : public TControl {
 public:
  using TControl::TControl;
  void SetBounds(Integer l, Integer t, Integer w, Integer h) override {
    calls.push_back({l, t, w, h});
    TControl::SetBounds(l, t, w, h);
  }
  std::vector<std::array<Integer, 4>> calls;
};

// A component with one property of every kind the routines sort.
enum TMood { mCalm, mBusy, mGone };
const TTypeInfo kMoodType{tkEnumeration, u"TMood", {u"mCalm", u"mBusy", u"mGone"}};
class TSample : public TComponent {
 public:
  using TComponent::TComponent;
  Integer Count() const { return count; }
  void SetCount(Integer v) { count = v; }
  TMood Mood() const { return mood; }
  void SetMood(TMood v) { mood = v; }
  AnsiString Label() const { return label; }
  void SetLabel(AnsiString v) { label = std::move(v); }
  AnsiString Short() const { return shortText; }
  void SetShort(AnsiString v) { shortText = std::move(v); }
  UnicodeString Wide() const { return wide; }
  void SetWide(const UnicodeString& v) { wide = v; }
  double Ratio() const { return ratio; }
  void SetRatio(double v) { ratio = v; }
  Int64 Big() const { return big; }
  void SetBig(Int64 v) { big = v; }
  WideChar Letter() const { return letter; }
  void SetLetter(WideChar v) { letter = v; }
  const TClassInfo& ClassInfo() const override {
    static const TClassInfo info(
        u"TSample", &TComponent::StaticClassInfo(),
        {Published(u"Count", &TSample::Count, &TSample::SetCount),
         Published(u"Mood", &TSample::Mood, &TSample::SetMood, &kMoodType),
         Published(u"Label", &TSample::Label, &TSample::SetLabel),
         Published(u"Short", &TSample::Short, &TSample::SetShort, &kShortStringTypeInfo),
         Published(u"Wide", &TSample::Wide, &TSample::SetWide),
         Published(u"Ratio", &TSample::Ratio, &TSample::SetRatio),
         Published(u"Big", &TSample::Big, &TSample::SetBig),
         Published(u"Letter", &TSample::Letter, &TSample::SetLetter)});
    return info;
  }
  Integer count = 0;
  TMood mood = mCalm;
  AnsiString label, shortText;
  UnicodeString wide;
  double ratio = 0;
  Int64 big = 0;
  WideChar letter = u'a';
};

UnicodeString Stored(const UnicodeString& key, const UnicodeString& name) {
  TRegistry r;
  if (!r.OpenKey(key, false) || !r.ValueExists(name)) return u"<none>";
  return r.ReadString(name);
}

void Store(const UnicodeString& key, const UnicodeString& name, const UnicodeString& text) {
  TRegistry r;
  ASSERT_TRUE(r.OpenKey(key, true));
  r.WriteString(name, text);
}

TEST_F(Persistence, ControlPositionIsFourDecimalsJoinedByCommas) {
  TControl c(nullptr);
  c.SetBounds(10, 20, 300, 200);
  SaveControlPosReg(c, u"Software\\Test", u"MainForm");
  EXPECT_EQ(Stored(u"Software\\Test", u"MainForm"), u"10,20,300,200");
  c.SetBounds(-5, 0, 1, 2);
  SaveControlPosReg(c, u"Software\\Test", u"MainForm");
  EXPECT_EQ(Stored(u"Software\\Test", u"MainForm"), u"-5,0,1,2");
}

TEST_F(Persistence, LoadControlPosSetsEachItemInTurnAndStopsAtTheFirstBadOne) {
  struct Case {
    const char16_t* stored;  // nullptr: no value
    std::vector<std::array<Integer, 4>> calls;
    bool raises;
  } cases[] = {
      {nullptr, {{7, 8, 9, 10}, {7, 8, 9, 10}, {7, 8, 9, 10}, {7, 8, 9, 10}}, false},
      {u"1,2,3,4,5", {{1, 8, 9, 10}, {1, 2, 9, 10}, {1, 2, 3, 10}, {1, 2, 3, 4}}, false},
      {u"1,2,3", {{1, 8, 9, 10}, {1, 2, 9, 10}, {1, 2, 3, 10}}, true},
      {u"1,,3,4", {{1, 8, 9, 10}}, true},
      {u" 1,$10,3,4", {{1, 8, 9, 10}, {1, 16, 9, 10}, {1, 16, 3, 10}, {1, 16, 3, 4}}, false},
      {u"x", {}, true},
  };
  for (const Case& c : cases) {
    DelRegKey(u"Software\\Pos");
    if (c.stored) Store(u"Software\\Pos", u"Form", c.stored);
    TRecordingControl ctl(nullptr);
    ctl.SetBounds(7, 8, 9, 10);
    ctl.calls.clear();
    if (c.raises)
      EXPECT_THROW(LoadControlPosReg(ctl, u"Software\\Pos", u"Form"), EConvertError);
    else
      LoadControlPosReg(ctl, u"Software\\Pos", u"Form");
    EXPECT_EQ(ctl.calls, c.calls);
  }
}

TEST_F(Persistence, SavePropertyWritesOnlyTheKindsItKnows) {
  TComponent owner(nullptr);
  TControl* edit = new TControl(&owner);
  edit->SetName(u"Edit1");
  TSample* s = new TSample(&owner);
  s->SetName(u"S");
  s->mood = mBusy;
  s->label = "caf\xE9";  // 8-bit text in the ANSI code page
  s->shortText = "short";
  s->wide = u"wide";
  s->ratio = 1.5;
  s->big = 1;
  struct Case {
    TComponent* c;
    const char16_t* prop;
    const char16_t* stored;
  } cases[] = {
      {edit, u"Enabled", u"True"}, {edit, u"Left", u"0"},        {edit, u"Caption", u"<none>"},
      {edit, u"Align", u"alNone"}, {edit, u"NoSuch", u"<none>"}, {s, u"Count", u"0"},
      {s, u"Mood", u"mBusy"},      {s, u"Label", u"café"},       {s, u"Short", u"short"},
      {s, u"Wide", u"<none>"},     {s, u"Ratio", u"<none>"},     {s, u"Big", u"<none>"},
      {s, u"Letter", u"<none>"},   {s, u"mood", u"mBusy"},
  };
  for (const Case& c : cases) {
    SavePropertyValueReg(*c.c, c.prop, u"Software\\Props");
    EXPECT_EQ(Stored(u"Software\\Props", c.c->Name() + u'.' + c.prop), c.stored)
        << Utf16ToUtf8(c.prop);
  }
  // An empty text writes nothing, so the earlier value stays.
  s->label.clear();
  SavePropertyValueReg(*s, u"Label", u"Software\\Props");
  EXPECT_EQ(Stored(u"Software\\Props", u"S.Label"), u"café");
}

TEST_F(Persistence, LoadPropertySetsByKindAndChangesNothingOnABadText) {
  TSample s(nullptr);
  s.SetName(u"S");
  Store(u"Software\\P", u"S.Count", u"-12");
  Store(u"Software\\P", u"S.Mood", u"MGONE");
  Store(u"Software\\P", u"S.Label", u"text");
  Store(u"Software\\P", u"S.Wide", u"ignored");
  for (const char16_t* p : {u"Count", u"Mood", u"Label", u"Wide", u"Missing"})
    LoadPropertyValueReg(s, p, u"Software\\P");
  EXPECT_EQ(s.count, -12);
  EXPECT_EQ(s.mood, mGone);
  EXPECT_EQ(s.label, "text");
  EXPECT_EQ(s.wide, u"");

  Store(u"Software\\P", u"S.Count", u"12a");
  Store(u"Software\\P", u"S.Mood", u"mAngry");
  EXPECT_THROW(LoadPropertyValueReg(s, u"Count", u"Software\\P"), EConvertError);
  EXPECT_THROW(LoadPropertyValueReg(s, u"Mood", u"Software\\P"), EPropertyError);
  EXPECT_EQ(s.count, -12);
  EXPECT_EQ(s.mood, mGone);
  // Nothing stored (or an empty text): nothing changes.
  Store(u"Software\\P", u"S.Label", u"");
  LoadPropertyValueReg(s, u"Label", u"Software\\P");
  LoadPropertyValueReg(s, u"Ratio", u"Software\\Nowhere");
  EXPECT_EQ(s.label, "text");
}

TEST_F(Persistence, TypedReadsFallBackOnMissingAndMistypedValues) {
  TYRegistry r;
  ASSERT_TRUE(r.OpenKey(u"Software\\R", true));
  r.WriteString(u"s", u"5");
  r.WriteInteger(u"i", 3);
  r.WriteInteger(u"zero", 0);
  EXPECT_EQ(ReadRegStr(r, u"s", u"d"), u"5");
  EXPECT_EQ(ReadRegStr(r, u"i", u"d"), u"d");
  EXPECT_EQ(ReadRegStr(r, u"none", u"d"), u"d");
  EXPECT_EQ(ReadRegInt(r, u"i", -1), 3);
  EXPECT_EQ(ReadRegInt(r, u"s", -1), -1);
  EXPECT_EQ(ReadRegInt(r, u"none", -1), -1);
  EXPECT_TRUE(ReadRegBool(r, u"i", false));
  EXPECT_FALSE(ReadRegBool(r, u"zero", true));
  EXPECT_TRUE(ReadRegBool(r, u"s", true));
  EXPECT_EQ(r.CurrentPath(), u"Software\\R");  // still open
}

TEST_F(Persistence, DelRegKeyTakesEveryDepthAndIgnoresWhatIsNotThere) {
  TRegistry r;
  for (const char16_t* k : {u"Software\\Test\\a\\b\\c", u"Software\\Test\\a\\d",
                            u"Software\\Test\\e", u"Software\\Tester"})
    r.CreateKey(k);
  ASSERT_TRUE(r.OpenKey(u"Software\\Test\\a\\b\\c", false));
  r.WriteString(u"v", u"x");
  r.CloseKey();
  DelRegKey(u"");
  DelRegKey(u"Software\\Nothing");
  DelRegKey(u"Software\\Test\\");
  EXPECT_FALSE(r.KeyExists(u"Software\\Test"));
  EXPECT_TRUE(r.KeyExists(u"Software\\Tester"));
  EXPECT_TRUE(r.KeyExists(u"Software"));
}

}  // namespace
}  // namespace dz
