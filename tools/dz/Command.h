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
  // The options that take the next argument as their value ("--context"):
  // a "--help" there is that value, not a request for help.
  std::vector<std::string> ValueOptions = {};
};

std::vector<Command>& Commands();

// Whether args ask for the command's help: "--help" as an option, that is
// before any "--" and not as the value of one of the command's
// ValueOptions. Anywhere else it is data.
bool AsksForHelp(const Command& command, const Args& args);

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
