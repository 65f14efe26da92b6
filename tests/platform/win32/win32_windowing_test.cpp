#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errors.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_picture_surface.h"
#include "platform/win32/win32_user32.h"
#include "platform/win32/win32_windowing.h"

namespace tolvarin {
namespace {

// A picture whose every pixel differs from its neighbours.
Bitmap Pattern(std::int32_t width, std::int32_t height) {
  Bitmap picture(width, height);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      picture.at(x, y) = (std::uint32_t(x) * 0x010307u + std::uint32_t(y) * 0x0B0503u + 0x203040u) & 0xFFFFFFu;
  return picture;
}

// What a window's device context shows, read back through GDI.
Bitmap ReadWindow(HWND window, int width, int height) {
  Bitmap image(width, height);
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = pixels[i] & 0xFFFFFFu;
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  return image;
}

HWND WindowOf(PictureSurface& surface) { return dynamic_cast<Win32PictureSurface&>(surface).window(); }

class Win32WindowingTest : public ::testing::Test {
 protected:
  void SetUp() override { DrainQuit(); }
  void TearDown() override { DrainQuit(); }

  static void DrainQuit() {
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  static bool QuitPending() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
  }

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
  void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
  }

  std::unique_ptr<Form> NewForm(const std::string& caption = "Tolvarin_Test", bool borderless = true) {
    FormDesign design;
    design.caption = caption;
    design.borderless = borderless;
    design.backColor = 0x00302010;
    return windowing.CreateForm(design);
  }

  double Tpp() { return windowing.TwipsPerPixelX(); }

  Win32Windowing windowing;
  Win32User32 user32;
  Win32Gdi32 gdi32;
};

// ---- Units -----------------------------------------------------------------

TEST_F(Win32WindowingTest, TwipsPerPixelComeFromTheScreenResolution) {
  HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_DOUBLE_EQ(windowing.TwipsPerPixelX(), 1440.0 / dpiX);
  EXPECT_DOUBLE_EQ(windowing.TwipsPerPixelY(), 1440.0 / dpiY);
  EXPECT_DOUBLE_EQ(windowing.ScreenWidth(), GetSystemMetrics(SM_CXSCREEN) * windowing.TwipsPerPixelX());
  EXPECT_DOUBLE_EQ(windowing.ScreenHeight(), GetSystemMetrics(SM_CYSCREEN) * windowing.TwipsPerPixelY());
}

TEST_F(Win32WindowingTest, FormSizeAndPlaceAreTwipsOfRealPixels) {
  auto form = NewForm();
  const double tpp = Tpp();
  form->SetWidth(300 * tpp);
  form->SetHeight(200 * windowing.TwipsPerPixelY());
  form->Move(40 * tpp, 30 * windowing.TwipsPerPixelY());
  RECT rect;
  GetWindowRect(ToHwnd(form->hWnd()), &rect);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 30);
  EXPECT_EQ(rect.right - rect.left, 300);
  EXPECT_EQ(rect.bottom - rect.top, 200);
  EXPECT_DOUBLE_EQ(form->Width(), 300 * tpp);
  EXPECT_DOUBLE_EQ(form->Left(), 40 * tpp);
  // A borderless form is all client area.
  EXPECT_EQ(form->ScaleWidth(), 300);
  EXPECT_EQ(form->ScaleHeight(), 200);

  form->Move(0, 0, 64 * tpp, 48 * windowing.TwipsPerPixelY());
  GetWindowRect(ToHwnd(form->hWnd()), &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.right, 64);
  EXPECT_EQ(rect.bottom, 48);
}

TEST_F(Win32WindowingTest, PartPixelsRoundHalfToEvenAndBadSizesChangeNothing) {
  auto form = NewForm();
  form->SetWidth(10.5 * Tpp());
  EXPECT_EQ(form->ScaleWidth(), 10);
  form->SetWidth(11.5 * Tpp());
  EXPECT_EQ(form->ScaleWidth(), 12);
  form->SetWidth(50 * Tpp());
  try {
    form->SetWidth(-Tpp());
    FAIL() << "a negative width was taken";
  } catch (const ProgramError& error) {
    EXPECT_EQ(error.number(), 380);
  }
  EXPECT_THROW(form->SetHeight(1e300), ProgramError);
  EXPECT_EQ(form->ScaleWidth(), 50);
  EXPECT_THROW(form->SetWindowState(3), ProgramError);
}

TEST_F(Win32WindowingTest, BorderedFormHasASmallerClientArea) {
  auto form = NewForm("<Tolvarin_Test>", false);
  form->SetWidth(400 * Tpp());
  form->SetHeight(300 * windowing.TwipsPerPixelY());
  EXPECT_LT(form->ScaleWidth(), 400);
  EXPECT_LT(form->ScaleHeight(), 300);
  EXPECT_GT(form->ScaleHeight(), 200);
}

// ---- Windows -------------------------------------------------------------------

TEST_F(Win32WindowingTest, FormIsCreatedHiddenBorderlessAndOutOfTheTaskbar) {
  auto form = NewForm();
  const HWND window = ToHwnd(form->hWnd());
  ASSERT_TRUE(IsWindow(window));
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(window));
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetClassLongPtrW(window, GCLP_HICON), 0);

  form->SetWindowState(0);
  form->Show();
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(form->WindowState(), 0);
}

TEST_F(Win32WindowingTest, FindWindowFindsAFormByItsExactCaption) {
  auto form = NewForm("Tolvarin_Probe_Main");
  auto japanese = NewForm("<設定テスト>");
  EXPECT_EQ(user32.FindWindowA("Tolvarin_Probe_Main"), form->hWnd());
  EXPECT_EQ(user32.FindWindowA("<設定テスト>"), japanese->hWnd());
  EXPECT_EQ(user32.FindWindowA("Tolvarin_Probe"), 0);
  EXPECT_EQ(user32.FindWindowA("tolvarin_probe_main_x"), 0);
  form->Unload();
  EXPECT_EQ(user32.FindWindowA("Tolvarin_Probe_Main"), 0);
}

TEST_F(Win32WindowingTest, ChildFormIsPlacedInItsParentsClientArea) {
  HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 100, 50, 200, 150,
                              nullptr, nullptr, nullptr, nullptr);
  auto form = NewForm("Preview Probe");
  const Hwnd window = form->hWnd();
  user32.SetWindowLongA(window, GWL_STYLE, user32.GetWindowLongA(window, GWL_STYLE) | WS_CHILD);
  EXPECT_EQ(user32.SetParent(window, FromHwnd(host)) != 0, true);
  form->Move(10 * Tpp(), 20 * windowing.TwipsPerPixelY(), 152 * Tpp(), 112 * windowing.TwipsPerPixelY());
  EXPECT_DOUBLE_EQ(form->Left(), 10 * Tpp());
  EXPECT_DOUBLE_EQ(form->Top(), 20 * windowing.TwipsPerPixelY());
  RectL rect;
  ASSERT_TRUE(user32.GetWindowRect(window, rect));
  EXPECT_EQ(rect.left, 110);
  EXPECT_EQ(rect.top, 70);
  EXPECT_EQ(rect.right - rect.left, 152);
  DestroyWindow(host);
}

// ---- Picture surfaces ------------------------------------------------------------

TEST_F(Win32WindowingTest, SetPictureThenImageGivesThePictureBack) {
  auto form = NewForm();
  PictureSurface& surface = form->AddPictureSurface(true);
  surface.SetSize(37, 23);
  const Bitmap picture = Pattern(37, 23);
  surface.SetPicture(picture);
  EXPECT_EQ(surface.Image(), picture);
  EXPECT_EQ(surface.Width(), 37);
  EXPECT_EQ(surface.Height(), 23);
}

TEST_F(Win32WindowingTest, SetPictureClipsAndFillsTheRestWithTheFormsBackColour) {
  auto form = NewForm();
  form->SetBackColor(0x00123456);
  PictureSurface& surface = form->AddPictureSurface(false);
  surface.SetSize(20, 10);
  surface.SetPicture(Pattern(30, 4));  // wider than the surface, not as high
  const Bitmap image = surface.Image();
  const Bitmap picture = Pattern(30, 4);
  EXPECT_EQ(image.at(19, 3), picture.at(19, 3));
  EXPECT_EQ(image.at(0, 0), picture.at(0, 0));
  EXPECT_EQ(image.at(0, 4), 0x00563412u);
  EXPECT_EQ(image.at(19, 9), 0x00563412u);

  form->SetBackColor(0x80000005);  // a system colour: the window colour
  EXPECT_EQ(form->BackColor(), 0x80000005u);
  surface.SetPicture(Bitmap());
  EXPECT_EQ(surface.Image().at(1, 1), PixelFromColor(GetSysColor(COLOR_WINDOW)));
}

TEST_F(Win32WindowingTest, BitBltBetweenSurfacesCopiesExactPixels) {
  auto form = NewForm();
  PictureSurface& source = form->AddPictureSurface(false);
  PictureSurface& destination = form->AddPictureSurface(true);
  source.SetSize(64, 48);
  destination.SetSize(64, 48);
  const Bitmap picture = Pattern(64, 48);
  source.SetPicture(picture);
  destination.SetPicture(Bitmap());
  ASSERT_TRUE(gdi32.BitBlt(destination.hDC(), 10, 5, 30, 20, source.hDC(), 2, 3, SRCCOPY));
  const Bitmap image = destination.Image();
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool copied = x >= 10 && x < 40 && y >= 5 && y < 25;
      const std::uint32_t expected = copied ? picture.at(x - 8, y - 2) : 0x00102030u;
      ASSERT_EQ(image.at(x, y), expected) << "at " << x << "," << y;
    }
  }
}

TEST_F(Win32WindowingTest, GdiDrawingOnTheDcShowsInTheImage) {
  auto form = NewForm();
  PictureSurface& surface = form->AddPictureSurface(false);
  surface.SetSize(8, 8);
  HBRUSH brush = CreateSolidBrush(RGB(0x11, 0x22, 0x33));
  RECT block{2, 3, 5, 7};
  FillRect(ToHdc(surface.hDC()), &block, brush);
  DeleteObject(brush);
  const Bitmap image = surface.Image();
  EXPECT_EQ(image.at(2, 3), 0x00112233u);
  EXPECT_EQ(image.at(4, 6), 0x00112233u);
  EXPECT_EQ(image.at(5, 6), 0x00102030u);
}

TEST_F(Win32WindowingTest, ResizeKeepsTheOverlapAndTheDc) {
  auto form = NewForm();
  PictureSurface& surface = form->AddPictureSurface(true);
  surface.SetSize(16, 12);
  const Bitmap picture = Pattern(16, 12);
  surface.SetPicture(picture);
  const Hdc dc = surface.hDC();

  surface.SetSize(20, 8);
  EXPECT_EQ(surface.hDC(), dc);
  Bitmap image = surface.Image();
  ASSERT_EQ(image.width, 20);
  ASSERT_EQ(image.height, 8);
  EXPECT_EQ(image.at(15, 7), picture.at(15, 7));
  EXPECT_EQ(image.at(16, 0), 0x00102030u);

  surface.SetSize(0, 0);
  EXPECT_TRUE(surface.Image().empty());
  surface.SetSize(3, 3);
  EXPECT_EQ(surface.Image().at(0, 0), 0x00102030u);
  EXPECT_THROW(surface.SetSize(-1, 3), ProgramError);
  EXPECT_EQ(surface.Width(), 3);
}

TEST_F(Win32WindowingTest, RefreshPutsTheRetainedBitmapOnTheWindow) {
  auto form = NewForm();
  form->Move(0, 0, 64 * Tpp(), 48 * windowing.TwipsPerPixelY());
  PictureSurface& surface = form->AddPictureSurface(true);
  surface.SetSize(64, 48);
  surface.Move(0, 0);
  form->Show();
  PumpFor(50);
  // Changed behind the window's back; only the refresh shows it.
  const Bitmap picture = Pattern(64, 48);
  surface.SetPicture(picture);
  ValidateRect(WindowOf(surface), nullptr);
  surface.Refresh();
  EXPECT_EQ(ReadWindow(WindowOf(surface), 64, 48), picture);
}

TEST_F(Win32WindowingTest, ImageControlIsDrawnStretchedOnTheForm) {
  auto form = NewForm();
  form->Move(0, 0, 80 * Tpp(), 60 * windowing.TwipsPerPixelY());
  ImageControl& image = form->AddImage();
  const Bitmap picture = Pattern(4, 3);
  image.SetPicture(picture);
  image.Move(10, 5, 40, 30);
  EXPECT_EQ(image.Width(), 40);
  form->Show();
  PumpFor(50);
  const Bitmap shown = ReadWindow(ToHwnd(form->hWnd()), 80, 60);
  Bitmap stretched(40, 30);
  StretchNearest(ViewOf(stretched), ViewOf(const_cast<Bitmap&>(picture)));
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 80; ++x) {
      const bool inside = x >= 10 && x < 50 && y >= 5 && y < 35;
      const std::uint32_t expected = inside ? stretched.at(x - 10, y - 5) : 0x00102030u;
      ASSERT_EQ(shown.at(x, y), expected) << "at " << x << "," << y;
    }
  }
}

// ---- Timers --------------------------------------------------------------------

TEST_F(Win32WindowingTest, TimersTickInsideDoEvents) {
  auto form = NewForm();
  Timer& timer = form->AddTimer(10, true);
  int ticks = 0;
  timer.onTimer = [&] { ++ticks; };
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  EXPECT_EQ(timer.Interval(), 10);
  EXPECT_TRUE(timer.Enabled());
}

TEST_F(Win32WindowingTest, DisabledTimersAndZeroIntervalsDoNotTick) {
  auto form = NewForm();
  Timer& off = form->AddTimer(10, false);
  Timer& stopped = form->AddTimer(10, true);
  Timer& zero = form->AddTimer(0, true);
  int offTicks = 0, stoppedTicks = 0, zeroTicks = 0;
  off.onTimer = [&] { ++offTicks; };
  stopped.onTimer = [&] { ++stoppedTicks; };
  zero.onTimer = [&] { ++zeroTicks; };
  stopped.SetEnabled(false);
  PumpFor(150);
  EXPECT_EQ(offTicks + stoppedTicks + zeroTicks, 0);

  off.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return offTicks >= 1; }));
  EXPECT_EQ(stoppedTicks, 0);
  EXPECT_THROW(off.SetInterval(-1), ProgramError);
}

TEST_F(Win32WindowingTest, EachTimerAnswersOnlyForItself) {
  auto first = NewForm("Tolvarin_First");
  auto second = NewForm("Tolvarin_Second");
  Timer& quick = first->AddTimer(10, true);
  Timer& idle = second->AddTimer(10, false);
  Timer& slow = second->AddTimer(60000, true);
  int quickTicks = 0, otherTicks = 0;
  quick.onTimer = [&] { ++quickTicks; };
  idle.onTimer = [&] { ++otherTicks; };
  slow.onTimer = [&] { ++otherTicks; };
  EXPECT_TRUE(PumpUntil([&] { return quickTicks >= 3; }));
  EXPECT_EQ(otherTicks, 0);
}

// ---- Unloading -------------------------------------------------------------------

struct UnloadLog {
  std::vector<std::string> events;
  bool cancel = false;
  void Attach(Form& form) {
    form.onQueryUnload = [this](std::int32_t& c, UnloadMode mode) {
      events.push_back("query " + std::to_string(int(mode)));
      if (cancel) c = -1;
    };
    form.onUnload = [this] { events.push_back("unload"); };
  }
};

TEST_F(Win32WindowingTest, UnloadAsksThenUnloadsThenDestroys) {
  auto form = NewForm();
  UnloadLog log;
  log.Attach(*form);
  const HWND window = ToHwnd(form->hWnd());
  form->Unload();
  EXPECT_EQ(log.events, (std::vector<std::string>{"query 1", "unload"}));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(form->hWnd(), 0);
  EXPECT_FALSE(form->Visible());
  form->Unload();
  EXPECT_EQ(log.events.size(), 2u);
}

TEST_F(Win32WindowingTest, CloseMessageUnloadsFromTheControlMenu) {
  auto form = NewForm();
  UnloadLog log;
  log.Attach(*form);
  const HWND window = ToHwnd(form->hWnd());
  ASSERT_TRUE(user32.PostMessageA(form->hWnd(), WM_CLOSE, 0, 0));
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
  EXPECT_EQ(log.events, (std::vector<std::string>{"query 0", "unload"}));
}

TEST_F(Win32WindowingTest, CancelledUnloadKeepsTheWindow) {
  auto form = NewForm();
  UnloadLog log;
  log.cancel = true;
  log.Attach(*form);
  const HWND window = ToHwnd(form->hWnd());
  form->Unload();
  PostMessageW(window, WM_CLOSE, 0, 0);
  windowing.DoEvents();
  EXPECT_EQ(log.events, (std::vector<std::string>{"query 1", "query 0"}));
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(form->hWnd(), FromHwnd(window));

  log.cancel = false;
  form->Unload();
  EXPECT_EQ(log.events.back(), "unload");
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(Win32WindowingTest, EndOfSessionUnloadsUnlessRefused) {
  auto form = NewForm();
  UnloadLog log;
  log.cancel = true;
  log.Attach(*form);
  const HWND window = ToHwnd(form->hWnd());
  EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), FALSE);
  EXPECT_TRUE(IsWindow(window));
  // The session ends all the same: the form goes.
  log.cancel = false;
  SendMessageW(window, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(log.events, (std::vector<std::string>{"query 2", "query 2", "unload"}));
  EXPECT_FALSE(IsWindow(window));

  auto other = NewForm();
  UnloadLog otherLog;
  otherLog.Attach(*other);
  EXPECT_EQ(SendMessageW(ToHwnd(other->hWnd()), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(otherLog.events, (std::vector<std::string>{"query 2", "unload"}));
}

TEST_F(Win32WindowingTest, FormDestroyedWithItsParentStillUnloads) {
  HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 200, 150, nullptr, nullptr,
                              nullptr, nullptr);
  auto form = NewForm("Preview Probe");
  UnloadLog log;
  log.Attach(*form);
  const Hwnd window = form->hWnd();
  user32.SetWindowLongA(window, GWL_STYLE, user32.GetWindowLongA(window, GWL_STYLE) | WS_CHILD);
  user32.SetParent(window, FromHwnd(host));
  DestroyWindow(host);
  EXPECT_EQ(log.events, (std::vector<std::string>{"unload"}));
  EXPECT_FALSE(user32.IsWindow(window));
  EXPECT_TRUE(QuitPending());
}

// ---- The message loop --------------------------------------------------------------

TEST_F(Win32WindowingTest, QuitIsPostedWhenTheLastFormGoes) {
  auto first = NewForm("Tolvarin_First");
  auto second = NewForm("Tolvarin_Second");
  first->Unload();
  EXPECT_FALSE(QuitPending());
  second->Unload();
  EXPECT_TRUE(QuitPending());
  // With no form left, DoEvents leaves the quit for the outer loop.
  windowing.DoEvents();
  EXPECT_TRUE(QuitPending());
}

TEST_F(Win32WindowingTest, StaleQuitDoesNotStopANewFormsTimers) {
  NewForm()->Unload();
  ASSERT_TRUE(QuitPending());
  auto form = NewForm();
  int ticks = 0;
  form->AddTimer(10, true).onTimer = [&] { ++ticks; };
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }));
}

HWND watchedForm = nullptr;
bool watchdogFired = false;
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  watchdogFired = true;
  if (watchedForm) DestroyWindow(watchedForm);
}

TEST_F(Win32WindowingTest, MessageLoopRunsUntilTheLastFormIsGone) {
  auto form = NewForm();
  UnloadLog log;
  log.Attach(*form);
  int ticks = 0;
  Timer& timer = form->AddTimer(10, true);
  timer.onTimer = [&] {
    // The loop dispatches timers and input until the close arrives.
    if (++ticks == 3) user32.PostMessageA(form->hWnd(), WM_CLOSE, 0, 0);
  };
  watchedForm = ToHwnd(form->hWnd());
  watchdogFired = false;
  const UINT_PTR guard = SetTimer(nullptr, 0, 10000, Watchdog);
  windowing.RunMessageLoop();
  KillTimer(nullptr, guard);
  watchedForm = nullptr;
  EXPECT_FALSE(watchdogFired);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(log.events, (std::vector<std::string>{"query 0", "unload"}));
}

// ---- Input -----------------------------------------------------------------------

TEST_F(Win32WindowingTest, KeysOfChildWindowsReachTheForm) {
  auto form = NewForm();
  PictureSurface& surface = form->AddPictureSurface(true);
  surface.SetSize(10, 10);
  std::vector<std::int32_t> keys;
  form->onKeyDown = [&](std::int32_t key, std::int32_t) { keys.push_back(key); };
  PostMessageW(WindowOf(surface), WM_KEYDOWN, VK_SHIFT, 0x002A0001);
  PostMessageW(WindowOf(surface), WM_SYSKEYDOWN, VK_F4, 0x203E0001);
  PostMessageW(ToHwnd(form->hWnd()), WM_KEYDOWN, VK_CONTROL, 0x001D0001);
  PostMessageW(ToHwnd(form->hWnd()), WM_KEYUP, VK_CONTROL, 0xC01D0001);
  windowing.DoEvents();
  EXPECT_EQ(keys, (std::vector<std::int32_t>{VK_SHIFT, VK_F4, VK_CONTROL}));
}

TEST_F(Win32WindowingTest, WithoutKeyPreviewOnlyTheFormsOwnKeysCount) {
  FormDesign design;
  design.caption = "Tolvarin_NoPreview";
  design.keyPreview = false;
  auto form = windowing.CreateForm(design);
  PictureSurface& surface = form->AddPictureSurface(true);
  std::vector<std::int32_t> keys;
  form->onKeyDown = [&](std::int32_t key, std::int32_t) { keys.push_back(key); };
  PostMessageW(WindowOf(surface), WM_KEYDOWN, 'A', 0x001E0001);
  PostMessageW(ToHwnd(form->hWnd()), WM_KEYDOWN, 'B', 0x00300001);
  windowing.DoEvents();
  EXPECT_EQ(keys, (std::vector<std::int32_t>{'B'}));
}

TEST_F(Win32WindowingTest, PressAndReleaseOnASurfaceIsAClick) {
  auto form = NewForm();
  PictureSurface& surface = form->AddPictureSurface(true);
  surface.SetSize(64, 48);
  int clicks = 0;
  surface.onClick = [&] { ++clicks; };
  const HWND window = WindowOf(surface);

  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(6, 5));
  windowing.DoEvents();
  EXPECT_EQ(clicks, 1);

  PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(63, 47));
  PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(63, 47));
  PostMessageW(window, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(0, 0));
  PostMessageW(window, WM_MBUTTONUP, 0, MAKELPARAM(0, 0));
  windowing.DoEvents();
  EXPECT_EQ(clicks, 3);
}

TEST_F(Win32WindowingTest, ReleaseElsewhereOrWithoutAPressIsNoClick) {
  auto form = NewForm();
  PictureSurface& surface = form->AddPictureSurface(true);
  surface.SetSize(64, 48);
  int clicks = 0;
  surface.onClick = [&] { ++clicks; };
  const HWND window = WindowOf(surface);

  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(64, 5));  // just outside
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));   // no press before it
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));   // another button
  windowing.DoEvents();
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(GetCapture(), window);  // the left button is still down
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  windowing.DoEvents();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
}  // namespace tolvarin
