#pragma once
// The effect function GPX_Fragment of the separate library r_vold_graphics,
// bound by name on its first call.
#include <cstdint>

#include "platform/libraries.h"
#include "platform/types.h"
#include "r_vold_graphics.h"

namespace tolvarin {

class EffectLibrary {
 public:
  explicit EffectLibrary(Libraries& libraries) : libraries_(libraries) {}

  // Draws one effect frame. A missing library or function raises an error
  // on every call (the caller traps it); the library is looked for only once.
  std::int32_t GPX_Fragment(Hdc destination, Hdc source, std::int32_t frame, std::int32_t* result);
  // Whether the library and its function are there (binding them if not yet tried).
  bool Available();

 private:
  void Bind();

  Libraries& libraries_;
  bool bindTried_ = false;
  bool libraryFound_ = false;
  GPX_FragmentFn function_ = nullptr;
};

}  // namespace tolvarin
