#pragma once
// The checksum a compiled shader (a DXBC container) carries in bytes 4 to 19.
// Direct3D on Windows refuses bytecode whose checksum does not match, while
// Wine does not look, so the committed shaders are checked here.
#include <array>
#include <cstddef>
#include <cstdint>

namespace tolvarin {

// MD5 over the container after its first 20 bytes, with the length placed as
// the compiler places it (not MD5's own padding).
std::array<std::uint32_t, 4> DxbcChecksum(const unsigned char* container, std::size_t size);

// Whether `container` starts with "DXBC", names its own size and carries the
// checksum of its contents.
bool DxbcChecksumValid(const unsigned char* container, std::size_t size);

}  // namespace tolvarin
