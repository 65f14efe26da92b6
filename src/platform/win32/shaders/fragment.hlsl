// The fragment effect on the graphics card, in integer arithmetic so that every
// pixel equals the effect library's: the rounded per-byte mean of four samples
// of the desktop copy at (x -/+ d, y -/+ d), each coordinate clamped to the
// picture. d = 0 gives back the clean copy exactly.
//
// The copy is an R8G8B8A8_UINT texture over the bitmap's bytes (B, G, R, X in
// memory), so its channels r, g, b, a hold B, G, R, X; the target is
// B8G8R8A8_UNORM, whose bytes in memory are b, g, r, a: the output swizzles
// back, and n / 255 stored to UNORM is n again.
//
// Compiled by tools/make_fragment_shaders into win32_fragment_shaders.inc.

Texture2D<uint4> Source : register(t0);

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

float4 Fragment(float4 position : SV_Position) : SV_Target {
  // Pixel centres are at n + 0.5: truncation gives the pixel's column and row.
  const int x = int(position.x);
  const int y = int(position.y);
  const int left = clamp(x - Offset, 0, LastX);
  const int right = clamp(x + Offset, 0, LastX);
  const int above = clamp(y - Offset, 0, LastY);
  const int below = clamp(y + Offset, 0, LastY);
  const uint4 sum = Source.Load(int3(left, above, 0)) + Source.Load(int3(right, above, 0)) +
                    Source.Load(int3(left, below, 0)) + Source.Load(int3(right, below, 0)) + 2;
  const uint4 mean = sum >> 2;  // rounds half up
  return float4(mean.bgra) / 255.0;
}
