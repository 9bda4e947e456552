// Internal: the control's work behind its two entry points, for the fuzz
// target that drives it without loading the plug-in.
#pragma once

#include <cstdint>
#include <string>

namespace dz::hhctrl {

// One HtmlHelp call on a UTF-8 file name; dataTopic is the topic dwData
// points to, already read. A non-null handle when a page was shown.
void* Show(const std::string& fileName, unsigned command, uintptr_t data,
           const std::string& dataTopic);

// The private folder in use, "" when none.
const char* Folder();

// UTF-16 text as UTF-8.
std::string Utf8Of(const char16_t* s);

}  // namespace dz::hhctrl
