#pragma once
// The windowing layer on Windows: forms are top-level windows, picture
// surfaces child windows over DIB sections, timers window timers.
#include <exception>
#include <functional>
#include <unordered_map>

#include "base/errors.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_frame_pacer.h"
#include "platform/win32/win32_process.h"
#include "platform/windowing.h"

namespace tolvarin {

class Win32Form;

class Win32Windowing final : public Windowing {
 public:
  // twipsPerPixel 0 takes the screen's own factor; another value lays every
  // form out as on a screen of that resolution (one screen can then show the
  // layout of any scale).
  explicit Win32Windowing(double twipsPerPixel = 0);
  ~Win32Windowing() override;
  Win32Windowing(const Win32Windowing&) = delete;
  Win32Windowing& operator=(const Win32Windowing&) = delete;

  std::unique_ptr<Form> CreateForm(const FormDesign& design) override;
  void DoEvents() override;
  void RunMessageLoop() override;
  void WaitMessage() override;
  bool DisplayOn() override { return displayOn_; }
  double ScreenWidth() override;
  double ScreenHeight() override;
  double TwipsPerPixelX() override;
  double TwipsPerPixelY() override;
  void SetMousePointer(std::int32_t pointer) override;
  std::int32_t MousePointer() const override { return mousePointer_; }
  // Dispatches messages until `done` holds (a modal form has gone).
  void RunModalLoop(const std::function<bool()>& done);

  // Used by the forms and surfaces of this layer.
  HINSTANCE instance() const { return instance_; }
  const wchar_t* formClass() const;
  const wchar_t* surfaceClass() const;
  FramePacer& pacer() { return pacer_; }
  // A hidden window that owns bordered forms kept out of the taskbar.
  HWND hiddenOwner();
  void FormCreated(HWND window, Win32Form& form);
  void FormDestroyed(HWND window);
  std::size_t LiveForms() const { return forms_.size(); }
  // From the display-state power notification.
  void SetDisplayOn(bool on) { displayOn_ = on; }
  // Runs an event handler; an error escaping it ends the program with the error report.
  template <class Handler>
  static void RunHandler(Handler&& handler);

 private:
  // Keys go to the form before the control that has the focus sees them;
  // true when the form kept the key from the control.
  bool PreviewKey(const MSG& message);
  void Dispatch(const MSG& message);
  Win32Form* FormOf(HWND window) const;

  HINSTANCE instance_;
  HWND hiddenOwner_ = nullptr;
  FramePacer pacer_;
  std::unordered_map<HWND, Win32Form*> forms_;
  bool displayOn_ = true;
  std::int32_t mousePointer_ = 0;
  double twipsPerPixel_ = 0;
};

// The window procedure of a class whose windows each belong to one object,
// passed as the creation parameter: the object is told its window at
// WM_NCCREATE (Attach) and then handles every message (HandleMessage).
template <class Owner>
LRESULT CALLBACK RouteMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    owner->Attach(window);
  }
  auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!owner) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  Win32Windowing::RunHandler([&] { result = owner->HandleMessage(message, wParam, lParam); });
  return result;
}

template <class Handler>
void Win32Windowing::RunHandler(Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ReportErrorAndExit(ErrorReportText(error));
  } catch (...) {
    ReportErrorAndExit("Run-time error");
  }
}

}  // namespace tolvarin
