#include "deziva27/utils/CurrencyArray.h"

#include <algorithm>
#include <new>

#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/classes/Lists.h"

namespace dz {

TYCurrencyArray::TYCurrencyArray(int32_t ACount) {
  if (ACount < 0) throw EListError(u"List count out of bounds (%d)", {int64_t{ACount}});
  try {
    FItems = std::make_unique<Currency[]>(static_cast<size_t>(ACount));  // value-initialised: 0
  } catch (const std::bad_alloc&) {
    OutOfMemoryError();
  }
  FCount = ACount;
}

TYCurrencyArray::~TYCurrencyArray() = default;

void TYCurrencyArray::ResetBy(Currency Value) {
  std::fill_n(FItems.get(), FCount, Value);
}

Currency TYCurrencyArray::GetItem(int32_t Index) const {
  if (Index < 0 || Index >= FCount) TList::Error(Index);
  return FItems[static_cast<size_t>(Index)];
}

void TYCurrencyArray::SetItem(int32_t Index, Currency Value) {
  if (Index < 0 || Index >= FCount) TList::Error(Index);
  FItems[static_cast<size_t>(Index)] = Value;
}

}  // namespace dz
