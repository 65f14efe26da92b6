#pragma once
// The number of the program error an action raises.
#include <cstdint>

#include "base/errors.h"

namespace tolvarin {

// The number of the program error `action` raises; 0 for none.
template <class Action>
std::int32_t ErrorOf(Action action) {
  try {
    action();
  } catch (const ProgramError& error) {
    return error.number();
  }
  return 0;
}

}  // namespace tolvarin
