// Hosts Tolvarin.scr's preview the way the display settings do: a window with
// a borderless preview area, whose handle goes on the command line after /p.
// Checks that the preview appears as a child covering the area and showing the
// picture, and that the process ends when the area goes away or names no window.
//
// Some platforms (Wine 8) draw no child window that belongs to another
// process. A probe finds out; there the pixels of Tolvarin.scr's preview are
// not checked, and the same preview code is also run inside this process on
// the same Windows backend, where its pixels can be checked.
//
// Usage: preview_host.exe PATH\Tolvarin.scr PATH\preview.jpg [HOLD_MS]
// With HOLD_MS it prints "hold" while a preview shows its picture in the host
// and keeps it on screen that long, for a screenshot. Prints "ok NAME",
// "skip NAME: why" or "FAIL NAME: why" per check; the exit status is 1 when
// any check failed.
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_api.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_filesystem.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_pictures.h"
#include "platform/win32/win32_user32.h"
#include "platform/win32/win32_windowing.h"
#include "platform/win32/win32_winmm.h"
#include "startup/program.h"

namespace {

using tolvarin::Bitmap;

int failures = 0;

void Report(const char* name, bool passed, const std::string& why = "") {
  if (passed) {
    std::printf("ok %s\n", name);
  } else {
    std::printf("FAIL %s: %s\n", name, why.c_str());
    ++failures;
  }
  std::fflush(stdout);
}

void Skip(const char* name, const std::string& why) {
  std::printf("skip %s: %s\n", name, why.c_str());
  std::fflush(stdout);
}

// Keeps this side's windows answering while waiting: the preview's process
// sends messages to its parent and the parent's thread must take them.
bool PumpUntil(DWORD milliseconds, const std::function<bool()>& done) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done && done()) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Waits for a process to end while this side keeps answering messages.
bool WaitForEnd(HANDLE process, DWORD milliseconds) {
  return PumpUntil(milliseconds, [&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; });
}

std::vector<unsigned char> ReadFileBytes(const wchar_t* path) {
  std::vector<unsigned char> bytes;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1 << 24)) {
    bytes.resize(std::size_t(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr) || read != bytes.size())
      bytes.clear();
  }
  CloseHandle(file);
  return bytes;
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

struct Host {
  HWND frame = nullptr;
  HWND area = nullptr;
};

// A frame with the preview area inside it, black where nothing covers it.
Host MakeHost(int width, int height) {
  static bool registered = false;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!registered) {
    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = instance;
    frameClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    frameClass.lpszClassName = L"PreviewHostFrame";
    RegisterClassW(&frameClass);
    WNDCLASSW areaClass = frameClass;
    areaClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    areaClass.lpszClassName = L"PreviewHostArea";
    RegisterClassW(&areaClass);
    registered = true;
  }
  Host host;
  host.frame = CreateWindowExW(0, L"PreviewHostFrame", L"Preview host", WS_POPUP | WS_VISIBLE, 60, 60,
                               width + 40, height + 40, nullptr, nullptr, instance, nullptr);
  host.area = CreateWindowExW(0, L"PreviewHostArea", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20,
                              width, height, host.frame, nullptr, instance, nullptr);
  SetWindowPos(host.frame, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  UpdateWindow(host.frame);
  PumpUntil(200, nullptr);
  return host;
}

struct Started {
  PROCESS_INFORMATION info{};
  bool ok = false;
  ~Started() {
    if (info.hProcess) {
      if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 99);
      CloseHandle(info.hProcess);
      CloseHandle(info.hThread);
    }
  }
};

void Start(Started& started, const std::wstring& scr, const std::wstring& tail) {
  std::wstring command = L"\"" + scr + L"\" " + tail;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  started.ok = CreateProcessW(scr.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &started.info) != 0;
}

std::wstring HandleText(HWND window) {
  return std::to_wstring(static_cast<long long>(reinterpret_cast<LONG_PTR>(window)));
}

// The child windows of `parent` that belong to process `pid`.
std::vector<HWND> ChildrenOf(HWND parent, DWORD pid) {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{pid, {}};
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->pid) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The screen's pixels under `rect`, as 0x00RRGGBB.
Bitmap CaptureScreen(const RECT& rect) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  Bitmap shot(width, height);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP section = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section && bits) {
    HGDIOBJ old = SelectObject(memory, section);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < shot.pixels.size(); ++i) shot.pixels[i] = pixels[i] & 0x00FFFFFFu;
    SelectObject(memory, old);
    DeleteObject(section);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

int Channel(std::uint32_t pixel, int shift) { return int((pixel >> shift) & 0xFF); }

// Compares every fourth pixel of the shot with the picture stretched to the
// shot's size (nearest pixel at each centre). Decoders may differ a little.
std::string Mismatch(const Bitmap& shot, const Bitmap& picture) {
  int samples = 0, outliers = 0;
  long long total = 0;
  for (int y = 1; y < shot.height; y += 4) {
    for (int x = 1; x < shot.width; x += 4) {
      const int sx = (2 * x + 1) * picture.width / (2 * shot.width);
      const int sy = (2 * y + 1) * picture.height / (2 * shot.height);
      const std::uint32_t a = shot.at(x, y), b = picture.at(sx, sy);
      int worst = 0;
      for (int shift : {0, 8, 16}) {
        const int d = std::abs(Channel(a, shift) - Channel(b, shift));
        total += d;
        if (d > worst) worst = d;
      }
      if (worst > 40) ++outliers;
      ++samples;
    }
  }
  const double mean = double(total) / (3.0 * samples);
  if (mean <= 6 && outliers * 20 <= samples) return "";
  char text[160];
  std::snprintf(text, sizeof text, "mean difference %.1f, %d of %d samples far off (first pixel %06x, picture %06x)",
                mean, outliers, samples, unsigned(shot.at(0, 0)), unsigned(picture.at(0, 0)));
  return text;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string RectText(const RECT& r) {
  char text[96];
  std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", long(r.left), long(r.top), long(r.right),
                long(r.bottom));
  return text;
}

// Holds a preview that shows its picture on screen for the screenshot, once.
void HoldForScreenshot(DWORD& hold) {
  if (hold == 0) return;
  std::printf("hold\n");
  std::fflush(stdout);
  PumpUntil(hold, nullptr);
  hold = 0;
}

// Runs Tolvarin.scr's preview in a host area of the given size and checks it.
void CheckPreview(const char* suffix, const std::wstring& scr, const Bitmap& picture, int width, int height,
                  bool childrenOfOthersDrawn, DWORD& hold) {
  const std::string tag(suffix);
  Host host = MakeHost(width, height);
  Started started;
  Start(started, scr, L"/p " + HandleText(host.area));
  Report(("starts" + tag).c_str(), started.ok, "CreateProcessW failed");
  if (!started.ok) return;

  HWND preview = nullptr;
  const bool appeared = PumpUntil(15000, [&] {
    for (HWND child : ChildrenOf(host.area, started.info.dwProcessId))
      if (GetAncestor(child, GA_PARENT) == host.area && IsWindowVisible(child)) preview = child;
    return preview != nullptr;
  });
  Report(("child-window-appears" + tag).c_str(), appeared, "no visible child window of the host area");
  if (appeared) {
    RECT area{}, own{};
    GetWindowRect(host.area, &area);
    GetWindowRect(preview, &own);
    Report(("child-covers-host" + tag).c_str(), SameRect(area, own),
           "host " + RectText(area) + ", preview " + RectText(own));
    Report(("child-style" + tag).c_str(), (GetWindowLongW(preview, GWL_STYLE) & WS_CHILD) != 0,
           "the child-window bit is not set");

    const std::string name = "shows-picture" + tag;
    if (childrenOfOthersDrawn) {
      std::string why = "never drawn";
      const bool drawn = PumpUntil(5000, [&] {
        why = Mismatch(CaptureScreen(area), picture);
        return why.empty();
      });
      Report(name.c_str(), drawn, why);
      if (drawn) HoldForScreenshot(hold);
    } else {
      Skip(name.c_str(), "this platform draws no child window of another process");
    }
  }

  // The display settings close the preview by destroying its area.
  DestroyWindow(host.frame);
  const ULONGLONG destroyed = GetTickCount64();
  const bool ended = WaitForEnd(started.info.hProcess, 2000);
  Report(("ends-with-host" + tag).c_str(), ended,
         "still running " + std::to_string(GetTickCount64() - destroyed) + " ms after the host went");
}

// The probe's child: a plain magenta window put into `host` from this second process.
int RunProbeChild(HWND host) {
  WNDCLASSW probeClass{};
  probeClass.lpfnWndProc = FrameProc;
  probeClass.hInstance = GetModuleHandleW(nullptr);
  probeClass.hbrBackground = CreateSolidBrush(RGB(255, 0, 255));
  probeClass.lpszClassName = L"PreviewHostProbe";
  RegisterClassW(&probeClass);
  RECT area{};
  GetClientRect(host, &area);
  HWND child = CreateWindowExW(0, L"PreviewHostProbe", L"", WS_CHILD | WS_VISIBLE, 0, 0, area.right,
                               area.bottom, host, nullptr, probeClass.hInstance, nullptr);
  if (!child) return 1;
  // Ends when the host takes its window away.
  PumpUntil(20000, [&] { return !IsWindow(child); });
  return 0;
}

// Whether a child window of another process shows on screen here.
bool ChildrenOfOthersDrawn() {
  Host host = MakeHost(40, 30);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  Started probe;
  Start(probe, self, L"--probe-child " + HandleText(host.area));
  bool drawn = false;
  if (probe.ok) {
    RECT area{};
    GetWindowRect(host.area, &area);
    drawn = PumpUntil(10000, [&] {
      if (ChildrenOf(host.area, probe.info.dwProcessId).empty()) return false;
      const Bitmap shot = CaptureScreen(area);
      return shot.at(20, 15) == 0x00FF00FFu;
    });
  }
  DestroyWindow(host.frame);
  if (probe.ok) WaitForEnd(probe.info.hProcess, 5000);
  return drawn;
}

// This process as the platform sees it: the preview's tail, and no ending.
class HostedProcess final : public tolvarin::Process {
 public:
  struct Ended {};
  std::string tail;
  std::string CommandTail() override { return tail; }
  std::string AppFolder() override { return ""; }
  [[noreturn]] void EndProcess() override { throw Ended{}; }
  [[noreturn]] void ErrorReport(const std::string&) override { throw Ended{}; }
};

// The same preview code on the same backend, run inside this process, so its
// pixels show even where children of other processes are not drawn. The
// picture comes from Tolvarin.scr's own resources.
void CheckInProcess(const char* suffix, HMODULE scrModule, const Bitmap& picture, int width, int height,
                    DWORD& hold) {
  const std::string tag(suffix);
  Host host = MakeHost(width, height);
  tolvarin::Win32User32 user32;
  tolvarin::Win32Gdi32 gdi32;
  tolvarin::Win32Winmm winmm;
  tolvarin::Win32Windowing windowing;
  HostedProcess process;
  tolvarin::Win32FileSystem files;
  tolvarin::Win32Libraries libraries;
  tolvarin::win32::Win32Pictures pictures(scrModule);
  tolvarin::Win32Shell shell;
  tolvarin::Platform platform{user32, gdi32, winmm, windowing, process, files, libraries, pictures, shell};
  tolvarin::Program program(platform);
  process.tail = "/p " + std::to_string(static_cast<long long>(reinterpret_cast<LONG_PTR>(host.area)));
  bool started = false;
  try {
    tolvarin::Main(program);
    started = true;
  } catch (const HostedProcess::Ended&) {
  } catch (const std::exception&) {
  }
  Report(("in-process-starts" + tag).c_str(), started, "the preview start-up ended the process");
  if (!started) {
    DestroyWindow(host.frame);
    return;
  }
  RECT area{};
  GetWindowRect(host.area, &area);
  std::string why = "never drawn";
  const bool drawn = PumpUntil(5000, [&] {
    why = Mismatch(CaptureScreen(area), picture);
    return why.empty();
  });
  Report(("in-process-shows-picture" + tag).c_str(), drawn, why);
  if (drawn) HoldForScreenshot(hold);

  DestroyWindow(host.frame);
  PumpUntil(500, [&] { return windowing.LiveForms() == 0; });
  Report(("in-process-gone-with-host" + tag).c_str(), windowing.LiveForms() == 0,
         "the preview window outlived its host");
}

// A start whose tail names no window ends by itself, quietly.
void CheckNoHost(const char* name, const std::wstring& scr, const std::wstring& tail) {
  Started started;
  Start(started, scr, tail);
  if (!started.ok) {
    Report(name, false, "CreateProcessW failed");
    return;
  }
  const bool ended = WaitForEnd(started.info.hProcess, 10000);
  DWORD code = 0;
  GetExitCodeProcess(started.info.hProcess, &code);
  Report(name, ended && code == 0,
         ended ? "exit code " + std::to_string(code) : std::string("still running after 10 s"));
}

// A handle beyond 32 bits is an overflow: the error report, a message box.
void CheckOverflow(const std::wstring& scr) {
  Started started;
  Start(started, scr, L"/p 4294967296");
  if (!started.ok) {
    Report("overflow-reports-error", false, "CreateProcessW failed");
    return;
  }
  struct Search {
    DWORD pid;
    HWND box;
  } search{started.info.dwProcessId, nullptr};
  PumpUntil(15000, [&] {
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (owner == s->pid && IsWindowVisible(window)) s->box = window;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.box != nullptr || WaitForSingleObject(started.info.hProcess, 0) == WAIT_OBJECT_0;
  });
  HWND box = search.box;
  wchar_t text[256] = L"";
  if (box) GetDlgItemTextW(box, 0xFFFF, text, 256);
  const std::wstring shown(text);
  Report("overflow-reports-error", box != nullptr && shown.find(L"Overflow") != std::wstring::npos,
         box ? "the message box says something else" : "no message box");
  if (box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    const bool ended = WaitForEnd(started.info.hProcess, 5000);
    Report("overflow-ends-after-report", ended, "still running after the report was closed");
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--probe-child")
    return RunProbeChild(reinterpret_cast<HWND>(static_cast<LONG_PTR>(std::wcstoll(argv[2], nullptr, 10))));
  if (argc < 3) {
    std::fprintf(stderr, "usage: preview_host.exe Tolvarin.scr preview.jpg [hold-ms]\n");
    return 2;
  }
  const std::wstring scr = argv[1];
  DWORD hold = argc > 3 ? DWORD(std::wcstoul(argv[3], nullptr, 10)) : 0;
  const std::vector<unsigned char> bytes = ReadFileBytes(argv[2]);
  const auto picture = tolvarin::win32::Win32Pictures::DecodePicture(bytes.data(), bytes.size());
  Report("decodes-picture", picture && picture->width == 152 && picture->height == 112,
         "the picture file cannot be read as 152 x 112");
  if (!picture) return 1;

  HMODULE scrModule = LoadLibraryExW(scr.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  const auto resource = tolvarin::win32::Win32Pictures(scrModule).LoadPictureResource("PREVIEW");
  Report("program-holds-picture", scrModule && resource && *resource == *picture,
         "Tolvarin.scr has no PREVIEW resource equal to the picture file");

  const bool drawn = ChildrenOfOthersDrawn();
  CheckPreview("", scr, *picture, 152, 112, drawn, hold);
  CheckPreview("-stretched", scr, *picture, 200, 150, drawn, hold);
  if (scrModule) {
    CheckInProcess("", scrModule, *picture, 152, 112, hold);
    CheckInProcess("-stretched", scrModule, *picture, 200, 150, hold);
  }
  CheckNoHost("no-handle-ends-at-once", scr, L"/p");
  CheckNoHost("zero-handle-ends-at-once", scr, L"/p 0");
  {
    // A handle that named a window a moment ago.
    Host gone = MakeHost(40, 30);
    const std::wstring tail = L"/p " + HandleText(gone.area);
    DestroyWindow(gone.frame);
    CheckNoHost("dead-handle-ends-at-once", scr, tail);
  }
  CheckOverflow(scr);
  if (scrModule) FreeLibrary(scrModule);
  return failures == 0 ? 0 : 1;
}
