// The message of the exception of type E that f raises, for checking the
// exact text; a failure of the test when f raises nothing.
#pragma once

#include <gtest/gtest.h>

#include "deziva27/host/Host.h"

namespace dz::test {

template <class E, class F>
UnicodeString MessageOf(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  ADD_FAILURE() << "nothing raised";
  return u"";
}

}  // namespace dz::test
