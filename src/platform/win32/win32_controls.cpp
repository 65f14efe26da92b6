#include "platform/win32/win32_controls.h"

#include <algorithm>
#include <cmath>

#include <windowsx.h>

#include "base/errors.h"
#include "platform/win32/win32_dib.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_windowing.h"

namespace tolvarin {

COLORREF ResolveControlColor(std::uint32_t color) {
  if (color & 0x80000000u) return GetSysColor(int(color & 0xFFu));
  return COLORREF(color & 0x00FFFFFFu);
}

void HoldPointer(HWND window, UINT message, WPARAM keys) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (window && GetCapture() != window) SetCapture(window);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (!(keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && window && GetCapture() == window) ReleaseCapture();
      break;
    default:
      break;
  }
}

namespace {

RECT ToRect(const ControlRect& r) { return RECT{r.left, r.top, r.left + r.width, r.top + r.height}; }

HFONT CreateDesignFont(const FontSpec& font) {
  HDC screen = GetDC(nullptr);
  const int dotsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  const int height = -int(std::lround(font.size * dotsPerInch / 72.0));
  const std::wstring face = Utf8ToWide(font.name);
  return CreateFontW(height, 0, 0, 0, font.weight, FALSE, font.underline ? TRUE : FALSE, FALSE,
                     DWORD(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

}  // namespace

// ---- Canvas ---------------------------------------------------------------------

Win32Canvas::~Win32Canvas() {
  if (dc_) {
    if (original_) SelectObject(dc_, original_);
    DeleteDC(dc_);
  }
  if (dib_) DeleteObject(dib_);
}

void Win32Canvas::EnsureSize(std::int32_t width, std::int32_t height, std::uint32_t fill) {
  width = std::max(width, width_);
  height = std::max(height, height_);
  if (width == width_ && height == height_ && bits_) return;
  if (width <= 0 || height <= 0) return;
  if (!dc_) dc_ = CreateCompatibleDC(nullptr);
  if (!dc_) throw ProgramError(kErrorOutOfMemory, "Out of memory");
  void* bits = nullptr;
  HBITMAP dib = CreateTopDownDib(width, height, bits);
  const PixelView fresh{static_cast<std::uint32_t*>(bits), width, height, width};
  Fill(fresh, fill);
  GdiFlush();
  if (bits_) CopyBlock(fresh, 0, 0, width_, height_, View(), 0, 0);
  HGDIOBJ previous = SelectObject(dc_, dib);
  if (!original_) original_ = previous;
  if (dib_) DeleteObject(dib_);
  dib_ = dib;
  bits_ = static_cast<std::uint32_t*>(bits);
  width_ = width;
  height_ = height;
}

// ---- Windowless controls ----------------------------------------------------------

class Win32SetImage final : public ImageControl {
 public:
  explicit Win32SetImage(Win32ControlSet& set) : set_(set) {}
  void SetPicture(const Bitmap& picture) override {
    picture_ = picture;
    stretched_ = Bitmap();
    set_.Invalidate(rect);
  }
  void Move(double left, double top, double width, double height) override {
    set_.Invalidate(rect);
    rect = ControlRect{std::int32_t(std::lround(left)), std::int32_t(std::lround(top)),
                       std::int32_t(std::lround(width)), std::int32_t(std::lround(height))};
    set_.Invalidate(rect);
  }
  double Left() const override { return rect.left; }
  double Top() const override { return rect.top; }
  double Width() const override { return rect.width; }
  double Height() const override { return rect.height; }

  void Paint(HDC dc) {
    if (picture_.empty() || rect.width <= 0 || rect.height <= 0) return;
    if (stretched_.width != rect.width || stretched_.height != rect.height) {
      stretched_ = Bitmap(rect.width, rect.height);
      StretchNearest(ViewOf(stretched_), ViewOf(picture_));
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = rect.width;
    info.bmiHeader.biHeight = -rect.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, rect.left, rect.top, DWORD(rect.width), DWORD(rect.height), 0, 0, 0,
                      UINT(rect.height), stretched_.pixels.data(), &info, DIB_RGB_COLORS);
  }

  ControlRect rect;

 private:
  Win32ControlSet& set_;
  Bitmap picture_;
  Bitmap stretched_;
};

class Win32FormLabel final : public LabelControl {
 public:
  Win32FormLabel(Win32ControlSet& set, const LabelDesign& design)
      : design(design), set_(set), caption_(design.caption), font_(CreateDesignFont(design.font)) {}
  ~Win32FormLabel() override {
    if (font_) DeleteObject(font_);
  }
  void SetCaption(const std::string& caption) override {
    set_.Invalidate(hitRect);
    caption_ = caption;
    hitRect = design.rect;
    set_.Invalidate(hitRect);
  }
  std::string Caption() const override { return caption_; }

  void Paint(HDC dc) {
    RECT area = ToRect(hitRect);
    if (design.border) {
      DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT);
      InflateRect(&area, -2, -2);
    }
    const std::wstring text = Utf8ToWide(caption_);
    HGDIOBJ previousFont = SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveControlColor(design.foreColor));
    UINT format = DT_NOPREFIX | (design.autoSize ? DT_SINGLELINE : DT_WORDBREAK);
    if (design.alignment == TextAlignment::Center) format |= DT_CENTER;
    if (design.autoSize) {
      RECT needed = area;
      DrawTextW(dc, text.c_str(), int(text.size()), &needed, format | DT_CALCRECT);
      if (needed.right > area.right) {
        area.right = needed.right;
        hitRect.width = needed.right - hitRect.left;
      }
    }
    DrawTextW(dc, text.c_str(), int(text.size()), &area, format);
    SelectObject(dc, previousFont);
  }

  const LabelDesign design;
  // Where the label is drawn and takes the pointer: the design rectangle,
  // widened to the text when the label is sized to its text.
  ControlRect hitRect = design.rect;

 private:
  Win32ControlSet& set_;
  std::string caption_;
  HFONT font_;
};

class Win32Shape final : public ShapeControl {
 public:
  explicit Win32Shape(const ShapeDesign& d) : design(d) {}
  void Paint(HDC dc) {
    if (design.rect.width <= 0 || design.rect.height <= 0) return;
    HBRUSH brush = CreateSolidBrush(ResolveControlColor(design.borderColor));
    if (!brush) return;
    const RECT area = ToRect(design.rect);
    FrameRect(dc, &area, brush);
    DeleteObject(brush);
  }
  const ShapeDesign design;
};

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
  std::int32_t Min() const override { return design.min; }
  std::int32_t Max() const override { return design.max; }
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
      : design(d), font_(CreateDesignFont(d.font)), back_(CreateSolidBrush(ResolveControlColor(d.backColor))) {
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
  std::int32_t ListCount() const override { return std::int32_t(SendMessageW(window, CB_GETCOUNT, 0, 0)); }
  std::string List(std::int32_t index) const override {
    const LRESULT length = SendMessageW(window, CB_GETLBTEXTLEN, WPARAM(index), 0);
    if (length < 0) RaiseInvalidPropertyValue();
    std::wstring text(std::size_t(length) + 1, L'\0');
    SendMessageW(window, CB_GETLBTEXT, WPARAM(index), LPARAM(text.data()));
    text.resize(std::size_t(length));
    return WideToUtf8(text);
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

ImageControl& Win32ControlSet::AddImage() {
  images_.push_back(std::make_unique<Win32SetImage>(*this));
  return *images_.back();
}

LabelControl& Win32ControlSet::AddLabel(const LabelDesign& design) {
  labels_.push_back(std::make_unique<Win32FormLabel>(*this, design));
  Invalidate(design.rect);
  return *labels_.back();
}

ShapeControl& Win32ControlSet::AddShape(const ShapeDesign& design) {
  shapes_.push_back(std::make_unique<Win32Shape>(design));
  Invalidate(design.rect);
  return *shapes_.back();
}

ScrollBarControl& Win32ControlSet::AddScrollBar(const ScrollBarDesign& design) {
  scrollBars_.push_back(std::make_unique<Win32ScrollBar>(windowing_, container_, design));
  return *scrollBars_.back();
}

ComboBoxControl& Win32ControlSet::AddComboBox(const ComboBoxDesign& design) {
  comboBoxes_.push_back(std::make_unique<Win32ComboBox>(windowing_, container_, design));
  return *comboBoxes_.back();
}

void Win32ControlSet::Invalidate(const ControlRect& rect) {
  if (!container_ || rect.width <= 0 || rect.height <= 0) return;
  const RECT area = ToRect(rect);
  InvalidateRect(container_, &area, FALSE);
}

void Win32ControlSet::Paint(HDC dc) {
  for (auto& image : images_) image->Paint(dc);
  for (auto& shape : shapes_) shape->Paint(dc);
  for (auto& label : labels_) label->Paint(dc);
}

Win32FormLabel* Win32ControlSet::LabelAt(POINT point) const {
  for (auto it = labels_.rbegin(); it != labels_.rend(); ++it) {
    const RECT area = ToRect((*it)->hitRect);
    if (PtInRect(&area, point)) return it->get();
  }
  return nullptr;
}

Win32SetImage* Win32ControlSet::ImageAt(POINT point) const {
  for (auto it = images_.rbegin(); it != images_.rend(); ++it) {
    const RECT area = ToRect((*it)->rect);
    if (PtInRect(&area, point)) return it->get();
  }
  return nullptr;
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
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const std::int32_t button = message == WM_LBUTTONDOWN ? kLeftButton
                                  : message == WM_RBUTTONDOWN ? kRightButton
                                                              : kMiddleButton;
      if (Win32SetImage* image = ImageAt(point)) {
        if (image->onMouseDown) image->onMouseDown(button);
        return true;
      }
      if (Win32FormLabel* label = LabelAt(point)) {
        if (button == kLeftButton) {
          pressedLabel_ = label;
          SetCapture(container_);
        }
        if (label->onMouseDown) label->onMouseDown(button);
        return true;
      }
      return false;
    }
    case WM_LBUTTONUP: {
      if (!pressedLabel_) return false;
      Win32FormLabel* pressed = pressedLabel_;
      pressedLabel_ = nullptr;
      ReleaseCapture();
      const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      // A click is a press and a release on the same label.
      if (LabelAt(point) == pressed && pressed->onClick) pressed->onClick();
      return true;
    }
    case WM_CAPTURECHANGED:
      pressedLabel_ = nullptr;
      return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      for (auto& box : comboBoxes_)
        if (box->Colours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam), result)) return true;
      return false;
    case WM_SETCURSOR: {
      if (windowing_.MousePointer() == kPointerHourglass) {
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
        result = TRUE;
        return true;
      }
      if (reinterpret_cast<HWND>(wParam) != container_ || LOWORD(lParam) != HTCLIENT) return false;
      POINT point;
      if (!GetCursorPos(&point) || !ScreenToClient(container_, &point)) return false;
      const Win32FormLabel* label = LabelAt(point);
      if (!label || label->design.pointerResource.empty()) return false;
      const std::wstring name = Utf8ToWide(label->design.pointerResource);
      if (HCURSOR cursor = LoadCursorW(windowing_.instance(), name.c_str())) {
        SetCursor(cursor);
        result = TRUE;
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

}  // namespace tolvarin
