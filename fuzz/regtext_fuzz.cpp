// The .reg reader on arbitrary bytes: a file is refused with ERegistryException
// or read to keys that the writer puts back into a file reading the same.
// Files start with a header so often that the fuzzer would take long to find
// one, so an input starting with 'U', '8' or '4' gets the UTF-16, UTF-8 or
// REGEDIT4 header put in front of the rest.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/registry/detail/RegText.h"

namespace {

std::string WithHeader(const uint8_t* data, size_t size) {
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0]) {
    case 'U': {
      std::string r = "\xFF\xFE";
      for (char c : std::string("Windows Registry Editor Version 5.00\r\n")) r += {c, '\0'};
      return r + rest;
    }
    case '8':
      return "Windows Registry Editor Version 5.00\n" + rest;
    case '4':
      return "REGEDIT4\n" + rest;
  }
  return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string file = WithHeader(data, size);
  std::vector<dz::detail::RegTextKey> keys;
  try {
    keys = dz::detail::ParseRegText(file);
  } catch (const dz::ERegistryException&) {
    return 0;
  }
  size_t bytes = 0;
  for (const auto& k : keys) {
    bytes += k.Path.size() * 2;
    for (const auto& v : k.Values) bytes += v.Name.size() * 2 + v.Data.size();
  }
  if (bytes > 4 * file.size() + 64) std::abort();  // memory bounded by the input
  const std::string again = dz::detail::FormatRegText(keys);
  if (dz::detail::ParseRegText(again) != keys) std::abort();
  return 0;
}
