// YStrings: the string toolkit over 8-bit (AnsiString) and 16-bit
// (UnicodeString) strings and string lists.
//
// Conventions of every routine here:
//  - Twins: one name, an overload per width, the same behaviour unless the
//    routine's note says otherwise; A/W suffixes where the arguments cannot
//    tell the twins apart.
//  - Searches take the substring first, then the text; prefix and suffix
//    tests take the prefix or suffix first.
//  - Positions are 1-based, 0 is "not found"; list indexes 0-based, -1.
//  - Character classes compare fixed ASCII codes; case-insensitive work uses
//    the locale's case mapping (AnsiLowerCase / WideLowerCase).
//  - Only the routines that say so raise; the others answer 0, false or "".
// Threads: any thread, each on its own lists, while none sets the separator lists.
#pragma once

#include "deziva27/consts/Errors.h"
#include "deziva27/host/Host.h"
#include "deziva27/strings/CharClasses.h"
#include "deziva27/strings/Numbers.h"
#include "deziva27/strings/Paths.h"
#include "deziva27/strings/Patterns.h"
#include "deziva27/strings/Quoting.h"
#include "deziva27/strings/Search.h"
#include "deziva27/strings/Sections.h"
#include "deziva27/strings/StringLists.h"
