#pragma once
// Windows multimedia for real: the UTF-16 ("W") functions, called as they are.
#include "platform/winmm.h"

namespace tolvarin {

class Win32Winmm : public Winmm {
 public:
  std::uint32_t mciSendStringW(const char16_t* command, char16_t* returnString, std::uint32_t returnLength,
                               Hwnd callback) override;
  std::uint32_t mciGetDeviceIDW(const char16_t* device) override;
  std::int32_t mciGetErrorStringW(std::uint32_t code, char16_t* text, std::uint32_t length) override;
  std::int32_t PlaySoundW(const char16_t* sound, std::intptr_t module, std::uint32_t flags) override;
  std::uint32_t waveOutGetNumDevs() override;
};

}  // namespace tolvarin
