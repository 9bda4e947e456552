// The library's string table and the message records of YConsts.
//
// Messages are loaded from the table when an error is raised, so replacing a
// string (SetResString, LoadStringTable, or a DZ_STRING_TABLE file) changes
// what later errors say. All the library's messages share one table.
// Threads: constants, read from any thread; messages load as host/ResStrings.h says.
#pragma once

#include "deziva27/base/Export.h"

#include "deziva27/host/runtime/ResStrings.h"

namespace dz DZ_API {

// This library's module: the holder of its string table.
extern const TResourceModule HInstance;

extern const TResStringRec _ERRStackFull;   // 65520 "Stack is full"
extern const TResStringRec _ERRStackEmpty;  // 65521 "Stack is empty"

}  // namespace dz
