#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine: ./run.sh /s for the
# saver, ./run.sh /c for the settings dialog; any other command line is passed
# on (a preview, /p HWND, needs a host window: tests/e2e/preview_e2e.sh makes
# one).
# With no display it runs on a private Xvfb, puts a sample desktop on the
# screen, takes screenshots while it runs and saves them in ./shots.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

scripts/install-deps.sh
. scripts/wine-env.sh

for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2 --target Tolvarin r_vold_graphics >/dev/null
done
program="$root/build/win64/bin/Tolvarin.scr"
echo "Built build/win32/bin/Tolvarin.scr (32-bit) and build/win64/bin/Tolvarin.scr (64-bit; run here)."

if [ -n "${DISPLAY:-}" ]; then
  tolvarin_wine_fonts
  exec wine "$program" "$@"
fi

shots="$root/shots"
mkdir -p "$shots"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
wineboot -i >/dev/null 2>&1 || true
wineserver -w
tolvarin_wine_fonts

# A desktop to copy: an ordinary X window covering the screen.
convert -size 1024x768 gradient:'#1d4e89-#7ab8e0' \
  -fill '#f0f0f0' -draw 'rectangle 120,100 620,460' -fill '#2a5db0' -draw 'rectangle 120,100 620,128' \
  -fill '#fafafa' -draw 'rectangle 540,300 940,660' -fill '#b03a2e' -draw 'rectangle 540,300 940,328' \
  -fill '#ffd34d' -draw 'circle 60,60 80,80' -fill '#4caf50' -draw 'rectangle 40,140 80,180' \
  "$shots/desktop.png"
display -immutable -borderwidth 0 -geometry +0+0 "$shots/desktop.png" &
viewer=$!
sleep 2

wine "$program" "$@" &
saver=$!
sleep 4
kill $viewer 2>/dev/null || true
for i in 1 2 3 4; do
  sleep 0.7
  import -window root "$shots/run-$i.png"
done
# End it as a user would: the pointer over its window, then Escape (a key ends
# the saver; Escape cancels the settings dialog).
xdotool mousemove 512 300 key Escape 2>/dev/null || true
for _ in $(seq 1 100); do kill -0 $saver 2>/dev/null || break; sleep 0.1; done
kill -0 $saver 2>/dev/null && wineserver -k
wait $saver || true
echo "Screenshots in $shots"
