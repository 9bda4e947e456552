// The compressed stream format and the public routines: header, positions,
// progress, messages, recognition.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "LzyTestUtil.h"
#include "deziva27/compress/YCompress.h"
#include "deziva27/compress/detail/LZWindow.h"

namespace dz {
namespace {

using test::Bytes;
using test::Fill;

const std::string kEmptyStream("LZY00\0\0\0\0", 9);

struct ProgressLog {
  std::vector<std::pair<Integer, Integer>> Calls;
  std::vector<TObject*> Senders;
  TProgressEvent Event() {
    return [this](TObject* sender, Integer pos, Integer max) {
      Calls.emplace_back(pos, max);
      Senders.push_back(sender);
    };
  }
};

TEST(LzyStream, RoutinesStartWhereTheStreamsStand) {
  TMemoryStream src, dst;
  Fill(src, "0123456789");
  src.SetPosition(7);
  dst.Write("xy", 2);  // the destination is appended to, not rewound
  LZYCompressStream(&src, &dst);
  EXPECT_EQ(src.Position(), 10);
  EXPECT_EQ(Bytes(dst), "xy" + kEmptyStream +
                            "\x06"
                            "789");
  EXPECT_EQ(dst.Position(), dst.Size());

  src.SetPosition(7);
  TMemoryStream full;
  LZYCompressFullStream(&src, &full);
  EXPECT_EQ(Bytes(full), kEmptyStream +
                             "\x14"
                             "0123456789");

  // A compressed stream embedded after other bytes decodes from there; the
  // Full variant reads from 0 and so sees no header.
  dst.SetPosition(2);
  TMemoryStream out;
  LZYDecompressStream(&dst, &out);
  EXPECT_EQ(Bytes(out), "789");
  TMemoryStream out2;
  try {
    LZYDecompressFullStream(&dst, &out2);
    FAIL() << "no error";
  } catch (const EYCompressError& e) {
    EXPECT_STREQ(e.what(), "Wrong stream format");
  }
  EXPECT_EQ(out2.Size(), 0);
}

TEST(LzyStream, MissingStreamsAreReportedSourceFirst) {
  TMemoryStream s;
  const struct {
    TStream* Src;
    TStream* Dest;
    const char* Message;
  } cases[] = {
      {nullptr, nullptr, "Source stream is not defined"},
      {nullptr, &s, "Source stream is not defined"},
      {&s, nullptr, "Destination stream is not defined"},
  };
  for (const auto& c : cases) {
    using Routine = void (*)(TStream*, TStream*, const TProgressEvent&);
    for (Routine fn : std::initializer_list<Routine>{&LZYCompressStream, &LZYDecompressStream,
                                                     &LZYCompressFullStream,
                                                     &LZYDecompressFullStream}) {
      try {
        fn(c.Src, c.Dest, {});
        ADD_FAILURE() << "no error for " << c.Message;
      } catch (const EYCompressError& e) {
        EXPECT_STREQ(e.what(), c.Message);
      }
    }
  }
  EXPECT_EQ(s.Size(), 0);
  // The texts come from the string table at the moment of raising.
  SetResString(HInstance, 65524, u"Falsches Format");
  Fill(s, "LZX00");
  TMemoryStream dst;
  try {
    LZYDecompressStream(&s, &dst);
    ADD_FAILURE() << "no error";
  } catch (const EYCompressError& e) {
    EXPECT_EQ(e.Message(), u"Falsches Format");
  }
  ResetStringTable();
  EXPECT_EQ(LoadResString(_SWrongStreamFormat), u"Wrong stream format");
}

// Streams as they come: a version written by someone else is read but not
// checked, the magic alone is a stream of nothing, bytes after a stream are
// tokens too, and a wrong magic writes nothing.
TEST(LzyStream, DecodesStreamsAsTheyCome) {
  const struct {
    std::string In;
    const char* Out;  // nullptr: refused
    Integer Version;
  } cases[] = {
      {std::string("LZY00\x01\x02\x03\x04\x04ok", 12), "ok", 0x04030201},
      {"LZY00", "", -1},
      {kEmptyStream + "\x0Ahello\x02!", "hello!", 0},
      {std::string("LZY10\0\0\0\0\x02z", 11), nullptr, -1},
  };
  for (const auto& c : cases) {
    TMemoryStream src, dst;
    Fill(src, c.In);
    TLZYCompressor comp;
    comp.SetSrcStream(&src);
    comp.SetDestStream(&dst);
    if (!c.Out) {
      EXPECT_THROW(comp.Decompress(), EYCompressError);
      EXPECT_EQ(src.Position(), 5);
    } else {
      comp.Decompress();
    }
    EXPECT_EQ(Bytes(dst), c.Out ? c.Out : "") << test::Hex(c.In);
    if (c.Version != -1) {
      EXPECT_EQ(comp.Version(), c.Version);
    }
  }
}

TEST(LzyStream, ShortVersionKeepsTheMissingBytes) {
  const struct {
    std::string Data;
    bool Result;
    Integer Version;  // from 0x7F6E5D4C
    int64_t Position;
  } cases[] = {
      {"LZY00", true, 0x7F6E5D4C, 5},
      {std::string("LZY00\x11", 6), true, 0x7F6E5D11, 6},
      {std::string("LZY00\x11\x22\x33", 8), true, 0x7F332211, 8},
      {"LZY0", false, 0x7F6E5D4C, 4},
      {"lzy00abcd", false, 0x7F6E5D4C, 5},
      {"", false, 0x7F6E5D4C, 0},
  };
  for (const auto& c : cases) {
    TMemoryStream src;
    Fill(src, c.Data);
    TLZYCompressor comp;
    comp.SetSrcStream(&src);
    Integer v = 0x7F6E5D4C;
    EXPECT_EQ(comp.CheckHeader(v), c.Result) << c.Data;
    EXPECT_EQ(v, c.Version) << c.Data;
    EXPECT_EQ(src.Position(), c.Position) << c.Data;
  }
}

TEST(LzyStream, RecognitionRestoresThePosition) {
  const struct {
    std::string Data;
    int64_t At;
    bool Expected;
  } cases[] = {
      {"", 0, false},          {"LZY0", 0, false},           {"LZY00", 0, true},
      {"LZY01xxxx", 0, false}, {"xxLZY00\0\0\0\0", 2, true}, {"xxLZY00\0\0\0\0", 0, false},
      {"LZY00", 3, false},     {"LZY00", 9, false},  // past the end
  };
  for (const auto& c : cases) {
    TMemoryStream s;
    Fill(s, c.Data);
    s.SetPosition(c.At);
    EXPECT_EQ(IsLZYCompressedStream(s), c.Expected) << c.Data << " at " << c.At;
    EXPECT_EQ(s.Position(), c.At);
  }
}

TEST(LzyStream, ProgressOncePerTokenWithStreamPositions) {
  // 300 bytes: 127 literal tokens read ahead the whole source early on.
  std::string data = test::MakeData("words", 300, 3);
  TMemoryStream src, packed;
  Fill(src, data);
  ProgressLog log;
  LZYCompressStream(&src, &packed, log.Event());

  // Replay the plain coder to get its per-token positions.
  std::vector<std::pair<Integer, Integer>> expected;
  TMemoryStream src2, plain;
  Fill(src2, data);
  detail::PlainCompressSource(src2, plain,
                              [&](Integer p, Integer m) { expected.emplace_back(p, m); });
  EXPECT_EQ(log.Calls, expected);
  ASSERT_FALSE(log.Calls.empty());
  EXPECT_EQ(log.Calls.front().first, 127);
  EXPECT_EQ(log.Calls.back(), std::make_pair(Integer{300}, Integer{300}));
  // Nothing to code: only the header, and no call.
  TMemoryStream none, header;
  ProgressLog silent;
  LZYCompressStream(&none, &header, silent.Event());
  EXPECT_EQ(Bytes(header), kEmptyStream);
  header.SetPosition(0);
  LZYDecompressStream(&header, &none, silent.Event());
  EXPECT_EQ(none.Size(), 0);
  EXPECT_TRUE(silent.Calls.empty());

  // Decompressing reports the compressed stream's position after each token.
  ProgressLog back;
  TMemoryStream out;
  packed.SetPosition(0);
  LZYDecompressStream(&packed, &out, back.Event());
  std::vector<std::pair<Integer, Integer>> expectedBack;
  TMemoryStream plainOut;
  packed.SetPosition(9);
  detail::PlainDecompressSource(packed, plainOut,
                                [&](Integer p, Integer m) { expectedBack.emplace_back(p, m); });
  EXPECT_EQ(back.Calls, expectedBack);
  EXPECT_EQ(back.Calls.back().first, packed.Size());
  EXPECT_EQ(Bytes(out), data);

  // The sender is the compressor of the call, and the output does not depend
  // on whether anyone listens.
  TMemoryStream quiet;
  src.SetPosition(0);
  LZYCompressStream(&src, &quiet);
  EXPECT_EQ(Bytes(quiet), Bytes(packed));
  TLZYCompressor c;
  std::vector<TObject*> senders;
  c.SetOnProgress([&](TObject* s, Integer, Integer) { senders.push_back(s); });
  src.SetPosition(0);
  TMemoryStream viaObject;
  c.SetSrcStream(&src);
  c.SetDestStream(&viaObject);
  c.Compress();
  ASSERT_FALSE(senders.empty());
  EXPECT_EQ(senders.front(), &c);
  EXPECT_EQ(Bytes(viaObject), Bytes(packed));
}

// A descendant that listens by overriding DoOnProgress gets every token's
// call without setting OnProgress, also when it calls the inherited one; the
// calls are those a listener on OnProgress gets.
TEST(LzyStream, OverriddenDoOnProgressIsCalledWithoutAListener) {
  struct Counting : TLZYCompressor {
    std::vector<std::pair<Integer, Integer>> Calls;
    bool CallInherited = false;
    void DoOnProgress(Integer p, Integer m) override {
      Calls.emplace_back(p, m);
      if (CallInherited) TLZYCompressor::DoOnProgress(p, m);
    }
  };
  const std::string data = test::MakeData("words", 5000, 8);
  for (bool inherited : {false, true}) {
    TMemoryStream src, packed, out, viaEvent;
    Fill(src, data);
    Counting c;
    c.CallInherited = inherited;
    c.SetSrcStream(&src);
    c.SetDestStream(&packed);
    c.Compress();
    ProgressLog log;
    src.SetPosition(0);
    LZYCompressStream(&src, &viaEvent, log.Event());
    EXPECT_EQ(c.Calls, log.Calls);
    ASSERT_GT(c.Calls.size(), 100u);
    EXPECT_EQ(Bytes(packed), Bytes(viaEvent));

    Counting d;
    d.CallInherited = inherited;
    packed.SetPosition(0);
    d.SetSrcStream(&packed);
    d.SetDestStream(&out);
    d.Decompress();
    ProgressLog back;
    packed.SetPosition(0);
    TMemoryStream out2;
    LZYDecompressStream(&packed, &out2, back.Event());
    EXPECT_EQ(d.Calls, back.Calls);
    EXPECT_EQ(Bytes(out), data);
  }
}

// A listener that stops the work by raising leaves the caller's streams
// usable and the exception unchanged.
TEST(LzyStream, ExceptionFromProgressPassesThrough) {
  TMemoryStream src, dst;
  Fill(src, test::MakeData("random", 5000, 9));
  int calls = 0;
  EXPECT_THROW(LZYCompressStream(&src, &dst,
                                 [&](TObject*, Integer, Integer) {
                                   if (++calls == 100) throw EConvertError(u"stop");
                                 }),
               EConvertError);
  EXPECT_EQ(calls, 100);
}

TEST(LzyStream, CheckHeaderAsAnOptional) {
  const struct {
    std::string Data;
    std::optional<Integer> Version;
    int64_t Position;
  } cases[] = {
      {std::string("LZY00\x11\x22\x33\x44", 9), 0x44332211, 9},
      {std::string("LZY00\x11", 6), 0x11, 6},  // missing bytes are zero
      {"LZY00", 0, 5},
      {"LZX00abcd", std::nullopt, 5},
      {"LZY", std::nullopt, 3},
  };
  for (const auto& c : cases) {
    TMemoryStream src;
    Fill(src, c.Data);
    TLZYCompressor comp;
    comp.SetSrcStream(&src);
    EXPECT_EQ(comp.CheckHeader(), c.Version) << c.Data;
    EXPECT_EQ(src.Position(), c.Position) << c.Data;
  }
}

}  // namespace
}  // namespace dz
