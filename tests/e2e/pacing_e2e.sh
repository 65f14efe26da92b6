#!/bin/bash
# Frame pacing end to end: the 64-bit Tolvarin.scr under Wine with a stand-in
# dwmapi.dll (dwmapi_standin.cpp) in the prefix's system folder, loaded
# through a DLL override. Wine's own reports the desktop not composed, so only
# the stand-in reaches the DwmFlush path that every Windows 8 machine takes.
#   - DwmFlush returns at once (the display is off): ~60 frames a second and
#     little processor time, not an unthrottled loop.
#   - DwmFlush blocks for 200 ms (some drivers): a key still ends the run promptly.
#
# Usage: tests/e2e/pacing_e2e.sh [BUILD_DIR]      (default: build/win64)
# Uses a Wine prefix of its own (BUILD_DIR/e2e-pacing-wineprefix), since it
# replaces a system library there. Prints "ok NAME" or "FAIL NAME: why" per
# check, then "pacing e2e: N passed, M failed".
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" 2>/dev/null && pwd) || build=${1:-$root/build/win64}
scr=$build/bin/Tolvarin.scr

suite="pacing"
. "$root/tests/e2e/e2e_tally.sh"

[ -f "$scr" ] || fail setup "missing $scr (build the win64 preset first)"
[ "$failed" -eq 0 ] || finish

work=$(mktemp -d)
xvfb_pid=
saver_pid=
export TOLVARIN_WINEPREFIX=$build/e2e-pacing-wineprefix
. "$root/tests/e2e/wine_display.sh"
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null
  stop_wine_display
  rm -rf "$work"
}
trap cleanup EXIT
start_wine_display 800x600 || finish
mkdir -p "$work/app"
# Without the effect library each frame costs least, so an unpaced loop shows
# most plainly in the frame rate (here the processor time mostly goes to Wine).
# Without it the saver also leaves the graphics card unused: the frames are
# presented through GDI, the processor path these checks are about.
cp "$scr" "$work/app/"
export WINEDLLOVERRIDES="mscoree,mshtml=;dwmapi=n"
export TOLVARIN_DWM_LOG
TOLVARIN_DWM_LOG=$(winepath -w "$work/flushes.txt")

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null; }
flushes() { cut -d' ' -f1 "$work/flushes.txt" 2>/dev/null || echo 0; }

install_standin() { # BLOCK_MS
  x86_64-w64-mingw32-g++-posix -O2 -shared -static -DFLUSH_BLOCK_MS="$1" \
    "$root/tests/e2e/dwmapi_standin.cpp" -o "$WINEPREFIX/drive_c/windows/system32/dwmapi.dll" \
    >"$work/standin.log" 2>&1
}

start_saver() { # starts the saver; 0 once it draws (DwmFlush has been called)
  rm -f "$work/flushes.txt"
  wine "$work/app/Tolvarin.scr" /s >>"$work/saver.log" 2>&1 &
  saver_pid=$!
  for _ in $(seq 1 900); do
    [ -s "$work/flushes.txt" ] && return 0
    kill -0 "$saver_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# DwmFlush returning at once: the timer must take over.
if install_standin 0 && start_saver; then
  sleep 1
  frames0=$(flushes) cpu0=$(cpu_ticks "$saver_pid") t0=$(now_ms)
  sleep 4
  frames1=$(flushes) cpu1=$(cpu_ticks "$saver_pid") t1=$(now_ms)
  hz=$(getconf CLK_TCK)
  fps=$(((frames1 - frames0) * 1000 / (t1 - t0)))
  cpu=$(((cpu1 - cpu0) * 100 * 1000 / hz / (t1 - t0)))
  [ "$fps" -ge 45 ] && [ "$fps" -le 75 ]
  if [ $? -eq 0 ]; then ok flush-at-once-stays-near-60fps "$fps frames/s"; else fail flush-at-once-stays-near-60fps "$fps frames/s"; fi
  if [ "$cpu" -le 30 ]; then ok flush-at-once-low-cpu "$cpu% of a core"; else fail flush-at-once-low-cpu "$cpu% of a core"; fi
  key_ends_within flush-at-once-key-ends 1000 400 300
else
  fail flush-at-once-starts "the saver never drew: $(tail -c 300 "$work/standin.log" "$work/saver.log")"
fi

# DwmFlush blocking for 200 ms: a key must not wait behind it for long.
if install_standin 200 && start_saver; then
  sleep 2
  key_ends_within flush-blocking-key-ends 500 400 300
else
  fail flush-blocking-starts "the saver never drew"
fi
finish
