// Loads and unloads the shared library the way a plug-in host does and checks
// that every unit started once, in order, and stopped once, in reverse.
// Arguments: the library file, a scratch file for the trace.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kOrder = {
    "System",   "SysUtils", "Classes", "Registry", "Forms",    "Dialogs",   "YConsts",
    "YStrings", "YUtils",   "YDattime", "YScanner", "YLocales", "YCompress", "YHtmlHlp"};

std::vector<std::string> Lines(const char* file) {
  std::vector<std::string> out;
  std::ifstream in(file);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

bool Expect(const std::vector<std::string>& got, const std::vector<std::string>& want,
            const char* when) {
  if (got == want) return true;
  std::fprintf(stderr, "dlopen check: after %s the trace holds %zu lines, expected %zu:\n", when,
               got.size(), want.size());
  for (auto& l : got) std::fprintf(stderr, "  %s\n", l.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dlopen_check LIBRARY TRACEFILE\n");
    return 2;
  }
  const char* lib = argv[1];
  const char* trace = argv[2];
  std::remove(trace);
  setenv("DZ_TRACE_UNITS", trace, 1);

  std::vector<std::string> started, stopped;
  for (auto& u : kOrder) started.push_back("start " + u);
  stopped = started;
  for (auto it = kOrder.rbegin(); it != kOrder.rend(); ++it) stopped.push_back("stop " + *it);

  void* h = dlopen(lib, RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    std::fprintf(stderr, "dlopen check: %s\n", dlerror());
    return 1;
  }
  if (!Expect(Lines(trace), started, "dlopen")) return 1;
  if (dlclose(h) != 0) {
    std::fprintf(stderr, "dlopen check: %s\n", dlerror());
    return 1;
  }
  if (!Expect(Lines(trace), stopped, "dlclose")) return 1;
  if (dlopen(lib, RTLD_NOW | RTLD_NOLOAD)) {
    std::fprintf(stderr, "dlopen check: the library stayed loaded after dlclose\n");
    return 1;
  }
  std::puts("dlopen check ok");
  return 0;
}
