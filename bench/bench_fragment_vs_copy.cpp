// GPX_Fragment through its public C function next to one full-frame memcpy,
// the cheapest thing a frame could cost. Each round times one copy and then
// one effect frame, so a busy machine slows both alike; the table shows the
// medians of 15 rounds per size and frame, and their ratio.
//   bench_fragment_vs_copy [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "r_vold_graphics.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

template <class F>
double TimeMs(F&& f) {
  const auto start = Clock::now();
  f();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  std::printf("%-10s %5s %12s %12s %7s\n", "size", "frame", "fragment ms", "memcpy ms", "ratio");
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
    int32_t result = 0;
    GPX_Fragment(&out, &in, 0, &result);  // touch every page once
    std::memcpy(copy.data(), source.data(), count * 4);
    for (int frame : {0, 50, 99}) {
      std::vector<double> effect, plain;
      for (int r = 0; r < rounds; ++r) {
        plain.push_back(TimeMs([&] { std::memcpy(copy.data(), source.data(), count * 4); }));
        effect.push_back(TimeMs([&] { GPX_Fragment(&out, &in, frame, &result); }));
        if (result != 1) {
          std::fprintf(stderr, "GPX_Fragment failed at %dx%d frame %d\n", w, h, frame);
          return 1;
        }
      }
      const double e = Median(effect), p = Median(plain);
      std::printf("%4dx%-5d %5d %12.3f %12.3f %7.2f\n", w, h, frame, e, p, e / p);
    }
  }
  return 0;
}
