#!/bin/sh
# Regenerates src/base/cp932_table.inc from glibc's CP932 converter.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
c++ -std=c++20 -O2 -Wall -Wextra -o "$tmp/gen" "$root/tools/gen_cp932_table.cpp"
"$tmp/gen" > "$tmp/cp932_table.inc"
mv "$tmp/cp932_table.inc" "$root/src/base/cp932_table.inc"
