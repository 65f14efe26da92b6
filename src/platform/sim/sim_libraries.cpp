#include "platform/sim/sim_libraries.h"

namespace tolvarin::sim {

void SimLibraries::Install(const std::string& fileName, std::map<std::string, void*> exports) {
  libraries_[fileName] = std::move(exports);
}

void* SimLibraries::LoadAppLibrary(const std::string& fileName) {
  loads.push_back(fileName);
  auto it = libraries_.find(fileName);
  return it == libraries_.end() ? nullptr : &it->second;
}

void* SimLibraries::GetProcAddress(void* library, const std::string& name) {
  lookups.push_back(name);
  if (!library) return nullptr;
  auto& exports = *static_cast<std::map<std::string, void*>*>(library);
  auto it = exports.find(name);
  return it == exports.end() ? nullptr : it->second;
}

}  // namespace tolvarin::sim
