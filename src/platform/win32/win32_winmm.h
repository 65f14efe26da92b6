#pragma once
// Windows multimedia for real. The program's texts are code page 932 whatever
// the system's ANSI code page is, so each call converts them explicitly and
// goes through the UTF-16 ("W") functions.
#include "platform/winmm.h"

namespace tolvarin {

class Win32Winmm : public Winmm {
 public:
  std::uint32_t mciSendStringA(const char* command, char* returnString, std::uint32_t returnLength,
                               Hwnd callback) override;
  std::int32_t mciGetErrorStringA(std::uint32_t code, char* text, std::uint32_t length) override;
  std::int32_t PlaySoundA(const char* sound, std::intptr_t module, std::uint32_t flags) override;
  std::uint32_t waveOutGetNumDevs() override;
};

}  // namespace tolvarin
