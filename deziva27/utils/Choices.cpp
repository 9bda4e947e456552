#include "deziva27/utils/Choices.h"

#include "deziva27/host/runtime/System.h"

namespace dz {

void* GetRandomItem(const TList& List, const void* Avoid) {
  Randomize();
  const int32_t n = List.Count();
  // One draw settles the usual case; Items raises for an empty list.
  void* item = List.Items(Random(n));
  if (item != Avoid) return item;
  // Drawn the one to avoid: choose evenly among the others instead of
  // drawing again, which ends even when there are none.
  int32_t others = 0;
  for (int32_t i = 0; i < n; ++i)
    if (List.Items(i) != Avoid) ++others;
  if (others == 0) return nullptr;
  for (int32_t i = 0, k = Random(others); i < n; ++i) {
    void* p = List.Items(i);
    if (p != Avoid && k-- == 0) return p;
  }
  return nullptr;  // not reached: k < others
}

}  // namespace dz
