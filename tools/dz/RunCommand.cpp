// dz run: starts a program or opens a document, as RunProgram does.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/platform/detail/Shell.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

int RunRun(const Args& args) {
  bool wait = false;
  size_t i = 0;
  for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
    if (args[i] == "--wait")
      wait = true;
    else if (args[i] == "--") {
      ++i;
      break;
    } else
      throw UsageError("unknown option '" + args[i] + "'");
  }
  if (i >= args.size()) throw UsageError("run needs a FILE");
  if (args.size() - i > 2) throw UsageError("PARAMS is one argument; quote it");
  const UnicodeString file = ArgText(args[i]);
  const UnicodeString params = args.size() - i == 2 ? ArgText(args[i + 1]) : UnicodeString();
  win::SHELLEXECUTEINFOW e{};
  e.cbSize = sizeof e;
  e.fMask = win::SEE_MASK_NOCLOSEPROCESS;
  e.lpFile = file.c_str();
  e.lpParameters = params.c_str();
  e.nShow = win::SW_SHOWNORMAL;
  if (!win::ShellExecuteExW(&e)) {
    // Say why in the file's terms when it is the file that is wrong.
    if (args[i].find('/') != std::string::npos || ::access(args[i].c_str(), F_OK) == 0) {
      ::close(OpenForReading(args[i]));
      throw FileError("Cannot start file \"" + args[i] + "\". It is neither a program nor a "
                      "document that an application opens");
    }
    throw FileError("Cannot start \"" + args[i] + "\". No such program");
  }
  int status = kOk;
  if (wait) {
    // dz has no windows to serve: it sleeps until the child ends.
    win::DWORD code = 0;
    while (win::WaitForSingleObject(e.hProcess, win::INFINITE) == win::WAIT_TIMEOUT) {
    }
    win::GetExitCodeProcess(e.hProcess, &code);
    status = static_cast<int>(code & 0xFF);
  }
  win::CloseHandle(e.hProcess);
  return status;
}

Register reg({"run", "start a program or open a document",
              "usage: dz run [--wait] FILE [PARAMS]\n\n"
              "Starts FILE as RunProgram does: an executable runs directly (no shell) with\n"
              "PARAMS split as a Windows command line (\"a b\" c gives two arguments); a\n"
              "document or URL opens with the desktop's application (xdg-open). With\n"
              "--wait, dz waits for it to end and exits with its exit status; without,\n"
              "dz exits 0 once it has started. Exit 3 when nothing could be started.\n",
              RunRun});

}  // namespace
}  // namespace dz::tool
