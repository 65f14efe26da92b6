#include "dialog/settings_dialog.h"

#include <algorithm>
#include <cmath>

#include "base/checked.h"
#include "base/errors.h"
#include "base/number.h"
#include "dialog/dialog_layout.h"
#include "settings/settings.h"

namespace tolvarin {

namespace {

constexpr std::int32_t kIdAniCaption = 3;

constexpr const char* kChooserTitle = "ﾌｧｲﾙを開く";
// One filter pair and the list's closing NUL.
const std::string kChooserFilter = std::string("BGMﾌｧｲﾙ (MP3 WAV)") + '\0' + "*.MP3;*.WAV" + '\0' + '\0';
constexpr std::uint32_t kChooserBufferSize = 255;

FontSpec DialogFont(bool underline = false) {
  FontSpec font;
  font.name = kDialogFontName;
  font.size = 9.75;
  font.weight = 400;
  font.underline = underline;
  font.charset = 128;
  return font;
}

// The panel's own font, which the number under the scroll bar keeps.
FontSpec PanelFont() {
  FontSpec font;
  font.name = "Tahoma";
  font.size = 8.25;
  font.weight = 400;
  font.charset = 0;
  return font;
}

// Upper bound, page step and first value of the degree scroll bar; a lower
// bound of 0 and an arrow step of 1 are this program's choice.
constexpr std::int32_t kDegreeMin = 0;
constexpr std::int32_t kDegreeMax = 1024;
constexpr std::int32_t kDegreeSmallChange = 1;
constexpr std::int32_t kDegreeLargeChange = 10;
constexpr std::int32_t kDegreeInitial = 10;

constexpr std::int32_t kLastListedTrack = 30;

// A button as a stop of the Tab key: its focus is followed through its
// surface's focus events, which the button itself also handles.
class CommandFocus final : public Focusable {
 public:
  explicit CommandFocus(Command& command) : command_(command) {
    UserControlSurface& surface = command.surface();
    auto gained = surface.onGotFocus;
    auto lost = surface.onLostFocus;
    surface.onGotFocus = [this, gained] {
      hasFocus_ = true;
      if (gained) gained();
    };
    surface.onLostFocus = [this, lost] {
      hasFocus_ = false;
      if (lost) lost();
    };
  }
  void SetFocus() override { command_.SetFocus(); }
  bool HasFocus() const override { return hasFocus_; }
  // Read as the host reads the property, which repaints the button's face.
  bool CanFocus() const override { return command_.ReadEnabled(); }

 private:
  Command& command_;
  bool hasFocus_ = false;
};

// The stored property sets of the three buttons: a caption and the dialog's font.
PropertyBag StoredButton(const char* caption) {
  return PropertyBag{{"Caption", std::string(caption)}, {"Font", CommandDesignFont()}};
}

}  // namespace

std::int16_t RepeatTrackFromText(const std::string& text) {
  // A Japanese input method types full-width digits in its usual mode.
  const auto number = WholeNumber(HalfWidthNumberText(text));
  if (!number) return 0;
  const double rounded = std::nearbyint(*number);  // halves to even
  if (!(rounded >= -32768.0 && rounded <= 32767.0)) return 0;
  return static_cast<std::int16_t>(rounded);
}

std::string FormatHash(std::int32_t value) { return value == 0 ? std::string() : std::to_string(value); }

std::string SaveFailedMessage(const std::string& settingsFile) {
  return "設定ファイル「" + settingsFile + "」に保存できませんでした。\n" +
         "ファイルやフォルダーが書き込み禁止になっていないか確かめてください。"
         "設定を変えずに閉じるときは「ｷｬﾝｾﾙ」を押してください。";
}

void AnimateOpen(Program& program, Hwnd window) {
  User32& user32 = program.platform.user32;
  const AnimationPoint point = program.state.animationPoint;
  const RectL from{point.x, point.y, point.x, point.y};
  RectL to;
  user32.GetWindowRect(window, to);
  user32.DrawAnimatedRects(window, kIdAniCaption, from, to);
}

void AnimateClose(Program& program, Hwnd window) {
  User32& user32 = program.platform.user32;
  const AnimationPoint point = program.state.animationPoint;
  const RectL to{point.x, point.y, point.x, point.y};
  RectL from;
  user32.GetWindowRect(window, from);
  user32.DrawAnimatedRects(window, kIdAniCaption, from, to);
}

SettingsDialog::SettingsDialog(Program& program) : program_(program), platform_(program.platform) {
  FormDesign design;
  design.caption = kDialogCaption;
  design.borderless = false;
  design.fixedDialog = true;
  design.backColor = kDialogBackColor;
  design.keyPreview = true;
  design.showInTaskbar = true;
  design.iconResource = kIconResource;
  design.clientWidth = kDialogClientWidth;
  design.clientHeight = kDialogClientHeight;
  // Laid out at the system's scale; on a monitor of another scale the
  // platform stretches it. The saver's own windows stay per-monitor aware.
  design.scaledBySystem = true;
  form_ = platform_.windowing.CreateForm(design);
  CreateControls();
  form_->onResize = [this] { Form_Resize(); };
  form_->onUnload = [this] { Form_Unload(); };
  form_->onKeyDown = [this](std::int32_t& keyCode, std::int32_t shift) { Form_KeyDown(keyCode, shift); };
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::CreateControls() {
  const double tx = platform_.windowing.TwipsPerPixelX(), ty = platform_.windowing.TwipsPerPixelY();
  auto rect = [&](std::string_view name, std::int32_t element = -1) { return PixelRect(LayoutOf(name, element), tx, ty); };
  auto label = [&](WindowlessControls& container, std::string_view name, std::int32_t element, const std::string& caption,
                   std::uint32_t color, TextAlignment alignment) -> WindowlessLabel& {
    LabelDesign design;
    design.rect = rect(name, element);
    design.caption = caption;
    design.font = DialogFont();
    design.foreColor = color;
    design.alignment = alignment;
    design.autoSize = alignment == TextAlignment::Left;
    return container.AddLabel(design);
  };

  // The panel and the tile's holder.
  picC_ = &form_->AddPictureSurface(true);
  const ControlRect panel = rect("Pic_C");
  picC_->Move(panel.left, panel.top);
  picC_->SetSize(panel.width, panel.height);
  picMbl_ = &form_->AddPictureSurface(true);
  const ControlRect tileHolder = rect("Pic_Mbl");
  picMbl_->Move(tileHolder.left, tileHolder.top);
  picMbl_->SetSize(tileHolder.width, tileHolder.height);
  formControls_ = std::make_unique<WindowlessControls>(*form_, ScaleUnit::Pixels, tx, ty);
  panelControls_ = std::make_unique<WindowlessControls>(*picC_, ScaleUnit::Pixels, tx, ty);
  // The holder takes the tile's size, so the tiles meet whatever the screen's resolution.
  TrapErrors([&] {
    if (auto tile = platform_.pictures.LoadPictureResource(kTileResource)) {
      picMbl_->SetSize(tile->width, tile->height);
      picMbl_->SetPicture(*tile);
    }
  });

  // Window controls.
  label(*formControls_, "lbl", 7, kCreditLine, kWhite, TextAlignment::Left);
  {
    LabelDesign design;
    design.rect = rect("lbl_URL");
    design.caption = kHomePageAddress;
    design.font = DialogFont(true);
    design.foreColor = kWhite;
    design.pointerResource = kLinkPointerResource;
    design.autoSize = true;
    lblUrl_ = &formControls_->AddLabel(design);
  }
  const char* markResources[2] = {kMarkOffResource, kMarkOnResource};
  for (std::int32_t i = 0; i < 2; ++i) {
    imgRa_[std::size_t(i)] = &formControls_->AddImage();
    const ControlRect r = rect("Img_Ra", i);
    imgRa_[std::size_t(i)]->Move(r.left, r.top, r.width, r.height);
    TrapErrors([&] {
      if (auto mark = platform_.pictures.LoadPictureResource(markResources[i])) {
        marks_[std::size_t(i)] = *mark;
        imgRa_[std::size_t(i)]->SetPicture(*mark);
      }
    });
  }

  // Panel controls.
  WindowlessControls& pic = *panelControls_;
  label(pic, "lbl", 15, "BGM", kBlack, TextAlignment::Center);
  pic.AddShape(ShapeDesign{rect("Shape3", 3), kBlack});
  label(pic, "lbl", 0, "Tolvarinの度合い", kBlack, TextAlignment::Center);
  pic.AddShape(ShapeDesign{rect("Shape3", 0), kBlack});
  const char* modeTexts[3] = {"なし", "音楽CD", "MP3、WAV"};
  // In the order of the rows on screen: mode 1, then 0, then 2.
  for (std::int32_t mode : {1, 0, 2}) {
    WindowlessImage& image = pic.AddImage();
    const ControlRect r = rect("Img_BGM", mode);
    image.Move(r.left, r.top, r.width, r.height);
    image.onMouseDown = [this, mode](std::int16_t, std::int16_t, float, float) { SelectMusicMode(mode); };
    imgBgm_[std::size_t(mode)] = &image;
    WindowlessLabel& text = label(pic, "lbl_BGM", mode, modeTexts[mode], kBlack, TextAlignment::Left);
    text.onMouseDown = [this, mode](std::int16_t, std::int16_t, float, float) { SelectMusicMode(mode); };
    lblBgm_[std::size_t(mode)] = &text;
    if (mode == 1) {
      ComboBoxDesign combo;
      combo.rect = rect("BGM_Repeat");
      combo.font = DialogFont();
      combo.backColor = kWhite;
      bgmRepeat_ = &picC_->AddComboBox(combo);
      label(pic, "lbl", 14, "曲目をﾘﾋﾟｰﾄ", kBlack, TextAlignment::Left);
    }
  }
  {
    LabelDesign design;
    design.rect = rect("lbl_Fname");
    design.font = DialogFont();
    design.foreColor = kBlack;
    design.border = true;
    lblFname_ = &pic.AddLabel(design);
  }
  {
    ScrollBarDesign design;
    design.rect = rect("HS_Doai");
    design.min = kDegreeMin;
    design.max = kDegreeMax;
    design.smallChange = kDegreeSmallChange;
    design.largeChange = kDegreeLargeChange;
    design.value = kDegreeInitial;
    hsDoai_ = &picC_->AddScrollBar(design);
    hsDoai_->onChange = [this] { HS_Doai_Change(); };
    hsDoai_->onScroll = [this] { HS_Doai_Change(); };
  }
  {
    LabelDesign design;
    design.rect = rect("lbl_Doai");
    design.caption = "99";
    design.font = PanelFont();
    design.foreColor = kColorWindowText;
    design.alignment = TextAlignment::Center;
    lblDoai_ = &pic.AddLabel(design);
  }
  lblUrl_->onClick = [this] { OpenHomePage(); };

  // The buttons: windows of their own on the dialog; the file button sits
  // over the panel, placed at the panel's position plus its own.
  const ControlLayout& panelLayout = LayoutOf("Pic_C");
  auto place = [&](std::string_view name, const char* caption, bool inPanel) {
    const ControlLayout& layout = LayoutOf(name);
    const double left = layout.left + (inPanel ? panelLayout.left : 0);
    const double top = layout.top + (inPanel ? panelLayout.top : 0);
    return Command::Place(platform_, *form_, StoredButton(caption), left, top, layout.width, layout.height);
  };
  cmdSet_ = place("Cmd_Set", "設定", false);
  cmdCan_ = place("Cmd_Can", "ｷｬﾝｾﾙ", false);
  cmdFile_ = place("Cmd_File", "...", true);
  // Above the panel, which was created first.
  TrapErrors([&] {
    platform_.user32.SetWindowPos(cmdFile_->hWnd(), 0, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize | kSwpNoActivate);
  });
  cmdSet_->Click = [this] { SaveAndClose(); };
  cmdCan_->Click = [this] { Cmd_Can_Click(); };
  cmdFile_->Click = [this] { ChooseMusicFile(); };
  for (Command* command : {cmdFile_.get(), cmdSet_.get(), cmdCan_.get()})
    buttonFocus_.push_back(std::make_unique<CommandFocus>(*command));
}

void SettingsDialog::ShowModal() {
  // The shell's calls (the home page, the file chooser) want COM on the
  // calling thread; it stays for the dialog's life, since the shell may still
  // be handing the address on after its call has returned.
  Shell& shell = platform_.shell;
  const std::int32_t com = shell.CoInitializeEx(kCoinitApartmentThreaded | kCoinitDisableOle1Dde);
  struct Balance {
    Shell& shell;
    bool initialised;
    ~Balance() {
      if (initialised) shell.CoUninitialize();
    }
  } balance{shell, com >= 0};
  Form_Load();
  form_->ShowModal();
}

void SettingsDialog::Form_Load() {
  ProcessState& state = program_.state;
  SharedSettings& settings = state.settings;
  Windowing& windowing = platform_.windowing;

  TrapErrors([&] {
    const DialogPlacement placement =
        PlaceDialog(windowing.ScreenWidth(), windowing.ScreenHeight(), form_->Width(), form_->Height());
    form_->Move(placement.left, placement.top);
  });
  TrapErrors([&] { InitButtons(); });
  TrapErrors([&] { TilePicture(*picC_); });
  TrapErrors([&] { hsDoai_->SetValue(settings.effectDegree); });
  TrapErrors([&] { lblDoai_->SetCaption(std::to_string(settings.effectDegree)); });
  TrapErrors([&] { bgmRepeat_->SetEnabled(false); });
  for (std::int32_t i = 0; i < 3; ++i) TrapErrors([&] { imgBgm_.at(std::size_t(i))->SetPicture(marks_[0]); });
  // A music mode without a mark (other than 0, 1, 2) leaves every mark unselected.
  TrapErrors([&] { imgBgm_.at(std::size_t(settings.musicMode))->SetPicture(marks_[1]); });
  TrapErrors([&] {
    if (settings.musicMode == MusicMode::AudioCd) bgmRepeat_->SetEnabled(true);
  });
  TrapErrors([&] { SetFileButtonEnabled(settings.musicMode == MusicMode::SoundFile); });
  TrapErrors([&] { bgmRepeat_->SetText(FormatHash(settings.repeatTrack)); });
  TrapErrors([&] {
    for (std::int32_t n = 0; n <= kLastListedTrack; ++n) bgmRepeat_->AddItem(FormatHash(n));
  });
  TrapErrors([&] { lblFname_->SetCaption(settings.musicFile); });
  TrapErrors([&] {
    PointL point;
    state.lastApiResult = platform_.user32.GetCursorPos(point);
    if (state.lastApiResult != 0) {
      state.animationPoint = AnimationPoint{RoundHalfEven<std::int16_t>(point.x), RoundHalfEven<std::int16_t>(point.y)};
    } else {
      state.animationPoint = AnimationPoint{0, 0};
    }
  });
  TrapErrors([&] { AnimateOpen(program_, form_->hWnd()); });
  TrapErrors([&] { windowing.SetMousePointer(kPointerDefault); });
}

void SettingsDialog::Form_Resize() {
  const PixelView canvas = form_->Canvas();
  const std::int32_t width = std::int32_t(form_->ScaleWidth());
  const std::int32_t height = std::int32_t(form_->ScaleHeight());
  const double k = height / 3.142;
  // Row `height` lies just below the client area and is drawn too (clipped).
  for (std::int32_t y = 0; y <= height; ++y) {
    TrapErrors([&] {
      const std::int32_t c = RoundHalfEven<std::int32_t>(std::fabs(std::sin(y / k)) * 220);
      const std::uint32_t pixel = (std::uint32_t(c) << 16) | (std::uint32_t(c) << 8) | std::uint32_t(c + 30);
      if (y >= canvas.height) return;
      std::uint32_t* row = canvas.row(y);
      std::fill(row, row + std::min(width, canvas.width), pixel);
    });
  }
  form_->Repaint();
}

void SettingsDialog::Form_Unload() { AnimateClose(program_, form_->hWnd()); }

void SettingsDialog::Form_KeyDown(std::int32_t& keyCode, std::int32_t shift) {
  // The dialog's own keys go no further, so the repeat box's edit field never
  // gets a Tab or an Enter it cannot take (and would beep at).
  if (keyCode == kKeyEscape) {
    keyCode = 0;
    Cmd_Can_Click();
    return;
  }
  // No button is the default one and keys never click a button: Enter does nothing.
  if (keyCode == kKeyReturn) keyCode = 0;
  if (keyCode != kKeyTab) return;
  keyCode = 0;
  const std::vector<Focusable*> order = TabOrder();
  if (order.empty()) return;
  const std::ptrdiff_t count = std::ptrdiff_t(order.size());
  std::ptrdiff_t current = -1;
  for (std::ptrdiff_t i = 0; i < count; ++i)
    if (order[std::size_t(i)]->HasFocus()) current = i;
  const std::ptrdiff_t step = (shift & kShiftMask) ? -1 : 1;
  // With nothing focused, Tab starts at the first control and Shift+Tab at the last.
  std::ptrdiff_t next = current >= 0 ? current : (step > 0 ? -1 : count);
  for (std::ptrdiff_t tries = 0; tries < count; ++tries) {
    next = ((next + step) % count + count) % count;
    Focusable* candidate = order[std::size_t(next)];
    if (candidate->CanFocus()) {
      candidate->SetFocus();
      return;
    }
  }
}

std::vector<Focusable*> SettingsDialog::TabOrder() {
  // BGM_Repeat (2), Cmd_File (12), Cmd_Set (13), Cmd_Can (14), HS_Doai (16).
  // The picture surfaces take no focus here: there is nothing on them to
  // work with keys.
  return {bgmRepeat_, buttonFocus_[0].get(), buttonFocus_[1].get(), buttonFocus_[2].get(), hsDoai_};
}

void SettingsDialog::InitButtons() {
  for (Command* command : {cmdCan_.get(), cmdSet_.get(), cmdFile_.get()})
    TrapErrors([&] { command->Initialize(); });
}

void SettingsDialog::TilePicture(PictureSurface& target) {
  const std::int32_t w = std::int32_t(picMbl_->Width()), h = std::int32_t(picMbl_->Height());
  const std::int32_t W = std::int32_t(target.Width()), H = std::int32_t(target.Height());
  // An empty tile would never get past the bounds.
  if (w <= 0 || h <= 0) return;
  std::int32_t x = 0, y = 0;
  for (;;) {
    program_.state.lastApiResult = platform_.gdi32.BitBlt(target.hDC(), x, y, w, h, picMbl_->hDC(), 0, 0, kSrcCopy);
    if (y > H) {
      if (x > W) break;
      x += w;
      y = 0;
    } else {
      y += h;
    }
  }
}

void SettingsDialog::HS_Doai_Change() { lblDoai_->SetCaption(std::to_string(hsDoai_->Value())); }

void SettingsDialog::SetFileButtonEnabled(bool enabled) { cmdFile_->SetEnabled(enabled); }

void SettingsDialog::SelectMusicMode(std::int32_t mode) {
  const MusicMode selected = static_cast<MusicMode>(static_cast<std::int16_t>(mode));
  program_.state.settings.musicMode = selected;
  SetFileButtonEnabled(false);
  bgmRepeat_->SetEnabled(false);
  for (std::int32_t i = 0; i < 3; ++i) imgBgm_[std::size_t(i)]->SetPicture(marks_[0]);
  imgBgm_.at(std::size_t(mode))->SetPicture(marks_[1]);
  if (selected == MusicMode::AudioCd) bgmRepeat_->SetEnabled(true);
  if (selected == MusicMode::SoundFile) SetFileButtonEnabled(true);
}

void SettingsDialog::ChooseMusicFile() {
  ProcessState& state = program_.state;
  OpenFileNameRecord record;
  TrapErrors([&] {
    record.lStructSize = platform_.shell.OpenFileNameSize();
    record.hwndOwner = form_->hWnd();
    record.hInstance = platform_.shell.InstanceHandle();
    record.lpstrFilter = kChooserFilter;
    record.lpstrFile = std::string(kChooserBufferSize, '\0');
    record.nMaxFile = kChooserBufferSize;
    record.lpstrFileTitle = std::string(kChooserBufferSize, '\0');
    record.nMaxFileTitle = kChooserBufferSize;
    record.lpstrInitialDir = state.settings.musicFolder;
    record.lpstrTitle = kChooserTitle;
    record.Flags = 0;
    state.lastApiResult = platform_.shell.GetOpenFileNameW(record);
  });
  if (state.lastApiResult <= 0) return;
  TrapErrors([&] { state.settings.musicFile = record.lpstrFile.substr(0, record.lpstrFile.find('\0')); });
  TrapErrors([&] { lblFname_->SetCaption(state.settings.musicFile); });
  TrapErrors([&] { state.settings.musicFolder = FolderOfPath(state.settings.musicFile); });
}

void SettingsDialog::SaveAndClose() {
  SharedSettings& settings = program_.state.settings;
  // The scroll bar's value goes straight to the file: the effect degree in
  // memory stays as loaded. The repeat track is taken from its box now.
  SharedSettings toSave = settings;
  toSave.effectDegree = static_cast<std::int16_t>(hsDoai_->Value());  // within 0 to 1024
  settings.repeatTrack = RepeatTrackFromText(bgmRepeat_->Text());
  toSave.repeatTrack = settings.repeatTrack;
  // The four keys go in with one replacement of the file, or not at all; a
  // path that code page 932 cannot hold whole turns the file into UTF-16LE,
  // and a folder the user may not write sends it to the per-user file.
  const SettingsSaveResult saved = SaveSettings(platform_.files, platform_.process, toSave);
  program_.state.lastApiResult = saved.saved ? 1 : 0;
  if (!saved.saved) {
    // Nothing was written: the dialog stays, so the user can try again or cancel.
    platform_.shell.MessageBoxW(form_->hWnd(), SaveFailedMessage(saved.file), kDialogCaption,
                                kMbOk | kMbIconExclamation);
    return;
  }
  form_->Unload();
}

void SettingsDialog::Cmd_Can_Click() { form_->Unload(); }

void SettingsDialog::OpenHomePage() {
  Windowing& windowing = platform_.windowing;
  TrapErrors([&] { windowing.SetMousePointer(kPointerHourglass); });
  TrapErrors([&] {
    platform_.shell.ShellExecuteW(form_->hWnd(), "open", lblUrl_->Caption(), "", "", kSwShowNormal);
  });
  TrapErrors([&] { windowing.SetMousePointer(kPointerDefault); });
}

}  // namespace tolvarin
