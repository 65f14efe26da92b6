#pragma once
// The settings dialog's design: the window and every control with its
// position and size in twips, its tab index and element number.
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/controls.h"
#include "state/window_names.h"
#include "tolvarin_version.h"

namespace tolvarin {

inline constexpr double kDialogClientWidth = 7440;   // twips
inline constexpr double kDialogClientHeight = 3690;
inline constexpr std::uint32_t kDialogBackColor = 0x00C0C0C0;
inline constexpr std::uint32_t kPanelBackColor = 0x00E0E0E0;
inline constexpr std::uint32_t kWhite = 0x00FFFFFF;
inline constexpr std::uint32_t kBlack = 0x00000000;

// The home page: an address under a reserved example domain until the
// product has a page of its own.
inline constexpr const char* kHomePageAddress = "https://tolvarin.example.org/";
inline constexpr const char* kCreditLine = "© 2026 Tolvarin  Ver." TOLVARIN_VERSION_TEXT;

inline constexpr const char* kDialogFontName = "ＭＳ Ｐゴシック";

// Picture resources stored with the dialog.
inline constexpr const char* kIconResource = "TOLVARIN_P";
inline constexpr const char* kLinkPointerResource = "LINK";
inline constexpr const char* kTileResource = "TILE";
inline constexpr const char* kMarkOffResource = "MARK_OFF";
inline constexpr const char* kMarkOnResource = "MARK_ON";

enum class ControlKind { Panel, Button, Label, Image, Shape, ComboBox, ScrollBar, Picture };

struct ControlLayout {
  std::string_view name;
  std::int32_t element;  // -1 for a control that is not part of a group
  ControlKind kind;
  std::int32_t left, top, width, height;  // twips
  std::int32_t tabIndex;                  // -1 for controls without one
  bool inPanel;                           // placed in Pic_C rather than on the window
};

// Top-level controls first, then the children of Pic_C.
std::span<const ControlLayout> DialogLayout();
// The entry of `name` (and `element` for a control group); throws when there is none.
const ControlLayout& LayoutOf(std::string_view name, std::int32_t element = -1);
// The entry's rectangle in pixels at the screen's twips per pixel.
ControlRect PixelRect(const ControlLayout& layout, double twipsPerPixelX, double twipsPerPixelY);

// Where the dialog goes: centred across the screen, a third of the free
// height from the top. Sizes in twips; each difference is rounded (halves to
// even), then divided with the fraction dropped.
struct DialogPlacement {
  std::int32_t left, top;
};
DialogPlacement PlaceDialog(double screenWidth, double screenHeight, double windowWidth, double windowHeight);

}  // namespace tolvarin
