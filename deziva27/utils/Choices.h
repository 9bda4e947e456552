// Picking: the larger or smaller of two integers, and a random item of a
// list other than a given one.
// Threads: any thread, but the random pick draws on the shared seed: one thread at a time.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>

#include "deziva27/host/classes/Lists.h"

namespace dz DZ_API {

// The larger of A and B; either when they are equal.
constexpr int32_t MaxInt(int32_t A, int32_t B) {
  return A > B ? A : B;
}
// The smaller of A and B; either when they are equal.
constexpr int32_t MinInt(int32_t A, int32_t B) {
  return A < B ? A : B;
}

// A random item of List that differs from Avoid, every such item being
// equally likely. Re-seeds the host's generator from the clock on every call
// (Randomize), so the host's RandSeed changes. An empty list raises
// EListError. When no item differs from Avoid (a list that holds only Avoid,
// say) there is nothing to draw: the result is nullptr rather than a search
// that never ends.
void* GetRandomItem(const TList& List, const void* Avoid);

}  // namespace dz
