# Sourced by the end-to-end scripts: a private virtual display and the Wine
# prefix of the build (made once and kept: making one is slow). Expects
# $build and $work, and the caller's fail().

# start_wine_display WIDTHxHEIGHT: exports DISPLAY and the Wine settings and
# sets xvfb_pid; returns 1 (after fail setup) when something is missing.
start_wine_display() {
  local n number=
  for n in $(seq 91 160); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then number=$n; break; fi
  done
  [ -n "$number" ] || { fail setup "no free X display number"; return 1; }
  Xvfb ":$number" -screen 0 "${1}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$number"
  export WINEPREFIX=${TOLVARIN_WINEPREFIX:-$build/e2e-wineprefix}
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$number" ] && break
    sleep 0.1
  done
  [ -e "/tmp/.X11-unix/X$number" ] || { fail setup "Xvfb did not start"; return 1; }
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "# making the Wine prefix $WINEPREFIX (slow, once)"
    wineboot -i >"$work/wineboot.log" 2>&1 || { fail setup "wineboot failed"; return 1; }
  fi
  wineserver -w
  # The Japanese caption font, mapped as scripts/wine-env.sh does.
  (. "$root/scripts/wine-env.sh" && tolvarin_wine_fonts)
}

stop_wine_display() {
  wineserver -k >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# key_ends_within NAME MILLISECONDS X Y: with the pointer at X, Y over the
# saver (keys go to the window under it), a key must end the saver whose
# process is $saver_pid within the given time; a check either way.
key_ends_within() {
  local start
  xdotool mousemove "$3" "$4"
  start=$(now_ms)
  xdotool key shift
  while kill -0 "$saver_pid" 2>/dev/null && [ $(($(now_ms) - start)) -lt "$2" ]; do sleep 0.01; done
  if kill -0 "$saver_pid" 2>/dev/null; then
    fail "$1" "still running $2 ms after the key"
    kill "$saver_pid" 2>/dev/null
  else
    ok "$1" "ended $(($(now_ms) - start)) ms after the key"
  fi
  wait "$saver_pid" 2>/dev/null
  saver_pid=
}
