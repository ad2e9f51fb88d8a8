#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine (as root), builds the
# program and opens its window under Wine.
#
#   bash scripts/run-window.sh [winxp|win98|win2k|win10] [--dpi N] [--screenshot FILE]
#
# The Wine prefix (.wine-prefix, created once under zh_CN.UTF-8, so the
# system's code page is 936 as on Chinese Windows) reports Windows XP unless
# another version is named. With --dpi the screen has N dots per inch (96,
# 120, 144, ...) for this start: Wine reads LogPixels under
# HKCU\Control Panel\Desktop when a program starts; the value is removed
# again afterwards. Without a display the window opens on a virtual one (Xvfb)
# and a screenshot is saved to build/window.png. With --screenshot the
# picture is taken once the window shows, and the program is closed.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$(pwd)"
version=winxp
shot=""
dpi=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    winxp|win98|win2k|win10|nt40) version="$1" ;;
    --screenshot) shot="$2"; shift ;;
    --dpi) dpi="$2"; shift ;;
    *) echo "usage: $0 [winxp|win98|win2k|win10] [--dpi N] [--screenshot FILE]" >&2; exit 2 ;;
  esac
  shift
done

bash scripts/install-prerequisites.sh
cmake -S . -B build/mingw64 -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" >/dev/null
cmake --build build/mingw64 --target VornixInternetOptimizer -j "$(nproc)"

if [[ -z "${DISPLAY:-}" ]]; then
  # No display: run on a virtual one and keep a picture of the window.
  [[ -n "$shot" ]] || shot="$root/build/window.png"
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$version" ${dpi:+--dpi "$dpi"} \
    --screenshot "$shot"
fi

. scripts/wine-env.sh
bash scripts/wine-prefix.sh
wine reg add 'HKCU\Software\Wine\AppDefaults\VornixInternetOptimizer.exe' \
  /v Version /t REG_SZ /d "$version" /f >/dev/null
if [[ -n "$dpi" ]]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  trap "wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true" EXIT
fi

exe="$root/build/mingw64/VornixInternetOptimizer.exe"
if [[ -z "$shot" ]]; then
  echo "Opening the window as $version${dpi:+ at $dpi DPI}; close it to end."
  wine "$exe"
  exit 0
fi

wine "$exe" &
app=$!
for _ in $(seq 1 100); do
  if xwininfo -root -tree 2>/dev/null | grep -q 'Vornix Internet Optimizer - '; then break; fi
  sleep 0.2
done
sleep 1  # let the pictures paint
window=$(xwininfo -root -tree 2>/dev/null | grep 'Vornix Internet Optimizer - ' | awk '{print $1}' | head -n 1)
import -window "${window:-root}" "$shot"
echo "screenshot: $shot"
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
