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
// resource larger than the file or than the caller's limit. Nothing is ever
// read past the file, and memory stays below the limit, whatever the file
// claims.
// Threads: every routine may be called from any thread; none keeps state between calls.
#pragma once


#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace dz::win {

inline constexpr uint32_t RT_VERSION = 16;

// Reads Count bytes at Offset into Buffer; false when they are not all there.
using TPeReadAt = std::function<bool(uint64_t Offset, void* Buffer, size_t Count)>;

// The largest resource read unless the caller allows less: a directory
// entry may claim up to 4 GiB, and a sparse file may even hold that much.
inline constexpr uint32_t kMaxPeResource = 16u << 20;
// A version resource needs no more: its length is a 16-bit count.
inline constexpr uint32_t kMaxVersionResource = 64u << 10;

// The data of the resource of type Type and name Name (0: the first name of
// that type), in the first language the directory lists for it. Type and Name
// are integer identifiers, as the library's callers use. False when the
// source is not a PE file or has no such resource, and when the resource is
// larger than MaxSize (nothing of it is then read).
bool ReadPeResource(const TPeReadAt& ReadAt, uint64_t FileSize, uint32_t Type, uint32_t Name,
                    std::vector<uint8_t>& Data, uint32_t MaxSize = kMaxPeResource);

// The same over a file (path in UTF-8; false for anything but a regular file,
// which is opened without blocking, so a FIFO is refused rather than waited
// on) or a block in memory.
bool ReadPeResourceFile(const std::string& Path, uint32_t Type, uint32_t Name,
                        std::vector<uint8_t>& Data, uint32_t MaxSize = kMaxPeResource);
bool ReadPeResourceImage(std::span<const uint8_t> Image, uint32_t Type, uint32_t Name,
                         std::vector<uint8_t>& Data, uint32_t MaxSize = kMaxPeResource);

}  // namespace dz::win
