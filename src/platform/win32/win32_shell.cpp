#include "platform/win32/win32_shell.h"

#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"

#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>

namespace tolvarin {

namespace {

// A buffer of `size` characters holding `text` (cut to fit, NUL-terminated).
std::vector<wchar_t> Buffer(const std::string& text, std::uint32_t size) {
  std::vector<wchar_t> buffer(std::size_t(size) + 1, L'\0');
  std::wstring wide = Utf8ToWide(text.substr(0, text.find('\0')));
  if (size > 0) wide.resize(std::min<std::size_t>(wide.size(), size - 1));
  std::copy(wide.begin(), wide.end(), buffer.begin());
  return buffer;
}

std::string UpToNul(const std::vector<wchar_t>& buffer) {
  std::size_t length = 0;
  while (length < buffer.size() && buffer[length] != L'\0') ++length;
  return WideToUtf8(std::wstring_view(buffer.data(), length));
}

}  // namespace

std::intptr_t Win32Shell::InstanceHandle() { return reinterpret_cast<std::intptr_t>(GetModuleHandleW(nullptr)); }

std::uint32_t Win32Shell::OpenFileNameSize() { return OPENFILENAME_SIZE_VERSION_400W; }

std::int32_t Win32Shell::GetOpenFileNameW(OpenFileNameRecord& record) {
  // The filter list keeps its NULs: converted whole.
  const std::wstring filter = Utf8ToWide(record.lpstrFilter);
  std::vector<wchar_t> file = Buffer(record.lpstrFile, record.nMaxFile);
  std::vector<wchar_t> title = Buffer(record.lpstrFileTitle, record.nMaxFileTitle);
  const std::wstring initialDir = Utf8ToWide(record.lpstrInitialDir);
  const std::wstring dialogTitle = Utf8ToWide(record.lpstrTitle);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = record.lStructSize;
  dialog.hwndOwner = ToHwnd(record.hwndOwner);
  dialog.hInstance = reinterpret_cast<HINSTANCE>(record.hInstance);
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = record.nMaxFile;
  dialog.lpstrFileTitle = record.nMaxFileTitle ? title.data() : nullptr;
  dialog.nMaxFileTitle = record.nMaxFileTitle;
  dialog.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  dialog.lpstrTitle = dialogTitle.empty() ? nullptr : dialogTitle.c_str();
  dialog.Flags = record.Flags;
  const BOOL chosen = ::GetOpenFileNameW(&dialog);
  if (chosen) {
    record.lpstrFile = UpToNul(file);
    record.lpstrFileTitle = UpToNul(title);
  }
  return chosen ? 1 : 0;
}

std::intptr_t Win32Shell::ShellExecuteW(Hwnd window, const std::string& operation, const std::string& file,
                                        const std::string& parameters, const std::string& folder,
                                        std::int32_t show) {
  const std::wstring op = Utf8ToWide(operation), target = Utf8ToWide(file);
  const std::wstring params = Utf8ToWide(parameters), directory = Utf8ToWide(folder);
  HINSTANCE result = ::ShellExecuteW(ToHwnd(window), op.c_str(), target.c_str(), params.c_str(),
                                     directory.c_str(), show);
  return reinterpret_cast<std::intptr_t>(result);
}

std::int32_t Win32Shell::MessageBoxW(Hwnd owner, const std::string& text, const std::string& caption,
                                     std::uint32_t flags) {
  return ::MessageBoxW(ToHwnd(owner), Utf8ToWide(text).c_str(), Utf8ToWide(caption).c_str(), flags);
}

std::int32_t Win32Shell::CoInitializeEx(std::uint32_t flags) {
  return std::int32_t(::CoInitializeEx(nullptr, DWORD(flags)));
}

void Win32Shell::CoUninitialize() { ::CoUninitialize(); }

}  // namespace tolvarin
