// Progress callbacks for long work. The worker calls them with itself as
// Sender, how far it is and how far it goes; a TYProgressEvent handler sets
// Stop to ask the worker to give up.
// Threads: types only; the worker calls a handler on its own thread.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>
#include <functional>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// A handler that may stop the work: the worker passes Stop as false and
// gives up when the handler sets it true. No routine of the library calls
// either type; they are the signatures callers' workers share.
using TYProgressEvent =
    std::function<void(TObject* Sender, int32_t Position, int32_t MaxValue, bool& Stop)>;
// A handler that only watches: the work cannot be stopped from it.
using TYSimpleProgressEvent =
    std::function<void(TObject* Sender, int32_t Position, int32_t MaxValue)>;

}  // namespace dz
