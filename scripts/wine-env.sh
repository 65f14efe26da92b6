# Sourced by the scripts here: quiet Wine, one prefix inside build/, and no
# prompts to install Mono or Gecko. Expects $root, the repository folder.
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDLLOVERRIDES="mscoree,mshtml="

# Maps the Japanese font the program asks for ("ＭＳ Ｐゴシック", also known as
# "MS PGothic") to IPA P Gothic (Debian's fonts-ipafont-gothic), so captions
# draw legibly under Wine. Once per prefix; call after the prefix exists.
tolvarin_wine_fonts() {
  grep -q '"MS PGothic"="IPAPGothic"' "$WINEPREFIX/system.reg" 2>/dev/null && return 0
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  LANG=C.UTF-8 wine reg add "$key" /v 'ＭＳ Ｐゴシック' /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1
  LANG=C.UTF-8 wine reg add "$key" /v 'MS PGothic' /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1
  wineserver -w
}

# tolvarin_wine_managed yes|no: "no" has Wine draw its own window frames and
# stop following the pointer with the focus (no window manager runs here);
# hiding a window then takes no extra two seconds.
tolvarin_wine_managed() {
  local key='HKCU\Software\Wine\X11 Driver'
  if [ "$1" = no ]; then
    wine reg add "$key" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  else
    wine reg delete "$key" /v Managed /f >/dev/null 2>&1
  fi
  wineserver -w
}
