// hhctrl-reader: the one program that hands CHM files to chmlib.
//
//   hhctrl-reader FILE COMMAND DATA TOPIC PREFIX SECONDS
//
// Started by the hhctrl plug-in for each page it shows. The pages go into
// the folder open on descriptor 3 (the plug-in's private folder, checked by
// it); the answer, one EncodeReading message, goes to standard output.
// Exit 0 with an answer, 1 when there is nothing to show, 2 on misuse.
//
// Whatever chmlib does with a damaged file stays in this process: it limits
// itself in time, memory and file size before it opens anything, so that a
// loop, a huge allocation or a crash ends here and the plug-in answers 0.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "plugins/hhctrl/ChmBook.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Room for the largest book the extraction limits let through (128 MiB of
// pages, decoded a page at a time) with chmlib's caches; far below what a
// runaway allocation asks for.
constexpr rlim_t kMaxMemory = rlim_t{1} << 30;
constexpr rlim_t kMaxFileSize = rlim_t{32} << 20;

void Limit(int resource, rlim_t soft, rlim_t hard) {
  const rlimit r{soft, hard};
  ::setrlimit(resource, &r);
}

bool ParseNumber(const char* s, unsigned long long max, unsigned long long& out) {
  if (!s || !*s) return false;
  out = 0;
  for (; *s; ++s) {
    if (*s < '0' || *s > '9') return false;
    out = out * 10 + static_cast<unsigned>(*s - '0');
    if (out > max) return false;
  }
  return true;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // A crash must not leave a core file in whatever folder the application
  // was started from.
  Limit(RLIMIT_CORE, 0, 0);
  unsigned long long command = 0, data = 0, seconds = 0;
  struct stat st {};
  if (argc != 7 || !ParseNumber(argv[2], 0xFFFF, command) ||
      !ParseNumber(argv[3], 0xFFFFFFFFull, data) || !ParseNumber(argv[6], 3600, seconds) ||
      seconds == 0 || ::fstat(3, &st) != 0 || !S_ISDIR(st.st_mode)) {
    std::fputs("hhctrl-reader is started by the hhctrl help plug-in, not by hand\n", stderr);
    return 2;
  }
  // The plug-in kills a reader that overruns by wall-clock time; these
  // limits hold even if the plug-in is gone.
  Limit(RLIMIT_CPU, seconds, seconds + 1);
  ::alarm(static_cast<unsigned>(seconds) + 1);
  // AddressSanitizer reserves terabytes of address space for its shadow and
  // enforces its own limit on allocations.
  if (!kAddressSanitizer) Limit(RLIMIT_AS, kMaxMemory, kMaxMemory);
  Limit(RLIMIT_FSIZE, kMaxFileSize, kMaxFileSize);

  const auto reading = dz::hhctrl::ReadBook(3, argv[1], static_cast<unsigned>(command),
                                            static_cast<uint32_t>(data), argv[4], argv[5]);
  if (!reading) return 1;
  return WriteAll(1, dz::hhctrl::EncodeReading(*reading)) ? 0 : 1;
}
