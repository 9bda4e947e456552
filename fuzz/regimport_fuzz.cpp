// .reg files through the importer into a real store: a file that is refused
// leaves the store exactly as it was, and one that is taken leaves it sound
// and can be exported again. Seeds: fuzz/regimport_seeds.sh DIR (keys at and
// past the deepest level, a line past the longest one read).
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "deziva27/host/registry/detail/RegExchange.h"
#include "deziva27/host/registry/detail/RegistryStore.h"
#include "deziva27/host/runtime/Exceptions.h"

using namespace dz;
using namespace dz::detail;

namespace {

RegStore* gStore;
const char kBaseline[] =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Base]\r\n\"s\"=\"text\"\r\n\"d\"=dword:00000007\r\n"
    "[HKEY_CURRENT_USER\\Software\\Base\\Sub]\r\n@=hex:01,02\r\n";

std::string Snapshot() {
  std::string text;
  ExportRegText(*gStore, u"", text);
  return text;
}

void Reset() {
  gStore->Atomically([] {
    for (const UnicodeString& k : gStore->SubKeyNames(RegStore::kRoot))
      gStore->DeleteKey(RegStore::kRoot, {k});
    for (const UnicodeString& v : gStore->ValueNames(RegStore::kRoot))
      gStore->DeleteValue(RegStore::kRoot, v);
  });
  ImportRegText(*gStore, kBaseline);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static char dir[] = "/tmp/regimport-fuzz-XXXXXX";
  if (!mkdtemp(dir)) abort();
  gStore = new RegStore(std::string(dir) + "/registry.db");
  atexit([] {
    delete gStore;
    std::filesystem::remove_all(dir);
  });
  Reset();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Behind a header, since the importer's part starts only past one.
  std::string text = "Windows Registry Editor Version 5.00\n";
  text.append(reinterpret_cast<const char*>(data), size);
  const std::string before = Snapshot();
  try {
    ImportRegText(*gStore, text);
  } catch (const ERegistryException&) {
    if (Snapshot() != before) {
      std::fprintf(stderr, "a refused import changed the store\n");
      abort();
    }
    return 0;
  }
  Snapshot();  // whatever was taken goes out again
  Reset();
  return 0;
}
