#pragma once
// State of the music player, created zeroed at start.
#include <array>
#include <cstdint>

namespace tolvarin {

struct PlayerState {
  bool cdPollOk = false;
  std::array<char, 512> mciReply{};
  std::array<char, 256> mciError{};
  std::array<char, 256> cdMode{};
  std::array<char, 30> mp3Mode{};
};

}  // namespace tolvarin
