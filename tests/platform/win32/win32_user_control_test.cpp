// The real GradientFill on a Win32 user-control surface against the
// simulated one. The button faces drawn through this backend are compared
// with the simulated faces by tests/e2e/button_e2e.sh.
#include <gtest/gtest.h>

#include "base/picture_copy.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_form.h"
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
  // A button face's gradient (both sizes and directions are on screen in the
  // button run), then other shapes, clipping and colour low bytes.
  const Case cases[] = {
      {77, 25, white, {76, 24, 0xC600, 0xC500, 0xD700, 0}, {1, 0}, kGradientFillRectV},
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

}  // namespace
}  // namespace tolvarin
