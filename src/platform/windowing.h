#pragma once
// The windowing layer: forms with events, picture surfaces with a retained
// bitmap, window timers, the message pump and the screen.
//
// Units: form positions and sizes are in twips; everything inside a form is
// in pixels (every form of the program uses the pixel scale unit).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/raster.h"
#include "platform/card_frames.h"
#include "platform/controls.h"
#include "platform/types.h"
#include "platform/user_control.h"

namespace tolvarin {

// Key codes the program handles itself.
inline constexpr std::int32_t kKeyTab = 9;
inline constexpr std::int32_t kKeyReturn = 13;
inline constexpr std::int32_t kKeyEscape = 27;

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetInterval(std::int32_t milliseconds) = 0;
  virtual std::int32_t Interval() const = 0;

  std::function<void()> onTimer;
};

// A picture surface: a child area that owns an off-screen bitmap of its own
// size. Drawing into hDC() goes into that bitmap; Refresh() puts it on screen.
class PictureSurface : public ControlContainer {
 public:
  virtual ~PictureSurface() = default;
  virtual void SetSize(double width, double height) = 0;
  virtual void Move(double left, double top) = 0;
  virtual double Width() const = 0;
  virtual double Height() const = 0;
  virtual Hdc hDC() = 0;
  // The surface's current image, read back as a picture.
  virtual Bitmap Image() = 0;
  // Sets the background picture: the retained bitmap shows it from now on.
  virtual void SetPicture(const Bitmap& picture) = 0;
  // Presents the retained bitmap and waits until the display has shown it.
  virtual void Refresh() = 0;
  // The retained bitmap is the picture already on the screen: waits for the
  // display's next frame like Refresh, without presenting the same again.
  virtual void RefreshUnchanged() = 0;
  // Frames drawn by the graphics card over this surface from `source`'s
  // picture, or nullptr where the card cannot (the caller draws on the
  // processor). Says which, where a developer can see it.
  virtual std::unique_ptr<CardFrames> OpenCardFrames(PictureSurface& source) = 0;

  // A click (button pressed and released) on the surface.
  std::function<void()> onClick;
};

struct FormDesign {
  std::string caption;
  bool borderless = true;
  std::uint32_t backColor = 0x00C0C0C0;  // 0x00BBGGRR
  bool keyPreview = true;                // keys reach the form whatever control has the focus
  bool showInTaskbar = false;
  // A dialog: caption, fixed single border, minimise and close buttons.
  bool fixedDialog = false;
  // Resource name of the window icon; empty for none.
  std::string iconResource = {};
  // A dialog form's client area in twips; the frame is added around it.
  double clientWidth = 0;
  double clientHeight = 0;
  // Laid out once, at the system's resolution: on a monitor of another scale
  // the platform stretches the whole window rather than telling it the new
  // scale. Windows that the same thread opens afterwards (a file chooser, a
  // message box) are scaled the same way.
  bool scaledBySystem = false;
};

// Why a form is asked to unload.
enum class UnloadMode : std::int32_t { FormControlMenu = 0, FormCode = 1, AppWindows = 2, TaskManager = 3 };

class Form : public ControlContainer {
 public:
  virtual ~Form() = default;
  virtual Hwnd hWnd() = 0;

  virtual double Left() const = 0;
  virtual double Top() const = 0;
  virtual double Width() const = 0;
  virtual double Height() const = 0;
  virtual void SetWidth(double twips) = 0;
  virtual void SetHeight(double twips) = 0;
  virtual void Move(double left, double top) = 0;
  virtual void Move(double left, double top, double width, double height) = 0;
  // Client area in pixels.
  virtual double ScaleWidth() const = 0;
  virtual double ScaleHeight() const = 0;

  virtual void SetBackColor(std::uint32_t color) = 0;
  virtual std::uint32_t BackColor() const = 0;
  virtual void SetWindowState(std::int32_t state) = 0;
  virtual std::int32_t WindowState() const = 0;
  // Shows the form without waiting.
  virtual void Show() = 0;
  virtual bool Visible() const = 0;
  // Asks the form to unload: onQueryUnload, then (unless cancelled) onUnload
  // and the window is destroyed.
  virtual void Unload() = 0;

  virtual PictureSurface& AddPictureSurface(bool visible) = 0;
  virtual Timer& AddTimer(std::int32_t intervalMilliseconds, bool enabled) = 0;
  // The surface of a self-drawn control, a child window of this form; placed
  // with its Move. The form owns it for as long as the form lives.
  virtual UserControlSurface& AddUserControl(const std::string& className) = 0;

  // A key pressed while the form is active, before the control with the focus
  // gets it. A handler that sets keyCode to 0 keeps the key from that control.
  // Keys the control wants for itself (Escape and Enter closing a dropped
  // list) go to it alone, as a Windows dialog gives them.
  std::function<void(std::int32_t& keyCode, std::int32_t shift)> onKeyDown;
  std::function<void(std::int32_t& cancel, UnloadMode mode)> onQueryUnload;
  std::function<void()> onUnload;
  // The program lost activation to another program's window.
  std::function<void()> onDeactivateApp;
  // The display configuration (resolution, monitors) changed.
  std::function<void()> onDisplayChange;
  // A multimedia device finished a command sent with "notify" and this form
  // as its callback (MM_MCINOTIFY): why (kMciNotifySuccessful, ...) and the
  // device's ID.
  std::function<void(std::uint32_t flags, std::uint32_t deviceId)> onMciNotify;

  // Shows the form modally (no owner) and returns once it has been unloaded.
  virtual void ShowModal() = 0;
  // The form's retained image, client-sized: what is drawn there stays and
  // shows behind the controls after Repaint.
  virtual PixelView Canvas() = 0;
  virtual void Repaint() = 0;
  // Raised when the form is first shown and whenever its client size changes.
  std::function<void()> onResize;
};

class Windowing {
 public:
  virtual ~Windowing() = default;
  // Creates a form, loaded and hidden.
  virtual std::unique_ptr<Form> CreateForm(const FormDesign& design) = 0;
  // Dispatches every message already queued, then returns.
  virtual void DoEvents() = 0;
  // Runs the message loop until no form of the program is left.
  virtual void RunMessageLoop() = 0;
  // Blocks until a message arrives (DoEvents then dispatches it).
  virtual void WaitMessage() = 0;
  // False while the platform reports the display off: nobody sees frames.
  virtual bool DisplayOn() = 0;

  // Screen size in twips.
  virtual double ScreenWidth() = 0;
  virtual double ScreenHeight() = 0;
  virtual double TwipsPerPixelX() = 0;
  virtual double TwipsPerPixelY() = 0;

  // The application-wide mouse pointer (kPointerDefault, kPointerHourglass).
  virtual void SetMousePointer(std::int32_t pointer) = 0;
  virtual std::int32_t MousePointer() const = 0;
};

}  // namespace tolvarin
