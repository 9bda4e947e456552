// The exception hierarchy. Every error the library reports is an exception
// derived from dz::Exception; no routine returns an error code.
// Threads: raise and catch on any thread; an exception object is one thread's at a time.
#pragma once

#include "deziva27/frame/Export.h"

#include <exception>
#include <initializer_list>
#include <string>
#include <variant>

#include "deziva27/host/Types.h"

namespace dz DZ_API {

// One argument of Format: an integer, a 16-bit or 8-bit string, or a double.
using TVarRec = std::variant<int64_t, UnicodeString, AnsiString, double>;

// Classic Format over %s, %d, %u, %x, %f, %g and %%, each with optional
// '-' flag, width and precision ("%.4d", "%-8s"). A mismatched or missing
// argument raises EConvertError rather than printing garbage.
UnicodeString Format(const UnicodeString& fmt, std::initializer_list<TVarRec> args);

// Base class. Message() is the text as the library holds it; what() gives
// the same text in UTF-8.
class Exception : public std::exception {
 public:
  explicit Exception(UnicodeString msg);
  explicit Exception(const char* utf8msg);
  // Formats the message first, as CreateFmt does.
  Exception(const UnicodeString& fmt, std::initializer_list<TVarRec> args);

  const UnicodeString& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FUtf8.c_str(); }

 private:
  UnicodeString FMessage;
  std::string FUtf8;
};

// Declares an exception class that adds nothing to its parent but its name.
#define DZ_DECLARE_EXCEPTION(Name, Parent) \
  class Name : public Parent {             \
   public:                                 \
    using Parent::Parent;                  \
    using Inherited = Parent;              \
  }

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
