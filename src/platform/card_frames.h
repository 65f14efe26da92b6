#pragma once
// The saver's frames drawn by the graphics card: the desktop copy is held
// there once, and each frame is the copy's four ghosts at one offset, made by
// the card with exactly the effect library's arithmetic, then presented and
// paced like PictureSurface::Refresh. Where the card cannot draw, nothing of
// this exists and the saver draws on the processor.
#include <cstdint>

namespace tolvarin {

class CardFrames {
 public:
  virtual ~CardFrames() = default;

  enum class Outcome {
    Shown,   // drawn, presented, and the display's refresh waited for
    Busy,    // the card is still drawing the last frame: nothing drawn, one
             // refresh waited for; the same frame is to be asked for again
    Failed,  // the card failed (the device was lost, a call failed): the frame
             // was not shown, and the card is to be given up
  };
  // Draws the frame whose ghosts lie `offset` pixels apart (0: the clean copy)
  // over the surface, presents it and waits for the display like Refresh,
  // pumping messages meanwhile. A slow card never makes the caller spin or
  // block: the frame then waits for the next refresh.
  virtual Outcome Present(std::int32_t offset) = 0;
  // Lets the device go before the process ends (some drivers, Wine's among
  // them, crash when a process ends under a device still at work); the window
  // is left to the end of the process, which takes it quickest.
  virtual void ReleaseDevice() = 0;
};

}  // namespace tolvarin
