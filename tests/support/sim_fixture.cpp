#include "support/sim_fixture.h"

namespace tolvarin::testing {

std::vector<RecordingEffect::Call>& RecordingEffect::Calls() {
  static std::vector<Call> calls;
  return calls;
}

std::int32_t GPX_CALL RecordingEffect::Fragment(GPX_Handle destination, GPX_Handle source,
                                                std::int32_t frame, std::int32_t* result) {
  Calls().push_back(Call{destination, source, frame});
  auto* surface = static_cast<GPX_Surface*>(destination);
  if (surface && surface->width > 0 && surface->height > 0) surface->pixels[0] = Marker(frame);
  if (result) *result = 1;
  return 1;
}

Bitmap PatternPicture(std::int32_t width, std::int32_t height) {
  Bitmap picture(width, height);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      picture.at(x, y) = (std::uint32_t(x * 7 + y) & 0xFF) << 16 | (std::uint32_t(y * 3) & 0xFF) << 8 |
                         (std::uint32_t(x ^ y) & 0xFF);
  return picture;
}

void SimTest::Make(const sim::SimOptions& options) {
  program.reset();
  sim = std::make_unique<sim::SimPlatform>(options);
  program = std::make_unique<Program>(sim->platform());
  wallpaper = PatternPicture(sim->desktop.Screen().width, sim->desktop.Screen().height);
  sim->desktop.SetWallpaper(wallpaper);
  RecordingEffect::Calls().clear();
  sim->libraries.Install("r_vold_graphics.dll",
                         {{"GPX_Fragment", reinterpret_cast<void*>(&RecordingEffect::Fragment)}});
}

void SimTest::MakeScreen(std::int32_t width, std::int32_t height, const std::string& commandTail) {
  Make(sim::SimOptions{width, height, 15, {}, commandTail});
}

}  // namespace tolvarin::testing
