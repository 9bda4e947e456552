// Sectioned lists: INI-like text held in a TStrings, read in place.
//
//   [General]          <- header: trimmed line is "[" name "]"
//   Name=Foo           <- values: the non-blank lines of the body, untrimmed
//
//   ; note             <- no comment syntax: this is a value too
//     [Other]          <- lines are trimmed (codes 0..32) before they are judged
//   X=1
//
// A section is looked up by comparing the trimmed line with "[" + name + "]"
// with ASCII letters folded (CompareText); the name is used as given, so
// blanks inside the brackets count. The first such line is the header. The
// body runs to the next line whose trimmed form starts with "[" (closed or
// not) or to the end of the list. Line indexes are 0-based; one outside the
// list is handed to the list, which raises EListError.
// Threads: any thread, each on its own lists.
#pragma once

#include "deziva27/base/Export.h"

#include <string_view>

#include "deziva27/host/classes/Lists.h"

namespace dz DZ_API {

// Clears values and fills it with the section's values, searching for the
// header from line 0. Returns the last line examined as part of the section:
// the line before the next header, the last line of the list, or the header
// itself when another header follows it directly. A missing section leaves
// values empty and returns Count() - 1.
int32_t ReadSLSectionValues(const TStrings& list, std::u16string_view name, TStrings& values);

// Index of the section's header, searched from startLine to the end and then,
// when startLine is not 0, once more from line 0 (so the header may lie
// before startLine); -1 when there is none. A startLine at or past the end
// finds nothing in the first pass. A negative startLine is an index outside
// the list and raises, as every other bad line index does.
int32_t XGetSLSectionIndex(int32_t startLine, const TStrings& list, std::u16string_view name);

// ReadSLSectionValues with the header found by XGetSLSectionIndex from
// startLine. A missing section leaves values empty and returns startLine.
int32_t XReadSLSectionValues(int32_t startLine, const TStrings& list, std::u16string_view name,
                             TStrings& values);

// Appends to names the text between the brackets of every line whose trimmed
// form starts with "[" and ends with "]", in order, duplicates included and
// untrimmed ("[]" gives an empty name). names is not cleared first. A line
// such as "[x" is not listed, although it ends the section before it.
void ReadSLSections(const TStrings& list, TStrings& names);

}  // namespace dz
