// A window with three Command buttons on the real Windows backend, for the
// end-to-end script that drives it with the pointer (button_e2e.sh).
//
// Usage: button_host.exe TOLVARIN_SCR OUT_FOLDER STOP_FILE
//
// The state pictures come from Tolvarin.scr's resources. Standard output,
// one line each:
//   scale TWIPS_PER_PIXEL           the screen's factor the faces are drawn at
//   button N LEFT TOP RIGHT BOTTOM  each button's window on the screen
//   ready                           both buttons are placed and initialised
//   face N PICTURE DIRECTION        button N now shows the face of PICTURE with the
//                                   normal or reversed gradient, equal pixel for pixel
//                                   to the simulated face ("face N unknown" otherwise)
//   click N                         button N raised Click
// OUT_FOLDER receives the simulated faces as faceN_PICTURE_DIRECTION.bmp, for
// comparison with screenshots. The program ends when STOP_FILE exists.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/bmp.h"
#include "controls/command.h"
#include "platform/sim/sim_platform.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_filesystem.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_pictures.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_user32.h"
#include "platform/win32/win32_windowing.h"
#include "platform/win32/win32_winmm.h"

namespace {

using namespace tolvarin;

const char* const kPictureNames[] = {"Normal", "Disable", "Selected", "Pressed", "HighLight", "HighLightSelect"};

struct Layout {
  const char* caption;
  double left, top, width, height;
};
const Layout kLayouts[2] = {{"設定", 300, 300, 1155, 375}, {"ｷｬﾝｾﾙ", 300, 1200, 615, 315}};

PropertyBag StoredSet(const Layout& layout) {
  FontSpec font;
  font.name = "ＭＳ Ｐゴシック";
  return PropertyBag{{"Caption", std::string(layout.caption)}, {"Font", font}};
}

struct KnownFace {
  Bitmap image;
  std::string name;
};

// Every face a button of this layout can show, drawn on the simulated
// platform at the screen's scale.
std::vector<KnownFace> SimulatedFaces(int number, const Layout& layout, const std::string& folder,
                                      double twipsPerPixel) {
  sim::SimOptions options;
  options.twipsPerPixel = twipsPerPixel;
  sim::SimPlatform sim(options);
  auto form = sim.windowing.CreateForm(FormDesign{});
  auto button = Command::Place(sim.platform(), *form, StoredSet(layout), layout.left, layout.top, layout.width,
                               layout.height);
  std::vector<KnownFace> faces;
  for (bool reversed : {false, true}) {
    for (int picture = 0; picture < 6; ++picture) {
      button->Initialize();
      if (reversed) button->UserControl_MouseMove(0, 0, 0, 0);
      button->DrawFace(FacePicture(picture));
      const std::string name = std::string(kPictureNames[picture]) + (reversed ? " reversed" : " normal");
      faces.push_back(KnownFace{button->surface().Image(), name});
      const std::string file = folder + "\\face" + std::to_string(number) + "_" + kPictureNames[picture] +
                               (reversed ? "_reversed" : "_normal") + ".bmp";
      const std::vector<unsigned char> bytes = EncodeBmp24(faces.back().image);
      if (FILE* out = _wfopen(Utf8ToWide(file).c_str(), L"wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
      }
    }
  }
  return faces;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc != 4) {
    std::fprintf(stderr, "usage: button_host TOLVARIN_SCR OUT_FOLDER STOP_FILE\n");
    return 2;
  }
  HMODULE scr = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!scr) {
    std::fprintf(stderr, "cannot open %s\n", WideToUtf8(argv[1]).c_str());
    return 1;
  }
  // DPI aware as Tolvarin.scr's manifest declares it, so a scaled screen
  // shows the buttons at its own resolution.
  SetProcessDPIAware();
  const std::string folder = WideToUtf8(argv[2]);
  const std::wstring stopFile = argv[3];

  Win32User32 user32;
  Win32Gdi32 gdi32;
  Win32Winmm winmm;
  Win32Windowing windowing;
  Win32Process process;
  Win32FileSystem files;
  Win32Libraries libraries;
  win32::Win32Pictures pictures(scr);
  Win32Shell shell;
  Platform platform{user32, gdi32, winmm, windowing, process, files, libraries, pictures, shell};

  std::vector<KnownFace> known[2];
  for (int i = 0; i < 2; ++i) known[i] = SimulatedFaces(i + 1, kLayouts[i], folder, windowing.TwipsPerPixelX());

  FormDesign design;
  design.caption = "Button host";
  design.borderless = true;
  design.backColor = 0x00E0D0C0;
  auto form = windowing.CreateForm(design);
  form->Move(1500, 1500, 4500, 3000);
  form->Show();

  std::unique_ptr<Command> buttons[2];
  Bitmap shown[2];
  for (int i = 0; i < 2; ++i) {
    const Layout& layout = kLayouts[i];
    buttons[i] = Command::Place(platform, *form, StoredSet(layout), layout.left, layout.top, layout.width,
                                layout.height);
    buttons[i]->Click = [i] { std::printf("click %d\n", i + 1); };
  }
  for (auto& button : buttons) button->Initialize();

  // Reports each new face as the simulated face it equals.
  Timer& watch = form->AddTimer(15, true);
  watch.onTimer = [&] {
    for (int i = 0; i < 2; ++i) {
      Bitmap image = buttons[i]->surface().Image();
      if (image == shown[i]) continue;
      shown[i] = std::move(image);
      std::string name = "unknown";
      for (const KnownFace& face : known[i])
        if (face.image == shown[i]) name = face.name;
      std::printf("face %d %s\n", i + 1, name.c_str());
    }
    if (GetFileAttributesW(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
      watch.SetEnabled(false);
      for (auto& button : buttons) button.reset();
      form->Unload();
    }
  };
  std::printf("scale %g\n", windowing.TwipsPerPixelX());
  for (int i = 0; i < 2; ++i) {
    RECT rect{};
    GetWindowRect(ToHwnd(buttons[i]->hWnd()), &rect);
    std::printf("button %d %ld %ld %ld %ld\n", i + 1, long(rect.left), long(rect.top), long(rect.right),
                long(rect.bottom));
  }
  std::printf("ready\n");
  windowing.RunMessageLoop();
  return 0;
}
