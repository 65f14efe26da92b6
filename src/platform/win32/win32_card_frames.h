#pragma once
// The saver's frames on Direct3D 11, in a window of their own over the
// picture surface, owned by its form: a flip-model swap chain where the system
// has one (Windows 8 and later), the older model otherwise. The window lets
// the pointer through to the surface below and hands keys to the form; once
// the card is given up it is destroyed, and the surface's own picture (drawn
// on the processor) shows again.
#include <dxgi.h>

#include <memory>
#include <string>

#include "platform/card_frames.h"
#include "platform/win32/win32_d3d_fragment.h"

namespace tolvarin {

class Win32Windowing;

class Win32CardFrames final : public CardFrames {
 public:
  // Card frames over `parent` (a client area of width x height), or nullptr
  // with the reason in `why`.
  static std::unique_ptr<Win32CardFrames> Open(Win32Windowing& windowing, HWND parent, int width, int height,
                                               const Bitmap& picture, std::string& why);
  ~Win32CardFrames() override;

  Outcome Present(std::int32_t offset) override;
  void ReleaseDevice() override;
  const std::string& description() const { return description_; }

 private:
  Win32CardFrames(Win32Windowing& windowing) : windowing_(windowing) {}
  bool MakeSwapChain(std::string& why);

  Win32Windowing& windowing_;
  HWND window_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int refreshRate_ = 0;
  std::int64_t frames_ = 0;
  std::unique_ptr<D3dFragment> card_;
  Microsoft::WRL::ComPtr<IDXGISwapChain> swapChain_;
  Microsoft::WRL::ComPtr<ID3D11RenderTargetView> target_;
  // Signalled once the card has finished the last frame presented.
  Microsoft::WRL::ComPtr<ID3D11Query> lastFrameDone_;
  bool frameInFlight_ = false;
  std::string description_;
};

}  // namespace tolvarin
