#include <algorithm>
#include <cstdio>
#include <tuple>

#include "support/sim_fixture.h"

namespace tolvarin::testing {
namespace {

class SaverStartTest : public SimTest {
 protected:
  void StartSaver(std::int32_t width = 64, std::int32_t height = 48, double twipsPerPixel = 15) {
    sim::SimOptions options;
    options.screenWidth = width;
    options.screenHeight = height;
    options.twipsPerPixel = twipsPerPixel;
    Make(options);
    // Only the load handler: Main returns once the window is loaded.
    Main(*program);
  }
  std::vector<std::string> CallsFrom(const std::string& first) const {
    const auto& calls = sim->desktop.calls;
    auto it = std::find_if(calls.begin(), calls.end(),
                           [&](const std::string& c) { return c.rfind(first, 0) == 0; });
    return std::vector<std::string>(it, calls.end());
  }
};

TEST_F(SaverStartTest, LoadHandlerCopiesTheDesktopThenShowsTheTopmostWindow) {
  StartSaver();
  char desktop[32];
  std::snprintf(desktop, sizeof desktop, "%#llx", (unsigned long long)sim->desktop.GetDesktopWindow());
  const auto calls = CallsFrom("GetDC");
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0], "GetDC(" + std::string(desktop) + ")");
  EXPECT_EQ(calls[1], "BitBlt(0,0,64,48,0,0,0xcc0020)");
  EXPECT_EQ(calls[2], "ReleaseDC(" + std::string(desktop) + ")");
  EXPECT_EQ(calls[3], "SetWindowPos(-1,0,0,0,0,0x13)");
  EXPECT_EQ(sim->desktop.OpenDesktopDcs(), 0);
  EXPECT_EQ(saver().result(), 1);

  Form& form = saver().form();
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(form.BackColor(), 0u);
  EXPECT_EQ(form.WindowState(), 0);
  EXPECT_EQ(sim->desktop.FindWindowA("Tolvarin_Main"), form.hWnd());
  const sim::SimWindow* window = sim->desktop.Find(form.hWnd());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->topmost);
  EXPECT_EQ(window->rect.left, 0);
  EXPECT_EQ(window->rect.top, 0);
  EXPECT_EQ(window->rect.right, 64);
  EXPECT_EQ(window->rect.bottom, 48);
}

TEST_F(SaverStartTest, CopyIsTheDesktopWithoutTheSaverWindow) {
  StartSaver();
  EXPECT_EQ(saver().Master().Image(), wallpaper);
  EXPECT_EQ(saver().Display().Image(), wallpaper);
  // The screen now shows the window, which shows the copy.
  EXPECT_EQ(sim->desktop.Screen(), wallpaper);
}

TEST_F(SaverStartTest, SurfacesCoverTheScreenAtAnyResolution) {
  for (auto [w, h, tpp] : {std::tuple{1024, 768, 15.0}, std::tuple{1280, 1024, 12.0}, std::tuple{37, 5, 15.0}}) {
    SCOPED_TRACE(w);
    StartSaver(w, h, tpp);
    EXPECT_DOUBLE_EQ(saver().form().Width(), w * tpp);
    EXPECT_DOUBLE_EQ(saver().form().ScaleWidth(), w);
    EXPECT_DOUBLE_EQ(saver().Display().Width(), w);
    EXPECT_DOUBLE_EQ(saver().Display().Height(), h);
    EXPECT_DOUBLE_EQ(saver().Master().Width(), w);
    EXPECT_DOUBLE_EQ(saver().Master().Height(), h);
    EXPECT_EQ(saver().Master().Image(), wallpaper);
  }
}

TEST_F(SaverStartTest, TimersAfterLoad) {
  StartSaver();
  EXPECT_TRUE(saver().Timer3().Enabled());
  EXPECT_EQ(saver().Timer3().Interval(), 1);
  EXPECT_FALSE(saver().Timer2().Enabled());
  EXPECT_EQ(saver().Timer2().Interval(), 200);
  EXPECT_FALSE(saver().Timer1().Enabled());
  EXPECT_EQ(saver().Timer1().Interval(), 1000);
}

TEST_F(SaverStartTest, FailedDesktopCopyLeavesABlackPictureAndTheSaverRuns) {
  sim::SimOptions options;
  options.screenWidth = 16;
  options.screenHeight = 8;
  Make(options);
  sim->desktop.desktopDcAvailable = false;
  Main(*program);
  EXPECT_EQ(saver().Master().Image(), Bitmap(16, 8, 0));
  EXPECT_EQ(saver().result(), 1);  // SetWindowPos still ran
  sim->windowing.haltAfterRefreshes = 2;
  EXPECT_TRUE(sim::ContinueRun(*sim).halted);
}

}  // namespace
}  // namespace tolvarin::testing
