// The compressed stream format and the public routines: header, positions,
// progress, messages, recognition; the file routines' round trips through
// real files, where a failure never damages what the destination held.
#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <vector>

#include "LzyTestUtil.h"
#include "deziva27/compress/YCompress.h"
#include "deziva27/compress/detail/LZWindow.h"
#include "deziva27/host/runtime/Strings.h"
#include "support/Files.h"

namespace dz::test {
namespace {

using Calls = std::vector<std::pair<Integer, Integer>>;

// The message of the EYCompressError a routine raises, "" when none.
std::string Raised(Routine fn, TStream* src, TStream* dest) {
  try {
    fn(src, dest, {});
  } catch (const EYCompressError& e) {
    return e.what();
  }
  return "";
}

// The routines start where the streams stand (the Full forms at 0 of the
// source) and append to the destination. Streams are taken as they come: a
// version written by someone else is read but not checked, the magic alone
// is a stream of nothing, bytes after a stream are tokens too, and a wrong
// magic writes nothing.
TEST(LzyStream, RoutinesStartWhereTheStreamsStand) {
  const std::string digits = "0123456789", embedded = "xy" + kHeader + '\x06' + "789";
  const struct {
    Routine Fn;
    std::string Src;
    int64_t At;
    std::string Before, After;  // the destination's bytes
    const char* Error;
    int64_t SrcAfter;
  } cases[] = {
      {&LZYCompressStream, digits, 7, "xy", embedded, "", 10},
      {&LZYCompressFullStream, digits, 7, "", kHeader + '\x14' + digits, "", 10},
      {&LZYDecompressStream, embedded, 2, "", "789", "", 15},
      {&LZYDecompressFullStream, embedded, 2, "", "", "Wrong stream format", 5},
      {&LZYDecompressStream, "LZY00\x01\x02\x03\x04\x04ok", 0, "", "ok", "", 12},
      {&LZYDecompressStream, "LZY00", 0, "", "", "", 5},
      {&LZYDecompressStream, kHeader + "\x0Ahello\x02!", 0, "", "hello!", "", 17},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Hex(c.Src));
    TMemoryStream src, dest;
    Fill(src, c.Src);
    src.SetPosition(c.At);
    dest.Write(c.Before.data(), static_cast<int32_t>(c.Before.size()));
    EXPECT_EQ(Raised(c.Fn, &src, &dest), c.Error);
    EXPECT_EQ(Bytes(dest), c.After);
    EXPECT_EQ(dest.Position(), dest.Size());
    EXPECT_EQ(src.Position(), c.SrcAfter);
  }
}

TEST(LzyStream, MissingStreamsAreReportedSourceFirst) {
  TMemoryStream s, dst;
  for (Routine fn : std::initializer_list<Routine>{&LZYCompressStream, &LZYDecompressStream,
                                                   &LZYCompressFullStream,
                                                   &LZYDecompressFullStream}) {
    EXPECT_EQ(Raised(fn, nullptr, nullptr), "Source stream is not defined");
    EXPECT_EQ(Raised(fn, nullptr, &s), "Source stream is not defined");
    EXPECT_EQ(Raised(fn, &s, nullptr), "Destination stream is not defined");
  }
  EXPECT_EQ(s.Size(), 0);
  // The texts come from the string table at the moment of raising.
  SetResString(HInstance, 65524, u"Falsches Format");
  Fill(s, "LZX00");
  EXPECT_EQ(Raised(&LZYDecompressStream, &s, &dst), "Falsches Format");
  ResetStringTable();
  EXPECT_EQ(LoadResString(_SWrongStreamFormat), u"Wrong stream format");
}

// Recognition restores the position. CheckHeader leaves the source after
// what it read; its out-parameter keeps the bytes of Version the stream
// lacks, the optional has them zero, and on false Version stays as it was.
TEST(LzyStream, HeadersAreRecognizedAndRead) {
  const struct {
    std::string Data;
    int64_t At;
    std::optional<Integer> Version;
    Integer Kept;  // the out-parameter, from 0x7F6E5D4C
    int64_t After;
  } cases[] = {
      {"LZY00\x11\x22\x33\x44", 0, 0x44332211, 0x44332211, 9},
      {"LZY00\x11\x22\x33", 0, 0x332211, 0x7F332211, 8},
      {"LZY00", 0, 0, 0x7F6E5D4C, 5},
      {"xx" + kHeader, 2, 0, 0, 11},
      {"xx" + kHeader, 0, std::nullopt, 0x7F6E5D4C, 5},
      {"LZY0", 0, std::nullopt, 0x7F6E5D4C, 4},
      {"LZY01xxxx", 0, std::nullopt, 0x7F6E5D4C, 5},
      {"lzy00abcd", 0, std::nullopt, 0x7F6E5D4C, 5},
      {"", 0, std::nullopt, 0x7F6E5D4C, 0},
      {"LZY00", 9, std::nullopt, 0x7F6E5D4C, 9},  // past the end
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Hex(c.Data) + " at " + std::to_string(c.At));
    TMemoryStream src, dst;
    Fill(src, c.Data);
    src.SetPosition(c.At);
    EXPECT_EQ(IsLZYCompressedStream(src), c.Version.has_value());
    EXPECT_EQ(src.Position(), c.At);
    TLZYCompressor comp;
    comp.SetSrcStream(&src);
    comp.SetDestStream(&dst);
    Integer v = 0x7F6E5D4C;
    EXPECT_EQ(comp.CheckHeader(v), c.Version.has_value());
    EXPECT_EQ(v, c.Kept);
    EXPECT_EQ(src.Position(), c.After);
    src.SetPosition(c.At);
    EXPECT_EQ(comp.CheckHeader(), c.Version);
    EXPECT_EQ(src.Position(), c.After);
    src.SetPosition(c.At);
    if (c.Version) {
      comp.Decompress();  // reads the header as the optional form does
      EXPECT_EQ(comp.Version(), *c.Version);
    }
  }
}

// How a compressor is listened to: not at all, on OnProgress, by a
// descendant overriding DoOnProgress, or by one that also calls the
// inherited DoOnProgress (with no OnProgress set). Code gives the output
// and the calls heard.
enum Ear { kNone, kEvent, kOverride, kOverrideAndInherited };

std::pair<std::string, Calls> Code(bool compress, const std::string& in, Ear ear) {
  struct Overriding : TLZYCompressor {
    Calls Heard;
    bool Inherited = false;
    void DoOnProgress(Integer p, Integer m) override {
      Heard.emplace_back(p, m);
      if (Inherited) TLZYCompressor::DoOnProgress(p, m);
    }
  } over;
  over.Inherited = ear == kOverrideAndInherited;
  TLZYCompressor plain;
  TLZYCompressor& c = ear == kOverride || ear == kOverrideAndInherited ? over : plain;
  if (ear == kEvent) {
    c.SetOnProgress([&](TObject* sender, Integer p, Integer m) {
      EXPECT_EQ(sender, &c);
      over.Heard.emplace_back(p, m);
    });
  }
  TMemoryStream src, dst;
  Fill(src, in);
  c.SetSrcStream(&src);
  c.SetDestStream(&dst);
  compress ? c.Compress() : c.Decompress();
  return {Bytes(dst), over.Heard};
}

// One call a token, with the source's position when compressing and the
// compressed stream's when decompressing, as the plain coders make them, and
// none for an empty source; every way of listening hears the same calls, and
// the bytes do not depend on whether anyone listens.
TEST(LzyStream, ProgressOncePerTokenHoweverHeard) {
  // 300 bytes: 127 literal tokens read ahead the whole source early on.
  const std::string data = MakeData("words", 300, 3), packed = Packed(data);
  Calls plainIn, plainOut;
  TMemoryStream src, sink;
  Fill(src, data);
  detail::PlainCompressSource(src, sink, [&](Integer p, Integer m) { plainIn.push_back({p, m}); });
  Fill(src, packed);
  src.SetPosition(9);
  detail::PlainDecompressSource(src, sink,
                                [&](Integer p, Integer m) { plainOut.push_back({p, m}); });
  ASSERT_FALSE(plainIn.empty());
  EXPECT_EQ(plainIn.front().first, 127);
  EXPECT_EQ(plainIn.back(), std::make_pair(Integer{300}, Integer{300}));
  EXPECT_EQ(plainOut.back().first, static_cast<Integer>(packed.size()));
  for (Ear ear : {kNone, kEvent, kOverride, kOverrideAndInherited}) {
    SCOPED_TRACE(ear);
    EXPECT_EQ(Code(true, data, ear), std::make_pair(packed, ear == kNone ? Calls{} : plainIn));
    EXPECT_EQ(Code(false, packed, ear), std::make_pair(data, ear == kNone ? Calls{} : plainOut));
    EXPECT_EQ(Code(true, "", ear), std::make_pair(kHeader, Calls{}));
    EXPECT_EQ(Code(false, kHeader, ear), std::make_pair(std::string(), Calls{}));
  }
}

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
  // A replaced file keeps its permissions, and a linked one is written
  // through its link.
  Write("text.lzy", "old");
  const fs::perms perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(dir_.Path / "text.lzy", perms);
  fs::create_symlink("text.lzy", dir_ / "link.lzy");
  LZYCompressFile(Path("in.txt"), Path("link.lzy"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.lzy"));
  EXPECT_EQ(fs::status(dir_.Path / "text.lzy").permissions() & fs::perms::all, perms);
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
  // Coding a file onto itself works, since the result lands only at the end.
  LZYDecompressFile(Path("text.lzy"), Path("text.lzy"));
  EXPECT_TRUE(Read("text.lzy") == data);
  EXPECT_EQ(Entries(), 6u);
}

}  // namespace
}  // namespace dz::test
