// A stand-in for r_vold_graphics.dll that times the saver's calls: it forwards
// GPX_Fragment to the real library, copied beside it as
// r_vold_graphics.real.dll, and appends one line per call, "frame
// microseconds", to the file named by GPX_TIMING_LOG (no file: no record).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "r_vold_graphics.h"

namespace {

GPX_FragmentFn real_fragment = nullptr;
std::FILE* timing_log = nullptr;
double ticks_per_us = 0;

bool Bind() {
  static bool tried = false;
  if (tried) return real_fragment != nullptr;
  tried = true;
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&Bind), &self);
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  std::wstring real(path, length);
  real = real.substr(0, real.find_last_of(L"\\/") + 1) + L"r_vold_graphics.real.dll";
  HMODULE module = LoadLibraryW(real.c_str());
  if (module == nullptr) return false;
  real_fragment = reinterpret_cast<GPX_FragmentFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "GPX_Fragment")));
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  ticks_per_us = static_cast<double>(frequency.QuadPart) / 1e6;
  if (const char* name = std::getenv("GPX_TIMING_LOG")) timing_log = std::fopen(name, "a");
  return real_fragment != nullptr;
}

}  // namespace

extern "C" GPX_API int32_t GPX_CALL GPX_Fragment(GPX_Handle destination, GPX_Handle source,
                                                 int32_t frame, int32_t* result) {
  if (!Bind()) {
    if (result != nullptr) *result = 0;
    return 0;
  }
  LARGE_INTEGER before;
  LARGE_INTEGER after;
  QueryPerformanceCounter(&before);
  const int32_t ok = real_fragment(destination, source, frame, result);
  QueryPerformanceCounter(&after);
  if (timing_log != nullptr) {
    // Flushed per call: the saver ends by being killed.
    std::fprintf(timing_log, "%d %.1f\n", static_cast<int>(frame),
                 static_cast<double>(after.QuadPart - before.QuadPart) / ticks_per_us);
    std::fflush(timing_log);
  }
  return ok;
}
