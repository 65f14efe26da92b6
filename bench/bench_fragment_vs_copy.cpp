// The effect frame next to the cheapest thing a frame could cost: one memcpy of
// the same bytes. Each round times the copy, then GPX_Fragment through its
// public C function (with "paths", then also the reference and each fast path
// directly), so a busy machine slows every contender alike; the table shows
// medians of the rounds (15 unless given) per size and frame, and
// GPX_Fragment's ratio to the copy.
//   bench_fragment_vs_copy [ROUNDS] [paths]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gpx_fragment.h"
#include "r_vold_graphics.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Contender {
  std::string name;
  std::function<void(int frame)> draw;
  std::vector<double> ms;
};

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const bool paths = argc > 2 && std::strcmp(argv[2], "paths") == 0;
  std::printf("GPX_Fragment runs on %s. Medians of %d rounds, milliseconds.\n",
              gpx::IsaName(gpx::BestIsa()), rounds);
  bool header = false;
  for (auto [w, h] : {std::pair{3840, 2160}, std::pair{1920, 1080}}) {
    const std::size_t count = std::size_t(w) * h;
    std::vector<uint32_t> source(count), target(count), copy(count);
    uint32_t state = 0x2545F491u;
    for (uint32_t& p : source) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      p = state;
    }
    GPX_Surface in{GPX_SURFACE_MAGIC, w, h, w * 4, source.data()};
    GPX_Surface out{GPX_SURFACE_MAGIC, w, h, w * 4, target.data()};
    const gpx::Pixels src{source.data(), w, h, std::ptrdiff_t(w) * 4};
    const gpx::Pixels dst{target.data(), w, h, std::ptrdiff_t(w) * 4};
    int32_t result = 0;
    std::vector<Contender> contenders;
    contenders.push_back({"memcpy", [&](int) { std::memcpy(copy.data(), source.data(), count * 4); }, {}});
    contenders.push_back({"GPX_Fragment", [&](int frame) { GPX_Fragment(&out, &in, frame, &result); }, {}});
    if (paths) contenders.push_back({"reference", [&](int frame) {
                            gpx::FragmentReference(dst, src, gpx::OffsetForFrame(frame, w, h));
                          }, {}});
    for (gpx::Isa isa : {gpx::Isa::Portable, gpx::Isa::Sse2, gpx::Isa::Avx2}) {
      if (!paths || !gpx::IsaAvailable(isa)) continue;
      contenders.push_back({gpx::IsaName(isa), [&, isa](int frame) {
                              gpx::FragmentFast(dst, src, gpx::OffsetForFrame(frame, w, h), isa);
                            }, {}});
    }
    if (!header) {
      std::printf("%-10s %5s %7s", "size", "frame", "ratio");
      for (const Contender& c : contenders) std::printf(" %12s", c.name.c_str());
      std::printf("\n");
      header = true;
    }
    for (Contender& c : contenders) c.draw(0);  // touch every page once
    for (int frame : {0, 50, 99}) {
      for (Contender& c : contenders) c.ms.clear();
      for (int r = 0; r < rounds; ++r) {
        for (Contender& c : contenders) {
          const auto start = Clock::now();
          c.draw(frame);
          c.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        if (result != 1) {
          std::fprintf(stderr, "GPX_Fragment failed at %dx%d frame %d\n", w, h, frame);
          return 1;
        }
      }
      std::printf("%4dx%-5d %5d %7.2f", w, h, frame, Median(contenders[1].ms) / Median(contenders[0].ms));
      for (const Contender& c : contenders) std::printf(" %12.3f", Median(c.ms));
      std::printf("\n");
    }
  }
  return 0;
}
