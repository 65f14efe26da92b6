// The title-bar animation of the simulated desktop.
#include <cstdio>

#include "platform/sim/sim_desktop.h"

namespace tolvarin::sim {

std::int32_t SimDesktop::DrawAnimatedRects(Hwnd window, std::int32_t animation, const RectL& from,
                                           const RectL& to) {
  char text[160];
  std::snprintf(text, sizeof text, "DrawAnimatedRects(%d, (%d,%d,%d,%d) -> (%d,%d,%d,%d))", int(animation),
                int(from.left), int(from.top), int(from.right), int(from.bottom), int(to.left), int(to.top),
                int(to.right), int(to.bottom));
  calls.push_back(text);
  animations.push_back(Animation{window, animation, from, to});
  // As under Wine: reported done, nothing drawn.
  return 1;
}

}  // namespace tolvarin::sim
