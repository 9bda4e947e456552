// Repeated characters, padding, capitalizing, counting, and Windows-style
// file names and paths. The backslash is the only directory separator here;
// a forward slash is an ordinary character.
//
// Counts and widths are signed; a count below 1 produces nothing.
// Threads: every routine may be called from any thread; none keeps state between calls.
#pragma once

#include "deziva27/base/Export.h"

#include <string_view>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// --- Repetition and padding ---------------------------------------------------

// n spaces.
AnsiString SpaceA(int32_t n);
UnicodeString SpaceW(int32_t n);
// n copies of c.
AnsiString Replicate(AnsiChar c, int32_t n);
UnicodeString Replicate(WideChar c, int32_t n);
// 8-bit only: s repeated n times.
AnsiString ReplicateStr(std::string_view s, int32_t n);
// 16-bit only: s followed by c.
UnicodeString ConcatWChar(std::u16string_view s, WideChar c);

// Exactly width characters: s cut to its first width characters, padded with
// c on the right (Padr) or on the left (Padl). Padl cuts the end off a long s
// too, so its beginning stays: Padl("abcdef", 3, '0') is "abc".
AnsiString Padr(std::string_view s, int32_t width, AnsiChar c);
UnicodeString Padr(std::u16string_view s, int32_t width, WideChar c);
AnsiString Padl(std::string_view s, int32_t width, AnsiChar c);
UnicodeString Padl(std::u16string_view s, int32_t width, WideChar c);

// --- Case and counting ----------------------------------------------------------

// s lower-cased as a whole, then its first character upper-cased (locale
// case mapping: AnsiLowerCase/AnsiUpperCase for 8-bit text, WideLowerCase and
// AnsiUpperCase for 16-bit text). The first character is a byte in 8-bit text
// and a code point (a surrogate pair stays whole) in 16-bit text; when its
// upper case is longer ("ß" gives "SS") the longer form is kept.
AnsiString CapitalizeFirst(std::string_view s);
UnicodeString CapitalizeFirst(std::u16string_view s);

// How many times c occurs in s.
int32_t CharCount(std::string_view s, AnsiChar c);
int32_t CharCount(std::u16string_view s, WideChar c);

// --- File names ---------------------------------------------------------------

// name without its extension, the extension starting at the first "." of the
// last path component: "C:\dir.old\file.tar.gz" gives "C:\dir.old\file", and a
// last component that starts with "." leaves the directory part only
// (".profile" gives "").
AnsiString OnlyFileName(std::string_view name);
UnicodeString OnlyFileName(std::u16string_view name);
// OnlyFileName(name) + extension, which carries its own dot (".bak").
AnsiString YChangeFileExt(std::string_view name, std::string_view extension);
UnicodeString YChangeFileExt(std::u16string_view name, std::u16string_view extension);
// From the first "." anywhere in name, directory part included, to the end:
// "archive.tar.gz" gives ".tar.gz", "C:\dir.old\file" gives ".old\file".
// "" when name has no dot.
AnsiString YExtractFileExt(std::string_view name);
UnicodeString YExtractFileExt(std::u16string_view name);

// --- Paths -----------------------------------------------------------------------

// path with a trailing backslash added when it lacks one; "" stays "".
AnsiString FixPath(std::string_view path);
UnicodeString FixPath(std::u16string_view path);

// first and second joined by one separator; when either is empty, the other.
// The twins differ:
//   8-bit:  only a one-character separator is recognized. When first ends
//           with it and second starts with it, one of the two is dropped;
//           when one of them has it they are joined as they are; otherwise
//           the separator goes between.
//   16-bit: when first ends with a backslash or with separator, or second
//           starts with separator, they are joined as they are (two
//           separators may meet: "a/" + "/b" is "a//b"); otherwise the
//           separator goes between.
AnsiString XConcPath(std::string_view first, std::string_view second, std::string_view separator);
UnicodeString XConcPath(std::u16string_view first, std::u16string_view second,
                        std::u16string_view separator);
// Joined by a backslash. 8-bit: XConcPath with "\". 16-bit: a backslash goes
// between two non-empty parts that do not have one at the joint; otherwise
// they are joined as they are ("C:\a\" + "\b" is "C:\a\\b").
AnsiString ConcPath(std::string_view first, std::string_view second);
UnicodeString ConcPath(std::u16string_view first, std::u16string_view second);

// first + "." + second when both are non-empty, else whichever is not.
AnsiString ConcNames(std::string_view first, std::string_view second);
UnicodeString ConcNames(std::u16string_view first, std::u16string_view second);

}  // namespace dz
