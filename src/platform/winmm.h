#pragma once
// Windows multimedia: MCI command strings and wave sounds. Every text here is
// narrow text in code page 932, exactly as it crosses to the platform,
// whatever the code page of the system the program runs on.
#include <cstdint>

#include "platform/types.h"

namespace tolvarin {

// PlaySoundA flags. Named apart from the SDK's macros so this header can sit
// beside <windows.h>.
inline constexpr std::uint32_t kSndSync = 0x0000;
inline constexpr std::uint32_t kSndAsync = 0x0001;
inline constexpr std::uint32_t kSndLoop = 0x0008;

class Winmm {
 public:
  virtual ~Winmm() = default;
  // Sends an MCI command string and waits for it to complete. When
  // `returnString` is not null and `returnLength` is not 0, the reply goes
  // there NUL-terminated, at most `returnLength` bytes with the NUL, and
  // never ends in half a double-byte character; the buffer is emptied first,
  // so a failed command leaves an empty text. 0 on success, else an MCI
  // error code.
  virtual std::uint32_t mciSendStringA(const char* command, char* returnString,
                                       std::uint32_t returnLength, Hwnd callback) = 0;
  // Fills `text` (at most `length` bytes with the NUL) with the platform's
  // description of `code`; returns 0 when there is none.
  virtual std::int32_t mciGetErrorStringA(std::uint32_t code, char* text, std::uint32_t length) = 0;
  // `sound` is a file path (or a sound alias); null stops the sound that is
  // playing. Non-zero on success.
  virtual std::int32_t PlaySoundA(const char* sound, std::intptr_t module, std::uint32_t flags) = 0;
  virtual std::uint32_t waveOutGetNumDevs() = 0;
};

}  // namespace tolvarin
