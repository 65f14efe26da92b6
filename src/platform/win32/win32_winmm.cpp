#include "platform/win32/win32_winmm.h"

#include "platform/win32/win32_api.h"

#include <mmsystem.h>

namespace tolvarin {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 code units");
static_assert(kMciNotifySuccessful == MCI_NOTIFY_SUCCESSFUL && kMciNotifySuperseded == MCI_NOTIFY_SUPERSEDED &&
              kMciNotifyAborted == MCI_NOTIFY_ABORTED && kMciNotifyFailure == MCI_NOTIFY_FAILURE);

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

}  // namespace

std::uint32_t Win32Winmm::mciSendStringW(const char16_t* command, char16_t* returnString,
                                         std::uint32_t returnLength, Hwnd callback) {
  if (returnString == nullptr || returnLength == 0)
    return ::mciSendStringW(Wide(command), nullptr, 0, ToHwnd(callback));
  returnString[0] = u'\0';
  return ::mciSendStringW(Wide(command), Wide(returnString), returnLength, ToHwnd(callback));
}

std::uint32_t Win32Winmm::mciGetDeviceIDW(const char16_t* device) { return ::mciGetDeviceIDW(Wide(device)); }

std::int32_t Win32Winmm::mciGetErrorStringW(std::uint32_t code, char16_t* text, std::uint32_t length) {
  if (text == nullptr || length == 0) return 0;
  return ::mciGetErrorStringW(code, Wide(text), length) ? 1 : 0;
}

std::int32_t Win32Winmm::PlaySoundW(const char16_t* sound, std::intptr_t module, std::uint32_t flags) {
  // PlaySound keeps its own copy of the name for a sound played in the background.
  return ::PlaySoundW(Wide(sound), reinterpret_cast<HMODULE>(module), flags);
}

std::uint32_t Win32Winmm::waveOutGetNumDevs() { return ::waveOutGetNumDevs(); }

}  // namespace tolvarin
