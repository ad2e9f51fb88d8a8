#!/usr/bin/env bash
# The 64-bit installer and its uninstaller under Wine, or with --arch win32
# the 32-bit ones, in a fresh prefix of their own
# (build/package-test-ARCH-LOCALE/prefix, made by scripts/wine-prefix.sh as
# the project's: Windows XP), removed on every exit. Each installer puts the
# files into the Program Files folder of its own bitness and the uninstall
# entry into the registry view of its own bitness; a 32-bit prefix (the i686
# guest, scripts/i686-guest.sh) has one of each. The locale sets the
# ANSI code page: zh_CN.UTF-8 (the default) 936, as on Chinese Windows;
# en_US.UTF-8 1252, as on English Windows. Whether the product key holds a
# backup is asked of vornix.exe itself (`vornix backup`, the zip's copy, so
# that the question can still be asked once the program is uninstalled).
#
#   1. silent install: the files, the Start-menu shortcut, the uninstall
#      entry in the installer's view with its values;
#   2. vornix.exe from the install folder: status, then, over an interface
#      with MTU 1400 and DefaultTTL 64, an optimize that makes a backup and
#      changes the TCP/IP values;
#   3. the window started as Windows XP writes its hidden, system, read-only
#      manifest and holds the instance mutex: installer and uninstaller
#      refuse (exit 2) and change nothing; a leftover .manifest.tmp is made;
#   4. silent uninstall: the TCP/IP values are as before the optimize, the
#      product key, the entry, the shortcut and every file are gone but the
#      uninstaller, which goes with the folder at the next restart;
#   5. reinstall, optimize, and a damaged backup moved aside with
#      `vornix backup --set-aside`: the uninstaller keeps the copy and
#      exits 3, which a deployment tool reads from the registered command;
#      reinstalled and optimized again (a fresh backup beside the copy),
#      the uninstaller restores the fresh backup, keeps the copy and exits 3;
#   6. reinstall with a product key that holds no backup: the uninstaller
#      exits 0 and removes the key;
#   7. reinstall over a backup the restore cannot use (the program's flag
#      with only a 95/98/ME store, on XP): the uninstaller exits 3 and keeps
#      the product key as it was; the uninstaller itself, run as a user runs
#      it, removes the folder.
#
# Each uninstall but the last is run as a deployment tool runs it: the
# entry's QuietUninstallString, started and waited for. It runs the
# uninstaller in place (_?=INSTDIR), so that its exit code is its own; it
# may leave itself behind until the next restart (only_uninstaller_left).
#
# Usage (under an X display, e.g. xvfb-run):
#   installer-test.sh [--arch win64|win32] [--locale LOCALE] [DIST_DIR]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
arch=win64
locale=zh_CN.UTF-8
while [[ ${1:-} == --arch || ${1:-} == --locale ]]; do
  [[ -n ${2:-} ]] || { echo "installer-test: $1 needs a value" >&2; exit 2; }
  case "$1" in
    --arch) arch="$2" ;;
    --locale) locale="$2" ;;
  esac
  shift 2
done
[[ $arch == win64 || $arch == win32 ]] || { echo "installer-test: no architecture $arch" >&2; exit 2; }
test_name="installer-test ($locale)"
dist="${1:-$root/dist}"
# VORNIX_PACKAGE_TEST_DIR: where the work folder goes instead of build/ (the
# i686 guest keeps it on its own disk rather than on the shared work tree).
work="${VORNIX_PACKAGE_TEST_DIR:-$root/build}/package-test-$arch-$locale"
product='Vornix Internet Optimizer'
product_key="HKLM\\Software\\$product"
entry_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"
tcpip_key='HKLM\System\CurrentControlSet\Services\Tcpip'

trap 'fail "line $LINENO: $BASH_COMMAND exited $?"' ERR

setups=("$dist"/VornixInternetOptimizer-*-$arch-setup.exe)
[[ ${#setups[@]} == 1 && -f ${setups[0]} ]] || fail "no single $arch installer in $dist"
setup="${setups[0]}"
version="${setup##*/VornixInternetOptimizer-}"
version="${version%-$arch-setup.exe}"

rm -rf "$work"
mkdir -p "$work"
at_exit 'rm -rf "$work"'
own_prefix "$work/prefix" "$locale"
# Where the installer of this architecture puts its files and its entry; the
# 32-bit one is run in a 32-bit prefix, whose one view and one Program Files
# are its own.
case "$arch-$WINEARCH" in
  win64-win64) program_files='Program Files' entry_view=/reg:64 other_view=/reg:32 ;;
  win32-win32) program_files='Program Files' entry_view=/reg:32 other_view="" ;;
  *) fail "a $arch installer does not run in a $WINEARCH prefix" ;;
esac
win_dir="C:\\$program_files\\$product"
app=""
at_exit '[[ -z $app ]] || { kill "$app"; wait "$app"; } 2>/dev/null || true'
# No menu entries on the Linux desktop for the shortcut the installer makes.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
dir="$WINEPREFIX/drive_c/$program_files/$product"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$product.lnk"

key_exists() { wine reg query "$1" "$2" >/dev/null 2>&1; }

# Runs an installer or uninstaller and checks its exit code. Their own
# codes are 0 to 3; any other means Wine did not get the program running
# (seen once: cmd's "Application could not be started ... ShellExecuteEx
# failed: Internal error", exit code 49), and the start is tried once more.
expect_exit() {  # expected code, what, command...
  local expected=$1 what=$2 rc attempt
  shift 2
  for attempt in 1 2; do
    rc=0
    "$@" || rc=$?
    (( rc >= 0 && rc <= 3 )) && break
    note "$what did not start (exit code $rc), attempt $attempt"
  done
  [[ $rc == "$expected" ]] || fail "$what exited $rc, expected $expected"
}

install() { expect_exit "$1" "the installer" wine start /wait /unix "$setup" /S; }

# The uninstaller as a deployment tool runs it: the entry's
# QuietUninstallString as it stands, started and waited for (from a batch
# file: start and Wine's command line would quote "_?=C:\Program Files\...",
# which it must not be).
quiet_uninstall() {  # expected exit code
  local command
  command="$(wine reg query "$entry_key" "$entry_view" /v QuietUninstallString |
    sed -n 's/^ *QuietUninstallString *REG_SZ *//p' | tr -d '\r')"
  [[ -n $command ]] || fail "no QuietUninstallString in the uninstall entry"
  printf '@%s\r\n@exit /b %%ERRORLEVEL%%\r\n' "$command" >"$work/uninstall.bat"
  expect_exit "$1" "the registered quiet uninstall" wine cmd /c "$(winepath -w "$work/uninstall.bat")"
}

# What an uninstall run in place left for the next restart goes then. Where
# the running uninstaller cannot step aside (Wine), that is uninstall.exe
# itself, so a reinstall before the restart would lose its new uninstaller
# to it; and to Wine a restart is any new start of its server, which comes
# whenever the prefix has been idle a few seconds (every step, in the
# emulated 32-bit guest). So each such uninstall is followed by a restart
# before the program is installed again, as a user's restart would.
restart() {
  wine wineboot --restart
  timeout 120 wineserver -w
}

# The install folder's files, sorted, each followed by a blank; nothing
# when there is no folder.
listing() { { ls -A "$dir" 2>/dev/null || true; } | LC_ALL=C sort | tr '\n' ' '; }

files_are() {  # the listing expected
  local files
  files="$(listing)"
  [[ "$files" == "$1" ]] || fail "install folder holds: ${files:-nothing}; expected: $1"
}

# After the registered quiet uninstall nothing of the program is left but
# the uninstaller that ran in place, until the next restart: under its own
# name where a running program cannot be renamed (Wine on this machine), as
# uninstall.exe.old where it can (Windows), or not at all where it could be
# deleted at once (the 32-bit guest's Wine).
only_uninstaller_left() {
  local files
  files="$(listing)"
  case "$files" in
    "" | "uninstall.exe " | "uninstall.exe.old ") ;;
    *) fail "after the uninstall the install folder holds: $files" ;;
  esac
}

# vornix.exe: the zip's copy (tool), so that `vornix backup` can still be
# asked once the program is uninstalled, or the installed one.
installed_tool() { tool_exe="$dir/vornix.exe" tool "$@"; }

# The product key as it was exported to product-before.txt.
product_key_kept() {
  wine_export_key "$product_key" /reg:32 "$work/product-after.txt" \
    || fail "the product key went although the restore could not be made"
  diff -u "$work/product-before.txt" "$work/product-after.txt" >&2 \
    || fail "the uninstaller changed the product key"
}

# --- 1. install -----------------------------------------------------------------
note "silent install of ${setup##*/}"
install 0
files_are "VornixInternetOptimizer.exe uninstall.exe vornix.exe "
unzip -q -o "$dist/VornixInternetOptimizer-$version-$arch.zip" -d "$work/zip"
tool_exe="$work/zip/VornixInternetOptimizer-$version-$arch/vornix.exe"
for exe in VornixInternetOptimizer.exe vornix.exe; do
  cmp -s "$dir/$exe" "$work/zip/VornixInternetOptimizer-$version-$arch/$exe" \
    || fail "$exe differs between the installer and the zip"
done
[[ -f "$shortcut" ]] || fail "no Start-menu shortcut"
strings -a -el "$shortcut" | grep -qi 'VornixInternetOptimizer\.exe' \
  || strings -a "$shortcut" | grep -qi 'VornixInternetOptimizer\.exe' \
  || fail "the shortcut does not name VornixInternetOptimizer.exe"

wine_export_key "$entry_key" "$entry_view" "$work/entry.txt" || fail "no uninstall entry in the $entry_view view"
[[ -z "$other_view" ]] || ! key_exists "$entry_key" "$other_view" \
  || fail "the uninstall entry is in the $other_view view too"
w="C:\\\\$program_files\\\\$product"
for line in \
  "\"DisplayName\"=\"$product\"" \
  "\"DisplayVersion\"=\"$version\"" \
  '"Publisher"="Vornix"' \
  "\"DisplayIcon\"=\"$w\\\\VornixInternetOptimizer.exe,0\"" \
  "\"InstallLocation\"=\"$w\"" \
  "\"UninstallString\"=\"\\\"$w\\\\uninstall.exe\\\"\"" \
  "\"QuietUninstallString\"=\"\\\"$w\\\\uninstall.exe\\\" /S _?=$w\"" \
  '"NoModify"=dword:00000001' \
  '"NoRepair"=dword:00000001'; do
  grep -qxF -- "$line" "$work/entry.txt" || fail "the uninstall entry lacks $line:
$(cat "$work/entry.txt")"
done
size_hex="$(sed -n 's/^"EstimatedSize"=dword:\([0-9a-f]\{8\}\)$/\1/p' "$work/entry.txt")"
[[ -n "$size_hex" ]] || fail "the uninstall entry has no EstimatedSize DWORD"
size_kb=$(( 16#$size_hex ))
bytes=$(cat "$dir"/* | wc -c)
(( size_kb >= bytes / 1024 && size_kb <= bytes / 1024 + 4 )) \
  || fail "EstimatedSize is $size_kb KB for $bytes bytes"

# --- 2. the tool from the install folder ------------------------------------------
note "vornix status and optimize from the install folder"
installed_tool 0 status
tool 5 backup
# Values of the machine's own for the uninstall to give back: an interface
# with an MTU, and a TTL for the stack.
wine reg add "$tcpip_key\\Parameters\\Interfaces\\{VORNIX-PKG-A}" /reg:64 /v MTU /t REG_DWORD \
  /d 1400 /f >/dev/null
wine reg add "$tcpip_key\\Parameters" /reg:64 /v DefaultTTL /t REG_DWORD /d 64 /f >/dev/null
wine_export_key "$tcpip_key" /reg:64 "$work/tcpip-before.txt" || fail "cannot export $tcpip_key"
installed_tool 0 optimize --method 1 --speed 10
tool 0 backup
wine_export_key "$tcpip_key" /reg:64 "$work/tcpip-optimized.txt"
! cmp -s "$work/tcpip-before.txt" "$work/tcpip-optimized.txt" || fail "the optimize changed nothing"

# --- 3. the window running ---------------------------------------------------------
note "the window as Windows XP: its manifest, and no install or uninstall while it runs"
wine "$dir/VornixInternetOptimizer.exe" &
app=$!
for _ in $(seq 100); do [[ -f "$dir/VornixInternetOptimizer.exe.manifest" ]] && break; sleep 0.2; done
[[ -f "$dir/VornixInternetOptimizer.exe.manifest" ]] || fail "the window wrote no manifest"
# What a write cut short before its move leaves: the temporary file, with the
# manifest's attributes (copied with the extended attribute Wine keeps them
# in; Wine's attrib sets only one attribute per call).
cp -a "$dir/VornixInternetOptimizer.exe.manifest" "$dir/VornixInternetOptimizer.exe.manifest.tmp"
for name in manifest manifest.tmp; do
  wine attrib "$win_dir\\VornixInternetOptimizer.exe.$name" | grep -Eq 'S +HR ' \
    || fail "the $name is not hidden, system and read-only"
done
install 2
quiet_uninstall 2
files_are "VornixInternetOptimizer.exe VornixInternetOptimizer.exe.manifest VornixInternetOptimizer.exe.manifest.tmp uninstall.exe vornix.exe "
tool 0 backup
key_exists "$entry_key" "$entry_view" || fail "a refused uninstall removed the entry"
kill "$app"
wait "$app" 2>/dev/null || true
app=""

# --- 4. uninstall ------------------------------------------------------------------
note "silent uninstall"
quiet_uninstall 0
wine_export_key "$tcpip_key" /reg:64 "$work/tcpip-after.txt"
diff -u "$work/tcpip-before.txt" "$work/tcpip-after.txt" >&2 \
  || fail "the TCP/IP values are not as before the optimize"
! key_exists "$product_key" /reg:32 || fail "the product key is still there"
! key_exists "$entry_key" "$entry_view" || fail "the uninstall entry is still there"
[[ ! -e "$shortcut" ]] || fail "the shortcut is still there"
only_uninstaller_left
restart
[[ ! -e "$dir" ]] || fail "the install folder is still there after a restart: $(ls -A "$dir" | tr '\n' ' ')"

# --- 5. a copy set aside ------------------------------------------------------------
note "a damaged backup set aside: the uninstaller keeps the copy, with or without a fresh backup"
install 0
installed_tool 0 optimize --method 1 --speed 10
# The store of a format this version cannot read, then moved aside whole:
# the copy is the only record of MTU 1400 and TTL 64.
nt_store="$product_key\\Platform_Windows_NT_2K_XP"
wine reg add "$nt_store" /reg:32 /v BackupFormat /t REG_DWORD /d 7 /f >/dev/null
tool 1 backup
tool 0 backup --set-aside
wine_export_key "$nt_store.damaged-1" /reg:32 "$work/copy.txt" || fail "no copy set aside"
grep -qx '"DefaultTTL"=dword:00000040' "$work/copy.txt" && grep -qx '"{VORNIX-PKG-A}"="MTU=1400;TcpWindowSize=-"' "$work/copy.txt" \
  || fail "the copy does not hold the machine's own values: $(cat "$work/copy.txt")"
tool 1 backup  # a copy set aside is a backup, though not one to restore
# Uninstalled at once: nothing to restore, and the copy stays.
wine_export_key "$product_key" /reg:32 "$work/product-before.txt" || fail "no product key"
quiet_uninstall 3
product_key_kept
restart
# Reinstalled and optimized: a fresh backup of the values as they are now
# (the earlier run's), which the uninstall restores; the copy stays.
install 0
installed_tool 0 optimize --method 1 --speed 10
grep -q 'Platform_Windows_NT_2K_XP\.damaged-1' "$work/tool.log" \
  || fail "the optimize that backed up afresh did not name the copy: $(cat "$work/tool.log")"
tool 6 backup
quiet_uninstall 3
wine_export_key "$nt_store.damaged-1" /reg:32 "$work/copy-after.txt" || fail "the uninstaller deleted the copy"
diff -u "$work/copy.txt" "$work/copy-after.txt" >&2 || fail "the uninstaller changed the copy"
wine_export_key "$tcpip_key" /reg:64 "$work/tcpip-after.txt"
diff -u "$work/tcpip-optimized.txt" "$work/tcpip-after.txt" >&2 \
  || fail "the uninstall did not restore the fresh backup's values"
only_uninstaller_left
restart
# The cases after this one start without a product key.
wine reg delete "$product_key" /reg:32 /f >/dev/null

# --- 6. no backup -----------------------------------------------------------------
note "an uninstall without a backup removes the product key"
install 0
# What the window's first start leaves in the product key: its install record.
wine reg add "$product_key" /reg:32 /v InstallPath /t REG_SZ /d "$win_dir\\VornixInternetOptimizer.exe" \
  /f >/dev/null
tool 5 backup
quiet_uninstall 0
! key_exists "$product_key" /reg:32 || fail "the product key is still there without a backup"
restart

# --- 7. a restore that cannot be made -------------------------------------------------
note "an uninstall over a backup this Windows cannot restore keeps the product key"
install 0
# The program's own flag (in whatever form it writes it) over a 95/98/ME
# store alone: the optimize makes an NT backup, whose store then goes.
installed_tool 0 optimize --method 1 --speed 10
wine reg delete "$product_key\\Platform_Windows_NT_2K_XP" /reg:32 /f >/dev/null
wine reg add "$product_key\\Platform_Windows_95_98_ME" /reg:32 /v BackupFormat /t REG_DWORD /d 2 \
  /f >/dev/null
tool 1 backup
wine_export_key "$product_key" /reg:32 "$work/product-before.txt" || fail "no product key"
quiet_uninstall 3
product_key_kept
! key_exists "$entry_key" "$entry_view" || fail "the uninstall entry is still there"
only_uninstaller_left
# As a user runs it: a copy in a temporary folder removes the uninstaller
# and the folder. vornix.exe is gone by now, so there is no answer to ask
# for: the backup stays. (Where the quiet uninstall could take itself along
# at once, nothing is left to run.)
if [[ -e "$dir/uninstall.exe" ]]; then
  wine "$dir/uninstall.exe" /S
  timeout 120 wineserver -w
fi
[[ ! -e "$dir" ]] || fail "the install folder is still there: $(ls -A "$dir" | tr '\n' ' ')"
product_key_kept

note "passed"
