#!/usr/bin/env bash
# Builds and runs the benchmarks and prints their tables (Markdown) on
# standard output; docs/PERFORMANCE.md quotes them beside the reading of the
# figures. Each part's output also goes to build/bench-results/PART.md.
#
#   bash scripts/bench.sh [machine] [registry] [startup] [size] [imports]
#                                                     # none named: all five
#
#   machine   the machine, compilers, Wine and commit
#   registry  the registry steps, walk against batched (bench/VornixBench.cpp),
#             natively against the in-memory registry and under Wine against
#             the real one
#   startup   start-up of the Release program against a bare window, under
#             Wine (bench/StartupBench.cpp)
#   size      the Release executables of both architectures
#   imports   their import tables and PE headers, as docs/IMPORTS.md reads
#             them (tests/imports/check-imports.sh holds them against each
#             build's oldest Windows)
#
# Environment: BENCH_MAX (1024 interfaces), BENCH_REPS (5), BENCH_WALK_REPS (3),
# BENCH_STARTS (20 of each), BENCH_PREFIX (the Wine prefix, /tmp/prefix-bench).
#
# The Wine parts run in that prefix of their own, never the tests'
# .wine-prefix, so they neither disturb nor wait for a test run: the registry
# benchmark rewrites the prefix's TCP/IP values. They run on one CPU
# (taskset -c 0) with a wineserver started there: each registry call and
# each window message is a round trip to the wineserver, and on this
# two-CPU virtual machine a wake-up across CPUs costs 45-60 us where one on
# the same CPU costs about 3 us, which would measure the machine rather than
# the program.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$(pwd)"
jobs="${BUILD_JOBS:-2}"
export WINEPREFIX_OVERRIDE="${BENCH_PREFIX:-/tmp/prefix-bench}"
registry_args=(--max "${BENCH_MAX:-1024}" --reps "${BENCH_REPS:-5}"
  --walk-reps "${BENCH_WALK_REPS:-3}")
out_dir="$root/build/bench-results"
mkdir -p "$out_dir"

parts=("$@")
[[ ${#parts[@]} -gt 0 ]] || parts=(machine registry startup size imports)
for part in "${parts[@]}"; do
  case "$part" in
    machine|registry|startup|size|imports) ;;
    *) sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done

# Configures and builds TARGETS in build/DIR, Release, with the tests'
# support libraries the benchmarks borrow; extra cmake arguments after "--".
build() {
  local dir="build/$1"; shift
  local -a targets=() config=()
  while [[ $# -gt 0 && "$1" != "--" ]]; do targets+=("$1"); shift; done
  [[ $# -gt 0 ]] && shift && config=("$@")
  echo "bench: building ${targets[*]} in $dir" >&2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "${config[@]}" >"$dir.log" 2>&1 &&
    cmake --build "$dir" -j "$jobs" --target "${targets[@]}" >>"$dir.log" 2>&1 ||
    { cat "$dir.log" >&2; return 1; }
}

windows_build() {
  build bench-mingw64 "$@" -- -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake"
}

# Runs a Windows program under Wine in the benchmarks' prefix, on CPU 0.
in_wine() {
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    . scripts/wine-env.sh
    bash scripts/wine-prefix.sh
    wineserver -k 2>/dev/null || true
    status=0
    taskset -c 0 wine "$@" || status=$?
    wineserver -w || true
    exit "$status"' in-wine "$@" | sed 's/\r$//'
}

machine() {
  . scripts/wine-env.sh
  echo "| | |"
  echo "|---|---|"
  echo "| Date | $(date -u '+%Y-%m-%d %H:%M UTC') |"
  echo "| Commit | $(git rev-parse --short HEAD)$(git status --porcelain | grep -q . && echo ', with uncommitted changes') |"
  echo "| CPU | $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), $(nproc) CPUs |"
  echo "| Memory | $(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo) |"
  echo "| Native compiler | $(g++ --version | head -1) |"
  echo "| Cross compilers | $(x86_64-w64-mingw32-g++-win32 --version | head -1); $(i686-w64-mingw32-g++-win32 --version | head -1) |"
  echo "| Wine | $(wine --version), 64-bit prefix $WINEPREFIX (Windows XP, code page 936), Xvfb 1024x768x24 |"
}

registry() {
  build bench-native vornix_bench
  windows_build vornix_bench
  echo "#### Natively, in-memory registry"
  echo
  echo "    build/bench-native/bench/vornix_bench ${registry_args[*]}"
  echo
  build/bench-native/bench/vornix_bench "${registry_args[@]}"
  echo
  echo "#### Under Wine, real registry"
  echo
  echo "    taskset -c 0 wine build/bench-mingw64/bench/vornix_bench.exe ${registry_args[*]}"
  echo
  in_wine build/bench-mingw64/bench/vornix_bench.exe "${registry_args[@]}"
}

startup() {
  windows_build vornix_startup
  echo "    taskset -c 0 wine build/bench-mingw64/bench/vornix_startup.exe ${BENCH_STARTS:-20}"
  echo
  in_wine build/bench-mingw64/bench/vornix_startup.exe "${BENCH_STARTS:-20}"
}

# Builds the Release executables of both architectures (the second part to
# ask finds nothing left to do) and puts their folders in release_dirs[ARCH].
declare -A release_dirs
release_builds() {
  local arch
  for arch in x86_64 i686; do
    echo "bench: building the $arch Release executables" >&2
    release_dirs[$arch]="$(BUILD_JOBS="$jobs" bash scripts/build-release.sh "$arch")"
  done
}

size() {
  local exe
  release_builds
  echo "| Release executable | x86_64 bytes | i686 bytes |"
  echo "|---|---:|---:|"
  for exe in VornixInternetOptimizer.exe vornix.exe; do
    echo "| $exe | $(stat -c %s "${release_dirs[x86_64]}/$exe") | $(stat -c %s "${release_dirs[i686]}/$exe") |"
  done
}

# objdump's reading of one executable, as lines: "header OS SUBSYSTEM",
# then "dll NAME COUNT" for each DLL it imports at load time.
import_table() {
  x86_64-w64-mingw32-objdump -p "$1" | awk '
    $1 == "MajorOSystemVersion" { osmaj = $2 } $1 == "MinorOSystemVersion" { osmin = $2 }
    $1 == "MajorSubsystemVersion" { submaj = $2 } $1 == "MinorSubsystemVersion" { submin = $2 }
    /^\tDLL Name:/ { d = tolower($3); sub(/\.dll$/, "", d); order[++n] = d; next }
    /^$/ { d = "" }
    d != "" && /^\t[0-9a-f]+\t +[0-9]+  / { count[d]++ }
    END { print "header", osmaj "." osmin, submaj "." submin
          for (i = 1; i <= n; i++) print "dll", order[i], count[order[i]] + 0 }'
}

imports() {
  local arch exe file kind name count os subsystem functions dlls
  local -A per_dll
  release_builds
  echo "| Release executable | bytes | imported functions | DLLs | OS version | subsystem version |"
  echo "|---|---:|---:|---:|---|---|"
  for arch in x86_64 i686; do
    for exe in VornixInternetOptimizer.exe vornix.exe; do
      file="${release_dirs[$arch]}/$exe"
      functions=0 dlls=0
      while read -r kind name count; do
        if [[ $kind == header ]]; then
          os=$name subsystem=$count
        else
          functions=$((functions + count)) dlls=$((dlls + 1))
          per_dll[$name,$arch,$exe]=$count
          per_dll[$name]=1
        fi
      done < <(import_table "$file")
      echo "| \`build/release-$arch/$exe\` | $(stat -c %s "$file") | $functions | $dlls | $os | $subsystem |"
    done
  done
  echo
  echo "| functions per DLL (window / console tool) | x86_64 | i686 |"
  echo "|---|---:|---:|"
  for name in $(printf '%s\n' "${!per_dll[@]}" | grep -v , | LC_ALL=C sort); do
    printf '| %s' "$name"
    for arch in x86_64 i686; do
      printf ' | %s / %s' "${per_dll[$name,$arch,VornixInternetOptimizer.exe]:-—}" \
        "${per_dll[$name,$arch,vornix.exe]:-—}"
    done
    echo " |"
  done
}

for part in "${parts[@]}"; do
  { echo "### $part"; echo; "$part"; echo; } | tee "$out_dir/$part.md"
done
