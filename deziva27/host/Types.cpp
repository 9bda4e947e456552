#include <cmath>

#include "deziva27/host/Types.h"

namespace dz {

Currency::Currency(double v) : FValue(static_cast<int64_t>(std::nearbyint(v * 10000.0))) {}

}  // namespace dz
