#!/bin/bash
# A Windows build folder first configured while the cross-compiler was missing
# must not come out unoptimised once the compiler is there: the failed configure
# leaves the per-configuration flags cached as empty strings.
#
# For each cross preset: configure with the MinGW-w64 tools hidden from PATH
# (this must fail), then configure again with them present and build the effect
# library, and check the optimisation level the compiler was actually given.
# A folder whose cached Release flags were set without one must be refused.
#
# Usage: tests/build/unoptimised_configure_test.sh [PRESET...]  (default: win64 win32)
# Prints "ok NAME" or "FAIL NAME: why" per check, then a count line.
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root" || exit 1
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(win64 win32)

passed=0
failed=0
ok() { echo "ok $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1${2:+: $2}"; failed=$((failed + 1)); }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A PATH holding every program of the usual one except the MinGW-w64 tools.
hidden=$work/path-without-mingw
mkdir -p "$hidden"
IFS=: read -ra dirs <<<"$PATH"
for dir in "${dirs[@]}"; do
  [ -d "$dir" ] || continue
  for program in "$dir"/*; do
    name=${program##*/}
    case $name in *-w64-mingw32-*) continue ;; esac
    [ -x "$program" ] && [ ! -e "$hidden/$name" ] && ln -s "$program" "$hidden/$name"
  done
done

# Optimisation levels on the compile lines of a verbose build log; "none" for a
# compile line without one.
levels_of() {
  grep -E -- '-w64-mingw32-g(cc|\+\+)[^ ]* .* -c ' "$1" | while IFS= read -r line; do
    level=$(grep -oE -- '(^| )-O([0-3sz]|fast|g)?( |$)' <<<"$line" | tail -n 1 | tr -d ' ')
    echo "${level:-none}"
  done | sort | uniq -c | sed -E 's/^ +//'
}

for preset in "${presets[@]}"; do
  dir=$work/$preset
  echo "# $preset: configure without the cross-compiler on PATH"
  if PATH=$hidden cmake --preset "$preset" -B "$dir" >"$work/$preset-first.log" 2>&1; then
    fail "$preset-missing-compiler-fails" "configure succeeded without the cross-compiler"
  else
    ok "$preset-missing-compiler-fails"
  fi
  grep -E '^CMAKE_CXX_FLAGS_RELEASE:' "$dir/CMakeCache.txt" 2>/dev/null | sed 's/^/#   cached: /'

  echo "# $preset: configure and build again with the cross-compiler"
  if ! cmake --preset "$preset" -B "$dir" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    >"$work/$preset-second.log" 2>&1; then
    fail "$preset-configure-with-compiler" "$(grep -A3 'CMake Error' "$work/$preset-second.log" | head -n 6 | tr '\n' ' ')"
    continue
  fi
  grep -E '^CMAKE_CXX_FLAGS_RELEASE:' "$dir/CMakeCache.txt" | sed 's/^/#   cached: /'
  grep -E 'cached empty' "$work/$preset-second.log" | sed 's/^/#   /'
  if ! cmake --build "$dir" --target r_vold_graphics -j2 -v >"$work/$preset-build.log" 2>&1; then
    fail "$preset-build" "$(tail -n 5 "$work/$preset-build.log" | tr '\n' ' ')"
    continue
  fi
  levels=$(levels_of "$work/$preset-build.log")
  echo "#   compile lines by optimisation level: $(tr '\n' ' ' <<<"$levels")"
  if [ -z "$levels" ]; then
    fail "$preset-build-optimised" "no compile lines in the build log"
  elif grep -qvE '^[0-9]+ -O[23]$' <<<"$levels"; then
    fail "$preset-build-optimised" "compile lines by level: $(tr '\n' ' ' <<<"$levels")"
  else
    ok "$preset-build-optimised"
  fi

  echo "# $preset: Release flags set by hand without an optimisation level"
  if cmake --preset "$preset" -B "$dir" "-DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG" \
    >"$work/$preset-third.log" 2>&1; then
    fail "$preset-flags-without-level-refused" "configure accepted Release flags without -O"
  elif grep -q 'CMAKE_CXX_FLAGS_RELEASE' "$work/$preset-third.log"; then
    ok "$preset-flags-without-level-refused"
    grep -A4 'CMake Error' "$work/$preset-third.log" | sed 's/^/#   /'
  else
    fail "$preset-flags-without-level-refused" "$(grep -A3 'CMake Error' "$work/$preset-third.log" | head -n 4 | tr '\n' ' ')"
  fi
done

echo "unoptimised configure: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
