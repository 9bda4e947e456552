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

// A text, number, date or code page that cannot be converted; a bad Format.
DZ_DECLARE_EXCEPTION(EConvertError, Exception);
DZ_DECLARE_EXCEPTION(EListError, Exception);     // an index or count out of a list's bounds
DZ_DECLARE_EXCEPTION(EInvalidCast, Exception);   // an object of another class than a list holds
DZ_DECLARE_EXCEPTION(EOutOfMemory, Exception);   // a size past what can be allocated
DZ_DECLARE_EXCEPTION(EStreamError, Exception);   // a bad seek, a size that cannot be set
DZ_DECLARE_EXCEPTION(EReadError, EStreamError);  // ReadBuffer got fewer bytes than asked
DZ_DECLARE_EXCEPTION(EWriteError, EStreamError);    // fewer bytes written than asked
DZ_DECLARE_EXCEPTION(EFOpenError, EStreamError);    // a file not opened or read, or a directory
DZ_DECLARE_EXCEPTION(EFCreateError, EStreamError);  // a file that cannot be created
// The registry's errors: a store that cannot be opened or written, a bad
// path or name, a read of the wrong type, a .reg text that cannot be read.
DZ_DECLARE_EXCEPTION(ERegistryException, Exception);
// A published property set from a text it cannot take (an unknown name), of a
// type the routine does not handle, or without a setter.
DZ_DECLARE_EXCEPTION(EPropertyError, Exception);

// Raises EOutOfMemory with the host's text; used where an allocation fails.
[[noreturn]] void OutOfMemoryError();

}  // namespace dz
