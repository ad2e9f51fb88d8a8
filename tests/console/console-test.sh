#!/usr/bin/env bash
# vornix.exe against Wine's real registry, in the project's prefix: over
# TCP/IP values of the machine's own (an interface's MTU and a TTL for the
# NT family, a TTL for 95/98/ME), in this order
#   status     `vornix status --method 1 --speed 10` exits 0;
#   optimize   `vornix optimize --method 1 --speed 10` exits 0 and changes
#              the TCP/IP keys (Tcpip, VxD\MSTCP, Class\NetTrans);
#   restore    `vornix restore` exits 0 and gives every value back: the keys
#              export as they did before the optimize.
# With --win9x TOOL is a test copy with the Windows 98 layer (tests/win9x/):
# its stub calls are traced in the output, and the layer's report must show
# it at work (a wide registry write through the import table fails with
# ERROR_CALL_NOT_IMPLEMENTED, MultiByteToWideChar stays kernel32's own).
# The keys and the product key are put back as they were on every exit; a
# put-back that fails fails the run.
#
#   console-test.sh [--win9x] TOOL.exe WORK_DIR
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
win9x=false
if [[ ${1:-} == --win9x ]]; then win9x=true; shift; fi
[[ $# == 2 ]] || { echo "usage: $0 [--win9x] TOOL.exe WORK_DIR" >&2; exit 2; }
tool=$1 work=$2
. "$root/scripts/wine-env.sh"
. "$root/tests/support/design-facts.sh"

services='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services'
keys=("$services\\Tcpip" "HKEY_LOCAL_MACHINE\\$(design_fact kMstcpKey)"
      "HKEY_LOCAL_MACHINE\\$(design_fact kNetTransKey)")
product="HKEY_LOCAL_MACHINE\\$(design_fact kProductKey)"

run() { echo "+ vornix $*"; bash "$root/scripts/wine-run" "$tool" "$@"; }

# The TCP/IP keys, with everything below them, as UTF-8 .reg text.
snapshot() {  # file
  wine reg export "$services" "$1.reg" /y >/dev/null || fail "cannot export $services"
  iconv -f UTF-16LE -t UTF-8 "$1.reg" | tr -d '\r' | sed '1s/^\xEF\xBB\xBF//' | awk -v keys="$(
    IFS='|'; echo "${keys[*]}")" '
    BEGIN { n = split(keys, k, "|") }
    /^\[/ { keep = 0; for (i = 1; i <= n; i++) if (index($0, "[" k[i] "]") == 1 || index($0, "[" k[i] "\\") == 1) keep = 1 }
    keep' >"$1"
  rm -f "$1.reg"
}

rm -rf "$work"
mkdir -p "$work"
snapshot "$work/pristine.txt"
# Every exit puts the keys back as they were and removes the product key.
put_back() {
  {
    printf 'Windows Registry Editor Version 5.00\n\n'
    printf '[-%s]\n[-%s]\n' "$product" "${product/SOFTWARE/SOFTWARE\\Wow6432Node}"
    for key in "${keys[@]}"; do printf '[-%s]\n' "$key"; done
    echo
    cat "$work/pristine.txt"
  } | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/put-back.reg"
  wine reg import "$work/put-back.reg" >/dev/null 2>&1
}
at_exit put_back

# In one import: each Wine program started costs seconds in the i686 guest.
{
  printf 'REGEDIT4\n\n'
  printf '[%s\\Tcpip\\Parameters\\Interfaces\\{VORNIX-CONSOLE-A}]\n"MTU"=dword:00000578\n\n' "$services"
  printf '[%s\\Tcpip\\Parameters]\n"DefaultTTL"=dword:00000040\n\n' "$services"
  printf '[%s\\VxD\\MSTCP]\n"DefaultTTL"=" 64"\n' "$services"
} | sed 's/$/\r/' >"$work/seeds.reg"
wine reg import "$work/seeds.reg" >/dev/null 2>&1 || fail "cannot write the TCP/IP values of the machine's own"
if $win9x; then
  export VORNIX_WIN9X_TRACE=1 VORNIX_WIN9X_REPORT="Z:${work//\//\\}\\win9x-report.txt"
fi
snapshot "$work/before.txt"

run status --method 1 --speed 10 || fail "status exited $?"
echo "console-test: status passed"
if $win9x; then
  grep -qx 'called RegSetValueExW: 120' "$work/win9x-report.txt" \
    || fail "the layer's report shows no wide registry write failing with 120"
  grep -qx 'kept kernel32.dll MultiByteToWideChar' "$work/win9x-report.txt" \
    || fail "the layer's report does not keep MultiByteToWideChar"
  echo "console-test: the Windows 98 layer is at work"
fi

run optimize --method 1 --speed 10 || fail "optimize exited $?"
snapshot "$work/optimized.txt"
cmp -s "$work/before.txt" "$work/optimized.txt" && fail "the optimize changed none of the TCP/IP keys"
echo "console-test: optimize passed"

run restore || fail "restore exited $?"
snapshot "$work/restored.txt"
diff -u "$work/before.txt" "$work/restored.txt" || fail "the restore did not give the TCP/IP keys back"
echo "console-test: restore passed"
