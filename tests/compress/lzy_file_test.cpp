// The file routines: round trips through real files, and a failure never
// damages what the destination held.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "LzyTestUtil.h"
#include "deziva27/compress/YCompress.h"
#include "deziva27/host/runtime/Strings.h"
#include "support/Files.h"

namespace dz::test {
namespace {

namespace fs = std::filesystem;

class LzyFile : public ::testing::Test {
 protected:
  UnicodeString Path(const std::string& name) const { return Utf8ToUtf16(dir_ / name); }
  void Write(const std::string& name, const std::string& s) const { Spit(dir_ / name, s); }
  std::string Read(const std::string& name) const { return Slurp(dir_ / name); }
  size_t Entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_.Path), {}));
  }

  ScratchDir dir_{"lzy_file_test"};
};

TEST_F(LzyFile, FailuresLeaveTheDestinationAsItWas) {
  Write("dest", "precious");
  Write("bad.lzy", kHeader + "\x08" + "abcd\x0F");  // a match cut after good output
  Write("notlzy", "plain text");
  Write("big", MakeData("random", 300000, 2));
  int calls = 0;
  TProgressEvent stopper = [&](TObject*, Integer, Integer) {
    if (++calls == 5000) throw EConvertError(u"cancelled");
  };
  // Damaged tokens after some good output, a wrong header, a missing source,
  // and a compression cancelled half way.
  EXPECT_THROW(LZYDecompressFile(Path("bad.lzy"), Path("dest")), EYCompressError);
  EXPECT_THROW(LZYDecompressFile(Path("notlzy"), Path("dest")), EYCompressError);
  EXPECT_THROW(LZYCompressFile(Path("missing"), Path("dest")), EFOpenError);
  EXPECT_THROW(LZYCompressFile(Path("big"), Path("dest"), stopper), EConvertError);
  EXPECT_EQ(calls, 5000);  // the listener's exception stops the work at once
  EXPECT_EQ(Read("dest"), "precious");
  EXPECT_EQ(Entries(), 4u);  // no temporary file left behind, no "missing" made
}

TEST_F(LzyFile, ReplacedFileKeepsItsPermissions) {
  Write("in", "some data some data");
  Write("dest", "old");
  fs::permissions(dir_.Path / "dest",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  LZYCompressFile(Path("in"), Path("dest"));
  EXPECT_EQ(fs::status(dir_.Path / "dest").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // Coding a file onto itself works, since the result lands only at the end.
  LZYDecompressFile(Path("dest"), Path("dest"));
  EXPECT_EQ(Read("dest"), "some data some data");
}

TEST_F(LzyFile, ALinkedDestinationIsWrittenThroughItsLink) {
  Write("in", "linked data");
  Write("real", "old");
  fs::create_symlink("real", dir_ / "link.lzy");
  LZYCompressFile(Path("in"), Path("link.lzy"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.lzy"));
  LZYDecompressFile(Path("real"), Path("out"));
  EXPECT_EQ(Read("out"), "linked data");
}

// A file codes to the bytes the stream routines write. The path forms take
// the name's bytes as they are: a name that is not UTF-8 (which the text
// forms cannot spell) round-trips to the same bytes the text forms write.
// Text arguments must still reach the text forms.
static_assert(requires(const char16_t* s, UnicodeString u) {
  LZYCompressFile(s, s);
  LZYCompressFile(u, u, {}, 2);
  LZYDecompressFile(u, s);
});

TEST_F(LzyFile, RoundTripsByTextAndByPath) {
  const std::string data = MakeData("words", 900000, 5);
  Write("in.txt", data);
  LZYCompressFile(Path("in.txt"), Path("text.lzy"));
  EXPECT_TRUE(Read("text.lzy") == Packed(data));
  LZYDecompressFile(Path("text.lzy"), Path("out.txt"));
  EXPECT_TRUE(Read("out.txt") == data);
  const fs::path in = dir_.Path / "in.txt", odd = dir_.Path / "\xFF\xFEodd.lzy",
                 back = dir_.Path / "back\x80";
  LZYCompressFile(in, odd);
  EXPECT_TRUE(Read("\xFF\xFEodd.lzy") == Read("text.lzy"));
  LZYCompressFile(in, odd, {}, 3);
  EXPECT_TRUE(Read("\xFF\xFEodd.lzy") == Read("text.lzy"));
  LZYDecompressFile(odd, back);
  EXPECT_TRUE(Read("back\x80") == data);
  EXPECT_THROW(LZYDecompressFile(in, back), EYCompressError);
  EXPECT_TRUE(Read("back\x80") == data);
  EXPECT_EQ(Entries(), 5u);
}

}  // namespace
}  // namespace dz::test
