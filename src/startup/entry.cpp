#include "base/errors.h"
#include "dialog/settings_dialog.h"
#include "saver/saver_window.h"
#include "settings/settings.h"
#include "startup/preview_window.h"
#include "startup/entry.h"
#include "state/command_line.h"
#include "state/window_names.h"

namespace tolvarin {

Program::Program(Platform& p) : platform(p) {}

Program::~Program() = default;

void Main(Program& program) {
  Platform& p = program.platform;

  // One saver window or settings dialog at a time; both searches always run.
  const Hwnd saverWindow = p.user32.FindWindowA(kSaverWindowTitle);
  const Hwnd settingsDialog = p.user32.FindWindowA(kDialogCaption);
  if (saverWindow != 0 || settingsDialog != 0) p.process.EndProcess();

  // Preview mode reads no settings.
  const std::string mode = ModeLetter(p.process.CommandTail());
  if (mode == "P") {
    PreviewStartup(program);
    return;
  }

  LoadSettings(p, program.state.settings);

  // The settings dialog, modal and without an owner; the run ends when it
  // has closed. Anything after the letter (/c:1234) is ignored.
  if (mode == "C") {
    program.settingsDialog = std::make_unique<SettingsDialog>(program);
    program.settingsDialog->ShowModal();
    p.process.EndProcess();
  }

  // Any other letter, or a one-character tail, ends the run without a window.
  if (mode != "S" && !p.process.CommandTail().empty()) p.process.EndProcess();

  // The saver hides the cursor; an empty tail leaves it visible.
  if (mode == "S") program.state.savedCursorValue = p.user32.ShowCursor(0);

  program.saverWindow = std::make_unique<SaverWindow>(program);
  program.saverWindow->Load();
}

}  // namespace tolvarin
