#!/usr/bin/env bash
# Installs what the build needs (Debian 12, as root), then builds and tests:
#   build/native   the portable core with AddressSanitizer/UBSan, natively;
#   build/mingw64  the Windows build, tests run under Wine (64-bit);
#   build/mingw32  the 32-bit Windows build, compiled only: this Wine has no
#                  32-bit half, and a 32-bit program under it proves nothing.
# Exits non-zero on the first failure.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$(pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"

step() { printf '\n=== %s ===\n' "$*"; }

step "prerequisites"
bash scripts/install-prerequisites.sh

step "native build (sanitizers)"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DVORNIX_SANITIZE=ON
cmake --build build/native -j "$jobs"
(cd build/native && ctest --output-on-failure -j "$jobs")

step "Windows 64-bit build"
cmake -S . -B build/mingw64 -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake"
cmake --build build/mingw64 -j "$jobs"

step "Windows 64-bit tests under Wine"
# One X server for the whole run: Wine needs a display for windows, and the
# prefix is created under it too so no Wine process outlives its display.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  . scripts/wine-env.sh
  bash scripts/wine-prefix.sh
  status=0
  (cd build/mingw64 && ctest --output-on-failure -j "$1") || status=$?
  wineserver -w || true
  exit "$status"
' wine-tests "$jobs"

step "Windows 32-bit build (compile only)"
cmake -S . -B build/mingw32 -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw32.cmake"
cmake --build build/mingw32 -j "$jobs"

step "all passed"
