#pragma once
// The simulated process (command line, folder, ending) and library loader.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/libraries.h"
#include "platform/process.h"
#include "platform/process_end.h"

namespace tolvarin::sim {

class SimProcess final : public Process {
 public:
  std::string CommandTail() override {
    ++commandTailReads;
    return commandTail;
  }
  std::string AppFolder() override { return appFolder; }
  [[noreturn]] void EndProcess() override { throw ProcessEnded{0, false}; }
  [[noreturn]] void ErrorReport(const std::string& message) override {
    errorReport = message;
    throw ProcessEnded{1, true};
  }

  std::string commandTail = "/s";
  std::string appFolder = "C:\\Program Files\\Tolvarin";
  std::optional<std::string> errorReport;
  int commandTailReads = 0;
};

// Libraries "present in the program's folder" are the ones registered here,
// each with the functions it exports.
class SimLibraries final : public Libraries {
 public:
  void* LoadAppLibrary(const std::string& fileName) override;
  void* GetProcAddress(void* library, const std::string& name) override;
  std::string EffectLibraryFileName() override { return "r_vold_graphics.dll"; }

  void Install(const std::string& fileName, std::map<std::string, void*> exports);
  void Remove(const std::string& fileName) { libraries_.erase(fileName); }

  std::vector<std::string> loads;    // every LoadAppLibrary request
  std::vector<std::string> lookups;  // every GetProcAddress request

 private:
  std::map<std::string, std::map<std::string, void*>> libraries_;
};

}  // namespace tolvarin::sim
