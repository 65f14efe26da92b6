#include "platform/win32/win32_windowing.h"

#include "platform/win32/win32_form.h"
#include "platform/win32/win32_picture_surface.h"

namespace tolvarin {

namespace {

constexpr wchar_t kFormClass[] = L"Tolvarin.Form";
constexpr wchar_t kSurfaceClass[] = L"Tolvarin.Picture";

void RegisterClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, name, &existing)) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  // No CS_DBLCLKS: a quick second click arrives as a second click, not a double click.
  windowClass.style = 0;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = name;
  RegisterClassExW(&windowClass);
}

// Twips per pixel of the screen, from its real resolution.
double ScreenTwipsPerPixel(int index) {
  HDC screen = GetDC(nullptr);
  const int dotsPerInch = screen ? GetDeviceCaps(screen, index) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return 1440.0 / (dotsPerInch > 0 ? dotsPerInch : 96);
}

}  // namespace

Win32Windowing::Win32Windowing(double twipsPerPixel)
    : instance_(GetModuleHandleW(nullptr)), twipsPerPixel_(twipsPerPixel) {
  RegisterClassOnce(instance_, kFormClass, RouteMessages<Win32Form>);
  RegisterClassOnce(instance_, kSurfaceClass, RouteMessages<Win32PictureSurface>);
}

Win32Windowing::~Win32Windowing() {
  // Destroying the owner would destroy forms that are still alive with it.
  if (hiddenOwner_ && forms_.empty()) DestroyWindow(hiddenOwner_);
}

HWND Win32Windowing::hiddenOwner() {
  if (!hiddenOwner_ || !IsWindow(hiddenOwner_))
    hiddenOwner_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, instance_, nullptr);
  return hiddenOwner_;
}

const wchar_t* Win32Windowing::formClass() const { return kFormClass; }
const wchar_t* Win32Windowing::surfaceClass() const { return kSurfaceClass; }

std::unique_ptr<Form> Win32Windowing::CreateForm(const FormDesign& design) {
  return std::make_unique<Win32Form>(*this, design);
}

void Win32Windowing::FormCreated(HWND window, Win32Form& form) { forms_[window] = &form; }

void Win32Windowing::FormDestroyed(HWND window) {
  if (forms_.erase(window) && forms_.empty()) PostQuitMessage(0);
}

Win32Form* Win32Windowing::FormOf(HWND window) const {
  const auto found = forms_.find(window);
  return found == forms_.end() ? nullptr : found->second;
}

bool Win32Windowing::PreviewKey(const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  // As a dialog asks: a control that wants this key for itself (an edit
  // field's open drop-down list takes Escape and Enter) gets it unpreviewed.
  const LRESULT wanted =
      SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message));
  if ((wanted & DLGC_WANTMESSAGE) || (message.wParam == VK_TAB && (wanted & DLGC_WANTTAB))) return false;
  // The form that holds the window with the focus; a preview form may sit
  // inside another program's window, so walk up parents, not to the root.
  for (HWND window = message.hwnd; window; window = GetAncestor(window, GA_PARENT)) {
    if (Win32Form* form = FormOf(window)) {
      if (form->keyPreview() || window == message.hwnd) return form->KeyDown(message.wParam);
      return false;
    }
  }
  return false;
}

void Win32Windowing::Dispatch(const MSG& message) {
  // A key the form kept is neither translated nor sent on: the control sees
  // no key and no character (an edit field would beep at a Tab or an Enter).
  if (PreviewKey(message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void Win32Windowing::DoEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The outer loop must see it too. A quit left over from forms that are
      // gone while new ones live is stale: drop it.
      if (forms_.empty()) {
        PostQuitMessage(int(message.wParam));
        return;
      }
      continue;
    }
    Dispatch(message);
  }
}

void Win32Windowing::RunMessageLoop() {
  MSG message;
  while (!forms_.empty()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) return;
    if (got == 0) continue;  // WM_QUIT: the loop condition decides
    Dispatch(message);
  }
}

void Win32Windowing::WaitMessage() { ::WaitMessage(); }

double Win32Windowing::TwipsPerPixelX() {
  return twipsPerPixel_ > 0 ? twipsPerPixel_ : ScreenTwipsPerPixel(LOGPIXELSX);
}

double Win32Windowing::TwipsPerPixelY() {
  return twipsPerPixel_ > 0 ? twipsPerPixel_ : ScreenTwipsPerPixel(LOGPIXELSY);
}

double Win32Windowing::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN) * TwipsPerPixelX(); }
double Win32Windowing::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN) * TwipsPerPixelY(); }

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
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(pointer == kPointerHourglass ? IDC_WAIT : IDC_ARROW)));
}

}  // namespace tolvarin
