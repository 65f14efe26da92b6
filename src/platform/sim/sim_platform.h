#pragma once
// A complete, deterministic platform in memory, for tests and benchmarks.
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_libraries.h"
#include "platform/sim/sim_filesystem.h"
#include "platform/sim/sim_pictures.h"
#include "platform/sim/sim_process.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_windowing.h"
#include "platform/sim/sim_winmm.h"

namespace tolvarin::sim {

struct SimOptions {
  std::int32_t screenWidth = 1024;
  std::int32_t screenHeight = 768;
  double twipsPerPixel = 15;  // 96 dots per inch
  std::vector<RectL> monitors;  // beside the primary screen, in screen pixels
  std::string commandTail = "/s";
  std::string appFolder = "C:\\Program Files\\Tolvarin";
};

class SimPlatform {
 public:
  explicit SimPlatform(const SimOptions& options = {});
  SimPlatform(const SimPlatform&) = delete;
  SimPlatform& operator=(const SimPlatform&) = delete;

  Platform& platform() { return platform_; }

  // A window of another program, visible on the desktop.
  Hwnd AddForeignWindow(const std::string& title, const RectL& rect);
  // Destroys a foreign window and, with it, every child window (as the platform does).
  void DestroyForeignWindow(Hwnd window) { windowing.DestroyForeignWindow(window); }

  SimClock clock;
  SimDesktop desktop;
  SimWindowing windowing;
  SimProcess process;
  SimLibraries libraries;
  SimFileSystem files;
  SimWinmm winmm;
  SimPictures pictures;
  SimShell shell;

 private:
  Platform platform_;
};

}  // namespace tolvarin::sim
