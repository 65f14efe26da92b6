#include "saver/effect_library.h"

#include "base/errors.h"

namespace tolvarin {

namespace {
constexpr int kErrorFileNotFound = 53;
constexpr int kErrorNoEntryPoint = 453;
}  // namespace

void EffectLibrary::Bind() {
  bindTried_ = true;
  void* library = libraries_.LoadAppLibrary(libraries_.EffectLibraryFileName());
  libraryFound_ = library != nullptr;
  if (library)
    function_ = reinterpret_cast<GPX_FragmentFn>(libraries_.GetProcAddress(library, "GPX_Fragment"));
}

bool EffectLibrary::Available() {
  if (!bindTried_) Bind();
  return function_ != nullptr;
}

std::int32_t EffectLibrary::GPX_Fragment(Hdc destination, Hdc source, std::int32_t frame,
                                         std::int32_t* result) {
  if (!bindTried_) Bind();
  if (!libraryFound_) throw ProgramError(kErrorFileNotFound, "File not found: r_vold_graphics");
  if (!function_)
    throw ProgramError(kErrorNoEntryPoint, "Can't find DLL entry point GPX_Fragment in r_vold_graphics");
  return function_(reinterpret_cast<GPX_Handle>(destination), reinterpret_cast<GPX_Handle>(source),
                   frame, result);
}

}  // namespace tolvarin
