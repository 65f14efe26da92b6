#!/bin/sh
# Rebuilds src/platform/win32/win32_fragment_shaders.inc from shaders/fragment.hlsl:
# cross-builds the generator with MinGW-w64 and runs it under Wine, whose
# d3dcompiler_47 compiles the shaders (on Windows, run the generator itself).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${BUILD_DIR:-"$root/build/make_fragment_shaders"}
mkdir -p "$build"
x86_64-w64-mingw32-g++ -std=c++20 -O2 -Wall -Wextra -static -I"$root/src" \
  "$here/make_fragment_shaders.cpp" "$root/src/platform/win32/dxbc_checksum.cpp" \
  -o "$build/make_fragment_shaders.exe"
. "$root/scripts/wine-env.sh"
wine "$build/make_fragment_shaders.exe" "$(winepath -w "$root/src/platform/win32/shaders/fragment.hlsl")" \
  "$(winepath -w "$build/win32_fragment_shaders.inc")"
cp "$build/win32_fragment_shaders.inc" "$root/src/platform/win32/win32_fragment_shaders.inc"
echo "wrote src/platform/win32/win32_fragment_shaders.inc"
