// The button's faces, pixel by pixel: gradient rows, the eight frame pieces,
// the gradient direction per state, the caption's place, and the pictures.
#include <gtest/gtest.h>

#include "base/bmp.h"
#include "controls/command_fixture.h"
#include "support/dialog_scales.h"

namespace tolvarin::testing {
namespace {

constexpr FacePicture kAllPictures[] = {FacePicture::Normal,   FacePicture::Disable,  FacePicture::Selected,
                                        FacePicture::Pressed,  FacePicture::HighLight, FacePicture::HighLightSelect};

// The pictures are pinned byte for byte to their generator (the
// make_button_pictures check), and their size shows in every face; here,
// that each name finds its own look.
TEST(StatePictures, SixPicturesWithTheLookOfTheirName) {
  std::vector<Bitmap> pictures;
  for (FacePicture picture : kAllPictures) {
    sim::SimPictures pictureStore;
    auto loaded = pictureStore.LoadPictureResource(FacePictureResource(picture));
    ASSERT_TRUE(loaded) << FacePictureResource(picture);
    pictures.push_back(*loaded);
  }
  // Dark blue outside ring on the enabled looks, grey on the disabled one.
  for (std::size_t i : {0, 2, 3, 4}) EXPECT_GT(pictures[i].at(32, 0) & 0xFF, (pictures[i].at(32, 0) >> 16) + 0x30);
  const std::uint32_t grey = pictures[1].at(32, 0);
  EXPECT_EQ(grey & 0xFF, (grey >> 16) & 0xFF);
  // Amber and light-blue glows inside the frame.
  const std::uint32_t amber = pictures[4].at(32, 2), blue = pictures[2].at(32, 2);
  EXPECT_GT((amber >> 16) & 0xFF, amber & 0xFF);
  EXPECT_GT(blue & 0xFF, (blue >> 16) & 0xFF);
}

TEST(Bmp, RoundTripAndRefusals) {
  Bitmap picture(5, 3);
  for (std::int32_t i = 0; i < 15; ++i) picture.pixels[std::size_t(i)] = 0x010203u * std::uint32_t(i + 1);
  std::vector<unsigned char> bytes = EncodeBmp24(picture);
  ASSERT_EQ(bytes.size(), 54u + 3 * 16);  // rows of 15 bytes padded to 16
  EXPECT_EQ(DecodeBmp24(bytes.data(), bytes.size()), picture);
  // Cut short, not a BMP, another depth, compressed: refused.
  EXPECT_FALSE(DecodeBmp24(bytes.data(), bytes.size() - 1));
  const std::pair<std::size_t, unsigned char> damage[] = {{0, 'X'}, {28, 32}, {30, 1}};
  for (const auto& [at, value] : damage) {
    std::vector<unsigned char> bad = bytes;
    bad[at] = value;
    EXPECT_FALSE(DecodeBmp24(bad.data(), bad.size())) << "byte " << at;
  }
  EXPECT_FALSE(DecodeBmp24(nullptr, 0));
}

// The rows themselves are checked against the real call by the button's
// end-to-end run, which compares every face on screen with the simulated one.
TEST(GradientFill, RefusesBadVerticesModesAndDeviceContexts) {
  sim::SimPlatform sim;
  auto form = sim.windowing.CreateForm(FormDesign{});
  UserControlSurface& surface = form->AddUserControl("Probe");
  surface.Move(0, 0, 1155, 375);
  const TriVertex vertices[2] = {{0, 0, 0xFF00, 0xFF00, 0xFF00, 0}, {76, 24, 0xC600, 0xC500, 0xD700, 0}};
  const GradientRect rect{1, 0}, outOfRange{2, 0};
  EXPECT_EQ(sim.desktop.GradientFill(surface.hDC(), vertices, 2, &rect, 1, kGradientFillRectV), 1);
  EXPECT_EQ(sim.desktop.GradientFill(surface.hDC(), vertices, 2, &outOfRange, 1, kGradientFillRectV), 0);
  EXPECT_EQ(sim.desktop.GradientFill(surface.hDC(), vertices, 2, &rect, 1, 2), 0);
  EXPECT_EQ(sim.desktop.GradientFill(0x1234, vertices, 2, &rect, 1, kGradientFillRectV), 0);
}

// Every picture in both gradient directions, drawn by an idle (state 1) and
// a hovered (state 2) button, on both of the dialog's button sizes at every
// scale: the 4-pixel corners of the picture one to one, the strips stretched
// between them, nothing from outside the 64 x 25 picture. Which state
// reverses the gradient is the pointer tests' state table.
TEST(CommandFace, EveryPictureInBothDirectionsOnBothSizesAtEveryScale) {
  for (const DialogScale& scale : kDialogScales) {
    struct Size {
      double width, height;
      ControlRect pixels;
      double captionTop;  // at 15 twips a pixel
    } const sizes[] = {{1155, 375, scale.cmdSet, 80}, {615, 315, scale.cmdFile, 50}};
    for (const Size& size : sizes) {
      for (bool hovered : {false, true}) {
        SCOPED_TRACE(std::to_string(scale.twipsPerPixel) + " twips a pixel, " + std::to_string(size.width) +
                     (hovered ? " wide, hovered" : " wide, idle"));
        sim::SimOptions options;
        options.twipsPerPixel = scale.twipsPerPixel;
        sim::SimPlatform sim(options);
        auto form = sim.windowing.CreateForm(FormDesign{});
        auto button = Command::Place(sim.platform(), *form, PropertyBag{{"Caption", std::string("設定")}}, 300, 300,
                                     size.width, size.height);
        const Bitmap& face = static_cast<sim::SimUserControl&>(button->surface()).bitmap;
        ASSERT_EQ(face.width, size.pixels.width);
        ASSERT_EQ(face.height, size.pixels.height);
        const auto expected = [&](FacePicture picture) {
          return ExpectedFace(*sim.pictures.LoadPictureResource(FacePictureResource(picture)), face.width,
                              face.height, hovered);
        };
        button->Initialize();
        if (hovered) button->UserControl_MouseMove(0, 0, 0, 0);
        // A left press paints Pressed in the state's direction.
        button->UserControl_MouseDown(kLeftButton, 0, 0, 0);
        EXPECT_EQ(face, expected(FacePicture::Pressed));
        for (FacePicture picture : kAllPictures) {
          button->DrawFace(picture);
          EXPECT_EQ(face, expected(picture)) << "picture " << int(picture);
        }
        if (scale.twipsPerPixel == 15) {
          EXPECT_EQ(button->LblMsg().Top(), size.captionTop);
          EXPECT_EQ(button->LblMsg().Left(), 0);
          EXPECT_EQ(button->LblMsg().Width(), size.width);
        }
      }
    }
  }
}

class CommandFaceTest : public CommandTest {};

TEST_F(CommandFaceTest, NarrowAndHugeSurfacesNeverFailTheDraw) {
  Command& button = Place(90, 90);  // 6 x 6 pixels: the middle sizes go negative
  EXPECT_EQ(Surface(button).bitmap.width, 6);
  button.Move(300, 300, 1155, 375);
  // Wider than the 16-bit geometry (pixels): the draw keeps the previous geometry and goes on.
  button.Move(300, 300, 495000, 375);
  const Bitmap& face = Surface(button).bitmap;
  EXPECT_EQ(face.width, 33000);
  EXPECT_EQ(button.LblMsg().Width(), 495000) << "the surface's whole pixels";
  EXPECT_EQ(face.at(0, 12), Picture(FacePicture::Normal).at(0, 12));
  // The right column of the previous draw (pixel 73) is kept.
  EXPECT_EQ(face.at(73, 0), Picture(FacePicture::Normal).at(60, 0));
  EXPECT_EQ(face.at(2000, 0), 0xFFFFFFu) << "the gradient, no frame, out there";
}

TEST_F(CommandFaceTest, TransparentBackgroundShowsWhatLiesBehindButKeepsTheCaption) {
  Command& button = Place();
  const RectL rect = Surface(button).ScreenRect();
  EXPECT_EQ(sim.desktop.Screen().at(rect.left + 30, rect.top + 10), Surface(button).bitmap.at(30, 10));
  button.SetVisible(0);
  sim.windowing.Recompose();
  EXPECT_EQ(sim.desktop.Screen().at(rect.left + 30, rect.top + 10), 0x808080u) << "the form's back colour";
  const auto& runs = Surface(button).windowless.textRuns;
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, "設定");
  EXPECT_EQ(runs[0].alignment, TextAlignment::Center);
}

}  // namespace
}  // namespace tolvarin::testing
