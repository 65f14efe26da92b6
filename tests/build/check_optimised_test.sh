#!/bin/bash
# package.sh packs a Windows build folder only when what it compiled was
# optimised: scripts/check-optimised.sh against made-up folders (a Release
# cache and compile commands of the packed targets), one fault each.
# Prints "ok NAME" or "FAIL NAME: why" per check, then a count line.
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
passed=0
failed=0
ok() { echo "ok $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1${2:+: $2}"; failed=$((failed + 1)); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# folder NAME BUILD_TYPE FLAGS_OF_THE_PROGRAM [FLAGS_OF_THE_LIBRARY]
folder() {
  local dir=$work/$1
  mkdir -p "$dir"
  echo "CMAKE_BUILD_TYPE:STRING=$2" >"$dir/CMakeCache.txt"
  cat >"$dir/compile_commands.json" <<JSON
[
{
  "directory": "$dir",
  "command": "/usr/bin/x86_64-w64-mingw32-g++-posix -Isrc $3 -std=c++20 -o CMakeFiles/tolvarin_core.dir/src/settings/settings.cpp.obj -c src/settings/settings.cpp",
  "output": "CMakeFiles/tolvarin_core.dir/src/settings/settings.cpp.obj"
},
{
  "directory": "$dir",
  "command": "/usr/bin/x86_64-w64-mingw32-g++-posix -Igraphics ${4:-$3} -std=c++20 -o graphics/CMakeFiles/r_vold_graphics_reference.dir/src/fragment_fast.cpp.obj -c graphics/src/fragment_fast.cpp",
  "output": "graphics/CMakeFiles/r_vold_graphics_reference.dir/src/fragment_fast.cpp.obj"
},
{
  "directory": "$dir",
  "command": "/usr/bin/x86_64-w64-mingw32-g++-posix -O0 -g -o tests/CMakeFiles/tolvarin_tests.dir/a_test.cpp.obj -c tests/a_test.cpp",
  "output": "tests/CMakeFiles/tolvarin_tests.dir/a_test.cpp.obj"
}
]
JSON
}

expect() { # NAME accepted|refused
  if "$root/scripts/check-optimised.sh" "$work/$1" >"$work/$1.log" 2>&1; then got=accepted; else got=refused; fi
  if [ "$got" = "$2" ]; then ok "$1-$2"; else fail "$1-$2" "$got: $(cat "$work/$1.log")"; fi
}

# The tests' own objects do not count: only the packed targets'.
folder optimised Release "-O2 -DNDEBUG"
expect optimised accepted
folder level-three Release "-O3 -DNDEBUG"
expect level-three accepted
# Release flags cached empty by a configure that failed.
folder no-level Release "-DNDEBUG"
expect no-level refused
# The last level given is the one the compiler follows.
folder lowered-later Release "-O2 -DNDEBUG -O0"
expect lowered-later refused
folder library-unoptimised Release "-O2 -DNDEBUG" "-Og"
expect library-unoptimised refused
folder debug-type Debug "-O2"
expect debug-type refused
folder no-commands Release "-O2"
rm "$work/no-commands/compile_commands.json"
expect no-commands refused

echo "check optimised: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
