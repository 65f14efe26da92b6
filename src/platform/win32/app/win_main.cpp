// The Windows program: builds the platform, runs the entry procedure, then
// lives in the message loop until its last window is gone.
#include <exception>

#include "base/errors.h"
#include "platform/platform.h"
#include "startup/entry.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_filesystem.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_pictures.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_user32.h"
#include "platform/win32/win32_windowing.h"
#include "platform/win32/win32_winmm.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  tolvarin::Win32User32 user32;
  tolvarin::Win32Gdi32 gdi32;
  tolvarin::Win32Winmm winmm;
  tolvarin::Win32Windowing windowing;
  tolvarin::Win32Process process;
  tolvarin::Win32FileSystem files;
  tolvarin::Win32Libraries libraries;
  tolvarin::win32::Win32Pictures pictures;
  tolvarin::Win32Shell shell;
  tolvarin::Platform platform{user32, gdi32, winmm, windowing, process, files, libraries, pictures, shell};
  tolvarin::Program program(platform);

  // The entry traps nothing: an error there is reported and ends the program.
  try {
    tolvarin::Main(program);
  } catch (const std::exception& error) {
    process.ErrorReport(tolvarin::ErrorReportText(error));
  } catch (...) {
    process.ErrorReport("Run-time error");
  }
  windowing.RunMessageLoop();
  return 0;
}
