#!/bin/bash
# Saver mode end to end: the 64-bit Tolvarin.scr under Wine on a private
# virtual display, over a "desktop" drawn as an ordinary X window.
#
# Usage: tests/e2e/run_e2e.sh [BUILD_DIR]      (default: build/win64)
# Needs: Xvfb, wine (64-bit), xdotool, xwininfo, ImageMagick (display,
# import, convert, compare) and x86_64-w64-mingw32-g++ for the window probe.
# Screenshots go to $E2E_SHOTS (default: build/e2e-shots). The Wine prefix is
# made once and kept ($TOLVARIN_WINEPREFIX, default BUILD_DIR/e2e-wineprefix);
# do not run two of these scripts at once on the same prefix.
#
# Prints "ok NAME" or "FAIL NAME: why" per check, then "e2e: N passed, M
# failed"; the exit status is 1 when any check failed.
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" 2>/dev/null && pwd) || build=${1:-$root/build/win64}
shots=${E2E_SHOTS:-$root/build/e2e-shots}
scr=$build/bin/Tolvarin.scr
library=$build/bin/r_vold_graphics.dll
width=1024
height=768

suite="saver"
. "$root/tests/e2e/e2e_tally.sh"

# ---- Setup -------------------------------------------------------------------

for tool in Xvfb wine wineserver wineboot xdotool xwininfo display import convert compare \
  x86_64-w64-mingw32-g++-posix; do
  command -v "$tool" >/dev/null 2>&1 || fail setup "missing tool $tool"
done
for file in "$scr" "$library"; do
  [ -f "$file" ] || fail setup "missing $file (build the win64 preset first)"
done
[ "$failed" -eq 0 ] || finish

work=$(mktemp -d)
saver_pids=()
desktop_pid=
xvfb_pid=
. "$root/tests/e2e/wine_display.sh"

cleanup() {
  for pid in "${saver_pids[@]}"; do kill "$pid" 2>/dev/null; done
  [ -n "$desktop_pid" ] && kill "$desktop_pid" 2>/dev/null
  stop_wine_display
  rm -rf "$work"
}
trap cleanup EXIT
start_wine_display "${width}x${height}" || finish
# One server for the whole run: every start of the program is then quicker.
wineserver -p >/dev/null 2>&1

# The program runs from folders of its own, so its settings file (absent:
# defaults) and the effect library beside it are under the script's control.
mkdir -p "$work/app" "$shots"
cp "$scr" "$library" "$work/app/"

probe=$work/window_probe.exe
x86_64-w64-mingw32-g++-posix -O2 -static "$root/tests/e2e/window_probe.cpp" -o "$probe" \
  >"$work/probe-build.log" 2>&1 || { fail setup "window probe did not build"; finish; }

# The desktop: a gradient with large flat blocks. A block's middle keeps its
# colour under the effect (its samples reach at most 1/8 of the smaller
# screen side), so those pixels must equal the desktop on any frame.
desktop=$work/desktop.png
convert -size "${width}x${height}" gradient:'#ff3000-#0040ff' \
  -fill '#20e040' -draw 'rectangle 40,40 299,299' \
  -fill '#ffd000' -draw 'rectangle 724,40 983,299' \
  -fill '#ffffff' -draw 'rectangle 40,468 299,727' \
  -fill '#8020c0' -draw 'rectangle 724,468 983,727' \
  -fill '#00d0d0' -draw 'circle 512,384 512,234' \
  -fill '#101010' -draw 'polygon 380,60 640,60 512,200' \
  -stroke '#f0f0f0' -draw 'line 0,12 1023,24' -stroke none \
  -depth 8 -alpha off "PNG24:$desktop" || { fail setup "could not draw the desktop"; finish; }
cp "$desktop" "$shots/desktop.png"
steady_points="170,170 854,170 170,598 854,598 512,384"

# ---- Helpers -----------------------------------------------------------------


pixels() { # FILE POINTS...: the pixels' hex values, space separated
  local file=$1 format= point
  shift
  for point in "$@"; do format+="%[hex:p{$point}] "; done
  convert "$file" -format "$format" info: 2>/dev/null
}

differing_pixels() { # A B: how many pixels differ
  compare -metric AE "$1" "$2" null: 2>&1 | tr -d '\n'
}

screenshot() { # NAME: into the shots folder; prints the path
  local file="$shots/$1.png"
  import -window root -depth 8 "PNG24:$file" 2>>"$work/import.log"
  echo "$file"
}

visible_saver_windows() {
  xdotool search --onlyvisible --name '^Tolvarin_Main$' 2>/dev/null | wc -l
}

wait_for_window() { # TIMEOUT_SECONDS: 0 once a saver window shows
  local deadline=$(($(now_ms) + $1 * 1000))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    [ "$(visible_saver_windows)" -gt 0 ] && return 0
    sleep 0.1
  done
  return 1
}

wait_for_no_window() { # TIMEOUT_SECONDS
  local deadline=$(($(now_ms) + $1 * 1000))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    [ "$(visible_saver_windows)" -eq 0 ] && return 0
    sleep 0.1
  done
  return 1
}

start_saver() { # FOLDER ARGS...: sets saver_pid
  local folder=$1
  shift
  wine "$folder/Tolvarin.scr" "$@" >>"$work/saver.log" 2>&1 &
  saver_pid=$!
  saver_pids+=("$saver_pid")
}

wait_for_exit() { # PID TIMEOUT_MS: 0 when it ended in time; sets exit_code and waited_ms
  local pid=$1 start
  start=$(now_ms)
  while kill -0 "$pid" 2>/dev/null; do
    waited_ms=$(($(now_ms) - start))
    [ "$waited_ms" -gt "$2" ] && return 1
    sleep 0.01
  done
  waited_ms=$(($(now_ms) - start))
  wait "$pid"
  exit_code=$?
  return 0
}

show_desktop() {
  display -immutable -borderwidth 0 -geometry +0+0 -title e2e-desktop "$desktop" \
    >>"$work/display.log" 2>&1 &
  desktop_pid=$!
  local shot="$work/desktop-check.png" deadline=$(($(now_ms) + 20000))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    import -window root -depth 8 "PNG24:$shot" 2>/dev/null
    [ "$(differing_pixels "$shot" "$desktop")" = "0" ] && return 0
    sleep 0.2
  done
  return 1
}

hide_desktop() {
  [ -n "$desktop_pid" ] || return 0
  kill "$desktop_pid" 2>/dev/null
  wait "$desktop_pid" 2>/dev/null
  desktop_pid=
  local deadline=$(($(now_ms) + 5000))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    xdotool search --onlyvisible --name '^e2e-desktop$' >/dev/null 2>&1 || return 0
    sleep 0.1
  done
}

probe() { wine "$probe" Tolvarin_Main 2>/dev/null | tr -d '\r'; }

has() { # FACT...: 0 when the last probe reported every one of them
  local fact
  for fact in "$@"; do
    case " $facts " in *" $fact "*) ;; *) return 1 ;; esac
  done
}

# Ends a running saver with a key press and checks how it went.
key_ends() { # NAME
  local name=$1
  xdotool key shift
  if wait_for_exit "$saver_pid" 1000; then
    check "$name" "$exit_code" "exit code $exit_code"
    echo "# process ended ${waited_ms} ms after the key"
  else
    fail "$name" "still running 1 s after the key"
    kill "$saver_pid" 2>/dev/null
    wait "$saver_pid" 2>/dev/null
  fi
  wait_for_no_window 5
  check "$name-window-gone" $? "the saver window is still shown"
}

# ---- Scenarios -----------------------------------------------------------------

# A saver run over a drawn desktop.
show_desktop
check desktop-drawn $? "the desktop picture never showed on the screen"
before=$(pixels "$desktop" $steady_points)

start_saver "$work/app" /s
if wait_for_window 90; then
  ok saver-window-shown
  facts=$(probe)
  echo "# probe: $facts"
  has visible=1 topmost=1 left=0 top=0 width=$width height=$height
  check saver-window-topmost-full-screen $? "$facts"
  has popup=1 caption=0
  check saver-window-borderless $? "$facts"

  hide_desktop
  sleep 1
  shot=$(screenshot saver_running)
  after=$(pixels "$shot" $steady_points)
  if [ -n "$after" ] && [ "$after" = "$before" ]; then
    ok saver-shows-desktop-copy
  else
    fail saver-shows-desktop-copy "desktop [$before] screen [$after]"
  fi
  sleep 0.4
  later=$(screenshot saver_running_later)
  changed_from_desktop=$(differing_pixels "$later" "$desktop")
  changed_between=$(differing_pixels "$later" "$shot")
  if [ "${changed_from_desktop:-0}" != "0" ] && [ "${changed_between:-0}" != "0" ]; then
    ok effect-animates "$changed_between pixels changed in 0.4 s"
  else
    fail effect-animates "changed from desktop: $changed_from_desktop, between shots: $changed_between"
  fi

  key_ends key-ends-saver
else
  fail saver-window-shown "no window titled Tolvarin_Main within 90 s"
  hide_desktop
fi
screenshot after_key >/dev/null

# Music. This Wine has no CD drive, cannot play MPEGVideo and has no wave
# device, so nothing is heard; Wine's own trace of the multimedia calls shows
# what the program asked for (tracing changes nothing the program sees).
music=$work/music
mkdir -p "$music"
cp "$scr" "$library" "$music/"
printf 'RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00data\x00\x00\x00\x00' \
  >"$music/loop.wav"
printf 'ID3\x03\x00\x00\x00\x00\x00\x00' >"$music/song.mp3"
windows_path() { echo "Z:$1" | tr '/' '\\'; }

music_run() { # NAME MODE FILE [ENCODING]: runs the saver with these settings for 3 s, then a key
  local name=$1 encoding=${4:-CP932}
  { [ "$encoding" = UTF-16LE ] && printf '\xff\xfe'
    printf '[Section]\r\n度合い= 100\r\nBGM区分= %s\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=%s\r\n' "$2" "$3" |
      iconv -f UTF-8 -t "$encoding"; } >"$music/Tolvarin.ini"
  music_log=$work/$name.log
  WINEDEBUG=trace+winmm,trace+mci wine "$music/Tolvarin.scr" /s >"$music_log" 2>&1 &
  saver_pid=$!
  saver_pids+=("$saver_pid")
  if wait_for_window 60; then
    sleep 3
    key_ends "$name"
  else
    fail "$name" "no saver window"
    kill "$saver_pid" 2>/dev/null
  fi
  # The commands the program sent, without the ones Wine sends itself.
  sed -n 's/.*mciSendStringW (L"\(.*\)", [0-9A-Fa-f]*, [0-9]*, [0-9A-Fa-f]*)\r\{0,1\}$/\1/p' "$music_log" |
    grep -v ' wait$' >"$music_log.commands"
}

commands_are() { # NAME EXPECTED-LINES...
  local name=$1
  shift
  printf '%s\n' "$@" | diff - "$music_log.commands" >"$work/$name.diff"
  check "$name" $? "$(tr '\n' ' ' <"$work/$name.diff")"
}

music_run music-cd-without-drive-ends 1 ""
commands_are music-cd-polled-once-not-closed "open cdaudio" "set cdaudio time format tmst" \
  "status cdaudio current track"

# The open fails here: the file is never played, and each poll (every second)
# starts it again from the beginning.
music_run music-mp3-ends 2 "$(windows_path "$music/song.mp3")"
mp3=$(windows_path "$music/song.mp3")
polls=$(grep -cx 'status MP3Play mode' "$music_log.commands")
{ echo "open \\\"${mp3//\\/\\\\}\\\" type MPEGVideo Alias MP3Play"
  for _ in $(seq 1 "$polls"); do printf '%s\n' "status MP3Play mode" "stop MP3Play" "play MP3Play from 0"; done
  printf '%s\n' "stop MP3Play" "close MP3Play"; } | diff - "$music_log.commands" >"$work/mp3.diff"
[ $? -eq 0 ] && [ "$polls" -ge 2 ]
check music-mp3-opened-polled-closed $? "$polls polls; $(tr '\n' ' ' <"$work/mp3.diff")"

# A UTF-16LE settings file naming a folder no ANSI code page holds whole; Wine's
# trace writes other than ASCII characters as \XXXX.
mkdir -p "$music/Café 노래"
cp "$music/song.mp3" "$music/Café 노래/"
unicode_mp3=$(windows_path "$music/Café 노래/song.mp3")
music_run music-unicode-path-ends 2 "$unicode_mp3" UTF-16LE
traced=$(sed 's/\\/\\\\/g; s/é/\\00e9/; s/노/\\b178/; s/래/\\b798/' <<<"$unicode_mp3")
first=$(head -n 1 "$music_log.commands")
[ "$first" = "open \\\"$traced\\\" type MPEGVideo Alias MP3Play" ]
check music-unicode-path-sent-whole $? "first [$first]"

music_run music-wav-ends 2 "$(windows_path "$music/loop.wav")"
devices=$(sed -n 's/.*waveOutGetNumDevs count: \([0-9]*\).*/\1/p' "$music_log" | head -n 1)
stop=$(grep 'MULTIMEDIA_PlaySound' "$music_log" | tail -n 1)
started=$(grep -c 'MULTIMEDIA_PlaySound.*fdwSound=00000009' "$music_log")
if [ -z "$devices" ]; then
  fail music-wav-start-and-stop "waveOutGetNumDevs was never called"
elif [ "$devices" -gt 0 ] && [ "$started" -ne 1 ]; then
  fail music-wav-start-and-stop "$devices wave devices but no looping PlaySound"
elif [ "$devices" -eq 0 ] && [ "$started" -ne 0 ]; then
  fail music-wav-start-and-stop "no wave device but PlaySound started"
else
  case "$stop" in
    *"pszSound='0000000000000000'"*"fdwSound=00000000"*)
      ok music-wav-start-and-stop "wave devices: $devices; stopped with PlaySound(NULL, 0)" ;;
    *) fail music-wav-start-and-stop "last PlaySound: $stop" ;;
  esac
fi

finish
