#pragma once
// The fragment effect on Direct3D 11: a hardware device (never the software
// rasteriser Windows falls back to), the desktop copy uploaded once as an
// integer texture, and one full-window triangle per frame whose pixel shader
// repeats the effect library's arithmetic exactly. Direct3D is loaded by name
// from the system folder, so a system without it simply has no device here.
#include <d3d11.h>
#include <wrl/client.h>

#include <memory>
#include <string>

#include "base/raster.h"
#include "platform/win32/win32_api.h"

namespace tolvarin {

class D3dFragment {
 public:
  ~D3dFragment();
  D3dFragment(const D3dFragment&) = delete;
  D3dFragment& operator=(const D3dFragment&) = delete;

  // A device with the picture uploaded, or nullptr with the reason in `why`:
  // no Direct3D 11, no hardware adapter or only the basic render driver,
  // feature level below 10_0, the shaders refused, the picture too large.
  static std::unique_ptr<D3dFragment> Create(const Bitmap& picture, std::string& why);

  // Draws the picture's four ghosts `offset` pixels apart (0: the picture
  // itself) into `target`, a B8G8R8A8_UNORM view of width x height pixels.
  void Draw(ID3D11RenderTargetView* target, int width, int height, int offset);

  ID3D11Device* device() const { return device_.Get(); }
  ID3D11DeviceContext* context() const { return context_.Get(); }
  // Adapter and feature level, for the developer's log.
  const std::string& description() const { return description_; }

 private:
  D3dFragment() = default;

  HMODULE d3d11_ = nullptr;
  Microsoft::WRL::ComPtr<ID3D11Device> device_;
  Microsoft::WRL::ComPtr<ID3D11DeviceContext> context_;
  Microsoft::WRL::ComPtr<ID3D11VertexShader> vertexShader_;
  Microsoft::WRL::ComPtr<ID3D11PixelShader> pixelShader_;
  Microsoft::WRL::ComPtr<ID3D11ShaderResourceView> source_;
  Microsoft::WRL::ComPtr<ID3D11Buffer> constants_;
  int width_ = 0;
  int height_ = 0;
  int lastOffset_ = -1;
  std::string description_;
};

// Writes `line` to the debugger (OutputDebugString) and appends it to the file
// named by the environment variable TOLVARIN_RENDER_LOG, only when that
// variable is set: the one place that tells which path draws the frames.
void TellRenderPath(const std::string& line);

}  // namespace tolvarin
