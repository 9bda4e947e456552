// A registry store of the test's own: DZ_REGISTRY points at a file in a fresh
// folder for the test's scope, never at the user's store.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "deziva27/host/registry/Registry.h"
#include "deziva27/host/registry/detail/RegistryStore.h"

namespace dz::test {

// The message of the registry error f raises; "" when it raises none.
inline std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const ERegistryException& e) {
    return e.what();
  }
  return "";
}

class TempStore : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/dzreg-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/registry.db";
    setenv("DZ_REGISTRY", path_.c_str(), 1);
  }
  void TearDown() override {
    detail::RegStore::ReleaseAll();
    unsetenv("DZ_REGISTRY");
    std::filesystem::remove_all(dir_);
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  std::string dir_, path_;
};

}  // namespace dz::test
