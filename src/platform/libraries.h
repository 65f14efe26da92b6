#pragma once
// Binding a function of a separate library by name at run time.
#include <string>

namespace tolvarin {

class Libraries {
 public:
  virtual ~Libraries() = default;
  // Loads `fileName` (with its extension) from the program's own folder only,
  // never from the current folder or the search path. nullptr when missing.
  virtual void* LoadAppLibrary(const std::string& fileName) = 0;
  // nullptr when the library has no such function.
  virtual void* GetProcAddress(void* library, const std::string& name) = 0;
  // The platform's file name of the effect library.
  virtual std::string EffectLibraryFileName() = 0;
};

}  // namespace tolvarin
