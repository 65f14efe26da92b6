// The title-bar animation, forwarded to Windows.
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_user32.h"

namespace tolvarin {

std::int32_t Win32User32::DrawAnimatedRects(Hwnd window, std::int32_t animation, const RectL& from,
                                            const RectL& to) {
  const RECT source{from.left, from.top, from.right, from.bottom};
  const RECT target{to.left, to.top, to.right, to.bottom};
  return ::DrawAnimatedRects(ToHwnd(window), animation, &source, &target) ? 1 : 0;
}

}  // namespace tolvarin
