// The fragment effect on the graphics card, in integer arithmetic so that every
// pixel equals the effect library's: the rounded per-byte mean of four samples
// of the desktop copy at (x -/+ d, y -/+ d), each coordinate clamped to the
// picture. d = 0 gives back the clean copy exactly.
//
// The copy is a B8G8R8A8_UNORM texture over the bitmap's bytes: a texel read
// gives n / 255 per byte, which times 255 and rounded is n again, and is
// packed back into the bitmap's 32-bit value (B, G, R, X from the lowest byte
// up). (Software rasterisers read this format far faster than integer ones.)
// The bytes are summed as the library's fast path sums them: even and odd
// bytes in separate 16-bit lanes, so nothing carries from one byte into the
// next. The target is B8G8R8A8_UNORM as well; n / 255 stored there is n.
//
// Compiled by tools/make_fragment_shaders into win32_fragment_shaders.inc.

Texture2D<float4> Source : register(t0);

cbuffer Frame : register(b0) {
  int Offset;    // d
  int LastX;     // width - 1
  int LastY;     // height - 1
  int Unused;
};

// One triangle over the whole target: (-1, 1), (3, 1), (-1, -3).
float4 FullWindow(uint id : SV_VertexID) : SV_Position {
  const float2 corner = float2((id << 1) & 2, id & 2);
  return float4(corner.x * 2 - 1, 1 - corner.y * 2, 0, 1);
}

// The bitmap's 32-bit value at a pixel, from the bytes n of its texel.
#define TEXEL(name, x, y)                                                 \
  const uint4 name##_bytes = uint4(Source.Load(int3(x, y, 0)) * 255.0 + 0.5); \
  const uint name = name##_bytes.b | (name##_bytes.g << 8) | (name##_bytes.r << 16) | (name##_bytes.a << 24)

float4 Fragment(float4 position : SV_Position) : SV_Target {
  // Pixel centres are at n + 0.5: truncation gives the pixel's column and row.
  const int x = int(position.x);
  const int y = int(position.y);
  const int left = clamp(x - Offset, 0, LastX);
  const int right = clamp(x + Offset, 0, LastX);
  const int above = clamp(y - Offset, 0, LastY);
  const int below = clamp(y + Offset, 0, LastY);
  TEXEL(a, left, above);
  TEXEL(b, right, above);
  TEXEL(c, left, below);
  TEXEL(d, right, below);
  const uint lanes = 0x00FF00FF;
  const uint rounding = 0x00020002;  // rounds half up
  const uint even = (a & lanes) + (b & lanes) + (c & lanes) + (d & lanes) + rounding;
  const uint odd = ((a >> 8) & lanes) + ((b >> 8) & lanes) + ((c >> 8) & lanes) + ((d >> 8) & lanes) + rounding;
  const uint mean = ((even >> 2) & lanes) | (((odd >> 2) & lanes) << 8);
  // Bytes B, G, R, X to the target's channels b, g, r, a.
  const uint4 bytes = uint4(mean >> 16, mean >> 8, mean, mean >> 24) & 0xFF;
  return float4(bytes) / 255.0;
}
