#include "saver/saver_window.h"

#include "base/checked.h"
#include "base/errors.h"
#include "gpx_fragment.h"
#include "state/command_line.h"
#include "state/program.h"
#include "state/window_names.h"

namespace tolvarin {

namespace {
// The system window colour, which the load handler replaces by black.
constexpr std::uint32_t kSystemWindowColor = 0x80000005;
}  // namespace

SaverWindow::SaverWindow(Program& program)
    : program_(program), effect_(program.platform.libraries), bgm_(program.platform, program.state) {}

SaverWindow::~SaverWindow() = default;

void SaverWindow::Load() {
  FormDesign design;
  design.caption = kSaverWindowTitle;
  design.borderless = true;
  design.backColor = kSystemWindowColor;
  design.keyPreview = true;
  form_ = program_.platform.windowing.CreateForm(design);
  display_ = &form_->AddPictureSurface(true);
  master_ = &form_->AddPictureSurface(false);
  timer3_ = &form_->AddTimer(1, true);
  timer2_ = &form_->AddTimer(200, false);
  timer1_ = &form_->AddTimer(1000, false);

  form_->onKeyDown = [this](std::int32_t key, std::int32_t shift) { Form_KeyDown(key, shift); };
  form_->onQueryUnload = [this](std::int32_t& cancel, UnloadMode mode) { Form_QueryUnload(cancel, mode); };
  display_->onClick = [this] { Display_Click(); };
  form_->onMciNotify = [this](std::uint32_t flags, std::uint32_t deviceId) { Form_MciNotify(flags, deviceId); };
  // Losing the screen ends the run like a key: another program's window took
  // the activation, or the monitors changed under the window.
  form_->onDeactivateApp = [this] { TrapErrors([&] { form_->Unload(); }); };
  form_->onDisplayChange = [this] { TrapErrors([&] { form_->Unload(); }); };
  timer3_->onTimer = [this] { Timer3_Timer(); };
  timer2_->onTimer = [this] { Timer2_Timer(); };
  timer1_->onTimer = [this] { Timer1_Timer(); };

  Form_Load();
}

bool SaverWindow::MusicFileEndsWith(const char* ending) const {
  const std::string& file = program_.state.settings.musicFile;
  std::string last = file.size() >= 3 ? file.substr(file.size() - 3) : file;
  for (char& c : last)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return last == ending;
}

void SaverWindow::Form_Load() {
  Platform& p = program_.platform;
  Form& form = *form_;
  Hwnd desktopWindow = 0;
  Hdc desktopDc = 0;
  // The window covers the virtual screen, which spans every monitor; its
  // corner is left of or above the primary's when a monitor lies there.
  std::int32_t left = 0, top = 0;
  double width = 0, height = 0;
  TrapErrors([&] {
    left = p.user32.GetSystemMetrics(kSmXVirtualScreen);
    top = p.user32.GetSystemMetrics(kSmYVirtualScreen);
    width = p.user32.GetSystemMetrics(kSmCxVirtualScreen) * p.windowing.TwipsPerPixelX();
    height = p.user32.GetSystemMetrics(kSmCyVirtualScreen) * p.windowing.TwipsPerPixelY();
  });
  if (width <= 0 || height <= 0) {
    left = top = 0;
    TrapErrors([&] { width = p.windowing.ScreenWidth(), height = p.windowing.ScreenHeight(); });
  }

  // Every step traps its own errors: a failing step is skipped.
  TrapErrors([&] { form.SetWidth(width); });
  TrapErrors([&] { form.SetHeight(height); });
  TrapErrors([&] { form.SetBackColor(0); });
  TrapErrors([&] { form.Move(left * p.windowing.TwipsPerPixelX(), top * p.windowing.TwipsPerPixelY()); });
  TrapErrors([&] { display_->SetSize(form.ScaleWidth(), form.ScaleHeight()); });
  TrapErrors([&] { display_->Move(0, 0); });
  TrapErrors([&] { master_->SetSize(form.ScaleWidth(), form.ScaleHeight()); });
  TrapErrors([&] { desktopWindow = p.user32.GetDesktopWindow(); });
  TrapErrors([&] { desktopDc = p.user32.GetDC(desktopWindow); });
  // The window is not shown yet, so the copy never contains it.
  TrapErrors([&] {
    result_ = p.gdi32.BitBlt(master_->hDC(), 0, 0, RoundHalfEven<std::int32_t>(form.ScaleWidth()),
                             RoundHalfEven<std::int32_t>(form.ScaleHeight()), desktopDc, left, top, kSrcCopy);
  });
  TrapErrors([&] { display_->SetPicture(master_->Image()); });
  TrapErrors([&] { result_ = p.user32.ReleaseDC(desktopWindow, desktopDc); });
  TrapErrors([&] { timer3_->SetEnabled(true); });
  const MusicMode musicMode = program_.state.settings.musicMode;
  if (musicMode == MusicMode::AudioCd) {
    TrapErrors([&] { bgm_.CdOpen(); });
    TrapErrors([&] { timer2_->SetEnabled(true); });
  } else if (musicMode == MusicMode::SoundFile) {
    if (MusicFileEndsWith("WAV")) TrapErrors([&] { bgm_.WavStart(); });
    if (MusicFileEndsWith("MP3")) {
      TrapErrors([&] { bgm_.Mp3Start(form.hWnd()); });
      TrapErrors([&] { timer1_->SetEnabled(true); });
    }
  }
  TrapErrors([&] { form.SetWindowState(0); });
  TrapErrors([&] { form.Show(); });
  TrapErrors([&] {
    result_ = p.user32.SetWindowPos(form.hWnd(), kHwndTopmost, 0, 0, 0, 0,
                                    kSwpNoSize | kSwpNoMove | kSwpNoActivate);
  });
}

void SaverWindow::Timer3_Timer() {
  Platform& p = program_.platform;
  TrapErrors([&] { timer3_->SetEnabled(false); });
  TrapErrors([&] { frameCounter_ = 0; });
  // The graphics card draws the frames where it can, and only frames the
  // effect library would draw: without the library the still copy stays.
  TrapErrors([&] {
    if (effect_.Available()) card_ = display_->OpenCardFrames(*master_);
  });
  for (;;) {
    if (!p.windowing.DisplayOn()) {
      // Nobody sees frames while the display is off: wait for messages only
      // (keys, clicks, close requests, the music polls, the display coming back).
      TrapErrors([&] { p.windowing.WaitMessage(); });
      TrapErrors([&] { p.windowing.DoEvents(); });
      continue;
    }
    const std::int32_t degree = program_.state.settings.effectDegree;
    if (!card_ || !CardPass(degree)) ProcessorPass(degree);
    TrapErrors([&] { p.windowing.DoEvents(); });
  }
}

std::int32_t SaverWindow::OffsetOf(std::int32_t frame) {
  return gpx::OffsetForFrame(frame, RoundHalfEven<std::int32_t>(master_->Width()),
                             RoundHalfEven<std::int32_t>(master_->Height()));
}

bool SaverWindow::CardPass(std::int32_t degree) {
  const std::int32_t frame = frameCounter_;
  // The frame numbered the degree would be covered by the clean copy at once.
  const bool reset = frame >= degree;
  frameCounter_ = reset ? 0 : frame + 1;
  auto outcome = CardFrames::Outcome::Failed;
  TrapErrors([&] { outcome = card_->Present(reset ? kCleanCopy : OffsetOf(frame)); });
  if (outcome == CardFrames::Outcome::Shown) return true;
  if (outcome == CardFrames::Outcome::Busy) {
    // A slow card slows the effect down, as a slow processor does: no frame is dropped.
    frameCounter_ = frame;
    return true;
  }
  // Given up for good: the processor draws this frame and all after it, on
  // Display, which the card's window no longer covers.
  card_.reset();
  shownPicture_ = kUnknownPicture;
  frameCounter_ = frame;
  return false;
}

void SaverWindow::ProcessorPass(std::int32_t degree) {
  Platform& p = program_.platform;
  bool changed = false;
  // A frame that the reset below covers at once is not drawn, and neither is
  // one whose offset Display already shows.
  if (frameCounter_ < degree) {
    const std::int32_t frame = frameCounter_;
    std::int32_t offset = kUnknownPicture;
    TrapErrors([&] { offset = OffsetOf(frame); });
    if (offset == kUnknownPicture || offset != shownPicture_) {
      shownPicture_ = kUnknownPicture;
      changed = true;
      TrapErrors([&] {
        if (effect_.GPX_Fragment(display_->hDC(), master_->hDC(), frame, &result_) == 1) shownPicture_ = offset;
      });
    }
  }
  TrapErrors([&] { ++frameCounter_; });
  if (frameCounter_ > degree) {
    if (shownPicture_ != kCleanCopy) {
      shownPicture_ = kUnknownPicture;
      changed = true;
      TrapErrors([&] {
        result_ = p.gdi32.BitBlt(display_->hDC(), 0, 0, RoundHalfEven<std::int32_t>(form_->ScaleWidth()),
                                 RoundHalfEven<std::int32_t>(form_->ScaleHeight()), master_->hDC(), 0, 0,
                                 kSrcCopy);
        if (result_ != 0) shownPicture_ = kCleanCopy;
      });
    }
    TrapErrors([&] { frameCounter_ = 0; });
  }
  if (changed)
    TrapErrors([&] { display_->Refresh(); });
  else
    TrapErrors([&] { display_->RefreshUnchanged(); });
}

template <class Body>
void SaverWindow::Untrapped(Body&& body) {
  try {
    body();
  } catch (const std::exception& error) {
    program_.platform.process.ErrorReport(ErrorReportText(error));
  }
}

void SaverWindow::Timer1_Timer() {
  Untrapped([&] { bgm_.Mp3Poll(); });
}

void SaverWindow::Timer2_Timer() {
  Untrapped([&] {
    bgm_.CdPoll();
    timer2_->SetEnabled(program_.state.player.cdPollOk);
  });
}

// A restart that fails is silent: the once-a-second poll still starts the file.
void SaverWindow::Form_MciNotify(std::uint32_t flags, std::uint32_t deviceId) {
  TrapErrors([&] { bgm_.Mp3Notify(flags, deviceId); });
}

void SaverWindow::Display_Click() { TrapErrors([&] { form_->Unload(); }); }

void SaverWindow::Form_KeyDown(std::int32_t, std::int32_t) { TrapErrors([&] { form_->Unload(); }); }

void SaverWindow::Form_QueryUnload(std::int32_t&, UnloadMode) {
  Platform& p = program_.platform;
  ProcessState& state = program_.state;
  // Music first; each statement is skipped on its own when it fails.
  if (timer2_->Enabled()) {
    TrapErrors([&] { timer2_->SetEnabled(false); });
    TrapErrors([&] { bgm_.CdClose(); });
  }
  if (state.settings.musicMode == MusicMode::SoundFile) {
    if (MusicFileEndsWith("WAV")) TrapErrors([&] { bgm_.WavStop(); });
    if (MusicFileEndsWith("MP3")) {
      TrapErrors([&] { timer1_->SetEnabled(false); });
      TrapErrors([&] { bgm_.Mp3Close(); });
    }
  }
  TrapErrors([&] {
    if (ModeLetter(p.process.CommandTail()) == "S")
      state.savedCursorValue = p.user32.ShowCursor(state.savedCursorValue.value_or(0));
  });
  TrapErrors([&] {
    if (card_) card_->ReleaseDevice();
  });
  p.process.EndProcess();
}

}  // namespace tolvarin
