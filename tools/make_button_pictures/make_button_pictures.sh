#!/bin/sh
# Rebuilds the six state pictures in src/controls/pictures/ with the
# generator in this folder. Needs a native C++ compiler.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${BUILD_DIR:-"$root/build/make_button_pictures"}
mkdir -p "$build"
c++ -std=c++20 -O2 -Wall -Wextra -I"$root/src" "$here/make_button_pictures.cpp" \
  "$root/src/base/bmp.cpp" "$root/src/base/raster.cpp" -o "$build/make_button_pictures"
"$build/make_button_pictures" "$root/src/controls/pictures"
