#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "base/errors.h"
#include "controls/windowless.h"
#include "dialog/settings_dialog.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_picture_surface.h"
#include "platform/win32/win32_user32.h"
#include "platform/win32/win32_windowing.h"
#include "support/error_of.h"
#include "support/sim_fixture.h"

#include <mmsystem.h>

namespace tolvarin {
namespace {

using testing::PatternPicture;

constexpr std::uint32_t kBack = 0x00102030;  // the test forms' back colour as a pixel

// What a window's device context shows, read back through GDI.
Bitmap ReadWindow(HWND window, int width, int height) {
  Bitmap image(width, height);
  HDC dc = GetDC(window);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.at(x, y) = PixelFromColor(GetPixel(dc, x, y));
  ReleaseDC(window, dc);
  return image;
}

// A width x height picture of the back colour with `inner` at (x, y), clipped.
Bitmap Framed(const Bitmap& inner, int x, int y, int width, int height, std::uint32_t back = kBack) {
  Bitmap framed(width, height, back);
  CopyBlock(ViewOf(framed), x, y, inner.width, inner.height, ViewOf(const_cast<Bitmap&>(inner)), 0, 0);
  return framed;
}

HWND WindowOf(PictureSurface& surface) { return dynamic_cast<Win32PictureSurface&>(surface).window(); }

struct UnloadLog {
  std::vector<std::string> events;
  bool cancel = false;
  explicit UnloadLog(Form& form) {
    form.onQueryUnload = [this](std::int32_t& c, UnloadMode mode) {
      events.push_back("query " + std::to_string(int(mode)));
      if (cancel) c = -1;
    };
    form.onUnload = [this] { events.push_back("unload"); };
  }
};
using Events = std::vector<std::string>;

class Win32WindowingTest : public ::testing::Test {
 protected:
  void SetUp() override { DrainQuit(); }
  void TearDown() override { DrainQuit(); }

  static bool PeekQuit(UINT flags) {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, flags) != 0;
  }
  static void DrainQuit() { while (PeekQuit(PM_REMOVE)) continue; }
  static bool QuitPending() { return PeekQuit(PM_NOREMOVE); }

  // Pumps until `done` holds; the time limit only keeps a broken test from hanging.
  template <class Done>
  bool PumpUntil(Done done, DWORD limitMilliseconds = 5000) {
    const DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > limitMilliseconds) return false;
      windowing.DoEvents();
      Sleep(1);
    }
    return true;
  }
  void PumpFor(DWORD milliseconds) { PumpUntil([] { return false; }, milliseconds); }

  std::unique_ptr<Form> NewForm(const std::string& caption = "Tolvarin_Test", bool borderless = true,
                                bool keyPreview = true) {
    return windowing.CreateForm(FormDesign{caption, borderless, 0x00302010, keyPreview});
  }
  PictureSurface& NewSurface(Form& form, int width, int height) {
    PictureSurface& surface = form.AddPictureSurface(true);
    surface.SetSize(width, height);
    return surface;
  }
  // Pixels as twips.
  double X(double pixels) { return pixels * windowing.TwipsPerPixelX(); }
  double Y(double pixels) { return pixels * windowing.TwipsPerPixelY(); }

  Win32Windowing windowing;
  Win32User32 user32;
};

// Placing a form in twips, exact to the pixel, is checked on screen by
// tests/e2e/run_e2e.sh (full screen) and monitors_e2e.sh (a negative origin);
// a bordered form's client height by the gradient in tests/e2e/dialog_e2e.sh.
TEST_F(Win32WindowingTest, FormSizesRoundToPixelsAndABorderTakesFromTheClientArea) {
  auto form = NewForm();
  auto bordered = NewForm("<Tolvarin_Test>", false);
  bordered->Move(0, 0, X(400), Y(300));
  EXPECT_LT(bordered->ScaleWidth(), 400);

  // Part pixels round half away from zero, as on every backend; bad sizes
  // raise and change nothing.
  form->SetWidth(X(10.5));
  EXPECT_EQ(form->ScaleWidth(), 11);
  form->SetWidth(X(11.5));
  EXPECT_EQ(form->ScaleWidth(), 12);
  EXPECT_EQ(ErrorOf([&] { form->SetWidth(X(-1)); }), 380);
  EXPECT_EQ(ErrorOf([&] { form->SetHeight(1e300); }), kErrorOverflow);
  EXPECT_EQ(form->ScaleWidth(), 12);
  EXPECT_EQ(ErrorOf([&] { form->SetWindowState(3); }), 380);
}

TEST_F(Win32WindowingTest, FormIsCreatedHiddenAndOutOfTheTaskbar) {
  auto form = NewForm();
  const HWND window = ToHwnd(form->hWnd());
  ASSERT_TRUE(IsWindow(window));
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

TEST_F(Win32WindowingTest, PictureAndResizeKeepWhatFitsOnTheBackColour) {
  auto form = NewForm();
  PictureSurface& surface = NewSurface(*form, 37, 23);
  const Bitmap picture = PatternPicture(37, 23);
  surface.SetPicture(picture);
  EXPECT_EQ(surface.Image(), picture);
  const Hdc dc = surface.hDC();
  surface.SetSize(40, 8);
  EXPECT_EQ(surface.hDC(), dc);
  EXPECT_EQ(surface.Image(), Framed(picture, 0, 0, 40, 8));

  // A picture wider than the surface and not as high.
  form->SetBackColor(0x00123456);
  surface.SetSize(20, 10);
  surface.SetPicture(PatternPicture(30, 4));
  EXPECT_EQ(surface.Image(), Framed(PatternPicture(30, 4), 0, 0, 20, 10, 0x00563412));
  form->SetBackColor(0x80000005);  // a system colour: the window colour
  const std::uint32_t window = PixelFromColor(GetSysColor(COLOR_WINDOW));
  surface.SetPicture(Bitmap());
  EXPECT_EQ(surface.Image(), Bitmap(20, 10, window));

  surface.SetSize(0, 0);
  EXPECT_TRUE(surface.Image().empty());
  surface.SetSize(3, 3);
  EXPECT_EQ(surface.Image(), Bitmap(3, 3, window));
  EXPECT_EQ(ErrorOf([&] { surface.SetSize(-1, 3); }), 380);
  EXPECT_EQ(surface.Width(), 3);
}

// Labels are drawn by GDI over the retained picture: text in the label's
// colour where there is text, greyed text in other colours, a sunken border
// around a bordered one; a click is a left press and release over the label,
// run after the pointer is let go, and a label on a control's surface takes the
// pointer before the surface.
TEST_F(Win32WindowingTest, LabelsAreDrawnByGdiAndTakeTheirPressesAndClicks) {
  auto form = NewForm();
  form->Move(0, 0, X(200), Y(60));
  WindowlessControls controls(*form, ScaleUnit::Pixels, windowing.TwipsPerPixelX(), windowing.TwipsPerPixelY());
  LabelDesign design;
  design.caption = "WWWW";
  design.font.name = "Tahoma";
  design.font.size = 12;
  design.foreColor = 0x000000FF;  // red
  design.rect = ControlRect{0, 0, 60, 30};
  WindowlessLabel& red = controls.AddLabel(design);
  design.rect = ControlRect{70, 0, 60, 30};
  WindowlessLabel& grey = controls.AddLabel(design);
  grey.SetEnabled(false);
  design.caption = "";
  design.border = true;
  design.rect = ControlRect{140, 0, 40, 30};
  controls.AddLabel(design);
  int clicks = 0;
  HWND captureAtClick = HWND(1);
  red.onClick = [&] {
    ++clicks;
    captureAtClick = GetCapture();
  };
  form->Show();
  PumpFor(50);
  const Bitmap shown = ReadWindow(ToHwnd(form->hWnd()), 200, 60);
  const auto count = [&](int left, int right, std::uint32_t pixel) {
    int n = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = left; x < right; ++x) n += shown.at(x, y) == pixel;
    return n;
  };
  EXPECT_GT(count(0, 60, 0xFF0000u), 10) << "red text";
  EXPECT_EQ(count(70, 130, 0xFF0000u), 0) << "greyed, not red";
  EXPECT_LT(count(70, 130, kBack), 60 * 30) << "greyed text drawn";
  EXPECT_EQ(shown.at(140, 0), PixelFromColor(GetSysColor(COLOR_BTNSHADOW))) << "sunken border";
  EXPECT_EQ(shown.at(179, 29), PixelFromColor(GetSysColor(COLOR_BTNHIGHLIGHT)));
  EXPECT_EQ(shown.at(100, 50), kBack);

  const HWND window = ToHwnd(form->hWnd());
  for (const auto& [message, keys, x] : {std::tuple{WM_LBUTTONDOWN, MK_LBUTTON, 10}, {WM_LBUTTONUP, 0, 20},
                                         {WM_LBUTTONDOWN, MK_LBUTTON, 10}, {WM_LBUTTONUP, 0, 65},
                                         {WM_RBUTTONDOWN, MK_RBUTTON, 10}, {WM_RBUTTONUP, 0, 10}})
    SendMessageW(window, UINT(message), WPARAM(keys), MAKELPARAM(x, 5));
  EXPECT_EQ(clicks, 1) << "released outside, and a right press, are no clicks";
  EXPECT_EQ(captureAtClick, nullptr) << "the pointer is let go before the click, which may open windows";

  // On a control's surface, a press on the label keeps the pointer with it,
  // in twips relative to the label; the surface hears nothing.
  UserControlSurface& surface = form->AddUserControl("Tolvarin.TestControl");
  surface.Move(0, Y(40), X(100), Y(20));
  WindowlessControls caption(surface, ScaleUnit::Twips, windowing.TwipsPerPixelX(), windowing.TwipsPerPixelY());
  WindowlessLabel& label = caption.AddLabel();
  label.SetLeft(X(10));
  label.SetWidth(X(20));
  label.SetHeight(Y(20));
  std::vector<std::string> heard;
  label.onMouseDown = [&](std::int16_t b, std::int16_t, float x, float) {
    heard.push_back("label down " + std::to_string(b) + " " + std::to_string(int(std::lround(x / X(1)))));
  };
  label.onMouseUp = [&](std::int16_t, std::int16_t, float x, float) {
    heard.push_back("label up " + std::to_string(int(std::lround(x / X(1)))));
  };
  caption.onMouseDown = [&](std::int16_t, std::int16_t, float, float) { heard.push_back("surface down"); };
  caption.onMouseUp = [&](std::int16_t, std::int16_t, float, float) { heard.push_back("surface up"); };
  const HWND control = ToHwnd(surface.hWnd());
  SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 5));
  EXPECT_EQ(GetCapture(), control);
  SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(50, 5));
  EXPECT_EQ(GetCapture(), nullptr);
  label.SetEnabled(false);  // lets the pointer through
  SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 5));
  SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(15, 5));
  EXPECT_EQ(heard, (std::vector<std::string>{"label down 1 5", "label up 40", "surface down", "surface up"}));
}

// Ticking inside DoEvents, starting and stopping, and a timer made switched
// off staying quiet are what the saver's music polls rest on: checked through
// the commands they send in tests/e2e/run_e2e.sh.
TEST_F(Win32WindowingTest, ATimerWithoutAnIntervalNeverTicksAndANegativeOneIsRefused) {
  auto form = NewForm();
  Timer& quick = form->AddTimer(10, true);
  Timer& zero = form->AddTimer(0, true);
  int quickTicks = 0, zeroTicks = 0;
  quick.onTimer = [&] { ++quickTicks; };
  zero.onTimer = [&] { ++zeroTicks; };
  EXPECT_TRUE(PumpUntil([&] { return quickTicks >= 10; }));
  EXPECT_EQ(zeroTicks, 0);
  EXPECT_EQ(ErrorOf([&] { quick.SetInterval(-1); }), 380);
  EXPECT_EQ(quick.Interval(), 10);
}

TEST_F(Win32WindowingTest, UnloadAsksFirstAndARefusalKeepsTheWindow) {
  auto form = NewForm();
  UnloadLog log(*form);
  log.cancel = true;
  const HWND window = ToHwnd(form->hWnd());
  form->Unload();
  PostMessageW(window, WM_CLOSE, 0, 0);
  windowing.DoEvents();
  EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), FALSE);
  EXPECT_EQ(log.events, (Events{"query 1", "query 0", "query 2"}));
  EXPECT_TRUE(IsWindow(window));

  log.cancel = false;
  form->Unload();
  EXPECT_EQ(log.events, (Events{"query 1", "query 0", "query 2", "query 1", "unload"}));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(form->hWnd(), 0);
  form->Unload();
  EXPECT_EQ(log.events.size(), 5u);

  // The end of the session unloads a form that does not refuse.
  for (const UINT message : {WM_QUERYENDSESSION, WM_ENDSESSION}) {
    auto other = NewForm();
    UnloadLog otherLog(*other);
    const HWND otherWindow = ToHwnd(other->hWnd());
    EXPECT_EQ(SendMessageW(otherWindow, message, TRUE, 0), message == WM_QUERYENDSESSION ? TRUE : 0);
    EXPECT_EQ(otherLog.events, (Events{"query 2", "unload"}));
    EXPECT_FALSE(IsWindow(otherWindow));
  }
}

TEST_F(Win32WindowingTest, LosingTheScreenAndTheDisplayStateReachTheProgram) {
  auto form = NewForm();
  Events events;
  form->onDeactivateApp = [&] { events.push_back("deactivate"); };
  form->onDisplayChange = [&] { events.push_back("display"); };
  const HWND window = ToHwnd(form->hWnd());
  SendMessageW(window, WM_ACTIVATEAPP, TRUE, 0);
  SendMessageW(window, WM_ACTIVATEAPP, FALSE, 0);
  SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(800, 600));
  EXPECT_EQ(events, (Events{"deactivate", "display"}));

  // The display-state notification (0 off, 1 on, 2 dimmed); other settings change nothing.
  const GUID displayState = {0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
  const GUID other = {0x02731015, 0x4510, 0x4526, {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}};
  EXPECT_TRUE(windowing.DisplayOn());
  for (const auto& [setting, state, on] : {std::tuple{displayState, 0, false}, {displayState, 2, true},
                                           {displayState, 0, false}, {other, 1, false},
                                           {displayState, 1, true}}) {
    alignas(POWERBROADCAST_SETTING) unsigned char buffer[sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)] = {};
    auto* message = reinterpret_cast<POWERBROADCAST_SETTING*>(buffer);
    message->PowerSetting = setting;
    message->DataLength = sizeof(DWORD);
    const DWORD value = DWORD(state);
    std::memcpy(message->Data, &value, sizeof value);
    EXPECT_EQ(SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, LPARAM(message)), TRUE);
    EXPECT_EQ(windowing.DisplayOn(), on) << state;
  }
}

// A device's notification, posted as the multimedia driver posts it, reaches
// the program with its reason and the device's ID.
TEST_F(Win32WindowingTest, MultimediaNotificationsReachTheProgram) {
  auto form = NewForm();
  Events events;
  form->onMciNotify = [&](std::uint32_t flags, std::uint32_t deviceId) {
    events.push_back(std::to_string(flags) + " " + std::to_string(deviceId));
  };
  const HWND window = ToHwnd(form->hWnd());
  ASSERT_TRUE(PostMessageW(window, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 7));
  ASSERT_TRUE(PostMessageW(window, MM_MCINOTIFY, MCI_NOTIFY_ABORTED, 0x10007));
  EXPECT_TRUE(PumpUntil([&] { return events.size() >= 2; }));
  EXPECT_EQ(events, (Events{"1 7", "4 65543"}));
}

HWND watchedForm = nullptr;
bool watchdogFired = false;
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  watchdogFired = true;
  if (watchedForm) DestroyWindow(watchedForm);
}

TEST_F(Win32WindowingTest, QuitWhenTheLastFormGoesAndTheLoopRunsUntilThen) {
  auto first = NewForm("Tolvarin_First");
  auto second = NewForm("Tolvarin_Second");
  UnloadLog secondLog(*second);
  first->Unload();
  EXPECT_FALSE(QuitPending());
  // Destroyed by another window, as a preview host does: it still unloads, once.
  DestroyWindow(ToHwnd(second->hWnd()));
  EXPECT_EQ(secondLog.events, Events{"unload"});
  EXPECT_TRUE(QuitPending());
  // With no form left, DoEvents leaves the quit for the outer loop...
  windowing.DoEvents();
  EXPECT_TRUE(QuitPending());

  // ...but that stale quit stops neither a new form's timers nor its loop.
  auto form = NewForm();
  int ticks = 0;
  form->AddTimer(10, true).onTimer = [&] {
    if (++ticks == 4) user32.PostMessageA(form->hWnd(), WM_CLOSE, 0, 0);
  };
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }));
  watchedForm = ToHwnd(form->hWnd());
  watchdogFired = false;
  const UINT_PTR guard = SetTimer(nullptr, 0, 10000, Watchdog);
  windowing.RunMessageLoop();
  KillTimer(nullptr, guard);
  watchedForm = nullptr;
  EXPECT_FALSE(watchdogFired);
  EXPECT_EQ(ticks, 4);
  EXPECT_EQ(form->hWnd(), 0);
}

TEST_F(Win32WindowingTest, KeysOfChildWindowsReachTheFormWithKeyPreview) {
  for (const bool keyPreview : {true, false}) {
    SCOPED_TRACE(keyPreview);
    auto form = NewForm("Tolvarin_Keys", true, keyPreview);
    PictureSurface& surface = NewSurface(*form, 10, 10);
    std::vector<std::int32_t> keys;
    form->onKeyDown = [&](std::int32_t key, std::int32_t) { keys.push_back(key); };
    PostMessageW(WindowOf(surface), WM_KEYDOWN, VK_SHIFT, 0x002A0001);
    PostMessageW(WindowOf(surface), WM_SYSKEYDOWN, VK_F4, 0x203E0001);
    PostMessageW(ToHwnd(form->hWnd()), WM_KEYDOWN, VK_CONTROL, 0x001D0001);
    PostMessageW(ToHwnd(form->hWnd()), WM_KEYUP, VK_CONTROL, 0xC01D0001);
    windowing.DoEvents();
    EXPECT_EQ(keys, (keyPreview ? std::vector<std::int32_t>{VK_SHIFT, VK_F4, VK_CONTROL}
                                : std::vector<std::int32_t>{VK_CONTROL}));
  }
}

TEST_F(Win32WindowingTest, PressAndReleaseOnASurfaceIsAClick) {
  auto form = NewForm();
  PictureSurface& surface = NewSurface(*form, 64, 48);
  int clicks = 0;
  surface.onClick = [&] { ++clicks; };
  const HWND window = WindowOf(surface);
  const auto post = [&](std::initializer_list<std::array<int, 3>> messages) {
    for (const auto& [message, x, y] : messages) {
      const WPARAM keys = message == WM_LBUTTONDOWN ? MK_LBUTTON
                          : message == WM_RBUTTONDOWN ? MK_RBUTTON
                          : message == WM_MBUTTONDOWN ? MK_MBUTTON : 0;
      PostMessageW(window, UINT(message), keys, MAKELPARAM(x, y));
    }
    windowing.DoEvents();
  };
  post({{WM_LBUTTONDOWN, 5, 5}, {WM_LBUTTONUP, 6, 5}, {WM_RBUTTONDOWN, 63, 47}, {WM_RBUTTONUP, 63, 47},
        {WM_MBUTTONDOWN, 0, 0}, {WM_MBUTTONUP, 0, 0}});
  EXPECT_EQ(clicks, 3);
  // Released just outside, released without a press, another button released.
  post({{WM_LBUTTONDOWN, 5, 5}, {WM_LBUTTONUP, 64, 5}, {WM_LBUTTONUP, 5, 5}, {WM_LBUTTONDOWN, 5, 5},
        {WM_RBUTTONUP, 5, 5}});
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(GetCapture(), window);  // the left button is still down
  post({{WM_LBUTTONUP, 5, 5}});
  EXPECT_EQ(clicks, 4);
  EXPECT_EQ(GetCapture(), nullptr);
  // A press on the form or on an image holds the pointer too, till the last button is up.
  WindowlessControls controls(surface, ScaleUnit::Pixels, 15, 15);
  controls.AddImage().Move(0, 0, 10, 10);
  for (const HWND holder : {ToHwnd(form->hWnd()), window}) {
    for (const auto& [message, keys, held] : {std::tuple{WM_LBUTTONDOWN, MK_LBUTTON, holder},
                                              {WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, holder},
                                              {WM_LBUTTONUP, MK_RBUTTON, holder}, {WM_RBUTTONUP, 0, HWND{}}}) {
      SendMessageW(holder, message, keys, MAKELPARAM(5, 5));
      EXPECT_EQ(GetCapture(), held) << message;
    }
  }
  EXPECT_EQ(clicks, 4);
}

// Characters that reached the edit field under test.
std::vector<WPARAM> editCharacters;
WNDPROC editProcedure = nullptr;
LRESULT CALLBACK CountCharacters(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR) editCharacters.push_back(wParam);
  return CallWindowProcW(editProcedure, window, message, wParam, lParam);
}

// Also: the box keeps its design's colours on a dark scheme.
TEST_F(Win32WindowingTest, KeysTheFormKeepsNeverReachTheEditFieldAndAnOpenListTakesEscape) {
  auto form = NewForm("<Tolvarin_Keys>", false);
  ComboBoxDesign design;
  design.rect = ControlRect{10, 10, 60, 20};
  ComboBoxControl& box = form->AddComboBox(design);
  box.AddItem("1");
  form->Show();
  const HWND combo = FindWindowExW(ToHwnd(form->hWnd()), nullptr, L"ComboBox", nullptr);
  const HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
  ASSERT_TRUE(combo && edit);
  editProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountCharacters)));
  std::vector<std::int32_t> keys;
  form->onKeyDown = [&](std::int32_t& key, std::int32_t) {
    keys.push_back(key);
    if (key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE) key = 0;
  };
  box.SetFocus();
  for (const WPARAM key : {WPARAM(VK_TAB), WPARAM(VK_RETURN), WPARAM('7')}) PostMessageW(edit, WM_KEYDOWN, key, 1);
  windowing.DoEvents();
  EXPECT_EQ(keys, (std::vector<std::int32_t>{VK_TAB, VK_RETURN, '7'}));
  EXPECT_EQ(editCharacters, std::vector<WPARAM>{'7'});
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  for (const bool dropped : {true, false}) {
    PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 1);
    windowing.DoEvents();
    EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(keys.back() == VK_ESCAPE, !dropped);
  }
  SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProcedure));
  // An input method in its usual mode types full-width digits.
  box.SetText("");
  for (const wchar_t c : {L'\xFF11', L'\xFF12'}) PostMessageW(edit, WM_CHAR, c, 1);
  windowing.DoEvents();
  EXPECT_EQ(RepeatTrackFromText(box.Text()), 12);

  const INT elements[2] = {COLOR_WINDOW, COLOR_WINDOWTEXT};
  const COLORREF scheme[2] = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)};
  const COLORREF dark[2] = {RGB(32, 32, 32), RGB(255, 255, 255)};
  SetSysColors(2, elements, dark);
  HDC dc = CreateCompatibleDC(nullptr);
  LOGBRUSH look{};
  // As the box passes it up for its edit field.
  GetObjectW(HGDIOBJ(SendMessageW(ToHwnd(form->hWnd()), WM_CTLCOLOREDIT, WPARAM(dc), LPARAM(edit))), sizeof look, &look);
  EXPECT_EQ(look.lbColor, RGB(255, 255, 255));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  DeleteDC(dc);
  SetSysColors(2, elements, scheme);
}

}  // namespace
}  // namespace tolvarin
