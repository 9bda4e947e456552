#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string_view>

#include "deziva27/host/Host.h"
#include "support/Files.h"

namespace dz {
namespace {

namespace fs = std::filesystem;

TEST(TMemoryStream, ReadWriteSeekAndSize) {
  TMemoryStream m;
  EXPECT_EQ(m.Size(), 0);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 4), 0);  // empty stream
  EXPECT_EQ(m.Write("hello", 5), 5);
  EXPECT_EQ(m.Position(), 5);
  m.SetPosition(1);
  EXPECT_EQ(m.Read(buf, 8), 4);  // short read at the end
  EXPECT_EQ(std::string(buf, 4), "ello");
  EXPECT_EQ(m.Read(buf, 8), 0);
  EXPECT_EQ(m.Read(buf, 0), 0);
  EXPECT_EQ(m.Read(buf, -3), 0);
  // A write beyond the end fills the gap with zeros.
  m.Seek(3, soEnd);
  m.Write("!", 1);
  EXPECT_EQ(m.Size(), 9);
  EXPECT_EQ(std::memcmp(m.Memory(), "hello\0\0\0!", 9), 0);
  EXPECT_THROW(m.Seek(-1, soBeginning), EStreamError);
  m.SetSize(2);
  EXPECT_EQ(m.Position(), 2);
  EXPECT_EQ(m.Seek(0, soEnd), 2);
  m.SetPosition(100);  // a read past the end gives nothing, and no error
  EXPECT_EQ(m.Read(buf, 1), 0);
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
  EXPECT_EQ(m.Position(), 0);
  // ReadBuffer and WriteBuffer demand every byte.
  m.WriteBuffer("abc", 3);
  m.SetPosition(1);
  try {
    m.ReadBuffer(buf, 3);
    ADD_FAILURE();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), u"Stream read error");
  }
  m.ReadBuffer(buf, 0);  // nothing asked, nothing missing
  m.SetPosition(0);
  m.ReadBuffer(buf, 3);
}

// Room handed to an in-place producer is scratch until committed: whatever
// the producer left there must not show through a later size or gap, which
// the stream promises to be zeros.
TEST(TMemoryStream, ReservedRoomCountsOnlyWhenCommitted) {
  using namespace std::literals;
  const struct {
    const char* Name;
    int64_t Start;          // position when the room is taken; the stream holds "abcd"
    int64_t Commit;         // bytes committed of the 8 written
    std::string_view Want;  // the content afterwards
    int64_t Size, Position;
  } cases[] = {
      {"append", 4, 3, "abcdxyz"sv, 7, 7},
      {"append nothing", 4, 0, "abcd"sv, 4, 4},
      {"inside, growing past the end", 2, 5, "abxyzuv"sv, 7, 7},
      {"inside, within the data", 1, 2, "axyd"sv, 4, 3},
      {"past the end: the gap is zeros", 6, 2, "abcd\0\0xy"sv, 8, 8},
  };
  for (const auto& c : cases) {
    TMemoryStream m;
    m.Write("abcd", 4);
    m.SetPosition(c.Start);
    uint8_t* p = m.ReserveWrite(64);
    ASSERT_EQ(p, m.Memory() + c.Start) << c.Name;
    EXPECT_EQ(m.Size(), 4) << c.Name;  // reserving changes neither size nor position
    EXPECT_EQ(m.Position(), c.Start) << c.Name;
    if (c.Start >= 4) std::memset(p, '#', 64);  // scratch past the end
    // Before the end only what is committed may be written.
    std::memcpy(p, "xyzuvwst", static_cast<size_t>(c.Start >= 4 ? 8 : c.Commit));
    m.CommitWrite(c.Commit);
    EXPECT_EQ(m.Size(), c.Size) << c.Name;
    EXPECT_EQ(m.Position(), c.Position) << c.Name;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size())),
              c.Want)
        << c.Name;
    // Growing afterwards shows zeros, not the scratch left in the room.
    int64_t size = m.Size();
    m.SetSize(size + 16);
    for (int64_t i = size; i < size + 16; ++i) EXPECT_EQ(m.Memory()[i], 0) << c.Name << " " << i;
    m.SetSize(size);
    m.SetPosition(size);
    std::memset(m.ReserveWrite(32), '#', 32);
    m.Seek(5, soEnd);
    m.Write("!", 1);
    for (int64_t i = size; i < size + 5; ++i) EXPECT_EQ(m.Memory()[i], 0) << c.Name << " " << i;
  }
}

TEST(FileStreams, RoundTripSeekResizeAndRaise) {
  test::ScratchDir dir;
  std::string data(300000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 251);
  TMemoryStream out;
  out.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
  out.SaveToFile(dir / "a.bin");
  TMemoryStream in;
  in.Write("junk", 4);
  in.LoadFromFile(dir / "a.bin");
  ASSERT_EQ(in.Size(), static_cast<int64_t>(data.size()));
  EXPECT_EQ(in.Position(), 0);
  EXPECT_EQ(std::memcmp(in.Memory(), data.data(), data.size()), 0);

  // SaveToFile replaces a longer file completely.
  TMemoryStream small;
  small.Write("xy", 2);
  small.SaveToFile(dir / "a.bin");
  EXPECT_EQ(fs::file_size(dir / "a.bin"), 2u);

  TMemoryStream empty;
  empty.SaveToFile(dir / "empty.bin");
  in.LoadFromFile(dir / "empty.bin");
  EXPECT_EQ(in.Size(), 0);

  EXPECT_THROW(in.LoadFromFile(dir / "missing.bin"), EFOpenError);
  EXPECT_THROW(in.LoadFromFile(dir / ""), EFOpenError);  // a directory
  EXPECT_THROW(small.SaveToFile(dir / "no/such/dir.bin"), EFCreateError);
  try {
    in.LoadFromFile(dir / "missing.bin");
  } catch (const EFOpenError& e) {
    EXPECT_NE(e.Message().find(u"missing.bin"), UnicodeString::npos);
  }
  // A file stream seeks, reads and resizes.
  {
    TFileStream f(dir / "f.bin", fmCreate);
    f.WriteBuffer("0123456789", 10);
    EXPECT_EQ(f.Size(), 10);
    f.SetPosition(4);
    char c;
    f.ReadBuffer(&c, 1);
    EXPECT_EQ(c, '4');
    EXPECT_EQ(f.Position(), 5);
    f.SetSize(6);
    EXPECT_EQ(f.Size(), 6);
  }
  TFileStream r(dir / "f.bin", fmOpenRead);
  char buf[16];
  EXPECT_EQ(r.Read(buf, 16), 6);
  EXPECT_EQ(std::string(buf, 6), "012345");
  EXPECT_EQ(r.Write("x", 1), 0);  // opened for reading only
  TMemoryStream m;
  r.SetPosition(2);
  EXPECT_EQ(m.CopyFrom(r, 3), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), 3), "234");
  EXPECT_THROW(m.CopyFrom(r, 5), EReadError);
  EXPECT_EQ(m.CopyFrom(r, 0), 6);  // 0: the whole source from its start
}

}  // namespace
}  // namespace dz
