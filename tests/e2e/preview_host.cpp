// Hosts Tolvarin.scr's preview the way the display settings do: a window with
// a borderless preview area, whose handle goes on the command line after /p.
// Checks that the program holds its 152 x 112 preview picture, that the
// preview appears as a real child covering the area, leaves the host the focus
// and ends with it, and that an overflowing handle gives the error report. Its
// pixels are the unit tests' (the simulated preview,
// and Windows image controls): Wine 8 draws no child of another process.
//
// Usage: preview_host.exe PATH\Tolvarin.scr
// Prints "ok NAME" or "FAIL NAME: why" per check; the exit status is 1 when
// any check failed.
#include "platform/win32/win32_api.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/win32_pictures.h"

namespace {

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

struct Host {
  HWND frame = nullptr;
  HWND area = nullptr;
};

// A frame with the preview area inside it, black where nothing covers it. Made once.
Host MakeHost(int width, int height) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW frameClass{};
  frameClass.lpfnWndProc = DefWindowProcW;
  frameClass.hInstance = instance;
  frameClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  frameClass.lpszClassName = L"PreviewHostFrame";
  RegisterClassW(&frameClass);
  WNDCLASSW areaClass = frameClass;
  areaClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  areaClass.lpszClassName = L"PreviewHostArea";
  RegisterClassW(&areaClass);
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

// Tolvarin.scr started with this command tail; ended with the check if still running.
struct Started {
  PROCESS_INFORMATION info{};
  bool ok = false;
  Started(const std::wstring& scr, const std::wstring& tail) {
    std::wstring command = L"\"" + scr + L"\" " + tail;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ok = CreateProcessW(scr.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info) != 0;
  }
  ~Started() {
    if (info.hProcess) {
      if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 99);
      CloseHandle(info.hProcess);
      CloseHandle(info.hThread);
    }
  }
};

// The visible windows of process `pid`: the children of `parent`, or without
// a parent the top-level ones.
std::vector<HWND> VisibleWindowsOf(DWORD pid, HWND parent = nullptr) {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{pid, {}};
  const WNDENUMPROC collect = [](HWND window, LPARAM data) -> BOOL {
    auto* s = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == s->pid && IsWindowVisible(window)) s->found.push_back(window);
    return TRUE;
  };
  if (parent) {
    EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&search));
  } else {
    EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

std::string RectText(const RECT& r) {
  char text[96];
  std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", long(r.left), long(r.top), long(r.right),
                long(r.bottom));
  return text;
}

// Runs Tolvarin.scr's preview in a host area of the given size and checks it.
void CheckPreview(const std::wstring& scr, int width, int height) {
  Host host = MakeHost(width, height);
  SetForegroundWindow(host.frame);
  SetFocus(host.frame);
  Started started(scr, L"/p " + std::to_wstring(static_cast<long long>(reinterpret_cast<LONG_PTR>(host.area))));
  Report("starts", started.ok, "CreateProcessW failed");
  if (!started.ok) return;

  HWND preview = nullptr;
  const bool appeared = PumpUntil(15000, [&] {
    for (HWND child : VisibleWindowsOf(started.info.dwProcessId, host.area))
      if (GetAncestor(child, GA_PARENT) == host.area) preview = child;
    return preview != nullptr;
  });
  Report("child-window-appears", appeared, "no visible child window of the host area");
  if (appeared) {
    RECT area{}, own{};
    GetWindowRect(host.area, &area);
    GetWindowRect(preview, &own);
    Report("child-covers-host", EqualRect(&area, &own), "host " + RectText(area) + ", preview " + RectText(own));
    // WS_POPUP beside WS_CHILD would make it no child to Windows: it would take the focus.
    const LONG style = GetWindowLongW(preview, GWL_STYLE);
    Report("child-style", (style & (WS_CHILD | WS_POPUP)) == WS_CHILD, "style " + std::to_string(style));
    Report("host-keeps-focus", GetForegroundWindow() == host.frame && GetFocus() == host.frame,
           "the preview took the activation or the focus");
  }

  // The display settings close the preview by destroying its area.
  DestroyWindow(host.frame);
  const ULONGLONG destroyed = GetTickCount64();
  const bool ended = WaitForEnd(started.info.hProcess, 2000);
  Report("ends-with-host", ended,
         "still running " + std::to_string(GetTickCount64() - destroyed) + " ms after the host went");
}

// A handle beyond 32 bits is an overflow: the error report, a message box.
void CheckOverflow(const std::wstring& scr) {
  Started started(scr, L"/p 4294967296");
  if (!started.ok) {
    Report("overflow-reports-error", false, "CreateProcessW failed");
    return;
  }
  HWND box = nullptr;
  PumpUntil(15000, [&] {
    const std::vector<HWND> shown = VisibleWindowsOf(started.info.dwProcessId);
    if (!shown.empty()) box = shown.back();
    return box != nullptr || WaitForSingleObject(started.info.hProcess, 0) == WAIT_OBJECT_0;
  });
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
  if (argc < 2) {
    std::fprintf(stderr, "usage: preview_host.exe Tolvarin.scr\n");
    return 2;
  }
  const std::wstring scr = argv[1];
  HMODULE scrModule = LoadLibraryExW(scr.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  const auto picture = tolvarin::win32::Win32Pictures(scrModule).LoadPictureResource("PREVIEW");
  Report("program-holds-picture", picture && picture->width == 152 && picture->height == 112,
         "Tolvarin.scr has no 152 x 112 PREVIEW resource");
  CheckPreview(scr, 200, 150);
  CheckOverflow(scr);
  if (scrModule) FreeLibrary(scrModule);
  return failures == 0 ? 0 : 1;
}
