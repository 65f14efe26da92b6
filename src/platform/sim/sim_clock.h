#pragma once
// The simulated platform's virtual clock. Time only moves when the simulation
// moves it (a paced refresh, the message loop waiting for the next timer, or a test).
#include <cstdint>

namespace tolvarin::sim {

class SimClock {
 public:
  // Microseconds since the simulated process started.
  std::int64_t Now() const { return now_; }
  void Advance(std::int64_t microseconds) {
    if (microseconds > 0) now_ += microseconds;
  }
  void AdvanceTo(std::int64_t microseconds) {
    if (microseconds > now_) now_ = microseconds;
  }

 private:
  std::int64_t now_ = 0;
};

}  // namespace tolvarin::sim
