// Internal: what tests see of the unit table. A unit that has module state
// defines its start and stop pair beside that state and is named in the table
// of Units.cpp; that line is its whole registration.
// Threads: any thread; the start counters and the trace are kept under one lock.
#pragma once

#include <functional>

namespace dz::detail {

// Called for every start or stop work that actually runs; tests watch the
// order with it. Pass an empty function to stop tracing. Work that runs while
// the library loads or unloads is seen by setting DZ_TRACE_UNITS to a file
// name: each start and stop appends "start UNIT" or "stop UNIT" to it.
void SetUnitTrace(std::function<void(const char* unit, bool starting)> trace);

// Start counter of a unit by name (-1 when there is no such unit).
int UnitStartCount(const char* unit);

}  // namespace dz::detail
