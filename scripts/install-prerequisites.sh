#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (as root):
# compilers, GoogleTest, Wine, Xvfb, the zh_CN.UTF-8 locale, a Chinese
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

have_locale() {
  locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'
}

install_prerequisites() {
  local missing
  missing="$(missing_packages)"
  if [[ -z "$missing" ]] && have_locale; then
    echo "prerequisites present"
    return
  fi
  if [[ "$(id -u)" -ne 0 ]]; then
    echo "missing (run as root to install): ${missing//$'\n'/ }" >&2
    have_locale || echo "missing locale zh_CN.UTF-8" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  if [[ -n "$missing" ]]; then
    step "installing: ${missing//$'\n'/ }"
    apt-get update
    # shellcheck disable=SC2086
    apt-get install -y --no-install-recommends $missing
  fi
  if ! have_locale; then
    step "generating zh_CN.UTF-8"
    if grep -q '^# *zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
      sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    elif ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
      echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
    fi
    locale-gen
  fi
}

install_prerequisites
