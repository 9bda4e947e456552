// Seekable byte streams with 64-bit positions: the abstract TStream, an
// in-memory stream and a file stream.
// Threads: a stream is used by one thread at a time; distinct streams are independent.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// What a Seek offset counts from: the start, the position, the end.
enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// A sequence of bytes with a position, read and written at the position.
// Derived classes provide Read, Write, Seek and SetSize; the buffer routines
// and the copy are built on them. Positions and sizes are 64-bit, one
// transfer is at most 2 GiB - 1.
class TStream : public TObject {
 public:
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  // Writes count bytes; returns how many were written.
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  // Moves the position; returns the new one. Seeking past the end is allowed
  // (a later Write fills the gap with zeros in a memory stream).
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  // Cuts or extends the stream to size bytes; a position past the new end
  // moves to it.
  virtual void SetSize(int64_t size) = 0;

  int64_t Position() { return Seek(0, soCurrent); }  // bytes from the start
  void SetPosition(int64_t pos) { Seek(pos, soBeginning); }  // Seek from the start
  // The length in bytes; the default seeks to the end and back.
  virtual int64_t Size();

  // Exactly count bytes, or EReadError "Stream read error" /
  // EWriteError "Stream write error" (the bytes moved so far stay moved).
  // count <= 0 does nothing.
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);
  // Copies count bytes from source's position (count <= 0: the whole of
  // source from its start); returns the bytes copied. EReadError when source
  // has fewer, EWriteError when this stream takes fewer.
  int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream over a buffer the object owns and frees; it grows as written and
// is empty at first.
class TMemoryStream : public TStream {
 public:
  // Up to count bytes from the position; 0 at or past the end.
  int32_t Read(void* buffer, int32_t count) override;
  // Always writes all count bytes (EOutOfMemory when the buffer cannot grow);
  // a gap between the end and the position is filled with zeros.
  int32_t Write(const void* buffer, int32_t count) override;
  // Any position from 0 up, past the end too; EStreamError "Invalid stream
  // position" when the result would be negative (the position stays).
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // A larger size adds zeros, a negative one counts as 0.
  void SetSize(int64_t size) override;
  int64_t Size() override { return FSize; }  // the bytes written or set, not the room

  void Clear();  // size and position 0; the buffer is freed
  // The content, Size() bytes (may be null when empty); the pointer moves
  // when the buffer grows or is cleared.
  const uint8_t* Memory() const { return FData.data(); }
  uint8_t* Memory() { return FData.data(); }

  // For a producer that writes in place (a decoder restoring straight into
  // the stream): returns the memory at Position with at least count bytes
  // writable, growing the buffer but neither the size nor the position. The
  // bytes count only once CommitWrite(n) takes the first n of them: Position
  // advances by n and the size grows to Position if it was smaller. Memory
  // past the committed bytes is scratch while Position is at the end; before
  // the end, only committed bytes may be written. Any other call on the
  // stream ends the reservation (the returned pointer may move). CommitWrite
  // with count <= 0 commits nothing.
  uint8_t* ReserveWrite(int64_t count);
  void CommitWrite(int64_t count);

  // The whole of a file in, or the whole content out (creating or replacing
  // the file). Failures raise EFOpenError / EFCreateError / EWriteError.
  // Loading leaves the position at 0.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;
  // The whole of stream from its start in (position 0 after; EReadError when
  // it gives fewer bytes than its size), or the whole content written at
  // stream's position (EWriteError when it takes fewer). Own position unchanged
  // on saving.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;

 private:
  // Growing the buffer leaves new bytes unset, so room reserved for a
  // producer costs no pass of zeros; the stream zeroes what its contract
  // says is zero (a gap written past the end, a size set larger).
  template <class T>
  struct TUninitAllocator : std::allocator<T> {
    template <class U>
    struct rebind {  // keeps rebound allocators uninitialising
      using other = TUninitAllocator<U>;  // the allocator for U
    };
    template <class U>
    void construct(U* p) noexcept {
      ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... A>
    void construct(U* p, A&&... args) {
      ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
  };
  void Grow(int64_t end);  // FData holds at least end bytes

  std::vector<uint8_t, TUninitAllocator<uint8_t>> FData;  // FSize bytes, then room
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

// TFileStream's modes. Only the low two bits choose the access; other bits
// (the classic sharing modes) are accepted and ignored.
enum : uint16_t {
  fmOpenRead = 0x0000,       // an existing file, read only
  fmOpenWrite = 0x0001,      // an existing file, write only, not truncated
  fmOpenReadWrite = 0x0002,  // an existing file, read and write
  fmCreate = 0xFF00,  // create or truncate, then read and write
};

// A stream over a POSIX file descriptor it does not own: the descriptor stays
// open when the object goes.
class THandleStream : public TStream {
 public:
  explicit THandleStream(int handle) : FHandle(handle) {}  // handle: an open descriptor
  // Up to count bytes, retried over short reads and EINTR; fewer only at the
  // end of the file or on an error.
  int32_t Read(void* buffer, int32_t count) override;
  // Count bytes, retried over short writes and EINTR; fewer only on an error
  // (WriteBuffer turns that into EWriteError).
  int32_t Write(const void* buffer, int32_t count) override;
  // lseek; EStreamError with the system's reason when it fails (a negative
  // result, a pipe).
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // ftruncate; EStreamError with the system's reason when it fails.
  void SetSize(int64_t size) override;
  int Handle() const { return FHandle; }  // the descriptor given

 protected:
  int FHandle;  // the descriptor; TFileStream closes it
};

// A stream over a file it opens by name and closes when destroyed. Not
// copyable.
class TFileStream : public THandleStream {
 public:
  // Raises EFOpenError / EFCreateError with the file name and the system's
  // reason when the file cannot be opened or created.
  // A directory raises EFOpenError too. fileName is a path in UTF-8.
  TFileStream(const std::string& fileName, uint16_t mode);
  ~TFileStream() override;  // closes the file
  // Not copyable: one object owns the descriptor.
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;
  const std::string& FileName() const { return FFileName; }  // the name opened, as given

 private:
  std::string FFileName;
};

}  // namespace dz
