#include "deziva27/host/runtime/System.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

std::vector<std::string>& Args() {
  static std::vector<std::string> args;
  return args;
}

}  // namespace

uint32_t& RandSeed() {
  static uint32_t seed = 0;
  return seed;
}

int32_t Random(int32_t n) {
  uint32_t& seed = RandSeed();
  seed = seed * 0x08088405u + 1u;
  if (n <= 0) return 0;
  return static_cast<int32_t>((static_cast<uint64_t>(seed) * static_cast<uint32_t>(n)) >> 32);
}

double Random() {
  uint32_t& seed = RandSeed();
  seed = seed * 0x08088405u + 1u;
  return static_cast<double>(seed) / 4294967296.0;
}

void Randomize() {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  RandSeed() =
      static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

void SetProgramArgs(int argc, char** argv) {
  Args().assign(argv, argv + argc);
}

int32_t ParamCount() {
  return Args().empty() ? 0 : static_cast<int32_t>(Args().size()) - 1;
}

UnicodeString ParamStr(int32_t index) {
  if (index == 0) {
    std::vector<char> buf(4096);
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n > 0) return Utf8ToUtf16(std::string_view(buf.data(), static_cast<size_t>(n)));
    return Args().empty() ? UnicodeString() : Utf8ToUtf16(Args()[0]);
  }
  if (index < 0 || static_cast<size_t>(index) >= Args().size()) return {};
  return Utf8ToUtf16(Args()[static_cast<size_t>(index)]);
}

int64_t Round(double v) {
  return static_cast<int64_t>(std::nearbyint(v));
}
int64_t Trunc(double v) {
  return static_cast<int64_t>(std::trunc(v));
}
double Frac(double v) {
  return v - std::trunc(v);
}

}  // namespace dz
