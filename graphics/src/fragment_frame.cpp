// Whole frames: the offset for the frame number, and the case where the caller
// hands the same memory in as destination and source.
#include <cstring>
#include <memory>
#include <new>

#include "gpx_fragment.h"

namespace gpx {
namespace {

struct ByteRange {
  std::uintptr_t begin;
  std::uintptr_t end;
};

// The bytes a view can touch, whichever way its rows run.
ByteRange Extent(const Pixels& p) {
  const auto first = reinterpret_cast<std::uintptr_t>(RowOf(p, 0));
  const auto final = reinterpret_cast<std::uintptr_t>(RowOf(p, p.height - 1));
  const std::uintptr_t row_bytes = static_cast<std::uintptr_t>(p.width) * 4u;
  return first <= final ? ByteRange{first, final + row_bytes} : ByteRange{final, first + row_bytes};
}

bool Overlap(const Pixels& a, const Pixels& b) {
  const ByteRange ra = Extent(a);
  const ByteRange rb = Extent(b);
  return ra.begin < rb.end && rb.begin < ra.end;
}

}  // namespace

bool DrawFragmentFrame(const Pixels& dst, const Pixels& src, int frame) {
  const int d = OffsetForFrame(frame, src.width, src.height);
  if (!Overlap(dst, src)) {
    FragmentFast(dst, src, d);
    return true;
  }
  // Rows read as late as y + d would already be overwritten: work from a copy.
  // Only this rare case pays for an allocation.
  const std::size_t row_pixels = static_cast<std::size_t>(src.width);
  const std::size_t count = row_pixels * static_cast<std::size_t>(src.height);
  std::unique_ptr<uint32_t[]> copy(new (std::nothrow) uint32_t[count]);
  if (!copy) return false;
  for (int y = 0; y < src.height; ++y) {
    std::memcpy(copy.get() + row_pixels * static_cast<std::size_t>(y), RowOf(src, y),
                row_pixels * 4u);
  }
  const Pixels snapshot{copy.get(), src.width, src.height,
                        static_cast<std::ptrdiff_t>(row_pixels * 4u)};
  FragmentFast(dst, snapshot, d);
  return true;
}

}  // namespace gpx
