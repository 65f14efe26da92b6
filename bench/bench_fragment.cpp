// Cost of one effect frame next to the cheapest thing a frame could cost: one
// copy of the same number of bytes. Compare medians over repetitions, run
// interleaved so a busy machine slows every contender alike:
//   bench_fragment --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true
//                  --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "gpx_fragment.h"
#include "r_vold_graphics.h"

namespace {

struct Frame {
  int width;
  int height;
  std::vector<uint32_t> source;
  std::vector<uint32_t> target;

  Frame(int w, int h) : width(w), height(h), source(std::size_t(w) * h), target(std::size_t(w) * h) {
    uint32_t state = 0x2545F491u;
    for (uint32_t& p : source) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      p = state;
    }
  }
  gpx::Pixels In() { return {source.data(), width, height, std::ptrdiff_t(width) * 4}; }
  gpx::Pixels Out() { return {target.data(), width, height, std::ptrdiff_t(width) * 4}; }
  std::size_t Bytes() const { return source.size() * 4; }
};

template <class Draw>
void Run(benchmark::State& state, Draw draw) {
  Frame frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const int number = static_cast<int>(state.range(2));
  for (auto _ : state) {
    draw(frame, number);
    benchmark::DoNotOptimize(frame.target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.Bytes()));
}

void BM_FrameCopy(benchmark::State& state) {
  Run(state, [](Frame& f, int) { std::memcpy(f.target.data(), f.source.data(), f.Bytes()); });
}

void BM_Reference(benchmark::State& state) {
  Run(state, [](Frame& f, int number) {
    gpx::FragmentReference(f.Out(), f.In(), gpx::OffsetForFrame(number, f.width, f.height));
  });
}

template <gpx::Isa kIsa>
void BM_Fast(benchmark::State& state) {
  if (!gpx::IsaAvailable(kIsa)) {
    state.SkipWithError("instruction set not available on this CPU");
    return;
  }
  Run(state, [](Frame& f, int number) {
    gpx::FragmentFast(f.Out(), f.In(), gpx::OffsetForFrame(number, f.width, f.height), kIsa);
  });
}

// The whole call as the program makes it, through the shared library.
void BM_GPX_Fragment(benchmark::State& state) {
  state.SetLabel(gpx::IsaName(gpx::BestIsa()));
  Run(state, [](Frame& f, int number) {
    GPX_Surface in{GPX_SURFACE_MAGIC, f.width, f.height, f.width * 4, f.source.data()};
    GPX_Surface out{GPX_SURFACE_MAGIC, f.width, f.height, f.width * 4, f.target.data()};
    int32_t result = 0;
    GPX_Fragment(&out, &in, number, &result);
  });
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"w", "h", "frame"});
  for (auto [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
    for (int frame : {0, 50, 99}) b->Args({w, h, frame});
  }
  b->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_FrameCopy)->Apply(Sizes);
BENCHMARK(BM_Reference)->Apply(Sizes);
BENCHMARK(BM_Fast<gpx::Isa::Portable>)->Apply(Sizes);
BENCHMARK(BM_Fast<gpx::Isa::Sse2>)->Apply(Sizes);
BENCHMARK(BM_Fast<gpx::Isa::Avx2>)->Apply(Sizes);
BENCHMARK(BM_GPX_Fragment)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
