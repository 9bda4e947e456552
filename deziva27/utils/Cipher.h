// A reversible shift of text under a key: a light disguise for short texts
// (settings, remembered names), not encryption in any cryptographic sense.
//
// Each code unit t of the text is shifted by the code k of the key character
// at the same place, the key repeating from its start:
//   Encrypt1: c = t + k, and c - 95 when that is above 127
//   Decrypt1: c = t - k, and c + 95 when that is below 32
// kept to 16 bits. Decrypt1 with the same key gives back every character
// from 32 to 126 (printable ASCII), whatever the key; other characters are
// shifted alike but need not come back. An empty key leaves the text as is.
// Threads: every routine may be called from any thread; none keeps state between calls.
#pragma once

#include "deziva27/base/Export.h"

#include <string_view>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// Text shifted as above: one code unit out for each in, so the result has
// Text's length; an empty Text or Key gives Text back unchanged.
UnicodeString Encrypt1(std::u16string_view Text, std::u16string_view Key);
UnicodeString Decrypt1(std::u16string_view Text, std::u16string_view Key);

}  // namespace dz
