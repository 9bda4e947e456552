// dz env: environment references expanded as ExpandEnvVars does.
#include <cstdio>

#include "deziva27/host/Strings.h"
#include "deziva27/utils/YUtils.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

int RunEnv(const Args& args) {
  if (args.size() != 1) throw UsageError("env takes one TEXT");
  std::printf("%s\n", Utf16ToUtf8(ExpandEnvVars(ArgText(args[0]))).c_str());
  return kOk;
}

Register reg({"env", "expand %NAME% references to environment variables",
              "usage: dz env TEXT\n\n"
              "Prints TEXT with each %NAME% replaced by the variable's value. A name is\n"
              "matched exactly, else without regard to ASCII case; references to unset\n"
              "variables and a lone % stay as written.\n",
              RunEnv});

}  // namespace
}  // namespace dz::tool
