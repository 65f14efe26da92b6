#pragma once
// The simulated library loader.
#include <map>
#include <string>
#include <vector>

#include "platform/libraries.h"

namespace tolvarin::sim {

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
