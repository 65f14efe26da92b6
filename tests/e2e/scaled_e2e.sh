#!/bin/bash
# Scaled displays end to end: a Wine prefix of its own (a copy of the e2e
# prefix) with LogPixels set to 96, 120 and 144 in turn. At each scale
# button_host.exe shows two buttons (its faces equal the simulated faces of
# the same scale, pixel for pixel) and Tolvarin.scr /c opens the settings
# dialog. Checked: the client area has the scaled size, the gradient fills
# it, and every button on screen, hovered and pressed too, equals the
# simulated face of its scale pixel for pixel with the caption's rows masked:
# no pixel outside the picture's design, nothing cut off.
#
# Usage: tests/e2e/scaled_e2e.sh [BUILD_DIR]      (default: build/win64)
# Needs: Xvfb, wine (64-bit), xdotool, ImageMagick, fonts-ipafont-gothic.
# Leaves the dialog and the buttons, enlarged three times, in $SHOTS
# (default: shots/) as scaled_DPI_*.png.
# Prints "ok NAME" or "FAIL NAME: why" per check, then a count line.
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" 2>/dev/null && pwd) || build=${1:-$root/build/win64}
shots=${SHOTS:-$root/shots}
scr=$build/bin/Tolvarin.scr
host=$build/bin/button_host.exe

suite="scaled"
. "$root/tests/e2e/e2e_tally.sh"

for file in "$scr" "$host"; do
  [ -f "$file" ] || fail setup "missing $file (build the win64 preset first)"
done
[ "$failed" -eq 0 ] || finish

work=$(mktemp -d)
app=$work/app
mkdir -p "$app"
cp "$scr" "$build/bin/r_vold_graphics.dll" "$app/"
xvfb_pid=
pid=
# The scaled prefix, so that every other script keeps 96 dots per inch.
prefix=$build/e2e-wineprefix-scaled
if [ ! -f "$prefix/system.reg" ] && [ -f "$build/e2e-wineprefix/system.reg" ]; then
  WINEPREFIX=$build/e2e-wineprefix wineserver -w 2>/dev/null
  cp -a "$build/e2e-wineprefix" "$prefix"
fi
export TOLVARIN_WINEPREFIX=$prefix
. "$root/tests/e2e/wine_display.sh"
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  stop_wine_display
  rm -rf "$work"
}
trap cleanup EXIT
start_wine_display 1024x768 || finish
. "$root/scripts/wine-env.sh"
tolvarin_wine_managed no
mkdir -p "$shots"

# set_dpi DPI: LogPixels where Wine reads it; the wineserver then ends on its
# own (saving the registry) and the next program starts a fresh one.
set_dpi() {
  wineserver -k >/dev/null 2>&1
  wineserver -w
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -w
}

# pixels TWIPS: whole pixels at the current factor, halves away from zero.
pixels() { awk -v t="$1" -v f="$tpp" 'BEGIN { v = t / f; printf "%d", (v < 0 ? -int(-v + 0.5) : int(v + 0.5)) }'; }

# ring_colours IMAGE: the colours of its outer ring of 4 pixels, one a line.
ring_colours() {
  local w h crop
  read -r w h < <(identify -format '%w %h' "$1")
  for crop in "${w}x4+0+0" "${w}x4+0+$((h - 4))" "4x$h+0+0" "4x$h+$((w - 4))+0"; do
    convert "$1" -crop "$crop" +repage -unique-colors -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}'
  done | sort -u
}

# same_face NAME LEFT TOP WIDTH HEIGHT FACE.bmp PICTURE: the screen there
# shows no frame colour that the state picture's ring lacks, and equals the
# simulated face with the caption label's rows masked (its text is the
# system's).
same_face() {
  local name=$1 l=$2 t=$3 w=$4 h=$5 face=$6 picture=$7 top bottom diff foreign
  top=$(awk -v h="$h" -v f="$tpp" 'BEGIN { v = (h * f - 215) / 2 / f; printf "%d", int(v + 0.5) }')
  bottom=$((top + $(pixels 195)))
  import -window root "$work/shot.png" 2>/dev/null
  convert "$work/shot.png" -crop "${w}x${h}+${l}+${t}" +repage "$work/button.png"
  convert "$work/button.png" -scale 300% "$shots/scaled_${dpi}_$name.png"
  foreign=$(comm -23 <(ring_colours "$work/button.png") \
    <(ring_colours "$root/src/controls/pictures/$picture.bmp") | tr '\n' ' ')
  [ -z "$foreign" ]
  check "$dpi dpi: $name frame from the $picture picture" $? "colours not in the picture's ring: $foreign"
  local mask=(-fill black -draw "rectangle 4,$((top - 1)) $((w - 5)),$bottom")
  convert "$work/button.png" "${mask[@]}" "$work/a.png"
  convert "$face" "${mask[@]}" "$work/b.png"
  diff=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1)
  if [ "$diff" = 0 ]; then
    ok "$dpi dpi: $name equals the simulated face (${w}x$h, 0 pixels differ)"
  else
    fail "$dpi dpi: $name" "$diff pixels differ from the simulated face"
  fi
}

for dpi in 96 120 144; do
  tpp=$(awk -v d="$dpi" 'BEGIN { printf "%g", 1440 / d }')
  set_dpi "$dpi"

  # ---- Two buttons on the real backend -----------------------------------------
  faces=$work/faces$dpi
  mkdir -p "$faces"
  rm -f "$work/stop"
  : >"$work/host.log"
  wine "$host" "$(winepath -w "$scr")" "$(winepath -w "$faces")" "$(winepath -w "$work/stop")" \
    >"$work/host.log" 2>"$work/host.err" &
  pid=$!
  for _ in $(seq 1 300); do
    grep -q '^ready' "$work/host.log" && break
    sleep 0.1
  done
  scale=$(grep '^scale ' "$work/host.log" | tr -d '\r' | cut -d' ' -f2)
  [ "$scale" = "$tpp" ]
  check "$dpi dpi: host-scale" $? "host at ${scale:-nothing} twips a pixel, expected $tpp"
  read -r _ _ l t r b < <(grep '^button 1 ' "$work/host.log" | tr -d '\r')
  sleep 0.5
  if [ -n "${b:-}" ]; then
    same_face host-normal "$l" "$t" $((r - l)) $((b - t)) "$faces/face1_Normal_normal.bmp" normal
    xdotool mousemove $((l + 3)) $((t + 3))
    sleep 0.5
    same_face host-hover "$l" "$t" $((r - l)) $((b - t)) "$faces/face1_HighLight_reversed.bmp" highlight
    xdotool mousedown 1
    sleep 0.5
    same_face host-pressed "$l" "$t" $((r - l)) $((b - t)) "$faces/face1_Pressed_reversed.bmp" pressed
    xdotool mouseup 1
    xdotool mousemove 900 700
    sleep 0.3
  fi
  touch "$work/stop"
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  pid=
  ! grep -q '^face [12] unknown' "$work/host.log"
  check "$dpi dpi: host-faces-simulated" $? "$(grep -c unknown "$work/host.log") faces differ from every simulated face"

  # ---- The settings dialog -------------------------------------------------------
  (cd "$app" && wine "$app/Tolvarin.scr" /c >"$work/dialog.log" 2>&1) &
  pid=$!
  window=
  for _ in $(seq 1 200); do
    window=$(xdotool search --name '^<Tolvarin>$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  cw=$(pixels 7440) ch=$(pixels 3690)
  row=
  if [ -n "$window" ]; then
    sleep 1.5
    for _ in $(seq 1 30); do
      eval "$(xdotool getwindowgeometry --shell "$window")"
      wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT
      row=$(import -window root -crop "1x80+$((wx + ww / 2))+$wy" +repage -depth 8 txt:- 2>/dev/null |
        grep '#00001E' | head -n 1 | sed 's/^0,\([0-9]*\):.*/\1/')
      [ -n "$row" ] && break
      sleep 0.2
    done
  fi
  if [ -z "$row" ]; then
    fail "$dpi dpi: dialog-opens" "no <Tolvarin> window or no gradient"
  else
    cx=$((wx + (ww - cw) / 2)) cy=$((wy + row))
    # The client area is the scaled design: the frame is as wide left as right,
    # the gradient's last row ends where the frame's bottom begins.
    [ $((ww - cw)) -ge 0 ] && [ $(((ww - cw) % 2)) -eq 0 ] && [ $((wy + wh - cy - ch)) -ge 0 ] &&
      [ $((wy + wh - cy - ch)) -le $((ww - cw)) ]
    check "$dpi dpi: client-${cw}x$ch" $? "window ${ww}x$wh at $wx,$wy, client from $cx,$cy"
    import -window root "$work/dialog.png" 2>/dev/null
    convert "$work/dialog.png" -crop "${ww}x${wh}+${wx}+${wy}" +repage -scale 300% "$shots/scaled_${dpi}_dialog.png"
    mid=$(import -window root -crop "1x1+$((cx + 3))+$((cy + ch / 2))" +repage -depth 8 txt:- 2>/dev/null |
      grep -o '#[0-9A-F]\{6\}' | head -n 1)
    [ "$mid" = "#DCDCFA" ]
    check "$dpi dpi: gradient-mid-height" $? "pixel $mid"
    # The three buttons where the layout puts them, whole and as designed.
    same_face dialog-set $((cx + $(pixels 4860))) $((cy + $(pixels 3000))) "$(pixels 1155)" "$(pixels 375)" \
      "$faces/face1_Normal_normal.bmp" normal
    same_face dialog-cancel $((cx + $(pixels 6060))) $((cy + $(pixels 3000))) "$(pixels 1155)" "$(pixels 375)" \
      "$faces/face1_Normal_normal.bmp" normal
    same_face dialog-file $((cx + $(pixels 600))) $((cy + $(pixels 1980))) "$(pixels 615)" "$(pixels 315)" \
      "$faces/face2_Disable_normal.bmp" disable
    xdotool key --window "$window" Escape 2>/dev/null
  fi
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  pid=
  wineserver -k >/dev/null 2>&1
done
finish
