#pragma once
// Waits after a present until the display has shown it: DwmFlush where the
// desktop is composed, else one refresh interval measured from the previous
// present on a high-resolution waitable timer. Never a busy loop.
#include <cstdint>

#include "platform/win32/win32_api.h"

namespace tolvarin {

// Length of one display refresh in microseconds. 0 and 1 stand for the
// hardware's default rate, taken as 60 Hz.
std::int64_t RefreshIntervalMicroseconds(int refreshRateHz);

// When the next present is due: one interval after the previous one, or now
// when that moment has passed already (late frames do not pile up).
std::int64_t NextPresentTime(std::int64_t previousPresent, std::int64_t now,
                             std::int64_t interval);

class FramePacer {
 public:
  FramePacer();
  ~FramePacer();
  FramePacer(const FramePacer&) = delete;
  FramePacer& operator=(const FramePacer&) = delete;

  // `windowDc` is the device context the frame was presented to.
  void WaitForPresent(HDC windowDc);

  bool UsesComposition();

 private:
  std::int64_t NowMicroseconds() const;
  void WaitMicroseconds(std::int64_t duration);

  using IsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
  using FlushFn = HRESULT(WINAPI*)();
  HMODULE dwmapi_ = nullptr;
  IsCompositionEnabledFn isCompositionEnabled_ = nullptr;
  FlushFn flush_ = nullptr;

  HANDLE timer_ = nullptr;
  bool raisedTimerResolution_ = false;
  LARGE_INTEGER frequency_{};
  bool havePresent_ = false;
  std::int64_t lastPresent_ = 0;
};

}  // namespace tolvarin
