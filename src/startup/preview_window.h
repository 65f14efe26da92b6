#pragma once
// Preview mode: the still picture shown inside the host's preview area.
#include <cstdint>
#include <memory>
#include <string>

#include "controls/windowless.h"
#include "platform/windowing.h"
#include "state/program.h"
#include "state/window_names.h"

namespace tolvarin {

// Name of the embedded picture that Img_Prev holds.
inline constexpr const char* kPreviewPictureName = "PREVIEW";
inline constexpr std::uint32_t kPreviewBackColor = 0x00C0C0C0;  // RGB 192, 192, 192
// Design size of Img_Prev, in twips.
inline constexpr double kImgPrevDesignWidth = 2325;
inline constexpr double kImgPrevDesignHeight = 1710;

// Where the preview window goes inside the host, in twips.
struct PreviewPlacement {
  std::int16_t left = 0;
  std::int16_t top = 0;
  std::int16_t width = 0;
  std::int16_t height = 0;
};

// The preview window Tolvarin_R with its one image, Img_Prev.
class PreviewWindow {
 public:
  // Loads Tolvarin_R as designed: hidden, Img_Prev at 0, 0 holding the picture.
  explicit PreviewWindow(Program& program);
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;

  Form& Tolvarin_R() { return *form_; }
  WindowlessImage& Img_Prev() { return *image_; }

  // Runs when the window is unloaded; does not cancel the unload.
  void Form_Unload();

  PreviewPlacement placement;
  // The host the window was put in, and its rectangle in screen pixels.
  Hwnd hostWindow = 0;
  RectL hostRect;

 private:
  Program& program_;
  std::unique_ptr<Form> form_;
  std::unique_ptr<WindowlessControls> controls_;
  WindowlessImage* image_ = nullptr;
};

// The host window handle in a preview tail ("/p 1234"): the leading number
// from the fourth character on, rounded half to even to 32 bits signed.
// A value outside that range raises the overflow error.
std::int32_t PreviewHostHandle(const std::string& commandTail);

// Puts the preview window inside the host named on the command line and shows
// it without waiting. Traps no errors: they reach the caller.
void PreviewStartup(Program& program);

}  // namespace tolvarin
