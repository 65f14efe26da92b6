#include "platform/win32/win32_frame_pacer.h"

#include <mmsystem.h>

#include <string>

namespace tolvarin {

namespace {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// dwmapi is missing from some systems (and some Wine prefixes): bind it by name.
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

}  // namespace

std::int64_t RefreshIntervalMicroseconds(int refreshRateHz) {
  if (refreshRateHz <= 1) refreshRateHz = 60;
  return (1000000 + refreshRateHz / 2) / refreshRateHz;
}

std::int64_t NextPresentTime(std::int64_t previousPresent, std::int64_t now,
                             std::int64_t interval) {
  const std::int64_t due = previousPresent + interval;
  return due > now ? due : now;
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

void FramePacer::WaitMicroseconds(std::int64_t duration) {
  if (duration <= 0) return;
  if (timer_) {
    LARGE_INTEGER due;
    due.QuadPart = -duration * 10;  // relative, in 100 ns units
    if (SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
      WaitForSingleObject(timer_, INFINITE);
      return;
    }
  }
  Sleep(DWORD((duration + 999) / 1000));
}

void FramePacer::WaitForPresent(HDC windowDc) {
  if (UsesComposition() && SUCCEEDED(flush_())) {
    havePresent_ = true;
    lastPresent_ = NowMicroseconds();
    return;
  }
  const std::int64_t interval =
      RefreshIntervalMicroseconds(windowDc ? GetDeviceCaps(windowDc, VREFRESH) : 0);
  const std::int64_t now = NowMicroseconds();
  const std::int64_t due = havePresent_ ? NextPresentTime(lastPresent_, now, interval) : now;
  WaitMicroseconds(due - now);
  havePresent_ = true;
  lastPresent_ = due;
}

}  // namespace tolvarin
