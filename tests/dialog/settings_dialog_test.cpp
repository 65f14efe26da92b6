#include "dialog/settings_dialog.h"

#include <array>
#include <cmath>

#include "base/errors.h"
#include "dialog/dialog_layout.h"
#include "platform/sim/sim_controls.h"
#include "support/dialog_scales.h"
#include "settings/settings.h"
#include "support/sim_fixture.h"

namespace tolvarin::testing {
namespace {

// Key names as code page 932 bytes.
const std::string kDegreeKey = "\x93\x78\x8D\x87\x82\xA2";
const std::string kModeKey = "BGM\x8B\xE6\x95\xAA";
const std::string kRepeatKey = "BGM\xD8\xCB\xDF\xB0\xC4";
const std::string kFileKey = "BGM\xCC\xA7\xB2\xD9";
const std::string kIni = "C:\\Program Files\\Tolvarin\\Tolvarin.ini";

std::string SavedFile(const std::string& degree, const std::string& mode, const std::string& repeat,
                      const std::string& file) {
  return "[Section]\r\n" + kDegreeKey + "=" + degree + "\r\n" + kModeKey + "=" + mode + "\r\n" + kRepeatKey + "=" +
         repeat + "\r\n" + kFileKey + "=" + file + "\r\n";
}

class DialogTest : public SimTest {
 protected:
  // Degree 100, the program's folder, and the given music mode and file.
  static SharedSettings Defaults(MusicMode mode = MusicMode::NoMusic, const std::string& file = "") {
    SharedSettings s;
    s.effectDegree = 100;
    s.musicFolder = "C:\\Program Files\\Tolvarin";
    s.musicMode = mode;
    s.musicFile = file;
    return s;
  }
  // A dialog over `settings`, loaded and shown (without its modal loop).
  SettingsDialog& Open(const SharedSettings& settings = Defaults(), const sim::SimOptions& options = {}) {
    Create(settings, options);
    dialog().Form_Load();
    dialog().form().Show();
    return dialog();
  }
  // The dialog made over `settings`, not yet loaded.
  void Create(const SharedSettings& settings = Defaults(), const sim::SimOptions& options = {}) {
    Make(options);
    program->state.settings = settings;
    program->settingsDialog = std::make_unique<SettingsDialog>(*program);
  }
  SettingsDialog& dialog() { return *program->settingsDialog; }
  sim::SimForm& form() { return static_cast<sim::SimForm&>(dialog().form()); }
  sim::SimComboBox& repeatBox() { return static_cast<sim::SimComboBox&>(dialog().BGM_Repeat()); }
  sim::SimScrollBar& scrollBar() { return static_cast<sim::SimScrollBar&>(dialog().HS_Doai()); }
  // 0 unselected, 1 selected, -1 neither picture.
  int Mark(int element) {
    const Bitmap& shown = dialog().Img_BGM(element).Picture();
    if (shown == dialog().MarkPicture(0)) return 0;
    if (shown == dialog().MarkPicture(1)) return 1;
    return -1;
  }
  // A screen point inside a control of the panel.
  PointL InPanel(std::string_view name, std::int32_t element = -1) {
    const ControlRect r = PixelRect(LayoutOf(name, element), 15, 15);
    const RectL client = form().ScreenRect();
    return PointL{client.left + 12 + r.left + r.width / 2, client.top + 16 + r.top + r.height / 2};
  }
};

// A few worked positions; the on-screen run clicks the marks' labels and the
// buttons where the table puts them. At 12 twips a pixel 990 and 330 twips
// are halves, which go away from zero as everywhere else.
TEST_F(DialogTest, LayoutInPixels) {
  struct Row {
    std::string_view name;
    std::int32_t element;
    double twipsPerPixelX, twipsPerPixelY;
    ControlRect pixels;
  } const rows[] = {
      {"Pic_C", -1, 15, 15, {12, 16, 469, 165}},
      {"Cmd_Set", -1, 15, 15, {324, 200, 77, 25}},
      {"lbl", 14, 12, 15, {195, 56, 83, 13}},
      {"lbl_BGM", 0, 12, 12, {55, 95, 28, 16}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.element));
    EXPECT_EQ(PixelRect(LayoutOf(row.name, row.element), row.twipsPerPixelX, row.twipsPerPixelY), row.pixels);
  }
  EXPECT_THROW(LayoutOf("Img_BGM", 3), ProgramError);
}

// The credit line in the dialog's corner carries the project version, as the
// version block of the program file does ("Ver.1.0.0" for 1.0.0).
TEST_F(DialogTest, CreditLineCarriesTheProjectVersion) {
  Open();
  const std::string expected = "© 2026 Tolvarin  Ver." + std::to_string(TOLVARIN_VERSION_MAJOR) + "." +
                               std::to_string(TOLVARIN_VERSION_MINOR) + "." +
                               std::to_string(TOLVARIN_VERSION_PATCH);
  const ControlRect credit = PixelRect(LayoutOf("lbl", 7), 15, 15);
  const WindowlessLabel* found = nullptr;
  for (const auto& label : dialog().FormControls().Labels()) {
    if (ControlRect{std::int32_t(label->Left()), std::int32_t(label->Top()), std::int32_t(label->Width()),
                    std::int32_t(label->Height())} == credit)
      found = label.get();
  }
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->Caption(), expected);
}

TEST_F(DialogTest, PlacementCentredAndAThirdDown) {
  struct Row {
    double screenW, screenH, windowW, windowH;
    std::int32_t left, top;
  } const rows[] = {
      {15360, 11520, 7545, 4065, 3907, 2485},  // 7815 / 2 = 3907.5, 7455 / 3
      {7546, 4065, 7545, 4065, 0, 0},          // 1 / 2 drops the fraction
      {100.5, 102.5, 0, 0, 50, 34},            // 100.5 -> 100, 102.5 -> 102: halves to even
      {7000, 3000, 7545, 4065, -272, -355},    // a small screen: toward zero
  };
  for (const Row& row : rows) {
    const DialogPlacement p = PlaceDialog(row.screenW, row.screenH, row.windowW, row.windowH);
    EXPECT_EQ(p.left, row.left);
    EXPECT_EQ(p.top, row.top);
  }
}

TEST_F(DialogTest, LoadShowsTheSettings) {
  struct Row {
    const char* what;
    std::int16_t degree, mode, track;
    const char* file;
    std::int32_t scrollValue;
    const char* degreeText;
    int marks[3];
    bool repeatEnabled, fileEnabled;
    const char* repeatText;
  } const rows[] = {
      {"audio CD, track 5", 100, 1, 5, "", 100, "100", {0, 1, 0}, true, false, "5"},
      {"sound file", 40, 2, 0, "C:\\Music\\a.mp3", 40, "40", {0, 0, 1}, false, true, ""},
      {"unknown mode 7", 100, 7, 30, "", 100, "100", {0, 0, 0}, false, false, "30"},
      {"degree beyond the bar", 5000, 0, -4, "", 10, "5000", {1, 0, 0}, false, false, "-4"},
      {"negative degree", -3, 0, 0, "", 10, "-3", {1, 0, 0}, false, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SharedSettings settings = Defaults(MusicMode(row.mode), row.file);
    settings.effectDegree = row.degree;
    settings.repeatTrack = row.track;
    Open(settings);
    EXPECT_EQ(dialog().HS_Doai().Value(), row.scrollValue);
    EXPECT_EQ(dialog().lbl_Doai().Caption(), row.degreeText);
    // (Builds without a JPEG decoder have no marks to tell apart.)
    if (sim::SimPictures::CanDecode()) {
      for (int i = 0; i < 3; ++i) EXPECT_EQ(Mark(i), row.marks[i]) << i;
    }
    EXPECT_EQ(repeatBox().enabled, row.repeatEnabled);
    EXPECT_EQ(dialog().Cmd_File().Enabled(), row.fileEnabled);
    EXPECT_EQ(repeatBox().text, row.repeatText);
    EXPECT_EQ(dialog().lbl_Fname().Caption(), row.file);
    // The list: the empty entry, then 1 to 30, filled once.
    ASSERT_EQ(repeatBox().items.size(), 31u);
    EXPECT_EQ(repeatBox().items[0], "");
    EXPECT_EQ(repeatBox().items[30], "30");
    // The settings themselves are left as they were.
    EXPECT_EQ(program->state.settings.musicMode, MusicMode(row.mode));
  }
}

// FormatHash shows in the loading table's repeat box and its list.
TEST_F(DialogTest, RepeatNumbers) {
  struct Row {
    const char* text;
    std::int16_t track;
  } const rows[] = {{"abc", 0}, {"", 0},    {"-", 0},     {"7", 7},         {"2.5", 2},      {"3.5", 4},
                    {"-1", -1}, {"31", 31}, {" 8 ", 8},   {"1e1", 10},      {"32767.4", 32767},
                    {"32767.5", 0},         {"-32768", -32768}, {"40000", 0}, {"7x", 0}, {"1e999", 0},
                    // Typed with a Japanese input method: full width.
                    {"１２", 12}, {"－３", -3}, {"２．５", 2}, {"３．５", 4}, {"　７　", 7}, {"＋1２", 12},
                    {"１，０００", 0}, {"１２ト", 0}};
  for (const Row& row : rows) EXPECT_EQ(RepeatTrackFromText(row.text), row.track) << row.text;
}

// The gradient as the dialog opens is the on-screen run's (rows 0 and 123);
// here, as a restore redraws it.
TEST_F(DialogTest, GradientRowsAfterARestoreAndTiledPanel) {
  Open();
  PixelView canvas = form().Canvas();
  ASSERT_EQ(form().ScaleWidth(), 496);
  ASSERT_EQ(form().ScaleHeight(), 246);
  for (std::int32_t y = 0; y < canvas.height; ++y) std::fill(canvas.row(y), canvas.row(y) + canvas.width, 0u);
  form().SetWindowState(1);  // no client area: the division by zero is skipped
  EXPECT_EQ(form().Canvas().row(123)[5], 0u);
  form().SetWindowState(0);
  canvas = form().Canvas();
  // c = |sin(y / (246 / 3.142))| x 220, halves to even; all of row y is (c, c, c + 30).
  struct Row {
    std::int32_t y, c;
  } const rows[] = {{1, 3},     {2, 6},    {61, 155}, {124, 220}, {200, 122}, {245, 3},
                    {109, 217}, {137, 216}};  // 216.5002 and 216.4842: 3.142 exactly, not pi
  for (const Row& row : rows) {
    const std::uint32_t c = std::uint32_t(row.c);
    for (std::int32_t x = 0; x < 496; ++x) ASSERT_EQ(canvas.row(row.y)[x], (c << 16) | (c << 8) | (c + 30)) << x;
  }

  // The panel: the tile repeated across and down, clipped.
  const Bitmap& tile = static_cast<sim::SimSurface&>(dialog().Pic_Mbl()).bitmap;
  ASSERT_EQ(tile.width, 556);
  ASSERT_EQ(tile.height, 20);
  const Bitmap& panel = static_cast<sim::SimSurface&>(dialog().Pic_C()).bitmap;
  ASSERT_EQ(panel.width, 469);
  ASSERT_EQ(panel.height, 165);
  for (std::int32_t y = 0; y < panel.height; ++y)
    for (std::int32_t x = 0; x < panel.width; ++x) ASSERT_EQ(panel.at(x, y), tile.at(x, y % 20)) << x << "," << y;
}

TEST_F(DialogTest, MusicModeFollowsAnyButtonOnMarksAndLabels) {
  struct Row {
    const char* control;
    std::int32_t element, button, mode;
    bool repeatEnabled, fileEnabled;
  } const rows[] = {
      {"lbl_BGM", 0, kRightButton, 0, false, false}, {"Img_BGM", 1, kLeftButton, 1, true, false},
      {"lbl_BGM", 2, kMiddleButton, 2, false, true}, {"Img_BGM", 0, kLeftButton, 0, false, false},
      {"lbl_BGM", 1, kRightButton, 1, true, false},  {"Img_BGM", 2, kRightButton, 2, false, true},
  };
  Open(Defaults(MusicMode::SoundFile, "C:\\Music\\a.mp3"));
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.control) + " " + std::to_string(row.element));
    const PointL at = InPanel(row.control, row.element);
    sim->windowing.PostButtonClick(at.x, at.y, row.button);
    sim->windowing.DoEvents();
    EXPECT_EQ(program->state.settings.musicMode, MusicMode(row.mode));
    if (sim::SimPictures::CanDecode()) {
      for (int i = 0; i < 3; ++i) EXPECT_EQ(Mark(i), i == row.mode ? 1 : 0);
    }
    EXPECT_EQ(repeatBox().enabled, row.repeatEnabled);
    EXPECT_EQ(dialog().Cmd_File().Enabled(), row.fileEnabled);
    EXPECT_EQ(dialog().lbl_Fname().Caption(), "C:\\Music\\a.mp3");
  }
}

TEST_F(DialogTest, DegreeNumberFollowsTheScrollBar) {
  Open();
  scrollBar().ClickArrow(+1);  // the page step is the on-screen run's
  EXPECT_EQ(dialog().lbl_Doai().Caption(), "101");
  std::vector<std::string> seen;
  dialog().HS_Doai().onScroll = [&] {
    dialog().HS_Doai_Change();
    seen.push_back(dialog().lbl_Doai().Caption());
  };
  scrollBar().DragThumb({300, 700, 2000});
  EXPECT_EQ(seen, (std::vector<std::string>{"300", "700", "1024"}));
  scrollBar().DragThumb({0});
  scrollBar().ClickArrow(-1);  // the lower bound holds
  EXPECT_EQ(dialog().lbl_Doai().Caption(), "0");
  EXPECT_EQ(program->state.settings.effectDegree, 100);  // only the file gets the new value
}

// What the dialog saves: the scroll bar's value (the degree in memory stays),
// the mode in memory, the repeat box read as a number, the file as held. How
// the file is replaced is the settings tests' part.
TEST_F(DialogTest, SaveWritesTheFourKeysFromTheControlsAndCloses) {
  struct Row {
    const char* what;
    MusicMode mode;
    const char* repeatText;
    std::int16_t track;
    std::int32_t scrollTo;
    std::string expected;
  } const rows[] = {
      {"negative track, no blank", MusicMode::NoMusic, "-1", -1, 0, SavedFile(" 0", " 0", "-1", "C:\\a.mp3")},
      {"not a number", MusicMode::SoundFile, "abc", 0, 1024, SavedFile(" 1024", " 2", " 0", "C:\\a.mp3")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Open(Defaults(row.mode, "C:\\a.mp3"));
    scrollBar().SetValue(row.scrollTo);
    repeatBox().text = row.repeatText;
    dialog().SaveAndClose();
    EXPECT_EQ(sim->files.FileBytes(kIni), row.expected);
    EXPECT_TRUE(form().Destroyed());
    EXPECT_EQ(sim->shell.messages.size(), 0u);
    EXPECT_EQ(program->state.settings.repeatTrack, row.track);
    EXPECT_EQ(program->state.settings.effectDegree, 100);
  }
}

TEST_F(DialogTest, FailedSaveKeepsTheFileAndTheDialog) {
  // Which faults make a write fail, and when the per-user file takes the
  // save, is the settings tests' part.
  Open();
  const std::string before = "[Section]\r\n" + kModeKey + "=1\r\n";
  sim->files.AddFile(kIni, before);
  sim->files.SetWriteFault("C:\\Program Files\\Tolvarin", sim::WriteFault::AccessDenied);
  ASSERT_EQ(sim->files.SetFileAttributesW(kIni, kFileAttributeReadOnly), 0u);
  dialog().SaveAndClose();
  EXPECT_FALSE(form().Destroyed());
  ASSERT_EQ(sim->shell.messages.size(), 1u);
  EXPECT_EQ(sim->shell.messages[0].text,
            "設定ファイル「C:\\Program Files\\Tolvarin\\Tolvarin.ini」に保存できませんでした。\n"
            "ファイルやフォルダーが書き込み禁止になっていないか確かめてください。"
            "設定を変えずに閉じるときは「ｷｬﾝｾﾙ」を押してください。");
  EXPECT_EQ(sim->shell.messages[0].caption, "<Tolvarin>");
  EXPECT_EQ(sim->shell.messages[0].owner, form().hWnd());
  // The user can still leave without saving.
  dialog().Cmd_Can_Click();
  EXPECT_TRUE(form().Destroyed());
  EXPECT_EQ(sim->files.FileBytes(kIni), before);
  EXPECT_FALSE(sim->files.IsFolder("C:\\Users\\User\\AppData\\Roaming\\Tolvarin"));
}

// The cancel button is the on-screen run's.
TEST_F(DialogTest, EscapeAndTitleBarLeaveTheFileUntouched) {
  enum Way { Escape, TitleBar, EscapeWithTheListOpen };
  for (Way way : {Escape, TitleBar, EscapeWithTheListOpen}) {
    SCOPED_TRACE(way);
    Open(Defaults(MusicMode::AudioCd));
    sim->files.AddFile(kIni, "[Section]\n");
    sim->files.ClearOperations();
    if (way == EscapeWithTheListOpen) {
      // The first Escape closes only the list; the second cancels.
      repeatBox().DropDown();
      sim->windowing.PostKey(27);
      sim->windowing.DoEvents();
      EXPECT_FALSE(form().Destroyed());
      EXPECT_FALSE(repeatBox().dropped);
    }
    if (way == TitleBar) sim->windowing.PostClose(form().hWnd());
    else sim->windowing.PostKey(27);
    sim->windowing.DoEvents();
    EXPECT_TRUE(form().Destroyed());
    EXPECT_TRUE(sim->files.Operations().empty());
    EXPECT_EQ(sim->files.FileBytes(kIni), "[Section]\n");
    EXPECT_EQ(sim->desktop.animations.size(), 2u);  // opened and closed
  }
}

TEST_F(DialogTest, FileChooserRecordAndAnswers) {
  SharedSettings settings = Defaults(MusicMode::SoundFile, "D:\\Old\\x.mp3");
  settings.musicFolder = "D:\\Old";
  Open(settings);
  using Kind = sim::SimShell::ChooserAnswer::Kind;
  const std::string path = "E:\\Música\\Café ♪.wav";  // missing, and beyond code page 932
  sim->shell.chooserAnswers = {{Kind::Cancel, ""}, {Kind::Fail, ""}, {Kind::Confirm, path}};
  for (int i = 0; i < 2; ++i) {
    dialog().ChooseMusicFile();
    EXPECT_EQ(program->state.settings.musicFile, "D:\\Old\\x.mp3");
    EXPECT_EQ(program->state.settings.musicFolder, "D:\\Old");
  }
  dialog().ChooseMusicFile();
  EXPECT_EQ(program->state.settings.musicFile, path);
  EXPECT_EQ(dialog().lbl_Fname().Caption(), path);
  EXPECT_EQ(program->state.settings.musicFolder, "E:\\Música");
  const OpenFileNameRecord& record = sim->shell.chooserCalls.at(0);
  EXPECT_EQ(record.hwndOwner, form().hWnd());
  EXPECT_EQ(record.hInstance, sim->shell.InstanceHandle());
  static const char kFilter[] = "BGMﾌｧｲﾙ (MP3 WAV)\0*.MP3;*.WAV\0";
  EXPECT_EQ(record.lpstrFilter, std::string(kFilter, sizeof kFilter));
  EXPECT_EQ(record.lpstrFile, std::string(255, '\0'));
  EXPECT_EQ(record.nMaxFile, 255u);
  EXPECT_EQ(record.nMaxFileTitle, 255u);
  EXPECT_EQ(record.lpstrInitialDir, "D:\\Old");
  EXPECT_EQ(record.Flags, 0u);
}

TEST_F(DialogTest, AnimationOpensFromAndClosesIntoTheLoadTimePoint) {
  for (bool cursorKnown : {true, false}) {
    Create();
    sim->desktop.cursor = PointL{300, 200};
    sim->desktop.cursorPosAvailable = cursorKnown;
    sim->windowing.SetMousePointer(kPointerHourglass);
    dialog().Form_Load();
    EXPECT_EQ(sim->windowing.MousePointer(), kPointerDefault) << "the load ends with the plain pointer";
    sim->desktop.cursor = PointL{5, 7};
    dialog().form().Show();
    dialog().Cmd_Can_Click();
    const RectL point = cursorKnown ? RectL{300, 200, 300, 200} : RectL{0, 0, 0, 0};
    ASSERT_EQ(sim->desktop.animations.size(), 2u);
    const auto& open = sim->desktop.animations[0];
    const auto& close = sim->desktop.animations[1];
    const RectL window = form().OuterRect();
    const auto edges = [](const RectL& r) { return std::array{r.left, r.top, r.right, r.bottom}; };
    for (const auto& [a, b] : {std::pair{open.from, point}, {open.to, window}, {close.from, window}, {close.to, point}})
      EXPECT_EQ(edges(a), edges(b));
    EXPECT_EQ(open.kind, 3);
    EXPECT_EQ(open.window, form().hWnd());
  }
}

TEST_F(DialogTest, HomePageShowsTheHourglassWhileTheShellWorks) {
  Open();
  const PointL link = [&] {
    const RectL client = form().ScreenRect();
    return PointL{client.left + 20, client.top + 214};
  }();
  EXPECT_EQ(sim->windowing.PointerAt(link.x, link.y), "LINK");
  EXPECT_EQ(sim->windowing.PointerAt(link.x, link.y - 30), "");
  sim->windowing.PostButtonClick(link.x, link.y, kLeftButton);
  sim->windowing.DoEvents();
  ASSERT_EQ(sim->shell.shellCalls.size(), 1u);
  const auto& call = sim->shell.shellCalls[0];
  EXPECT_EQ(call.pointerDuringCall, kPointerHourglass);
  EXPECT_EQ(call.operation, "open");
  EXPECT_EQ(call.file, kHomePageAddress);
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.folder, "");
  EXPECT_EQ(call.show, 1);
  EXPECT_EQ(sim->windowing.MousePointer(), kPointerDefault);
  EXPECT_FALSE(form().Destroyed());
}

TEST_F(DialogTest, TabMovesTheFocusInTabIndexOrder) {
  Open(Defaults(MusicMode::AudioCd));  // repeat box on, file button off
  auto focused = [&]() -> std::string {
    if (repeatBox().HasFocus()) return "BGM_Repeat";
    if (scrollBar().HasFocus()) return "HS_Doai";
    if (sim->windowing.Focused() == &static_cast<sim::SimUserControl&>(dialog().Cmd_Set().surface())) return "Cmd_Set";
    if (sim->windowing.Focused() == &static_cast<sim::SimUserControl&>(dialog().Cmd_Can().surface())) return "Cmd_Can";
    if (sim->windowing.Focused() == &static_cast<sim::SimUserControl&>(dialog().Cmd_File().surface())) return "Cmd_File";
    return "";
  };
  std::vector<std::string> forward, backward;
  for (int i = 0; i < 5; ++i) {
    sim->windowing.PostKey(9);
    sim->windowing.DoEvents();
    forward.push_back(focused());
  }
  EXPECT_EQ(forward, (std::vector<std::string>{"BGM_Repeat", "Cmd_Set", "Cmd_Can", "HS_Doai", "BGM_Repeat"}));
  // In the repeat box Enter does nothing, and neither it nor Tab reaches the
  // edit field; other keys do, and Enter still picks from the open list.
  sim->windowing.PostKey(13);
  sim->windowing.PostKey('7');
  sim->windowing.DoEvents();
  repeatBox().DropDown();
  sim->windowing.PostKey(13);
  sim->windowing.DoEvents();
  EXPECT_FALSE(repeatBox().dropped);
  EXPECT_EQ(focused(), "BGM_Repeat");
  EXPECT_FALSE(form().Destroyed());
  EXPECT_EQ(sim->windowing.keysToFocus, std::vector<std::int32_t>{'7'});
  dialog().SelectMusicMode(2);  // now the other way round
  for (int i = 0; i < 4; ++i) {
    sim->windowing.PostKeyWithShift(9, kShiftMask);
    sim->windowing.DoEvents();
    backward.push_back(focused());
  }
  EXPECT_EQ(backward, (std::vector<std::string>{"HS_Doai", "Cmd_Can", "Cmd_Set", "Cmd_File"}));
  EXPECT_EQ(sim->windowing.keysToFocus, std::vector<std::int32_t>{'7'});
}

// A press that did not begin on a button is no click on it, wherever it ends.
TEST_F(DialogTest, ADragEndingOverAButtonIsNoClick) {
  struct Row {
    const char* what;
    PointL from, to;  // client pixels
  } const rows[] = {
      {"gradient to 設定", {250, 235}, {362, 212}},
      {"gradient to ｷｬﾝｾﾙ", {3, 3}, {442, 212}},
      {"panel to ...", {12 + 300, 16 + 150}, {12 + 48, 16 + 126}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Open(Defaults(MusicMode::SoundFile));  // the file button on
    const RectL client = form().ScreenRect();
    for (std::int16_t button : {kLeftButton, kRightButton}) {
      sim->windowing.PostMouseDown(client.left + row.from.x, client.top + row.from.y, button);
      sim->windowing.PostMouseMove(client.left + row.to.x, client.top + row.to.y);
      sim->windowing.PostMouseUp(client.left + row.to.x, client.top + row.to.y, button);
      sim->windowing.DoEvents();
    }
    EXPECT_FALSE(form().Destroyed());
    EXPECT_FALSE(sim->files.FileBytes(kIni));
    EXPECT_TRUE(sim->shell.chooserCalls.empty());
    // The pointer is free again: a click of its own still works.
    sim->windowing.PostMouseMove(client.left + 442, client.top + 212);
    sim->windowing.PostMouseDown(client.left + 442, client.top + 212, kLeftButton);
    sim->windowing.PostMouseUp(client.left + 442, client.top + 212, kLeftButton);
    sim->windowing.DoEvents();
    EXPECT_TRUE(form().Destroyed());
  }
}

TEST_F(DialogTest, ButtonWindowsCarryTheirCaptionsAndComIsOnForTheShell) {
  Create();
  for (auto [button, caption] : {std::pair{&dialog().Cmd_Set(), "設定"}, {&dialog().Cmd_Can(), "ｷｬﾝｾﾙ"},
                                 {&dialog().Cmd_File(), "..."}})
    EXPECT_EQ(sim->desktop.Find(button->hWnd())->title, caption);
  // The home page through the modal loop, then Escape.
  const DialogPlacement place = PlaceDialog(sim->windowing.ScreenWidth(), sim->windowing.ScreenHeight(),
                                            form().Width(), form().Height());
  const PointL link{std::int32_t(std::lround(place.left / 15.0)) + sim::SimForm::kFrameSide + 20,
                    std::int32_t(std::lround(place.top / 15.0)) + sim::SimForm::kFrameTop + 214};
  sim->windowing.PostButtonClick(link.x, link.y, kLeftButton);
  sim->windowing.PostKey(27);
  dialog().ShowModal();
  ASSERT_EQ(sim->shell.shellCalls.size(), 1u);
  EXPECT_EQ(sim->shell.shellCalls[0].apartmentDuringCall, kCoinitApartmentThreaded | kCoinitDisableOle1Dde);
  EXPECT_EQ(sim->shell.apartments, 0);  // balanced
}

// At every scale the dialog is laid out by the one rounding of twips, its
// buttons on the pixels of the table the Windows backend meets too, and
// everything still fits; the system stretches the window on a monitor of
// another scale.
TEST_F(DialogTest, LayoutAtEveryScaleFitsAndLandsOnTheSharedPixels) {
  for (const DialogScale& scale : kDialogScales) {
    const double tpp = scale.twipsPerPixel;
    SCOPED_TRACE(std::to_string(tpp) + " twips a pixel");
    sim::SimOptions options;
    options.twipsPerPixel = tpp;
    Open(Defaults(), options);
    EXPECT_TRUE(form().design.scaledBySystem);
    const std::int32_t width = std::int32_t(form().ScaleWidth()), height = std::int32_t(form().ScaleHeight());
    EXPECT_EQ(width, scale.clientWidth);
    EXPECT_EQ(height, scale.clientHeight);
    const RectL client = form().ScreenRect();
    auto placed = [&](Command& button) {
      const RectL r = static_cast<sim::SimUserControl&>(button.surface()).ScreenRect();
      return ControlRect{r.left - client.left, r.top - client.top, r.right - r.left, r.bottom - r.top};
    };
    EXPECT_EQ(placed(dialog().Cmd_Set()), scale.cmdSet);
    EXPECT_EQ(placed(dialog().Cmd_File()), scale.cmdFile);
    EXPECT_EQ(PixelRect(LayoutOf("lbl", 14), tpp, tpp), scale.lbl14);
    const ControlRect panel = PixelRect(LayoutOf("Pic_C"), tpp, tpp);
    for (const ControlLayout& layout : DialogLayout()) {
      if (layout.name == "Pic_Mbl" || layout.name == "Img_Ra") continue;  // kept out of sight by design
      SCOPED_TRACE(std::string(layout.name) + " " + std::to_string(layout.element));
      const ControlRect r = PixelRect(layout, tpp, tpp);
      const std::int32_t w = layout.inPanel ? panel.width : width, h = layout.inPanel ? panel.height : height;
      EXPECT_GE(r.left, 0);
      EXPECT_GE(r.top, 0);
      EXPECT_LE(r.left + r.width, w);
      EXPECT_LE(r.top + r.height, h);
    }
    for (Command* button : {&dialog().Cmd_Set(), &dialog().Cmd_Can(), &dialog().Cmd_File()}) {
      const ControlRect r = placed(*button);
      EXPECT_LE(r.left + r.width, width);
      EXPECT_LE(r.top + r.height, height);
    }
    // The tiles still meet: the holder takes the tile's own size.
    const Bitmap& panelImage = static_cast<sim::SimSurface&>(dialog().Pic_C()).bitmap;
    const Bitmap& tile = static_cast<sim::SimSurface&>(dialog().Pic_Mbl()).bitmap;
    EXPECT_EQ(panelImage.at(4, 25), tile.at(4, 5));
    if (panelImage.width > 560) {
      EXPECT_EQ(panelImage.at(560, 25), tile.at(4, 5));
    }
    // A window moved to 150 twips.
    form().Move(150, 150);
    EXPECT_EQ(form().OuterRect().left, scale.at150);
    EXPECT_EQ(form().OuterRect().top, scale.at150);
  }
}

TEST_F(DialogTest, PicturesHaveTheirSizesAndTheTileMeetsItself) {
  auto bytesOf = [](const char* name) -> std::span<const unsigned char> {
    for (const sim::EmbeddedPicture& p : sim::EmbeddedPictures())
      if (std::string_view(p.name) == name) return {p.bytes, p.size};
    return {};
  };
  const auto icon = bytesOf("TOLVARIN_P");
  ASSERT_EQ(icon.size(), 2238u);
  EXPECT_EQ(icon[2], 1);                 // an icon
  EXPECT_EQ(icon[6], 32);                // 32 x 32
  EXPECT_EQ(icon[12], 8);                // 256 colours
  const auto pointer = bytesOf("LINK");
  ASSERT_EQ(pointer.size(), 326u);
  EXPECT_EQ(pointer[2], 2);              // a cursor
  EXPECT_EQ(pointer[8], 2);              // two colours
  EXPECT_EQ(pointer[10] | pointer[11] << 8, 12);  // hot spot
  EXPECT_EQ(pointer[12] | pointer[13] << 8, 10);
  for (const char* mark : {"MARK_OFF", "MARK_ON"}) {
    const std::size_t size = bytesOf(mark).size();
    EXPECT_GT(size, 0u) << mark << " is missing";
    EXPECT_LT(size, 1200u) << mark;
  }

  Make();
  const auto tile = sim->pictures.LoadPictureResource("TILE");
  ASSERT_TRUE(tile);
  // Where tiles meet, neighbouring pixels differ no more than inside the tile.
  auto step = [&](std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
    const std::uint32_t a = tile->at(x0, y0), b = tile->at(x1, y1);
    int most = 0;
    for (int shift : {0, 8, 16}) most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
  };
  int inside = 0, seams = 0;
  for (std::int32_t x = 0; x < 556; ++x)
    for (std::int32_t y = 0; y + 1 < 20; ++y) inside = std::max(inside, step(x, y, x, y + 1));
  for (std::int32_t x = 0; x < 556; ++x) seams = std::max(seams, step(x, 19, x, 0));
  for (std::int32_t y = 0; y < 20; ++y) seams = std::max(seams, step(555, y, 0, y));
  EXPECT_LE(seams, inside);
  // Light enough for black text: every pixel at least 200 in each channel.
  for (std::uint32_t p : tile->pixels) ASSERT_GE(std::min({p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF}), 200u);
  if (sim::SimPictures::CanDecode()) {
    const auto mark = sim->pictures.LoadPictureResource("MARK_ON");
    ASSERT_TRUE(mark);
    EXPECT_EQ(mark->width, 12);
    EXPECT_EQ(mark->height, 12);
  }
}

}  // namespace
}  // namespace tolvarin::testing
