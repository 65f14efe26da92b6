#!/usr/bin/env bash
# Refuses a Windows build folder whose release files were not compiled
# optimised: the cached build type must be Release and every compile command
# of the program and the effect library (compile_commands.json, written when
# CMAKE_EXPORT_COMPILE_COMMANDS is on) must carry -O2 or -O3.
# Usage: scripts/check-optimised.sh BUILD_DIR   Exit status 1 when refused.
set -euo pipefail
dir=$1
cache=$dir/CMakeCache.txt
commands=$dir/compile_commands.json
refuse() { echo "check-optimised: $dir: $1" >&2; exit 1; }

[ -f "$cache" ] || refuse "no CMakeCache.txt"
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$cache")
[ "$type" = Release ] || refuse "build type is \"$type\", not Release"
[ -f "$commands" ] || refuse "no compile_commands.json (configure with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON)"

# The compile lines of the targets that are packed.
lines=$(grep -E '"command": ".*-w64-mingw32-g(cc|\+\+)[^ ]* .* -o [^ ]*CMakeFiles/(Tolvarin|tolvarin_win32|tolvarin_core|r_vold_graphics|r_vold_graphics_reference)\.dir/' \
  "$commands" || true)
[ -n "$lines" ] || refuse "no compile commands for Tolvarin or r_vold_graphics"
total=$(wc -l <<<"$lines")
# The last -O on a line is the one the compiler follows.
bad=$(while IFS= read -r line; do
  level=$(grep -oE -- ' -O([0-3sz]|fast|g)?( |")' <<<"$line" | tail -n 1 | tr -d ' "')
  case $level in -O2 | -O3) ;; *) echo "${level:-no -O}: $(grep -oE -- '-o [^ ]+' <<<"$line")" ;; esac
done <<<"$lines")
[ -z "$bad" ] || refuse "compiled without optimisation: $(head -n 3 <<<"$bad" | tr '\n' ';')"
echo "check-optimised: $dir: Release, $total compile commands all at -O2 or -O3"
