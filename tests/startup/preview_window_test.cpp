#include "startup/preview_window.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "platform/sim/sim_pictures.h"
#include "support/sim_fixture.h"

namespace tolvarin::testing {
namespace {

// Checks that `action` raises the program's overflow error.
void ExpectOverflow(const std::function<void()>& action) {
  try {
    action();
    ADD_FAILURE() << "no error raised";
  } catch (const ProgramError& error) {
    EXPECT_EQ(error.number(), kErrorOverflow);
  }
}

TEST(PreviewHostHandleTest, ReadsTheLeadingNumberFromTheFourthCharacter) {
  EXPECT_EQ(PreviewHostHandle("/p 1234"), 1234);
  EXPECT_EQ(PreviewHostHandle("/P:1234"), 1234);
  EXPECT_EQ(PreviewHostHandle("/p 12x34"), 12);
  // The first three characters are skipped whatever they are.
  EXPECT_EQ(PreviewHostHandle("/p1234"), 234);
  EXPECT_EQ(PreviewHostHandle("xyz99"), 99);
  EXPECT_EQ(PreviewHostHandle("/p 7"), 7);
  // Blanks before the number are skipped; a sign belongs to it.
  EXPECT_EQ(PreviewHostHandle("/p    56"), 56);
  EXPECT_EQ(PreviewHostHandle("/p -20"), -20);
}

TEST(PreviewHostHandleTest, NoNumberGivesZero) {
  for (const char* tail : {"", "/", "/p", "/p ", "/p abc", "/p x12", "/p  "}) {
    SCOPED_TRACE(tail);
    EXPECT_EQ(PreviewHostHandle(tail), 0);
  }
}

TEST(PreviewHostHandleTest, RoundsHalfToEven) {
  EXPECT_EQ(PreviewHostHandle("/p 2.5"), 2);
  EXPECT_EQ(PreviewHostHandle("/p 3.5"), 4);
  EXPECT_EQ(PreviewHostHandle("/p 3.49"), 3);
  EXPECT_EQ(PreviewHostHandle("/p 1e3"), 1000);
}

TEST(PreviewHostHandleTest, HandlesOutsideSigned32BitsOverflow) {
  EXPECT_EQ(PreviewHostHandle("/p 2147483647"), 2147483647);
  EXPECT_EQ(PreviewHostHandle("/p -2147483648"), -2147483647 - 1);
  for (const char* tail : {"/p 2147483648", "/p 4294967296", "/p -2147483649", "/p 1e300",
                           "/p 1e999"}) {
    SCOPED_TRACE(tail);
    ExpectOverflow([&] { PreviewHostHandle(tail); });
  }
}

// Stands in for the platform's user32, passing every call on to the
// simulation and recording the ones the preview makes.
class WatchingUser32 final : public User32 {
 public:
  explicit WatchingUser32(User32& inner) : inner_(inner) {}

  struct Posted {
    Hwnd window;
    std::uint32_t message;
    std::intptr_t wParam, lParam;
  };
  std::vector<Posted> posted;
  std::function<void()> beforeSetParent;
  // Style bits the window has besides those the simulation keeps.
  std::int32_t extraStyle = 0;

  Hwnd FindWindowA(const std::string& title) override { return inner_.FindWindowA(title); }
  std::int32_t ShowCursor(std::int32_t show) override { return inner_.ShowCursor(show); }
  Hwnd GetDesktopWindow() override { return inner_.GetDesktopWindow(); }
  Hdc GetDC(Hwnd window) override { return inner_.GetDC(window); }
  std::int32_t ReleaseDC(Hwnd window, Hdc dc) override { return inner_.ReleaseDC(window, dc); }
  std::int32_t GetWindowRect(Hwnd window, RectL& rect) override { return inner_.GetWindowRect(window, rect); }
  std::int32_t GetWindowLongA(Hwnd window, std::int32_t index) override {
    return inner_.GetWindowLongA(window, index) | (index == kGwlStyle ? extraStyle : 0);
  }
  std::int32_t SetWindowLongA(Hwnd window, std::int32_t index, std::int32_t value) override {
    return inner_.SetWindowLongA(window, index, value);
  }
  Hwnd SetParent(Hwnd child, Hwnd parent) override {
    if (beforeSetParent) beforeSetParent();
    return inner_.SetParent(child, parent);
  }
  std::int32_t PostMessageA(Hwnd window, std::uint32_t message, std::intptr_t wParam,
                            std::intptr_t lParam) override {
    posted.push_back({window, message, wParam, lParam});
    return inner_.PostMessageA(window, message, wParam, lParam);
  }
  std::int32_t SetWindowPos(Hwnd window, Hwnd insertAfter, std::int32_t x, std::int32_t y,
                            std::int32_t cx, std::int32_t cy, std::uint32_t flags) override {
    return inner_.SetWindowPos(window, insertAfter, x, y, cx, cy, flags);
  }
  std::int32_t IsWindow(Hwnd window) override { return inner_.IsWindow(window); }

 private:
  User32& inner_;
};

// Records every file access; the preview must make none.
class WatchingFiles final : public FileSystem {
 public:
  explicit WatchingFiles(FileSystem& inner) : inner_(inner) {}
  std::vector<std::string> accesses;

  bool CanOpenForReading(const std::string& path) override {
    accesses.push_back(path);
    return inner_.CanOpenForReading(path);
  }
  bool PathExists(const std::string& path) override {
    accesses.push_back(path);
    return inner_.PathExists(path);
  }
  std::optional<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) override {
    accesses.push_back(path);
    return inner_.ReadFileBytes(path, maxBytes);
  }
  bool ReplaceFileBytes(const std::string& path, const std::string& bytes) override {
    accesses.push_back(path);
    return inner_.ReplaceFileBytes(path, bytes);
  }

 private:
  FileSystem& inner_;
};

// Serves no picture at all.
class NoPictures final : public Pictures {
 public:
  std::optional<Bitmap> LoadPictureResource(const std::string&) override { return std::nullopt; }
};

std::string Hex(Hwnd window) {
  char text[32];
  std::snprintf(text, sizeof text, "%#llx", static_cast<unsigned long long>(window));
  return text;
}

class PreviewTest : public SimTest {
 protected:
  // A fresh simulation with a host window at `hostRect`; the tail names the
  // host unless `tail` is given. The program runs on watched user32 and files.
  void Prepare(const RectL& hostRect, const std::string& tailPrefix = "/p ",
               double twipsPerPixel = 15) {
    sim::SimOptions options;
    options.screenWidth = 320;
    options.screenHeight = 240;
    options.twipsPerPixel = twipsPerPixel;
    Make(options);
    sim->files.AddFile("C:\\Program Files\\Tolvarin\\Tolvarin.ini",
                       "[Section]\r\nBGM区分=1\r\n");
    host = sim->AddForeignWindow("Display Properties", hostRect);
    sim->process.commandTail = tailPrefix + std::to_string(host);
    user32 = std::make_unique<WatchingUser32>(sim->desktop);
    files = std::make_unique<WatchingFiles>(sim->files);
    watched = std::make_unique<Platform>(Platform{*user32, sim->desktop, sim->winmm, sim->windowing,
                                                  sim->process, *files, sim->libraries, pictures()});
    program = std::make_unique<Program>(*watched);
  }
  virtual Pictures& pictures() { return sim->pictures; }

  PreviewWindow& preview() { return *program->previewWindow; }
  sim::SimImage& image() { return static_cast<sim::SimImage&>(preview().Img_Prev()); }
  const sim::SimWindow* window() { return sim->desktop.Find(preview().Tolvarin_R().hWnd()); }

  // The part of the screen the host covers.
  Bitmap HostArea(const RectL& rect) {
    Bitmap area(rect.right - rect.left, rect.bottom - rect.top);
    CopyBlock(ViewOf(area), 0, 0, area.width, area.height, ViewOf(sim->desktop.Screen()), rect.left,
              rect.top);
    return area;
  }

  static std::optional<Bitmap> Picture() {
    sim::SimPictures decoder;
    return decoder.LoadPictureResource(kPreviewPictureName);
  }

  Hwnd host = 0;
  std::unique_ptr<WatchingUser32> user32;
  std::unique_ptr<WatchingFiles> files;
  std::unique_ptr<Platform> watched;
};

TEST_F(PreviewTest, HostOfThePictureSizeShowsThePictureAsItIs) {
  const RectL hostRect{100, 80, 252, 192};
  Prepare(hostRect);
  const auto outcome = Run();
  // Shown, and waiting for the host to close it.
  EXPECT_TRUE(outcome.idle);
  EXPECT_FALSE(outcome.ended);
  ASSERT_TRUE(program->previewWindow);

  EXPECT_EQ(preview().hostWindow, host);
  EXPECT_EQ(preview().placement.left, 0);
  EXPECT_EQ(preview().placement.top, 0);
  EXPECT_EQ(preview().placement.width, 2280);
  EXPECT_EQ(preview().placement.height, 1680);
  Form& form = preview().Tolvarin_R();
  EXPECT_EQ(form.Left(), 0);
  EXPECT_EQ(form.Top(), 0);
  EXPECT_EQ(form.Width(), 2280);
  EXPECT_EQ(form.Height(), 1680);
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(image().Left(), 0);
  EXPECT_EQ(image().Top(), 0);
  EXPECT_EQ(image().Width(), 152);
  EXPECT_EQ(image().Height(), 112);

  // A child of the host, covering exactly the host's area.
  const sim::SimWindow* own = window();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->parent, host);
  EXPECT_EQ(own->style & kWsChild, kWsChild);
  EXPECT_EQ(own->rect.left, 100);
  EXPECT_EQ(own->rect.top, 80);
  EXPECT_EQ(own->rect.right, 252);
  EXPECT_EQ(own->rect.bottom, 192);

  if (!sim::SimPictures::CanDecode()) GTEST_SKIP() << "this build of the sim decodes no pictures";
  const auto picture = Picture();
  ASSERT_TRUE(picture);
  EXPECT_EQ(image().picture, *picture);
  EXPECT_EQ(HostArea(hostRect), *picture);
}

TEST_F(PreviewTest, LargerHostStretchesThePicture) {
  const RectL hostRect{10, 20, 210, 170};
  Prepare(hostRect);
  Run();
  ASSERT_TRUE(program->previewWindow);
  EXPECT_EQ(preview().placement.width, 3000);
  EXPECT_EQ(preview().placement.height, 2250);
  EXPECT_EQ(image().Width(), 200);
  EXPECT_EQ(image().Height(), 150);

  if (!sim::SimPictures::CanDecode()) GTEST_SKIP() << "this build of the sim decodes no pictures";
  const auto picture = Picture();
  ASSERT_TRUE(picture);
  const Bitmap shown = HostArea(hostRect);
  // Each pixel shows the picture pixel under its centre.
  for (std::int32_t y = 0; y < 150; ++y) {
    for (std::int32_t x = 0; x < 200; ++x) {
      const std::int32_t sx = (2 * x + 1) * 152 / 400, sy = (2 * y + 1) * 112 / 300;
      ASSERT_EQ(shown.at(x, y), picture->at(sx, sy)) << x << "," << y;
    }
  }
  EXPECT_EQ(shown.at(0, 0), picture->at(0, 0));
  EXPECT_EQ(shown.at(199, 149), picture->at(151, 111));
}

TEST_F(PreviewTest, PlacementFollowsTheScreenFactor) {
  // At 120 dots per inch a pixel is 12 twips; Img_Prev still spans the host's pixels.
  Prepare(RectL{0, 0, 152, 112}, "/p ", 12);
  Run();
  ASSERT_TRUE(program->previewWindow);
  EXPECT_EQ(preview().placement.width, 1824);
  EXPECT_EQ(preview().placement.height, 1344);
  EXPECT_EQ(image().Width(), 152);
  EXPECT_EQ(image().Height(), 112);
}

TEST_F(PreviewTest, BothTailFormsFindTheHost) {
  for (const char* prefix : {"/p ", "/P:", "-p  ", "/p 0"}) {
    SCOPED_TRACE(prefix);
    Prepare(RectL{0, 0, 40, 30}, prefix);
    // "/p 0" followed by the handle reads as the same number.
    Run();
    ASSERT_TRUE(program->previewWindow);
    EXPECT_EQ(preview().hostWindow, host);
    EXPECT_EQ(window()->parent, host);
  }
}

TEST_F(PreviewTest, WindowAsDesigned) {
  Prepare(RectL{0, 0, 40, 30});
  Run();
  ASSERT_TRUE(program->previewWindow);
  const auto* form = static_cast<sim::SimForm*>(&preview().Tolvarin_R());
  EXPECT_EQ(form->design.caption, "Preview Window");
  EXPECT_TRUE(form->design.borderless);
  EXPECT_FALSE(form->design.showInTaskbar);
  EXPECT_EQ(form->BackColor(), 0x00C0C0C0u);
  EXPECT_EQ(form->images.size(), 1u);
  EXPECT_TRUE(form->surfaces.empty());
  EXPECT_TRUE(form->timers.empty());
  // A child window is not a second instance to a later start.
  EXPECT_EQ(sim->desktop.FindWindowA("Preview Window"), 0);
}

TEST_F(PreviewTest, CallsInOrder) {
  Prepare(RectL{0, 0, 40, 30});
  Run();
  ASSERT_TRUE(program->previewWindow);
  std::vector<std::string> calls;
  for (const std::string& call : sim->desktop.calls)
    if (call.rfind("FindWindowA", 0) != 0) calls.push_back(call);
  const std::vector<std::string> expected = {
      "GetWindowRect(" + Hex(host) + ")",
      "IsWindow(" + std::to_string(host) + ")",
      "GetWindowLongA(-16)",
      "SetWindowLongA(-16,0x40000000)",
      "SetParent",
      "IsWindow(" + std::to_string(host) + ")",
  };
  EXPECT_EQ(calls, expected);
  // The last result stored is SetParent's: the previous parent, the desktop.
  EXPECT_EQ(program->state.lastApiResult, std::int32_t(sim->desktop.GetDesktopWindow()));
}

TEST_F(PreviewTest, KeepsTheStyleBitsItFinds) {
  Prepare(RectL{0, 0, 40, 30});
  // Visible, clipping siblings and children, as a window might be made.
  user32->extraStyle = 0x16000000;
  Run();
  ASSERT_TRUE(program->previewWindow);
  EXPECT_EQ(window()->style, 0x56000000);
}

TEST_F(PreviewTest, NoHandleEndsQuietlyWithoutAWindow) {
  for (const char* tail : {"/p", "/p ", "/p 0", "/p abc", "/p 999999", "/p -5"}) {
    SCOPED_TRACE(tail);
    Prepare(RectL{0, 0, 40, 30});
    sim->process.commandTail = tail;
    const auto outcome = Run();
    EXPECT_TRUE(outcome.ended);
    EXPECT_FALSE(outcome.errorReported);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_FALSE(program->previewWindow);
    EXPECT_TRUE(sim->windowing.Forms().empty());
    EXPECT_TRUE(user32->posted.empty());
  }
}

TEST_F(PreviewTest, OversizedHostEndsWithTheOverflowReport) {
  for (const RectL& rect : {RectL{0, 0, 2185, 100}, RectL{0, 0, 100, 2185}, RectL{-2000, 0, 185, 10},
                            RectL{-2147483647 - 1, 0, 2147483647, 10}}) {
    SCOPED_TRACE(std::to_string(rect.left) + ".." + std::to_string(rect.right) + " x " +
                 std::to_string(rect.top) + ".." + std::to_string(rect.bottom));
    Prepare(rect);
    const auto outcome = Run();
    EXPECT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.errorReported);
    ASSERT_TRUE(sim->process.errorReport);
    EXPECT_EQ(*sim->process.errorReport, "Run-time error '6':\n\nOverflow");
    EXPECT_FALSE(program->previewWindow);
    EXPECT_TRUE(sim->windowing.Forms().empty());
  }
}

TEST_F(PreviewTest, LargestHostThatFits) {
  Prepare(RectL{0, 0, 2184, 2184});
  const auto outcome = Run();
  EXPECT_FALSE(outcome.ended);
  ASSERT_TRUE(program->previewWindow);
  EXPECT_EQ(preview().placement.width, 32760);
  EXPECT_EQ(preview().placement.height, 32760);
  EXPECT_EQ(image().Width(), 2184);
}

TEST_F(PreviewTest, HandleBeyond32BitsEndsWithTheOverflowReport) {
  Prepare(RectL{0, 0, 40, 30});
  sim->process.commandTail = "/p 4294967296";
  const auto outcome = Run();
  EXPECT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.errorReported);
  ASSERT_TRUE(sim->process.errorReport);
  EXPECT_EQ(*sim->process.errorReport, "Run-time error '6':\n\nOverflow");
  // Nothing was asked of the window manager after the single-instance test.
  EXPECT_EQ(std::count_if(sim->desktop.calls.begin(), sim->desktop.calls.end(),
                          [](const std::string& c) { return c.rfind("FindWindowA", 0) != 0; }),
            0);
}

TEST_F(PreviewTest, ReadsNoSettings) {
  Prepare(RectL{0, 0, 40, 30});
  Run();
  ASSERT_TRUE(program->previewWindow);
  EXPECT_TRUE(files->accesses.empty());
  EXPECT_EQ(program->state.settings.musicMode, 0);
  EXPECT_EQ(program->state.settings.effectDegree, 0);
}

TEST_F(PreviewTest, DestroyingTheHostEndsTheRun) {
  Prepare(RectL{30, 40, 70, 70});
  sim->windowing.PostDestroyForeign(host, 5'000'000);
  const auto outcome = Run();
  ASSERT_TRUE(program->previewWindow);
  EXPECT_EQ(sim->windowing.LiveForms(), 0u);
  EXPECT_TRUE(static_cast<sim::SimForm&>(preview().Tolvarin_R()).Destroyed());
  // The run ended as the host went, not later.
  EXPECT_EQ(sim->clock.Now(), 5'000'000);
  EXPECT_FALSE(outcome.halted);
  // Nothing of the preview is left on the screen.
  EXPECT_EQ(sim->desktop.Screen(), wallpaper);
}

TEST_F(PreviewTest, UnloadPostsCloseToItsOwnWindow) {
  Prepare(RectL{0, 0, 40, 30});
  Run();
  ASSERT_TRUE(program->previewWindow);
  const Hwnd own = preview().Tolvarin_R().hWnd();
  program->state.lastApiResult = -7;
  preview().Tolvarin_R().Unload();
  ASSERT_EQ(user32->posted.size(), 1u);
  EXPECT_EQ(user32->posted[0].window, own);
  EXPECT_EQ(user32->posted[0].message, 0x0010u);
  EXPECT_EQ(user32->posted[0].wParam, 0);
  EXPECT_EQ(user32->posted[0].lParam, 0);
  EXPECT_EQ(program->state.lastApiResult, 1);
  // The unload went through.
  EXPECT_EQ(sim->windowing.LiveForms(), 0u);
}

TEST_F(PreviewTest, HostGoneBeforeSetParentEndsQuietly) {
  Prepare(RectL{0, 0, 40, 30});
  user32->beforeSetParent = [&] { sim->DestroyForeignWindow(host); };
  const auto outcome = Run();
  EXPECT_TRUE(outcome.ended);
  EXPECT_FALSE(outcome.errorReported);
}

class PreviewWithoutPictureTest : public PreviewTest {
 protected:
  Pictures& pictures() override { return none_; }
  NoPictures none_;
};

TEST_F(PreviewWithoutPictureTest, ShowsTheGreyBackground) {
  const RectL hostRect{5, 5, 45, 35};
  Prepare(hostRect);
  Run();
  ASSERT_TRUE(program->previewWindow);
  EXPECT_EQ(HostArea(hostRect), Bitmap(40, 30, 0x00C0C0C0));
}

}  // namespace
}  // namespace tolvarin::testing
