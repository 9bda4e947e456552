// Comparing and testing strings by a rule rather than by plain equality:
// equality that ignores chosen characters, wildcard templates, whole-word
// search and line-break normalisation. No routine here raises or keeps state.
// Threads: any thread; the locale's case rule is cached in one atomic word.
#pragma once

#include "deziva27/base/Export.h"

#include <string_view>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// --- Equality that ignores characters -----------------------------------------

// True when a and b are identical once every character that occurs in symbols
// has been removed from both; what remains is compared code unit by code unit,
// case significant. Leading, inner and trailing symbols are ignored on either
// side, in any number. An empty symbol set is plain equality.
bool EqualToSymbols(std::string_view a, std::string_view b, std::string_view symbols);
bool EqualToSymbols(std::u16string_view a, std::u16string_view b, std::u16string_view symbols);

// EqualToSymbols with the blank (32) as the only symbol: tabs and line breaks
// still count.
bool EqualToSpaces(std::string_view a, std::string_view b);
bool EqualToSpaces(std::u16string_view a, std::u16string_view b);

// --- Templates -------------------------------------------------------------------

// Whether text fits the template. '*' and '?' are the only wildcards; every
// other character stands for itself (no escapes, no classes).
//   ?   one character of the text; once the text is used up it stands for
//       nothing, so "a" fits "a?", "a??" and "a?*" but not "a?b".
//   *   any stretch of the text, including none. The template "*" alone fits
//       every text. A '*' directly followed by '*' or '?' never fits: "**",
//       "a*?" and "*?b" fit nothing.
// Literal runs between wildcards must match exactly. With caseSensitive false
// both strings are lower-cased first (AnsiLowerCase for the 8-bit twin,
// WideLowerCase for the 16-bit one) and then matched exactly; ASCII text in a
// locale whose lower case of A-Z is a-z is folded in place to the same effect,
// without the two copies.
//
// The answer is that of trying, for each '*', every occurrence of the literal
// run that follows it, but the matcher never backtracks: it places the runs
// between stars at their leftmost occurrences and decides the tail directly,
// so its cost is linear in the text for a fixed template
// ("*a*a*a*a*a*a*a*a*b" over 5000 'a' is one pass).
bool FitToTemplate(std::string_view text, std::string_view templ, bool caseSensitive);
bool FitToTemplate(std::u16string_view text, std::u16string_view templ, bool caseSensitive);

// --- Words and lines -----------------------------------------------------------------

// Whether the first occurrence of word in text (exact, case-sensitive) stands
// alone: the characters before and after it, where there are any, are not
// word characters (IsAlpha). Later occurrences are never looked at: "cat" in
// "concat cat" is false. An empty word: the 8-bit twin answers false; the
// 16-bit twin finds it at position 1, so it answers true when text is not
// empty and starts with a non-word character.
bool ContainsAsWholeWord(std::string_view text, std::string_view word);
bool ContainsAsWholeWord(std::u16string_view text, std::u16string_view word);

// 16-bit only. text with every line break made CR LF: a lone LF and a lone CR
// each become CR LF, a CR LF pair stays, everything else (NUL too) is copied.
// "\n\r" gives "\r\n\r\n".
UnicodeString AdjustLineBreaks(std::u16string_view text);

}  // namespace dz
