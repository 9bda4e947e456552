// The root of every exception the library throws, and the macro that
// declares the classes below it.
// Threads: raise and catch on any thread; an exception object is one thread's
// at a time.
#pragma once

#include "deziva27/base/Export.h"

#include <exception>
#include <initializer_list>
#include <string>
#include <variant>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// One argument of Format (host/runtime/Format.h): an integer, a 16-bit or
// 8-bit string, or a double.
using TVarRec = std::variant<int64_t, UnicodeString, AnsiString, double>;

// Base class. Message() is the text as the library holds it; what() gives
// the same text in UTF-8.
class Exception : public std::exception {
 public:
  // The message as given; the UTF-8 form is made once here. A null utf8msg
  // is an empty message; ill-formed UTF-8 in it becomes U+FFFD.
  explicit Exception(UnicodeString msg);
  explicit Exception(const char* utf8msg);
  // Formats the message first with Format, as CreateFmt does (a format the
  // arguments do not fit raises EConvertError instead).
  Exception(const UnicodeString& fmt, std::initializer_list<TVarRec> args);

  // The message; valid as long as the exception object.
  const UnicodeString& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FUtf8.c_str(); }  // the message in UTF-8

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

}  // namespace dz
