#pragma once
// Command: a push button that draws itself. A vertical two-colour gradient
// face, a 4-pixel frame cut from one of six state pictures, a centred
// caption, pointer tracking that lights the frame while the pointer is over
// the button, and one event, Click.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/raster.h"
#include "controls/property_bag.h"
#include "controls/windowless.h"
#include "platform/platform.h"
#include "state/window_names.h"

namespace tolvarin {

// Where the pointer and the focus are, as the button tracks them. Before
// Initialize the button tracks nothing.
enum class CommandState : std::uint8_t {
  NotInitialised = 0,
  Normal = 1,        // no focus, pointer away
  Hover = 2,         // no focus, pointer over
  Focused = 3,       // focus, pointer away
  FocusedHover = 4,  // focus and pointer over
};

// The six state pictures, by their resource names.
enum class FacePicture : std::int8_t { Normal, Disable, Selected, Pressed, HighLight, HighLightSelect };
const char* FacePictureResource(FacePicture picture);

// The caption font of a fresh button: "ＭＳ Ｐゴシック" 9.75 pt, normal weight, Shift-JIS.
FontSpec CommandDesignFont();

class Command {
 public:
  // A fresh instance on `host`: its surface, caption label and tracking
  // timer exist, every field is zero, nothing is drawn and nothing loaded.
  // The surface and the timer belong to the host form: end the control first.
  Command(Platform& platform, Form& host);
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;
  ~Command();

  // How a host places a button from its stored property set: a new
  // instance loads the set, then the host sizes it (which paints the face).
  // Position and size in twips. The host calls Initialize afterwards.
  static std::unique_ptr<Command> Place(Platform& platform, Form& host, const PropertyBag& stored,
                                        double left, double top, double width, double height);

  // --- Properties
  std::string Caption() const;
  void SetCaption(const std::string& text);
  FontSpec Font() const;
  void SetFont(const FontSpec& font);
  std::uint32_t FontColour() const;
  void SetFontColour(std::uint32_t color);
  bool Enabled() const { return enabled_ != 0; }
  void SetEnabled(bool enabled);
  // 255 with an opaque background, 0 with a transparent one.
  std::uint8_t Visible() const;
  void SetVisible(std::uint8_t visible);
  // The property reads a host makes: each gives the value above, then
  // repaints as the property's rule says. Reading Enabled first sets a fresh
  // instance up (SetUpFirstRun), then paints the face of the value
  // (ApplyEnabledLook); reading FontColour, or an opaque Visible, runs
  // RefreshFace. The state stays, so a hovered or focused button shows the
  // Normal face until its next change of state.
  bool ReadEnabled();
  std::uint32_t ReadFontColour();
  std::uint8_t ReadVisible();

  // --- Method and event
  void Initialize();
  std::function<void()> Click;
  // The property-changed notification to the host, with the property's name.
  std::function<void(const std::string&)> PropertyChanged;
  // The "Font" default offered by the host.
  FontSpec ambientFont = CommandDesignFont();

  // --- Placement by the host (twips); a change of size runs UserControl_Resize.
  void Move(double left, double top, double width, double height);
  void SetFocus();
  Hwnd hWnd();

  // --- Handlers the host and the platform call
  void UserControl_ReadProperties(const PropertyBag& bag);
  void UserControl_WriteProperties(PropertyBag& bag);
  void UserControl_Resize();
  void UserControl_MouseDown(std::int16_t button, std::int16_t shift, float x, float y);
  void UserControl_MouseMove(std::int16_t button, std::int16_t shift, float x, float y);
  void UserControl_MouseUp(std::int16_t button, std::int16_t shift, float x, float y);
  void LblMsg_MouseDown(std::int16_t button, std::int16_t shift, float x, float y);
  void LblMsg_MouseMove(std::int16_t button, std::int16_t shift, float x, float y);
  void LblMsg_MouseUp(std::int16_t button, std::int16_t shift, float x, float y);
  void UserControl_GotFocus();
  void UserControl_LostFocus();
  void TmrMouse_Timer();

  // --- Operations
  // A fresh instance (FirstRun 0) becomes enabled and set up; a loaded one is left alone.
  void SetUpFirstRun();
  void ApplyEnabledLook();
  void RefreshFace();
  void DrawFace(FacePicture picture);
  void FillGradient();
  void PointerLeft();

  // --- Inspection
  CommandState State() const { return state_; }
  bool MouseIsDown() const { return mouseIsDown_ != 0; }
  bool GradientReversed() const { return gradientReversed_ != 0; }
  std::uint8_t FirstRun() const { return firstRun_; }
  UserControlSurface& surface() { return surface_; }
  WindowlessLabel& LblMsg() { return label_; }
  Timer& TmrMouse() { return timer_; }
  // The picture a face is cut from; replaceable so the unused centre can be shown unused.
  Bitmap& StatePicture(FacePicture picture) { return pictures_[std::size_t(picture)]; }

 private:
  void Notify(const char* property);
  // Sets the caption label and the window text to `text`.
  void ShowCaption(const std::string& text);

  Platform& platform_;
  UserControlSurface& surface_;
  WindowlessControls windowless_;
  WindowlessLabel& label_;
  Timer& timer_;
  Bitmap pictures_[6];

  CommandState state_ = CommandState::NotInitialised;
  std::int16_t enabled_ = 0;
  std::uint8_t firstRun_ = 0;
  std::int16_t mouseIsDown_ = 0;
  std::int16_t gradientReversed_ = 0;
  TriVertex gradientVertices_[3]{};
  GradientRect gradientRect_{};
  // The frame geometry of the last draw, in pixels (a value that overflows keeps it).
  std::int16_t middleWidth_ = 0;
  std::int16_t middleHeight_ = 0;
  std::int16_t rightColumn_ = 0;
  std::int16_t bottomRow_ = 0;
};

}  // namespace tolvarin
