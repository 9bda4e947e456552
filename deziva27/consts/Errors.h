// The units' exception classes. Each derives directly from dz::Exception and
// adds nothing but its message.
// Threads: classes only; an exception object is used by one thread at a time.
#pragma once

#include "deziva27/base/Export.h"

#include "deziva27/host/runtime/Exceptions.h"

namespace dz DZ_API {

DZ_DECLARE_EXCEPTION(EYStringsError, Exception);   // HexToInt, OctToInt
DZ_DECLARE_EXCEPTION(EYUtilsError, Exception);     // TYIntStack full or empty
DZ_DECLARE_EXCEPTION(EScannerError, Exception);    // declared for callers; never raised
DZ_DECLARE_EXCEPTION(ELocalesError, Exception);    // "Can not get locale info"
DZ_DECLARE_EXCEPTION(EYCompressError, Exception);  // missing stream, wrong format
DZ_DECLARE_EXCEPTION(EHtmlHelpError, Exception);   // help library cannot be loaded

}  // namespace dz
