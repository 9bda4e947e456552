// The unit table, the start counters and the start at load.
#include "deziva27/frame/detail/Units.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <functional>
#include <mutex>
#include <utility>

#include "deziva27/frame/Deziva27.h"
#include "deziva27/host/runtime/FormatSettings.h"

namespace dz {
namespace detail {
// Each unit defines its own pair beside the state it starts and stops.
void YStringsStop();   // strings/CharClasses.cpp
void YUtilsStart();    // utils/System.cpp: the operating-system flags
void YUtilsStop();
void YDattimeStart();  // datetime/Calendar.cpp
void YDattimeStop();
void YLocalesStop();   // locales/Locales.cpp
void YHtmlHlpStop();   // help/YHtmlHlp.cpp
namespace {

// The host's start-up reads the system locale's format settings once, as the
// classic run time does, so that the first conversion does not pay for it.
void SysUtilsStart() {
  (void)FormatSettings();
}

struct Unit {
  const char* Name;
  void (*Start)();  // the unit's own start-up work, or nullptr
  void (*Stop)();   // the unit's own shut-down work, or nullptr
  int Count;        // outstanding starts
};

// Start order. A unit with module state names its work here: one line.
// clang-format off
constinit Unit gUnits[] = {
    {"System",    nullptr,        nullptr,       0},
    {"SysUtils",  &SysUtilsStart, nullptr,       0},
    {"Classes",   nullptr,        nullptr,       0},
    {"Registry",  nullptr,        nullptr,       0},
    {"Forms",     nullptr,        nullptr,       0},
    {"Dialogs",   nullptr,        nullptr,       0},
    {"YConsts",   nullptr,        nullptr,       0},
    {"YStrings",  nullptr,        &YStringsStop, 0},
    {"YUtils",    &YUtilsStart,   &YUtilsStop,   0},
    {"YDattime",  &YDattimeStart, &YDattimeStop, 0},
    {"YScanner",  nullptr,        nullptr,       0},
    {"YLocales",  nullptr,        &YLocalesStop, 0},
    {"YCompress", nullptr,        nullptr,       0},
    {"YHtmlHlp",  nullptr,        &YHtmlHlpStop, 0},
};
// clang-format on
constexpr size_t kUnitCount = sizeof gUnits / sizeof gUnits[0];

// The trace DZ_TRACE_UNITS asks for: one line a start or stop, appended with
// one write each so that lines from several processes never interleave.
std::function<void(const char*, bool)> TraceFromEnvironment() {
  const char* file = std::getenv("DZ_TRACE_UNITS");
  if (!file || !*file) return {};
  std::string path = file;
  return [path](const char* unit, bool starting) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::string line = std::string(starting ? "start " : "stop ") + unit + "\n";
    ssize_t written = ::write(fd, line.data(), line.size());
    (void)written;
    ::close(fd);
  };
}

// Guards the counters and the trace: a second caller of Initialize returns
// only once the first one's start work is done. Recursive, for start work
// that starts units itself; never destroyed, for the stop at exit.
std::recursive_mutex& UnitsLock() {
  static auto* lock = new std::recursive_mutex;
  return *lock;
}

std::function<void(const char*, bool)>& Trace() {
  static std::function<void(const char*, bool)> trace = TraceFromEnvironment();
  return trace;
}

void StartUnit(Unit& u) {
  if (u.Count++ != 0) return;
  if (Trace()) Trace()(u.Name, true);
  if (u.Start) u.Start();
}

void StopUnit(Unit& u) {
  if (u.Count == 0) return;  // a stop without a start undoes nothing
  if (--u.Count != 0) return;
  if (Trace()) Trace()(u.Name, false);
  if (u.Stop) u.Stop();
}

template <size_t I>
void InitEntry() {
  std::lock_guard<std::recursive_mutex> hold(UnitsLock());
  StartUnit(gUnits[I]);
}
template <size_t I>
void FInitEntry() {
  std::lock_guard<std::recursive_mutex> hold(UnitsLock());
  StopUnit(gUnits[I]);
}

template <size_t... I>
auto MakeTable(std::index_sequence<I...>) {
  return std::array<TPackageUnitEntry, sizeof...(I)>{
      TPackageUnitEntry{gUnits[I].Name, &InitEntry<I>, &FInitEntry<I>}...};
}

// Starts the units when the program loads and stops them when it ends.
struct AutoStart {
  AutoStart() { Initialize(); }
  ~AutoStart() { Finalize(); }
};

}  // namespace

void SetUnitTrace(std::function<void(const char*, bool)> trace) {
  std::lock_guard<std::recursive_mutex> hold(UnitsLock());
  Trace() = std::move(trace);
}

int UnitStartCount(const char* unit) {
  std::lock_guard<std::recursive_mutex> hold(UnitsLock());
  for (const Unit& u : gUnits)
    if (std::strcmp(u.Name, unit) == 0) return u.Count;
  return -1;
}

}  // namespace detail

void Initialize() {
  std::lock_guard<std::recursive_mutex> hold(detail::UnitsLock());
  for (auto& u : detail::gUnits) detail::StartUnit(u);
}

void Finalize() {
  std::lock_guard<std::recursive_mutex> hold(detail::UnitsLock());
  for (size_t i = detail::kUnitCount; i-- > 0;) detail::StopUnit(detail::gUnits[i]);
}

std::span<const TPackageUnitEntry> GetPackageInfoTable() {
  static const auto table = detail::MakeTable(std::make_index_sequence<detail::kUnitCount>());
  return table;
}

}  // namespace dz

// Referenced from the link line (see CMakeLists.txt), so that a program that
// links the static library gets the starter below.
extern "C" {
extern const int dz_library_anchor;
const int dz_library_anchor = 27;
}

namespace {
dz::detail::AutoStart gAutoStart;
}
