// The PE layout walked here: the DOS header's e_lfanew gives the "PE\0\0"
// signature, then the COFF header, the optional header (magic 0x10B for
// PE32, 0x20B for PE32+, which moves the data directories), and the section
// table that turns the resource directory's RVA into a file offset. The
// resource tree has exactly three levels (type, name, language); any entry
// that points to the wrong kind of node for its level ends the search, so a
// directory that loops cannot make the walk loop.
#include "deziva27/platform/detail/PeResources.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace dz::win {
namespace {

constexpr uint32_t kSubdirFlag = 0x80000000u;
constexpr uint32_t kNameFlag = 0x80000000u;
// More entries than this in one directory node is not a real file.
constexpr uint32_t kMaxEntries = 0x10000;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

struct Section {
  uint32_t Rva, VirtualSize, RawSize, RawOffset;
};

class Reader {
 public:
  Reader(const TPeReadAt& readAt, uint64_t size) : FReadAt(readAt), FSize(size) {}

  bool Read(uint64_t off, void* buf, size_t n) const {
    if (off > FSize || n > FSize - off) return false;
    return FReadAt(off, buf, n);
  }

  // Maps the resource directory onto the file; false for anything that is
  // not a PE image with one.
  bool OpenResources() {
    uint8_t dos[64];
    if (!Read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
    const uint32_t pe = U32(dos + 60);
    uint8_t hdr[24];
    if (!Read(pe, hdr, sizeof hdr) || std::memcmp(hdr, "PE\0\0", 4) != 0) return false;
    const uint16_t sections = U16(hdr + 6);
    const uint16_t optSize = U16(hdr + 20);
    if (optSize < 2) return false;
    std::vector<uint8_t> opt(optSize);
    if (!Read(uint64_t{pe} + 24, opt.data(), opt.size())) return false;
    size_t dirs;  // offset of the data directories in the optional header
    switch (U16(opt.data())) {
      case 0x10B: dirs = 96; break;
      case 0x20B: dirs = 112; break;
      default: return false;
    }
    // The resource directory is entry 2; it needs NumberOfRvaAndSizes > 2.
    if (optSize < dirs + 3 * 8 || U32(opt.data() + dirs - 4) < 3) return false;
    const uint32_t rva = U32(opt.data() + dirs + 16);
    const uint32_t size = U32(opt.data() + dirs + 20);
    if (rva == 0 || size == 0) return false;
    const uint64_t table = uint64_t{pe} + 24 + optSize;
    for (uint16_t i = 0; i < sections; ++i) {
      uint8_t s[40];
      if (!Read(table + uint64_t{i} * 40, s, sizeof s)) return false;
      Section sec{U32(s + 12), U32(s + 8), U32(s + 16), U32(s + 20)};
      const uint32_t span = sec.VirtualSize ? sec.VirtualSize : sec.RawSize;
      if (rva >= sec.Rva && rva - sec.Rva < span) {
        FSection = sec;
        FBase = uint64_t{sec.RawOffset} + (rva - sec.Rva);
        // The directory may only be read inside the section's raw data.
        const uint32_t inRaw = sec.RawSize > rva - sec.Rva ? sec.RawSize - (rva - sec.Rva) : 0;
        FLimit = std::min<uint64_t>(inRaw, FSize > FBase ? FSize - FBase : 0);
        return FLimit > 0;
      }
    }
    return false;
  }

  // Offset (from the directory's start) of the entry's target for id, or of
  // the first entry when id is 0. wantDir says which kind of node the level
  // must point to.
  bool Find(uint32_t node, uint32_t id, bool wantDir, uint32_t& target) const {
    uint8_t head[16];
    if (!ReadDir(node, head, sizeof head)) return false;
    const uint32_t named = U16(head + 12), ids = U16(head + 14);
    const uint32_t count = named + ids;
    if (count == 0 || count > kMaxEntries) return false;
    for (uint32_t i = 0; i < count; ++i) {
      uint8_t e[8];
      if (!ReadDir(node + 16 + i * 8, e, sizeof e)) return false;
      const uint32_t name = U32(e), off = U32(e + 4);
      const bool match = id == 0 || (!(name & kNameFlag) && name == id);
      if (!match) continue;
      if (((off & kSubdirFlag) != 0) != wantDir) return false;
      target = off & ~kSubdirFlag;
      // A child that is its parent or lies before it would lead back up.
      if (wantDir && target <= node) return false;
      return true;
    }
    return false;
  }

  bool Data(uint32_t entry, std::vector<uint8_t>& out, uint32_t maxSize) const {
    uint8_t d[16];
    if (!ReadDir(entry, d, sizeof d)) return false;
    const uint32_t rva = U32(d), size = U32(d + 4);
    // The data lives in some section: usually the resource section, which
    // is the one mapped; other sections are found again through the table
    // only if needed, and the file bounds the size in any case.
    if (rva < FSection.Rva) return false;
    const uint64_t off = uint64_t{FSection.RawOffset} + (rva - FSection.Rva);
    if (uint64_t{rva - FSection.Rva} + size > FSection.RawSize) return false;
    if (off > FSize || size > FSize - off || size > maxSize) return false;
    out.resize(size);
    return size == 0 || Read(off, out.data(), size);
  }

 private:
  bool ReadDir(uint64_t at, void* buf, size_t n) const {
    if (at > FLimit || n > FLimit - at) return false;
    return Read(FBase + at, buf, n);
  }

  const TPeReadAt& FReadAt;
  uint64_t FSize;
  Section FSection{};
  uint64_t FBase = 0, FLimit = 0;
};

}  // namespace

bool ReadPeResource(const TPeReadAt& ReadAt, uint64_t FileSize, uint32_t Type, uint32_t Name,
                    std::vector<uint8_t>& Data, uint32_t MaxSize) {
  if (Type == 0) return false;
  Reader r(ReadAt, FileSize);
  uint32_t names, langs, entry;
  if (!r.OpenResources() || !r.Find(0, Type, true, names) || !r.Find(names, Name, true, langs) ||
      !r.Find(langs, 0, false, entry))
    return false;
  std::vector<uint8_t> out;
  if (!r.Data(entry, out, MaxSize)) return false;
  Data = std::move(out);
  return true;
}

bool ReadPeResourceFile(const std::string& Path, uint32_t Type, uint32_t Name,
                        std::vector<uint8_t>& Data, uint32_t MaxSize) {
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
  const int fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st;
  bool ok = false;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    TPeReadAt readAt = [fd](uint64_t off, void* buf, size_t n) {
      auto* p = static_cast<uint8_t*>(buf);
      while (n > 0) {
        const ssize_t got = ::pread(fd, p, n, static_cast<off_t>(off));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got, off += static_cast<uint64_t>(got), n -= static_cast<size_t>(got);
      }
      return true;
    };
    ok = ReadPeResource(readAt, static_cast<uint64_t>(st.st_size), Type, Name, Data, MaxSize);
  }
  ::close(fd);
  return ok;
}

bool ReadPeResourceImage(std::span<const uint8_t> Image, uint32_t Type, uint32_t Name,
                         std::vector<uint8_t>& Data, uint32_t MaxSize) {
  TPeReadAt readAt = [Image](uint64_t off, void* buf, size_t n) {
    std::memcpy(buf, Image.data() + off, n);  // Reader checked the bounds
    return true;
  };
  return ReadPeResource(readAt, Image.size(), Type, Name, Data, MaxSize);
}

}  // namespace dz::win
