// What the per-token progress call costs the LZY coders, measured in one run
// on 16 MiB of C headers (DZ_BENCH_MB changes the size):
//   0  a TLZYCompressor with no listener: the coders leave the call out
//   1  a descendant overriding DoOnProgress with an empty body: called per token
//   2  OnProgress set to an empty function: called per token through the event
// Mode 0 against BM_Stream (the stream routine, the plain user) is the cost
// of finding out whether anyone listens; modes 1 and 2 are the price of
// listening. All on one thread, so that only the call differs.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/Corpus.h"
#include "deziva27/compress/YCompress.h"

namespace {

const std::string& Text() {
  static const std::string text = dz::bench::Concat("/usr/include", true, dz::bench::CorpusSize());
  return text;
}

struct Overriding : dz::TLZYCompressor {
  void DoOnProgress(dz::Integer p, dz::Integer m) override { benchmark::DoNotOptimize(p + m); }
};

using dz::bench::Load;

// range(0): mode as above; range(1): 0 compress, 1 decompress.
void BM_Progress(benchmark::State& state) {
  const std::string& data = Text();
  const bool decompress = state.range(1) == 1;
  dz::TMemoryStream plain, packed, out;
  Load(plain, data);
  dz::LZYCompressStream(&plain, &packed, {}, 1);
  for (auto _ : state) {
    std::unique_ptr<dz::TLZYCompressor> c;
    if (state.range(0) == 1)
      c = std::make_unique<Overriding>();
    else
      c = std::make_unique<dz::TLZYCompressor>();
    if (state.range(0) == 2) c->SetOnProgress([](dz::TObject*, dz::Integer, dz::Integer) {});
    c->SetThreads(1);
    dz::TMemoryStream& src = decompress ? packed : plain;
    src.SetPosition(0);
    out.SetSize(0);
    out.SetPosition(0);
    c->SetSrcStream(&src);
    c->SetDestStream(&out);
    if (decompress)
      c->Decompress();
    else
      c->Compress();
    benchmark::DoNotOptimize(out.Memory());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(data.size()));
}

void BM_Stream(benchmark::State& state) {
  const std::string& data = Text();
  const bool decompress = state.range(0) == 1;
  dz::TMemoryStream plain, packed, out;
  Load(plain, data);
  dz::LZYCompressStream(&plain, &packed, {}, 1);
  for (auto _ : state) {
    dz::TMemoryStream& src = decompress ? packed : plain;
    src.SetPosition(0);
    out.SetSize(0);
    out.SetPosition(0);
    if (decompress)
      dz::LZYDecompressStream(&src, &out);
    else
      dz::LZYCompressStream(&src, &out, {}, 1);
    benchmark::DoNotOptimize(out.Memory());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(data.size()));
}

}  // namespace

BENCHMARK(BM_Stream)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Progress)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
