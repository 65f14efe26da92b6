#pragma once
// State of the music player, created zeroed at start. The buffers hold
// UTF-16 text, as the wide-character multimedia calls fill them.
#include <array>
#include <cstdint>

namespace tolvarin {

struct PlayerState {
  bool cdPollOk = false;
  std::array<char16_t, 512> mciReply{};
  std::array<char16_t, 256> mciError{};
  std::array<char16_t, 256> cdMode{};
  std::array<char16_t, 30> mp3Mode{};
};

}  // namespace tolvarin
