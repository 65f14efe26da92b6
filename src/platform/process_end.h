#pragma once
// Ending the process. On Windows the backend terminates at once; the simulated
// backend throws ProcessEnded, which the test harness catches. ProcessEnded is
// deliberately not a std::exception, so the per-step error trap lets it through.

namespace tolvarin {

struct ProcessEnded {
  int exitCode = 0;
  bool errorReported = false;
};

}  // namespace tolvarin
