#pragma once
// The simulated windowing layer: forms, picture surfaces, images and timers on
// the virtual clock, and an event queue that tests fill with keys, clicks,
// pointer moves and close requests.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "platform/sim/sim_clock.h"
#include "platform/present_pacing.h"
#include "platform/sim/sim_controls.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_user_control.h"
#include "platform/windowing.h"
#include "r_vold_graphics.h"

namespace tolvarin::sim {

// Thrown by the simulation to stop a run that would otherwise go on for ever
// (the effect loop never returns). Not a std::exception: error traps let it pass.
struct SimHalt {};

class SimWindowing;
class SimForm;

class SimTimer final : public Timer {
 public:
  SimTimer(SimWindowing& windowing, std::int32_t interval, bool enabled);
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  void SetInterval(std::int32_t milliseconds) override;
  std::int32_t Interval() const override { return interval_; }

  std::int64_t due = 0;  // virtual time of the next tick

 private:
  SimWindowing& windowing_;
  std::int32_t interval_;
  bool enabled_ = false;
};

class SimSurface final : public PictureSurface {
 public:
  SimSurface(SimForm& form, bool visible);
  void SetSize(double width, double height) override;
  void Move(double left, double top) override;
  double Width() const override { return bitmap.width; }
  double Height() const override { return bitmap.height; }
  Hdc hDC() override { return reinterpret_cast<Hdc>(&record_); }
  Bitmap Image() override { return bitmap; }
  void SetPicture(const Bitmap& picture) override;
  void Refresh() override;
  void RefreshUnchanged() override;
  std::unique_ptr<CardFrames> OpenCardFrames(PictureSurface& source) override;
  ScrollBarControl& AddScrollBar(const ScrollBarDesign& d) override { return controls.AddScrollBar(d); }
  ComboBoxControl& AddComboBox(const ComboBoxDesign& d) override { return controls.AddComboBox(d); }
  void SetWindowlessLayer(WindowlessLayer* layer) override { windowless.layer = layer; }
  void InvalidateLayer() override { windowless.Invalidate(); }
  // The surface's rectangle in its form's client area.
  RectL ClientRect() const;

  SimForm& form;
  bool visible;
  double left = 0, top = 0;
  Bitmap bitmap;
  SimControlSet controls;
  SimLayerHost windowless;

 private:
  void UpdateRecord();
  GPX_Surface record_{};
};

class SimForm final : public Form {
 public:
  SimForm(SimWindowing& windowing, const FormDesign& design);
  ~SimForm() override;

  Hwnd hWnd() override { return hwnd_; }
  double Left() const override { return left_; }
  double Top() const override { return top_; }
  double Width() const override { return width_; }
  double Height() const override { return height_; }
  void SetWidth(double twips) override { Move(left_, top_, twips, height_); }
  void SetHeight(double twips) override { Move(left_, top_, width_, twips); }
  void Move(double left, double top) override { Move(left, top, width_, height_); }
  void Move(double left, double top, double width, double height) override;
  double ScaleWidth() const override;
  double ScaleHeight() const override;
  void SetBackColor(std::uint32_t color) override { backColor_ = color; }
  std::uint32_t BackColor() const override { return backColor_; }
  void SetWindowState(std::int32_t state) override;
  std::int32_t WindowState() const override { return windowState_; }
  void Show() override;
  bool Visible() const override { return visible_; }
  void Unload() override { Unload(UnloadMode::FormCode); }
  PictureSurface& AddPictureSurface(bool visible) override;
  Timer& AddTimer(std::int32_t intervalMilliseconds, bool enabled) override;
  void SetWindowlessLayer(WindowlessLayer* layer) override { windowless.layer = layer; }
  void InvalidateLayer() override { windowless.Invalidate(); }
  ScrollBarControl& AddScrollBar(const ScrollBarDesign& d) override { return controls.AddScrollBar(d); }
  ComboBoxControl& AddComboBox(const ComboBoxDesign& d) override { return controls.AddComboBox(d); }
  void ShowModal() override;
  PixelView Canvas() override { return ViewOf(canvas); }
  void Repaint() override;
  UserControlSurface& AddUserControl(const std::string& className) override;

  void Unload(UnloadMode mode);
  // Destroyed from outside (its parent went away): no query, only the unload event.
  void DestroyWindow();
  bool Destroyed() const { return destroyed_; }
  SimWindowing& windowing() { return windowing_; }
  // The form's client area on the screen, in pixels.
  RectL ScreenRect() const;
  void Paint(Bitmap& screen);
  // The topmost visible surface at a point of the client area, the point
  // made relative to it; null for none.
  SimSurface* SurfaceAt(std::int32_t& x, std::int32_t& y);
  // The layer that takes the pointer there: that surface's, else the form's own.
  SimLayerHost& LayerAt(std::int32_t& x, std::int32_t& y);

  const FormDesign design;
  std::vector<std::unique_ptr<SimSurface>> surfaces;
  std::vector<std::unique_ptr<SimTimer>> timers;
  SimControlSet controls;
  SimLayerHost windowless;
  // The retained image behind the controls, client-sized.
  Bitmap canvas;
  // Non-client frame of a dialog form, in pixels.
  static constexpr std::int32_t kFrameSide = 3, kFrameTop = 22, kFrameBottom = 3;
  // The outer window rectangle on the screen.
  RectL OuterRect() const;
  std::vector<std::unique_ptr<SimUserControl>> userControls;

 private:
  void SyncWindowRect();
  // Keeps the canvas at the client size and raises onResize when it changed.
  void ClientSizeChanged();
  std::int32_t canvasWidth_ = -1, canvasHeight_ = -1;

  SimWindowing& windowing_;
  Hwnd hwnd_ = 0;
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::uint32_t backColor_;
  std::int32_t windowState_ = 0;
  bool visible_ = false;
  bool destroyed_ = false;
};

struct SimEvent {
  enum class Kind { Key, Click, MouseMove, Close, EndSession, MouseDown, MouseUp, Focus,
                    DeactivateApp, DisplayChange, DisplayState, MciNotify };
  Kind kind;
  std::int64_t time = 0;
  std::int32_t keyCode = 0;
  std::int32_t x = 0, y = 0;
  Hwnd window = 0;
  std::int16_t shift = 0;
  std::uint32_t notifyFlags = 0, deviceId = 0;  // MciNotify: wParam and lParam
};

class SimWindowing final : public Windowing {
 public:
  SimWindowing(SimClock& clock, SimDesktop& desktop, double twipsPerPixelX, double twipsPerPixelY);

  std::unique_ptr<Form> CreateForm(const FormDesign& design) override;
  void DoEvents() override;
  void RunMessageLoop() override;
  void WaitMessage() override;
  bool DisplayOn() override { return displayOn_; }
  double ScreenWidth() override { return desktop_.PrimaryWidth() * twipsPerPixelX_; }
  double ScreenHeight() override { return desktop_.PrimaryHeight() * twipsPerPixelY_; }
  double TwipsPerPixelX() override { return twipsPerPixelX_; }
  double TwipsPerPixelY() override { return twipsPerPixelY_; }

  // --- Input, queued at a virtual time (microseconds); `at` in the past means now.
  void PostKey(std::int32_t keyCode, std::int64_t at = 0);
  void PostClick(std::int32_t x, std::int32_t y, std::int64_t at = 0);
  void PostMouseMove(std::int32_t x, std::int32_t y, std::int64_t at = 0);
  void PostClose(Hwnd window, std::int64_t at = 0);
  void PostEndSession(std::int64_t at = 0);
  // A key with modifiers (1 Shift, 2 Ctrl, 4 Alt).
  void PostKeyWithShift(std::int32_t keyCode, std::int32_t shift, std::int64_t at = 0);
  // A press and release of `button` at a screen point.
  void PostButtonClick(std::int32_t x, std::int32_t y, std::int32_t button, std::int64_t at = 0);

  // --- Pointer and focus.
  void SetMousePointer(std::int32_t pointer) override { mousePointer_ = pointer; }
  std::int32_t MousePointer() const override { return mousePointer_; }
  // What the pointer shows at a screen point: "hourglass" while the
  // application-wide setting says so, else the resource of the windowless
  // control under it, else "" (the default arrow).
  std::string PointerAt(std::int32_t x, std::int32_t y);
  Focusable* focus = nullptr;
  // Pointer moves (PostMouseMove), presses and releases at screen pixels go
  // to the control under the point, or to the control that has the capture.
  void PostMouseDown(std::int32_t x, std::int32_t y, std::int16_t button, std::int16_t shift = 0,
                     std::int64_t at = 0);
  void PostMouseUp(std::int32_t x, std::int32_t y, std::int16_t button, std::int16_t shift = 0,
                   std::int64_t at = 0);
  // Moves the input focus to a control's window (0: to no control, as when
  // another program takes it).
  void PostFocus(Hwnd window, std::int64_t at = 0);

  // --- Controls with windows of their own.
  void SetFocus(SimUserControl* control);
  SimUserControl* Focused() const { return focused_; }
  void Forget(SimUserControl* control);
  // The window at a screen point: a control, a form, a foreign window or the desktop.
  Hwnd WindowAt(PointL point);
  // WM_ACTIVATEAPP with FALSE: another program took the activation.
  void PostDeactivateApp(std::int64_t at = 0);
  void PostDisplayChange(std::int64_t at = 0);
  // The display-state power notification: the display went off or on.
  void PostDisplayState(bool on, std::int64_t at = 0);
  // MM_MCINOTIFY posted to `window`, as a device does for a command sent with
  // "notify": `flags` kMciNotifySuccessful, ..., and the device's ID.
  void PostMciNotify(Hwnd window, std::uint32_t flags, std::uint32_t deviceId, std::int64_t at = 0);

  // --- Pacing: a refresh waits for the next display refresh; 0 turns pacing off.
  std::int64_t refreshInterval = 1000000 / 60;
  // How the compositor's flush behaves: Off when the desktop is not composed
  // (the timer paces alone); it may wait for the next refresh, return at once
  // (display off, remote sessions), block for `flushBlock`, or fail.
  enum class Flush { Off, WaitsForRefresh, ReturnsAtOnce, Blocks, Fails };
  Flush flush = Flush::Off;
  std::int64_t flushBlock = 200000;
  std::int64_t flushCalls = 0;
  std::int64_t waitMessageCalls = 0;
  // --- A graphics card, scripted: none by default (frames drawn on the
  // processor). When present, each presented frame records its offset, and
  // the card fails (Present returns false) once `cardFailsAfter` frames have
  // been shown.
  bool cardAvailable = false;
  std::optional<std::int64_t> cardFailsAfter;
  std::int64_t cardOpens = 0;
  std::vector<std::int32_t> cardOffsets;
  // Every this many frames asked for, the card is still busy with the last.
  std::int64_t cardBusyEvery = 0;
  std::int64_t cardBusyRefreshes = 0;
  // Refreshes that showed the same picture again, without presenting it.
  std::int64_t unchangedRefreshes = 0;

  // --- Stopping runs that never end on their own.
  std::optional<std::int64_t> haltAt;
  std::optional<std::int64_t> haltAfterRefreshes;

  // --- What happened.
  // Keys that reached the control with the focus, after the form's preview.
  std::vector<std::int32_t> keysToFocus;
  std::int64_t refreshCount = 0;
  std::int64_t mouseMoves = 0;
  std::vector<std::int64_t> refreshTimes;
  bool recordRefreshTimes = false;

  SimClock& clock() { return clock_; }
  SimDesktop& desktop() { return desktop_; }
  const std::vector<SimForm*>& Forms() const { return forms_; }
  SimForm* FormOf(Hwnd window);
  std::size_t LiveForms() const;
  // Runs the message loop until `done` holds; throws SimHalt when nothing
  // is left that could make it hold.
  void RunUntil(const std::function<bool()>& done);

  // Called by the forms and controls.
  void Register(SimForm* form) { forms_.push_back(form); }
  void Forget(SimForm* form);
  void Activate(SimForm* form) { active_ = form; }
  void Present(SimSurface& surface);
  // Waits for the display's next refresh as a present does, and counts it.
  void Pace();
  void Recompose();
  void DestroyForeignWindow(Hwnd window);

 private:
  void Queue(SimEvent::Kind kind, std::int64_t at, std::int32_t keyCode = 0, std::int32_t x = 0,
             std::int32_t y = 0, Hwnd window = 0);
  void Dispatch(const SimEvent& event);
  void FireDueTimers();
  std::optional<std::int64_t> NextWakeUp() const;
  // Moves the clock to the next event or timer; true when there was one.
  // Stops the run (SimHalt) at haltAt when that comes first, and when nothing
  // is left while `mustWait`.
  bool AdvanceToNext(bool mustWait);
  void CheckHalt();
  // Waits for the pacing timer, dispatching what arrives meanwhile.
  void WaitUntil(std::int64_t due);
  std::int32_t mousePointer_ = 0;

  SimClock& clock_;
  SimDesktop& desktop_;
  double twipsPerPixelX_;
  double twipsPerPixelY_;
  std::vector<SimForm*> forms_;
  SimForm* active_ = nullptr;
  std::deque<SimEvent> events_;
  void RoutePointer(const SimEvent& event);
  SimUserControl* ControlOf(Hwnd window);
  SimUserControl* focused_ = nullptr;
  SimUserControl* capture_ = nullptr;
  // A form that a press began on holds the pointer, for the layer there.
  Hwnd captureForm_ = 0;
  SimLayerHost* captureLayer_ = nullptr;
  PointL captureOrigin_{};
  std::int16_t buttonsDown_ = 0;
  PresentPacing pacing_;
  bool displayOn_ = true;
};

}  // namespace tolvarin::sim
