#include "startup/preview_window.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "platform/sim/sim_pictures.h"
#include "support/sim_fixture.h"

namespace tolvarin::testing {
namespace {

TEST(PreviewHostHandleTest, LeadingNumberFromTheFourthCharacter) {
  // No value: the overflow error.
  const struct {
    const char* tail;
    std::optional<std::int32_t> handle;
  } rows[] = {
      // Number reading itself is LeadingNumber's (tested with it); here what the preview adds.
      {"/p 1234", 1234}, {"/P:1234", 1234}, {"/p 12x34", 12}, {"/p1234", 234}, {"", 0}, {"/p", 0},
      {"/p abc", 0}, {"/p 2.5", 2}, {"/p 3.5", 4}, {"/p -2147483648", -2147483647 - 1},
      {"/p 2147483648", {}}, {"/p -2147483649", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.tail);
    try {
      const std::int32_t handle = PreviewHostHandle(row.tail);
      EXPECT_EQ(std::optional(handle), row.handle);
    } catch (const ProgramError& error) {
      EXPECT_FALSE(row.handle) << "raised " << error.number();
      EXPECT_EQ(error.number(), kErrorOverflow);
    }
  }
}

// Img_Prev's picture is loaded after the window is made and before it is put
// in the host: the hook acts at that moment.
class HookedPictures final : public Pictures {
 public:
  std::optional<Bitmap> LoadPictureResource(const std::string& name) override {
    if (onLoad) onLoad();
    return inner ? inner->LoadPictureResource(name) : std::nullopt;
  }
  Pictures* inner = nullptr;
  std::function<void()> onLoad;
};

class PreviewTest : public SimTest {
 protected:
  // A fresh simulation with a host window at `rect` named by the tail.
  void Prepare(const RectL& rect, double twipsPerPixel = 15, bool withPicture = true) {
    Make(sim::SimOptions{320, 240, twipsPerPixel, {}});
    host = sim->AddForeignWindow("Display Properties", rect);
    sim->process.commandTail = "/p " + std::to_string(host);
    pictures = std::make_unique<HookedPictures>();
    if (withPicture) pictures->inner = &sim->pictures;
    watched = std::make_unique<Platform>(Platform{sim->desktop, sim->desktop, sim->winmm, sim->windowing,
                                                  sim->process, sim->files, sim->libraries, *pictures, sim->shell});
    program = std::make_unique<Program>(*watched);
  }

  PreviewWindow& preview() { return *program->previewWindow; }
  WindowlessImage& image() { return preview().Img_Prev(); }
  const sim::SimWindow* window() { return sim->desktop.Find(preview().Tolvarin_R().hWnd()); }

  // The part of the screen the host covers.
  Bitmap HostArea(const RectL& rect) {
    Bitmap area(rect.right - rect.left, rect.bottom - rect.top);
    CopyBlock(ViewOf(area), 0, 0, area.width, area.height, ViewOf(sim->desktop.Screen()), rect.left,
              rect.top);
    return area;
  }

  Hwnd host = 0;
  std::unique_ptr<HookedPictures> pictures;
  std::unique_ptr<Platform> watched;
};

TEST_F(PreviewTest, BecomesAChildOfTheHostKeepingItsOtherStyleBits) {
  Prepare(RectL{100, 80, 252, 192});
  sim->process.commandTail = "/P:" + std::to_string(host);
  // Visible, clipping siblings and children: bits the window may have been made with.
  pictures->onLoad = [&] { sim->desktop.Find(sim->windowing.Forms().back()->hWnd())->style |= 0x16000000; };
  const auto outcome = Run();
  // Shown, and waiting for the host to close it.
  EXPECT_TRUE(outcome.idle);
  ASSERT_TRUE(program->previewWindow);
  EXPECT_EQ(window()->parent, host);
  // WS_CHILD without WS_POPUP: a real child, which leaves the host the focus.
  EXPECT_EQ(window()->style, 0x56000000);
  // The host is looked for again after SetParent: it may have gone meanwhile.
  EXPECT_EQ(sim->desktop.calls.back(), "IsWindow(" + std::to_string(host) + ")");
  // No settings read (read, even without a file, they give degree 100), no cursor hidden.
  EXPECT_EQ(program->state.settings.effectDegree, 0);
  EXPECT_EQ(sim->desktop.CursorCounter(), 0);
}

TEST_F(PreviewTest, PlacementInTwipsAndThePictureStretchedToTheHostOrTheGreyBackground) {
  const bool decodes = sim::SimPictures::CanDecode();
  const auto picture = sim::SimPictures().LoadPictureResource(kPreviewPictureName);
  const struct {
    RectL host;
    double twipsPerPixel;
    std::int16_t width, height;  // twips
    bool withPicture = true;
  } rows[] = {
      {{100, 80, 252, 192}, 15, 2280, 1680},  // the picture's own size
      {{10, 20, 210, 170}, 15, 3000, 2250},
      {{0, 0, 152, 112}, 12, 1824, 1344},     // 120 dots per inch
      {{0, 0, 2184, 2184}, 15, 32760, 32760}, // the largest that fits 16 bits
      {{5, 5, 45, 35}, 15, 600, 450, false},
  };
  for (const auto& row : rows) {
    const std::int32_t w = row.host.right - row.host.left, h = row.host.bottom - row.host.top;
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    Prepare(row.host, row.twipsPerPixel, row.withPicture);
    Run();
    ASSERT_TRUE(program->previewWindow);
    const Form& form = preview().Tolvarin_R();
    // The form in twips, then Img_Prev in pixels.
    EXPECT_EQ((std::array{form.Left(), form.Top(), form.Width(), form.Height(), image().Left(),
                          image().Top(), image().Width(), image().Height()}),
              (std::array<double, 8>{0, 0, double(row.width), double(row.height), 0, 0, double(w), double(h)}));
    if (!row.withPicture) {
      EXPECT_EQ(HostArea(row.host), Bitmap(w, h, 0x00C0C0C0));
      continue;
    }
    if (!decodes || w > 320) continue;
    ASSERT_TRUE(picture);
    Bitmap expected = *picture;
    if (w != picture->width || h != picture->height) {
      expected = Bitmap(w, h);
      StretchNearest(ViewOf(expected), ViewOf(const_cast<Bitmap&>(*picture)));
    }
    EXPECT_EQ(HostArea(row.host), expected);
  }
}

TEST_F(PreviewTest, OverflowEndsWithTheErrorReport) {
  for (const RectL& rect : {RectL{0, 0, 2185, 100}, RectL{0, 0, 100, 2185}, RectL{-2000, 0, 185, 10},
                            RectL{-2147483647 - 1, 0, 2147483647, 10}}) {
    SCOPED_TRACE(std::to_string(rect.left) + ".." + std::to_string(rect.right) + " x " +
                 std::to_string(rect.bottom));
    Prepare(rect);
    const auto outcome = Run();
    EXPECT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.errorReported);
    EXPECT_EQ(sim->process.errorReport.value_or(""), "Run-time error '6':\n\nOverflow");
    EXPECT_FALSE(program->previewWindow);
    EXPECT_TRUE(sim->windowing.Forms().empty());
  }
}

TEST_F(PreviewTest, NoHostEndsQuietlyWithoutAWindow) {
  for (const char* tail : {"/p", "/p 0", "/p abc", "/p 999999", "/p -5"}) {
    SCOPED_TRACE(tail);
    Prepare(RectL{0, 0, 40, 30});
    sim->process.commandTail = tail;
    const auto outcome = Run();
    EXPECT_TRUE(outcome.ended);
    EXPECT_FALSE(outcome.errorReported);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_FALSE(program->previewWindow);
    EXPECT_TRUE(sim->windowing.Forms().empty());
  }
  // The host goes between the check and SetParent, or SetParent fails.
  for (bool hostGoes : {true, false}) {
    Prepare(RectL{0, 0, 40, 30});
    if (hostGoes) pictures->onLoad = [&] { sim->DestroyForeignWindow(host); };
    sim->desktop.setParentWorks = hostGoes;
    const auto outcome = Run();
    EXPECT_TRUE(outcome.ended);
    EXPECT_FALSE(outcome.errorReported);
  }
}

TEST_F(PreviewTest, UnloadPostsCloseToItsOwnWindow) {
  Prepare(RectL{0, 0, 40, 30});
  Run();
  ASSERT_TRUE(program->previewWindow);
  std::vector<Hwnd> postedTo;
  sim->desktop.onPostMessage = [&, queue = sim->desktop.onPostMessage](Hwnd window, std::uint32_t message) {
    postedTo.push_back(window);
    queue(window, message);
  };
  sim->desktop.calls.clear();
  const Hwnd own = preview().Tolvarin_R().hWnd();
  preview().Tolvarin_R().Unload();
  EXPECT_EQ(sim->desktop.calls, std::vector<std::string>{"PostMessageA(0x10,0,0)"});
  EXPECT_EQ(postedTo, std::vector<Hwnd>{own});
}

}  // namespace
}  // namespace tolvarin::testing
