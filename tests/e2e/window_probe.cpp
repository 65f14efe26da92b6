// Reports what Windows itself knows of a top-level window, for the checks the
// X side cannot make (topmost, styles), and the monitors Windows sees. Built
// and run by run_e2e.sh and monitors_e2e.sh.
//
// Usage: window_probe.exe TITLE
// Prints one line of name=value pairs and exits 0, or "found=0" and the
// monitors and exits 1 when no top-level window has exactly that title.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_probe.exe TITLE\n");
    return 2;
  }
  std::printf("monitors=%d virtual=%d,%d,%d,%d ", GetSystemMetrics(SM_CMONITORS),
              GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
              GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  HWND window = FindWindowA(nullptr, argv[1]);
  if (!window) {
    std::printf("found=0\n");
    return 1;
  }
  RECT rect{};
  GetWindowRect(window, &rect);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  std::printf("found=1 visible=%d topmost=%d popup=%d caption=%d left=%ld top=%ld width=%ld height=%ld\n",
              IsWindowVisible(window) ? 1 : 0, (exStyle & WS_EX_TOPMOST) ? 1 : 0,
              (style & WS_POPUP) ? 1 : 0, (style & WS_CAPTION) == WS_CAPTION ? 1 : 0, rect.left, rect.top,
              rect.right - rect.left, rect.bottom - rect.top);
  return 0;
}
