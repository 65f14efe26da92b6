#!/bin/sh
# Rebuilds src/startup/pictures/preview.jpg with the generator in this folder.
# Needs a native C++ compiler, CMake and libjpeg (Debian: libjpeg-dev).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${BUILD_DIR:-"$root/build/make_preview_picture"}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 >/dev/null
"$build/make_preview_picture" "$root/src/startup/pictures/preview.jpg"
echo "wrote src/startup/pictures/preview.jpg"
