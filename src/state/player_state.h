#pragma once
// State of the music player, created zeroed at start. The buffers hold
// UTF-16 text, as the wide-character multimedia calls fill them.
#include <array>
#include <cstdint>

#include "platform/types.h"

namespace tolvarin {

struct PlayerState {
  bool cdPollOk = false;
  std::array<char16_t, 512> mciReply{};
  std::array<char16_t, 256> mciError{};
  std::array<char16_t, 256> cdMode{};
  std::array<char16_t, 30> mp3Mode{};
  // The MP3Play device's ID from its open to its close, else 0, and the
  // window its end-of-play notifications go to.
  std::uint32_t mp3DeviceId = 0;
  Hwnd mp3Callback = 0;
};

}  // namespace tolvarin
