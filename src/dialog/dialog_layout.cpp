#include "dialog/dialog_layout.h"

#include "base/checked.h"
#include "base/errors.h"

namespace tolvarin {
namespace {

using K = ControlKind;

constexpr ControlLayout kLayout[] = {
    // name, element, kind, left, top, width, height, tab, in panel
    {"Pic_C", -1, K::Panel, 180, 240, 7035, 2475, 1, false},
    {"Cmd_Set", -1, K::Button, 4860, 3000, 1155, 375, 13, false},
    {"Cmd_Can", -1, K::Button, 6060, 3000, 1155, 375, 14, false},
    {"lbl", 7, K::Label, 180, 2880, 2475, 195, 0, false},
    {"lbl_URL", -1, K::Label, 180, 3120, 3105, 195, 10, false},
    {"Pic_Mbl", -1, K::Picture, 120, 4680, 8340, 300, 11, false},
    {"Img_Ra", 0, K::Image, 8040, 300, 180, 180, -1, false},
    {"Img_Ra", 1, K::Image, 8040, 600, 180, 180, -1, false},

    {"lbl", 15, K::Label, 300, 360, 1665, 195, 8, true},
    {"Shape3", 3, K::Shape, 300, 300, 1695, 315, -1, true},
    {"lbl", 0, K::Label, 4140, 360, 1725, 195, 15, true},
    {"Shape3", 0, K::Shape, 4140, 300, 1695, 315, -1, true},
    {"Img_BGM", 1, K::Image, 420, 840, 195, 195, -1, true},
    {"lbl_BGM", 1, K::Label, 660, 840, 645, 195, 6, true},
    {"BGM_Repeat", -1, K::ComboBox, 1680, 780, 615, 300, 2, true},
    {"lbl", 14, K::Label, 2340, 840, 990, 195, 7, true},
    {"Img_BGM", 0, K::Image, 420, 1140, 195, 195, -1, true},
    {"lbl_BGM", 0, K::Label, 660, 1140, 330, 195, 4, true},
    {"Img_BGM", 2, K::Image, 420, 1440, 195, 195, -1, true},
    {"lbl_BGM", 2, K::Label, 660, 1440, 900, 195, 5, true},
    {"Cmd_File", -1, K::Button, 420, 1740, 615, 315, 12, true},
    {"lbl_Fname", -1, K::Label, 1080, 1740, 5595, 495, 3, true},
    {"HS_Doai", -1, K::ScrollBar, 4920, 780, 1335, 255, 16, true},
    {"lbl_Doai", -1, K::Label, 4920, 1080, 1335, 195, 17, true},
};

}  // namespace

std::span<const ControlLayout> DialogLayout() { return kLayout; }

const ControlLayout& LayoutOf(std::string_view name, std::int32_t element) {
  for (const ControlLayout& layout : kLayout)
    if (layout.name == name && layout.element == element) return layout;
  throw ProgramError(kErrorInvalidPropertyValue, "Control array element does not exist");
}

ControlRect PixelRect(const ControlLayout& layout, double twipsPerPixelX, double twipsPerPixelY) {
  return ControlRect{TwipsToPixels(layout.left, twipsPerPixelX), TwipsToPixels(layout.top, twipsPerPixelY),
                     TwipsToPixels(layout.width, twipsPerPixelX), TwipsToPixels(layout.height, twipsPerPixelY)};
}

DialogPlacement PlaceDialog(double screenWidth, double screenHeight, double windowWidth, double windowHeight) {
  const std::int32_t freeWidth = RoundHalfEven<std::int32_t>(screenWidth - windowWidth);
  const std::int32_t freeHeight = RoundHalfEven<std::int32_t>(screenHeight - windowHeight);
  return DialogPlacement{freeWidth / 2, freeHeight / 3};
}

}  // namespace tolvarin
