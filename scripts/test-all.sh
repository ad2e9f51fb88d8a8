#!/usr/bin/env bash
# Installs what the build needs (Debian 12, as root), then builds and tests:
#   build/native   the portable core with AddressSanitizer/UBSan, natively;
#   build/mingw64  the Windows build, tests run under Wine (64-bit);
#   build/mingw32  the 32-bit Windows build; this machine runs no 32-bit
#                  code, so its tests run in an emulated 32-bit Debian with a
#                  32-bit Wine (scripts/i686-tests.sh, at the end);
#   build/release-x86_64, build/release-i686
#                  the Release executables, whose imports and PE headers are
#                  held against each one's oldest Windows (tests/imports/);
#   dist/          the installers and zips (scripts/package.sh); the 64-bit
#                  installer is run under Wine in a prefix of its own, the
#                  32-bit one in the 32-bit guest.
# Exits non-zero on the first failure.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$(pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"

# The Release executables built in both architectures whose imports are
# checked, one a line.
release_executables=(
  VornixInternetOptimizer.exe
  vornix.exe
)

# Each step's heading tells how long the run has taken so far, the last one
# the whole run's time.
step() { printf '\n=== %s (after %d min %02d s) ===\n' "$*" $((SECONDS / 60)) $((SECONDS % 60)); }

# CMake keeps the compiler a build tree was first configured with, whatever
# the toolchain file names now: a tree made with the posix-thread compilers
# starts over.
forget_posix_tree() {
  if grep -qs -- '-posix"' "$1"/CMakeFiles/*/CMakeCXXCompiler.cmake; then
    echo "removing $1: configured with the posix-thread compiler"
    rm -rf "$1"
  fi
}

windows_build() {  # build folder, toolchain file
  forget_posix_tree "$1"
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2"
  cmake --build "$1" -j "$jobs"
}

# Free room on the disks the run writes to: the work tree (builds, Wine
# prefixes, packages) and the 32-bit guest's cache. The run takes about
# 5.4 GB at its peak with the guest made from nothing, and about 2.8 GB with
# it cached, besides the prerequisites (docs/PERFORMANCE.md). Short of that,
# the step that runs out fails, Wine's first boot for one with "could not
# load kernel32.dll"; this line comes first, so such a failure is read right.
report_room() {
  local folder disk free_mb need_mb=5500
  folder="${VORNIX_GUEST_CACHE:-/var/cache/vornix-i386-guest}"
  while [[ ! -d "$folder" ]]; do folder="$(dirname "$folder")"; done
  [[ -n "$(find "$folder" -maxdepth 2 -name ready 2>/dev/null)" ]] && need_mb=3000
  local seen=""
  for folder in "$root" "$folder"; do
    read -r disk free_mb < <(df -Pm "$folder" | awk 'NR == 2 { print $1, $4 }')
    [[ " $seen " != *" $disk "* ]] || continue
    seen+=" $disk"
    echo "disk: $free_mb MB free for $folder"
    if (( free_mb < need_mb )); then
      echo "disk: warning: the run may need about $need_mb MB; it may fail where the disk runs out"
    fi
  done
}

step "prerequisites"
report_room
bash scripts/install-prerequisites.sh

step "native build (sanitizers)"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DVORNIX_SANITIZE=ON
cmake --build build/native -j "$jobs"
(cd build/native && ctest --output-on-failure -j "$jobs")

step "Windows 64-bit build"
windows_build build/mingw64 toolchain-mingw64.cmake

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

step "Windows 32-bit build"
windows_build build/mingw32 toolchain-mingw32.cmake

step "Release imports and headers against each build's oldest Windows"
bash tests/imports/check-imports-test.sh
release_files=()
for arch in x86_64 i686; do
  dir="$(BUILD_JOBS="$jobs" bash scripts/build-release.sh "$arch")"
  for exe in "${release_executables[@]}"; do
    release_files+=("$dir/$exe")
  done
done
bash tests/imports/check-imports.sh "${release_files[@]}"

step "packages (dist/), and the 64-bit installer and uninstaller under Wine"
BUILD_JOBS="$jobs" bash scripts/package.sh
# Under code page 936 (Chinese Windows) and 1252 (English Windows), each run
# in a prefix of its own.
for locale in zh_CN.UTF-8 en_US.UTF-8; do
  xvfb-run -a -s "-screen 0 1024x768x24" bash tests/package/installer-test.sh --locale "$locale"
done

step "the 32-bit build in the emulated 32-bit guest"
# One boot runs them all; the guest is made once and kept on the machine
# (scripts/i686-guest.sh).
bash scripts/i686-tests.sh

step "all passed"
