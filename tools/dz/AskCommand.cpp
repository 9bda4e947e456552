// dz ask and dz info: the question box and the information window.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/host/ui/UiBackend.h"
#include "deziva27/utils/YUtils.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

// Whether this process has a terminal to ask on, as the library's terminal
// question does.
bool HasTerminal() {
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

int RunAsk(const Args& args) {
  bool default_no = false, options = true;
  const std::string* text = nullptr;
  for (const std::string& a : args) {
    if (options && a == "--") {
      options = false;
    } else if (options && a == "--default-no") {
      default_no = true;
    } else if (!text && (!options || a.empty() || a[0] != '-' || a == "-")) {
      text = &a;
    } else {
      throw UsageError("ask takes [--default-no] [--] TEXT");
    }
  }
  if (!text) throw UsageError("ask takes [--default-no] [--] TEXT");
  // The question reaches a terminal, or a box whose text a person reads:
  // its controls are shown, not obeyed. Line breaks stay.
  ArgText(*text);  // refuses what is not UTF-8, naming it
  UnicodeString question = ArgText(Printable(*text));
  Integer answer = default_no ? AskNo(question) : Ask(question);
  if (answer == IDYES) return kOk;
  if (answer == IDNO) return kNo;
  if (UiBackend().Name() != "terminal")
    std::fprintf(stderr, "dz ask: the message box was closed without an answer\n");
  else if (HasTerminal())
    std::fprintf(stderr, "dz ask: no answer: the input at the terminal ended\n");
  else
    std::fprintf(stderr, "dz: no message box could be shown (no display and no terminal)\n");
  return kFailed;
}

int RunInfo(const Args& args) {
  double seconds = 3;
  const std::string* text = nullptr;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--seconds") {
      if (i + 1 >= args.size()) throw UsageError("--seconds needs a number");
      try {
        size_t used = 0;
        seconds = std::stod(args[++i], &used);
        if (used != args[i].size() || !(seconds >= 0) || seconds > 86400) throw 0;
      } catch (...) {
        throw UsageError("--seconds needs a number of seconds from 0 to 86400");
      }
    } else if (args[i] == "--" && !text && i + 2 == args.size()) {
      text = &args[++i];
    } else if (!text && (args[i].empty() || args[i][0] != '-')) {
      text = &args[i];
    } else {
      throw UsageError("info takes TEXT [--seconds N]");
    }
  }
  if (!text) throw UsageError("info takes TEXT [--seconds N]");
  ArgText(*text);
  ShowInfo(ArgText(Printable(*text)));
  if (!InfoWindow()->HasWindow()) {
    HideInfo();
    std::fprintf(stderr, "dz: no window can be shown here (no display or no GTK plug-in)\n");
    return kFailed;
  }
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < until) {
    Application()->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  HideInfo();
  return kOk;
}

Register ask({"ask", "ask a yes/no question in a message box",
              "usage: dz ask [--default-no] [--] TEXT\n\n"
              "Shows TEXT in a box with Yes and No and the question icon; Yes is the\n"
              "default, No with --default-no. Without a display the question is asked on\n"
              "the terminal (y, n, or Enter for the default). Control characters of TEXT\n"
              "other than line breaks and tabs are shown as \\xNN.\n"
              "Exit 0 for Yes, 1 for No, 3 when no box could be shown or no answer came.\n",
              RunAsk});

Register info({"info", "show a text in the information window for a while",
               "usage: dz info [--seconds N] [--] TEXT\n\n"
               "Shows TEXT in a borderless window kept above the others and centred on\n"
               "the screen, for N seconds (3 by default), then hides it. Needs a display\n"
               "and the GTK plug-in; exit 3 without them.\n",
               RunInfo, {"--seconds"}});

}  // namespace
}  // namespace dz::tool
