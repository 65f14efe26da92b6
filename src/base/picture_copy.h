#pragma once
// Drawing a rectangle of a picture onto a rectangle of a surface, and the
// vertical and horizontal two-colour gradient fill, on pixel buffers.
#include <cstdint>

#include "base/raster.h"
#include "platform/types.h"

namespace tolvarin {

// Copies the source rectangle of `picture` onto the destination rectangle,
// stretched by nearest pixel when the sizes differ (a plain copy, no mixing).
// Clipped to both; an empty or negative size draws nothing.
void PaintPicturePixels(const PixelView& destination, const Bitmap& picture, std::int32_t x,
                        std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t sourceX,
                        std::int32_t sourceY, std::int32_t sourceWidth, std::int32_t sourceHeight);

// GradientFill with rectangle records, as Wine draws it into a 32-bit
// surface: the rectangle spans [min, max) of the two vertices' coordinates
// in both directions; each row (vertical mode) or column (horizontal mode)
// has one colour, channel = ((c0 * (len - pos) + c1 * pos) / len) / 256 with
// pos and len measured from vertex UpperLeft along the gradient. Returns
// false for an unknown mode or a vertex index out of range.
bool GradientFillPixels(const PixelView& destination, const TriVertex* vertices,
                        std::uint32_t vertexCount, const GradientRect* rects, std::uint32_t rectCount,
                        std::uint32_t mode);

}  // namespace tolvarin
