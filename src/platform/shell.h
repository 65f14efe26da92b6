#pragma once
// The common file dialog, the shell and the message box, named after the
// Win32 calls they stand for. Texts are UTF-8 inside the program; the
// backend converts them to and from the wide-character calls, so they do not
// depend on the system's ANSI code page.
#include <cstdint>
#include <string>

#include "platform/types.h"

namespace tolvarin {

// The file-open record. Text fields are held whole (the filter list keeps its
// NULs); the backend makes the platform's buffers from them.
struct OpenFileNameRecord {
  std::uint32_t lStructSize = 0;
  Hwnd hwndOwner = 0;
  std::intptr_t hInstance = 0;
  std::string lpstrFilter;      // description NUL pattern NUL ... NUL
  std::string lpstrFile;        // in: the buffer's start text; out: the chosen path
  std::uint32_t nMaxFile = 0;
  std::string lpstrFileTitle;   // out: the chosen file's name
  std::uint32_t nMaxFileTitle = 0;
  std::string lpstrInitialDir;
  std::string lpstrTitle;
  std::uint32_t Flags = 0;
};

inline constexpr std::int32_t kSwShowNormal = 1;
inline constexpr std::uint32_t kMbOk = 0x0;
inline constexpr std::uint32_t kMbIconExclamation = 0x30;
// CoInitializeEx flags: a single-threaded apartment, without OLE 1.0's DDE.
inline constexpr std::uint32_t kCoinitApartmentThreaded = 0x2;
inline constexpr std::uint32_t kCoinitDisableOle1Dde = 0x4;

class Shell {
 public:
  virtual ~Shell() = default;
  // The program's instance handle.
  virtual std::intptr_t InstanceHandle() = 0;
  // OPENFILENAME_SIZE_VERSION_400 of the running build: the record size the
  // common dialog accepts (it differs between 32-bit and 64-bit builds).
  virtual std::uint32_t OpenFileNameSize() = 0;
  // Nonzero when the user confirmed a file; then lpstrFile holds its path.
  virtual std::int32_t GetOpenFileNameW(OpenFileNameRecord& record) = 0;
  // Greater than 32 on success.
  virtual std::intptr_t ShellExecuteW(Hwnd window, const std::string& operation, const std::string& file,
                                      const std::string& parameters, const std::string& folder,
                                      std::int32_t show) = 0;
  virtual std::int32_t MessageBoxW(Hwnd owner, const std::string& text, const std::string& caption,
                                   std::uint32_t flags) = 0;
  // COM on the calling thread, which the shell's calls need. CoInitializeEx
  // returns an HRESULT: 0 or 1 (already initialised) must each be balanced by
  // one CoUninitialize; a negative one (another apartment kind) must not.
  virtual std::int32_t CoInitializeEx(std::uint32_t flags) = 0;
  virtual void CoUninitialize() = 0;
};

}  // namespace tolvarin
