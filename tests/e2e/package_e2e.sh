#!/bin/bash
# The release end to end: ./package.sh, then its 64-bit setup program under
# Wine in a fresh prefix. Checked: the files written and what they hold, a
# second run giving the same bytes, signing with a throwaway certificate; a
# silent install (files, screen saver, uninstall entry, shortcuts), the saver
# and the settings dialog run from the installed folder, an install refused
# while the saver runs, an upgrade keeping the settings, silent uninstalls
# giving the previous screen saver back (or none, or leaving another choice
# alone), and the setup's first page in Japanese and in English.
#
# Usage: tests/e2e/package_e2e.sh
# Needs what package.sh needs, plus Xvfb, wine (64-bit), xdotool, ImageMagick,
# openssl, unzip. Leaves screenshots in $SHOTS (default: shots/).
# Prints "ok NAME" or "FAIL NAME: why" per check, then a count line.
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
shots=${SHOTS:-$root/shots}
suite="package"
. "$root/tests/e2e/e2e_tally.sh"

for tool in Xvfb wine wineserver xdotool import convert makensis osslsigncode openssl unzip \
  x86_64-w64-mingw32-objdump strings; do
  command -v "$tool" >/dev/null 2>&1 || fail setup "missing tool $tool"
done
[ "$failed" -eq 0 ] || finish

work=$(mktemp -d)
build=$work
xvfb_pid=
saver_pid=
. "$root/tests/e2e/wine_display.sh"
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null
  stop_wine_display
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shots"
# The effect degree's key name in code page 932.
degree_key=$'\x93\x78\x8D\x87\x82\xA2'

# ---- The release files -----------------------------------------------------------

version=$(sed -n 's/^project(Tolvarin VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
dist=$work/dist
if ! "$root/package.sh" "$dist" >"$work/package.log" 2>&1; then
  fail package "$(tail -n 5 "$work/package.log" | tr '\n' ' ')"
  finish
fi
ok package "version $version"
names=$(cd "$dist" && ls | tr '\n' ' ')
[ "$names" = "SHA256SUMS Tolvarin-$version-setup-x64.exe Tolvarin-$version-setup-x86.exe Tolvarin-$version-x64.zip Tolvarin-$version-x86.zip " ]
check release-file-names $? "$names"
setup=$dist/Tolvarin-$version-setup-x64.exe

# Each setup program on its own stub; each zip with the build's own files.
formats=$(for arch in x64 x86; do
  x86_64-w64-mingw32-objdump -f "$dist/Tolvarin-$version-setup-$arch.exe" | sed -n 's/.*file format //p'
done | tr '\n' ' ')
[ "$formats" = "pei-x86-64 pei-i386 " ]
check setup-stubs $? "$formats"
strings "$setup" | grep -q 'level="asInvoker"'
check setup-asks-no-rights $? "no asInvoker in the setup's manifest"
zips_ok=0
for arch in x64 x86; do
  case $arch in x64) preset=win64 ;; x86) preset=win32 ;; esac
  folder=Tolvarin-$version-$arch
  mkdir -p "$work/unzip-$arch"
  unzip -q "$dist/$folder.zip" -d "$work/unzip-$arch" || zips_ok=1
  listed=$(cd "$work/unzip-$arch" && find . -type f | sort | tr '\n' ' ')
  [ "$listed" = "./$folder/README.txt ./$folder/Tolvarin.scr ./$folder/r_vold_graphics.dll " ] || zips_ok=1
  cmp -s "$work/unzip-$arch/$folder/Tolvarin.scr" "$root/build/$preset/bin/Tolvarin.scr" || zips_ok=1
  cmp -s "$work/unzip-$arch/$folder/r_vold_graphics.dll" "$root/build/$preset/bin/r_vold_graphics.dll" || zips_ok=1
  grep -q "手動でのインストール" "$work/unzip-$arch/$folder/README.txt" &&
    grep -q "Installing by hand" "$work/unzip-$arch/$folder/README.txt" || zips_ok=1
done
check zips-hold-the-build $zips_ok "$(cd "$work" && find unzip-* -type f | tr '\n' ' ')"

# The version block and the PE headers of the program: the project version, no link time.
scr=$work/unzip-x64/Tolvarin-$version-x64/Tolvarin.scr
strings -el "$scr" | grep -qx "$version.0"
check program-version-block $? "no $version.0 in the version block"
stamps=$(for f in "$scr" "$work/unzip-x64/Tolvarin-$version-x64/r_vold_graphics.dll" \
  "$work/unzip-x86/Tolvarin-$version-x86/Tolvarin.scr"; do
  x86_64-w64-mingw32-objdump -p "$f" 2>/dev/null | grep -E '^Time/Date[[:space:]]+[A-Z][a-z]{2} ' |
    sed 's/^Time\/Date[[:space:]]*//'
done | sort -u)
[ "$stamps" = "Thu Jan  1 00:00:00 1970" ]
check program-no-link-time $? "$stamps"

# A second run writes the same bytes.
"$root/package.sh" "$work/again" >"$work/again.log" 2>&1
same=0
for f in "$dist"/*; do cmp -s "$f" "$work/again/${f##*/}" || { same=1; echo "# differs: ${f##*/}"; }; done
check second-run-same-bytes $same "see the lines above"

# Signed with a throwaway certificate: every program file carries a signature
# that osslsigncode accepts against that certificate.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tolvarin test signing" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null &&
  openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/sign.p12" \
    -passout pass:throwaway-password 2>/dev/null
if TOLVARIN_SIGN_CERT=$work/sign.p12 TOLVARIN_SIGN_PASSWORD=throwaway-password \
  "$root/package.sh" "$work/signed" >"$work/signed.log" 2>&1; then
  unzip -q "$work/signed/Tolvarin-$version-x64.zip" -d "$work/signed-unzip"
  bad=
  for f in "$work/signed/Tolvarin-$version-setup-x64.exe" "$work/signed/Tolvarin-$version-setup-x86.exe" \
    "$work/signed-unzip/Tolvarin-$version-x64/Tolvarin.scr" \
    "$work/signed-unzip/Tolvarin-$version-x64/r_vold_graphics.dll"; do
    osslsigncode verify -CAfile "$work/cert.pem" -in "$f" >"$work/verify.log" 2>&1 || bad+="${f##*/} "
  done
  [ -z "$bad" ]
  check signed-files-verify $? "refused: $bad $(tail -n 3 "$work/verify.log" | tr '\n' ' ')"
  ! grep -rq throwaway-password "$work/signed"
  check signing-password-not-packed $? "the password is in the output"
else
  fail signed-package "$(tail -n 5 "$work/signed.log" | tr '\n' ' ')"
fi

# ---- Installing in a fresh prefix ----------------------------------------------

export TOLVARIN_WINEPREFIX=$work/prefix
start_wine_display 1024x768 || finish
(. "$root/scripts/wine-env.sh" && tolvarin_wine_managed no)

desktop='HKCU\Control Panel\Desktop'
uninst='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvarin'
# reg_value KEY NAME: the value's data, or nothing when it is missing.
reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$(sed 's/[.]/\\./g' <<<"$2") \{1,\}REG_[A-Z_]* \{1,\}//p"
}
set_saver() { # VALUE ACTIVE: the screen saver chosen before (VALUE empty: none)
  if [ -n "$1" ]; then
    wine reg add "$desktop" /v SCRNSAVE.EXE /t REG_SZ /d "$1" /f >/dev/null 2>&1
  else
    wine reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null 2>&1
  fi
  wine reg add "$desktop" /v ScreenSaveActive /t REG_SZ /d "$2" /f >/dev/null 2>&1
}
local_appdata=$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')" 2>/dev/null)
inst=$local_appdata/Programs/Tolvarin
menu="$(winepath -u "$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')" 2>/dev/null)/Microsoft/Windows/Start Menu/Programs/Tolvarin"
run_setup() { # SETUP: silent; sets rc
  wine "$1" /S >>"$work/install.log" 2>&1
  rc=$?
  wineserver -w
}
# The uninstaller copies itself to the temporary folder and runs from there;
# wait until that copy has ended too.
uninstall() {
  wine "$inst/uninstall.exe" /S >>"$work/install.log" 2>&1
  rc=$?
  wineserver -w
}

previous='C:\windows\system32\previous.scr'
set_saver "$previous" 0
run_setup "$setup"
check install-exit-code $rc "exit code $rc"
listed=$(cd "$inst" 2>/dev/null && ls | tr '\n' ' ')
[ "$listed" = "Tolvarin.scr r_vold_graphics.dll uninstall.exe " ]
check installed-files $? "[$listed] in $inst"
cmp -s "$inst/Tolvarin.scr" "$root/build/win64/bin/Tolvarin.scr" &&
  cmp -s "$inst/r_vold_graphics.dll" "$root/build/win64/bin/r_vold_graphics.dll"
check installed-64-bit-build $? "not the win64 build's files"

chosen=$(reg_value "$desktop" SCRNSAVE.EXE)
[ -n "$chosen" ] && [ "$(winepath -u "$chosen" 2>/dev/null)" -ef "$inst/Tolvarin.scr" ] &&
  [ "$(reg_value "$desktop" ScreenSaveActive)" = 1 ]
check saver-chosen $? "SCRNSAVE.EXE [$chosen], ScreenSaveActive [$(reg_value "$desktop" ScreenSaveActive)]"
echo "# SCRNSAVE.EXE = $chosen"

location=$(reg_value "$uninst" InstallLocation)
entry_ok=0
expect_value() { # NAME EXPECTED
  local got
  got=$(reg_value "$uninst" "$1")
  [ "$got" = "$2" ] || { echo "# $1 = [$got], expected [$2]"; entry_ok=1; }
}
[ "$(winepath -u "$location" 2>/dev/null)" -ef "$inst" ] || { echo "# InstallLocation [$location]"; entry_ok=1; }
expect_value DisplayName Tolvarin
expect_value DisplayVersion "$version"
expect_value Publisher Tolvarin
expect_value DisplayIcon "$location\\Tolvarin.scr,0"
expect_value UninstallString "\"$location\\uninstall.exe\""
expect_value QuietUninstallString "\"$location\\uninstall.exe\" /S"
expect_value NoModify 0x1
expect_value NoRepair 0x1
size=$(reg_value "$uninst" EstimatedSize)
kb=$(du -sk "$inst" | cut -f1)
[ $((size)) -gt 0 ] && [ $((size)) -ge $((kb / 2)) ] && [ $((size)) -le $((kb * 2)) ] ||
  { echo "# EstimatedSize [$size] for $kb KB"; entry_ok=1; }
check uninstall-entry $entry_ok "see the lines above"

[ -f "$menu/Tolvarin の設定.lnk" ] && strings -el -n 2 "$menu/Tolvarin の設定.lnk" | grep -qx '/c' &&
  [ -f "$menu/Uninstall Tolvarin.lnk" ]
check start-menu $? "$(ls "$menu" 2>&1 | tr '\n' ' ')"

# ---- The installed saver and dialog ----------------------------------------------

(cd / && wine "$inst/Tolvarin.scr" /s >"$work/saver.log" 2>&1) &
saver_pid=$!
window=
for _ in $(seq 1 300); do
  window=$(xdotool search --onlyvisible --name '^Tolvarin_Main$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ]
check installed-saver-runs $? "no Tolvarin_Main window"
if [ -n "$window" ]; then
  # Installing over it now is refused (silently: given up), and changes nothing.
  wine "$setup" /S >>"$work/install.log" 2>&1
  rc=$?
  [ "$rc" -ne 0 ] && cmp -s "$inst/Tolvarin.scr" "$root/build/win64/bin/Tolvarin.scr" &&
    [ ! -e "$inst/Tolvarin.scr.new" ] && [ ! -e "$inst/Tolvarin.scr.old" ] && kill -0 "$saver_pid" 2>/dev/null
  check install-refused-while-running $? "exit code $rc; $(ls "$inst" | tr '\n' ' ')"
  xdotool mousemove 500 400 key shift
fi
for _ in $(seq 1 100); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.1; done
kill "$saver_pid" 2>/dev/null
saver_pid=
wineserver -w

# The dialog from the Start menu's command line: "設定" saves beside the program.
(cd / && wine "$inst/Tolvarin.scr" /c >"$work/dialog.log" 2>&1) &
saver_pid=$!
window=
for _ in $(seq 1 300); do
  window=$(xdotool search --onlyvisible --name '^<Tolvarin>$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
saved=1
if [ -n "$window" ]; then
  sleep 2
  eval "$(xdotool getwindowgeometry --shell "$window")"
  # The client area starts at the gradient's first row, RGB(0, 0, 30).
  row=$(import -window root -crop "1x60+$((X + WIDTH / 2))+$Y" +repage -depth 8 txt:- 2>/dev/null |
    grep '#00001E' | head -n 1 | sed 's/^0,\([0-9]*\):.*/\1/')
  if [ -n "$row" ]; then
    xdotool mousemove "$((X + (WIDTH - 496) / 2 + 362))" "$((Y + row + 212))" click 1
    for _ in $(seq 1 100); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.1; done
    grep -q "^$degree_key= 100"$'\r'"\$" "$inst/Tolvarin.ini" 2>/dev/null && ! kill -0 "$saver_pid" 2>/dev/null
    saved=$?
  fi
fi
check dialog-saves-beside-program $saved "window [$window] row [$row]; $(ls "$inst" | tr '\n' ' ')"
kill "$saver_pid" 2>/dev/null
saver_pid=
wineserver -w

# ---- Upgrade with the signed setup: the settings stay --------------------------

printf '[Section]\r\n%s= 42\r\n' "$degree_key" >"$inst/Tolvarin.ini"
cp "$inst/Tolvarin.ini" "$work/settings.ini"
run_setup "$work/signed/Tolvarin-$version-setup-x64.exe"
cmp -s "$inst/Tolvarin.ini" "$work/settings.ini" && [ "$rc" -eq 0 ] &&
  cmp -s "$inst/Tolvarin.scr" "$work/signed-unzip/Tolvarin-$version-x64/Tolvarin.scr" &&
  [ "$(cd "$inst" && ls | tr '\n' ' ')" = "Tolvarin.ini Tolvarin.scr r_vold_graphics.dll uninstall.exe " ]
check upgrade-keeps-settings $? "exit code $rc; $(ls "$inst" | tr '\n' ' ')"
osslsigncode verify -CAfile "$work/cert.pem" -in "$inst/uninstall.exe" >"$work/verify-uninstaller.log" 2>&1
check uninstaller-signed $? "$(tail -n 2 "$work/verify-uninstaller.log" | tr '\n' ' ')"
[ "$(reg_value "$uninst" PreviousScreenSaver)" = "$previous" ]
check upgrade-remembers-first-saver $? "PreviousScreenSaver [$(reg_value "$uninst" PreviousScreenSaver)]"

# ---- Uninstalling ----------------------------------------------------------------

uninstall
[ "$rc" -eq 0 ] && [ ! -e "$inst" ] && [ ! -e "$menu" ] && [ -z "$(reg_value "$uninst" DisplayName)" ]
check uninstall-removes-all $? "exit code $rc; left: $(ls -A "$inst" "$menu" 2>/dev/null | tr '\n' ' ') entry [$(reg_value "$uninst" DisplayName)]"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$previous" ] && [ "$(reg_value "$desktop" ScreenSaveActive)" = 0 ]
check previous-saver-back $? "SCRNSAVE.EXE [$(reg_value "$desktop" SCRNSAVE.EXE)] active [$(reg_value "$desktop" ScreenSaveActive)]"
echo "# left in the temporary folder: $(ls -A "$local_appdata/Temp" 2>/dev/null | tr '\n' ' ')"

# None before: the value goes and the saver is off. Another chosen since: it stays.
set_saver "" 0
run_setup "$setup"
set_saver 'C:\other.scr' 1
uninstall
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = 'C:\other.scr' ] && [ "$(reg_value "$desktop" ScreenSaveActive)" = 1 ] &&
  [ ! -e "$inst" ]
check other-choice-left-alone $? "SCRNSAVE.EXE [$(reg_value "$desktop" SCRNSAVE.EXE)]"
set_saver "" 0
run_setup "$setup"
[ -n "$(reg_value "$desktop" SCRNSAVE.EXE)" ] && uninstall
[ -z "$(wine reg query "$desktop" /v SCRNSAVE.EXE 2>/dev/null | grep -i scrnsave)" ] &&
  [ "$(reg_value "$desktop" ScreenSaveActive)" = 0 ] && [ ! -e "$inst" ]
check none-before-saver-off $? "SCRNSAVE.EXE [$(reg_value "$desktop" SCRNSAVE.EXE)] active [$(reg_value "$desktop" ScreenSaveActive)]"

# ---- The setup's pages: Japanese for a Japanese user, English otherwise --------

page() { # LANG TITLE NAME: the first page's window, a screenshot of it
  (LANG=$1 LC_ALL=$1 wine "$setup" >/dev/null 2>&1) &
  local pid=$! found=
  # (xdotool matches names other than ASCII badly: compare them here.)
  for _ in $(seq 1 300); do
    for w in $(xdotool search --onlyvisible --name '^Tolvarin' 2>/dev/null); do
      [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$2" ] && found=$w
    done
    [ -n "$found" ] && break
    sleep 0.1
  done
  if [ -n "$found" ]; then
    sleep 1.5
    import -window root "$shots/setup_$3.png" 2>/dev/null
  fi
  wineserver -k >/dev/null 2>&1
  wait "$pid" 2>/dev/null
  [ -n "$found" ]
}
page ja_JP.UTF-8 "Tolvarin セットアップ" japanese
check setup-japanese $? "no window titled Tolvarin セットアップ"
page en_US.UTF-8 "Tolvarin Setup" english
check setup-english $? "no window titled Tolvarin Setup"

finish
