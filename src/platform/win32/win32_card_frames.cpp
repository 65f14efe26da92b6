#include "platform/win32/win32_card_frames.h"

#include <dxgi1_2.h>

#include <cstdio>

#include "platform/win32/win32_windowing.h"

namespace tolvarin {

namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kCardClass[] = L"Tolvarin.Card";

LRESULT CALLBACK CardWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks belong to the picture surface below
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      // Where keys follow the pointer (X11 without a window manager), they
      // reach this window: they belong to the form it covers.
      PostMessageW(GetWindow(window, GW_OWNER), message, wParam, lParam);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      ValidateRect(window, nullptr);  // the swap chain covers the window
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

HWND CreateCardWindow(HINSTANCE instance, HWND parent, int width, int height) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, kCardClass, &existing)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = CardWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kCardClass;
    RegisterClassExW(&windowClass);
  }
  // A window of its own over the surface, owned by the form (so always above
  // it), never activated: swap chains in child windows are not shown by
  // every system (Wine draws them off screen).
  POINT origin{0, 0};
  ClientToScreen(parent, &origin);
  return CreateWindowExW(WS_EX_NOACTIVATE, kCardClass, L"", WS_POPUP, origin.x, origin.y, width, height,
                         GetAncestor(parent, GA_ROOT), nullptr, instance, nullptr);
}

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(hr));
  return text;
}

}  // namespace

std::unique_ptr<Win32CardFrames> Win32CardFrames::Open(Win32Windowing& windowing, HWND parent, int width,
                                                       int height, const Bitmap& picture, std::string& why) {
  if (!parent || width <= 0 || height <= 0) {
    why = "no window to draw in";
    return nullptr;
  }
  std::unique_ptr<Win32CardFrames> frames(new Win32CardFrames(windowing));
  frames->card_ = D3dFragment::Create(picture, why);
  if (!frames->card_) return nullptr;
  frames->width_ = width;
  frames->height_ = height;
  frames->window_ = CreateCardWindow(windowing.instance(), parent, width, height);
  if (!frames->window_) {
    why = "no window for the swap chain";
    return nullptr;
  }
  if (!frames->MakeSwapChain(why)) return nullptr;
  ShowWindow(frames->window_, SW_SHOWNOACTIVATE);
  if (HDC dc = GetDC(parent)) {
    frames->refreshRate_ = GetDeviceCaps(dc, VREFRESH);
    ReleaseDC(parent, dc);
  }
  return frames;
}

bool Win32CardFrames::MakeSwapChain(std::string& why) {
  ID3D11Device* device = card_->device();
  ComPtr<IDXGIDevice1> dxgiDevice;
  ComPtr<IDXGIAdapter> adapter;
  ComPtr<IDXGIFactory1> factory;
  HRESULT hr = device->QueryInterface(IID_PPV_ARGS(&dxgiDevice));
  if (SUCCEEDED(hr)) hr = dxgiDevice->GetAdapter(&adapter);
  if (SUCCEEDED(hr)) hr = adapter->GetParent(IID_PPV_ARGS(&factory));
  if (FAILED(hr)) {
    why = "no DXGI factory (" + Hex(hr) + ")";
    return false;
  }
  // The frame latency stays the system's: the event query below already
  // keeps at most one frame in flight, and a lower limit makes some drivers
  // (Wine's among them) spin inside Present until the card catches up.

  const char* model = nullptr;
  ComPtr<IDXGIFactory2> factory2;
  if (SUCCEEDED(factory.As(&factory2))) {
    DXGI_SWAP_CHAIN_DESC1 desc{};
    desc.Width = UINT(width_);
    desc.Height = UINT(height_);
    desc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    desc.SampleDesc.Count = 1;
    desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    desc.BufferCount = 2;
    desc.Scaling = DXGI_SCALING_STRETCH;
    desc.AlphaMode = DXGI_ALPHA_MODE_IGNORE;
    // Discard from Windows 10, sequential on Windows 8 and 8.1.
    const std::pair<DXGI_SWAP_EFFECT, const char*> effects[] = {
        {DXGI_SWAP_EFFECT_FLIP_DISCARD, "flip-discard"}, {DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL, "flip-sequential"}};
    for (const auto& [effect, name] : effects) {
      desc.SwapEffect = effect;
      ComPtr<IDXGISwapChain1> swapChain1;
      if (SUCCEEDED(factory2->CreateSwapChainForHwnd(device, window_, &desc, nullptr, nullptr, &swapChain1))) {
        swapChain_ = swapChain1;
        model = name;
        break;
      }
    }
  }
  if (!swapChain_) {
    // Windows 7: the older (bit-block transfer) model.
    DXGI_SWAP_CHAIN_DESC desc{};
    desc.BufferDesc.Width = UINT(width_);
    desc.BufferDesc.Height = UINT(height_);
    desc.BufferDesc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    desc.SampleDesc.Count = 1;
    desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    desc.BufferCount = 1;
    desc.OutputWindow = window_;
    desc.Windowed = TRUE;
    desc.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
    if (FAILED(hr = factory->CreateSwapChain(device, &desc, &swapChain_))) {
      why = "no swap chain (" + Hex(hr) + ")";
      return false;
    }
    model = "blt-discard";
  }
  // The saver's window is not to be made full-screen exclusive by Alt+Enter.
  factory->MakeWindowAssociation(window_, DXGI_MWA_NO_ALT_ENTER | DXGI_MWA_NO_WINDOW_CHANGES);
  ComPtr<ID3D11Texture2D> backBuffer;
  hr = swapChain_->GetBuffer(0, IID_PPV_ARGS(&backBuffer));
  if (SUCCEEDED(hr)) hr = device->CreateRenderTargetView(backBuffer.Get(), nullptr, &target_);
  if (FAILED(hr)) {
    why = "no render target (" + Hex(hr) + ")";
    return false;
  }
  // Without the query every frame is presented at once, as Present allows.
  D3D11_QUERY_DESC query{D3D11_QUERY_EVENT, 0};
  device->CreateQuery(&query, &lastFrameDone_);
  description_ = card_->description() + ", " + model + " swap chain " + std::to_string(width_) + "x" +
                 std::to_string(height_);
  return true;
}

Win32CardFrames::~Win32CardFrames() {
  ReleaseDevice();
  if (window_) DestroyWindow(window_);
}

void Win32CardFrames::ReleaseDevice() {
  lastFrameDone_.Reset();
  target_.Reset();
  swapChain_.Reset();
  card_.reset();
}

CardFrames::Outcome Win32CardFrames::Present(std::int32_t offset) {
  if (!card_ || !IsWindow(window_)) return Outcome::Failed;
  const auto wait = [this] { windowing_.pacer().WaitForPresent(refreshRate_, [this] { windowing_.DoEvents(); }); };
  // Asked without flushing and never waited on: a card still busy with the
  // last frame gets the next refresh, instead of a present that would block
  // (or, in some drivers, spin) until it is done.
  if (frameInFlight_) {
    const HRESULT done = card_->context()->GetData(lastFrameDone_.Get(), nullptr, 0, D3D11_ASYNC_GETDATA_DONOTFLUSH);
    if (done == S_FALSE) {
      wait();
      return Outcome::Busy;
    }
    frameInFlight_ = false;
  }
  card_->Draw(target_.Get(), width_, height_, offset);
  // Occluded and similar statuses are successes: only a failure gives up.
  HRESULT hr = swapChain_->Present(1, 0);
  if (SUCCEEDED(hr)) hr = card_->device()->GetDeviceRemovedReason();
  if (FAILED(hr)) {
    TellRenderPath("frames on the processor from now: the graphics card failed (" + Hex(hr) + ") after " +
                   std::to_string(frames_) + " frames");
    return Outcome::Failed;
  }
  ++frames_;
  if (lastFrameDone_) {
    card_->context()->End(lastFrameDone_.Get());
    frameInFlight_ = true;
  }
  wait();
  return Outcome::Shown;
}

}  // namespace tolvarin
