#pragma once
// Waits after a present until the display has shown it: DwmFlush where the
// desktop is composed, timed so that a flush that returns early or fails has
// the rest of the refresh interval waited out on a high-resolution waitable
// timer. Messages arriving during a timer wait are pumped, so input ends a
// run within one interval. Never a busy loop.
#include <cstdint>
#include <functional>

#include "platform/present_pacing.h"
#include "platform/win32/win32_api.h"

namespace tolvarin {

// Loads a library from the system folder only, never from the program's
// folder or the search path. Libraries missing from some systems (dwmapi,
// d3d11) are bound this way, by name.
HMODULE LoadSystemLibrary(const wchar_t* name);

// Length of one display refresh in microseconds. 0 and 1 stand for the
// hardware's default rate, taken as 60 Hz.
std::int64_t RefreshIntervalMicroseconds(int refreshRateHz);

class FramePacer {
 public:
  FramePacer();
  ~FramePacer();
  FramePacer(const FramePacer&) = delete;
  FramePacer& operator=(const FramePacer&) = delete;

  // `refreshRateHz` is the display's (GetDeviceCaps VREFRESH, 0 when
  // unknown); `pump` dispatches the messages that arrive while waiting.
  void WaitForPresent(int refreshRateHz, const std::function<void()>& pump);

  bool UsesComposition();

 private:
  std::int64_t NowMicroseconds() const;
  void WaitUntil(std::int64_t due, const std::function<void()>& pump);

  using IsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
  using FlushFn = HRESULT(WINAPI*)();
  HMODULE dwmapi_ = nullptr;
  IsCompositionEnabledFn isCompositionEnabled_ = nullptr;
  FlushFn flush_ = nullptr;

  HANDLE timer_ = nullptr;
  bool raisedTimerResolution_ = false;
  LARGE_INTEGER frequency_{};
  PresentPacing pacing_;
};

}  // namespace tolvarin
