#pragma once
// Tolvarin_P, the settings dialog: shows the settings, lets the user change
// them and saves them when asked.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/raster.h"
#include "controls/command.h"
#include "platform/platform.h"
#include "state/program.h"

namespace tolvarin {

// The repeat box's text as a track number: the text (full-width digits, signs,
// point and blanks read as ASCII) read as a number and rounded (halves to
// even); text that is no number, or a number outside the 16-bit range, gives
// 0 (the whole disc).
std::int16_t RepeatTrackFromText(const std::string& text);
// The number pattern "##": no leading zeros, "-" for negatives, empty for 0.
std::string FormatHash(std::int32_t value);
// The settings file could not be saved: the message the dialog shows.
std::string SaveFailedMessage(const std::string& settingsFile);

// The opening and closing title-bar animation between the animation point
// and the window's rectangle.
void AnimateOpen(Program& program, Hwnd window);
void AnimateClose(Program& program, Hwnd window);

class SettingsDialog {
 public:
  explicit SettingsDialog(Program& program);
  ~SettingsDialog();
  SettingsDialog(const SettingsDialog&) = delete;
  SettingsDialog& operator=(const SettingsDialog&) = delete;

  // Loads the dialog, shows it modally and returns once it has been unloaded.
  void ShowModal();

  // The load sequence; ShowModal runs it first.
  void Form_Load();
  void Form_Resize();
  void Form_Unload();
  // Escape cancels, Tab moves the focus, Enter does nothing; each of them is
  // kept from the control with the focus (keyCode becomes 0).
  void Form_KeyDown(std::int32_t& keyCode, std::int32_t shift);

  void InitButtons();
  void TilePicture(PictureSurface& target);
  void SelectMusicMode(std::int32_t mode);
  void ChooseMusicFile();
  void SaveAndClose();
  void OpenHomePage();
  void HS_Doai_Change();
  void Cmd_Can_Click();

  Form& form() { return *form_; }
  PictureSurface& Pic_C() { return *picC_; }
  PictureSurface& Pic_Mbl() { return *picMbl_; }
  ScrollBarControl& HS_Doai() { return *hsDoai_; }
  ComboBoxControl& BGM_Repeat() { return *bgmRepeat_; }
  WindowlessLabel& lbl_Doai() { return *lblDoai_; }
  WindowlessLabel& lbl_Fname() { return *lblFname_; }
  WindowlessLabel& lbl_URL() { return *lblUrl_; }
  WindowlessLabel& lbl_BGM(std::int32_t i) { return *lblBgm_.at(std::size_t(i)); }
  WindowlessImage& Img_BGM(std::int32_t i) { return *imgBgm_.at(std::size_t(i)); }
  WindowlessImage& Img_Ra(std::int32_t i) { return *imgRa_.at(std::size_t(i)); }
  // The labels and images on the form and on the panel.
  WindowlessControls& FormControls() { return *formControls_; }
  WindowlessControls& PanelControls() { return *panelControls_; }
  // The pictures the marks were given, for reading back which one shows.
  const Bitmap& MarkPicture(std::int32_t i) const { return marks_.at(std::size_t(i)); }
  Command& Cmd_Set() { return *cmdSet_; }
  Command& Cmd_Can() { return *cmdCan_; }
  Command& Cmd_File() { return *cmdFile_; }

 private:
  void CreateControls();
  void SetFileButtonEnabled(bool enabled);
  // The controls that take the focus with Tab, in tab-index order.
  std::vector<Focusable*> TabOrder();

  Program& program_;
  Platform& platform_;
  std::unique_ptr<Form> form_;
  PictureSurface* picC_ = nullptr;
  PictureSurface* picMbl_ = nullptr;
  ScrollBarControl* hsDoai_ = nullptr;
  ComboBoxControl* bgmRepeat_ = nullptr;
  std::unique_ptr<WindowlessControls> formControls_;
  std::unique_ptr<WindowlessControls> panelControls_;
  WindowlessLabel* lblDoai_ = nullptr;
  WindowlessLabel* lblFname_ = nullptr;
  WindowlessLabel* lblUrl_ = nullptr;
  std::array<WindowlessLabel*, 3> lblBgm_{};
  std::array<WindowlessImage*, 3> imgBgm_{};
  std::array<WindowlessImage*, 2> imgRa_{};
  std::array<Bitmap, 2> marks_;
  std::unique_ptr<Command> cmdSet_;
  std::unique_ptr<Command> cmdCan_;
  std::unique_ptr<Command> cmdFile_;
  // The buttons as the Tab key sees them.
  std::vector<std::unique_ptr<Focusable>> buttonFocus_;
};

}  // namespace tolvarin
