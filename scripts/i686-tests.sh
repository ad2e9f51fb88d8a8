#!/usr/bin/env bash
# Runs the i686 (32-bit) build for real: its tests, its console tool and its
# installer under the 32-bit Wine of the emulated guest (scripts/i686-guest.sh),
# all in one boot:
#
#   core_tests, engine_wine_win98, engine_wine_winxp
#                        build/mingw32's test executables (Debug), as ctest
#                        runs the 64-bit ones: the prefix reports XP, and 98
#                        and XP to the engine's two by their names;
#   gui_optimize_xp      the window driven through an optimize and a restore
#                        as Windows XP, which must give the registry back;
#   vornix_status, vornix_optimize, vornix_restore
#                        build/mingw32's vornix.exe: a status with a preview,
#                        an optimize that changes the TCP/IP values and a
#                        restore that gives them back exactly;
#   installer_936, installer_1252
#                        tests/package/installer-test.sh --arch win32 with
#                        dist/'s 32-bit installer, under zh_CN.UTF-8 and
#                        en_US.UTF-8.
#
#   bash scripts/i686-tests.sh                  # needs build/mingw32 and dist/
#   bash scripts/i686-tests.sh --screenshot FILE  # the window as XP, as a PNG
#
# Each test's output is in build/i686-guest/NAME.log. The last line is
# "i686 in the 32-bit guest: N passed, N failed"; the exit code is 0 only when
# every test ran and passed.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$(pwd)"
out="$root/build/i686-guest"
bin=build/mingw32

# name, time limit in seconds (emulated), command
# (the limits are several times the times in docs/PERFORMANCE.md)
tests=(
  "core_tests|180|wine_program $bin/tests/core_tests.exe"
  "engine_wine_win98|120|wine_program $bin/tests/engine_wine_win98.exe"
  "engine_wine_winxp|120|wine_program $bin/tests/engine_wine_winxp.exe"
  "gui_optimize_xp|240|wine_program $bin/tests/gui_tests.exe --gtest_filter=GuiOptimize.WindowsXpRunWritesEveryInterfaceThenRestoreUndoesIt"
  "vornix_status|120|wine_program $bin/vornix.exe status --method 1 --speed 10"
  "vornix_optimize|120|console_optimize"
  "vornix_restore|120|console_restore"
  "installer_936|600|bash tests/package/installer-test.sh --arch win32 --locale zh_CN.UTF-8"
  "installer_1252|600|bash tests/package/installer-test.sh --arch win32 --locale en_US.UTF-8"
)

# --- in the guest -----------------------------------------------------------------

wine_program() { bash scripts/wine-run "$@"; }

tcpip_key='HKLM\System\CurrentControlSet\Services\Tcpip'

# An optimize over values of the machine's own (an interface's MTU, a TTL)
# must change them; the restore after it must give every one back.
console_optimize() {
  wine reg add "$tcpip_key\\Parameters\\Interfaces\\{VORNIX-I686-A}" /v MTU /t REG_DWORD /d 1400 /f >/dev/null
  wine reg add "$tcpip_key\\Parameters" /v DefaultTTL /t REG_DWORD /d 64 /f >/dev/null
  wine_export_key "$tcpip_key" /reg:64 "$out/tcpip-before.txt"
  wine_program "$bin/vornix.exe" optimize --method 1 --speed 10
  wine_export_key "$tcpip_key" /reg:64 "$out/tcpip-optimized.txt"
  if cmp -s "$out/tcpip-before.txt" "$out/tcpip-optimized.txt"; then
    echo "the optimize changed nothing under $tcpip_key"
    return 1
  fi
}

console_restore() {
  [[ -f "$out/tcpip-before.txt" ]] || { echo "no optimize ran before"; return 1; }
  wine_program "$bin/vornix.exe" restore
  wine_export_key "$tcpip_key" /reg:64 "$out/tcpip-restored.txt"
  diff -u "$out/tcpip-before.txt" "$out/tcpip-restored.txt"
}

in_guest() {
  . scripts/wine-env.sh
  export DISPLAY=:1
  Xvfb :1 -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
  sleep 2
  bash scripts/wine-prefix.sh
  local entry name limit start rc
  for entry in "${tests[@]}"; do
    IFS='|' read -r name limit _ <<<"$entry"
    echo "[test] $name started"
    start=$(cut -d' ' -f1 /proc/uptime)
    rc=0
    # A wineserver that stays between the test's programs: each start of
    # one, emulated, costs seconds.
    wineserver -p
    timeout -k 10 "$limit" bash "$0" --one "$name" >"$out/$name.log" 2>&1 </dev/null || rc=$?
    timeout 30 wineserver -k 2>/dev/null || true
    sync
    echo "[test] $name exit code $rc after $(echo "$(cut -d' ' -f1 /proc/uptime) $start" | awk '{printf "%d", $1 - $2}') s"
  done
}

one() {  # name
  local entry name command
  . scripts/wine-env.sh
  for entry in "${tests[@]}"; do
    IFS='|' read -r name _ command <<<"$entry"
    if [[ $name == "$1" ]]; then
      eval "$command"
      return
    fi
  done
  echo "no test $1" >&2
  return 2
}

# --- on the host ---------------------------------------------------------------------

screenshot() {  # file
  local png=$1
  cat >"$out/job.sh" <<EOF
cd "$root"
export VORNIX_WINE_TEMPLATES=/root/wine-templates WINEPREFIX_OVERRIDE=/root/wine-window DISPLAY=:1
. scripts/wine-env.sh
Xvfb :1 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
sleep 2
bash scripts/wine-prefix.sh
wine "$bin/VornixInternetOptimizer.exe" >/dev/null 2>&1 &
for i in \$(seq 150); do xwininfo -root -tree | grep -q 'Vornix Internet Optimizer - ' && break; sleep 0.2; done
sleep 3
window=\$(xwininfo -root -tree | grep 'Vornix Internet Optimizer - ' | awk '{print \$1}' | head -n 1)
[ -n "\$window" ] && xwd -id "\$window" -silent >"$out/window.xwd"
EOF
  rm -f "$out/window.xwd"
  bash scripts/i686-guest.sh run "$out/job.sh" 600
  [[ -s "$out/window.xwd" ]] || { echo "i686-tests: the window did not show in the guest" >&2; exit 1; }
  convert "xwd:$out/window.xwd" "$png"
  echo "screenshot: $png"
}

on_host() {
  local missing=() f
  for f in "$bin/tests/core_tests.exe" "$bin/tests/engine_wine_win98.exe" \
           "$bin/tests/engine_wine_winxp.exe" "$bin/tests/gui_tests.exe" "$bin/vornix.exe" \
           "$bin/VornixInternetOptimizer.exe" dist/VornixInternetOptimizer-*-win32-setup.exe \
           dist/VornixInternetOptimizer-*-win32.zip; do
    [[ -f "$f" ]] || missing+=("$f")
  done
  if [[ ${#missing[@]} -gt 0 ]]; then
    echo "i686-tests: missing ${missing[*]} (build build/mingw32 and run scripts/package.sh first)" >&2
    echo "i686 in the 32-bit guest: 0 passed, ${#tests[@]} failed"
    exit 1
  fi
  printf 'cd "%s"\nexec bash scripts/i686-tests.sh --in-guest\n' "$root" >"$out/job.sh"
  local rc=0 limit=300 entry
  for entry in "${tests[@]}"; do limit=$((limit + $(cut -d'|' -f2 <<<"$entry"))); done
  bash scripts/i686-guest.sh run "$out/job.sh" "$limit" || rc=$?
  local console="$out/console.log" name passed=0 failed=0 result seconds why
  for entry in "${tests[@]}"; do
    name="${entry%%|*}"
    result="$(sed -n "s/^\[test\] $name exit code \([0-9]*\) after \([0-9]*\) s.*/\1 \2/p" "$console" 2>/dev/null | tail -n 1)"
    if [[ -n "$result" ]]; then
      read -r rc_test seconds <<<"$result"
      if [[ $rc_test == 0 ]]; then
        passed=$((passed + 1))
        printf '  %-20s passed (%s s)\n' "$name" "$seconds"
        continue
      fi
      why="exit code $rc_test"
      [[ $rc_test == 124 || $rc_test == 137 ]] && why="did not end within its $(cut -d'|' -f2 <<<"$entry") s"
      printf '  %-20s FAILED: %s (%s s); the end of build/i686-guest/%s.log:\n' "$name" "$why" "$seconds" "$name"
      tail -n 25 "$out/$name.log" 2>/dev/null | sed 's/^/    /'
    elif grep -q "^\[test\] $name started" "$console" 2>/dev/null; then
      printf '  %-20s FAILED: the guest stopped during it\n' "$name"
    else
      printf '  %-20s FAILED: did not run\n' "$name"
    fi
    failed=$((failed + 1))
  done
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
# In the guest: the prefixes are copies of those the guest was made with.
if [[ ${1:-} == --in-guest || ${1:-} == --one ]]; then
  export VORNIX_WINE_TEMPLATES=/root/wine-templates WINEPREFIX_OVERRIDE=/root/wine-tests \
    VORNIX_PACKAGE_TEST_DIR=/root
fi
case "${1:-}" in
  --in-guest) in_guest ;;
  --one) one "$2" ;;
  --screenshot) [[ -n "${2:-}" ]] || { echo "usage: $0 --screenshot FILE" >&2; exit 2; }; screenshot "$2" ;;
  "") on_host ;;
  *) echo "usage: $0 [--screenshot FILE]" >&2; exit 2 ;;
esac
