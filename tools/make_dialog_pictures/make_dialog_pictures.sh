#!/bin/sh
# Rebuilds the settings dialog's pictures in src/dialog/pictures with the
# generator in this folder. Needs a native C++ compiler, CMake and libjpeg
# (Debian: libjpeg-dev).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${BUILD_DIR:-"$root/build/make_dialog_pictures"}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 >/dev/null
"$build/make_dialog_pictures" "$root/src/dialog/pictures"
echo "wrote src/dialog/pictures"
