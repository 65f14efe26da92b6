#pragma once
// The process itself: its command line, where it lives, and how it ends.
#include <string>

namespace tolvarin {

class Process {
 public:
  virtual ~Process() = default;

  // The argument text of the command line: everything after the program's
  // own name and the blanks that follow it. Read afresh on every call.
  virtual std::string CommandTail() = 0;
  // Folder holding the program file, without a trailing "\" (except a drive root).
  virtual std::string AppFolder() = 0;
  // Terminates the process at once: no handler runs afterwards.
  [[noreturn]] virtual void EndProcess() = 0;
  // Shows a message box naming the error, then ends the process.
  [[noreturn]] virtual void ErrorReport(const std::string& message) = 0;
};

}  // namespace tolvarin
