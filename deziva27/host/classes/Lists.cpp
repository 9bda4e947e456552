#include "deziva27/host/classes/Lists.h"

#include <algorithm>

#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz {

// --- TList -------------------------------------------------------------------

TList::~TList() {
  TList::Clear();
}

void TList::Error(int32_t index) {
  throw EListError(u"List index out of bounds (%d)", {int64_t{index}});
}

void TList::CheckIndex(int32_t index) const {
  if (index < 0 || index >= Count()) Error(index);
}

void TList::Grow() {
  // The classic growth steps: 4 up to 8 items, 16 up to 64, then a quarter more.
  int32_t delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
  SetCapacity(FCapacity + delta);
}

void TList::Notify(void*, TListNotification) {}

void TList::SetCapacity(int32_t capacity) {
  if (capacity < Count()) Error(capacity);
  FList.reserve(static_cast<size_t>(capacity));
  FCapacity = capacity;
}

int32_t TList::Add(void* item) {
  int32_t index = Count();
  if (index == FCapacity) Grow();
  FList.push_back(item);
  if (item) Notify(item, lnAdded);
  return index;
}

void TList::Insert(int32_t index, void* item) {
  if (index < 0 || index > Count()) Error(index);
  if (Count() == FCapacity) Grow();
  FList.insert(FList.begin() + index, item);
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int32_t index) {
  CheckIndex(index);
  void* item = FList[static_cast<size_t>(index)];
  FList.erase(FList.begin() + index);
  if (item) Notify(item, lnDeleted);
}

void* TList::Items(int32_t index) const {
  CheckIndex(index);
  return FList[static_cast<size_t>(index)];
}

void TList::SetItems(int32_t index, void* item) {
  CheckIndex(index);
  void* old = FList[static_cast<size_t>(index)];
  if (old == item) return;
  FList[static_cast<size_t>(index)] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

int32_t TList::IndexOf(const void* item) const {
  auto it = std::find(FList.begin(), FList.end(), item);
  return it == FList.end() ? -1 : static_cast<int32_t>(it - FList.begin());
}

int32_t TList::Remove(void* item) {
  int32_t index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  int32_t index = IndexOf(item);
  if (index < 0) return nullptr;
  FList.erase(FList.begin() + index);
  Notify(item, lnExtracted);
  return item;
}

void TList::Exchange(int32_t index1, int32_t index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(FList[static_cast<size_t>(index1)], FList[static_cast<size_t>(index2)]);
}

void TList::Clear() {
  // Deleting from the end keeps Notify seeing a consistent list.
  while (!FList.empty()) Delete(Count() - 1);
  FList.clear();
  FList.shrink_to_fit();
  FCapacity = 0;
}

// --- TStrings ----------------------------------------------------------------

int32_t TStrings::AddObject(const UnicodeString& s, TObject* obj) {
  int32_t index = Count();
  InsertObject(index, s, obj);
  return index;
}

int32_t TStrings::IndexOf(std::u16string_view s) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (AnsiCompareText(Strings(i), s) == 0) return i;
  return -1;
}

int32_t TStrings::IndexOfObject(const TObject* obj) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (Objects(i) == obj) return i;
  return -1;
}

void TStrings::Assign(const TStrings& source) {
  if (&source == this) return;
  Clear();
  AddStrings(source);
}

void TStrings::AddStrings(const TStrings& source) {
  for (int32_t i = 0, n = source.Count(); i < n; ++i)
    AddObject(source.Strings(i), source.Objects(i));
}

void TStrings::Move(int32_t curIndex, int32_t newIndex) {
  if (curIndex == newIndex) return;
  UnicodeString s = Strings(curIndex);
  TObject* o = Objects(curIndex);
  Delete(curIndex);
  InsertObject(newIndex, s, o);
}

void TStrings::Exchange(int32_t index1, int32_t index2) {
  UnicodeString s1 = Strings(index1), s2 = Strings(index2);
  TObject *o1 = Objects(index1), *o2 = Objects(index2);
  SetStrings(index1, s2);
  SetObjects(index1, o2);
  SetStrings(index2, s1);
  SetObjects(index2, o1);
}

UnicodeString TStrings::Text() const {
  UnicodeString r;
  for (int32_t i = 0; i < Count(); ++i) {
    r += Strings(i);
    r += u"\r\n";
  }
  return r;
}

void TStrings::SetText(std::u16string_view text) {
  Clear();
  size_t i = 0, n = text.size();
  while (i < n) {
    size_t start = i;
    while (i < n && text[i] != u'\r' && text[i] != u'\n') ++i;
    Add(UnicodeString(text.substr(start, i - start)));
    if (i < n && text[i] == u'\r') ++i;
    if (i < n && text[i] == u'\n') ++i;
  }
}

UnicodeString TStrings::CommaText() const {
  UnicodeString r;
  for (int32_t i = 0; i < Count(); ++i) {
    const UnicodeString& s = Strings(i);
    bool quote = s.empty() && Count() == 1;
    for (char16_t c : s)
      if (c <= u' ' || c == u',' || c == u'"') quote = true;
    if (i > 0) r.push_back(u',');
    r += quote ? AnsiQuotedStr(s, u'"') : s;
  }
  return r;
}

void TStrings::SetCommaText(std::u16string_view text) {
  Clear();
  size_t i = 0, n = text.size();
  auto blank = [](char16_t c) { return c >= 1 && c <= 32; };
  while (i < n && blank(text[i])) ++i;
  while (i < n) {
    UnicodeString item;
    if (text[i] == u'"') {
      ++i;
      while (i < n) {
        if (text[i] == u'"') {
          if (i + 1 < n && text[i + 1] == u'"') {
            item.push_back(u'"');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item.push_back(text[i++]);
      }
      // Whatever follows the closing quote starts the next item: "a"b is a, b.
    } else {
      while (i < n && text[i] != u',' && !blank(text[i])) item.push_back(text[i++]);
    }
    Add(item);
    while (i < n && blank(text[i])) ++i;
    if (i < n && text[i] == u',') {
      // Only a comma that is the very last character ends an empty item;
      // "a, " is the one item a.
      if (i + 1 == n) Add(UnicodeString());
      ++i;
      while (i < n && blank(text[i])) ++i;
    }
  }
}

UnicodeString TStrings::Names(int32_t index) const {
  const UnicodeString& s = Strings(index);
  size_t eq = s.find(u'=');
  return eq == UnicodeString::npos ? UnicodeString() : s.substr(0, eq);
}

UnicodeString TStrings::ValueFromIndex(int32_t index) const {
  const UnicodeString& s = Strings(index);
  size_t eq = s.find(u'=');
  return eq == UnicodeString::npos ? UnicodeString() : s.substr(eq + 1);
}

int32_t TStrings::IndexOfName(std::u16string_view name) const {
  for (int32_t i = 0; i < Count(); ++i) {
    const UnicodeString& s = Strings(i);
    size_t eq = s.find(u'=');
    if (eq != UnicodeString::npos &&
        AnsiCompareText(std::u16string_view(s).substr(0, eq), name) == 0)
      return i;
  }
  return -1;
}

UnicodeString TStrings::Values(std::u16string_view name) const {
  int32_t i = IndexOfName(name);
  return i < 0 ? UnicodeString() : ValueFromIndex(i);
}

void TStrings::SetValues(std::u16string_view name, const UnicodeString& value) {
  int32_t i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  UnicodeString line = UnicodeString(name) + u"=" + value;
  if (i < 0)
    Add(line);
  else
    SetStrings(i, line);
}

bool TStrings::Equals(const TStrings& other) const {
  if (Count() != other.Count()) return false;
  for (int32_t i = 0; i < Count(); ++i)
    if (Strings(i) != other.Strings(i)) return false;
  return true;
}

// --- TStringList -------------------------------------------------------------

TStringList::TStringList(std::initializer_list<UnicodeString> items) {
  for (const auto& s : items) Add(s);
}

void TStringList::CheckIndex(int32_t index) const {
  if (index < 0 || index >= Count()) TList::Error(index);
}

void TStringList::Changed() {
  if (FOnChange) FOnChange(this);
}

const UnicodeString& TStringList::Strings(int32_t index) const {
  CheckIndex(index);
  return FItems[static_cast<size_t>(index)].S;
}

void TStringList::SetStrings(int32_t index, const UnicodeString& s) {
  CheckIndex(index);
  FItems[static_cast<size_t>(index)].S = s;
  Changed();
}

TObject* TStringList::Objects(int32_t index) const {
  CheckIndex(index);
  return FItems[static_cast<size_t>(index)].Obj;
}

void TStringList::SetObjects(int32_t index, TObject* obj) {
  CheckIndex(index);
  FItems[static_cast<size_t>(index)].Obj = obj;
  Changed();
}

void TStringList::InsertObject(int32_t index, const UnicodeString& s, TObject* obj) {
  if (index < 0 || index > Count()) TList::Error(index);
  FItems.insert(FItems.begin() + index, Item{s, obj});
  Changed();
}

void TStringList::Delete(int32_t index) {
  CheckIndex(index);
  FItems.erase(FItems.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Changed();
}

void TStringList::Sort() {
  std::stable_sort(FItems.begin(), FItems.end(),
                   [](const Item& a, const Item& b) { return AnsiCompareText(a.S, b.S) < 0; });
  Changed();
}

}  // namespace dz
