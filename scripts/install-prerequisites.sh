#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (as root):
# compilers, GoogleTest, Wine, Xvfb, the zh_CN.UTF-8 and en_US.UTF-8 locales
# (Wine's code pages 936 and 1252, as Chinese and English Windows), a Chinese
# font, NSIS and zip for the packages. Quick when everything is already there.
set -euo pipefail

packages=(
  cmake make g++ libgtest-dev googletest
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32
  wine wine64 xvfb xauth x11-utils locales fonts-wqy-microhei imagemagick
  nsis zip unzip
)

step() { printf '\n=== %s ===\n' "$*"; }

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' \
      || echo "$p"
  done
}

# The locales, as locale.gen names them, that Wine's processes run under.
locales=(zh_CN.UTF-8 en_US.UTF-8)

missing_locales() {
  local installed name
  installed="$(locale -a 2>/dev/null)"
  for name in "${locales[@]}"; do
    grep -qix "${name%%.*}.utf8" <<<"$installed" || echo "$name"
  done
}

install_prerequisites() {
  local missing missing_loc name
  missing="$(missing_packages)"
  missing_loc="$(missing_locales)"
  if [[ -z "$missing" && -z "$missing_loc" ]]; then
    echo "prerequisites present"
    return
  fi
  if [[ "$(id -u)" -ne 0 ]]; then
    echo "missing (run as root to install): ${missing//$'\n'/ }" >&2
    [[ -z "$missing_loc" ]] || echo "missing locales: ${missing_loc//$'\n'/ }" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  if [[ -n "$missing" ]]; then
    step "installing: ${missing//$'\n'/ }"
    apt-get update
    # shellcheck disable=SC2086
    apt-get install -y --no-install-recommends $missing
  fi
  if [[ -n "$missing_loc" ]]; then
    step "generating ${missing_loc//$'\n'/ }"
    for name in $missing_loc; do
      if grep -q "^# *$name UTF-8" /etc/locale.gen; then
        sed -i "s/^# *\($name UTF-8\)/\1/" /etc/locale.gen
      elif ! grep -q "^$name UTF-8" /etc/locale.gen; then
        echo "$name UTF-8" >> /etc/locale.gen
      fi
    done
    locale-gen
  fi
}

install_prerequisites
