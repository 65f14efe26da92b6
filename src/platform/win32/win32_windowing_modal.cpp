// The modal message loop and the application-wide mouse pointer.
#include "platform/win32/win32_windowing.h"

namespace tolvarin {

void Win32Windowing::RunModalLoop(const std::function<bool()>& done) {
  MSG message;
  while (!done()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) return;
    if (got == 0) {
      // The last form went: the quit belongs to the outer loop as well.
      if (forms_.empty()) PostQuitMessage(int(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

void Win32Windowing::SetMousePointer(std::int32_t pointer) {
  mousePointer_ = pointer;
  // Shown at once, also while a call that follows keeps the thread busy.
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(pointer == 11 ? IDC_WAIT : IDC_ARROW)));
}

}  // namespace tolvarin
