#include "controls/command_fixture.h"

#include "base/picture_copy.h"

namespace tolvarin::testing {

Bitmap ExpectedFace(const Bitmap& picture, std::int32_t w, std::int32_t h, bool reversed) {
  const TriVertex light{0, 0, 0xFF00, 0xFF00, 0xFF00, 0}, dark{0, 0, 0xC600, 0xC500, 0xD700, 0};
  TriVertex vertices[2] = {reversed ? dark : light, reversed ? light : dark};
  vertices[1].x = w - 1;
  vertices[1].y = h - 1;
  const GradientRect rect{0, 1};
  Bitmap face(w, h);
  GradientFillPixels(ViewOf(face), vertices, 2, &rect, 1, kGradientFillRectV);
  // Picture column or row for a face column or row: corners one to one, the
  // middle stretched by nearest pixel centre from the picture's middle.
  const auto source = [](std::int32_t i, std::int32_t size, std::int32_t pictureSize) {
    if (i < 4) return i;
    if (i >= size - 4) return pictureSize - (size - i);
    const std::int32_t middle = size - 8, pictureMiddle = pictureSize - 8;
    return 4 + std::int32_t(((2 * (i - 4) + 1) * pictureMiddle) / (2 * middle));
  };
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      if (x < 4 || y < 4 || x >= w - 4 || y >= h - 4)
        face.at(x, y) = picture.at(source(x, w, picture.width), source(y, h, picture.height));
  return face;
}

CommandTest::CommandTest() {
  form = sim.windowing.CreateForm(FormDesign{"Host", true, 0x00808080});
  form->Move(0, 0, 6000, 4500);
  form->Show();
}

Command& CommandTest::Place(double width, double height) {
  FontSpec stored;
  stored.name = "ＭＳ Ｐゴシック";
  stored.size = 9;
  const PropertyBag set{{"Caption", std::string("設定")}, {"Font", stored}};
  buttons.push_back(Command::Place(sim.platform(), *form, set, 300, 300, width, height));
  buttons.back()->Click = [this] { ++clicks; };
  return *buttons.back();
}

sim::SimUserControl& CommandTest::Surface(Command& button) {
  return static_cast<sim::SimUserControl&>(button.surface());
}

Bitmap CommandTest::Picture(FacePicture picture) {
  auto loaded = sim.pictures.LoadPictureResource(FacePictureResource(picture));
  return loaded ? *loaded : Bitmap();
}

Bitmap CommandTest::Face(Command& button, FacePicture picture, bool reversed) {
  const Bitmap& image = Surface(button).bitmap;
  return ExpectedFace(Picture(picture), image.width, image.height, reversed);
}

void CommandTest::Pump(std::int64_t milliseconds) {
  sim.windowing.DoEvents();
  const std::int64_t end = sim.clock.Now() + milliseconds * 1000;
  // Tick by tick, so every due timer runs at its time.
  while (sim.clock.Now() < end) {
    sim.clock.AdvanceTo(std::min(end, sim.clock.Now() + 1000));
    sim.windowing.DoEvents();
  }
}

}  // namespace tolvarin::testing
