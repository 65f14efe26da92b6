#pragma once
// The native controls a form or picture surface holds on Windows: the
// SCROLLBAR and COMBOBOX child windows.
#include <memory>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_windowless.h"
#include "platform/windowing.h"

namespace tolvarin {

class Win32Windowing;

class Win32ScrollBar;
class Win32ComboBox;

class Win32ControlSet {
 public:
  // `container` is the window the controls belong to (it may be created later).
  Win32ControlSet(Win32Windowing& windowing, const HWND& container);
  ~Win32ControlSet();
  Win32ControlSet(const Win32ControlSet&) = delete;
  Win32ControlSet& operator=(const Win32ControlSet&) = delete;

  ScrollBarControl& AddScrollBar(const ScrollBarDesign& design);
  ComboBoxControl& AddComboBox(const ComboBoxDesign& design);

  // Scroll bar notifications and the drop-down lists' colours; true when
  // the message was handled.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  Win32Windowing& windowing_;
  const HWND& container_;
  std::vector<std::unique_ptr<Win32ScrollBar>> scrollBars_;
  std::vector<std::unique_ptr<Win32ComboBox>> comboBoxes_;
};

}  // namespace tolvarin
