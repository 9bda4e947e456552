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

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
 public:
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  // Writes count bytes; returns how many were written.
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  // Moves the position; returns the new one. Seeking past the end is allowed
  // (a later Write fills the gap with zeros in a memory stream).
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual void SetSize(int64_t size) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
  virtual int64_t Size();

  // Exactly count bytes, or EReadError "Stream read error" /
  // EWriteError "Stream write error".
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);
  // Copies count bytes from source's position (count 0: the whole of source
  // from its start); returns the bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
 public:
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  int64_t Size() override { return FSize; }

  void Clear();
  const uint8_t* Memory() const { return FData.data(); }
  uint8_t* Memory() { return FData.data(); }

  // For a producer that writes in place (a decoder restoring straight into
  // the stream): returns the memory at Position with at least count bytes
  // writable, growing the buffer but neither the size nor the position. The
  // bytes count only once CommitWrite(n) takes the first n of them: Position
  // advances by n and the size grows to Position if it was smaller. Memory
  // past the committed bytes is scratch while Position is at the end; before
  // the end, only committed bytes may be written. Any other call on the
  // stream ends the reservation (the returned pointer may move).
  uint8_t* ReserveWrite(int64_t count);
  void CommitWrite(int64_t count);

  // The whole of a file in, or the whole content out (creating or replacing
  // the file). Failures raise EFOpenError / EFCreateError / EWriteError.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;

 private:
  // Growing the buffer leaves new bytes unset, so room reserved for a
  // producer costs no pass of zeros; the stream zeroes what its contract
  // says is zero (a gap written past the end, a size set larger).
  template <class T>
  struct TUninitAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
      using other = TUninitAllocator<U>;
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

enum : uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmCreate = 0xFF00,  // create or truncate, then read and write
};

class THandleStream : public TStream {
 public:
  explicit THandleStream(int handle) : FHandle(handle) {}
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  int Handle() const { return FHandle; }

 protected:
  int FHandle;
};

class TFileStream : public THandleStream {
 public:
  // Raises EFOpenError / EFCreateError with the file name and the system's
  // reason when the file cannot be opened or created.
  TFileStream(const std::string& fileName, uint16_t mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;
  const std::string& FileName() const { return FFileName; }

 private:
  std::string FFileName;
};

}  // namespace dz
