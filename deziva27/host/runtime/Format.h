// Format: the classic printf-like formatting of the run time.
// Threads: any thread; Format keeps no state.
#pragma once

#include "deziva27/base/Export.h"

#include <initializer_list>

#include "deziva27/base/Exception.h"
#include "deziva27/base/Types.h"

namespace dz DZ_API {

// Classic Format over %s, %d, %u, %x, %f, %g and %%, each with optional
// '-' flag, width and precision ("%.4d", "%-8s"). A mismatched or missing
// argument raises EConvertError rather than printing garbage.
UnicodeString Format(const UnicodeString& fmt, std::initializer_list<TVarRec> args);

}  // namespace dz
