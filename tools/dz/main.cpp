// dz: the library's main routines at a shell prompt.
#include <algorithm>
#include <cstdio>

#include "deziva27/frame/Deziva27.h"
#include "deziva27/host/Host.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {

std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

namespace {

constexpr const char* kVersion = "dz (deziva27) 0.1.0";

// One table for every command, printed under each command's help too.
constexpr const char* kExitStatus =
    "exit status:\n"
    "  0  done\n"
    "  1  a negative answer: no match, no such section, not an LZY stream,\n"
    "     not a date in the format\n"
    "  2  a usage error: unknown command or option, missing or extra arguments\n"
    "  3  a failure: a file that cannot be read or written, an OUT that exists\n"
    "     without -f, input that is not valid UTF-8 or that the command cannot\n"
    "     read, an interrupted run\n";

void PrintUsage(std::FILE* to) {
  std::fprintf(to, "usage: dz COMMAND [ARGS...]\n       dz COMMAND --help\n\ncommands:\n");
  auto cmds = Commands();
  std::sort(cmds.begin(), cmds.end(), [](auto& a, auto& b) { return a.Name < b.Name; });
  for (auto& c : cmds) std::fprintf(to, "  %-8s %s\n", c.Name.c_str(), c.Summary.c_str());
  std::fprintf(to, "\noptions:\n  --help     this text\n  --version  the version\n\n%s",
               kExitStatus);
}

}  // namespace

bool AsksForHelp(const Command& command, const Args& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") return false;
    if (args[i] == "--help") return true;
    const auto& takes = command.ValueOptions;
    if (std::find(takes.begin(), takes.end(), args[i]) != takes.end()) ++i;
  }
  return false;
}

}  // namespace dz::tool

int main(int argc, char** argv) {
  using namespace dz::tool;
  dz::SetProgramArgs(argc, argv);
  if (argc < 2) {
    PrintUsage(stderr);
    return kUsage;
  }
  std::string name = argv[1];
  if (name == "--help" || name == "-h" || (name == "help" && argc == 2)) {
    PrintUsage(stdout);
    return kOk;
  }
  if (name == "--version") {
    std::printf("%s\n", kVersion);
    return kOk;
  }
  auto& cmds = Commands();
  auto it =
      std::find_if(cmds.begin(), cmds.end(), [&](const Command& c) { return c.Name == name; });
  if (it == cmds.end()) {
    std::fprintf(stderr, "dz: unknown command '%s' (try 'dz --help')\n", Visible(name).c_str());
    return kUsage;
  }
  Args args(argv + 2, argv + argc);
  if (AsksForHelp(*it, args)) {
    std::printf("%s\n%s", it->Help.c_str(), kExitStatus);
    return kOk;
  }
  try {
    return it->Run(args);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "dz %s: %s (try 'dz %s --help')\n", name.c_str(),
                 Visible(e.what()).c_str(), name.c_str());
    return kUsage;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dz %s: %s\n", name.c_str(), Visible(e.what()).c_str());
    return kFailed;
  }
}
