// The sort keys of Windows' default word sort, built from its character
// weights (SortWeights.inc). A key has five sections, each closed by 01 and
// the last by 00: primary weights, diacritic weights, case weights, an extra
// section for kana and width, and the word-sort section that places hyphens,
// apostrophes and controls after everything else, so that "coop" sorts just
// before "co-op". Keys compare bytewise.
//
// The weights cover every character an ANSI code page decodes to. Not built
// as Windows builds them: the kana section of several Japanese characters
// together, and the marks that repeat what precedes them (U+3005, U+30FC).
// Threads: any thread; the weights are compiled in and read-only.
#pragma once

#include <string>
#include <string_view>

#include "deziva27/base/Types.h"

namespace dz::win::detail::sortkey {

// The key of text under lcid (its sort identifier included: 0x10407 is not
// 0x0407), with its closing zero. ignoreCase drops the case weights that
// NORM_IGNORECASE drops. Characters without weights add nothing.
std::string Build(LCID lcid, std::u16string_view text, bool ignoreCase);

}  // namespace dz::win::detail::sortkey
