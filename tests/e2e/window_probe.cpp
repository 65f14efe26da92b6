// Reports what Windows itself knows of a top-level window, for the checks the
// X side cannot make (topmost, foreground, styles), and the monitors Windows
// sees. Built and run by run_e2e.sh and monitors_e2e.sh.
//
// Usage: window_probe.exe TITLE
// Prints one line of name=value pairs and exits 0, or "found=0" and the
// monitors and exits 1 when no top-level window has exactly that title.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_probe.exe TITLE\n");
    return 2;
  }
  const int length = MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, nullptr, 0);
  std::wstring title(length > 0 ? std::size_t(length) : 1, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, title.data(), length);
  std::printf("monitors=%d virtual=%d,%d,%d,%d ", GetSystemMetrics(SM_CMONITORS),
              GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
              GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  HWND window = FindWindowW(nullptr, title.c_str());
  if (!window) {
    std::printf("found=0\n");
    return 1;
  }
  RECT rect{};
  GetWindowRect(window, &rect);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  std::printf(
      "found=1 visible=%d topmost=%d foreground=%d popup=%d caption=%d toolwindow=%d "
      "left=%ld top=%ld width=%ld height=%ld\n",
      IsWindowVisible(window) ? 1 : 0, (exStyle & WS_EX_TOPMOST) ? 1 : 0,
      GetForegroundWindow() == window ? 1 : 0, (style & WS_POPUP) ? 1 : 0,
      (style & WS_CAPTION) == WS_CAPTION ? 1 : 0, (exStyle & WS_EX_TOOLWINDOW) ? 1 : 0, rect.left,
      rect.top, rect.right - rect.left, rect.bottom - rect.top);
  return 0;
}
