#include "controls/command_fixture.h"

namespace tolvarin::testing {

std::uint32_t GradientRow(std::uint32_t top, std::uint32_t bottom, std::int32_t y, std::int32_t height) {
  const std::int64_t len = height - 1;
  std::uint32_t pixel = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::int64_t c0 = std::int64_t((top >> shift) & 0xFF) << 8;
    const std::int64_t c1 = std::int64_t((bottom >> shift) & 0xFF) << 8;
    pixel |= std::uint32_t(((c0 * (len - y) + c1 * y) / len) / 256) << shift;
  }
  return pixel;
}

Bitmap ExpectedFace(const Bitmap& picture, std::int32_t w, std::int32_t h, bool reversed) {
  const std::uint32_t light = 0xFFFFFF, dark = 0xC6C5D7;
  Bitmap face(w, h);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      face.at(x, y) = GradientRow(reversed ? dark : light, reversed ? light : dark, y, h);
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
