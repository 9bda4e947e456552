#include "deziva27/base/Exception.h"

#include "deziva27/base/Utf.h"

namespace dz {

Exception::Exception(UnicodeString msg) : FMessage(std::move(msg)), FUtf8(Utf16ToUtf8(FMessage)) {}
Exception::Exception(const char* utf8msg) : Exception(Utf8ToUtf16(utf8msg ? utf8msg : "")) {}

}  // namespace dz
