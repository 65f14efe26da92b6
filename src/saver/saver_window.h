#pragma once
// Tolvarin_S: the full-screen saver window, its start-up, the effect loop and
// every way a run ends.
#include <cstdint>
#include <memory>

#include "music/bgm.h"
#include "platform/card_frames.h"
#include "platform/windowing.h"
#include "saver/effect_library.h"

namespace tolvarin {

struct Program;

class SaverWindow {
 public:
  explicit SaverWindow(Program& program);
  ~SaverWindow();

  // Loads the window: creates it with its controls, then runs Form_Load.
  void Load();

  void Form_Load();
  // Timer3, 1 ms after the load: the loop start. Switches itself off and runs
  // the effect loop, which returns only when the run ends.
  void Timer3_Timer();
  // Timer1, every 1000 ms while MP3 music plays: the MP3 poll.
  void Timer1_Timer();
  // Timer2, every 200 ms while the audio CD plays: the CD poll; switches
  // itself off after the first poll that meets a device error.
  void Timer2_Timer();
  void Display_Click();
  // MM_MCINOTIFY: a multimedia device finished a command sent with "notify".
  void Form_MciNotify(std::uint32_t flags, std::uint32_t deviceId);
  void Form_KeyDown(std::int32_t keyCode, std::int32_t shift);
  void Form_QueryUnload(std::int32_t& cancel, UnloadMode mode);

  Form& form() { return *form_; }
  PictureSurface& Display() { return *display_; }
  PictureSurface& Master() { return *master_; }
  Timer& Timer1() { return *timer1_; }
  Timer& Timer2() { return *timer2_; }
  Timer& Timer3() { return *timer3_; }
  std::int32_t frameCounter() const { return frameCounter_; }
  std::int32_t result() const { return result_; }

 private:
  bool MusicFileEndsWith(const char* ending) const;
  // One pass of the effect loop on the graphics card; false when the card
  // failed and nothing was shown (the pass is then drawn on the processor).
  bool CardPass(std::int32_t degree);
  void ProcessorPass(std::int32_t degree);
  // Ghost offset of a frame on the desktop copy, as the effect library draws it.
  std::int32_t OffsetOf(std::int32_t frame);
  // Handlers that trap nothing: an error ends the run with the error report.
  template <class Body>
  void Untrapped(Body&& body);

  Program& program_;
  EffectLibrary effect_;
  Bgm bgm_;
  std::unique_ptr<Form> form_;
  PictureSurface* display_ = nullptr;
  PictureSurface* master_ = nullptr;
  Timer* timer3_ = nullptr;  // effect-loop start
  Timer* timer2_ = nullptr;  // CD poll
  Timer* timer1_ = nullptr;  // MP3 poll
  // Window variables.
  std::int32_t frameCounter_ = 0;
  std::int32_t result_ = 0;
  // The graphics card's frames, while it draws them.
  std::unique_ptr<CardFrames> card_;
  // What Display holds: the offset of the effect frame drawn there, the clean
  // copy (offset 0), or unknown. A frame depends only on its offset, so a
  // frame with the offset already shown is neither drawn nor presented again.
  static constexpr std::int32_t kCleanCopy = 0;
  static constexpr std::int32_t kUnknownPicture = -1;
  std::int32_t shownPicture_ = kUnknownPicture;
};

}  // namespace tolvarin
