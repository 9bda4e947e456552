// Resource strings: messages held in the library's string table and loaded
// at the moment they are needed, so that replacing the table (a localized
// one, say) changes the messages without a change of code.
//
// A table file is UTF-8 text, one "identifier=text" a line; "#" starts a
// comment line. If DZ_STRING_TABLE names such a file it is loaded on first use.
// Threads: any thread; replacing a table while other threads load messages is safe.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>
#include <span>
#include <string>

#include "deziva27/base/Types.h"
#include "deziva27/base/WinDefs.h"

namespace dz DZ_API {

// The exported form of a message: the module that holds the table and the
// string's identifier.
struct TResStringRec {
  const TResourceModule* Module;  // not owned; null finds only replacements
  int32_t Identifier;             // the string's number in the table
};

// The text now in force for rec: a replacement set for the module when there
// is one, else the DZ_STRING_TABLE file's text for the identifier, else the
// module's own; empty when none has the string.
UnicodeString LoadResString(const TResStringRec& rec);

// Replaces one string of a module's table (the library keeps a copy of text
// and the module's address: the module must outlive the replacement).
void SetResString(const TResourceModule& module, int32_t identifier, const UnicodeString& text);
// Replaces every string a table file lists (\n, \t and \\ in a text stand for
// a line break, a tab and a backslash), all or nothing. Raises EFOpenError
// when the file cannot be read or is not a regular file, EConvertError on a
// bad line or past 1 MiB (DZ_STRING_TABLE files too: such a file is then
// ignored).
void LoadStringTable(const TResourceModule& module, const std::string& fileName);
// Drops every replacement: the built-in texts are in force again.
void ResetStringTable();

}  // namespace dz
