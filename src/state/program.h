#pragma once
// The program object: the platform it runs on, its process-wide state, and
// the one window each mode opens.
#include <memory>

#include "platform/platform.h"
#include "state/process_state.h"

namespace tolvarin {

class SaverWindow;
class PreviewWindow;
class SettingsDialog;

struct Program {
  explicit Program(Platform& platform);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  Platform& platform;
  ProcessState state;
  std::unique_ptr<SaverWindow> saverWindow;
  std::unique_ptr<PreviewWindow> previewWindow;
  std::unique_ptr<SettingsDialog> settingsDialog;
};

}  // namespace tolvarin
