#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "deziva27/host/Host.h"

namespace dz {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/dz-streams-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string operator/(const char* name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

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
}

TEST(TStream, ReadBufferAndWriteBufferDemandEveryByte) {
  TMemoryStream m;
  m.WriteBuffer("abc", 3);
  m.SetPosition(0);
  char buf[4];
  m.ReadBuffer(buf, 3);
  m.SetPosition(1);
  try {
    m.ReadBuffer(buf, 3);
    ADD_FAILURE();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), u"Stream read error");
  }
  m.ReadBuffer(buf, 0);  // nothing asked, nothing missing
}

TEST(TMemoryStream, FilesRoundTripAndFailuresRaise) {
  TempDir dir;
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
}

TEST(TFileStream, SeeksReadsAndResizes) {
  TempDir dir;
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
