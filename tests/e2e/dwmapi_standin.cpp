// A stand-in for the system's dwmapi.dll: it reports the desktop composed,
// and its DwmFlush either returns at once (as with the display off) or, built
// with -DFLUSH_BLOCK_MS=N, blocks for N ms (as with some drivers). The first
// flushes and every 30th write "flushes milliseconds" to the file named by
// TOLVARIN_DWM_LOG, so a script can see the drawing start and count frames. Built and installed by pacing_e2e.sh.
#include <windows.h>

#include <cstdio>

#ifndef FLUSH_BLOCK_MS
#define FLUSH_BLOCK_MS 0
#endif

namespace {
long flushes = 0;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DwmIsCompositionEnabled(BOOL* enabled) {
  if (!enabled) return E_INVALIDARG;
  *enabled = TRUE;
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DwmFlush() {
  if (FLUSH_BLOCK_MS > 0) Sleep(FLUSH_BLOCK_MS);
  if (++flushes <= 3 || flushes % 30 == 0) {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("TOLVARIN_DWM_LOG", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      if (FILE* log = std::fopen(path, "w")) {
        std::fprintf(log, "%ld %lu\n", flushes, GetTickCount());
        std::fclose(log);
      }
    }
  }
  return S_OK;
}
