// .reg text in and out of the store: what dz reg import and export do.
// Threads: any thread; the store serialises the work (RegistryStore.h).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "deziva27/host/registry/detail/RegistryStore.h"

namespace dz::detail {

// Reads Bytes as a .reg file and applies it in one transaction: every key,
// value and deletion lands, or (on any error, raised as ERegistryException)
// none does. Returns the number of key sections applied.
size_t ImportRegText(RegStore& Store, std::string_view Bytes);

// The key at Path (below HKEY_CURRENT_USER; empty for the root) with its whole
// tree, as regedit exports it; false, and Out untouched, when there is no such
// key. Keys come before their sub-keys, sub-keys in the order the store lists.
// One picture of the store, read without holding writers back; time and
// memory grow with the size of the text, whatever the tree's depth.
bool ExportRegText(RegStore& Store, std::u16string_view Path, std::string& Out);
// The same text handed to Sink in pieces of about a mebibyte as it is made,
// so that memory stays flat; nothing reaches Sink when there is no such key.
bool ExportRegText(RegStore& Store, std::u16string_view Path,
                   const std::function<void(std::string_view)>& Sink);

}  // namespace dz::detail
