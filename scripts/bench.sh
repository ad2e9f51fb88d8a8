#!/usr/bin/env bash
# Builds the registry-step benchmark (bench/, target vornix_bench) optimized,
# runs it natively against the in-memory store and under Wine against the
# real registry, and writes the figures into the "Registry step" section of
# docs/PERFORMANCE.md (created when missing; the other sections are kept).
#
#   bash scripts/bench.sh              # both
#   bash scripts/bench.sh --native     # native only (the Wine figures stay)
#
# Environment: BENCH_MAX (default 1024), BENCH_REPS (5), BENCH_WALK_REPS (3).
# The Wine run shares the test prefix: it waits while a ctest is running.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$(pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"
max="${BENCH_MAX:-1024}"
reps="${BENCH_REPS:-5}"
walk_reps="${BENCH_WALK_REPS:-3}"
run_wine=1
[[ "${1:-}" == "--native" ]] && run_wine=0

out_dir="$root/build/bench-results"
mkdir -p "$out_dir"
bench_args=(--max "$max" --reps "$reps" --walk-reps "$walk_reps")

native_cmd="cmake -S . -B build/bench-native -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF && cmake --build build/bench-native --target vornix_bench && build/bench-native/bench/vornix_bench ${bench_args[*]}"
wine_cmd="cmake -S . -B build/bench-mingw64 -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF -DCMAKE_TOOLCHAIN_FILE=\$PWD/cmake/toolchain-mingw64.cmake && cmake --build build/bench-mingw64 --target vornix_bench && . scripts/wine-env.sh && bash scripts/wine-prefix.sh && xvfb-run -a wine build/bench-mingw64/bench/vornix_bench.exe ${bench_args[*]}"

echo "=== native benchmark ===" >&2
cmake -S . -B build/bench-native -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF >/dev/null
cmake --build build/bench-native -j "$jobs" --target vornix_bench >/dev/null
build/bench-native/bench/vornix_bench "${bench_args[@]}" >"$out_dir/native.md"

if [[ $run_wine == 1 ]]; then
  echo "=== Windows 64-bit benchmark under Wine ===" >&2
  cmake -S . -B build/bench-mingw64 -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" >/dev/null
  cmake --build build/bench-mingw64 -j "$jobs" --target vornix_bench >/dev/null
  # The prefix and its TCP/IP keys are shared with the test suite.
  while pgrep -x ctest >/dev/null; do
    echo "bench: a ctest is running; waiting for it to finish" >&2
    sleep 10
  done
  run_in_wine='
    set -euo pipefail
    . scripts/wine-env.sh
    bash scripts/wine-prefix.sh
    status=0
    wine build/bench-mingw64/bench/vornix_bench.exe "$@" || status=$?
    wineserver -w || true
    exit "$status"'
  if [[ -n "${DISPLAY:-}" ]]; then
    bash -c "$run_in_wine" bench "${bench_args[@]}" >"$out_dir/wine.md"
  else
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$run_in_wine" bench "${bench_args[@]}" \
      >"$out_dir/wine.md"
  fi
  # Wine writes carriage returns before each newline of a console program.
  sed -i 's/\r$//' "$out_dir/wine.md"
fi

# --- the section of docs/PERFORMANCE.md ---------------------------------------
cpu="$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //' || echo unknown)"
. scripts/wine-env.sh >/dev/null 2>&1 || true
wine_version="$(wine --version 2>/dev/null || echo 'not installed')"
gxx_version="$(g++ --version | head -1)"
mingw_version="$(x86_64-w64-mingw32-g++ --version 2>/dev/null | head -1 || echo 'not installed')"
commit="$(git rev-parse --short HEAD 2>/dev/null || echo unknown)"
dirty="$(git status --porcelain 2>/dev/null | grep -q . && echo ' (with uncommitted changes)' || true)"

section="$out_dir/section.md"
{
  echo "<!-- registry-step:begin (written by scripts/bench.sh; edits here are overwritten) -->"
  echo "## Registry step"
  echo
  echo "What is measured: the three registry steps of an optimize-and-restore run on the"
  echo "NT family (Form1::BackupSettings, ApplyTuning, RestoreSettings, each on a fresh"
  echo "backup) against n network interfaces below"
  echo "HKLM\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces, in registry"
  echo "calls (every call of the ten registry operations, counted by a decorator) and in"
  echo "milliseconds (median; one warm-up repetition is dropped). \"Direct\" is the"
  echo "enumeration now in Registry (count from the key's information, entry Index"
  echo "fetched directly); \"walk\" is the same code with the key information hidden,"
  echo "which leaves it the walk from the first entry that was used before. Under Wine"
  echo "the benchmark creates its interfaces as {VORNIX-BENCH-nnnn} and removes them"
  echo "afterwards, and keeps its backup in \"SOFTWARE\\Vornix Internet Optimizer"
  echo "Benchmark\", never in the program's own product key."
  echo
  echo "Goal: every step inside one 50 ms tick of the run timer at n = 1024 under Wine."
  echo
  echo "### Machine"
  echo
  echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC'), commit $commit$dirty"
  echo "- CPUs (nproc): $(nproc)"
  echo "- CPU model: $cpu"
  echo "- Native compiler: $gxx_version"
  echo "- Cross compiler: $mingw_version"
  echo "- Wine: $wine_version (64-bit prefix, code page 936)"
  echo
  echo "### Commands"
  echo
  echo '```sh'
  echo "bash scripts/bench.sh        # everything below; BENCH_MAX=$max BENCH_REPS=$reps BENCH_WALK_REPS=$walk_reps"
  echo "# native:"
  echo "$native_cmd"
  echo "# Windows 64-bit under Wine:"
  echo "$wine_cmd"
  echo '```'
  echo
  echo "Reading the figures: the call counts are exact and the same on every run. Under"
  echo "Wine each registry call is a round trip to the wineserver, and on a shared"
  echo "machine the small-n times scatter widely between runs (a few ms either way);"
  echo "the rows from n = 64 up are steady, and there the time follows the calls."
  echo
  echo "### Results"
  cat "$out_dir/native.md"
  echo
  if [[ -f "$out_dir/wine.md" ]]; then
    cat "$out_dir/wine.md"
  else
    echo "(no Wine run yet)"
  fi
  echo
  echo "<!-- registry-step:end -->"
} >"$section"

doc="docs/PERFORMANCE.md"
mkdir -p docs
if [[ ! -f "$doc" ]]; then
  cat >"$doc" <<'EOF'
# Performance

Figures measured on this project's build machine. Each section says how its
figures were taken and with which command, so they can be measured again.

<!-- registry-step:begin -->
<!-- registry-step:end -->

## Start-up time

(to be measured)

## Executable size

(to be measured)

## Peak memory

(to be measured)

## Run pacing

(to be measured)
EOF
fi
python3 - "$doc" "$section" <<'EOF'
import re, sys
doc_path, section_path = sys.argv[1], sys.argv[2]
doc = open(doc_path, encoding="utf-8").read()
section = open(section_path, encoding="utf-8").read().rstrip("\n")
pattern = re.compile(r"<!-- registry-step:begin.*?<!-- registry-step:end -->", re.S)
if pattern.search(doc):
    doc = pattern.sub(lambda _: section, doc, count=1)
else:
    doc = doc.rstrip("\n") + "\n\n" + section + "\n"
open(doc_path, "w", encoding="utf-8").write(doc)
EOF
echo "bench: wrote $doc" >&2
