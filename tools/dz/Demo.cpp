// dz demo: a tour over the bundled samples, one stop per unit.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tools/dz/Command.h"

namespace dz::tool {

std::vector<DemoStep>& DemoSteps() {
  static std::vector<DemoStep> steps;
  return steps;
}

std::string SamplesDir() {
  if (const char* d = std::getenv("DZ_SAMPLES")) return d;
  return DZ_SAMPLES_DIR;
}

namespace {

int RunDemo(const Args&) {
  auto steps = DemoSteps();
  std::stable_sort(steps.begin(), steps.end(), [](auto& a, auto& b) { return a.Rank < b.Rank; });
  std::printf("deziva27 tour (samples in %s)\n", SamplesDir().c_str());
  for (auto& s : steps) {
    std::printf("\n== %s ==\n", s.Title.c_str());
    std::fflush(stdout);
    s.Show();
    std::fflush(stdout);
  }
  return kOk;
}

Register reg({"demo", "a tour of the library over the bundled samples",
              "usage: dz demo\n\nRuns a short tour of every unit over the samples that come with\n"
              "the sources (DZ_SAMPLES overrides their folder).\n",
              RunDemo});

}  // namespace
}  // namespace dz::tool
