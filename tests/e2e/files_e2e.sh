#!/bin/bash
# The settings file writer where Wine run as root hides what Windows does:
# folders in which no new file may be created. Wine and its server run
# without the power to override file permissions, so the permissions hold;
# the unit tests Win32LockedFolderTest then write a settings file that may be
# written in place, find a file without write permission refused (Wine shows
# it as read-only), and send the save from an empty folder to the per-user
# file in the prefix's application-data folder.
#
# Usage: tests/e2e/files_e2e.sh [BUILD_DIR]      (default: build/win64)
# Prints "ok NAME" or "FAIL NAME: why" per check, then "files e2e: N passed,
# M failed"; the exit status is 1 when any check failed.
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" 2>/dev/null && pwd) || build=${1:-$root/build/win64}
tests=$build/bin/tolvarin_tests.exe

suite="files"
. "$root/tests/e2e/e2e_tally.sh"

for tool in wine wineserver setpriv; do
  command -v "$tool" >/dev/null 2>&1 || fail setup "missing tool $tool"
done
[ -f "$tests" ] || fail setup "missing $tests (build the win64 preset first)"
[ "$failed" -eq 0 ] || finish

work=$(mktemp -d)
export WINEPREFIX=${TOLVARIN_WINEPREFIX:-$build/e2e-wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
unprivileged() { setpriv --bounding-set -dac_override -- "$@"; }
# The per-user settings file, which every later run would read: removed
# before and after.
users=$WINEPREFIX/drive_c/users
per_user_files() { find "$users" -ipath '*/Tolvarin/Tolvarin.ini' 2>/dev/null; }
remove_per_user() { per_user_files | while read -r f; do rm -rf "$(dirname "$f")"; done; }
cleanup() {
  wineserver -k >/dev/null 2>&1
  remove_per_user
  chmod -R u+w "$work"
  rm -rf "$work"
}
trap cleanup EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >"$work/wineboot.log" 2>&1 || { fail setup "wineboot failed"; finish; }
fi

locked=$work/locked
mkdir -p "$locked"
printf '[Section]\r\n\x93\x78\x8D\x87\x82\xA2=1\r\n' >"$locked/Tolvarin.ini"
chmod 0666 "$locked/Tolvarin.ini"
chmod 0555 "$locked"
inode=$(stat -c %i "$locked/Tolvarin.ini")
empty=$work/empty
protected_dir=$work/protected
mkdir -p "$empty" "$protected_dir"
printf '[Section]\r\n\x93\x78\x8D\x87\x82\xA2=2\r\n' >"$protected_dir/Tolvarin.ini"
chmod 0444 "$protected_dir/Tolvarin.ini"
chmod 0555 "$empty" "$protected_dir"
remove_per_user
if unprivileged touch "$locked/probe" 2>/dev/null; then
  fail setup "the folder still takes new files without the override"
  finish
fi

# The server must start without the override too: end the one that may run.
wineserver -k >/dev/null 2>&1
wineserver -w
winpath() { printf 'Z:%s' "${1//\//\\}"; }
(cd "$build/bin" && TOLVARIN_LOCKED_FOLDER=$(winpath "$locked") TOLVARIN_LOCKED_EMPTY=$(winpath "$empty") \
  TOLVARIN_LOCKED_READONLY=$(winpath "$protected_dir") unprivileged wine "$tests" \
  --gtest_filter='Win32LockedFolderTest.*') >"$work/test.log" 2>&1
why() { grep -E 'Failure|Expected|Which is|SKIPPED|FAILED' "$work/test.log" | head -n 8 | tr '\n' ' '; }
grep -q '^\[       OK \] Win32LockedFolderTest.ExistingFileIsWrittenInPlace' "$work/test.log"
check locked-folder-file-written-in-place $? "$(why)"
grep -q '^\[       OK \] Win32LockedFolderTest.SettingsGoToThePerUserFile' "$work/test.log" &&
  ! grep -q 'SKIPPED' "$work/test.log"
check locked-folder-save-goes-to-per-user-file $? "$(why)"
wineserver -k >/dev/null 2>&1

# The refused folders are as they were; the per-user file holds the save.
[ -z "$(ls -A "$empty")" ] && [ "$(ls -A "$protected_dir")" = "Tolvarin.ini" ] &&
  [ "$(od -An -tx1 "$protected_dir/Tolvarin.ini" | tr -d ' \n')" = "5b53656374696f6e5d0d0a93788d8782a23d320d0a" ]
check refused-folders-unchanged $? "$(ls -A "$empty" "$protected_dir" | tr '\n' ' ')"
[ "$(per_user_files | wc -l)" = 1 ] && LC_ALL=C grep -q $'\x93\x78\x8D\x87\x82\xA2= 5' "$(per_user_files)"
check per-user-file-in-application-data $? "$(per_user_files | tr '\n' ' ')"

[ "$(stat -c %i "$locked/Tolvarin.ini")" = "$inode" ] && [ "$(ls -A "$locked")" = "Tolvarin.ini" ]
check locked-folder-same-file-nothing-new $? "$(ls -ai "$locked" | tr '\n' ' ') (inode was $inode)"
# The value needs more than code page 932, so the file became UTF-16LE.
[ "$(head -c 2 "$locked/Tolvarin.ini" | od -An -tx1 | tr -d ' ')" = "fffe" ] &&
  iconv -f UTF-16LE -t UTF-8 <"$locked/Tolvarin.ini" | grep -q 'BGMﾌｧｲﾙ=C:\\Café 노래.mp3'
check locked-folder-widened-to-utf16 $? "$(od -c "$locked/Tolvarin.ini" | head -n 3 | tr '\n' ' ')"

finish
