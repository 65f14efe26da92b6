#include "controls/command.h"

#include <cstdio>
#include <cstdlib>

#include "base/checked.h"
#include "base/colour.h"
#include "base/errors.h"

namespace tolvarin {

namespace {

// Frame geometry in picture pixels: the 64 x 25 pixel state picture, its
// 4-pixel corners, and the strips between them. The frame is cut from the
// picture and laid on the surface in pixels, so at any screen resolution a
// face shows the picture's edges at their own width (the corners one to one)
// and stretches only the strips: what is drawn is the picture's design, never
// a rectangle reaching past it. At 96 dots per inch this is the frame the
// design lays out in twips (60-twip corners, 1-twip offsets that land on
// pixel 0).
constexpr double kCorner = 4;
constexpr double kPictureWidth = 64;
constexpr double kPictureHeight = 25;
constexpr double kStripWidth = kPictureWidth - 2 * kCorner;    // 56
constexpr double kStripHeight = kPictureHeight - 2 * kCorner;  // 17

constexpr const char* kLightColour = "&HFFFFFF";
constexpr const char* kDarkColour = "&HC6C5D7";

}  // namespace

const char* FacePictureResource(FacePicture picture) {
  switch (picture) {
    case FacePicture::Normal: return "CMD_NORMAL";
    case FacePicture::Disable: return "CMD_DISABLE";
    case FacePicture::Selected: return "CMD_SELECTED";
    case FacePicture::Pressed: return "CMD_PRESSED";
    case FacePicture::HighLight: return "CMD_HIGHLIGHT";
    case FacePicture::HighLightSelect: return "CMD_HIGHLIGHTSELECT";
  }
  return "";
}

FontSpec CommandDesignFont() {
  FontSpec font;
  font.name = "ＭＳ Ｐゴシック";
  font.size = 9.75;
  font.weight = 400;
  font.charset = 128;
  return font;
}

Command::Command(Platform& platform, Form& host)
    : platform_(platform),
      surface_(host.AddUserControl(kCommandClassName)),
      windowless_(surface_, ScaleUnit::Twips, platform.windowing.TwipsPerPixelX(), platform.windowing.TwipsPerPixelY()),
      label_(windowless_.AddLabel()),
      timer_(surface_.AddTimer(100, false)) {
  // The design settings of the surface and its caption label.
  surface_.SetScaleMode(ScaleUnit::Twips);
  surface_.SetBackStyle(BackStyle::Opaque);
  ShowCaption("Command");
  label_.SetFont(CommandDesignFont());
  label_.SetForeColor(0);
  label_.SetAlignment(TextAlignment::Center);
  label_.SetLeft(0);
  label_.SetTop(90);
  label_.SetWidth(1635);
  label_.SetHeight(195);
  for (int i = 0; i < 6; ++i)
    if (auto picture = platform_.pictures.LoadPictureResource(FacePictureResource(FacePicture(i))))
      pictures_[i] = std::move(*picture);

  windowless_.onMouseDown = [this](std::int16_t b, std::int16_t s, float x, float y) { UserControl_MouseDown(b, s, x, y); };
  windowless_.onMouseMove = [this](std::int16_t b, std::int16_t s, float x, float y) { UserControl_MouseMove(b, s, x, y); };
  windowless_.onMouseUp = [this](std::int16_t b, std::int16_t s, float x, float y) { UserControl_MouseUp(b, s, x, y); };
  label_.onMouseDown = [this](std::int16_t b, std::int16_t s, float x, float y) { LblMsg_MouseDown(b, s, x, y); };
  label_.onMouseMove = [this](std::int16_t b, std::int16_t s, float x, float y) { LblMsg_MouseMove(b, s, x, y); };
  label_.onMouseUp = [this](std::int16_t b, std::int16_t s, float x, float y) { LblMsg_MouseUp(b, s, x, y); };
  surface_.onGotFocus = [this] { UserControl_GotFocus(); };
  surface_.onLostFocus = [this] { UserControl_LostFocus(); };
  surface_.onResize = [this] { UserControl_Resize(); };
  timer_.onTimer = [this] { TmrMouse_Timer(); };
}

Command::~Command() {
  // The surface and the timer belong to the host form and may outlive the control.
  windowless_.onMouseDown = nullptr;
  windowless_.onMouseMove = nullptr;
  windowless_.onMouseUp = nullptr;
  label_.onMouseDown = nullptr;
  label_.onMouseMove = nullptr;
  label_.onMouseUp = nullptr;
  surface_.onGotFocus = nullptr;
  surface_.onLostFocus = nullptr;
  surface_.onResize = nullptr;
  timer_.onTimer = nullptr;
  TrapErrors([&] { timer_.SetEnabled(false); });
}

std::unique_ptr<Command> Command::Place(Platform& platform, Form& host, const PropertyBag& stored, double left,
                                        double top, double width, double height) {
  auto command = std::make_unique<Command>(platform, host);
  command->UserControl_ReadProperties(stored);
  command->Move(left, top, width, height);
  return command;
}

// ---------------------------------------------------------------- properties

void Command::Notify(const char* property) {
  TrapErrors([&] {
    if (PropertyChanged) PropertyChanged(property);
  });
}

std::string Command::Caption() const {
  std::string caption;
  TrapErrors([&] { caption = label_.Caption(); });
  return caption;
}

void Command::ShowCaption(const std::string& text) {
  label_.SetCaption(text);
  // The caption is also the window's text, which screen readers announce.
  surface_.SetWindowTextW(text);
}

void Command::SetCaption(const std::string& text) {
  TrapErrors([&] { ShowCaption(text); });
  Notify("Caption");
}

FontSpec Command::Font() const {
  FontSpec font;
  TrapErrors([&] { font = label_.Font(); });
  return font;
}

void Command::SetFont(const FontSpec& font) {
  TrapErrors([&] { label_.SetFont(font); });
  Notify("Font");
}

std::uint32_t Command::FontColour() const {
  std::uint32_t colour = 0;
  TrapErrors([&] { colour = label_.ForeColor(); });
  return colour;
}

std::uint32_t Command::ReadFontColour() {
  const std::uint32_t colour = FontColour();
  // Also when the colour could not be read.
  RefreshFace();
  return colour;
}

void Command::SetFontColour(std::uint32_t colour) {
  try {
    label_.SetForeColor(colour);
  } catch (const std::exception&) {
    // The colour was refused: the face is refreshed, nothing is announced.
    RefreshFace();
    return;
  }
  RefreshFace();
  Notify("FontColour");
}

void Command::SetUpFirstRun() {
  if (firstRun_ != 0) return;
  RefreshFace();  // does nothing yet: a fresh instance is disabled
  firstRun_ = 1;
  enabled_ = -1;
}

bool Command::ReadEnabled() {
  SetUpFirstRun();
  const bool value = Enabled();
  ApplyEnabledLook();
  return value;
}

void Command::SetEnabled(bool enabled) {
  enabled_ = enabled ? -1 : 0;
  Notify("Enabled");
  ApplyEnabledLook();
}

std::uint8_t Command::Visible() const {
  BackStyle style = BackStyle::Opaque;
  TrapErrors([&] { style = surface_.GetBackStyle(); });
  return style == BackStyle::Transparent ? 0 : 255;
}

std::uint8_t Command::ReadVisible() {
  const std::uint8_t visible = Visible();
  if (visible != 0) RefreshFace();
  return visible;
}

void Command::SetVisible(std::uint8_t visible) {
  if (visible != 0) {
    TrapErrors([&] { surface_.SetBackStyle(BackStyle::Opaque); });
    RefreshFace();
  } else {
    TrapErrors([&] { surface_.SetBackStyle(BackStyle::Transparent); });
  }
  Notify("Visible");
}

void Command::Initialize() {
  state_ = CommandState::Normal;
  TrapErrors([&] { timer_.SetInterval(100); });
  TrapErrors([&] { timer_.SetEnabled(true); });
}

void Command::Move(double left, double top, double width, double height) {
  TrapErrors([&] { surface_.Move(left, top, width, height); });
}

void Command::SetFocus() {
  TrapErrors([&] { surface_.SetFocus(); });
}

Hwnd Command::hWnd() { return surface_.hWnd(); }

// ---------------------------------------------------------------- looks

void Command::ApplyEnabledLook() {
  if (enabled_) {
    DrawFace(FacePicture::Normal);
    TrapErrors([&] { label_.SetEnabled(true); });
  } else {
    DrawFace(FacePicture::Disable);
    TrapErrors([&] { label_.SetEnabled(false); });
  }
}

void Command::RefreshFace() {
  if (!enabled_) return;
  // A failing step turns the caption black and the next step runs.
  const auto step = [&](auto&& action) {
    try {
      action();
    } catch (const std::exception&) {
      TrapErrors([&] { label_.SetForeColor(0); });
    }
  };
  step([&] { label_.SetEnabled(true); });
  if (firstRun_ == 0) step([&] { label_.SetForeColor(0); });
  step([&] { DrawFace(FacePicture::Normal); });
}

// ---------------------------------------------------------------- stored set

void Command::UserControl_ReadProperties(const PropertyBag& bag) {
  TrapErrors([&] {
    if (auto value = ToBoolean(bag.ReadProperty("Enabled", true))) enabled_ = *value ? -1 : 0;
  });
  TrapErrors([&] {
    if (auto value = ToText(bag.ReadProperty("Caption", std::string("Command1")))) ShowCaption(*value);
  });
  TrapErrors([&] {
    // Only the typeface name of the stored font is taken.
    if (auto value = ToFont(bag.ReadProperty("Font", ambientFont))) {
      FontSpec font = label_.Font();
      font.name = value->name;
      label_.SetFont(font);
    }
  });
  TrapErrors([&] {
    if (auto value = ToByte(bag.ReadProperty("FirstRun", std::string("1")))) firstRun_ = *value;
  });
  TrapErrors([&] {
    if (auto value = ToInt32(bag.ReadProperty("FontColour", std::string("0"))))
      label_.SetForeColor(std::uint32_t(*value));
  });
  TrapErrors([&] {
    if (auto value = ToInt16(bag.ReadProperty("Visible", std::string("1")))) {
      if (*value != 0 && *value != 1) RaiseInvalidPropertyValue();
      surface_.SetBackStyle(*value == 1 ? BackStyle::Opaque : BackStyle::Transparent);
    }
  });
  RefreshFace();
}

void Command::UserControl_WriteProperties(PropertyBag& bag) {
  TrapErrors([&] { bag.WriteProperty("Enabled", enabled_ != 0, true); });
  TrapErrors([&] { bag.WriteProperty("Caption", label_.Caption(), std::string("Command")); });
  TrapErrors([&] { bag.WriteProperty("FirstRun", double(firstRun_), std::string("1")); });
  TrapErrors([&] { bag.WriteProperty("Font", label_.Font(), ambientFont); });
  TrapErrors([&] {
    bag.WriteProperty("FontColour", double(std::int32_t(label_.ForeColor())), std::string("0"));
  });
  TrapErrors([&] {
    bag.WriteProperty("Visible", double(surface_.GetBackStyle() == BackStyle::Opaque ? 1 : 0), std::string("1"));
  });
  RefreshFace();
}

// ---------------------------------------------------------------- drawing

void Command::UserControl_Resize() { ApplyEnabledLook(); }

void Command::DrawFace(FacePicture picture) {
  if (state_ == CommandState::Normal || state_ == CommandState::Focused) gradientReversed_ = 0;
  if (state_ == CommandState::Hover) gradientReversed_ = -1;

  // The surface's size in twips, for the caption.
  double width = 0, height = 0;
  TrapErrors([&] { width = surface_.ScaleWidth(); });
  TrapErrors([&] { height = surface_.ScaleHeight(); });

  TrapErrors([&] { surface_.Cls(); });
  TrapErrors([&] { FillGradient(); });

  // The frame, in pixels.
  TrapErrors([&] { surface_.SetScaleMode(ScaleUnit::Pixels); });
  double pixelsWide = 0, pixelsHigh = 0;
  TrapErrors([&] { pixelsWide = surface_.ScaleWidth(); });
  TrapErrors([&] { pixelsHigh = surface_.ScaleHeight(); });
  // Each value that leaves the 16-bit range keeps the one of the previous draw.
  TrapErrors([&] { middleWidth_ = RoundHalfEven<std::int16_t>(pixelsWide - 2 * kCorner); });
  TrapErrors([&] { middleHeight_ = RoundHalfEven<std::int16_t>(pixelsHigh - 2 * kCorner); });
  TrapErrors([&] { rightColumn_ = RoundHalfEven<std::int16_t>(kCorner + middleWidth_); });
  TrapErrors([&] { bottomRow_ = RoundHalfEven<std::int16_t>(kCorner + middleHeight_); });

  const Bitmap& source = pictures_[std::size_t(picture)];
  const double right = rightColumn_, bottom = bottomRow_, across = middleWidth_, down = middleHeight_;
  const auto piece = [&](double x, double y, std::optional<double> w, std::optional<double> h, double sx,
                         double sy, double sw, double sh) {
    TrapErrors([&] {
      if (source.empty()) RaiseInvalidPropertyValue();
      surface_.PaintPicture(source, x, y, w, h, sx, sy, sw, sh);
    });
  };
  const std::optional<double> asSource;
  const double farX = kPictureWidth - kCorner, farY = kPictureHeight - kCorner;
  piece(0, 0, asSource, asSource, 0, 0, kCorner, kCorner);                              // top-left
  piece(kCorner, 0, across, asSource, kCorner, 0, kStripWidth, kCorner);                 // top
  piece(right, 0, asSource, asSource, farX, 0, kCorner, kCorner);                        // top-right
  piece(right, kCorner, asSource, down, farX, kCorner, kCorner, kStripHeight);           // right
  piece(right, bottom, asSource, asSource, farX, farY, kCorner, kCorner);                // bottom-right
  piece(kCorner, bottom, across, asSource, kCorner, farY, kStripWidth, kCorner);         // bottom
  piece(0, bottom, asSource, asSource, 0, farY, kCorner, kCorner);                       // bottom-left
  piece(0, kCorner, asSource, down, 0, kCorner, kCorner, kStripHeight);                  // left
  TrapErrors([&] { surface_.SetScaleMode(ScaleUnit::Twips); });

  TrapErrors([&] { surface_.Refresh(); });

  // The caption across the middle; the label centres its text.
  TrapErrors([&] { label_.SetTop((height - label_.Height() - 20) / 2); });
  TrapErrors([&] { label_.SetLeft(0); });
  TrapErrors([&] { label_.SetWidth(width); });
}

void Command::FillGradient() {
  const std::string top = gradientReversed_ ? kDarkColour : kLightColour;
  const std::string bottom = gradientReversed_ ? kLightColour : kDarkColour;
  TrapErrors([&] {
    ChannelsOf(top, gradientVertices_[0].Red, gradientVertices_[0].Green, gradientVertices_[0].Blue);
  });
  TrapErrors([&] {
    ChannelsOf(bottom, gradientVertices_[1].Red, gradientVertices_[1].Green, gradientVertices_[1].Blue);
  });
  TrapErrors([&] { surface_.SetScaleMode(ScaleUnit::Pixels); });
  gradientVertices_[0].x = 0;
  gradientVertices_[0].y = 0;
  TrapErrors([&] { gradientVertices_[1].x = RoundHalfEven<std::int32_t>(surface_.ScaleWidth() - 1); });
  TrapErrors([&] { gradientVertices_[1].y = RoundHalfEven<std::int32_t>(surface_.ScaleHeight() - 1); });
  gradientRect_.UpperLeft = 1;
  gradientRect_.LowerRight = 0;
  TrapErrors([&] {
    platform_.gdi32.GradientFill(surface_.hDC(), gradientVertices_, 2, &gradientRect_, 1, kGradientFillRectV);
  });
  TrapErrors([&] { surface_.SetScaleMode(ScaleUnit::Twips); });
  TrapErrors([&] { surface_.Refresh(); });
}

// ---------------------------------------------------------------- pointer and focus

void Command::UserControl_MouseDown(std::int16_t button, std::int16_t, float, float) {
  if (!enabled_) return;
  if (button == kLeftButton) {
    mouseIsDown_ = -1;
    DrawFace(FacePicture::Pressed);
  }
}

void Command::UserControl_MouseMove(std::int16_t, std::int16_t, float, float) {
  if (!enabled_) return;
  if (state_ == CommandState::Normal) {
    state_ = CommandState::Hover;
    DrawFace(FacePicture::HighLight);
  }
  if (state_ == CommandState::Focused && !mouseIsDown_) {
    state_ = CommandState::FocusedHover;
    DrawFace(FacePicture::HighLightSelect);
  }
}

void Command::UserControl_MouseUp(std::int16_t button, std::int16_t, float, float) {
  if (!enabled_) return;
  if (button == kLeftButton) {
    mouseIsDown_ = 0;
    if (state_ == CommandState::Hover) DrawFace(FacePicture::Normal);
    if (state_ == CommandState::FocusedHover) DrawFace(FacePicture::HighLightSelect);
  }
  // The host's handler runs here, before the release handler returns.
  if (state_ != CommandState::Focused && enabled_ && Click) Click();
}

void Command::LblMsg_MouseDown(std::int16_t button, std::int16_t shift, float x, float y) {
  UserControl_MouseDown(button, shift, x, y);
}

void Command::LblMsg_MouseMove(std::int16_t button, std::int16_t shift, float x, float y) {
  UserControl_MouseMove(button, shift, x, y);
}

void Command::LblMsg_MouseUp(std::int16_t button, std::int16_t shift, float x, float y) {
  UserControl_MouseUp(button, shift, x, y);
}

void Command::UserControl_GotFocus() {
  if (!enabled_) return;
  if (state_ != CommandState::Hover) {
    state_ = CommandState::Focused;
    DrawFace(FacePicture::Selected);
  }
  if (state_ == CommandState::Hover) {
    state_ = CommandState::FocusedHover;
    DrawFace(FacePicture::Pressed);
  }
}

void Command::UserControl_LostFocus() {
  if (!enabled_) return;
  if (state_ != CommandState::Normal) {
    state_ = CommandState::Normal;
    DrawFace(FacePicture::Normal);
  }
}

void Command::TmrMouse_Timer() {
  PointL point;
  Hwnd under = 0;
  TrapErrors([&] { platform_.user32.GetCursorPos(point); });
  TrapErrors([&] { under = platform_.user32.WindowFromPoint(point); });
  Hwnd own = 0, host = 0;
  TrapErrors([&] { own = surface_.hWnd(); });
  TrapErrors([&] { host = surface_.HostHwnd(); });
  if (under == host) {
    PointerLeft();
    return;
  }
  if (under != own && under != host) PointerLeft();
}

void Command::PointerLeft() {
  if (!enabled_) return;
  if (state_ == CommandState::Hover) {
    state_ = CommandState::Normal;
    DrawFace(FacePicture::Normal);
  }
  if (state_ == CommandState::FocusedHover) {
    state_ = CommandState::Focused;
    DrawFace(FacePicture::Selected);
  }
}

}  // namespace tolvarin
