#include "deziva27/base/Types.h"

#include <cmath>

namespace dz {

Currency::Currency(double v) : FValue(static_cast<int64_t>(std::nearbyint(v * 10000.0))) {}

}  // namespace dz
