#pragma once
// Windows multimedia: MCI command strings and wave sounds. Every text here is
// UTF-16, as the wide-character calls take it, so any path the file system
// holds reaches the device exactly; buffer lengths count UTF-16 code units.
#include <cstdint>

#include "platform/types.h"

namespace tolvarin {

// PlaySoundW flags. Named apart from the SDK's macros so this header can sit
// beside <windows.h>.
inline constexpr std::uint32_t kSndSync = 0x0000;
inline constexpr std::uint32_t kSndAsync = 0x0001;
inline constexpr std::uint32_t kSndLoop = 0x0008;

// Why a device sent MM_MCINOTIFY for a command sent with "notify" (the
// message's wParam): it did what was asked (a play reached its end), another
// command with "notify" took its place, a command stopped it, or it failed.
inline constexpr std::uint32_t kMciNotifySuccessful = 0x0001;
inline constexpr std::uint32_t kMciNotifySuperseded = 0x0002;
inline constexpr std::uint32_t kMciNotifyAborted = 0x0004;
inline constexpr std::uint32_t kMciNotifyFailure = 0x0008;

class Winmm {
 public:
  virtual ~Winmm() = default;
  // Sends an MCI command string and waits for it to complete. When
  // `returnString` is not null and `returnLength` is not 0, the reply goes
  // there NUL-terminated, at most `returnLength` code units with the NUL;
  // the buffer is emptied first, so a failed command leaves an empty text.
  // 0 on success, else an MCI error code. A command with the word "notify"
  // returns at once and later posts MM_MCINOTIFY to `callback` (the form's
  // onMciNotify); only a command that succeeded sets up that notification.
  virtual std::uint32_t mciSendStringW(const char16_t* command, char16_t* returnString,
                                       std::uint32_t returnLength, Hwnd callback) = 0;
  // The ID of the open device with this name or alias, as notifications
  // carry it; 0 when no such device is open.
  virtual std::uint32_t mciGetDeviceIDW(const char16_t* device) = 0;
  // Fills `text` (at most `length` code units with the NUL) with the
  // platform's description of `code`; returns 0 when there is none.
  virtual std::int32_t mciGetErrorStringW(std::uint32_t code, char16_t* text, std::uint32_t length) = 0;
  // `sound` is a file path (or a sound alias); null stops the sound that is
  // playing. Non-zero on success.
  virtual std::int32_t PlaySoundW(const char16_t* sound, std::intptr_t module, std::uint32_t flags) = 0;
  virtual std::uint32_t waveOutGetNumDevs() = 0;
};

}  // namespace tolvarin
