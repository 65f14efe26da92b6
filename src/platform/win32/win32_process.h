#pragma once
// The process on Windows: command line, program folder, and its end.
#include <string>
#include <string_view>

#include "platform/process.h"

namespace tolvarin {

class Win32Process final : public Process {
 public:
  std::string CommandTail() override;
  std::string AppFolder() override;
  [[noreturn]] void EndProcess() override;
  [[noreturn]] void ErrorReport(const std::string& message) override;
};

// The arguments of a full command line: the program name (quoted or not) and
// the blanks after it are skipped.
std::wstring_view CommandTailOf(std::wstring_view commandLine);

// The folder part of a module path, without a trailing "\" except at a drive root.
std::wstring FolderOfModulePath(std::wstring_view modulePath);

// The full path of the running program, however long.
std::wstring ModulePath();

// A message box naming the error, then the end of the process with exit code 1.
// Also used by the windowing layer for errors that escape an event handler.
[[noreturn]] void ReportErrorAndExit(const std::string& message);

}  // namespace tolvarin
