// The graphics card's frames against the effect library's, byte for byte:
// the shader drawn into a texture and read back, GPX_Fragment on the same
// picture through device contexts, as the saver calls it.
#include "platform/win32/win32_d3d_fragment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "gpx_fragment.h"
#include "graphics/gpx_test_image.h"
#include "platform/win32/dxbc_checksum.h"
#include "platform/win32/win32_fragment_shaders.inc"
#include "r_vold_graphics.h"

namespace tolvarin {
namespace {

using Microsoft::WRL::ComPtr;

// Draws one frame on the card into a texture of the picture's size and reads it back.
class CardTarget {
 public:
  CardTarget(D3dFragment& card, int width, int height) : card_(card), width_(width), height_(height) {
    D3D11_TEXTURE2D_DESC desc{};
    desc.Width = UINT(width);
    desc.Height = UINT(height);
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;  // as the swap chain's buffers
    desc.SampleDesc.Count = 1;
    desc.Usage = D3D11_USAGE_DEFAULT;
    desc.BindFlags = D3D11_BIND_RENDER_TARGET;
    ok_ = SUCCEEDED(card.device()->CreateTexture2D(&desc, nullptr, &target_)) &&
          SUCCEEDED(card.device()->CreateRenderTargetView(target_.Get(), nullptr, &view_));
    desc.Usage = D3D11_USAGE_STAGING;
    desc.BindFlags = 0;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    ok_ = ok_ && SUCCEEDED(card.device()->CreateTexture2D(&desc, nullptr, &staging_));
  }
  bool ok() const { return ok_; }

  Bitmap Draw(int offset) {
    card_.Draw(view_.Get(), width_, height_, offset);
    card_.context()->CopyResource(staging_.Get(), target_.Get());
    D3D11_MAPPED_SUBRESOURCE mapped{};
    Bitmap out(width_, height_);
    if (FAILED(card_.context()->Map(staging_.Get(), 0, D3D11_MAP_READ, 0, &mapped))) return {};
    for (int y = 0; y < height_; ++y)
      std::memcpy(&out.at(0, y), static_cast<const unsigned char*>(mapped.pData) + std::size_t(y) * mapped.RowPitch,
                  std::size_t(width_) * 4);
    card_.context()->Unmap(staging_.Get(), 0);
    return out;
  }

 private:
  D3dFragment& card_;
  int width_, height_;
  bool ok_ = false;
  ComPtr<ID3D11Texture2D> target_, staging_;
  ComPtr<ID3D11RenderTargetView> view_;
};

// Equal pictures, or where they first differ.
::testing::AssertionResult SameBytes(const Bitmap& card, const Bitmap& library) {
  if (card.width != library.width || card.height != library.height)
    return ::testing::AssertionFailure() << "sizes differ";
  const auto [a, b] = std::mismatch(card.pixels.begin(), card.pixels.end(), library.pixels.begin());
  if (a == card.pixels.end()) return ::testing::AssertionSuccess();
  const auto at = a - card.pixels.begin();
  return ::testing::AssertionFailure() << "first at (" << at % card.width << ", " << at / card.width << "): card "
                                       << std::hex << *a << ", library " << *b;
}

TEST(D3dFragmentTest, EveryFrameEqualsTheEffectLibrarysByteForByte) {
  struct Size { int width, height; };
  for (const Size size : {Size{1024, 768}, Size{1920, 1080}, Size{1001, 677}}) {
    SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
    // Every byte random, the fourth (X) included: the card must not assume it 0.
    gpx_test::DibDc source(size.width, size.height, true, std::uint32_t(size.width * 31 + size.height));
    gpx_test::DibDc destination(size.width, size.height, true, 1);
    ASSERT_TRUE(source.bits && destination.bits);
    Bitmap picture(size.width, size.height);
    std::memcpy(picture.pixels.data(), source.bits, picture.pixels.size() * 4);
    std::string why;
    const auto card = D3dFragment::Create(picture, why);
    // Under Wine a device exists (on the software OpenGL): its absence is a fault here.
    ASSERT_TRUE(card) << "no Direct3D 11 device: " << why;
    CardTarget target(*card, size.width, size.height);
    ASSERT_TRUE(target.ok());

    // Both ends of the curve's straight part, the bend after it, and the far end.
    for (const std::int32_t frame : {0, 1, 50, 99, 100, 1000, 32767}) {
      SCOPED_TRACE(frame);
      std::int32_t result = 0;
      ASSERT_EQ(GPX_Fragment(destination.dc, source.dc, frame, &result), 1);
      GdiFlush();
      Bitmap library(size.width, size.height);
      std::memcpy(library.pixels.data(), destination.bits, library.pixels.size() * 4);
      const Bitmap drawn = target.Draw(gpx::OffsetForFrame(frame, size.width, size.height));
      EXPECT_TRUE(SameBytes(drawn, library));
    }
    // Offset 0 is the reset: the clean copy itself.
    EXPECT_TRUE(SameBytes(target.Draw(0), picture));
  }
}

TEST(D3dFragmentTest, ShippedShadersCarryTheChecksumWindowsChecks) {
  for (const auto& [code, size] : {std::pair{kFullWindowVertexShader, sizeof kFullWindowVertexShader},
                                   std::pair{kFragmentPixelShader, sizeof kFragmentPixelShader}}) {
    EXPECT_TRUE(DxbcChecksumValid(code, size));
    // One changed byte anywhere after the checksum's own bytes is caught.
    std::vector<unsigned char> changed(code, code + size);
    for (std::size_t at : {std::size_t(20), size / 2, size - 1}) {
      changed[at] ^= 0x01;
      EXPECT_FALSE(DxbcChecksumValid(changed.data(), size)) << at;
      changed[at] ^= 0x01;
    }
    EXPECT_FALSE(DxbcChecksumValid(code, size - 4));  // the size it names no longer holds
  }
}

}  // namespace
}  // namespace tolvarin
