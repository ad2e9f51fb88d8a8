#!/usr/bin/env bash
# The user's backup across a change of Windows' ANSI code page: the 64-bit
# vornix.exe under Wine, in a prefix of its own (WORK_DIR/prefix, made by
# scripts/wine-prefix.sh under en_US.UTF-8: code page 1252, Windows XP),
# removed on every exit. Wine takes the code page from each process's
# locale, so one prefix serves both: en_US.UTF-8 gives 1252 (English
# Windows), zh_CN.UTF-8 gives 936 (Chinese Windows).
#
# The machine: an interface key with MTU 1400 and DefaultTTL 64 in
# Tcpip\Parameters, the rest as Wine leaves it, no product key.
#   1. optimize under 1252, restore under 936;
#   2. optimize under 936, restore under 1252;
#   3. optimize under 1252 with the backup flag then renamed "??    ", the
#      name code page 1252 made of it in the versions that wrote it through
#      the narrow registry functions; restore under 936.
# Each run must exit 0; the optimize must change the Tcpip key, and after the
# restore its export must equal the one before the optimize. After each
# optimize the product key (32-bit view) must hold the flag in its one
# Unicode form, "备份    "=dword:00000001, and no other name ending in the
# four blanks.
# Every case runs, each in a subshell that its first failure ends; the
# script fails at the end if any did.
#
# Usage (under an X display, e.g. xvfb-run): codepage-test.sh TOOL_EXE WORK_DIR
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
tool_exe=$1 work=$2
. "$root/tests/support/design-facts.sh"
product_key="HKLM\\$(design_fact kProductKey)"
params="HKLM\\$(design_fact kParametersKey)"
tcpip_key="${params%\\Parameters}"
interface="HKLM\\$(design_fact kInterfacesKey)\\{VORNIX-CP-A}"
flag=$(design_fact kBackupFlag)
failures=0

rm -rf "$work"
mkdir -p "$work"
own_prefix "$work/prefix" en_US.UTF-8

# Runs a command under a code page: 1252 or 936.
under() {
  local cp=$1
  shift
  case $cp in
    1252) LC_ALL=en_US.UTF-8 "$@" ;;
    936) LC_ALL=zh_CN.UTF-8 "$@" ;;
  esac
}

# The locales must really choose the code page, or every case would pass
# without testing anything: "备份" cannot be spelled in 1252, and is
# spelled in GBK under 936.
probe="$(under 1252 wine cmd /c echo 备份 2>/dev/null | tr -d '\r')"
[[ $probe == '??' ]] || fail "under en_US.UTF-8 Wine's cmd echoes 备份 as [$probe], not as ??"
probe="$(under 936 wine cmd /c echo 备份 2>/dev/null | tr -d '\r' | iconv -f GBK -t UTF-8)"
[[ $probe == 备份 ]] || fail "under zh_CN.UTF-8 Wine's cmd echoes 备份 as [$probe]"

# No product key, none of the values the program writes (as `vornix status
# --json` names them), and the machine's own: the interface's MTU and
# DefaultTTL.
prepare() {
  local key name
  wine reg delete "$product_key" /reg:32 /f >/dev/null 2>&1
  wine reg delete "$params\\Interfaces" /f >/dev/null 2>&1
  wine "$tool_exe" status --json </dev/null 2>/dev/null |
    grep -o '"key":"[^"]*","name":"[^"]*"' |
    sed 's/^"key":"\(.*\)","name":"\(.*\)"$/\1|\2/; s/\\\\/\\/g' >"$work/values.txt"
  [[ -s $work/values.txt ]] || fail "vornix status --json names no value the program writes"
  while IFS='|' read -r key name; do
    wine reg delete "$key" /v "$name" /f </dev/null >/dev/null 2>&1
  done <"$work/values.txt"
  wine reg add "$interface" /v MTU /t REG_DWORD /d 1400 /f >/dev/null &&
    wine reg add "$params" /v DefaultTTL /t REG_DWORD /d 64 /f >/dev/null ||
    fail "cannot prepare the machine"
}

flag_is_unicode() {  # label
  wine_export_key "$product_key" /reg:32 "$work/product.txt" || fail "$1: no product key"
  if ! grep -qxF "\"$flag\"=dword:00000001" "$work/product.txt" ||
     [[ $(grep -c '^"[^"]*    "=' "$work/product.txt") != 1 ]]; then
    fail "$1: the product key does not hold the flag as \"$flag\"=dword:00000001 alone:
$(grep '^"[^"]*    "=' "$work/product.txt")"
  fi
}

prepare
wine_export_key "$tcpip_key" /reg:64 "$work/tcpip-before.txt" || fail "cannot export $tcpip_key"

one_case() {  # label, code page of the optimize, of the restore, what is done in between
  note "$1"
  prepare
  wine_export_key "$tcpip_key" /reg:64 "$work/tcpip-prepared.txt" &&
    cmp -s "$work/tcpip-before.txt" "$work/tcpip-prepared.txt" ||
    fail "$1: the machine could not be prepared as before"
  under "$2" tool 0 optimize --method 1 --speed 10
  flag_is_unicode "$1, after the optimize under $2"
  wine_export_key "$tcpip_key" /reg:64 "$work/tcpip-optimized.txt"
  ! cmp -s "$work/tcpip-before.txt" "$work/tcpip-optimized.txt" ||
    fail "$1: the optimize under $2 changed nothing in the Tcpip key"
  $4
  under "$3" tool 0 restore
  wine_export_key "$tcpip_key" /reg:64 "$work/tcpip-restored.txt"
  diff -u "$work/tcpip-before.txt" "$work/tcpip-restored.txt" >"$work/tcpip.diff" ||
    fail "$1: the Tcpip key is not as before the optimize:
$(cat "$work/tcpip.diff")"
}

# The flag as the versions that wrote it through the narrow functions left
# it under code page 1252.
older_flag() {
  wine reg delete "$product_key" /reg:32 /v "$flag" /f >/dev/null 2>&1
  wine reg add "$product_key" /reg:32 /v '??    ' /t REG_DWORD /d 1 /f >/dev/null ||
    fail "cannot write the older flag"
}

run_case() { (one_case "$@") || failures=$((failures + 1)); }
run_case "optimize under 1252, restore under 936" 1252 936 :
run_case "optimize under 936, restore under 1252" 936 1252 :
run_case "an older flag \"??    \" from 1252, restore under 936" 1252 936 older_flag

[[ $failures == 0 ]] || fail "cases failed: $failures"
note "passed"
