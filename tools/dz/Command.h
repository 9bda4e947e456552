// The dz tool's command table. Each unit's commands live in their own file
// and add themselves to the table with one registration.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace dz::tool {

using Args = std::vector<std::string>;

// Exit codes, the same for every command (the table is in "dz --help"):
// 0 done, 1 a negative answer (no match, not an LZY stream), 2 a usage error,
// 3 a failure while working (a file, bad input, an error of the library).
enum ExitCode { kOk = 0, kNo = 1, kUsage = 2, kFailed = 3 };

// Raised for a wrong command line; main prints it with the usage hint.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Command {
  std::string Name;     // "str", "lzy", "scan" ...
  std::string Summary;  // one line for "dz --help"
  std::string Help;     // full text for "dz NAME --help"
  std::function<int(const Args&)> Run;
};

std::vector<Command>& Commands();

struct Register {
  explicit Register(Command c) { Commands().push_back(std::move(c)); }
};

// One stop of "dz demo": a title and what it shows, printed in order of
// registration rank (lower first). Steps read the bundled samples under
// SamplesDir().
struct DemoStep {
  int Rank;
  std::string Title;
  std::function<void()> Show;
};
std::vector<DemoStep>& DemoSteps();
struct RegisterDemo {
  explicit RegisterDemo(DemoStep d) { DemoSteps().push_back(std::move(d)); }
};
std::string SamplesDir();

}  // namespace dz::tool
