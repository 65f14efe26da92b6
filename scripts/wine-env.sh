# Sourced by the scripts here: quiet Wine, one prefix inside build/, and no
# prompts to install Mono or Gecko. Expects $root, the repository folder.
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDLLOVERRIDES="mscoree,mshtml="
