#!/bin/bash
# Preview mode end to end: the 64-bit Tolvarin.scr under Wine on a private
# virtual display, hosted by preview_host.exe as the display settings would.
#
# Usage: tests/e2e/preview_e2e.sh [BUILD_DIR]      (default: build/win64)
# Needs: Xvfb, wine (64-bit). No screenshot: Wine 8 draws no child window of
# another process, so the preview's pixels are the unit tests'. Prints "ok
# NAME" or "FAIL NAME: why" per check, then a count line; the exit status is 1
# when any check failed.
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" 2>/dev/null && pwd) || build=${1:-$root/build/win64}
scr=$build/bin/Tolvarin.scr
host=$build/bin/preview_host.exe

suite="preview"
. "$root/tests/e2e/e2e_tally.sh"

for file in "$scr" "$host" "$build/bin/r_vold_graphics.dll"; do
  [ -f "$file" ] || fail setup "missing $file (build the win64 preset first)"
done
[ "$failed" -eq 0 ] || finish

work=$(mktemp -d)
xvfb_pid=
. "$root/tests/e2e/wine_display.sh"
cleanup() {
  stop_wine_display
  rm -rf "$work"
}
trap cleanup EXIT
start_wine_display 800x600 || finish

scr_w=$(winepath -w "$scr" 2>/dev/null)

wine "$host" "$scr_w" >"$work/host.log" 2>"$work/host.err" &
host_pid=$!
# Every check of the host ends well within this.
for _ in $(seq 1 1200); do
  kill -0 "$host_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$host_pid" 2>/dev/null; then
  kill "$host_pid" 2>/dev/null
  fail host-finishes "preview_host.exe still running after two minutes"
fi
wait "$host_pid" 2>/dev/null
host_status=$?

while IFS= read -r line; do
  line=${line%$'\r'}
  case $line in
    "ok "*) ok "${line#ok }" ;;
    "FAIL "*) rest=${line#FAIL }; fail "${rest%%: *}" "${rest#*: }" ;;
  esac
done <"$work/host.log"
if [ "$host_status" -ne 0 ] && [ "$failed" -eq 0 ]; then
  fail host-exit "preview_host.exe exited with $host_status: $(head -c 300 "$work/host.err")"
fi
finish
