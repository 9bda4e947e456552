// Multi-line text to one comma-separated line and back.
//
//   StringToComma(u"a\r\nb c\r\nd\"e")   // a,"b c","d""e"
//   CommaToString(u"a, \"b c\" ,x")      // a CR LF b c CR LF x
// Threads: every routine may be called from any thread; none keeps state between calls.
#pragma once

#include "deziva27/base/Export.h"

#include <string_view>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// Each line of Text becomes one item, and a line break one comma, so a
// trailing break leaves a trailing comma and "" stays "". A line ends at the
// first CR of what is left, or at the first LF when no CR is left, and CR LF
// counts as one break. An item holding a code 1..32, a double quote or a
// comma is written in double quotes with inner quotes doubled.
UnicodeString StringToComma(std::u16string_view Text);

// Items separated by commas become lines separated by CR LF. An item is
// either in double quotes ("" inside for one quote; an unclosed quote runs
// to the end) or a run of codes 33 and above up to a comma or a blank.
// Blanks and controls (codes 1..32) around items are skipped; text after an
// item that is not a comma is not a separator, so a b gives ab. The text
// ends at its first NUL, as the classic NUL-terminated reading does.
UnicodeString CommaToString(std::u16string_view Text);

}  // namespace dz
