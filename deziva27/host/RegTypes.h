// The registry's value types, with the numbers Windows gives them: they are
// what a .reg file's hex(n) carries and what the store keeps beside each value.
#pragma once

#include <cstdint>

namespace dz {

inline constexpr uint32_t REG_NONE = 0, REG_SZ = 1, REG_EXPAND_SZ = 2, REG_BINARY = 3,
                          REG_DWORD = 4, REG_MULTI_SZ = 7, REG_QWORD = 11;

}  // namespace dz
