#!/usr/bin/env bash
# Builds the Release executables for one architecture, without tests or
# benchmarks, in build/release-ARCH, and prints that directory's path and
# nothing else (the compiler's output goes to build/release-ARCH.log and is
# shown only when the build fails):
#
#   dir="$(bash scripts/build-release.sh x86_64)"   # or i686
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$(pwd)"

case "${1:-}" in
  x86_64) toolchain=toolchain-mingw64.cmake ;;
  i686) toolchain=toolchain-mingw32.cmake ;;
  *) echo "usage: $0 x86_64|i686" >&2; exit 2 ;;
esac
dir="build/release-$1"
log="$dir.log"
mkdir -p build

if ! {
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF -DVORNIX_BENCH=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" &&
  cmake --build "$dir" -j "${BUILD_JOBS:-$(nproc 2>/dev/null || echo 2)}"
} >"$log" 2>&1; then
  cat "$log" >&2
  echo "build-release: the $1 build failed (log: $log)" >&2
  exit 1
fi
echo "$root/$dir"
