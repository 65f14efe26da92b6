// The saver's frame loop on the simulated platform with pacing off: the cost
// of one frame (effect, reset when due, refresh to the screen, message pump)
// beside one full-frame memory copy measured in the same run. Arguments:
// monitor width, height and count (side by side; the saver spans them all).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "support/sim_run.h"
#include "r_vold_graphics.h"
#include "saver/saver_window.h"
#include "startup/entry.h"

namespace {

using namespace tolvarin;

std::int32_t GPX_CALL NoEffect(GPX_Handle, GPX_Handle, std::int32_t, std::int32_t* result) {
  if (result) *result = 1;
  return 1;
}

constexpr std::int64_t kFramesPerCycle = 101;  // effect degree 100

void Loop(benchmark::State& state, GPX_FragmentFn effect) {
  sim::SimOptions options;
  options.screenWidth = std::int32_t(state.range(0));
  options.screenHeight = std::int32_t(state.range(1));
  for (std::int32_t i = 1; i < std::int32_t(state.range(2)); ++i)
    options.monitors.push_back(RectL{i * options.screenWidth, 0, (i + 1) * options.screenWidth, options.screenHeight});
  sim::SimPlatform platform(options);
  Bitmap desktop(platform.desktop.Screen().width, platform.desktop.Screen().height);
  for (std::size_t i = 0; i < desktop.pixels.size(); ++i) desktop.pixels[i] = std::uint32_t(i * 2654435761u) & 0xFFFFFF;
  platform.desktop.SetWallpaper(desktop);
  platform.libraries.Install("r_vold_graphics.dll", {{"GPX_Fragment", reinterpret_cast<void*>(effect)}});
  platform.windowing.refreshInterval = 0;
  Program program(platform.platform());
  Main(program);
  program.state.settings.effectDegree = 100;

  for (auto _ : state) {
    // One full cycle per iteration, so the reset is counted in its share.
    platform.windowing.haltAfterRefreshes = platform.windowing.refreshCount + kFramesPerCycle;
    try {
      program.saverWindow->Timer3_Timer();
    } catch (const sim::SimHalt&) {
    }
  }
  state.counters["frame"] = benchmark::Counter(double(state.iterations() * kFramesPerCycle),
                                               benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void FrameCopy(benchmark::State& state) {
  const std::size_t bytes = std::size_t(state.range(0)) * std::size_t(state.range(1)) * std::size_t(state.range(2)) * 4;
  std::vector<std::uint8_t> from(bytes, 1), to(bytes, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.counters["frame"] = benchmark::Counter(double(state.iterations()),
                                               benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void LoopNoEffect(benchmark::State& state) { Loop(state, &NoEffect); }
void LoopRealEffect(benchmark::State& state) { Loop(state, &::GPX_Fragment); }

#define SIZES \
  ->Args({1920, 1080, 1})->Args({1920, 1080, 2})->Args({3840, 2160, 1})->Unit(benchmark::kMillisecond)->UseRealTime()
BENCHMARK(FrameCopy) SIZES;
BENCHMARK(LoopNoEffect) SIZES;
BENCHMARK(LoopRealEffect) SIZES;

}  // namespace

BENCHMARK_MAIN();
