#!/usr/bin/env bash
# Installs what building, running and testing Tolvarin need on Debian, when missing.
# Only 64-bit Wine: 32-bit programs cannot run on these machines, and with
# wine32 installed `wine` itself stops working here. PulseAudio, sox and lame
# make, hear and measure the saver's music; Wine decodes MP3 with GStreamer.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libjpeg-dev
  mingw-w64 wine wine64 xvfb xauth xdotool x11-utils imagemagick
  fonts-ipafont-gothic
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  nsis osslsigncode openssl zip unzip
  pulseaudio pulseaudio-utils sox libsox-fmt-mp3 lame
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
