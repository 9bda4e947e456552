#include "deziva27/host/runtime/Exceptions.h"

namespace dz {

void OutOfMemoryError() {
  throw EOutOfMemory(u"Out of memory");
}

}  // namespace dz
