// The hhctrl plug-in's work on arbitrary bytes as a CHM file: every command,
// the default topic, a topic named by the input, the contents, the index and
// a context number, each read by hhctrl-reader. Whatever the reader does,
// this process must not crash, nothing may be written outside the private
// folder, and the folder must be gone after HH_CLOSE_ALL. xdg-open is kept
// off PATH so that pages are copied out but no browser is started; a reader
// gets two seconds, so that a file chmlib loops on costs little.
#include <dirent.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "plugins/hhctrl/HhCtrl.h"

namespace {

std::string gParent;  // TMPDIR: must be empty between runs

bool Empty(const std::string& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return false;
  bool empty = true;
  while (dirent* e = ::readdir(d))
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) empty = false;
  ::closedir(d);
  return empty;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char tmpl[] = "/tmp/dz-chm-fuzz-XXXXXX";
  if (!::mkdtemp(tmpl)) std::abort();
  gParent = tmpl;
  std::atexit([] { std::filesystem::remove_all(gParent); });
  ::setenv("TMPDIR", tmpl, 1);
  ::setenv("PATH", (gParent + "/no-such-bin").c_str(), 1);
  ::setenv("DZ_HHCTRL_SECONDS", "2", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = ::memfd_create("chm", MFD_CLOEXEC);
  if (fd < 0) return 0;
  if (size && ::write(fd, data, size) != static_cast<ssize_t>(size)) {
    ::close(fd);
    return 0;
  }
  // The reader is another process: the name must reach this one's file.
  const std::string file = "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(fd);
  // A topic and a context number from the input's first bytes, so that the
  // fuzzer can steer them too.
  std::string topic;
  for (size_t i = 0; i < size && i < 24 && data[i] >= 0x20 && data[i] < 0x7f; ++i)
    topic += static_cast<char>(data[i]);
  uint32_t context = 0;
  if (size >= 4) std::memcpy(&context, data + size - 4, 4);
  using dz::hhctrl::Show;
  Show(file, 0x0000, 0, "");
  Show(file + "::/" + topic, 0x0000, 0, "");
  Show(file, 0x0000, 1, topic);
  Show(file, 0x0001, 0, "");
  Show(file, 0x0002, 0, "");
  Show(file, 0x000F, context, "");
  Show(file, 0x000F, 100, "");
  Show(file, 0x0012, 0, "");
  ::close(fd);
  if (*dz::hhctrl::Folder() || !Empty(gParent)) {
    std::fprintf(stderr, "something is left outside the private folder in %s\n", gParent.c_str());
    std::abort();
  }
  return 0;
}
