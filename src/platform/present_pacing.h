#pragma once
// When the next frame may be presented. The compositor's flush normally waits
// until the display has shown a frame, but it returns at once while the
// display is off or disconnected and under some remote sessions, and blocks
// for a long time with some drivers. Every present is therefore timed: a
// flush that failed or came back well before one refresh interval has the
// rest of the interval waited out on a timer, and a flush that keeps blocking
// for many intervals is given up for the timer alone. Times in microseconds.
#include <algorithm>
#include <cstdint>

namespace tolvarin {

class PresentPacing {
 public:
  // Flushes that each block this many refresh intervals in a row...
  static constexpr std::int64_t kSlowFlushIntervals = 6;
  // ...this many times stop the flush from being used again.
  static constexpr int kSlowFlushesToGiveUp = 3;

  // Whether the next present should wait on the compositor's flush.
  bool UseFlush() const { return !flushGivenUp_; }

  // After a present whose flush (if any) ran from `flushStart` to `now`;
  // `flushed` when a flush ran and succeeded. Returns the time the caller
  // must wait until before the next frame (`now` when there is no wait).
  std::int64_t After(bool flushed, std::int64_t flushStart, std::int64_t now, std::int64_t interval) {
    if (flushed) {
      slowFlushes_ = now - flushStart >= kSlowFlushIntervals * interval ? slowFlushes_ + 1 : 0;
      if (slowFlushes_ >= kSlowFlushesToGiveUp) flushGivenUp_ = true;
    }
    std::int64_t due = now;
    if (havePresent_) {
      // A flush that waited for most of an interval has met the display.
      const bool flushWaited = flushed && now - lastPresent_ >= interval * 3 / 4;
      if (!flushWaited) due = std::max(lastPresent_ + interval, now);
    }
    havePresent_ = true;
    lastPresent_ = due;
    return due;
  }

 private:
  bool havePresent_ = false;
  std::int64_t lastPresent_ = 0;
  int slowFlushes_ = 0;
  bool flushGivenUp_ = false;
};

}  // namespace tolvarin
