#!/bin/bash
# Every monitor end to end: the 64-bit Tolvarin.scr under Wine on an Xorg
# server with the dummy driver and two monitors (Xvfb cannot give Wine two:
# its Xinerama puts every head at 0,0). The primary is 1024x768; a second of
# 800x600 lies right of it, then left of it (a negative virtual-screen
# origin). Each monitor shows a flat colour of its own before the start; the
# saver's copy must show both, and the window must cover both.
#
# Usage: tests/e2e/monitors_e2e.sh [BUILD_DIR]      (default: build/win64)
# Needs: Xorg with xserver-xorg-video-dummy, xrandr, xdotool, ImageMagick.
# Prints "ok NAME" or "FAIL NAME: why" per check, then "monitors e2e: N
# passed, M failed". Screenshots go to $E2E_SHOTS (default: build/e2e-shots).
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" 2>/dev/null && pwd) || build=${1:-$root/build/win64}
shots=${E2E_SHOTS:-$root/build/e2e-shots}
scr=$build/bin/Tolvarin.scr

suite="monitors"
. "$root/tests/e2e/e2e_tally.sh"

for tool in Xorg xrandr xdotool wine import convert x86_64-w64-mingw32-g++-posix; do
  command -v "$tool" >/dev/null 2>&1 || fail setup "missing tool $tool"
done
[ -f "$scr" ] || fail setup "missing $scr (build the win64 preset first)"
[ "$failed" -eq 0 ] || finish

work=$(mktemp -d)
xorg_pid=
saver_pid=
painters=()
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null
  for pid in "${painters[@]}"; do kill "$pid" 2>/dev/null; done
  wineserver -k >/dev/null 2>&1
  [ -n "$xorg_pid" ] && kill "$xorg_pid" 2>/dev/null && wait "$xorg_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shots" "$work/app"
# No effect library: the picture stays the still copy, so every pixel is checkable.
cp "$scr" "$work/app/"

cat >"$work/xorg.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
  Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
  Modeline "800x600" 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768"
    Virtual 1824 768
  EndSubSection
EndSection
CONF

number=
for n in $(seq 161 220); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then number=$n; break; fi
done
[ -n "$number" ] || { fail setup "no free X display number"; finish; }
Xorg ":$number" -config "$work/xorg.conf" -noreset -nolisten tcp -logfile "$work/xorg.log" \
  >"$work/xorg.out" 2>&1 &
xorg_pid=$!
export DISPLAY=":$number"
for _ in $(seq 1 100); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || { fail setup "Xorg did not start: $(tail -n 5 "$work/xorg.log")"; finish; }
xrandr --addmode DUMMY1 800x600 >/dev/null 2>&1

export WINEPREFIX=${TOLVARIN_WINEPREFIX:-$build/e2e-wineprefix}
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >"$work/wineboot.log" 2>&1 || { fail setup "wineboot failed"; finish; }
fi

probe=$work/window_probe.exe
x86_64-w64-mingw32-g++-posix -O2 -static "$root/tests/e2e/window_probe.cpp" -o "$probe" \
  >"$work/probe.log" 2>&1 || { fail setup "window probe did not build"; finish; }
probe() { wine "$probe" Tolvarin_Main 2>/dev/null | tr -d '\r'; }

# Paints an X rectangle in one flat colour: GEOMETRY COLOUR.
paint() {
  convert -size "${1%%+*}" "xc:$2" "$work/paint-$2.png"
  display -immutable -borderwidth 0 -geometry "$1" -title "paint-$2" "$work/paint-$2.png" \
    >/dev/null 2>&1 &
  painters+=($!)
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }
pixel() { convert "$1" -format "%[hex:p{$2}]" info: 2>/dev/null; }

# One layout: XRANDR-POSITION (of DUMMY1 relative to DUMMY0) NAME EXPECTED-VIRTUAL
# EXPECTED-WINDOW PRIMARY-POINT SECOND-POINT (points in root-window pixels).
layout() {
  local where=$1 name=$2 virtual=$3 window=$4 first=$5 second=$6 facts shot
  xrandr --output DUMMY1 --mode 800x600 "$where" DUMMY0 >/dev/null 2>&1
  sleep 1
  for pid in "${painters[@]}"; do kill "$pid" 2>/dev/null; done
  painters=()
  # X places the primary (DUMMY0) wherever xrandr put it; paint each monitor.
  local p0 p1
  p0=$(xrandr | sed -n 's/^DUMMY0 connected[^0-9]*\([0-9x+]*\).*/\1/p')
  p1=$(xrandr | sed -n 's/^DUMMY1 connected[^0-9]*\([0-9x+]*\).*/\1/p')
  paint "${p0%%+*}+${p0#*+}" '#20C040'
  paint "${p1%%+*}+${p1#*+}" '#C02060'
  sleep 2
  wineserver -k >/dev/null 2>&1  # Wine reads the monitors when it starts
  facts=$(probe)
  case "$facts" in *"monitors=2 virtual=$virtual "*) ok "$name-two-monitors" "$facts" ;;
    *) fail "$name-two-monitors" "$facts (X: $p0 and $p1)" ;; esac

  wine "$work/app/Tolvarin.scr" /s >>"$work/saver.log" 2>&1 &
  saver_pid=$!
  local deadline=$(($(now_ms) + 60000))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    xdotool search --onlyvisible --name '^Tolvarin_Main$' >/dev/null 2>&1 && break
    sleep 0.2
  done
  # Take the painted windows away: what stays on screen is the saver's copy.
  for pid in "${painters[@]}"; do kill "$pid" 2>/dev/null; done
  painters=()
  sleep 1.5
  facts=$(probe)
  case "$facts" in *"$window"*) ok "$name-window-covers-both" "$facts" ;;
    *) fail "$name-window-covers-both" "$facts" ;; esac
  shot="$shots/monitors_$name.png"
  import -window root -depth 8 "PNG24:$shot" 2>/dev/null
  local a b
  a=$(pixel "$shot" "$first")
  b=$(pixel "$shot" "$second")
  [ "$a" = "20C040" ] && [ "$b" = "C02060" ]
  check "$name-copy-shows-both-monitors" $? "primary at $first: $a, second at $second: $b"
  xdotool mousemove "${first%,*}" "${first#*,}" key shift
  deadline=$(($(now_ms) + 3000))
  while kill -0 "$saver_pid" 2>/dev/null && [ "$(now_ms)" -lt "$deadline" ]; do sleep 0.05; done
  ! kill -0 "$saver_pid" 2>/dev/null
  check "$name-key-ends" $? "still running 3 s after the key"
  kill "$saver_pid" 2>/dev/null
  wait "$saver_pid" 2>/dev/null
  saver_pid=
}

# Right of the primary: virtual screen 0,0 1824x768, the second at 1024,0.
layout --right-of right "0,0,1824,768" "left=0 top=0 width=1824 height=768" "500,400" "1400,300"
# Left of the primary: X puts the second at 0,0 and the primary at 800,0;
# Windows counts from the primary, so the virtual screen starts at -800.
layout --left-of left "-800,0,1824,768" "left=-800 top=0 width=1824 height=768" "1300,400" "400,300"
finish
