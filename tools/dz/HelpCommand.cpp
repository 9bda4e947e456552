// dz help: a compiled HTML Help file shown in the browser.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "deziva27/help/YHtmlHlp.h"
#include "deziva27/host/Convert.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

int RunHelp(const Args& args) {
  std::string target;
  uint32_t command = HH_DISPLAY_TOPIC;
  uint32_t data = 0;
  bool chosen = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto choose = [&](uint32_t c) {
      if (chosen) throw UsageError("give one of --toc, --index and --context");
      chosen = true;
      command = c;
    };
    if (a == "--toc") {
      choose(HH_DISPLAY_TOC);
    } else if (a == "--index") {
      choose(HH_DISPLAY_INDEX);
    } else if (a == "--context") {
      choose(HH_HELP_CONTEXT);
      if (++i == args.size()) throw UsageError("--context needs a number");
      int32_t n = 0;
      if (!TryStrToInt(ArgText(args[i]), n))
        throw UsageError("'" + args[i] + "' is not a context number");
      data = static_cast<uint32_t>(n);
    } else if (a.size() > 1 && a[0] == '-') {
      throw UsageError("unknown option '" + a + "'");
    } else if (!target.empty()) {
      throw UsageError("one FILE only");
    } else {
      target = a;
    }
  }
  if (target.empty()) throw UsageError("help needs a FILE");
  const std::string file = target.substr(0, target.find("::"));
  if (command != HH_DISPLAY_TOPIC && file.size() != target.size())
    throw UsageError("a topic goes with FILE alone, not with --toc, --index or --context");
  // The name is checked first, so that no message repeats bytes that are
  // not text.
  const UnicodeString text = ArgText(target);
  // A missing file or a folder says so plainly. A help file is read by
  // seeking, so only a regular one will do; a FIFO would block the open.
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
    throw FileError("\"" + file + "\" is not a regular file");
  ::close(OpenForReading(file));
  if (!OpenHtmlHelp(text, command, data)) {
    std::fprintf(stderr, "dz help: cannot show %s: %s\n", Visible(target).c_str(),
                 command == HH_HELP_CONTEXT ? "the context number is not mapped, the file is "
                                              "damaged, or xdg-open is missing"
                                            : "the topic is missing, the file is damaged, or "
                                              "xdg-open is missing");
    return kFailed;
  }
  // The pages live in a private folder that goes when dz ends; at a terminal
  // dz waits so that the browser can read them.
  if (::isatty(0) && ::isatty(2)) {
    std::fprintf(stderr, "Showing %s in the browser; press Enter when done.\n",
                 Visible(target).c_str());
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') {
    }
  }
  return kOk;
}

Register reg({"help", "show a compiled HTML Help (.chm) file in the browser",
              "usage: dz help FILE[::/TOPIC] [--toc | --index | --context N]\n\n"
              "Shows the topic (the file's default topic when none is named), the table of\n"
              "contents, the index, or the topic mapped to context number N, through the\n"
              "hhctrl plug-in and xdg-open. The pages are copied to a private temporary\n"
              "folder, removed when dz ends; at a terminal dz waits for Enter first.\n"
              "Exit 3 when the plug-in, the file, the topic or xdg-open is missing.\n",
              RunHelp});

}  // namespace
}  // namespace dz::tool
