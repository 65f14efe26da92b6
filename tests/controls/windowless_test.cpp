#include "controls/windowless.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "base/errors.h"
#include "platform/sim/sim_platform.h"
#include "support/sim_fixture.h"

namespace tolvarin::testing {
namespace {

constexpr std::uint32_t kBack = 0x00808080;  // the form's back colour, a grey that is the same as a pixel

// A borderless 200 x 100 pixel form at the screen's corner, shown, with a set
// of windowless controls in pixels and a panel with a set of its own.
class WindowlessTest : public ::testing::Test {
 protected:
  WindowlessTest() {
    form = sim.windowing.CreateForm(FormDesign{"Host", true, kBack});
    form->Move(0, 0, 200 * 15, 100 * 15);
    form->Show();
    controls = std::make_unique<WindowlessControls>(*form, ScaleUnit::Pixels, 15, 15);
  }
  sim::SimForm& simForm() { return static_cast<sim::SimForm&>(*form); }
  // A left, right or middle press and release at a client point.
  void Click(std::int32_t x, std::int32_t y, std::int16_t button = kLeftButton) {
    sim.windowing.PostButtonClick(x, y, button);
    sim.windowing.DoEvents();
  }
  // Records the events of a control as "name down 1", "name click", ...
  void Listen(Windowless& control, const std::string& name) {
    control.onMouseDown = [this, name](std::int16_t b, std::int16_t, float x, float y) {
      heard.push_back(name + " down " + std::to_string(b) + " at " + std::to_string(int(x)) + "," + std::to_string(int(y)));
    };
    control.onMouseUp = [this, name](std::int16_t b, std::int16_t, float, float) {
      heard.push_back(name + " up " + std::to_string(b));
    };
    control.onMouseMove = [this, name](std::int16_t b, std::int16_t, float, float) {
      heard.push_back(name + " move " + std::to_string(b));
    };
    control.onClick = [this, name] { heard.push_back(name + " click"); };
  }
  LabelDesign Label(ControlRect rect, const std::string& caption = "text") {
    LabelDesign design;
    design.rect = rect;
    design.caption = caption;
    return design;
  }

  sim::SimPlatform sim;
  std::unique_ptr<Form> form;
  std::unique_ptr<WindowlessControls> controls;
  std::vector<std::string> heard;
};

// An image takes a press before a label; among labels the last added lies on
// top; a disabled label and a shape let the pointer through.
TEST_F(WindowlessTest, PressesGoToTheControlOnTop) {
  WindowlessLabel& under = controls->AddLabel(Label({0, 0, 100, 20}));
  WindowlessLabel& over = controls->AddLabel(Label({50, 0, 100, 20}));
  WindowlessImage& image = controls->AddImage();
  image.Move(120, 0, 20, 20);
  controls->AddShape(ShapeDesign{{0, 50, 100, 40}, 0});
  Listen(under, "under");
  Listen(over, "over");
  Listen(image, "image");
  struct Row {
    std::int32_t x, y;
    const char* heard;  // nullptr: nobody
  } const rows[] = {
      {10, 5, "under down 1 at 10,5"}, {60, 5, "over down 1 at 10,5"},   {125, 5, "image down 1 at 5,5"},
      {149, 19, "over down 1 at 99,19"}, {150, 5, nullptr},               {10, 20, nullptr},
      {10, 60, nullptr},
  };
  for (const Row& row : rows) {
    heard.clear();
    Click(row.x, row.y);
    SCOPED_TRACE(std::to_string(row.x) + "," + std::to_string(row.y));
    if (row.heard) {
      ASSERT_FALSE(heard.empty());
      EXPECT_EQ(heard[0], row.heard);
    } else {
      EXPECT_TRUE(heard.empty());
    }
  }
  over.SetEnabled(false);
  heard.clear();
  Click(60, 5);
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard[0], "under down 1 at 60,5");
}

// A click is a left press and release over the same control; the pointer
// stays with the pressed control until every button is up.
TEST_F(WindowlessTest, AClickIsALeftPressAndReleaseOverTheSameControl) {
  WindowlessLabel& label = controls->AddLabel(Label({0, 0, 50, 20}));
  WindowlessLabel& other = controls->AddLabel(Label({60, 0, 50, 20}));
  Listen(label, "label");
  Listen(other, "other");
  Click(10, 5);
  Click(10, 5, kRightButton);
  sim.windowing.PostMouseDown(10, 5, kLeftButton);
  sim.windowing.PostMouseMove(70, 5);
  sim.windowing.PostMouseUp(70, 5, kLeftButton);
  sim.windowing.PostMouseDown(10, 5, kLeftButton);
  sim.windowing.PostMouseDown(10, 5, kRightButton, 0);
  sim.windowing.PostMouseUp(10, 5, kLeftButton);
  sim.windowing.PostMouseUp(70, 5, kRightButton);
  sim.windowing.DoEvents();
  EXPECT_EQ(heard, (std::vector<std::string>{
                       "label down 1 at 10,5", "label up 1", "label click",     // a click
                       "label down 2 at 10,5", "label up 2",                     // a right press: no click
                       "label down 1 at 10,5", "label move 1", "label up 1",     // released over the other
                       "label down 1 at 10,5", "label down 2 at 10,5", "label up 1", "label click",
                       "label up 2"}));
}

// Painting: images stretched by nearest pixel and shape outlines on the
// retained picture; text recorded as the platform is asked to draw it.
TEST_F(WindowlessTest, ImagesShapesAndTextArePaintedOverTheRetainedPicture) {
  const Bitmap picture = PatternPicture(4, 3);
  WindowlessImage& image = controls->AddImage();
  image.SetPicture(picture);
  image.Move(10.5, 5, 8, 6);  // halves of a pixel go away from zero
  controls->AddShape(ShapeDesign{{100, 50, 5, 4}, 0x000000FF});
  LabelDesign design = Label({30, 40, 60, 20}, "caption");
  design.autoSize = true;
  design.foreColor = 0x80000008;
  WindowlessLabel& label = controls->AddLabel(design);
  controls->AddLabel(Label({0, 80, 10, 10}, ""));  // nothing to draw
  sim.windowing.Recompose();

  const Bitmap& screen = sim.desktop.Screen();
  Bitmap stretched(8, 6);
  StretchNearest(ViewOf(stretched), ViewOf(const_cast<Bitmap&>(picture)));
  for (std::int32_t y = 0; y < 6; ++y)
    for (std::int32_t x = 0; x < 8; ++x) ASSERT_EQ(screen.at(11 + x, 5 + y), stretched.at(x, y)) << x << "," << y;
  EXPECT_EQ(screen.at(19, 5), kBack);
  for (auto [x, y, red] : {std::tuple{100, 50, true}, {104, 53, true}, {102, 50, true}, {104, 51, true},
                           {101, 51, false}, {105, 50, false}, {100, 54, false}})
    EXPECT_EQ(screen.at(x, y), red ? 0xFF0000u : kBack) << x << "," << y;

  const auto& runs = simForm().windowless.textRuns;
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, "caption");
  EXPECT_EQ(runs[0].color, 0x80000008u);
  EXPECT_TRUE(runs[0].singleLine);
  EXPECT_FALSE(runs[0].greyed);
  EXPECT_EQ(runs[0].rect.left, 30);
  EXPECT_EQ(runs[0].rect.right, 90);

  // Sized to its text: a text wider than the design widens the label, and it
  // takes the pointer there too.
  Listen(label, "label");
  simForm().windowless.textWidth = 100;
  sim.windowing.Recompose();
  EXPECT_EQ(simForm().windowless.textRuns[0].rect.right, 130);
  Click(120, 45);
  EXPECT_EQ(heard, (std::vector<std::string>{"label down 1 at 90,5", "label up 1", "label click"}));
  label.SetEnabled(false);
  sim.windowing.Recompose();
  EXPECT_TRUE(simForm().windowless.textRuns[0].greyed);
}

// In twips, positions become pixels by the one rounding rule, and pointer
// positions come back in twips relative to the control.
TEST_F(WindowlessTest, TwipsAreConvertedWithHalvesAwayFromZero) {
  WindowlessControls twips(*form, ScaleUnit::Twips, 12, 12);
  WindowlessLabel& label = twips.AddLabel();
  label.SetCaption("x");
  label.SetLeft(30);     // 2.5 pixels: 3
  label.SetTop(18);      // 1.5: 2
  label.SetWidth(114);   // 9.5: 10
  label.SetHeight(42);   // 3.5: 4
  sim.windowing.Recompose();
  const RectL rect = simForm().windowless.textRuns.at(0).rect;
  EXPECT_EQ((std::array{rect.left, rect.top, rect.right, rect.bottom}), (std::array{3, 2, 13, 6}));
  EXPECT_EQ(simForm().windowless.textRuns[0].fontTwipsPerPixel, 12);
  Listen(label, "label");
  Click(12, 5);
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard[0], "label down 1 at 114,42");
  heard.clear();
  Click(13, 5);
  EXPECT_TRUE(heard.empty());
}

TEST_F(WindowlessTest, BadSizesAndColoursAreRefused) {
  WindowlessLabel& label = controls->AddLabel();
  WindowlessImage& image = controls->AddImage();
  EXPECT_THROW(label.SetWidth(-1), ProgramError);
  EXPECT_THROW(label.SetHeight(-0.5), ProgramError);
  EXPECT_THROW(image.Move(0, 0, -1, 5), ProgramError);
  EXPECT_NO_THROW(image.Move(-5, -5, 0, 0));
  struct Row {
    std::uint32_t colour;
    bool valid;
  } const rows[] = {{0x00FFFFFF, true},  {0x01000000, false}, {0x80000000, true},
                    {0x8000001E, true},  {0x8000001F, false}, {0x81000000, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.colour);
    if (row.valid) {
      label.SetForeColor(row.colour);
      EXPECT_EQ(label.ForeColor(), row.colour);
    } else {
      EXPECT_THROW(label.SetForeColor(row.colour), ProgramError);
      EXPECT_NE(label.ForeColor(), row.colour);
    }
  }
}

}  // namespace
}  // namespace tolvarin::testing
