// dz match: which texts fit a wildcard template.
#include <cstdio>
#include <iostream>

#include "deziva27/strings/YStrings.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

int RunMatch(const Args& args) {
  bool caseSensitive = true;
  size_t i = 0;
  for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
    if (args[i] == "--") {
      ++i;
      break;
    }
    if (args[i] != "-i") throw UsageError("unknown option '" + args[i] + "'");
    caseSensitive = false;
  }
  if (i == args.size()) throw UsageError("TEMPLATE is missing");
  const UnicodeString templ = Utf8ToUtf16(args[i++]);

  bool any = false;
  auto test = [&](const std::string& text) {
    if (!FitToTemplate(Utf8ToUtf16(text), templ, caseSensitive)) return;
    std::printf("%s\n", text.c_str());
    any = true;
  };
  if (i < args.size()) {
    for (; i < args.size(); ++i) test(args[i]);
  } else {
    for (std::string line; std::getline(std::cin, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      test(line);
    }
  }
  return any ? kOk : kNo;
}

Register reg({"match", "print the texts that fit a wildcard template",
              "usage: dz match [-i] TEMPLATE [TEXT...]\n\n"
              "Prints each TEXT that fits TEMPLATE, one a line, and exits 1 when none\n"
              "does. Without TEXT, the lines of standard input are tested.\n"
              "  *   any stretch of text, none included ('*' alone fits everything;\n"
              "      '*' directly before '*' or '?' fits nothing)\n"
              "  ?   one character; past the end of the text it stands for nothing\n"
              "  -i  ignore case (the locale's lower-case mapping)\n"
              "Every other character stands for itself; there is no escape.\n",
              RunMatch});

}  // namespace
}  // namespace dz::tool
