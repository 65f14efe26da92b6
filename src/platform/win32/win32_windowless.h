#pragma once
// What the windows of this backend do for the windowless controls drawn on
// them: compose the retained picture with the layer in a DIB section, draw
// the layer's text with GDI, turn pointer messages into the layer's input,
// and show the pointer shape the layer asks for.
#include <optional>

#include "platform/win32/win32_api.h"
#include "platform/windowless.h"

namespace tolvarin {

class Win32Windowing;

// Puts `area` of a width x height client on the window's DC: `retained`
// (where it reaches; `background` elsewhere) with the layer drawn over it.
void PresentLayer(HDC windowDc, const RECT& area, std::int32_t width, std::int32_t height,
                  const PixelView& retained, std::uint32_t background, WindowlessLayer* layer);

// A pointer message as the layer takes it; nothing for other messages.
std::optional<PointerInput> PointerInputOf(UINT message, WPARAM wParam, LPARAM lParam);

// Gives a pointer message of a form or picture surface to its layer; a press
// that a control takes keeps the pointer with the window until every button
// is up, and the pointer is let go before the release reaches the control,
// as a click may open windows of its own. `releasing` is set meanwhile.
// True when a control took the message.
bool PointerToLayer(HWND window, WindowlessLayer* layer, UINT message, WPARAM wParam, LPARAM lParam,
                    bool& releasing);

// WM_SETCURSOR for a form or picture surface: the hourglass while the
// application-wide pointer says so, else the shape of the layer's control
// under the pointer. True when a cursor was set.
bool SetLayerCursor(Win32Windowing& windowing, HWND window, WindowlessLayer* layer, WPARAM wParam, LPARAM lParam);

// The release belongs to where the press began: a press on a form or a
// picture surface (its background or a windowless control on it) keeps the
// pointer with that window until every button is up, so a drag that ends
// over a button is no click on it. Called with each pointer message.
void HoldPointer(HWND window, UINT message, WPARAM keys);

// The GDI font for a control's font, its point size taken at the given scale;
// null where GDI cannot make it.
HFONT CreateFontOf(const FontSpec& font, double twipsPerPixel);

// Resolves a colour 0x00BBGGRR or a system colour (top bit set).
COLORREF ResolveControlColor(std::uint32_t color);
// Its pixel 0x00RRGGBB; refuses what the platform refuses.
std::uint32_t ControlColourPixel(std::uint32_t color);

}  // namespace tolvarin
