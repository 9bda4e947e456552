// Pins the system locale for a test's scope, so results do not depend on the
// machine's LANG.
#pragma once

#include <gtest/gtest.h>

#include "deziva27/platform/detail/Nls.h"

namespace dz::test {

class LocaleScope {
 public:
  explicit LocaleScope(const char* name) { ok_ = win::SetSystemLocale(name); }
  ~LocaleScope() { win::SetSystemLocale("en-US"); }
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

// A test that starts under en-US and may change the locale: en-US is back
// after it.
class EnUs : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(win::SetSystemLocale("en-US")); }
  void TearDown() override { win::SetSystemLocale("en-US"); }
};

// Every test program starts under en-US (code page 1252).
class PinnedLocale : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(win::SetSystemLocale("en-US")); }
};

}  // namespace dz::test
