#pragma once
// The simulated file chooser, shell and message box: scripted answers, and
// a record of every call with what the pointer showed at that moment.
#include <deque>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace tolvarin::sim {

class SimWindowing;

class SimShell final : public Shell {
 public:
  explicit SimShell(SimWindowing& windowing) : windowing_(windowing) {}

  std::intptr_t InstanceHandle() override { return 0x400000; }
  // The record size the chooser accepts; any other size fails at once.
  std::uint32_t OpenFileNameSize() override { return 76; }
  std::int32_t GetOpenFileNameW(OpenFileNameRecord& record) override;
  std::intptr_t ShellExecuteW(Hwnd window, const std::string& operation, const std::string& file,
                              const std::string& parameters, const std::string& folder,
                              std::int32_t show) override;
  std::int32_t MessageBoxW(Hwnd owner, const std::string& text, const std::string& caption,
                           std::uint32_t flags) override;
  std::int32_t CoInitializeEx(std::uint32_t flags) override;
  void CoUninitialize() override;

  // --- Scripting. The file chooser answers in order; with no answer left it is cancelled.
  struct ChooserAnswer {
    enum class Kind { Confirm, Cancel, Fail } kind = Kind::Cancel;
    std::string path;  // Confirm: the path the user chose or typed
  };
  std::deque<ChooserAnswer> chooserAnswers;

  // --- What happened.
  std::vector<OpenFileNameRecord> chooserCalls;
  struct ShellCall {
    Hwnd window;
    std::string operation, file, parameters, folder;
    std::int32_t show;
    std::int32_t pointerDuringCall;  // the application-wide pointer setting
    std::uint32_t apartmentDuringCall;  // the COM flags the thread was initialised with, 0 for none
  };
  std::vector<ShellCall> shellCalls;
  struct MessageCall {
    Hwnd owner;
    std::string text, caption;
    std::uint32_t flags;
  };
  std::vector<MessageCall> messages;
  // COM on the thread: how many initialisations are open, with the first one's flags.
  std::int32_t apartments = 0;
  std::uint32_t apartmentFlags = 0;

 private:
  SimWindowing& windowing_;
};

}  // namespace tolvarin::sim
