#!/usr/bin/env bash
# Makes the release: builds both Windows targets optimised and writes into
# dist/ (or the folder given) the two setup programs and the two zip files:
#   Tolvarin-VERSION-setup-x64.exe  NSIS amd64-unicode stub, 64-bit program
#   Tolvarin-VERSION-setup-x86.exe  NSIS x86-unicode stub, 32-bit program
#   Tolvarin-VERSION-x64.zip, Tolvarin-VERSION-x86.zip  for installing by hand
# and SHA256SUMS. The version is the CMake project version.
#
# Signing (optional): with TOLVARIN_SIGN_CERT (a PKCS#12 file) and
# TOLVARIN_SIGN_PASSWORD set, the program, the library, the setup programs and
# their uninstallers are signed with osslsigncode (see packaging/sign.sh).
#
# The same commit gives the same files: link times are left out of the PE
# headers, and every file packed carries the commit's time
# (SOURCE_DATE_EPOCH, taken from git when not set). Signed files differ from
# run to run: a signature holds the time it was made.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
out=$(mkdir -p "${1:-$root/dist}" && cd "${1:-$root/dist}" && pwd)

scripts/install-deps.sh

if [ -n "${TOLVARIN_SIGN_CERT:-}" ] || [ -n "${TOLVARIN_SIGN_PASSWORD:-}" ]; then
  [ -f "${TOLVARIN_SIGN_CERT:-}" ] || { echo "TOLVARIN_SIGN_CERT does not name a file" >&2; exit 1; }
  [ -n "${TOLVARIN_SIGN_PASSWORD:-}" ] || { echo "TOLVARIN_SIGN_PASSWORD is not set" >&2; exit 1; }
  signing=yes
else
  signing=
fi

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 946684800)
fi
export SOURCE_DATE_EPOCH
stamp="@$SOURCE_DATE_EPOCH"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# The Release presets' own folders, which the tests build too. Configuring
# through the preset puts the build type back to Release and repairs (or
# refuses) a folder whose optimisation flags were lost; the compile commands
# are then checked, so what is packed was really compiled optimised.
for preset in win32 win64; do
  echo "== build $preset"
  if ! { cmake --preset "$preset" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON &&
    cmake --build --preset "$preset" -j2 --target Tolvarin r_vold_graphics; } >"$stage/build-$preset.log" 2>&1; then
    tail -n 30 "$stage/build-$preset.log"
    echo "package: the $preset build failed" >&2
    exit 1
  fi
  scripts/check-optimised.sh "build/$preset"
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win64/CMakeCache.txt)
[ -n "$version" ] || { echo "package: no project version in build/win64" >&2; exit 1; }
echo "== Tolvarin $version (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"

for arch in x64 x86; do
  case $arch in x64) preset=win64 bits=64 ;; x86) preset=win32 bits=32 ;; esac
  payload=$stage/$arch/payload
  mkdir -p "$payload"
  cp "build/$preset/bin/Tolvarin.scr" "build/$preset/bin/r_vold_graphics.dll" "$payload/"
  if [ -n "$signing" ]; then
    packaging/sign.sh "$payload/Tolvarin.scr"
    packaging/sign.sh "$payload/r_vold_graphics.dll"
  fi
  touch -d "$stamp" "$payload"/*

  setup=$out/Tolvarin-$version-setup-$arch.exe
  rm -f "$setup"
  nsis_args=(-V2 -NOCD "-DVERSION=$version" "-DARCH=$arch" "-DPAYLOAD=$payload"
    "-DICON=$root/src/dialog/pictures/tolvarin.ico" "-DOUTFILE=$setup")
  [ -n "$signing" ] && nsis_args+=("-DSIGN=$root/packaging/sign.sh")
  if ! makensis "${nsis_args[@]}" packaging/tolvarin.nsi >"$stage/makensis-$arch.log" 2>&1; then
    cat "$stage/makensis-$arch.log"
    echo "package: makensis failed for $arch" >&2
    exit 1
  fi

  # The zip: one folder with the two files and the text on installing by hand
  # (UTF-8 with a byte order mark and CRLF, so Notepad shows it right).
  folder=Tolvarin-$version-$arch
  mkdir -p "$stage/$arch/zip/$folder"
  cp "$payload/Tolvarin.scr" "$payload/r_vold_graphics.dll" "$stage/$arch/zip/$folder/"
  { printf '\xef\xbb\xbf'
    sed -e "s/@VERSION@/$version/g" -e "s/@ARCH@/$arch/g" -e "s/@BITS@/$bits/g" packaging/README.txt.in |
      sed 's/$/\r/'; } >"$stage/$arch/zip/$folder/README.txt"
  touch -d "$stamp" "$stage/$arch/zip/$folder" "$stage/$arch/zip/$folder"/*
  zipfile=$out/Tolvarin-$version-$arch.zip
  rm -f "$zipfile"
  (cd "$stage/$arch/zip" && TZ=UTC zip -q -X -9 "$zipfile" "$folder/" "$folder/README.txt" \
    "$folder/Tolvarin.scr" "$folder/r_vold_graphics.dll")
done

(cd "$out" && sha256sum "Tolvarin-$version-setup-x64.exe" "Tolvarin-$version-setup-x86.exe" \
  "Tolvarin-$version-x64.zip" "Tolvarin-$version-x86.zip" >SHA256SUMS)
echo "== written to $out"
(cd "$out" && ls -l "Tolvarin-$version"-* SHA256SUMS | awk '{ printf "%10d  %s\n", $5, $9 }')
