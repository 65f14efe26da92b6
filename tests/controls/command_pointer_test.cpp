// The button driven by the pointer, the focus and its tracking tick through
// the simulated platform: the state table row by row and its edge cases.
#include <gtest/gtest.h>

#include <sstream>

#include "controls/command_fixture.h"

namespace tolvarin::testing {
namespace {

using S = CommandState;

struct Expect {
  CommandState state;
  FacePicture face;
  bool reversed;
  int clicks;
};

struct Case {
  const char* name;
  // Words: init, disable, resize, tick, focus, cover, move:P, down:P, up:P,
  // rdown:P, rup:P, mdown:P, mup:P with P one of in, label, host.
  const char* script;
  Expect expect;
};

const Case kCases[] = {
    {"pointer leaves to the host, next tick", "init move:in move:host tick", {S::Normal, FacePicture::Normal, false, 0}},
    {"no tick yet: still hovered", "init move:in move:host", {S::Hover, FacePicture::HighLight, true, 0}},
    {"a tick over the caption changes nothing", "init move:label tick", {S::Hover, FacePicture::HighLight, true, 0}},
    {"click on the caption", "init move:label down:label up:label", {S::FocusedHover, FacePicture::HighLightSelect, true, 1}},
    {"cancelled, back on while held", "init move:in down:in move:host tick move:in up:in",
     {S::Focused, FacePicture::Selected, false, 0}},
    {"press, off and release within a tick", "init move:in down:in move:host up:host",
     {S::FocusedHover, FacePicture::HighLightSelect, true, 1}},
    {"right release while normal", "init rdown:in rup:in", {S::Normal, FacePicture::Normal, false, 1}},
    {"middle release focused and hovered", "init move:in focus mdown:in mup:in", {S::FocusedHover, FacePicture::Pressed, true, 1}},
    {"right release while focused", "init focus rdown:in rup:in", {S::Focused, FacePicture::Selected, false, 0}},
    {"left release while hovered paints Normal and clicks", "init move:in up:in", {S::Hover, FacePicture::Normal, true, 1}},
    {"focus while hovered", "init move:in focus", {S::FocusedHover, FacePicture::Pressed, true, 0}},
    {"focused, pointer enters", "init focus move:in", {S::FocusedHover, FacePicture::HighLightSelect, false, 0}},
    {"focused and hovered, pointer leaves", "init focus move:in move:host tick", {S::Focused, FacePicture::Selected, false, 0}},
    {"not initialised: moves paint nothing, ticks never run", "move:in tick", {S::NotInitialised, FacePicture::Normal, false, 0}},
    {"not initialised: a release clicks", "move:in rup:in", {S::NotInitialised, FacePicture::Normal, false, 1}},
    {"not initialised: focus gives Focused", "move:in focus", {S::Focused, FacePicture::Selected, false, 0}},
    {"a resize paints Normal, still hovered", "init move:in resize", {S::Hover, FacePicture::Normal, true, 0}},
    {"disabled ignores everything", "disable init move:in down:in move:host tick up:in focus rup:in",
     {S::Normal, FacePicture::Disable, false, 0}},
    {"another program's window over the button", "init move:in cover tick", {S::Normal, FacePicture::Normal, false, 0}},
};

class CommandPointerTest : public CommandTest {
 protected:
  // Screen pixels: the form's client area starts at (0, 0).
  void Point(const std::string& where, std::int32_t& x, std::int32_t& y) {
    // The button covers pixels (20, 20) to (97, 45); its caption rows 25 to 37.
    if (where == "in") x = 22, y = 22;
    else if (where == "label") x = 50, y = 30;
    else x = 200, y = 200;  // the host
  }

  static std::int16_t ButtonOf(const std::string& verb) {
    return verb[0] == 'r' ? kRightButton : verb[0] == 'm' ? kMiddleButton : kLeftButton;
  }

  void Run(Command& button, const std::string& script) {
    std::istringstream words(script);
    std::string word;
    while (words >> word) {
      const auto colon = word.find(':');
      const std::string verb = word.substr(0, colon);
      std::int32_t x = 0, y = 0;
      if (colon != std::string::npos) Point(word.substr(colon + 1), x, y);
      if (verb == "init") button.Initialize();
      else if (verb == "disable") button.SetEnabled(false);
      else if (verb == "tick") Pump(100);
      else if (verb == "focus") sim.windowing.PostFocus(button.hWnd());
      else if (verb == "resize") button.Move(300, 300, 1200, 390);
      else if (verb == "cover") sim.AddForeignWindow("Another program", RectL{10, 10, 120, 60});
      else if (verb == "move") sim.windowing.PostMouseMove(x, y);
      // down and up with the left button; rdown, rup, mdown and mup with the right and the middle.
      else if (verb.ends_with("down")) sim.windowing.PostMouseDown(x, y, ButtonOf(verb));
      else if (verb.ends_with("up")) sim.windowing.PostMouseUp(x, y, ButtonOf(verb));
      else FAIL() << "unknown word " << word;
      Pump();
    }
  }
};

TEST_F(CommandPointerTest, StateTable) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    buttons.clear();
    clicks = 0;
    // No focus and no capture left over from the case before.
    sim.windowing.PostFocus(0);
    sim.windowing.PostMouseUp(600, 500, kLeftButton);
    Pump();
    Command& button = Place();
    Run(button, c.script);
    EXPECT_EQ(button.State(), c.expect.state);
    EXPECT_EQ(clicks, c.expect.clicks);
    EXPECT_EQ(Surface(button).bitmap, Face(button, c.expect.face, c.expect.reversed));
    // Whatever happened, the press is over once the button is up.
    const std::string script = c.script;
    if (script.find("down:") != std::string::npos && script.find("up:") != std::string::npos) {
      EXPECT_FALSE(button.MouseIsDown());
    }
  }
}

// The tracking tick runs while the pointer rests on the button: it must not repaint.
TEST_F(CommandPointerTest, TicksOverAHoveredButtonRepaintNothing) {
  Command& button = Place();
  Run(button, "init move:in");
  const auto refreshes = Surface(button).refreshCount;
  Run(button, "tick tick tick move:in");
  EXPECT_EQ(Surface(button).refreshCount, refreshes);
}

}  // namespace
}  // namespace tolvarin::testing
