// Resources of PE files (.exe, .dll, .ocx; PE32 and PE32+), read from their
// resource directory without loading or running them.
//
//   std::vector<uint8_t> data;
//   if (ReadPeResourceFile("app.exe", RT_VERSION, 1, data)) ...
//
// Only the headers, the resource directory and the one resource asked for
// are read (with pread), so the cost follows the resource section, not the
// file. Damaged files are answered with false: a header cut short, a
// directory entry that points outside the section or back into itself, a
// resource larger than the file. Nothing is ever read past the file, and
// memory stays below the file's size.
#pragma once

#include "deziva27/frame/Export.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace dz DZ_API {

inline constexpr uint32_t RT_VERSION = 16;

// Reads Count bytes at Offset into Buffer; false when they are not all there.
using TPeReadAt = std::function<bool(uint64_t Offset, void* Buffer, size_t Count)>;

// The data of the resource of type Type and name Name (0: the first name of
// that type), in the first language the directory lists for it. Type and Name
// are integer identifiers, as the library's callers use. False when the
// source is not a PE file or has no such resource.
bool ReadPeResource(const TPeReadAt& ReadAt, uint64_t FileSize, uint32_t Type, uint32_t Name,
                    std::vector<uint8_t>& Data);

// The same over a file (path in UTF-8) or a block in memory.
bool ReadPeResourceFile(const std::string& Path, uint32_t Type, uint32_t Name,
                        std::vector<uint8_t>& Data);
bool ReadPeResourceImage(std::span<const uint8_t> Image, uint32_t Type, uint32_t Name,
                         std::vector<uint8_t>& Data);

}  // namespace dz
