#!/bin/bash
# The settings dialog end to end: the 64-bit Tolvarin.scr /c under Wine on a
# private virtual display, with a settings file in code page 932 beside it;
# xdotool clicks and types. Checked: placement, the gradient and the tiled
# panel on screen, the marks following the labels (right button too), the
# scroll bar's page step, the repeat box (white, its list closed by Escape
# alone, Enter and Tab kept from it), typing into it, the file chooser, the
# bytes that "設定" leaves, "ｷｬﾝｾﾙ" leaving the file alone, a second start
# ending at once, and a read-only settings file giving the message.
#
# Usage: tests/e2e/dialog_e2e.sh [BUILD_DIR]      (default: build/win64)
# Needs: Xvfb, wine (64-bit), xdotool, ImageMagick, setpriv,
# fonts-ipafont-gothic. Leaves enlarged screenshots in $SHOTS (default: shots/).
# Prints "ok NAME" or "FAIL NAME: why" per check, then a count line.
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" 2>/dev/null && pwd) || build=${1:-$root/build/win64}
shots=${SHOTS:-$root/shots}

suite="dialog"
. "$root/tests/e2e/e2e_tally.sh"

for tool in Xvfb wine wineserver xdotool convert import setpriv; do
  command -v "$tool" >/dev/null 2>&1 || fail setup "missing tool $tool"
done
[ -f "$build/bin/Tolvarin.scr" ] || fail setup "missing $build/bin/Tolvarin.scr (build the win64 preset first)"
[ "$failed" -eq 0 ] || finish

work=$(mktemp -d)
app=$work/app
mkdir -p "$app"
cp "$build/bin/Tolvarin.scr" "$build/bin/r_vold_graphics.dll" "$app/"
ini=$app/Tolvarin.ini
xvfb_pid=
dialog_pid=
. "$root/tests/e2e/wine_display.sh"
. "$root/scripts/wine-env.sh"
cleanup() {
  [ -n "$dialog_pid" ] && kill "$dialog_pid" 2>/dev/null
  chmod -R u+w "$work" 2>/dev/null
  stop_wine_display
  rm -rf "$work"
}
trap cleanup EXIT
start_wine_display 1024x768 || finish
tolvarin_wine_managed no
mkdir -p "$shots"

# Code page 932 bytes of the key names.
degree_key=$'\x93\x78\x8D\x87\x82\xA2'
mode_key=$'BGM\x8B\xE6\x95\xAA'
repeat_key=$'BGM\xD8\xCB\xDF\xB0\xC4'
file_key=$'BGM\xCC\xA7\xB2\xD9'
write_settings() {
  printf '; %s\r\n[Section]\r\n%s=50\r\n%s=1\r\n%s=3\r\n\r\n[Other]\r\nx=1\r\n' $'\x89\xB9\x8A\x79' \
    "$degree_key" "$mode_key" "$repeat_key" >"$ini"
}

shot() { # NAME: the whole screen, enlarged four times
  import -window root "$work/$1.png" 2>/dev/null
  convert "$work/$1.png" -crop "${ww}x${wh}+${wx}+${wy}" +repage -scale 400% "$shots/dialog_$1.png"
}
pixel() { # X Y: "#RRGGBB" of the screen now
  import -window root -crop "1x1+$1+$2" +repage -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1
}

# start_dialog [PREFIX...]: Tolvarin.scr /c; waits for "<Tolvarin>" and finds its client area.
start_dialog() {
  (cd "$app" && "$@" wine "$app/Tolvarin.scr" /c >"$work/dialog.log" 2>&1) &
  dialog_pid=$!
  window=
  for _ in $(seq 1 200); do
    window=$(xdotool search --name '^<Tolvarin>$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || return 1
  sleep 1.5
  # The client area starts where the gradient's first row, RGB(0, 0, 30), is;
  # on a busy machine the first paint can come late.
  cx= cy=
  local row=
  for _ in $(seq 1 30); do
    eval "$(xdotool getwindowgeometry --shell "$window")"
    wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT
    row=$(import -window root -crop "1x60+$((wx + ww / 2))+$wy" +repage -depth 8 txt:- 2>/dev/null |
      grep '#00001E' | head -n 1 | sed 's/^0,\([0-9]*\):.*/\1/')
    [ -n "$row" ] && break
    sleep 0.2
  done
  [ -n "$row" ] || return 1
  cy=$((wy + row))
  # The frame is as wide on the left as on the right.
  cx=$((wx + (ww - 496) / 2))
  return 0
}
wait_dialog_gone() {
  for _ in $(seq 1 100); do
    kill -0 "$dialog_pid" 2>/dev/null || { dialog_pid=; return 0; }
    sleep 0.1
  done
  return 1
}
click() { # X Y [BUTTON] in client pixels
  xdotool mousemove "$((cx + $1))" "$((cy + $2))" click "${3:-1}"
  sleep 0.4
}
# Panel children are placed in Pic_C at (12, 16).
click_panel() { click "$((12 + $1))" "$((16 + $2))" "${3:-1}"; }

# ---- The dialog opens: place, gradient, panel ------------------------------------

write_settings
cp "$ini" "$work/before.ini"
if ! start_dialog; then
  fail open "no <Tolvarin> window${window:+ (window $window found)} or no gradient ($(head -c 300 "$work/dialog.log"))"
  finish
fi
ok open
# Centred, a third of the free height down (a pixel of rounding either way).
expect_x=$(((1024 - ww) / 2)) expect_y=$(((768 - wh) / 3))
[ $((wx - expect_x)) -ge -1 ] && [ $((wx - expect_x)) -le 1 ] && [ $((wy - expect_y)) -ge -1 ] &&
  [ $((wy - expect_y)) -le 1 ]
check placement $? "window at $wx,$wy size ${ww}x$wh, expected $expect_x,$expect_y"
shot open
mid=$(pixel $((cx + 3)) $((cy + 123)))
[ "$mid" = "#DCDCFA" ]
check gradient-mid-height $? "pixel $mid"
panel=$(pixel $((cx + 12 + 300)) $((cy + 16 + 160)))
[ "$(printf '%d' 0x${panel:1:2})" -ge 200 ] && [ "$(printf '%d' 0x${panel:5:2})" -ge 200 ]
check panel-tiled $? "pixel $panel"
# Mode 1 from the file: the "音楽CD" mark shows the blue dot.
dot=$(pixel $((cx + 12 + 34)) $((cy + 16 + 62)))
[ "$(printf '%d' 0x${dot:5:2})" -ge 120 ] && [ "$(printf '%d' 0x${dot:1:2})" -le 120 ]
check mark-cd-selected $? "pixel $dot"

# ---- Music modes by clicking the labels (right button too) -----------------------

click_panel 50 82 3  # "なし", right button
dot0=$(pixel $((cx + 12 + 34)) $((cy + 16 + 82)))
dot1=$(pixel $((cx + 12 + 34)) $((cy + 16 + 62)))
[ "$(printf '%d' 0x${dot0:5:2})" -ge 120 ] && [ "$(printf '%d' 0x${dot0:1:2})" -le 120 ] &&
  [ "$(printf '%d' 0x${dot1:1:2})" -ge 200 ]
check right-click-selects-none $? "none $dot0, cd $dot1"
shot mode0
click_panel 50 102  # "MP3、WAV"
shot mode2
click_panel 50 62  # "音楽CD"
shot mode1

# ---- Scroll bar: a click beside the thumb moves it by 10 -------------------------

click_panel $((328 + 60)) 60
# ---- Repeat box: white; its list dropped and closed by Escape alone ----------------

box=$(pixel $((cx + 12 + 132)) $((cy + 16 + 62)))
[ "$box" = "#FFFFFF" ]
check repeat-box-white $? "pixel $box"
below=$(pixel $((cx + 12 + 125)) $((cy + 16 + 84)))
click_panel 148 62  # the arrow
open_list=$(pixel $((cx + 12 + 125)) $((cy + 16 + 84)))
shot list-dropped
xdotool key Escape
sleep 0.5
closed_list=$(pixel $((cx + 12 + 125)) $((cy + 16 + 84)))
[ "$open_list" != "$below" ] && [ "$closed_list" = "$below" ] && kill -0 "$dialog_pid" 2>/dev/null
check escape-closes-only-the-list $? "$below, list $open_list, then $closed_list; dialog $(kill -0 "$dialog_pid" 2>/dev/null && echo open || echo gone)"
shot list-escaped

# ---- Repeat box: typed text, rounded half to even when saved; Enter and Tab -------

click_panel 125 62
xdotool key --clearmodifiers ctrl+a BackSpace
xdotool type --delay 60 "3.5"
# Enter changes nothing; Tab leaves the box, so the minus typed next goes
# nowhere (in the box it would make the text no number).
xdotool key Return Tab minus
sleep 0.3
kill -0 "$dialog_pid" 2>/dev/null
check enter-and-tab-keep-the-dialog $? "dialog gone"

# ---- File chooser: a name that does not exist ------------------------------------

click_panel 50 102  # "MP3、WAV"
click_panel 48 126  # "..."
chooser=
for _ in $(seq 1 100); do
  chooser=$(xdotool search --name 'ﾌｧｲﾙを開く' 2>/dev/null | head -n 1)
  [ -n "$chooser" ] && break
  sleep 0.1
done
[ -n "$chooser" ]
check chooser-opens $? "no window titled ﾌｧｲﾙを開く"
if [ -n "$chooser" ]; then
  sleep 1
  import -window root "$work/chooser.png" 2>/dev/null
  convert "$work/chooser.png" -scale 200% "$shots/dialog_chooser.png"
  xdotool type --delay 60 'C:\notthere.mp3'
  xdotool key Return
  sleep 1
fi
# Hovering the save button lights its frame.
xdotool mousemove "$((cx + 324 + 38))" "$((cy + 200 + 12))"
sleep 0.5
shot hover

# ---- "設定": the four keys, one replacement; the process ends ----------------------

click 362 212
wait_dialog_gone
check save-ends-the-process $? "still running"
expected=$work/expected.ini
printf '; %s\r\n[Section]\r\n%s= 60\r\n%s= 2\r\n%s= 4\r\n%s=C:\\notthere.mp3\r\n\r\n[Other]\r\nx=1\r\n' \
  $'\x89\xB9\x8A\x79' "$degree_key" "$mode_key" "$repeat_key" "$file_key" >"$expected"
cmp -s "$ini" "$expected"
check saved-bytes $? "$(od -c "$ini" | head -n 8 | tr '\n' ' ')"

# ---- "ｷｬﾝｾﾙ" and a second start --------------------------------------------------

write_settings
cp "$ini" "$work/before.ini"
if start_dialog; then
  click_panel 50 82
  # A second start in any mode ends at once while the dialog is open.
  start=$(date +%s%N)
  (cd "$app" && timeout 20 wine "$app/Tolvarin.scr" /s >/dev/null 2>&1)
  took=$((($(date +%s%N) - start) / 1000000))
  [ -z "$(xdotool search --name '^Tolvarin_Main$' 2>/dev/null)" ] && [ "$took" -lt 15000 ]
  check second-start-ends $? "took ${took} ms"
  click 442 212
  wait_dialog_gone
  check cancel-ends-the-process $? "still running"
  cmp -s "$ini" "$work/before.ini"
  check cancel-leaves-the-file $? "changed"
else
  fail cancel-run "dialog did not open"
fi

# ---- A read-only settings file: the message, the file unchanged -------------------

write_settings
cp "$ini" "$work/before.ini"
chmod 0444 "$ini"
chmod 0555 "$app"
wineserver -k >/dev/null 2>&1
wineserver -w
if start_dialog setpriv --bounding-set -dac_override --; then
  click 362 212
  message=
  for _ in $(seq 1 50); do
    message=$(xdotool search --name '^<Tolvarin>$' 2>/dev/null | grep -v "^$window\$" | head -n 1)
    [ -n "$message" ] && break
    sleep 0.1
  done
  [ -n "$message" ] && kill -0 "$dialog_pid" 2>/dev/null
  check read-only-shows-message $? "no message box"
  sleep 0.5
  import -window root "$work/message.png" 2>/dev/null
  convert "$work/message.png" -scale 200% "$shots/dialog_message.png"
  xdotool key Return
  sleep 0.5
  xdotool windowactivate "$window" 2>/dev/null
  xdotool key Escape
  wait_dialog_gone || kill "$dialog_pid" 2>/dev/null
  cmp -s "$ini" "$work/before.ini"
  check read-only-file-unchanged $? "changed"
else
  fail read-only-run "dialog did not open"
fi
wineserver -k >/dev/null 2>&1

finish
