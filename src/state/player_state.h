#pragma once
// State of the music player, created zeroed at start. The buffers hold
// UTF-16 text, as the wide-character multimedia calls fill them.
#include <array>
#include <cstdint>

#include "platform/types.h"

namespace tolvarin {

struct PlayerState {
  // The last CD poll's verdict: false after a device error, which ends the polling.
  bool cdPollOk = false;
  std::array<char16_t, 512> mciReply{};  // replies of MciSend
  std::array<char16_t, 256> mciError{};  // the platform's texts of MCI error codes
  std::array<char16_t, 256> cdMode{};    // the reply of "status cdaudio mode"
  std::array<char16_t, 30> mp3Mode{};    // the reply of "status MP3Play mode"
  // The MP3Play device's ID from its open to its close, else 0, and the
  // window its end-of-play notifications go to.
  std::uint32_t mp3DeviceId = 0;
  Hwnd mp3Callback = 0;
};

}  // namespace tolvarin
