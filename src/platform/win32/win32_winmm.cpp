#include "platform/win32/win32_winmm.h"

#include "platform/win32/win32_api.h"

#include <mmsystem.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "base/cp932.h"

namespace tolvarin {

namespace {

constexpr UINT kCodePage932 = 932;

std::wstring Cp932ToWide(const char* text) {
  if (text == nullptr || *text == '\0') return {};
  const int length = MultiByteToWideChar(kCodePage932, 0, text, -1, nullptr, 0);
  if (length <= 1) return {};
  std::wstring wide(std::size_t(length), L'\0');
  MultiByteToWideChar(kCodePage932, 0, text, -1, wide.data(), length);
  wide.resize(std::size_t(length) - 1);  // the NUL
  return wide;
}

// Puts the NUL-terminated `wide` into `out` in code page 932: at most
// `length` - 1 bytes of whole characters, then a NUL.
void WideToCp932Buffer(const wchar_t* wide, char* out, std::uint32_t length) {
  std::string narrow;
  const int size = WideCharToMultiByte(kCodePage932, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size > 1) {
    narrow.assign(std::size_t(size), '\0');
    WideCharToMultiByte(kCodePage932, 0, wide, -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(std::size_t(size) - 1);
  }
  std::size_t end = 0;
  while (end < narrow.size()) {
    const std::size_t next = end + Cp932CharLength(narrow, end);
    if (next + 1 > length) break;
    end = next;
  }
  std::memcpy(out, narrow.data(), end);
  out[end] = '\0';
}

}  // namespace

std::uint32_t Win32Winmm::mciSendStringA(const char* command, char* returnString, std::uint32_t returnLength,
                                         Hwnd callback) {
  const std::wstring wide = Cp932ToWide(command);
  if (returnString == nullptr || returnLength == 0)
    return ::mciSendStringW(wide.c_str(), nullptr, 0, ToHwnd(callback));
  // A code page 932 reply of n bytes never has more than n UTF-16 units.
  const UINT units = returnLength > UINT_MAX / 2 ? UINT_MAX / 2 : UINT(returnLength);
  std::vector<wchar_t> reply(units, L'\0');
  const MCIERROR result = ::mciSendStringW(wide.c_str(), reply.data(), units, ToHwnd(callback));
  reply.back() = L'\0';
  WideToCp932Buffer(reply.data(), returnString, returnLength);
  return result;
}

std::int32_t Win32Winmm::mciGetErrorStringA(std::uint32_t code, char* text, std::uint32_t length) {
  if (text == nullptr || length == 0) return 0;
  const UINT units = length > UINT_MAX / 2 ? UINT_MAX / 2 : UINT(length);
  std::vector<wchar_t> wide(units, L'\0');
  if (!::mciGetErrorStringW(code, wide.data(), units)) return 0;
  wide.back() = L'\0';
  WideToCp932Buffer(wide.data(), text, length);
  return 1;
}

std::int32_t Win32Winmm::PlaySoundA(const char* sound, std::intptr_t module, std::uint32_t flags) {
  const HMODULE handle = reinterpret_cast<HMODULE>(module);
  if (sound == nullptr) return ::PlaySoundW(nullptr, handle, flags);
  // PlaySound keeps its own copy of the name for a sound played in the background.
  const std::wstring wide = Cp932ToWide(sound);
  return ::PlaySoundW(wide.c_str(), handle, flags);
}

std::uint32_t Win32Winmm::waveOutGetNumDevs() { return ::waveOutGetNumDevs(); }

}  // namespace tolvarin
