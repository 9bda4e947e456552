// Internal: each unit's start-up and shut-down work. A unit that has module
// state defines its pair here and names it in the table of Units.cpp; that
// one line is its whole registration.
#pragma once

#include <functional>

namespace dz::detail {

// Called for every start or stop work that actually runs; tests watch the
// order with it. Pass an empty function to stop tracing.
void SetUnitTrace(std::function<void(const char* unit, bool starting)> trace);

// Start counter of a unit by name (-1 when there is no such unit).
int UnitStartCount(const char* unit);

void YStringsStop();
void YDattimeStart();
void YDattimeStop();

}  // namespace dz::detail
