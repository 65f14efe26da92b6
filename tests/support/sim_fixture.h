#pragma once
// A fresh simulated platform and program state for each test.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "support/sim_run.h"
#include "r_vold_graphics.h"
#include "saver/saver_window.h"
#include "startup/entry.h"
#include "state/command_line.h"

namespace tolvarin::testing {

// A stand-in effect library that records its calls and marks the frame it
// drew in the destination's first pixel.
struct RecordingEffect {
  struct Call {
    GPX_Handle destination;
    GPX_Handle source;
    std::int32_t frame;
  };
  static std::vector<Call>& Calls();
  static std::uint32_t Marker(std::int32_t frame) { return 0x00A00000u | std::uint32_t(frame & 0xFFFF); }
  static std::int32_t GPX_CALL Fragment(GPX_Handle destination, GPX_Handle source, std::int32_t frame,
                                        std::int32_t* result);
};

// A picture that no two pixels of a row or column share by accident.
Bitmap PatternPicture(std::int32_t width, std::int32_t height);

class SimTest : public ::testing::Test {
 protected:
  // Builds the platform and program over a patterned desktop picture; the
  // effect library is the recording one.
  void Make(const sim::SimOptions& options = {});
  // The same on a screen of this size, started with this command tail.
  void MakeScreen(std::int32_t width, std::int32_t height, const std::string& commandTail = "/s");
  sim::RunOutcome Run() { return sim::RunProgram(*sim, *program); }
  SaverWindow& saver() { return *program->saverWindow; }

  std::unique_ptr<sim::SimPlatform> sim;
  std::unique_ptr<Program> program;
  Bitmap wallpaper;
};

}  // namespace tolvarin::testing
