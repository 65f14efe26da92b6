#include <cstdio>
#include <tuple>

#include "support/sim_fixture.h"

namespace tolvarin::testing {
namespace {

using SaverStartTest = SimTest;

// The window and the copy cover every monitor, the copy's size and origin
// being the monitor table's. The load handler's last calls copy the desktop,
// then put the window on top; the title, being topmost and covering the
// screen are also checked under Wine.
TEST_F(SaverStartTest, LoadHandlerCopiesEveryMonitorThenShowsTheTopmostWindow) {
  const struct {
    sim::SimOptions screen;  // width, height, twips per pixel, the other monitors
    RectL covered;
  } cases[] = {
      {{64, 48, 15, {}}, {0, 0, 64, 48}},
      {{1024, 768, 15, {}}, {0, 0, 1024, 768}},
      {{128, 102, 12, {}}, {0, 0, 128, 102}},
      {{37, 5, 15, {}}, {0, 0, 37, 5}},
      {{40, 30, 15, {{40, 0, 72, 24}}}, {0, 0, 72, 30}},      // a second monitor to the right
      {{40, 30, 15, {{-32, 6, 0, 30}}}, {-32, 0, 40, 30}},    // ...to the left: a negative origin
      {{40, 30, 12, {{8, -20, 48, 0}}}, {0, -20, 48, 30}},    // ...above
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.screen.screenWidth + 1000 * c.covered.left);
    Make(c.screen);
    // Only the load handler: Main returns once the window is loaded.
    Main(*program);
    const RectL& r = c.covered;
    const sim::SimWindow* window = sim->desktop.Find(saver().form().hWnd());
    EXPECT_EQ(std::tie(window->rect.left, window->rect.top, window->rect.right, window->rect.bottom),
              std::tie(r.left, r.top, r.right, r.bottom));
    char desktop[32], copy[64];
    std::snprintf(desktop, sizeof desktop, "%#llx", (unsigned long long)sim->desktop.GetDesktopWindow());
    std::snprintf(copy, sizeof copy, "BitBlt(0,0,%d,%d,%d,%d,0xcc0020)", int(r.right - r.left),
                  int(r.bottom - r.top), int(r.left), int(r.top));
    const auto& calls = sim->desktop.calls;
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 4, calls.end()),
              (std::vector<std::string>{"GetDC(" + std::string(desktop) + ")", copy,
                                        "ReleaseDC(" + std::string(desktop) + ")", "SetWindowPos(-1,0,0,0,0,0x13)"}));
    // Every monitor's pixels are in the copy, each at its place, and the
    // display surface shows all of it: both are the window's size.
    EXPECT_EQ(saver().Master().Image(), wallpaper);
    EXPECT_EQ(sim->desktop.Screen(), wallpaper);
    EXPECT_EQ(saver().form().BackColor(), 0u);
    EXPECT_EQ(saver().form().WindowState(), 0);
  }
}

TEST_F(SaverStartTest, FailedDesktopCopyLeavesABlackPictureAndTheSaverRuns) {
  MakeScreen(16, 8);
  sim->desktop.desktopDcAvailable = false;
  Main(*program);
  EXPECT_EQ(saver().Master().Image(), Bitmap(16, 8, 0));
  EXPECT_EQ(sim->desktop.calls.back(), "SetWindowPos(-1,0,0,0,0,0x13)");  // the window still shows
  sim->windowing.haltAfterRefreshes = 2;
  EXPECT_TRUE(sim::ContinueRun(*sim).halted);
}

}  // namespace
}  // namespace tolvarin::testing
