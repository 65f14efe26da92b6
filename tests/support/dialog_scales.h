#pragma once
// Where the settings dialog's pieces land at 96, 120, 144 and 192 dots per
// inch: one table of expectations for the simulated platform and the real
// one. Halves of a pixel go away from zero (at 12 twips a pixel 990 twips
// are 83 pixels and 150 twips 13; at 10, 1155 twips are 116).
#include <cstdint>

#include "platform/controls.h"

namespace tolvarin::testing {

struct DialogScale {
  double twipsPerPixel;
  std::int32_t clientWidth, clientHeight;  // the 7440 x 3690 twip client area
  ControlRect cmdSet;   // 4860, 3000, 1155, 375 twips, in the client area
  ControlRect cmdFile;  // 600, 1980, 615, 315 twips: over the panel, in the client area
  ControlRect lbl14;    // 2340, 840, 990, 195 twips, in the panel
  std::int32_t at150;   // a window moved to 150 twips
};

inline constexpr DialogScale kDialogScales[] = {
    {15, 496, 246, {324, 200, 77, 25}, {40, 132, 41, 21}, {156, 56, 66, 13}, 10},
    {12, 620, 308, {405, 250, 96, 31}, {50, 165, 51, 26}, {195, 70, 83, 16}, 13},
    {10, 744, 369, {486, 300, 116, 38}, {60, 198, 62, 32}, {234, 84, 99, 20}, 15},
    {7.5, 992, 492, {648, 400, 154, 50}, {80, 264, 82, 42}, {312, 112, 132, 26}, 20},
};

}  // namespace tolvarin::testing
