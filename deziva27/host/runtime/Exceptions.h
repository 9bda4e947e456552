// The classic exception classes of the run time, streams, lists, the
// registry and components. Every error the library reports is an exception
// derived from dz::Exception (base/Exception.h); no routine returns an error
// code.
// Threads: raise and catch on any thread; an exception object is one thread's
// at a time.
#pragma once

#include "deziva27/base/Export.h"

#include "deziva27/base/Exception.h"

namespace dz DZ_API {

DZ_DECLARE_EXCEPTION(EConvertError, Exception);
DZ_DECLARE_EXCEPTION(EListError, Exception);
DZ_DECLARE_EXCEPTION(EInvalidCast, Exception);
DZ_DECLARE_EXCEPTION(EOutOfMemory, Exception);
DZ_DECLARE_EXCEPTION(EStreamError, Exception);
DZ_DECLARE_EXCEPTION(EReadError, EStreamError);
DZ_DECLARE_EXCEPTION(EWriteError, EStreamError);
DZ_DECLARE_EXCEPTION(EFOpenError, EStreamError);
DZ_DECLARE_EXCEPTION(EFCreateError, EStreamError);
// The registry's errors: a store that cannot be opened or written, a bad
// path or name, a read of the wrong type, a .reg text that cannot be read.
DZ_DECLARE_EXCEPTION(ERegistryException, Exception);
// A published property set from a text it cannot take (an unknown name).
DZ_DECLARE_EXCEPTION(EPropertyError, Exception);

// Raises EOutOfMemory with the host's text; used where an allocation fails.
[[noreturn]] void OutOfMemoryError();

}  // namespace dz
