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
  // No value: the overflow error. Halves round to even.
  const struct {
    const char* tail;
    std::optional<std::int32_t> handle;
  } rows[] = {
      // Number reading itself is LeadingNumber's (tested with it); here what the preview adds.
      {"/p 1234", 1234}, {"/P:1234", 1234}, {"/p 12x34", 12}, {"/p1234", 234}, {"", 0}, {"/p", 0},
      {"/p abc", 0}, {"/p 2.5", 2}, {"/p 3.5", 4}, {"/p -2147483648", -2147483647 - 1},
      {"/p 2147483647.4", 2147483647}, {"/p 2147483648", {}}, {"/p 2147483647.5", {}}, {"/p -2147483649", {}},
      {"/p 1e400", {}},
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

// A child of the host keeping its other style bits, placed in twips, showing
// the picture stretched to the host or the grey background.
TEST_F(PreviewTest, ChildOfTheHostPlacedInTwipsWithThePictureStretchedOrTheGreyBackground) {
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
    // Visible, clipping siblings and children: bits the window may have been made with.
    pictures->onLoad = [&] { sim->desktop.Find(sim->windowing.Forms().back()->hWnd())->style |= 0x16000000; };
    // Shown, and waiting for the host to close it.
    EXPECT_TRUE(Run().idle);
    ASSERT_TRUE(program->previewWindow);
    EXPECT_EQ(window()->parent, host);
    // WS_CHILD without WS_POPUP: a real child, which leaves the host the focus.
    EXPECT_EQ(window()->style, 0x56000000);
    // The host is looked for again after SetParent: it may have gone meanwhile.
    EXPECT_EQ(sim->desktop.calls.back(), "IsWindow(" + std::to_string(host) + ")");
    // No settings read (read, even without a file, they give degree 100), no cursor hidden.
    EXPECT_EQ(program->state.settings.effectDegree, 0);
    EXPECT_EQ(sim->desktop.CursorCounter(), 0);
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

// A host too large for 16-bit twips ends with the error report; no host, a
// host that goes before SetParent, or a SetParent that fails ends quietly.
TEST_F(PreviewTest, OversizedOrMissingHostEndsWithoutAWindow) {
  enum Fault { None, HostGoes, SetParentFails };
  const struct {
    RectL rect;
    const char* tail;  // the host's own handle when null
    Fault fault;
    bool overflow;
  } rows[] = {
      {{0, 0, 2185, 100}, nullptr, None, true}, {{0, 0, 100, 2185}, nullptr, None, true},
      {{-2000, 0, 185, 10}, nullptr, None, true}, {{-2147483647 - 1, 0, 2147483647, 10}, nullptr, None, true},
      {{0, 0, 40, 30}, "/p", None, false}, {{0, 0, 40, 30}, "/p 0", None, false},
      {{0, 0, 40, 30}, "/p abc", None, false}, {{0, 0, 40, 30}, "/p 999999", None, false},
      {{0, 0, 40, 30}, "/p -5", None, false}, {{0, 0, 40, 30}, nullptr, HostGoes, false},
      {{0, 0, 40, 30}, nullptr, SetParentFails, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.rect.left) + ".." + std::to_string(row.rect.right) + " x " +
                 std::to_string(row.rect.bottom) + " " + (row.tail ? row.tail : "") + " " + std::to_string(row.fault));
    Prepare(row.rect);
    if (row.tail) sim->process.commandTail = row.tail;
    if (row.fault == HostGoes) pictures->onLoad = [&] { sim->DestroyForeignWindow(host); };
    sim->desktop.setParentWorks = row.fault != SetParentFails;
    const auto outcome = Run();
    EXPECT_TRUE(outcome.ended);
    EXPECT_EQ(outcome.errorReported, row.overflow);
    EXPECT_EQ(sim->process.errorReport.value_or(""), row.overflow ? "Run-time error '6':\n\nOverflow" : "");
    EXPECT_EQ(outcome.exitCode == 0, !row.overflow);
    if (row.fault != None) continue;
    EXPECT_FALSE(program->previewWindow);
    EXPECT_TRUE(sim->windowing.Forms().empty());
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
