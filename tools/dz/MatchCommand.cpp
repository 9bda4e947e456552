// dz match: which texts fit a wildcard template.
#include <cstdio>
#include <iostream>

#include "deziva27/strings/YStrings.h"
#include "tools/dz/CliIO.h"
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
  const UnicodeString templ = ArgText(args[i++]);

  bool any = false;
  auto test = [&](const std::string& text, const UnicodeString& value) {
    if (!FitToTemplate(value, templ, caseSensitive)) return;
    std::printf("%s\n", text.c_str());
    any = true;
  };
  if (i < args.size()) {
    for (; i < args.size(); ++i) test(args[i], ArgText(args[i]));
  } else {
    // Lines are read and answered one by one, so a pipe is answered as it
    // flows and the lines before a bad one are printed before the error.
    std::string text;
    for (size_t line = 1; std::getline(std::cin, text); ++line) {
      if (!text.empty() && text.back() == '\r') text.pop_back();
      test(text, Utf8Text(text, "standard input", line));
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
