#pragma once
// The simulated process: command line, folder, ending.
#include <optional>
#include <string>

#include "platform/process.h"
#include "platform/process_end.h"

namespace tolvarin::sim {

class SimProcess final : public Process {
 public:
  std::string CommandTail() override { return commandTail; }
  std::string AppFolder() override { return appFolder; }
  [[noreturn]] void EndProcess() override { throw ProcessEnded{0, false}; }
  [[noreturn]] void ErrorReport(const std::string& message) override {
    errorReport = message;
    throw ProcessEnded{1, true};
  }

  std::string commandTail = "/s";
  std::string appFolder = "C:\\Program Files\\Tolvarin";
  std::optional<std::string> errorReport;
};

}  // namespace tolvarin::sim
