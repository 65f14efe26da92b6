#include "platform/win32/win32_frame_pacer.h"

#include <mmsystem.h>

#include <string>

namespace tolvarin {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    module = LoadLibraryW(path.c_str());
  }
  return module;
}

std::int64_t RefreshIntervalMicroseconds(int refreshRateHz) {
  if (refreshRateHz <= 1) refreshRateHz = 60;
  return (1000000 + refreshRateHz / 2) / refreshRateHz;
}

FramePacer::FramePacer() {
  QueryPerformanceFrequency(&frequency_);
  dwmapi_ = LoadSystemLibrary(L"dwmapi.dll");
  if (dwmapi_) {
    isCompositionEnabled_ = reinterpret_cast<IsCompositionEnabledFn>(
        reinterpret_cast<void*>(GetProcAddress(dwmapi_, "DwmIsCompositionEnabled")));
    flush_ = reinterpret_cast<FlushFn>(reinterpret_cast<void*>(GetProcAddress(dwmapi_, "DwmFlush")));
  }
  timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                  TIMER_ALL_ACCESS);
  if (!timer_) {
    // Older systems: a plain timer, with the system tick made fine enough for it.
    timer_ = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    raisedTimerResolution_ = timeBeginPeriod(1) == TIMERR_NOERROR;
  }
}

FramePacer::~FramePacer() {
  if (raisedTimerResolution_) timeEndPeriod(1);
  if (timer_) CloseHandle(timer_);
  if (dwmapi_) FreeLibrary(dwmapi_);
}

bool FramePacer::UsesComposition() {
  BOOL enabled = FALSE;
  return isCompositionEnabled_ && flush_ && SUCCEEDED(isCompositionEnabled_(&enabled)) && enabled;
}

std::int64_t FramePacer::NowMicroseconds() const {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  const std::int64_t ticks = counter.QuadPart;
  const std::int64_t frequency = frequency_.QuadPart > 0 ? frequency_.QuadPart : 1;
  return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
}

void FramePacer::WaitUntil(std::int64_t due, const std::function<void()>& pump) {
  for (std::int64_t now = NowMicroseconds(); now < due; now = NowMicroseconds()) {
    LARGE_INTEGER when;
    when.QuadPart = -(due - now) * 10;  // relative, in 100 ns units
    const bool onTimer = timer_ && SetWaitableTimer(timer_, &when, 0, nullptr, nullptr, FALSE);
    // Without the timer, the wait's own time-out (whole milliseconds) stands in.
    const DWORD result =
        onTimer ? MsgWaitForMultipleObjectsEx(1, &timer_, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE)
                : MsgWaitForMultipleObjectsEx(0, nullptr, DWORD((due - now + 999) / 1000), QS_ALLINPUT,
                                              MWMO_INPUTAVAILABLE);
    if (result == WAIT_OBJECT_0 + (onTimer ? 1 : 0)) {
      // Input or another message: let it through, then wait out the rest.
      pump();
    } else if (result == WAIT_FAILED) {
      Sleep(DWORD((due - now + 999) / 1000));
      return;
    }
  }
}

void FramePacer::WaitForPresent(int refreshRateHz, const std::function<void()>& pump) {
  const std::int64_t interval = RefreshIntervalMicroseconds(refreshRateHz);
  const std::int64_t flushStart = NowMicroseconds();
  const bool flushed = pacing_.UseFlush() && UsesComposition() && SUCCEEDED(flush_());
  const std::int64_t due = pacing_.After(flushed, flushStart, NowMicroseconds(), interval);
  WaitUntil(due, pump);
}

}  // namespace tolvarin
