// The effect library's own time per frame in this environment, the figure the
// saver's in-situ timing is held against: GPX_Fragment between two top-down
// DIB sections of the screen's size, frames 0, 50 and 99 in turn, 15 rounds.
// Each call follows a full-frame copy and a pause of about one refresh
// interval, the way each call in the saver follows the presenting of a frame
// and the wait for the next refresh: the caches and the processor's clock are
// then as the saver finds them. (Back to back, the calls ran 1.5 to 2.5 times
// faster than the same calls inside the saver.)
// Built with the Windows end-to-end programs, for saver_speed_e2e.sh.
// Usage: fragment_timing.exe LIBRARY WIDTH HEIGHT; prints "median_us N".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "r_vold_graphics.h"

namespace {

HDC SectionDc(int width, int height, uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* memory = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  if (bitmap == nullptr || dc == nullptr) return nullptr;
  SelectObject(dc, bitmap);
  *bits = static_cast<uint32_t*>(memory);
  return dc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: fragment_timing LIBRARY WIDTH HEIGHT\n");
    return 2;
  }
  const int width = std::atoi(argv[2]);
  const int height = std::atoi(argv[3]);
  HMODULE module = LoadLibraryA(argv[1]);
  auto fragment = module ? reinterpret_cast<GPX_FragmentFn>(
                               reinterpret_cast<void*>(GetProcAddress(module, "GPX_Fragment")))
                         : nullptr;
  uint32_t* source_bits = nullptr;
  uint32_t* target_bits = nullptr;
  HDC source = SectionDc(width, height, &source_bits);
  HDC target = SectionDc(width, height, &target_bits);
  if (fragment == nullptr || source == nullptr || target == nullptr) {
    std::fprintf(stderr, "cannot load %s or make %dx%d sections\n", argv[1], width, height);
    return 1;
  }
  uint32_t state = 0x2545F491u;
  for (size_t i = 0; i < size_t(width) * height; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    source_bits[i] = state;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  std::vector<uint32_t> presented(size_t(width) * height);
  int32_t result = 0;
  fragment(target, source, 0, &result);  // warm the pages and the caches
  for (int round = 0; round < 15; ++round) {
    for (int frame : {0, 50, 99}) {
      std::memcpy(presented.data(), target_bits, presented.size() * sizeof(uint32_t));
      Sleep(15);
      LARGE_INTEGER before;
      LARGE_INTEGER after;
      QueryPerformanceCounter(&before);
      fragment(target, source, frame, &result);
      QueryPerformanceCounter(&after);
      if (result != 1) {
        std::fprintf(stderr, "GPX_Fragment failed on frame %d\n", frame);
        return 1;
      }
      times.push_back(double(after.QuadPart - before.QuadPart) * 1e6 / double(frequency.QuadPart));
    }
  }
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  std::printf("median_us %.1f\n", times[times.size() / 2]);
  return 0;
}
