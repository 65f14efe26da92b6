#!/bin/bash
# Music that is heard: the 64-bit Tolvarin.scr under Wine on a private virtual
# display, its sound going through Wine's PulseAudio driver into a private
# PulseAudio null sink whose monitor is recorded and measured. The test sounds
# (a 440 Hz tone at half scale, 2 s long, as WAV and as MP3) are made here.
#
# Usage: tests/e2e/music_e2e.sh [BUILD_DIR]      (default: build/win64)
# Needs: Xvfb, wine (64-bit), xdotool, pulseaudio, pactl, parec, sox, lame.
# Checks: each sound loops with sound in every quarter second of 8 s, at the
# file's own level, and stops within half a second of the key that ends the
# run; music mode 0 and an MP3 that cannot be opened stay silent while the
# saver runs and ends as before.
# Prints "ok NAME" or "FAIL NAME: why" per check and "#" lines with what was
# measured (the RMS level of every quarter second, the longest silence), then
# "music e2e: N passed, M failed".
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" 2>/dev/null && pwd) || build=${1:-$root/build/win64}
scr=$build/bin/Tolvarin.scr

suite="music"
. "$root/tests/e2e/e2e_tally.sh"

for tool in Xvfb wine wineserver wineboot xdotool pulseaudio pactl parec sox lame; do
  command -v "$tool" >/dev/null 2>&1 || fail setup "missing tool $tool"
done
[ -f "$scr" ] || fail setup "missing $scr (build the win64 preset first)"
[ "$failed" -eq 0 ] || finish

work=$(mktemp -d)
pulse_pid=
saver_pid=
recorder_pid=
xvfb_pid=
. "$root/tests/e2e/wine_display.sh"
audio_set=
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null
  [ -n "$recorder_pid" ] && kill "$recorder_pid" 2>/dev/null
  [ -n "$audio_set" ] && wine reg delete "$drivers" /v Audio /f >/dev/null 2>&1
  stop_wine_display
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# ---- The sound server ----------------------------------------------------------

# A private PulseAudio with one null sink, reached only through its own socket.
# Run as root it wants a home and runtime folders of its own and no D-Bus.
pulse=$work/pulse
mkdir -p "$pulse"
socket=$pulse/socket
HOME=$pulse XDG_RUNTIME_DIR=$pulse XDG_CONFIG_HOME=$pulse PULSE_RUNTIME_PATH=$pulse PULSE_STATE_PATH=$pulse \
  DBUS_SESSION_BUS_ADDRESS=disabled: \
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --system=false --disallow-exit --disable-shm \
  --load="module-null-sink sink_name=out rate=44100 channels=2" \
  --load="module-native-protocol-unix socket=$socket auth-anonymous=1" >"$work/pulse.log" 2>&1 &
pulse_pid=$!
export PULSE_SERVER=unix:$socket
for _ in $(seq 1 50); do
  pactl list short sinks 2>/dev/null | grep -q '^[0-9]*[[:space:]]out[[:space:]]' && break
  kill -0 "$pulse_pid" 2>/dev/null || break
  sleep 0.1
done
if ! pactl list short sinks 2>/dev/null | grep -q '^[0-9]*[[:space:]]out[[:space:]]'; then
  fail setup "the PulseAudio null sink did not start: $(grep -E '^E:' "$work/pulse.log" | head -n 3 | tr '\n' ' ')"
  finish
fi

start_wine_display 640x480 || finish
# Wine's PulseAudio driver, and no other, for these runs only: the prefix is
# shared with the other scripts, which have no sound server and must keep
# finding no wave device.
drivers='HKCU\Software\Wine\Drivers'
wine reg add "$drivers" /v Audio /t REG_SZ /d pulse /f >/dev/null 2>&1
audio_set=1
wineserver -w
wineserver -p >/dev/null 2>&1

# ---- The sounds ----------------------------------------------------------------

app=$work/app
mkdir -p "$app"
cp "$scr" "$app/"
sox -n -r 44100 -c 2 -b 16 "$app/tone.wav" synth 2 sine 440 vol 0.5 &&
  lame --quiet -b 192 "$app/tone.wav" "$app/tone.mp3" || { fail setup "sox or lame could not make the sounds"; finish; }
# Named MP3, but no sound file at all: plain text, the same on every run.
# (Random bytes are not: now and then the system's decoders find a stream in
# them, and the run then tests the decoder rather than the saver.)
yes "This is not a sound file." | head -c 20000 >"$app/broken.mp3"
windows_path() { echo "Z:$1" | tr '/' '\\'; }

# Measures of a raw recording (signed 16-bit stereo at 44.1 kHz), in seconds
# and as amplitudes from 0 to 1.
raw() { sox -t raw -r 44100 -e signed -b 16 -c 2 "$@"; }
stat_of() { awk -v what="$1" '$0 ~ "^" what { print $NF }'; }
rms_at() { raw "$1" -n trim "$2" "$3" stat 2>&1 | stat_of 'RMS +amplitude'; }  # FILE START LENGTH
# Where sound first rises above 1 % of full scale, and where it last falls below.
sound_onset() { raw "$1" -n silence 1 0.005 1% stat 2>&1 | stat_of 'Length'; }
sound_end() { raw "$1" -n reverse silence 1 0.005 1% stat 2>&1 | stat_of 'Length'; }
# The longest stretch below 1 % of full scale, in 10 ms steps, from START for LENGTH seconds.
longest_silence() { # FILE START LENGTH
  raw "$1" -t raw -e signed -b 16 -c 1 - trim "$2" "$3" | od -An -v -td2 -w2 |
    awk '{ s += $1 * $1; if (++n == 441) { if (sqrt(s / n) < 328) run++; else run = 0; if (run > best) best = run; s = n = 0 } }
         END { print best * 10 }'
}
file_rms() { sox "$1" -n trim 0.5 1 stat 2>&1 | stat_of 'RMS +amplitude'; }  # the steady middle second
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

# ---- A run -----------------------------------------------------------------------

# Runs the saver with music mode MODE and FILE while the sink is recorded: the
# window, SECONDS of running, a key, and 1.5 s more. Sets recording, length,
# shown_at and key_at (seconds into the recording) and ended (the saver's exit
# code, 1 when it did not end within 2.5 s of the key). The recording starts
# late by a varying amount but then runs in step with the clock, so moments
# are placed counting back from its end.
run_saver() { # NAME MODE FILE SECONDS
  local name=$1 shown= key= stop deadline state
  printf '[Section]\r\nBGM区分= %s\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=%s\r\n' "$2" "$3" | iconv -f UTF-8 -t CP932 \
    >"$app/Tolvarin.ini"
  # A saver of the run before that has not quite gone would make this one
  # refuse to start as a second instance.
  for _ in $(seq 1 50); do
    xdotool search --name '^Tolvarin_Main$' >/dev/null 2>&1 || break
    sleep 0.1
  done
  if xdotool search --name '^Tolvarin_Main$' >/dev/null 2>&1; then
    wineserver -k >/dev/null 2>&1
    wineserver -w
  fi
  recording=$work/$name.raw
  parec -d out.monitor --latency-msec=20 --format=s16le --rate=44100 --channels=2 --raw >"$recording" &
  recorder_pid=$!
  wine "$app/Tolvarin.scr" /s >>"$work/saver.log" 2>&1 &
  saver_pid=$!
  ended=1
  deadline=$(($(now_ms) + 60000))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    if xdotool search --onlyvisible --name '^Tolvarin_Main$' >/dev/null 2>&1; then shown=$(now_ms); break; fi
    kill -0 "$saver_pid" 2>/dev/null || break
    sleep 0.05
  done
  if [ -z "$shown" ]; then
    if kill -0 "$saver_pid" 2>/dev/null; then state=running; else wait "$saver_pid"; state="ended with exit code $?"; fi
    why="no saver window (process $state,"
    why+=" $(xdotool search --name '^Tolvarin_Main$' 2>/dev/null | wc -l) hidden windows of that title)"
  else
    sleep "$4"
    xdotool key shift
    key=$(now_ms)
    for _ in $(seq 1 50); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$saver_pid" 2>/dev/null || { wait "$saver_pid"; ended=$?; }
    sleep "$(calc "1.5 - ($(now_ms) - $key) / 1000")" 2>/dev/null
  fi
  kill "$saver_pid" 2>/dev/null
  wait "$saver_pid" 2>/dev/null
  saver_pid=
  stop=$(now_ms)
  kill "$recorder_pid" 2>/dev/null
  wait "$recorder_pid" 2>/dev/null
  recorder_pid=
  length=$(calc "$(stat -c %s "$recording") / 176400")
  if [ -z "$shown" ] && [ "${state%% *}" = ended ] && [ -z "${retried:-}" ]; then
    # Now and then under Wine a saver started right after another ends before
    # its window shows, cause unknown. That is said, with its exit code and log,
    # and the run is tried once more; a second such end fails.
    echo "# $name: $why; log: $(tail -n 5 "$work/saver.log" | tr '\n' ' ')"
    echo "# $name: starting it once more"
    retried=1 run_saver "$@"
    return
  fi
  [ -n "$shown" ] || { fail "$name" "$why $(tail -n 3 "$work/saver.log" | tr '\n' ' ')"; return 1; }
  shown_at=$(calc "$length - ($stop - $shown) / 1000")
  key_at=$(calc "$length - ($stop - $key) / 1000")
  echo "# $name: recorded $length s; window at $shown_at s, key at $key_at s"
  check "$name-saver-ends-on-key" "$ended" "exit code $ended"
}

# From the first sound on, 8 s of quarter seconds: each has sound, and their
# median level is the file's own within 5 %.
heard_looping() { # NAME FILE
  local onset levels quiet median own
  onset=$(sound_onset "$recording")
  onset=$(calc "$length - ${onset:-0}")
  levels=$(for i in $(seq 0 31); do rms_at "$recording" "$(calc "$onset + $i * 0.25")" 0.25; done | tr '\n' ' ')
  echo "# $1: first sound at $onset s; quarter-second levels: $levels"
  echo "# $1: longest silence in those 8 s: $(longest_silence "$recording" "$onset" 8) ms"
  quiet=$(tr ' ' '\n' <<<"$levels" | awk 'NF && $1 < 0.05' | wc -l)
  [ "$quiet" -eq 0 ] && [ "$(wc -w <<<"$levels")" -eq 32 ] && awk "BEGIN { exit !($onset + 8 <= $key_at) }"
  check "$1-loops-without-silence" $? "$quiet of 32 quarter seconds silent from $onset s (key at $key_at s)"
  median=$(tr ' ' '\n' <<<"$levels" | awk 'NF' | sort -g | sed -n 16p)
  own=$(file_rms "$2")
  awk "BEGIN { d = ${median:-0} - $own; exit !(d <= 0.05 * $own && -d <= 0.05 * $own) }"
  check "$1-level-is-the-files" $? "recorded RMS $median, the file's $own"
  echo "# $1: recorded RMS $median, the file's $own"
}

# The sound stops within half a second of the key, and at least a second of
# silence follows.
silent_after_key() { # NAME
  local end
  end=$(sound_end "$recording")
  awk "BEGIN { exit !(${end:-99} <= $key_at + 0.5 && $length >= $key_at + 1.4) }"
  check "$1-silent-after-key" $? "sound until $end s, key at $key_at s, recorded $length s"
  echo "# $1: sound stopped $(calc "(${end:-0} - $key_at) * 1000") ms after the key"
}

silent_throughout() { # NAME
  local peak
  peak=$(raw "$recording" -n stat 2>&1 | stat_of 'Maximum amplitude')
  awk "BEGIN { exit !(${peak:-1} < 0.001) }"
  check "$1-silent" $? "peak $peak"
}

# ---- Scenarios -------------------------------------------------------------------

if run_saver wav 2 "$(windows_path "$app/tone.wav")" 10; then
  heard_looping wav "$app/tone.wav"
  silent_after_key wav
fi
if run_saver mp3 2 "$(windows_path "$app/tone.mp3")" 10; then
  heard_looping mp3 "$app/tone.mp3"
  silent_after_key mp3
fi
run_saver no-music 0 "$(windows_path "$app/tone.mp3")" 3 && silent_throughout no-music
run_saver broken-mp3 2 "$(windows_path "$app/broken.mp3")" 3 && silent_throughout broken-mp3

finish
