#include "platform/win32/win32_windowless.h"

#include <windowsx.h>

#include <cmath>

#include "base/colour.h"
#include "platform/controls.h"
#include "platform/win32/win32_dib.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_windowing.h"

namespace tolvarin {

COLORREF ResolveControlColor(std::uint32_t color) {
  if (color & kSystemColourFlag) return GetSysColor(int(color & 0xFFu));
  return COLORREF(color & 0x00FFFFFFu);
}

std::uint32_t ControlColourPixel(std::uint32_t color) {
  ValidateColour(color);
  return PixelFromColor(std::uint32_t(ResolveControlColor(color)));
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

HFONT CreateFontOf(const FontSpec& font, double twipsPerPixel) {
  const double dotsPerInch = 1440.0 / twipsPerPixel;
  const std::wstring face = Utf8ToWide(font.name);
  LOGFONTW logFont{};
  logFont.lfHeight = -LONG(std::lround(font.size * dotsPerInch / 72.0));
  logFont.lfWeight = font.weight;
  logFont.lfItalic = font.italic;
  logFont.lfUnderline = font.underline;
  logFont.lfStrikeOut = font.strikethrough;
  logFont.lfCharSet = BYTE(font.charset);
  lstrcpynW(logFont.lfFaceName, face.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&logFont);
}

namespace {

std::int16_t ButtonsHeld(WPARAM flags) {
  return std::int16_t(((flags & MK_LBUTTON) ? kLeftButton : 0) | ((flags & MK_RBUTTON) ? kRightButton : 0) |
                      ((flags & MK_MBUTTON) ? kMiddleButton : 0));
}

std::int16_t ModifierKeys(WPARAM flags) {
  return std::int16_t(((flags & MK_SHIFT) ? kShiftMask : 0) | ((flags & MK_CONTROL) ? kCtrlMask : 0) |
                      (GetKeyState(VK_MENU) < 0 ? kAltMask : 0));
}

// GDI text on the composed DIB section.
class Win32TextCanvas final : public WindowlessCanvas {
 public:
  explicit Win32TextCanvas(Win32Dib& dib) : dib_(dib) {}
  PixelView Pixels() override { return dib_.View(); }
  std::uint32_t ColourPixel(std::uint32_t color) override { return ControlColourPixel(color); }
  void DrawTextW(const TextRun& run) override;
  std::int32_t MeasureText(const TextRun& run) override;

 private:
  // Selects the run's font into the DC for the life of the object.
  class Font {
   public:
    Font(HDC dc, const TextRun& run) : dc_(dc), font_(CreateFontOf(run.font, run.fontTwipsPerPixel)) {
      previous_ = SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
    }
    ~Font() {
      SelectObject(dc_, previous_);
      if (font_) DeleteObject(font_);
    }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

   private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ previous_;
  };

  static UINT Format(const TextRun& run) {
    UINT format = DT_NOPREFIX | (run.singleLine ? DT_SINGLELINE : DT_WORDBREAK);
    if (run.alignment == TextAlignment::Center) format |= DT_CENTER;
    if (run.alignment == TextAlignment::Right) format |= DT_RIGHT;
    return format;
  }
  static RECT TextArea(const TextRun& run) {
    RECT area{run.rect.left, run.rect.top, run.rect.right, run.rect.bottom};
    if (run.sunkenBorder) InflateRect(&area, -2, -2);
    return area;
  }

  Win32Dib& dib_;
};

void Win32TextCanvas::DrawTextW(const TextRun& run) {
  HDC dc = dib_.dc();
  if (run.sunkenBorder) {
    RECT edge{run.rect.left, run.rect.top, run.rect.right, run.rect.bottom};
    DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
  }
  const Font font(dc, run);
  SetBkMode(dc, TRANSPARENT);
  const std::wstring text = Utf8ToWide(run.text);
  const UINT format = Format(run);
  RECT area = TextArea(run);
  if (run.greyed) {
    // Greyed as the system draws disabled text: a light copy one pixel down
    // and to the right under the grey one.
    RECT shifted = area;
    OffsetRect(&shifted, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    ::DrawTextW(dc, text.c_str(), int(text.size()), &shifted, format);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, ResolveControlColor(run.color));
  }
  ::DrawTextW(dc, text.c_str(), int(text.size()), &area, format);
}

std::int32_t Win32TextCanvas::MeasureText(const TextRun& run) {
  const Font font(dib_.dc(), run);
  const std::wstring text = Utf8ToWide(run.text);
  RECT needed = TextArea(run);
  ::DrawTextW(dib_.dc(), text.c_str(), int(text.size()), &needed, Format(run) | DT_CALCRECT);
  return needed.right - TextArea(run).left;
}

}  // namespace

void PresentLayer(HDC windowDc, const RECT& area, std::int32_t width, std::int32_t height,
                  const PixelView& retained, std::uint32_t background, WindowlessLayer* layer) {
  if (width <= 0 || height <= 0) return;
  Win32Dib composed;
  composed.Resize(width, height, background);
  CopyBlock(composed.View(), 0, 0, retained.width, retained.height, retained, 0, 0);
  if (layer) {
    Win32TextCanvas canvas(composed);
    layer->Paint(canvas);
  }
  GdiFlush();
  BitBlt(windowDc, area.left, area.top, area.right - area.left, area.bottom - area.top, composed.dc(), area.left,
         area.top, SRCCOPY);
}

std::optional<PointerInput> PointerInputOf(UINT message, WPARAM wParam, LPARAM lParam) {
  PointerInput input;
  switch (message) {
    case WM_LBUTTONDOWN: input.kind = PointerInput::Kind::Down, input.button = kLeftButton; break;
    case WM_RBUTTONDOWN: input.kind = PointerInput::Kind::Down, input.button = kRightButton; break;
    case WM_MBUTTONDOWN: input.kind = PointerInput::Kind::Down, input.button = kMiddleButton; break;
    case WM_LBUTTONUP: input.kind = PointerInput::Kind::Up, input.button = kLeftButton; break;
    case WM_RBUTTONUP: input.kind = PointerInput::Kind::Up, input.button = kRightButton; break;
    case WM_MBUTTONUP: input.kind = PointerInput::Kind::Up, input.button = kMiddleButton; break;
    case WM_MOUSEMOVE: input.kind = PointerInput::Kind::Move, input.button = ButtonsHeld(wParam); break;
    default: return std::nullopt;
  }
  input.held = ButtonsHeld(wParam);
  input.shift = ModifierKeys(wParam);
  input.x = GET_X_LPARAM(lParam);
  input.y = GET_Y_LPARAM(lParam);
  return input;
}

bool PointerToLayer(HWND window, WindowlessLayer* layer, UINT message, WPARAM wParam, LPARAM lParam,
                    bool& releasing) {
  const auto input = PointerInputOf(message, wParam, lParam);
  if (!input || !layer) return false;
  if (!layer->Takes(*input)) {
    layer->Pointer(*input);
    return false;
  }
  if (input->kind == PointerInput::Kind::Up) {
    releasing = true;
    HoldPointer(window, message, wParam);
    releasing = false;
    layer->Pointer(*input);
  } else {
    layer->Pointer(*input);
    HoldPointer(window, message, wParam);
  }
  return true;
}

bool SetLayerCursor(Win32Windowing& windowing, HWND window, WindowlessLayer* layer, WPARAM wParam, LPARAM lParam) {
  if (windowing.MousePointer() == kPointerHourglass) {
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
    return true;
  }
  if (!layer || reinterpret_cast<HWND>(wParam) != window || LOWORD(lParam) != HTCLIENT) return false;
  POINT point;
  if (!GetCursorPos(&point) || !ScreenToClient(window, &point)) return false;
  const std::string resource = layer->PointerResourceAt(point.x, point.y);
  if (resource.empty()) return false;
  const std::wstring name = Utf8ToWide(resource);
  HCURSOR cursor = LoadCursorW(windowing.instance(), name.c_str());
  if (cursor) SetCursor(cursor);
  return cursor != nullptr;
}

}  // namespace tolvarin
