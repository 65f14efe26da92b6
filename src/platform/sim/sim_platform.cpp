#include "platform/sim/sim_platform.h"

namespace tolvarin::sim {

SimPlatform::SimPlatform(const SimOptions& options)
    : desktop(options.screenWidth, options.screenHeight),
      windowing(clock, desktop, options.twipsPerPixel, options.twipsPerPixel),
      winmm(clock, [this](Hwnd window, std::uint32_t flags, std::uint32_t deviceId, std::int64_t at) {
        windowing.PostMciNotify(window, flags, deviceId, at);
      }),
      shell(windowing),
      platform_{desktop, desktop, winmm, windowing, process, files, libraries, pictures, shell} {
  for (const RectL& monitor : options.monitors) desktop.AddMonitor(monitor);
  process.commandTail = options.commandTail;
  process.appFolder = options.appFolder;
  files.AddFolder(options.appFolder);
}

Hwnd SimPlatform::AddForeignWindow(const std::string& title, const RectL& rect) {
  const Hwnd hwnd = desktop.CreateWindowEntry(title, rect, nullptr);
  desktop.Find(hwnd)->visible = true;
  return hwnd;
}

}  // namespace tolvarin::sim
