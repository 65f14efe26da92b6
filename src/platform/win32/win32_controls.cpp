#include "platform/win32/win32_controls.h"

#include <algorithm>

#include "base/errors.h"
#include "platform/win32/win32_windowless.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_windowing.h"

namespace tolvarin {

// ---- Native controls ------------------------------------------------------------------

class Win32ScrollBar final : public ScrollBarControl {
 public:
  Win32ScrollBar(Win32Windowing& windowing, HWND parent, const ScrollBarDesign& d) : design(d), value_(d.value) {
    const ControlRect& r = d.rect;
    window = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_HORZ, r.left, r.top,
                             r.width, r.height, parent, nullptr, windowing.instance(), nullptr);
    if (!window) throw ProgramError(kErrorOutOfMemory, "Out of memory");
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = d.min;
    info.nMax = d.max;
    info.nPage = 0;
    info.nPos = d.value;
    SetScrollInfo(window, SB_CTL, &info, TRUE);
  }
  ~Win32ScrollBar() override {
    if (IsWindow(window)) DestroyWindow(window);
  }
  void SetValue(std::int32_t value) override {
    if (value < design.min || value > design.max) RaiseInvalidPropertyValue();
    if (value == value_) return;
    Show(value);
    if (onChange) onChange();
  }
  std::int32_t Value() const override { return value_; }
  void SetFocus() override { ::SetFocus(window); }
  bool HasFocus() const override { return GetFocus() == window; }
  bool CanFocus() const override { return IsWindowEnabled(window) && IsWindowVisible(window); }

  // WM_HSCROLL from this bar. Windows moves no thumb by itself: the value is
  // worked out here and the thumb put there.
  void Scrolled(int request) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(window, SB_CTL, &info);
    std::int64_t target = value_;
    switch (request) {
      case SB_LINELEFT: target -= design.smallChange; break;
      case SB_LINERIGHT: target += design.smallChange; break;
      case SB_PAGELEFT: target -= design.largeChange; break;
      case SB_PAGERIGHT: target += design.largeChange; break;
      case SB_LEFT: target = design.min; break;
      case SB_RIGHT: target = design.max; break;
      case SB_THUMBTRACK:
        Show(std::clamp(info.nTrackPos, design.min, design.max));
        if (onScroll) onScroll();
        return;
      case SB_THUMBPOSITION:
        Show(std::clamp(info.nTrackPos, design.min, design.max));
        if (onChange) onChange();
        return;
      default:
        return;
    }
    const std::int32_t value = std::int32_t(std::clamp<std::int64_t>(target, design.min, design.max));
    if (value == value_) return;
    Show(value);
    if (onChange) onChange();
  }

  const ScrollBarDesign design;
  HWND window = nullptr;

 private:
  void Show(std::int32_t value) {
    value_ = value;
    SetScrollPos(window, SB_CTL, value, TRUE);
  }
  std::int32_t value_;
};

class Win32ComboBox final : public ComboBoxControl {
 public:
  Win32ComboBox(Win32Windowing& windowing, HWND parent, const ComboBoxDesign& d)
      : design(d), font_(CreateFontOf(d.font, windowing.TwipsPerPixelY())), back_(CreateSolidBrush(ResolveControlColor(d.backColor))) {
    const ControlRect& r = d.rect;
    // The window's height includes the list that drops down; the edit part
    // takes its height from the font. Without CBS_AUTOHSCROLL a narrow box
    // refuses text wider than its edit part.
    constexpr int kListHeight = 160;
    window = CreateWindowExW(0, L"COMBOBOX", L"",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                             r.left, r.top, r.width, r.height + kListHeight, parent, nullptr,
                             windowing.instance(), nullptr);
    if (!window) throw ProgramError(kErrorOutOfMemory, "Out of memory");
    if (font_) SendMessageW(window, WM_SETFONT, WPARAM(font_), TRUE);
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    if (GetComboBoxInfo(window, &parts)) {
      edit_ = parts.hwndItem;
      list_ = parts.hwndList;
    }
  }
  ~Win32ComboBox() override {
    if (IsWindow(window)) DestroyWindow(window);
    if (font_) DeleteObject(font_);
    if (back_) DeleteObject(back_);
  }
  // WM_CTLCOLOREDIT or WM_CTLCOLORLISTBOX, which the box passes up for its
  // edit field, its list and itself: the design's colours, not the scheme's.
  bool Colours(HWND part, HDC dc, LRESULT& brush) const {
    // The parts as the box names them, or by kinship: the edit field is the
    // box's child and the list a pop-up it owns (the themed box under Wine
    // does not name them).
    const bool ours = part == window || part == edit_ || part == list_ || GetParent(part) == window ||
                      GetWindow(part, GW_OWNER) == window;
    if (!back_ || !part || !ours) return false;
    SetTextColor(dc, ResolveControlColor(design.foreColor));
    SetBkColor(dc, ResolveControlColor(design.backColor));
    brush = reinterpret_cast<LRESULT>(back_);
    return true;
  }
  void SetText(const std::string& text) override { SetWindowTextW(window, Utf8ToWide(text).c_str()); }
  std::string Text() const override {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(std::size_t(std::max(length, 0)) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), int(text.size()));
    text.resize(std::size_t(std::max(copied, 0)));
    return WideToUtf8(text);
  }
  void AddItem(const std::string& item) override {
    const std::wstring text = Utf8ToWide(item);
    if (SendMessageW(window, CB_ADDSTRING, 0, LPARAM(text.c_str())) < 0)
      throw ProgramError(kErrorOutOfMemory, "Out of memory");
  }
  void SetEnabled(bool enabled) override { EnableWindow(window, enabled ? TRUE : FALSE); }
  bool Enabled() const override { return IsWindowEnabled(window) != FALSE; }
  void SetFocus() override { ::SetFocus(window); }
  bool HasFocus() const override {
    HWND focus = GetFocus();
    return focus && (focus == window || IsChild(window, focus));
  }
  bool CanFocus() const override { return IsWindowEnabled(window) && IsWindowVisible(window); }

  const ComboBoxDesign design;
  HWND window = nullptr;

 private:
  HFONT font_;
  HBRUSH back_;
  HWND edit_ = nullptr, list_ = nullptr;
};

// ---- The set ----------------------------------------------------------------------

Win32ControlSet::Win32ControlSet(Win32Windowing& windowing, const HWND& container)
    : windowing_(windowing), container_(container) {}

Win32ControlSet::~Win32ControlSet() = default;

ScrollBarControl& Win32ControlSet::AddScrollBar(const ScrollBarDesign& design) {
  scrollBars_.push_back(std::make_unique<Win32ScrollBar>(windowing_, container_, design));
  return *scrollBars_.back();
}

ComboBoxControl& Win32ControlSet::AddComboBox(const ComboBoxDesign& design) {
  comboBoxes_.push_back(std::make_unique<Win32ComboBox>(windowing_, container_, design));
  return *comboBoxes_.back();
}

bool Win32ControlSet::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_HSCROLL:
      for (auto& bar : scrollBars_) {
        if (bar->window == reinterpret_cast<HWND>(lParam)) {
          bar->Scrolled(LOWORD(wParam));
          return true;
        }
      }
      return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      for (auto& box : comboBoxes_)
        if (box->Colours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam), result)) return true;
      return false;
    default:
      return false;
  }
}

}  // namespace tolvarin
