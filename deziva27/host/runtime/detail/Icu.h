// Internal: ICU objects the host keeps per thread, so that no call pays for
// building a collator.
// Threads: any thread; each gets its own objects, valid on that thread only.
#pragma once

#include <unicode/ucol.h>

#include <cstdint>
#include <string>

namespace dz::detail {

// Case-insensitive (secondary strength) collator of the system locale.
UCollator* CaselessCollator();
// Collator of the system locale that also tells case apart (tertiary).
UCollator* CaseCollator();
// ICU locale name of the system locale, for case mapping ("tr_TR" ...).
const char* CaseLocale();
// Changes whenever the system locale changes, so caches know to rebuild
// (nls::LocaleEpoch).
uint32_t LocaleEpoch();

}  // namespace dz::detail
