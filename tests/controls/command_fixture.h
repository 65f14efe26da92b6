#pragma once
// A simulated form holding Command buttons, and the faces the buttons must
// show, built from the looks' rules.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controls/command.h"
#include "platform/sim/sim_platform.h"

namespace tolvarin::testing {

// The face of a w x h pixel button cut from `picture`, on the platform's
// vertical gradient from white to RGB(198, 197, 215), or back when reversed:
// the picture's 4-pixel corners one to one, its edge strips stretched.
Bitmap ExpectedFace(const Bitmap& picture, std::int32_t w, std::int32_t h, bool reversed);

class CommandTest : public ::testing::Test {
 protected:
  CommandTest();
  // A button from a stored set holding only "Caption" and "Font", placed at
  // (300, 300) twips, 20 pixels from the form's corner.
  Command& Place(double width = 1155, double height = 375);
  sim::SimUserControl& Surface(Command& button);
  Bitmap Picture(FacePicture picture);
  Bitmap Face(Command& button, FacePicture picture, bool reversed);
  // Runs the platform's queued events, then lets `milliseconds` pass with its timers.
  void Pump(std::int64_t milliseconds = 0);

  sim::SimPlatform sim;
  std::unique_ptr<Form> form;
  std::vector<std::unique_ptr<Command>> buttons;
  int clicks = 0;
};

}  // namespace tolvarin::testing
