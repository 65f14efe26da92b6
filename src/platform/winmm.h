#pragma once
// Windows multimedia: MCI command strings and wave sounds. Every text here is
// narrow text in code page 932, exactly as it crosses to the platform.
#include <cstdint>

#include "platform/types.h"

namespace tolvarin {

class Winmm {
 public:
  virtual ~Winmm() = default;
  // Sends an MCI command string. The reply (NUL-terminated, at most
  // `returnLength` bytes with the NUL) goes to `returnString` when it is not null.
  // 0 on success, else an MCI error code.
  virtual std::uint32_t mciSendStringA(const char* command, char* returnString,
                                       std::uint32_t returnLength, Hwnd callback) = 0;
  // Fills `text` with the platform's description of `code`; 0 when there is none.
  virtual std::int32_t mciGetErrorStringA(std::uint32_t code, char* text, std::uint32_t length) = 0;
  // `sound` null stops the sound that is playing.
  virtual std::int32_t PlaySoundA(const char* sound, std::intptr_t module, std::uint32_t flags) = 0;
  virtual std::uint32_t waveOutGetNumDevs() = 0;
};

}  // namespace tolvarin
