#include "deziva27/utils/ObjectList.h"

namespace dz {
namespace {

// The one place where the list lets go of what it owns; nil is fine.
void FreeObject(TObject* obj) {
  std::default_delete<TObject>()(obj);
}

}  // namespace

TYObjectList::~TYObjectList() {
  TYObjectList::Clear();
}

int32_t TYObjectList::Add(TObject* AObject) {
  int32_t index = TList::Add(AObject);
  Changed();
  return index;
}

void TYObjectList::Insert(int32_t Index, TObject* AObject) {
  TList::Insert(Index, AObject);
  Changed();
}

void TYObjectList::Delete(int32_t Index) {
  TList::Delete(Index);
  Changed();
}

void TYObjectList::Erase(int32_t Index) {
  FreeObject(GetItem(Index));  // a bad index raises before anything is freed
  Delete(Index);
}

void TYObjectList::FreeAll() {
  for (int32_t i = 0, n = Count(); i < n; ++i) {
    // Nil first: an object whose destructor looks at the list never finds
    // itself there half-destroyed.
    TObject* obj = GetItem(i);
    SetItems(i, nullptr);
    FreeObject(obj);
  }
}

void TYObjectList::Clear() {
  FreeAll();
  TList::Clear();
  Changed();
}

void TYObjectList::Changed() {
  if (FOnChange) FOnChange(this);
  if (Count() == 0) ListEmpty();
}

void TYObjectList::ListEmpty() {
  if (FOnEmpty) FOnEmpty(this);
}

}  // namespace dz
