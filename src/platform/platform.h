#pragma once
// Everything the program asks of the platform, in one place. The program
// folders reach the operating system only through these interfaces.
#include "platform/filesystem.h"
#include "platform/libraries.h"
#include "platform/pictures.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/user32.h"
#include "platform/windowing.h"
#include "platform/winmm.h"

namespace tolvarin {

struct Platform {
  User32& user32;
  Gdi32& gdi32;
  Winmm& winmm;
  Windowing& windowing;
  Process& process;
  FileSystem& files;
  Libraries& libraries;
  Pictures& pictures;
  Shell& shell;
};

}  // namespace tolvarin
