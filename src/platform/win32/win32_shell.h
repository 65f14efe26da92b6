#pragma once
// The common file dialog, the shell and the message box, through their
// wide-character functions.
#include "platform/shell.h"

namespace tolvarin {

class Win32Shell final : public Shell {
 public:
  std::intptr_t InstanceHandle() override;
  std::uint32_t OpenFileNameSize() override;
  std::int32_t GetOpenFileNameW(OpenFileNameRecord& record) override;
  std::intptr_t ShellExecuteW(Hwnd window, const std::string& operation, const std::string& file,
                              const std::string& parameters, const std::string& folder,
                              std::int32_t show) override;
  std::int32_t MessageBoxW(Hwnd owner, const std::string& text, const std::string& caption,
                           std::uint32_t flags) override;
  std::int32_t CoInitializeEx(std::uint32_t flags) override;
  void CoUninitialize() override;
};

}  // namespace tolvarin
