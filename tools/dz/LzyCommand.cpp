// dz lzy: compress, decompress and recognise LZY streams at the shell.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "deziva27/compress/YCompress.h"
#include "deziva27/host/runtime/Strings.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

constexpr const char* kHelp =
    "usage: dz lzy compress [-f] [-T N] IN OUT\n"
    "       dz lzy decompress [-f] IN OUT\n"
    "       dz lzy check FILE\n"
    "\n"
    "Compresses IN into an LZY stream at OUT, or restores it. '-' as IN or OUT\n"
    "is standard input or output. A progress bar is shown on standard error\n"
    "when it is a terminal.\n"
    "\n"
    "OUT is written beside its final place and put there only when the work\n"
    "succeeded, so a failed or interrupted run leaves no partial file and an\n"
    "old OUT as it was. An OUT that exists is replaced only with -f (--force),\n"
    "keeping its permissions; a symbolic link is followed and the file it\n"
    "points to is replaced. A device, FIFO or socket as OUT is written in\n"
    "place, never replaced. Compressed data goes to a terminal only with -f.\n"
    "\n"
    "-T N (--threads=N) codes on N threads, 0 (the default) on every core;\n"
    "the bytes written are the same for any N. Inputs under 512 KiB are coded\n"
    "on one thread.\n"
    "\n"
    "check exits with 0 when FILE starts with an LZY stream and 1 when not.\n";

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

int Code(const std::string& in, const std::string& out, bool compress, bool force, int threads) {
  // OUT first: a refusal comes before standard input is read to its end.
  Output dst(out, force);
  std::unique_ptr<TStream> src = OpenInput(in);
  // Compressed bytes on a terminal help no one and may upset it.
  if (compress && !force && dst.IsTerminal())
    throw FileError("compressed data not written to a terminal; use -f to force it");
  ProgressBar bar;
  try {
    if (compress)
      LZYCompressStream(src.get(), &dst.Stream(), bar.Event(), threads);
    else
      LZYDecompressStream(src.get(), &dst.Stream(), bar.Event());
  } catch (const EYCompressError& e) {
    throw FileError(DisplayName(in) + ": " + e.what());  // a stream that is not LZY
  }
  dst.Commit();
  return kOk;
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
    s = OpenInput(file);
  }
  bool yes = IsLZYCompressedStream(*s);
  std::printf("%s: %s\n", file.c_str(), yes ? "LZY stream" : "not an LZY stream");
  return yes ? kOk : kNo;
}

int RunLzy(const Args& args) {
  if (args.empty()) throw UsageError("missing subcommand");
  const std::string& sub = args[0];
  if (sub == "compress" || sub == "decompress") {
    bool force = false, options = true;
    int threads = 0;
    Args files;
    for (size_t i = 1; i < args.size(); ++i) {
      const std::string& a = args[i];
      if (!options || a.size() < 2 || a[0] != '-') {
        files.push_back(a);
      } else if (a == "-f" || a == "--force") {
        force = true;
      } else if (a == "--") {
        options = false;
      } else if (a.rfind("-T", 0) == 0 || a.rfind("--threads=", 0) == 0) {
        std::string v = a == "-T" ? (i + 1 < args.size() ? args[++i] : "")
                        : a[1] == 'T' ? a.substr(2)
                                      : a.substr(10);
        char* end = nullptr;
        long n = std::strtol(v.c_str(), &end, 10);
        if (v.empty() || *end != '\0' || n < 0 || n > 256)
          throw UsageError("-T needs a thread count from 0 to 256");
        threads = static_cast<int>(n);
      } else {
        throw UsageError("unknown option '" + a + "'");
      }
    }
    if (files.size() != 2) throw UsageError(sub + " takes IN and OUT");
    return Code(files[0], files[1], sub == "compress", force, threads);
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

Register reg({"lzy", "LZ compression in the LZY stream format", kHelp, RunLzy, {"-T"}});
RegisterDemo demo({50, "LZY compression (samples/lzy-sample.txt)", ShowLzy});

}  // namespace
}  // namespace dz::tool
