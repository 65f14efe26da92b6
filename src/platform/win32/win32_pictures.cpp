#include "platform/win32/win32_pictures.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>
#include <vector>

namespace tolvarin::win32 {
namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(std::size_t(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
  return wide;
}

// COM for the duration of one load; the picture loader asks for it (WIC).
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

template <class T>
struct Released {
  T* pointer = nullptr;
  ~Released() {
    if (pointer) pointer->Release();
  }
};

// The pixels of a device-dependent bitmap as a 32-bit top-down buffer.
std::optional<Bitmap> PixelsOf(HBITMAP handle) {
  BITMAP info{};
  if (GetObjectW(handle, sizeof info, &info) != sizeof info || info.bmWidth <= 0 || info.bmHeight <= 0)
    return std::nullopt;
  Bitmap picture(info.bmWidth, info.bmHeight);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = -info.bmHeight;  // top-down
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, handle, 0, UINT(info.bmHeight), picture.pixels.data(), &format,
                             DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != info.bmHeight) return std::nullopt;
  for (std::uint32_t& pixel : picture.pixels) pixel &= 0x00FFFFFFu;
  return picture;
}

}  // namespace

std::optional<Bitmap> Win32Pictures::DecodePicture(const void* bytes, std::size_t size) {
  if (bytes == nullptr || size == 0 || size > 0x7FFFFFFF) return std::nullopt;
  ComScope com;
  // The stream owns this copy and frees it when released.
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return std::nullopt;
  void* target = GlobalLock(memory);
  if (!target) {
    GlobalFree(memory);
    return std::nullopt;
  }
  std::memcpy(target, bytes, size);
  GlobalUnlock(memory);
  Released<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream.pointer))) {
    GlobalFree(memory);
    return std::nullopt;
  }
  Released<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.pointer, LONG(size), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(&picture.pointer))))
    return std::nullopt;
  SHORT type = PICTYPE_UNINITIALIZED;
  OLE_HANDLE handle = 0;
  if (FAILED(picture.pointer->get_Type(&type)) || type != PICTYPE_BITMAP ||
      FAILED(picture.pointer->get_Handle(&handle)))
    return std::nullopt;
  // The bitmap belongs to the picture object and goes with it.
  // Handles widen to 64 bits by sign extension.
  return PixelsOf(reinterpret_cast<HBITMAP>(static_cast<INT_PTR>(static_cast<INT>(handle))));
}

std::optional<Bitmap> Win32Pictures::LoadPictureResource(const std::string& name) {
  HMODULE module = module_ ? module_ : GetModuleHandleW(nullptr);
  const std::wstring wideName = Wide(name);
  HRSRC resource = FindResourceW(module, wideName.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!resource) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, resource);
  const DWORD size = SizeofResource(module, resource);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || size == 0) return std::nullopt;
  return DecodePicture(bytes, size);
}

}  // namespace tolvarin::win32
