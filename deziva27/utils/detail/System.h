// Internal: the operating-system flags' formulas, open to the tests.
// Threads: before other threads run; the unit's start calls it.
#pragma once

#include <cstdint>

namespace dz::detail {

// Sets the flags from a platform identifier and version; the unit's start
// applies it to what GetVersionExW reports.
void SetOSFlags(uint32_t PlatformId, uint32_t Major, uint32_t Minor, uint32_t Build);

}  // namespace dz::detail
