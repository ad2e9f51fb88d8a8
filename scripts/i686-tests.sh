#!/usr/bin/env bash
# Runs the i686 (32-bit) build for real: the tests tests/CMakeLists.txt
# declares for the guest (label "guest"), under the 32-bit Wine of the
# emulated guest (scripts/i686-guest.sh), all in one boot. They are read from
# build/mingw32 with `ctest --show-only=json-v1 -L guest`: each test's
# command, working folder, environment and time limit (its TIMEOUT, in
# seconds of the emulated guest), run in the order declared. Among them: the
# engine tests (the prefix reports XP, and 98 and XP to the engine's two by
# their names, the 98 one through the Windows 98 layer of tests/win9x/), the
# window driven as XP, and as 98 by its test copy with the layer, vornix.exe
# and its test copy, and the 32-bit installer under code pages 936 and 1252.
#
#   bash scripts/i686-tests.sh                  # needs build/mingw32 and dist/
#   bash scripts/i686-tests.sh --only REGEX     # those whose names match (ctest -R)
#   bash scripts/i686-tests.sh --screenshot FILE        # the window as XP, as a PNG
#   bash scripts/i686-tests.sh --screenshot-win98 FILE  # its test copy as 98, through the layer
#
# Each test's output is in build/i686-guest/NAME.log. The last line is
# "i686 in the 32-bit guest: N passed, N failed"; the exit code is 0 only when
# every test ran and passed.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$(pwd)"
out="$root/build/i686-guest"
bin=build/mingw32
# The guest's tests, one a line, tab-separated: name, limit in seconds,
# folder, and the command as bash reads it. Made on the host from ctest's list.
list="$out/tests.tsv"

# --- in the guest -----------------------------------------------------------------

in_guest() {
  . scripts/wine-env.sh
  export DISPLAY=:1
  Xvfb :1 -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
  sleep 2
  bash scripts/wine-prefix.sh
  local name limit folder command start rc
  while IFS=$'\t' read -r name limit folder command; do
    echo "[test] $name started"
    start=$(cut -d' ' -f1 /proc/uptime)
    rc=0
    # A wineserver that stays between the test's programs: each start of
    # one, emulated, costs seconds.
    wineserver -p
    (cd "$folder" && timeout -k 10 "$limit" bash -c "$command") >"$out/$name.log" 2>&1 </dev/null \
      || rc=$?
    timeout 30 wineserver -k 2>/dev/null || true
    sync
    echo "[test] $name exit code $rc after $(echo "$(cut -d' ' -f1 /proc/uptime) $start" | awk '{printf "%d", $1 - $2}') s"
  done <"$list"
}

# --- on the host ---------------------------------------------------------------------

# The window of `exe` (a path of the build machine) as Wine's `version`,
# shown in the guest and saved as a PNG.
screenshot() {  # file exe version
  local png=$1 exe=$2 version=$3
  [[ -f "$exe" ]] || { echo "i686-tests: missing $exe (build $bin first)" >&2; exit 1; }
  cat >"$out/job.sh" <<EOF
cd "$root"
export VORNIX_WINE_TEMPLATES=/root/wine-templates WINEPREFIX_OVERRIDE=/root/wine-window DISPLAY=:1
. scripts/wine-env.sh
Xvfb :1 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
sleep 2
bash scripts/wine-prefix.sh
wine reg add 'HKCU\\Software\\Wine\\AppDefaults\\$(basename "$exe")' /v Version /t REG_SZ /d $version /f >/dev/null
wine "$exe" >/dev/null 2>&1 &
for i in \$(seq 150); do xwininfo -root -tree | grep -q 'Vornix Internet Optimizer - ' && break; sleep 0.2; done
# The banner and the logo are decoded after the window shows; emulated,
# that and the first painting take seconds.
sleep 15
window=\$(xwininfo -root -tree | grep 'Vornix Internet Optimizer - ' | awk '{print \$1}' | head -n 1)
[ -n "\$window" ] && xwd -id "\$window" -silent >"$out/window.xwd"
EOF
  rm -f "$out/window.xwd"
  bash scripts/i686-guest.sh run "$out/job.sh" 600
  [[ -s "$out/window.xwd" ]] || { echo "i686-tests: the window did not show in the guest" >&2; exit 1; }
  convert "xwd:$out/window.xwd" "$png"
  echo "screenshot: $png"
}

# Writes the guest's tests from build/mingw32 into $list; prints what is
# missing to run them.
list_tests() {
  [[ -f "$bin/CTestTestfile.cmake" ]] || { echo "$bin"; return; }
  ctest --test-dir "$bin" --show-only=json-v1 -L guest ${only:+-R "$only"} | jq -r '
    .tests[] | (.properties // []) as $p
    | def property(n): $p | map(select(.name == n)) | .[0].value;
      [ .name,
        (property("TIMEOUT") // 600 | tostring),
        (property("WORKING_DIRECTORY") // "."),
        ((property("ENVIRONMENT") // []) | map("export " + @sh + "; ") | join(""))
          + "exec " + (.command | @sh) ]
    | @tsv' >"$list"
  [[ -s "$list" ]] || { echo "tests labelled guest in $bin"; return; }
  # The executables the commands name, and the installers.
  cut -f4 "$list" | grep -o "'/[^']*\.exe'" | tr -d "'" | sort -u | while read -r f; do
    [[ -f "$f" ]] || echo "$f"
  done
  if grep -q '^installer_' "$list"; then
    for f in dist/VornixInternetOptimizer-*-win32-setup.exe dist/VornixInternetOptimizer-*-win32.zip; do
      [[ -f "$f" ]] || echo "$f"
    done
  fi
}

on_host() {
  local missing
  missing="$(list_tests)"
  if [[ -n "$missing" ]]; then
    echo "i686-tests: missing $(echo $missing) (build $bin and run scripts/package.sh first)" >&2
    echo "i686 in the 32-bit guest: 0 passed, $(cat "$list" 2>/dev/null | wc -l) failed"
    exit 1
  fi
  printf 'cd "%s"\nexec bash scripts/i686-tests.sh --in-guest\n' "$root" >"$out/job.sh"
  local rc=0 limit=300 name test_limit folder command
  while IFS=$'\t' read -r name test_limit folder command; do
    limit=$((limit + test_limit))
  done <"$list"
  bash scripts/i686-guest.sh run "$out/job.sh" "$limit" || rc=$?
  local console="$out/console.log" passed=0 failed=0 result rc_test seconds why
  while IFS=$'\t' read -r name test_limit folder command; do
    result="$(sed -n "s/^\[test\] $name exit code \([0-9]*\) after \([0-9]*\) s.*/\1 \2/p" "$console" 2>/dev/null | tail -n 1)"
    if [[ -n "$result" ]]; then
      read -r rc_test seconds <<<"$result"
      if [[ $rc_test == 0 ]]; then
        passed=$((passed + 1))
        printf '  %-22s passed (%s s)\n' "$name" "$seconds"
        continue
      fi
      why="exit code $rc_test"
      [[ $rc_test == 124 || $rc_test == 137 ]] && why="did not end within its $test_limit s"
      printf '  %-22s FAILED: %s (%s s); the end of build/i686-guest/%s.log:\n' "$name" "$why" "$seconds" "$name"
      tail -n 25 "$out/$name.log" 2>/dev/null | sed 's/^/    /'
    elif grep -q "^\[test\] $name started" "$console" 2>/dev/null; then
      printf '  %-22s FAILED: the guest stopped during it\n' "$name"
    else
      printf '  %-22s FAILED: did not run\n' "$name"
    fi
    failed=$((failed + 1))
  done <"$list"
  case $rc in
    0) ;;
    125) echo "i686-tests: the 32-bit guest did not boot" ;;
    124) echo "i686-tests: the 32-bit guest hung and was stopped" ;;
    *) echo "i686-tests: the guest's job ended with exit code $rc" ;;
  esac
  echo "i686 in the 32-bit guest: $passed passed, $failed failed"
  [[ $rc == 0 && $failed == 0 ]]
}

mkdir -p "$out"
only=
if [[ ${1:-} == --only ]]; then
  [[ -n "${2:-}" ]] || { echo "usage: $0 --only REGEX" >&2; exit 2; }
  only=$2
  shift 2
fi
# In the guest: the prefixes are copies of those the guest was made with.
if [[ ${1:-} == --in-guest ]]; then
  export VORNIX_WINE_TEMPLATES=/root/wine-templates WINEPREFIX_OVERRIDE=/root/wine-tests \
    VORNIX_PACKAGE_TEST_DIR=/root
fi
case "${1:-}" in
  --in-guest) in_guest ;;
  --screenshot | --screenshot-win98)
    [[ -n "${2:-}" ]] || { echo "usage: $0 $1 FILE" >&2; exit 2; }
    if [[ $1 == --screenshot ]]; then
      screenshot "$2" "$bin/VornixInternetOptimizer.exe" winxp
    else
      screenshot "$2" "$bin/tests/VornixInternetOptimizer_win98.exe" win98
    fi ;;
  "") on_host ;;
  *) echo "usage: $0 [--only REGEX | --screenshot FILE | --screenshot-win98 FILE]" >&2; exit 2 ;;
esac
