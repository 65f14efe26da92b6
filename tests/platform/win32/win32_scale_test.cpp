// The real backend at 96, 120, 144 and 192 dots per inch against the
// simulated one: the dialog's client area, a moved window and the buttons land
// on the pixels of the shared table, and every face equals the simulated face
// pixel for pixel. The dialog's windows are scaled by the system.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "controls/command.h"
#include "dialog/dialog_layout.h"
#include "platform/sim/sim_platform.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_user32.h"
#include "platform/win32/win32_windowing.h"
#include "support/dialog_scales.h"

namespace tolvarin {
namespace {

using testing::DialogScale;
using testing::kDialogScales;

FormDesign DialogDesign() {
  FormDesign design;
  design.caption = "<Tolvarin_Scale>";
  design.borderless = false;
  design.fixedDialog = true;
  design.clientWidth = kDialogClientWidth;
  design.clientHeight = kDialogClientHeight;
  return design;
}

PropertyBag StoredButton() { return PropertyBag{{"Caption", std::string("設定")}}; }

// A button's window in its form's client area.
ControlRect ChildRect(Command& button) {
  const HWND window = ToHwnd(button.hWnd());
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return ControlRect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

TEST(Win32Scale, DialogPiecesAndFacesLandWhereTheSimulatedOnesDo) {
  for (const DialogScale& scale : kDialogScales) {
    const double tpp = scale.twipsPerPixel;
    SCOPED_TRACE(std::to_string(tpp) + " twips a pixel");
    sim::SimOptions options;
    options.twipsPerPixel = tpp;
    sim::SimPlatform sim(options);
    // The real windowing and drawing calls; the pictures are the embedded ones.
    Win32Windowing windowing(tpp);
    Win32User32 user32;
    Win32Gdi32 gdi32;
    Platform real{user32, gdi32, sim.winmm, windowing, sim.process, sim.files, sim.libraries, sim.pictures,
                  sim.shell};

    auto form = windowing.CreateForm(DialogDesign());
    auto simForm = sim.windowing.CreateForm(DialogDesign());
    EXPECT_EQ(form->ScaleWidth(), scale.clientWidth);
    EXPECT_EQ(form->ScaleHeight(), scale.clientHeight);  // the simulated one's is the dialog tests'
    form->Move(150, 150);
    RECT outer{};
    GetWindowRect(ToHwnd(form->hWnd()), &outer);
    EXPECT_EQ(outer.left, scale.at150);
    EXPECT_EQ(outer.top, scale.at150);

    struct Placed {
      const ControlLayout& layout;
      double left, top;
      ControlRect expected;
    } const buttons[] = {
        {LayoutOf("Cmd_Set"), 4860, 3000, scale.cmdSet},
        {LayoutOf("Cmd_File"), 600, 1980, scale.cmdFile},
    };
    for (const Placed& placed : buttons) {
      SCOPED_TRACE(std::string(placed.layout.name));
      auto button = Command::Place(real, *form, StoredButton(), placed.left, placed.top, placed.layout.width,
                                   placed.layout.height);
      auto simButton = Command::Place(sim.platform(), *simForm, StoredButton(), placed.left, placed.top,
                                      placed.layout.width, placed.layout.height);
      EXPECT_EQ(ChildRect(*button), placed.expected);
      for (bool hovered : {false, true}) {
        for (Command* each : {button.get(), simButton.get()}) {
          if (!hovered) continue;
          each->Initialize();
          each->UserControl_MouseMove(0, 0, 0, 0);
        }
        for (int picture = 0; picture < 6; ++picture) {
          button->DrawFace(FacePicture(picture));
          simButton->DrawFace(FacePicture(picture));
          const Bitmap face = button->surface().Image();
          EXPECT_EQ((std::array{face.width, face.height}), (std::array{placed.expected.width, placed.expected.height}));
          EXPECT_TRUE(face == simButton->surface().Image()) << "picture " << picture << (hovered ? " hovered" : "");
        }
      }
    }
  }
}

// Laid out at the system's scale, the dialog and its child windows are
// system-DPI aware: on a monitor of another scale the system stretches them
// and sends no WM_DPICHANGED to lay out again.
TEST(Win32Scale, ADialogScaledBySystemMakesSystemAwareWindows) {
  const DPI_AWARENESS_CONTEXT before = GetThreadDpiAwarenessContext();
  {
    Win32Windowing windowing;
    sim::SimPlatform sim;
    Win32User32 user32;
    Win32Gdi32 gdi32;
    Platform real{user32, gdi32, sim.winmm, windowing, sim.process, sim.files, sim.libraries, sim.pictures,
                  sim.shell};
    FormDesign design = DialogDesign();
    design.scaledBySystem = true;
    auto form = windowing.CreateForm(design);
    auto button = Command::Place(real, *form, StoredButton(), 4860, 3000, 1155, 375);
    for (HWND window : {ToHwnd(form->hWnd()), ToHwnd(button->hWnd())})
      EXPECT_TRUE(AreDpiAwarenessContextsEqual(GetWindowDpiAwarenessContext(window),
                                               DPI_AWARENESS_CONTEXT_SYSTEM_AWARE));
  }
  SetThreadDpiAwarenessContext(before);
}

}  // namespace
}  // namespace tolvarin
