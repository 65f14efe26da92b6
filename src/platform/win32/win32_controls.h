#pragma once
// The controls a form or picture surface holds on Windows: windowless
// images, labels and rectangle shapes drawn by the container, and the native
// SCROLLBAR and COMBOBOX child windows. Also the retained image of a dialog
// form: a DIB section the portable raster code draws into.
#include <memory>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/windowing.h"

namespace tolvarin {

class Win32Windowing;

// A top-down 32-bit DIB section selected into a memory DC.
class Win32Canvas {
 public:
  Win32Canvas() = default;
  ~Win32Canvas();
  Win32Canvas(const Win32Canvas&) = delete;
  Win32Canvas& operator=(const Win32Canvas&) = delete;

  // Grows to at least width x height, keeping what was drawn; new pixels get `fill`.
  void EnsureSize(std::int32_t width, std::int32_t height, std::uint32_t fill);
  PixelView View() const { return PixelView{bits_, width_, height_, width_}; }
  HDC dc() const { return dc_; }
  bool empty() const { return bits_ == nullptr; }

 private:
  HDC dc_ = nullptr;
  HBITMAP dib_ = nullptr;
  HGDIOBJ original_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  std::int32_t width_ = 0, height_ = 0;
};

class Win32SetImage;
class Win32FormLabel;
class Win32Shape;
class Win32ScrollBar;
class Win32ComboBox;

class Win32ControlSet {
 public:
  // `container` is the window the controls belong to (it may be created later).
  Win32ControlSet(Win32Windowing& windowing, const HWND& container);
  ~Win32ControlSet();
  Win32ControlSet(const Win32ControlSet&) = delete;
  Win32ControlSet& operator=(const Win32ControlSet&) = delete;

  ImageControl& AddImage();
  LabelControl& AddLabel(const LabelDesign& design);
  ShapeControl& AddShape(const ShapeDesign& design);
  ScrollBarControl& AddScrollBar(const ScrollBarDesign& design);
  ComboBoxControl& AddComboBox(const ComboBoxDesign& design);

  // Draws the windowless controls over what the container has painted.
  void Paint(HDC dc);
  // Scroll bar notifications, presses on images and labels, label clicks
  // and the pointer shape; true when the message was handled.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void Invalidate(const ControlRect& rect);

 private:
  Win32FormLabel* LabelAt(POINT point) const;
  Win32SetImage* ImageAt(POINT point) const;

  Win32Windowing& windowing_;
  const HWND& container_;
  Win32FormLabel* pressedLabel_ = nullptr;
  std::vector<std::unique_ptr<Win32SetImage>> images_;
  std::vector<std::unique_ptr<Win32FormLabel>> labels_;
  std::vector<std::unique_ptr<Win32Shape>> shapes_;
  std::vector<std::unique_ptr<Win32ScrollBar>> scrollBars_;
  std::vector<std::unique_ptr<Win32ComboBox>> comboBoxes_;
};

// The release belongs to where the press began: a press on a form or a
// picture surface (its background or a windowless control on it) keeps the
// pointer with that window until every button is up, so a drag that ends
// over a button is no click on it. Called with each pointer message.
void HoldPointer(HWND window, UINT message, WPARAM keys);

// Resolves a colour 0x00BBGGRR or a system colour (top bit set).
COLORREF ResolveControlColor(std::uint32_t color);

}  // namespace tolvarin
