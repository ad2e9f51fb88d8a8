#!/usr/bin/env bash
# Exports the whole of HKEY_LOCAL_MACHINE (wine reg export) before an
# optimize run, after it and after the restore, as Windows XP and as Windows
# 98, and checks what differs: after the optimize exactly the TCP/IP values
# of the running family plus the product key (InstallPath and the backup
# store); after the restore the product key alone.
#
# The program keeps its product key in the 32-bit view of SOFTWARE, which a
# 64-bit export shows under Wow6432Node; run as Windows 98, where Wine takes
# no view from the access mask, in the 64-bit view itself.
#
# Ignored, because other tests create and remove them while this one runs
# (ctest -j; core_tests does not take the wine_tcpip lock): the contract
# tests' scratch keys VornixContractTest-<pid> below SOFTWARE, in either view.
# Ignored too, because Wine 8 writes them itself whenever it sets up a display
# (see export_hklm), at moments that depend on timing: its display keys under
# Control\Video and Control\Class. The program writes neither. Nothing else
# changes by itself between two exports.
#
# Whatever way the script ends, it removes the tool's Windows version and
# runs the driver's Clean step; it also removes a version an earlier run left.
#
# The console tool (vornix.exe) is held to the same: its usage errors, a
# restore without a backup and status change nothing; its optimize and
# restore change what the window's do, less the install record, which only
# the window writes. While the window runs, the tool refuses (exit code 4).
#
# Usage: hklm-diff-test.sh WINE_RUN DRIVER_EXE WORK_DIR TOOL_EXE
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
wine_run=$1 driver=$2 work=$3 tool_exe=$4 tool_runner=$1
export LC_ALL=C
. "$(dirname "${BASH_SOURCE[0]}")/../support/design-facts.sh"
product_name=$(design_fact kProductName) || exit 1
product_nt="HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\$product_name"
product_98="HKEY_LOCAL_MACHINE\\Software\\$product_name"
store_nt=$(design_fact kNtStore) store_98=$(design_fact kWin9xStore)

tool_version='HKCU\Software\Wine\AppDefaults\vornix.exe'

# On every exit, failed or not: the tool's Windows version left at Windows 98
# would make the next run's Windows XP part a Windows 98 one.
forget_tool_version_and_clean() {
  "$wine_run" reg delete "$tool_version" /f >/dev/null 2>&1
  "$wine_run" "$driver" --gtest_also_run_disabled_tests --gtest_filter=HklmStep.DISABLED_Clean \
    >/dev/null 2>&1
}
at_exit forget_tool_version_and_clean

step() {
  "$wine_run" "$driver" --gtest_also_run_disabled_tests --gtest_filter="HklmStep.DISABLED_$1" \
    >"$work/hklm-step.log" 2>&1 || fail "step $1 failed: $(tail -n 30 "$work/hklm-step.log")"
}

# The export as sorted lines "K|[key]" and "V|[key]|value line", continued
# lines joined, the ignored keys left out.
#
# Wine's display keys. At the start of each wineserver (the first Wine
# process after the last one ended) Wine stamps the time into its display
# adapter's keys, Control\Class\{4D36E968-...}\0000 (the display class) and
# Control\Video\{adapter GUID}\0000: DriverDateData (the time now) and
# DriverDate (today, as text, so it changes past midnight). Each time Wine
# opens a desktop (at that start, and again when a program needs one after
# the last had closed for want of users) it adds a volatile key
# Control\Video\{new GUID}\0000 holding GraphicsDriver, which goes when the
# wineserver ends. So these keys and values come and go between two exports
# whenever the wineserver or its desktop ended in between; the adapter's
# other values stay the same and are compared.
control='HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control'
video="$control"'\\Video\\\{[0-9a-f-]{36}\}(\\0000)?'
display_class="$control"'\\Class\\\{4D36E968-E325-11CE-BFC1-08002BE10318\}\\0000'

export_hklm() {
  "$wine_run" reg export HKLM "$work/hklm-$1.reg" /y >/dev/null 2>&1 || fail "reg export failed"
  iconv -f UTF-16LE -t UTF-8 "$work/hklm-$1.reg" | tr -d '\r' | sed '1s/^\xEF\xBB\xBF//' | awk '
    /^\[/ { key = $0; print "K|" key; next }
    cont { line = line substr($0, 3) }
    !cont { if ($0 == "" || $0 ~ /^Windows Registry Editor/) next; line = $0 }
    { cont = line ~ /\\$/; if (cont) { line = substr(line, 1, length(line) - 1); next }
      print "V|" key "|" line }
  ' | grep -Eiv -e '^[KV]\|\[HKEY_LOCAL_MACHINE\\Software\\(Wow6432Node\\)?VornixContractTest-' \
      -e "^K\\|\\[$video\\]\$" -e "^V\\|\\[$video\\]\\|\"(GraphicsDriver|DriverDate(Data)?)\"=" \
      -e "^V\\|\\[$display_class\\]\\|\"DriverDate(Data)?\"=" \
    | sort >"$work/hklm-$1.txt"
  [[ $(wc -l <"$work/hklm-$1.txt") -gt 1000 ]] || fail "the export of HKLM is too small"
}

# "key|name" of everything that differs between two exports ("key|(key)" for
# a key that came or went).
changes() {
  comm -3 "$work/hklm-$1.txt" "$work/hklm-$2.txt" | sed 's/^\t//' | awk '
    /^K\|/ { k = substr($0, 4, length($0) - 4); print k "|(key)"; next }
    { rest = substr($0, 3); end = index(rest, "]|"); k = substr(rest, 2, end - 2)
      v = substr(rest, end + 2)
      if (substr(v, 1, 1) == "@") { print k "|@"; next }
      match(v, /^"([^"\\]|\\.)*"/); print k "|" substr(v, 2, RLENGTH - 2) }
  ' | sort -u
}

expect_changes() {  # label, from, to, expected lines (none: nothing changed)
  if [[ -n $4 ]]; then printf '%s\n' "$4"; fi | sort >"$work/hklm-expected.txt"
  changes "$2" "$3" >"$work/hklm-changed.txt"
  if ! diff -u "$work/hklm-expected.txt" "$work/hklm-changed.txt" >"$work/hklm-diff.txt"; then
    fail "$1: HKLM changed otherwise than expected (- expected only, + changed only):
$(tail -n +3 "$work/hklm-diff.txt")"
  fi
  echo "hklm-diff-test: $1: $(wc -l <"$work/hklm-changed.txt") keys/values changed, as expected"
}

product_changes() {  # product key, family key, its plain names, its extras key, their names
  local product=$1 family="$1\\$2" name
  printf '%s\n' "$product|(key)" "$product|InstallPath" "$product|$(design_fact kBackupFlag)" "$family|(key)"
  for name in $(design_fact kStoreOwnValues) $3; do echo "$family|$name"; done
  if [[ -n $5 ]]; then
    echo "$family\\$4|(key)"
    for name in $5; do echo "$family\\$4|$name"; done
  fi
}

# The TCP/IP values an optimize writes into a key of the design, "key|name" each.
tcpip_changes() {  # key fact, values fact, interface names
  local key="HKEY_LOCAL_MACHINE\\$(design_fact "$1")" name itf
  for itf in ${3:-''}; do
    for name in $(design_names "$2"); do echo "$key${itf:+\\$itf}|$name"; done
  done
}

# The tool's runs as the window's, from before (machine prepared) to after
# its restore; the tool's own Windows version is set like the driver's.
tool_runs() {  # label, prefix of the exports, product key changes, TCP/IP changes
  tool 2 optimize --method 7 --speed 1
  tool 2 restore --json
  tool 5 restore
  tool 5 backup --set-aside
  tool 0 status --method 1 --speed 4
  tool 0 status --json
  export_hklm "$2-refused"
  expect_changes "$1, the tool's usage errors, restore and set-aside without a backup, status" \
    "$2-before" "$2-refused" ""
  tool 0 optimize --method 1 --speed 4
  export_hklm "$2-optimized"
  expect_changes "$1, after vornix optimize" "$2-before" "$2-optimized" "$3
$4"
  tool 0 restore
  tool 1 backup --set-aside
  export_hklm "$2-restored"
  expect_changes "$1, after vornix restore and a refused set-aside" "$2-before" "$2-restored" "$3"
}

# The export expected after `vornix backup --set-aside`: the one before, with
# the family key and everything below it under its new name.
set_aside_expected() {  # export name, family key, its new name
  awk -v from="[$2" -v to="[$3" '{
    i = index($0, from)
    if (i > 0) { rest = substr($0, i + length(from)); c = substr(rest, 1, 1)
                 if (c == "]" || c == "\\") $0 = substr($0, 1, i - 1) to rest }
    print }' "$work/hklm-$1.txt" | sort
}

mkdir -p "$work"
if "$wine_run" reg query "$tool_version" >/dev/null 2>&1; then
  echo "hklm-diff-test: removing $tool_version, left by an earlier run" >&2
  "$wine_run" reg delete "$tool_version" /f >/dev/null 2>&1 || fail "cannot remove $tool_version"
fi
interfaces='{VORNIX-REL-A} {VORNIX-REL-B} {VORNIX-REL-C}'

step PrepareXp
export_hklm xp-before
step OptimizeXp
export_hklm xp-optimized
step RestoreXp
export_hklm xp-restored
xp_store=$(product_changes "$product_nt" "$store_nt" "$(design_fact kNtStoreValues)" \
  "$(design_fact kNtStoreExtras)" "$interfaces")
xp_tcpip=$(tcpip_changes kParametersKey kParametersValues; tcpip_changes kInterfacesKey kInterfaceValues "$interfaces")
expect_changes "Windows XP, after the optimize" xp-before xp-optimized "$xp_store
$xp_tcpip"
expect_changes "Windows XP, after the restore" xp-before xp-restored "$xp_store"

step Prepare98
export_hklm 98-before
step Optimize98
export_hklm 98-optimized
step Restore98
export_hklm 98-restored
# The 98 machine holds MaxMTU, DefaultTTL and Tcp1323Opts: their exact texts
# are kept beside the plain values.
store98=$(product_changes "$product_98" "$store_98" "$(design_fact kWin9xStoreValues)" \
  "$(design_fact kWin9xStoreExtras)" "MaxMTU DefaultTTL Tcp1323Opts")
tcpip98=$(tcpip_changes kNetTransKey kNetTransValues; tcpip_changes kMstcpKey kMstcpValues)
expect_changes "Windows 98, after the optimize" 98-before 98-optimized "$store98
$tcpip98"
expect_changes "Windows 98, after the restore" 98-before 98-restored "$store98"

step PrepareXp
export_hklm xp-tool-before
tool_runs "Windows XP" xp-tool "$(grep -v '|InstallPath$' <<<"$xp_store")" "$xp_tcpip"

# A damaged store (DefaultTTL a string) is moved aside whole, values and
# data exactly, and nothing else of HKLM changes.
family_nt="$product_nt\\$store_nt"
"$wine_run" reg add "HKLM\\$(design_fact kProductKey)\\$store_nt" /reg:32 \
  /v DefaultTTL /t REG_SZ /d 64 /f >/dev/null 2>&1 || fail "cannot damage the store"
export_hklm xp-damaged
tool 0 backup --set-aside
export_hklm xp-set-aside
if ! diff -u <(set_aside_expected xp-damaged "$family_nt" "$family_nt.damaged-1") \
     "$work/hklm-xp-set-aside.txt" >"$work/hklm-diff.txt"; then
  fail "Windows XP, vornix backup --set-aside: HKLM is not as documented:
$(tail -n +3 "$work/hklm-diff.txt")"
fi
echo "hklm-diff-test: Windows XP, vornix backup --set-aside: the store moved whole, nothing else changed"
# Only the copy is left: a backup, though none this Windows can restore.
tool 1 backup

step ToolRefusedWhileWindowRuns

"$wine_run" reg add "$tool_version" /v Version /t REG_SZ /d win98 /f >/dev/null 2>&1 \
  || fail "cannot make the tool run as Windows 98"
step Prepare98
export_hklm 98-tool-before
tool_runs "Windows 98" 98-tool "$(grep -v '|InstallPath$' <<<"$store98")" "$tcpip98"

echo "hklm-diff-test: HKLM changed exactly where expected"
