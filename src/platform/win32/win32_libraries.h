#pragma once
// Binding the effect library at run time, from the program's own folder only.
#include "platform/libraries.h"

namespace tolvarin {

class Win32Libraries final : public Libraries {
 public:
  void* LoadAppLibrary(const std::string& fileName) override;
  void* GetProcAddress(void* library, const std::string& name) override;
  std::string EffectLibraryFileName() override;
};

}  // namespace tolvarin
