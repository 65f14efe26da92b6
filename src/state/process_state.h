#pragma once
// The process-wide values of the program, owned by the program object and
// passed by reference, so each run (and each test) starts from a fresh state.
#include <cstdint>
#include <optional>

#include "state/player_state.h"
#include "state/shared_settings.h"

namespace tolvarin {

struct AnimationPoint {
  std::int16_t x = 0;
  std::int16_t y = 0;
};

struct ProcessState {
  SharedSettings settings;
  // Results of platform calls whose value nobody inspects.
  std::int32_t lastApiResult = 0;
  // Return value of the cursor-hiding call; empty until set.
  std::optional<std::int32_t> savedCursorValue;
  AnimationPoint animationPoint;
  PlayerState player;
};

}  // namespace tolvarin
