// TYCurrencyArray: Currency values in an array whose length is fixed when it
// is created. Every item starts at 0.
//
//   TYCurrencyArray a(3);
//   a.ResetBy(Currency(1.5));     // all three read 1.5
//   a.SetItem(0, Currency(2)); a[0];
// Threads: an object is used by one thread at a time; distinct objects are independent.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>
#include <memory>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// The array owns its items and frees them with itself. Not copyable.
class TYCurrencyArray : public TObject {
 public:
  // ACount items, all 0. A negative ACount raises EListError ("List count out
  // of bounds"); a block that cannot be had raises EOutOfMemory.
  explicit TYCurrencyArray(int32_t ACount);
  // Not copyable: the array owns its items.
  TYCurrencyArray(const TYCurrencyArray&) = delete;
  TYCurrencyArray& operator=(const TYCurrencyArray&) = delete;
  ~TYCurrencyArray() override;  // frees the items

  int32_t Count() const { return FCount; }  // the length given at creation, 0 or more
  // Sets every item to Value.
  void ResetBy(Currency Value);

  // Items, 0-based. An index outside 0..Count()-1 raises EListError rather
  // than touching memory outside the array.
  Currency GetItem(int32_t Index) const;
  void SetItem(int32_t Index, Currency Value);
  Currency operator[](int32_t Index) const { return GetItem(Index); }  // as GetItem

 private:
  int32_t FCount = 0;
  std::unique_ptr<Currency[]> FItems;
};

}  // namespace dz
