#include "platform/win32/win32_d3d_fragment.h"

#include <dxgi.h>

#include <cstdio>
#include <cstring>

#include "platform/win32/win32_frame_pacer.h"
#include "platform/win32/win32_fragment_shaders.inc"

namespace tolvarin {

namespace {

using Microsoft::WRL::ComPtr;

// The software adapter Windows offers when no driver is installed ("Microsoft
// Basic Render Driver", also WARP): slower than the processor path.
constexpr UINT kMicrosoftVendor = 0x1414;
constexpr UINT kBasicRenderDevice = 0x8c;

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(hr));
  return text;
}

std::string Narrow(const wchar_t* text) {
  std::string out;
  for (; *text; ++text) out += *text < 0x80 ? char(*text) : '?';
  return out;
}

const char* LevelName(D3D_FEATURE_LEVEL level) {
  switch (level) {
    case D3D_FEATURE_LEVEL_11_0: return "11_0";
    case D3D_FEATURE_LEVEL_10_1: return "10_1";
    case D3D_FEATURE_LEVEL_10_0: return "10_0";
    default: return "other";
  }
}

struct FrameConstants {
  std::int32_t offset, lastX, lastY, unused;
};

}  // namespace

D3dFragment::~D3dFragment() {
  if (context_) context_->ClearState();
  source_.Reset();
  constants_.Reset();
  pixelShader_.Reset();
  vertexShader_.Reset();
  context_.Reset();
  device_.Reset();
  if (d3d11_) FreeLibrary(d3d11_);
}

std::unique_ptr<D3dFragment> D3dFragment::Create(const Bitmap& picture, std::string& why) {
  std::unique_ptr<D3dFragment> card(new D3dFragment);
  card->d3d11_ = LoadSystemLibrary(L"d3d11.dll");
  auto create = card->d3d11_ ? reinterpret_cast<PFN_D3D11_CREATE_DEVICE>(reinterpret_cast<void*>(
                                   GetProcAddress(card->d3d11_, "D3D11CreateDevice")))
                             : nullptr;
  if (!create) {
    why = "no Direct3D 11";
    return nullptr;
  }
  // 11_1 is left out: Windows 7 refuses a list that names it.
  const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1, D3D_FEATURE_LEVEL_10_0};
  D3D_FEATURE_LEVEL level{};
  HRESULT hr = create(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, D3D11_CREATE_DEVICE_SINGLETHREADED, levels,
                      UINT(std::size(levels)), D3D11_SDK_VERSION, &card->device_, &level, &card->context_);
  if (FAILED(hr) || !card->device_ || !card->context_) {
    why = "no hardware Direct3D 11 device at feature level 10_0 or above (" + Hex(hr) + ")";
    return nullptr;
  }
  if (level < D3D_FEATURE_LEVEL_10_0) {
    why = "feature level below 10_0";
    return nullptr;
  }

  ComPtr<IDXGIDevice> dxgiDevice;
  ComPtr<IDXGIAdapter> adapter;
  DXGI_ADAPTER_DESC adapterDesc{};
  if (FAILED(card->device_.As(&dxgiDevice)) || FAILED(dxgiDevice->GetAdapter(&adapter)) ||
      FAILED(adapter->GetDesc(&adapterDesc))) {
    why = "the adapter cannot be described";
    return nullptr;
  }
  ComPtr<IDXGIAdapter1> adapter1;
  DXGI_ADAPTER_DESC1 adapterDesc1{};
  const bool software = SUCCEEDED(adapter.As(&adapter1)) && SUCCEEDED(adapter1->GetDesc1(&adapterDesc1)) &&
                        (adapterDesc1.Flags & DXGI_ADAPTER_FLAG_SOFTWARE);
  if (software || (adapterDesc.VendorId == kMicrosoftVendor && adapterDesc.DeviceId == kBasicRenderDevice)) {
    why = "only the basic render driver (" + Narrow(adapterDesc.Description) + ")";
    return nullptr;
  }

  hr = card->device_->CreateVertexShader(kFullWindowVertexShader, sizeof kFullWindowVertexShader, nullptr,
                                         &card->vertexShader_);
  if (SUCCEEDED(hr))
    hr = card->device_->CreatePixelShader(kFragmentPixelShader, sizeof kFragmentPixelShader, nullptr,
                                          &card->pixelShader_);
  if (FAILED(hr)) {
    why = "the shaders were refused (" + Hex(hr) + ")";
    return nullptr;
  }

  // The bitmap's bytes B, G, R, X are the format's own order.
  if (picture.empty()) {
    why = "no picture";
    return nullptr;
  }
  D3D11_TEXTURE2D_DESC textureDesc{};
  textureDesc.Width = UINT(picture.width);
  textureDesc.Height = UINT(picture.height);
  textureDesc.MipLevels = 1;
  textureDesc.ArraySize = 1;
  textureDesc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
  textureDesc.SampleDesc.Count = 1;
  textureDesc.Usage = D3D11_USAGE_IMMUTABLE;
  textureDesc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
  D3D11_SUBRESOURCE_DATA initial{picture.pixels.data(), UINT(picture.width) * 4u, 0};
  ComPtr<ID3D11Texture2D> texture;
  hr = card->device_->CreateTexture2D(&textureDesc, &initial, &texture);
  if (SUCCEEDED(hr)) hr = card->device_->CreateShaderResourceView(texture.Get(), nullptr, &card->source_);
  if (FAILED(hr)) {
    why = "the picture cannot be uploaded (" + Hex(hr) + ", " + std::to_string(picture.width) + "x" +
          std::to_string(picture.height) + ")";
    return nullptr;
  }
  D3D11_BUFFER_DESC bufferDesc{};
  bufferDesc.ByteWidth = sizeof(FrameConstants);
  bufferDesc.Usage = D3D11_USAGE_DEFAULT;
  bufferDesc.BindFlags = D3D11_BIND_CONSTANT_BUFFER;
  if (FAILED(hr = card->device_->CreateBuffer(&bufferDesc, nullptr, &card->constants_))) {
    why = "no constant buffer (" + Hex(hr) + ")";
    return nullptr;
  }
  card->width_ = picture.width;
  card->height_ = picture.height;
  char vendor[40];
  std::snprintf(vendor, sizeof vendor, "%04x:%04x", adapterDesc.VendorId, adapterDesc.DeviceId);
  card->description_ = Narrow(adapterDesc.Description) + " [" + vendor + "], feature level " + LevelName(level);
  return card;
}

void D3dFragment::Draw(ID3D11RenderTargetView* target, int width, int height, int offset) {
  if (offset != lastOffset_) {
    const FrameConstants constants{offset, width_ - 1, height_ - 1, 0};
    context_->UpdateSubresource(constants_.Get(), 0, nullptr, &constants, 0, 0);
    lastOffset_ = offset;
  }
  // Everything is set again each frame: a flip-model present unbinds the target.
  const D3D11_VIEWPORT viewport{0, 0, float(width), float(height), 0, 1};
  context_->OMSetRenderTargets(1, &target, nullptr);
  context_->RSSetViewports(1, &viewport);
  context_->IASetInputLayout(nullptr);
  context_->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  context_->VSSetShader(vertexShader_.Get(), nullptr, 0);
  context_->PSSetShader(pixelShader_.Get(), nullptr, 0);
  ID3D11ShaderResourceView* source = source_.Get();
  context_->PSSetShaderResources(0, 1, &source);
  ID3D11Buffer* constants = constants_.Get();
  context_->PSSetConstantBuffers(0, 1, &constants);
  context_->Draw(3, 0);
}

void TellRenderPath(const std::string& line) {
  char path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("TOLVARIN_RENDER_LOG", path, MAX_PATH);
  if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return;
  const std::string text = "Tolvarin: " + line + "\n";
  OutputDebugStringA(text.c_str());
  if (length > 0 && length < MAX_PATH && std::strcmp(path, "1") != 0) {
    if (FILE* file = std::fopen(path, "a")) {
      std::fputs(text.c_str(), file);
      std::fclose(file);
    }
  }
}

}  // namespace tolvarin
