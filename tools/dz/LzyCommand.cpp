// dz lzy: compress, decompress and recognise LZY streams at the shell.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "deziva27/compress/YCompress.h"
#include "deziva27/host/Strings.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

constexpr const char* kHelp =
    "usage: dz lzy compress IN OUT\n"
    "       dz lzy decompress IN OUT\n"
    "       dz lzy check FILE\n"
    "\n"
    "Compresses IN into an LZY stream at OUT, or restores it. '-' as IN or OUT\n"
    "is standard input or output. OUT is replaced only when the work succeeded.\n"
    "A progress bar is shown on standard error when it is a terminal.\n"
    "\n"
    "check exits with 0 when FILE starts with an LZY stream and 1 when not.\n";

// Standard input spooled to an unnamed temporary file: the coder needs a
// stream that knows its size, and a file keeps memory flat for any input.
std::unique_ptr<THandleStream> SpoolStdin() {
  std::FILE* tmp = std::tmpfile();
  if (!tmp) throw std::runtime_error("cannot create a temporary file");
  int fd = ::dup(fileno(tmp));
  std::fclose(tmp);
  auto s = std::make_unique<THandleStream>(fd);
  char buf[1 << 16];
  for (ssize_t n; (n = ::read(0, buf, sizeof buf)) != 0;) {
    if (n < 0) throw std::runtime_error("cannot read standard input");
    s->WriteBuffer(buf, static_cast<int32_t>(n));
  }
  s->SetPosition(0);
  return s;
}

// Draws a bar on stderr, redrawn only when the shown percentage changes.
class ProgressBar {
 public:
  ProgressBar() : FActive(::isatty(2) == 1) {}
  ~ProgressBar() {
    if (FShown) std::fputs("\r\033[K", stderr);
  }

  TProgressEvent Event() {
    if (!FActive) return {};
    return [this](TObject* sender, Integer pos, Integer max) { Update(sender, pos, max); };
  }

 private:
  void Update(TObject* sender, Integer pos, Integer max) {
    // The event's values are cut to 32 bits; past 2 GiB ask the stream,
    // which runs at most one read block ahead of the coder.
    int64_t p = pos, m = max;
    if (m <= 0 || p < 0) {
      if ((++FCalls & 0xFFF) != 0) return;
      TStream* s = static_cast<TYCompressor*>(sender)->SrcStream();
      p = s->Position();
      m = s->Size();
    }
    if (m <= 0) return;
    int pct = static_cast<int>(p * 100 / m);
    if (pct == FLast) return;
    FLast = pct;
    FShown = true;
    constexpr int kWidth = 40;
    std::string bar(static_cast<size_t>(pct * kWidth / 100), '#');
    bar.resize(kWidth, ' ');
    std::fprintf(stderr, "\r[%s] %3d%%  %lld / %lld bytes", bar.c_str(), pct,
                 static_cast<long long>(p), static_cast<long long>(m));
    std::fflush(stderr);
  }

  bool FActive;
  bool FShown = false;
  int FLast = -1;
  unsigned FCalls = 0;
};

int Code(const std::string& in, const std::string& out, bool compress) {
  ProgressBar bar;
  if (in != "-" && out != "-") {
    // Files on both sides: the library's file routines replace OUT safely.
    if (compress)
      LZYCompressFile(Utf8ToUtf16(in), Utf8ToUtf16(out), bar.Event());
    else
      LZYDecompressFile(Utf8ToUtf16(in), Utf8ToUtf16(out), bar.Event());
    return kOk;
  }
  std::unique_ptr<TStream> src;
  if (in == "-")
    src = SpoolStdin();
  else
    src = std::make_unique<TFileStream>(in, fmOpenRead);
  if (out == "-") {
    THandleStream dst(1);
    if (compress)
      LZYCompressStream(src.get(), &dst, bar.Event());
    else
      LZYDecompressStream(src.get(), &dst, bar.Event());
    return kOk;
  }
  // Standard input to a file: code into a memory-flat spool, then let the
  // file routine place the result, so that OUT is never left half written.
  std::string spool =
      std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/dz-lzy-XXXXXX";
  int fd = ::mkstemp(spool.data());
  if (fd < 0) throw std::runtime_error("cannot create a temporary file");
  struct Unlink {
    std::string Name;
    ~Unlink() { ::unlink(Name.c_str()); }
  } cleanup{spool};
  {
    THandleStream tmp(fd);
    src->SetPosition(0);
    tmp.CopyFrom(*src, src->Size());
    ::close(fd);
  }
  return Code(spool, out, compress);
}

int Check(const std::string& file) {
  std::unique_ptr<TStream> s;
  if (file == "-") {
    // Only the first five bytes matter; a pipe cannot be rewound.
    auto mem = std::make_unique<TMemoryStream>();
    char head[5];
    ssize_t n = 0;
    for (ssize_t r; n < 5 && (r = ::read(0, head + n, static_cast<size_t>(5 - n))) > 0;) n += r;
    mem->Write(head, static_cast<int32_t>(n));
    mem->SetPosition(0);
    s = std::move(mem);
  } else {
    s = std::make_unique<TFileStream>(file, fmOpenRead);
  }
  bool yes = IsLZYCompressedStream(*s);
  std::printf("%s: %s\n", file.c_str(), yes ? "LZY stream" : "not an LZY stream");
  return yes ? kOk : kNo;
}

int RunLzy(const Args& args) {
  if (args.empty()) throw UsageError("missing subcommand");
  const std::string& sub = args[0];
  if (sub == "compress" || sub == "decompress") {
    if (args.size() != 3) throw UsageError(sub + " takes IN and OUT");
    return Code(args[1], args[2], sub == "compress");
  }
  if (sub == "check") {
    if (args.size() != 2) throw UsageError("check takes one FILE");
    return Check(args[1]);
  }
  throw UsageError("unknown subcommand '" + sub + "'");
}

void ShowLzy() {
  std::string sample = SamplesDir() + "/lzy-sample.txt";
  TFileStream src(sample, fmOpenRead);
  TMemoryStream packed, back;
  LZYCompressStream(&src, &packed);
  packed.SetPosition(0);
  bool recognised = IsLZYCompressedStream(packed);
  LZYDecompressStream(&packed, &back);
  src.SetPosition(0);
  TMemoryStream original;
  original.LoadFromStream(src);
  bool same = original.Size() == back.Size() &&
              std::equal(original.Memory(), original.Memory() + original.Size(), back.Memory());
  std::printf("lzy-sample.txt: %lld bytes -> %lld bytes compressed (%.1f%%)\n",
              static_cast<long long>(original.Size()), static_cast<long long>(packed.Size()),
              100.0 * static_cast<double>(packed.Size()) / static_cast<double>(original.Size()));
  std::printf("starts with an LZY header: %s\n", recognised ? "yes" : "no");
  std::printf("round trip gives the same bytes: %s\n", same ? "yes" : "NO");
}

Register reg({"lzy", "LZ compression in the LZY stream format", kHelp, RunLzy});
RegisterDemo demo({50, "LZY compression (samples/lzy-sample.txt)", ShowLzy});

}  // namespace
}  // namespace dz::tool
