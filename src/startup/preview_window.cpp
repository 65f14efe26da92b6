#include "startup/preview_window.h"

#include "base/checked.h"
#include "base/number.h"

namespace tolvarin {

PreviewWindow::PreviewWindow(Program& program) : program_(program) {
  Windowing& windowing = program_.platform.windowing;
  FormDesign design;
  design.caption = kPreviewCaption;
  design.borderless = true;
  design.backColor = kPreviewBackColor;
  design.keyPreview = false;
  design.showInTaskbar = false;
  form_ = windowing.CreateForm(design);

  controls_ = std::make_unique<WindowlessControls>(*form_, ScaleUnit::Pixels, windowing.TwipsPerPixelX(),
                                                   windowing.TwipsPerPixelY());
  image_ = &controls_->AddImage();
  image_->Move(0, 0, kImgPrevDesignWidth / windowing.TwipsPerPixelX(),
               kImgPrevDesignHeight / windowing.TwipsPerPixelY());
  // Without its picture the window still shows its grey background.
  if (auto picture = program_.platform.pictures.LoadPictureResource(kPreviewPictureName))
    image_->SetPicture(*picture);

  form_->onUnload = [this] { Form_Unload(); };
}

void PreviewWindow::Form_Unload() {
  program_.state.lastApiResult =
      program_.platform.user32.PostMessageA(form_->hWnd(), kWmClose, 0, 0);
}

std::int32_t PreviewHostHandle(const std::string& commandTail) {
  // The first three characters ("/p " or "/P:") are skipped whatever they are.
  const std::string_view tail = commandTail;
  const std::string_view number = tail.size() > 3 ? tail.substr(3) : std::string_view();
  return RoundHalfEven<std::int32_t>(LeadingNumber(number));
}

void PreviewStartup(Program& program) {
  Platform& platform = program.platform;
  User32& user32 = platform.user32;
  ProcessState& state = program.state;

  const Hwnd host = PreviewHostHandle(platform.process.CommandTail());

  RectL hostRect;
  state.lastApiResult = user32.GetWindowRect(host, hostRect);

  // The differences are taken in double: a rectangle too wide for 32 bits
  // overflows in the 16-bit conversion like any other oversized host.
  PreviewPlacement placement;
  placement.left = 0;
  placement.top = 0;
  placement.width = RoundHalfEven<std::int16_t>(
      (double(hostRect.right) - double(hostRect.left)) * platform.windowing.TwipsPerPixelX());
  placement.height = RoundHalfEven<std::int16_t>(
      (double(hostRect.bottom) - double(hostRect.top)) * platform.windowing.TwipsPerPixelY());

  // A window without a host would stay zero-sized and invisible, and nothing
  // would ever close it: without a host there is nothing to show.
  if (user32.IsWindow(host) == 0) platform.process.EndProcess();

  program.previewWindow = std::make_unique<PreviewWindow>(program);
  PreviewWindow& preview = *program.previewWindow;
  preview.placement = placement;
  preview.hostWindow = host;
  preview.hostRect = hostRect;
  Form& form = preview.Tolvarin_R();

  // A window with WS_POPUP beside WS_CHILD is no child to the platform: it
  // would take the activation and the keyboard focus from the host.
  const std::int32_t style = user32.GetWindowLongA(form.hWnd(), kGwlStyle);
  state.lastApiResult = user32.SetWindowLongA(form.hWnd(), kGwlStyle, (style | kWsChild) & ~kWsPopup);

  const Hwnd previousParent = user32.SetParent(form.hWnd(), host);
  state.lastApiResult = static_cast<std::int32_t>(previousParent);
  // A failed SetParent, or a host that went away before it took the child,
  // leaves a window nobody sees or closes: end quietly, as without a host.
  if (previousParent == 0 || user32.IsWindow(host) == 0) platform.process.EndProcess();

  form.Move(placement.left, placement.top, placement.width, placement.height);

  WindowlessImage& image = preview.Img_Prev();
  image.Move(image.Left(), image.Top(), placement.width / platform.windowing.TwipsPerPixelX(),
             placement.height / platform.windowing.TwipsPerPixelY());
  image.Move(0, 0, image.Width(), image.Height());

  form.Show();
}

}  // namespace tolvarin
