// dz env: environment references expanded as ExpandEnvVars does.
#include <cstdint>
#include <cstdio>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/platform/detail/Environment.h"
#include "deziva27/utils/YUtils.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

int RunEnv(const Args& args) {
  if (args.size() != 1) throw UsageError("env takes one TEXT");
  const UnicodeString text = ArgText(args[0]);
  // The expansion holds at most 32,767 units, as on Windows, so memory stays
  // small whatever the variables hold; the count tells whether it was cut.
  const UnicodeString expanded = ExpandEnvVars(text);
  const uint64_t need = win::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  std::printf("%s\n", Utf16ToUtf8(expanded).c_str());
  if (need > expanded.size() + 1) {
    std::fprintf(stderr,
                 "dz env: the expansion needs %llu characters; it is cut at %zu, the most "
                 "Windows gives\n",
                 static_cast<unsigned long long>(need - 1), expanded.size());
    return kFailed;
  }
  return kOk;
}

Register reg({"env", "expand %NAME% references to environment variables",
              "usage: dz env TEXT\n\n"
              "Prints TEXT with each %NAME% replaced by the variable's value. A name is\n"
              "matched exactly, else without regard to case as Windows compares names;\n"
              "references to unset variables and a lone % stay as written. As on Windows\n"
              "the result holds at most 32,766 characters: a longer one is printed cut,\n"
              "with a message, and exit 3.\n",
              RunEnv});

}  // namespace
}  // namespace dz::tool
