// String-table blocks built from a module's table on first use and kept for
// the life of the process, so that the pointers handed out stay valid.
#include "deziva27/platform/detail/Resources.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace dz::win {
namespace {

std::mutex gLock;
std::map<std::pair<HMODULE, uintptr_t>, std::vector<char16_t>>& Blocks() {
  static auto* blocks = new std::map<std::pair<HMODULE, uintptr_t>, std::vector<char16_t>>;
  return *blocks;
}

}  // namespace

HMODULE ModuleHandleOf(const TResourceModule& module) {
  return reinterpret_cast<HMODULE>(&module);
}

HRSRC FindResourceW(HMODULE module, uintptr_t Name, uintptr_t Type) {
  if (module == 0 || Type != RT_STRING || Name == 0 || Name > 0x10000) return 0;
  std::lock_guard<std::mutex> hold(gLock);
  auto key = std::make_pair(module, Name);
  auto it = Blocks().find(key);
  if (it != Blocks().end()) return reinterpret_cast<HRSRC>(&it->second);
  const auto* m = reinterpret_cast<const TResourceModule*>(module);
  const int64_t first = (static_cast<int64_t>(Name) - 1) * 16;
  std::vector<char16_t> block;
  bool any = false;
  for (int64_t id = first; id < first + 16; ++id) {
    const char16_t* text = nullptr;
    for (const TStringResource& r : m->Table)
      if (r.Identifier == id) text = r.Text;
    std::u16string_view s = text ? std::u16string_view(text) : std::u16string_view();
    any = any || text;
    block.push_back(static_cast<char16_t>(s.size()));
    block.insert(block.end(), s.begin(), s.end());
  }
  if (!any) return 0;
  auto& stored = Blocks()[key] = std::move(block);
  return reinterpret_cast<HRSRC>(&stored);
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  if (module == 0 || resource == 0) return nullptr;
  return reinterpret_cast<const std::vector<char16_t>*>(resource)->data();
}

const void* LockResource(HGLOBAL data) { return data; }

uint32_t SizeofResource(HMODULE module, HRSRC resource) {
  if (module == 0 || resource == 0) return 0;
  return static_cast<uint32_t>(reinterpret_cast<const std::vector<char16_t>*>(resource)->size() *
                               2);
}

}  // namespace dz::win
