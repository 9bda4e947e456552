#include "deziva27/host/ui/UiBackend.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "deziva27/host/runtime/Strings.h"
#include "deziva27/platform/detail/Module.h"

namespace dz {
namespace {

// Asks on a terminal opened for each question, so that a program started
// from a terminal and later detached gets 0 rather than a stale descriptor.
class TTerminalBackend final : public TUiBackend {
 public:
  explicit TTerminalBackend(std::string TtyPath) : FTtyPath(std::move(TtyPath)) {}
  std::string Name() const override { return "terminal"; }

  int32_t MessageBox(const std::u16string& Text, const std::u16string& Caption,
                     int32_t Flags) override {
    int fd = ::open(FTtyPath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return 0;
    int32_t result = Ask(fd, Text, Caption, Flags);
    ::close(fd);
    return result;
  }

  void ProcessMessages() override {}
  // A terminal cell stands for 8 pixels; forms measured here are never drawn.
  int32_t TextWidth(const std::u16string& Text) override {
    int32_t cells = 0;
    for (char16_t c : Text) cells += (c < 0xDC00 || c > 0xDFFF);  // one per code point
    return cells * 8;
  }
  void ScreenSize(int32_t& Width, int32_t& Height) override { Width = 640, Height = 480; }
  std::unique_ptr<TUiWindow> CreateWindow() override { return nullptr; }

 private:
  static bool WriteAll(int fd, const std::string& s) {
    size_t done = 0;
    while (done < s.size()) {
      ssize_t n = ::write(fd, s.data() + done, s.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  // One line without its end; false at end of input before any newline.
  static bool ReadLine(int fd, std::string& line) {
    line.clear();
    char c;
    for (;;) {
      ssize_t n = ::read(fd, &c, 1);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      if (c == '\n' || c == '\r') return true;
      line += c;
    }
  }

  static int32_t Ask(int fd, const std::u16string& Text, const std::u16string& Caption,
                     int32_t Flags) {
    int32_t type = Flags & MB_TYPEMASK;
    bool second = (Flags & MB_DEFMASK) == MB_DEFBUTTON2;
    std::string head;
    if (!Caption.empty()) head = Utf16ToUtf8(Caption) + ": ";
    head += Utf16ToUtf8(Text);
    int32_t first_id, second_id;
    std::string prompt;
    if (type == MB_YESNO) {
      first_id = IDYES, second_id = IDNO;
      prompt = second ? " [y/N] " : " [Y/n] ";
    } else if (type == MB_OKCANCEL) {
      first_id = IDOK, second_id = IDCANCEL;
      prompt = second ? " [o/C] " : " [O/c] ";
    } else {
      if (!WriteAll(fd, head + " [Enter] ")) return 0;
      std::string line;
      return ReadLine(fd, line) ? IDOK : 0;
    }
    std::string ask = head + prompt;
    for (;;) {
      if (!WriteAll(fd, ask)) return 0;
      std::string line;
      if (!ReadLine(fd, line)) {
        WriteAll(fd, "\n");
        return 0;
      }
      std::string word = LowerCase(Trim(line));
      if (word.empty()) return second ? second_id : first_id;
      if (type == MB_YESNO) {
        if (word == "y" || word == "yes") return IDYES;
        if (word == "n" || word == "no") return IDNO;
      } else {
        if (word == "o" || word == "ok") return IDOK;
        if (word == "c" || word == "cancel") return IDCANCEL;
      }
      ask = type == MB_YESNO ? "please answer y or n" + prompt : "please answer o or c" + prompt;
    }
  }

  std::string FTtyPath;
};

std::filesystem::path LibraryFolder() {
  char16_t buf[4096];
  win::DWORD n = win::GetModuleFileNameW(win::LibraryModule(), buf, 4096);
  if (n == 0 || n >= 4096) return {};
  return std::filesystem::path(Utf16ToUtf8(std::u16string_view(buf, n))).parent_path();
}

std::mutex& BackendLock() {
  static std::mutex m;
  return m;
}
std::shared_ptr<TUiBackend>& Current() {
  static std::shared_ptr<TUiBackend> b;
  return b;
}

std::shared_ptr<TUiBackend> DefaultBackend() {
  const char* ui = std::getenv("DZ_UI");
  bool terminal_only = ui && std::string(ui) == "terminal";
  if (!terminal_only) {
    if (auto gtk = LoadGtkBackend()) return gtk;
  }
  return CreateTerminalBackend();
}

}  // namespace

std::shared_ptr<TUiBackend> CreateTerminalBackend(const std::string& TtyPath) {
  return std::make_shared<TTerminalBackend>(TtyPath);
}

std::shared_ptr<TUiBackend> LoadGtkBackend(std::string* Why) {
  auto fail = [&](std::string reason) -> std::shared_ptr<TUiBackend> {
    if (Why) *Why = std::move(reason);
    return nullptr;
  };
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!display || !*display) && (!wayland || !*wayland)) return fail("no display");

  std::vector<std::string> candidates;
  if (const char* p = std::getenv("DZ_GTK_PLUGIN"); p && *p) {
    candidates.push_back(p);
  } else {
    std::filesystem::path dir = LibraryFolder();
    if (!dir.empty()) {
      candidates.push_back((dir / "libdz_gtk.so").string());
      candidates.push_back((dir / "deziva27" / "libdz_gtk.so").string());  // a shared install
      candidates.push_back((dir / ".." / "lib" / "deziva27" / "libdz_gtk.so").string());
    }
  }
  std::string last = "the GTK plug-in libdz_gtk.so was not found";
  for (const std::string& path : candidates) {
    if (!std::filesystem::exists(path)) continue;
    // The handle stays open for the process's life: a backend's code must
    // outlive every window and the shared_ptr that may be freed at exit.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      last = ::dlerror();
      continue;
    }
    auto create = reinterpret_cast<TUiPluginCreate>(::dlsym(handle, kUiPluginEntry));
    if (!create) {
      last = path + " has no " + kUiPluginEntry;
      continue;
    }
    TUiBackend* backend = create(kUiPluginAbi);
    if (!backend) return fail("GTK could not open the display");
    return std::shared_ptr<TUiBackend>(backend);
  }
  return fail(last);
}

TUiBackend& UiBackend() {
  std::lock_guard<std::mutex> lock(BackendLock());
  if (!Current()) Current() = DefaultBackend();
  return *Current();
}

void SetUiBackend(std::shared_ptr<TUiBackend> Backend) {
  std::lock_guard<std::mutex> lock(BackendLock());
  Current() = std::move(Backend);
}

}  // namespace dz
