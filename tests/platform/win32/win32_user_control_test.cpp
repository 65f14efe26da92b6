// The Win32 user-control surface: the real GradientFill against the
// simulated one, and button faces drawn through this backend against the
// same faces on the simulated platform, pixel for pixel.
#include <gtest/gtest.h>

#include "base/bmp.h"
#include "base/picture_copy.h"
#include "controls/command.h"
#include "platform/sim/sim_platform.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_pictures.h"
#include "platform/win32/win32_user32.h"
#include "platform/win32/win32_user_control.h"
#include "platform/win32/win32_windowing.h"

namespace tolvarin {
namespace {

constexpr std::uint32_t kBack = 0x00563412;  // 0x00BBGGRR: pixel 0x123456

TEST(Win32GradientFill, TheRealCallDrawsWhatTheSimulationDraws) {
  struct Case {
    std::int32_t width, height;
    TriVertex a, b;
    GradientRect rect;
    std::uint32_t mode;
  };
  const TriVertex white{0, 0, 0xFF00, 0xFF00, 0xFF00, 0};
  const Case cases[] = {
      {77, 25, white, {76, 24, 0xC600, 0xC500, 0xD700, 0}, {1, 0}, kGradientFillRectV},
      {41, 21, white, {40, 20, 0xC600, 0xC500, 0xD700, 0}, {1, 0}, kGradientFillRectV},
      {77, 25, {0, 0, 0xC600, 0xC500, 0xD700, 0}, {76, 24, 0xFF00, 0xFF00, 0xFF00, 0}, {1, 0}, kGradientFillRectV},
      {77, 25, white, {76, 24, 0xC600, 0xC500, 0xD700, 0}, {0, 1}, kGradientFillRectV},
      {117, 300, {3, 5, 0x1200, 0xFF00, 0x0000, 0}, {110, 290, 0xFE00, 0x0100, 0x8000, 0}, {1, 0}, kGradientFillRectV},
      {60, 40, {-10, -7, 0xFF00, 0x0000, 0x4000, 0}, {80, 55, 0x0000, 0xFF00, 0xC000, 0}, {0, 1}, kGradientFillRectV},
      {77, 25, {0, 0, 0x12FF, 0x34FF, 0x56FF, 0}, {76, 24, 0xC6FF, 0xC5FF, 0xD7FF, 0}, {1, 0}, kGradientFillRectV},
      {9, 3, white, {8, 2, 0, 0, 0, 0}, {1, 0}, kGradientFillRectV},
  };
  Win32Windowing windowing;
  Win32Gdi32 gdi32;
  auto form = windowing.CreateForm(FormDesign{"Gradient", true, kBack});
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " rect " << c.rect.UpperLeft);
    UserControlSurface& surface = form->AddUserControl("Tolvarin.GradientProbe");
    surface.Move(0, 0, c.width * windowing.TwipsPerPixelX(), c.height * windowing.TwipsPerPixelY());
    surface.SetBackColor(kBack);
    surface.Cls();
    const TriVertex vertices[2] = {c.a, c.b};
    ASSERT_NE(gdi32.GradientFill(surface.hDC(), vertices, 2, &c.rect, 1, c.mode), 0);
    const Bitmap real = surface.Image();
    ASSERT_EQ(real.width, c.width);
    Bitmap simulated(c.width, c.height, PixelFromColor(kBack));
    ASSERT_TRUE(GradientFillPixels(ViewOf(simulated), vertices, 2, &c.rect, 1, c.mode));
    EXPECT_EQ(real, simulated);
  }
}

TEST(Win32Pictures, TheStatePicturesDecodeAsTheSimulationDecodesThem) {
  int found = 0;
  for (const sim::EmbeddedPicture& picture : sim::EmbeddedPictures()) {
    if (picture.size < 2 || picture.bytes[0] != 'B') continue;
    ++found;
    const auto platform = win32::Win32Pictures::DecodePicture(picture.bytes, picture.size);
    const auto own = DecodeBmp24(picture.bytes, picture.size);
    ASSERT_TRUE(platform && own) << picture.name;
    EXPECT_EQ(*platform, *own) << picture.name;
  }
  EXPECT_EQ(found, 7);  // the six button faces and the settings dialog's tile
}

TEST(Win32UserControl, ButtonFacesEqualTheSimulatedOnes) {
  sim::SimPlatform sim;
  Win32User32 user32;
  Win32Gdi32 gdi32;
  Win32Windowing windowing;
  // The real windowing and drawing; the pictures from the same embedded files.
  Platform real{user32, gdi32, sim.winmm, windowing, sim.process, sim.files, sim.libraries, sim.pictures, sim.shell};
  auto realForm = windowing.CreateForm(FormDesign{"Faces", true, kBack});
  realForm->Move(0, 0, 4500, 3000);
  auto simForm = sim.windowing.CreateForm(FormDesign{"Faces", true, kBack});
  FontSpec font;
  font.name = "ＭＳ Ｐゴシック";
  const PropertyBag set{{"Caption", std::string("設定")}, {"Font", font}};
  for (auto [width, height] : {std::pair{1155.0, 375.0}, std::pair{615.0, 315.0}}) {
    auto onScreen = Command::Place(real, *realForm, set, 300, 300, width, height);
    auto simulated = Command::Place(sim.platform(), *simForm, set, 300, 300, width, height);
    for (bool hovered : {false, true}) {
      for (int picture = 0; picture < 6; ++picture) {
        for (Command* button : {onScreen.get(), simulated.get()}) {
          button->Initialize();
          if (hovered) button->UserControl_MouseMove(0, 0, 0, 0);
          button->DrawFace(FacePicture(picture));
        }
        EXPECT_EQ(onScreen->surface().Image(), simulated->surface().Image())
            << width << " twips wide, picture " << picture << (hovered ? ", reversed" : "");
        EXPECT_EQ(onScreen->LblMsg().Top(), simulated->LblMsg().Top());
      }
    }
    // Pointer and focus state stays where the two left it.
    onScreen.reset();
    simulated.reset();
  }
}

}  // namespace
}  // namespace tolvarin
