#include "platform/sim/sim_shell.h"

#include "platform/sim/sim_windowing.h"

namespace tolvarin::sim {

std::int32_t SimShell::GetOpenFileNameW(OpenFileNameRecord& record) {
  chooserCalls.push_back(record);
  if (record.lStructSize != OpenFileNameSize()) return 0;  // CDERR_STRUCTSIZE: no dialog
  if (chooserAnswers.empty()) return 0;
  const ChooserAnswer answer = chooserAnswers.front();
  chooserAnswers.pop_front();
  if (answer.kind != ChooserAnswer::Kind::Confirm) return 0;
  // The platform fills the buffer and refuses a path that does not fit (FNERR_BUFFERTOOSMALL).
  if (answer.path.size() + 1 > record.nMaxFile) return 0;
  record.lpstrFile = answer.path;
  const std::size_t slash = answer.path.find_last_of("\\/:");
  record.lpstrFileTitle = slash == std::string::npos ? answer.path : answer.path.substr(slash + 1);
  return 1;
}

std::intptr_t SimShell::ShellExecuteW(Hwnd window, const std::string& operation, const std::string& file,
                                      const std::string& parameters, const std::string& folder,
                                      std::int32_t show) {
  shellCalls.push_back(ShellCall{window, operation, file, parameters, folder, show, windowing_.MousePointer(),
                                 apartments > 0 ? apartmentFlags : 0u});
  return 42;  // above 32: started
}

std::int32_t SimShell::MessageBoxW(Hwnd owner, const std::string& text, const std::string& caption,
                                   std::uint32_t flags) {
  messages.push_back(MessageCall{owner, text, caption, flags});
  return 1;  // IDOK
}

std::int32_t SimShell::CoInitializeEx(std::uint32_t flags) {
  // Asking for another kind of apartment than the thread has fails (RPC_E_CHANGED_MODE).
  if (apartments > 0 && (flags & kCoinitApartmentThreaded) != (apartmentFlags & kCoinitApartmentThreaded))
    return std::int32_t(0x80010106u);
  if (apartments++ > 0) return 1;  // S_FALSE
  apartmentFlags = flags;
  return 0;
}

void SimShell::CoUninitialize() {
  if (apartments > 0) --apartments;
}

}  // namespace tolvarin::sim
