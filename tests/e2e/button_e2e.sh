#!/bin/bash
# The Command button end to end: button_host.exe shows two buttons on the
# real Windows backend under Wine on a private virtual display; xdotool moves,
# presses and releases the pointer. Checked per step: the face the host
# reports (equal pixel for pixel to the simulated face), Click exactly when
# it is due, and a screenshot of each button whose frame ring and gradient
# equal the simulated face (the caption's text aside).
#
# Usage: tests/e2e/button_e2e.sh [BUILD_DIR]      (default: build/win64)
# Needs: Xvfb, wine (64-bit), xdotool, ImageMagick, fonts-ipafont-gothic.
# Leaves enlarged screenshots of the buttons in $SHOTS (default: shots/).
# Prints "ok NAME" or "FAIL NAME: why" per check, then a count line.
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" 2>/dev/null && pwd) || build=${1:-$root/build/win64}
shots=${SHOTS:-$root/shots}
scr=$build/bin/Tolvarin.scr
host=$build/bin/button_host.exe

suite="button"
. "$root/tests/e2e/e2e_tally.sh"

for file in "$scr" "$host"; do
  [ -f "$file" ] || fail setup "missing $file (build the win64 preset first)"
done
[ "$failed" -eq 0 ] || finish

work=$(mktemp -d)
xvfb_pid=
host_pid=
. "$root/tests/e2e/wine_display.sh"
. "$root/scripts/wine-env.sh"
cleanup() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  stop_wine_display
  rm -rf "$work"
}
trap cleanup EXIT
start_wine_display 640x480 || finish
mkdir -p "$shots"

log=$work/host.log

# start_host RUN: runs the host until stop_host; reads the buttons' rectangles.
start_host() {
  run=$1
  mkdir -p "$work/$run"
  rm -f "$work/stop"
  : >"$log"
  wine "$host" "$(winepath -w "$scr")" "$(winepath -w "$work/$run")" "$(winepath -w "$work/stop")" \
    >"$log" 2>"$work/host.err" &
  host_pid=$!
  for _ in $(seq 1 300); do
    grep -q '^ready' "$log" && break
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -q '^ready' "$log"; then
    fail "$run: host-ready" "$(head -c 300 "$work/host.err")"
    return 1
  fi
  read -r _ _ b1l b1t b1r b1b < <(grep '^button 1 ' "$log" | tr -d '\r')
  read -r _ _ b2l b2t b2r b2b < <(grep '^button 2 ' "$log" | tr -d '\r')
  sleep 0.3
}

stop_host() {
  touch "$work/stop"
  for _ in $(seq 1 100); do
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$host_pid" 2>/dev/null; then
    kill "$host_pid"
    fail "$run: host-ends" "still running 10 s after the stop file"
  fi
  wait "$host_pid" 2>/dev/null
  host_pid=
  if grep -q '^face [12] unknown' "$log"; then
    fail "$run: faces-simulated" "a face differs from every simulated face: $(grep -c unknown "$log") times"
  else
    ok "$run: faces-simulated"
  fi
}

# HighLight and HighLightSelect are the same picture: their faces cannot be told apart.
same_look() { sed 's/HighLightSelect/HighLight/'; }
last_face() { grep "^face $1 " "$log" | tail -n 1 | tr -d '\r' | cut -d' ' -f3- | same_look; }
clicks() { grep -c "^click $1" "$log"; }

# expect_face STEP N "PICTURE DIRECTION": waits up to 2 s for the host to report it.
expect_face() {
  local got want
  want=$(same_look <<<"$3")
  for _ in $(seq 1 20); do
    got=$(last_face "$2")
    [ "$got" = "$want" ] && { ok "$run: $1: button $2 $3"; return 0; }
    sleep 0.1
  done
  fail "$run: $1: button $2" "shows \"$got\", expected \"$3\""
}

expect_clicks() {
  sleep 0.3
  local got
  got=$(clicks "$2")
  if [ "$got" -eq "$3" ]; then ok "$run: $1: $3 clicks on button $2"; else fail "$run: $1: clicks on button $2" "$got, expected $3"; fi
}

# shot_check STEP N PICTURE_DIRECTION: the button on screen against the
# simulated face, with the caption's text box masked in both (the text's
# width in pixels in the Japanese font wine_display.sh maps; text in a wider
# font spills past the mask and fails the check).
shot_check() {
  local step=$1 n=$2 face=$3 l t r b text w h top bottom x0 x1 diff
  case $n in
    1) l=$b1l t=$b1t r=$b1r b=$b1b text=26 ;;
    *) l=$b2l t=$b2t r=$b2r b=$b2b text=35 ;;
  esac
  w=$((r - l)) h=$((b - t))
  # The caption label's rows: top (H - 215) / 2 twips, 195 twips high.
  top=$(( (h * 15 - 215) / 2 / 15 )) bottom=$(( top + 13 ))
  x0=$(( (w - text) / 2 - 2 )) x1=$(( (w + text) / 2 + 2 ))
  [ "$x0" -lt 0 ] && x0=0
  [ "$x1" -ge "$w" ] && x1=$((w - 1))
  import -window root "$work/shot.png" 2>/dev/null
  convert "$work/shot.png" -crop "${w}x${h}+${l}+${t}" +repage "$work/button.png"
  convert "$work/button.png" -scale 800% "$shots/button_${run}_${step}_${n}.png"
  local mask=(-fill black -draw "rectangle $x0,$top $x1,$bottom")
  convert "$work/button.png" "${mask[@]}" "$work/a.png"
  convert "$work/$run/face${n}_${face}.bmp" "${mask[@]}" "$work/b.png"
  diff=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1)
  if [ "$diff" = 0 ]; then
    ok "$run: $step: screen shows $face on button $n"
  else
    fail "$run: $step: screen of button $n" "$diff pixels differ from $face"
  fi
}

# ---- Wine without window-manager mode: focus stays where the program puts it.
tolvarin_wine_managed no
if start_host unmanaged; then
  expect_face start 1 "Normal normal"
  expect_face start 2 "Normal normal"
  shot_check start 1 Normal_normal
  shot_check start 2 Normal_normal

  xdotool mousemove $((b1l + 3)) $((b1t + 3))
  expect_face hover 1 "HighLight reversed"
  shot_check hover 1 HighLight_reversed

  xdotool mousedown 1
  expect_face press 1 "Pressed reversed"
  shot_check press 1 Pressed_reversed
  expect_clicks press 1 0

  xdotool mouseup 1
  expect_face release 1 "HighLightSelect reversed"
  shot_check release 1 HighLightSelect_reversed
  expect_clicks release 1 1

  xdotool mousemove $((b1l + 200)) $((b1t + 150))
  sleep 0.4
  expect_face leave 1 "Selected normal"
  shot_check leave 1 Selected_normal

  xdotool mousemove $(( (b1l + b1r) / 2 )) $((b1t + 10))
  expect_face back-over-caption 1 "HighLightSelect normal"
  shot_check back-over-caption 1 HighLightSelect_normal

  # A cancelled click on the second button: press, off, a tick, release.
  xdotool mousemove $((b2l + 3)) $((b2t + 3))
  expect_face hover 2 "HighLight reversed"
  expect_face other-hovered 1 "Selected normal"
  xdotool mousedown 1
  expect_face press 2 "Pressed reversed"
  expect_face focus-moved 1 "Normal normal"
  xdotool mousemove $((b1l + 200)) $((b1t + 150))
  sleep 0.4
  expect_face held-off 2 "Selected normal"
  xdotool mousemove $((b2l + 3)) $((b2t + 3))
  sleep 0.3
  expect_face held-back-on 2 "Selected normal"
  xdotool mousemove $((b1l + 200)) $((b1t + 150))
  sleep 0.2
  xdotool mouseup 1
  expect_clicks cancelled 2 0
  expect_face cancelled 2 "Selected normal"
  shot_check cancelled 2 Selected_normal
  # After the release, the next move over it gives focused-and-hover.
  xdotool mousemove $((b2l + 3)) $((b2t + 3))
  expect_face moved-on 2 "HighLightSelect normal"
  shot_check moved-on 2 HighLightSelect_normal

  # The right button clicks without a face of its own.
  xdotool mousemove $((b1l + 3)) $((b1t + 3))
  expect_face hover-again 1 "HighLight reversed"
  xdotool click 3
  expect_clicks right-click 1 2
  expect_face right-click 1 "HighLight reversed"

  stop_host
fi

# ---- Wine's default mode: a plain click.
tolvarin_wine_managed yes
if start_host managed; then
  xdotool mousemove $((b1l + 3)) $((b1t + 3))
  expect_face hover 1 "HighLight reversed"
  xdotool click 1
  expect_clicks click 1 1
  expect_face click 1 "HighLightSelect reversed"
  shot_check click 1 HighLightSelect_reversed
  xdotool mousemove $((b1l + 200)) $((b1t + 150))
  sleep 0.4
  expect_face leave 1 "Selected normal"
  shot_check leave 1 Selected_normal
  stop_host
fi
finish
