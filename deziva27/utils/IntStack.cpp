#include "deziva27/utils/IntStack.h"

#include <new>

#include "deziva27/consts/Errors.h"
#include "deziva27/consts/YConsts.h"
#include "deziva27/host/classes/Lists.h"
#include "deziva27/host/runtime/Exceptions.h"

namespace dz {
namespace {

constexpr int32_t kMinSpace = (TYIntStack::kCapacity + 1) * static_cast<int32_t>(sizeof(int32_t));

}  // namespace

TYIntStack::TYIntStack(int32_t ASpace) {
  int32_t bytes = ASpace < kMinSpace ? kMinSpace : ASpace;
  size_t slots = (static_cast<size_t>(bytes) + sizeof(int32_t) - 1) / sizeof(int32_t);
  try {
    FBuf = std::make_unique_for_overwrite<int32_t[]>(slots);
  } catch (const std::bad_alloc&) {
    OutOfMemoryError();
  }
}

TYIntStack::~TYIntStack() = default;

void TYIntStack::Push(int32_t Num) {
  // The message is read when raising, so a replaced string table is honoured.
  if (FTop == kCapacity) throw EYUtilsError(LoadResString(_ERRStackFull));
  FBuf[static_cast<size_t>(++FTop)] = Num;
}

int32_t TYIntStack::Pop() {
  if (FTop == 0) throw EYUtilsError(LoadResString(_ERRStackEmpty));
  return FBuf[static_cast<size_t>(FTop--)];
}

int32_t TYIntStack::GetValue(int32_t Index) const {
  if (Index < 0 || Index >= FTop) TList::Error(Index);
  return FBuf[static_cast<size_t>(FTop - Index)];
}

}  // namespace dz
