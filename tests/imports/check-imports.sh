#!/usr/bin/env bash
# Holds each Windows executable named on the command line against the oldest
# Windows releases its architecture targets, reading its PE header and import
# table with objdump:
#
#   i686    Windows 95 and Windows NT 4.0, and so every later release of both
#           families (98, ME, 2000, XP...), which export more
#   x86_64  Windows XP x64 / Server 2003 (NT 5.2) and later
#
# An executable fails when
#   - it imports a function that windows-imports.txt (beside this script) does
#     not list for that DLL: add it there, with the releases that export it;
#   - it imports a function that one of its targets does not export (the
#     message names that release); on the 95/98/ME family an exported function
#     may still be a stub that fails, which the list records but the loader,
#     and so this check, accepts;
#   - it imports a DLL at load time that Windows might load from the program's
#     own folder: only KnownDLLs, which Windows maps from the system directory,
#     and comctl32, which the manifest directs to the system's copy, are
#     allowed. The program runs elevated, often from a Downloads folder, where
#     a planted DLL would run as administrator;
#   - it has delay imports (not read here, so they would go unchecked);
#   - its header's OS or subsystem version is not what its targets load:
#     exactly 4.0 for i686 (a lower subsystem version makes Windows 95 treat
#     the program as one for Windows 3.1, a higher one makes 95 and NT 4.0
#     refuse it), at most 5.2 for x86_64.
#
#   bash tests/imports/check-imports.sh [--list FILE] EXE...
#
# With --verdicts it checks nothing and prints, as a Markdown table, what each
# release makes of each executable: "loads", or the functions it lacks, and
# on 95/98/ME how many of the imports are stubs there (listed below the
# table). Exit status 1 only when an import is not in the list.
#
#   bash tests/imports/check-imports.sh --verdicts [--list FILE] EXE...
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
list="$here/windows-imports.txt"
mode=check
while [[ $# -gt 0 ]]; do
  case "$1" in
    --list) list="$2"; shift 2 ;;
    --verdicts) mode=verdicts; shift ;;
    *) break ;;
  esac
done
if [[ $# -eq 0 ]]; then
  echo "usage: $0 [--verdicts] [--list FILE] EXE..." >&2
  exit 2
fi
objdump="${OBJDUMP:-x86_64-w64-mingw32-objdump}"

# Lower case, without ".dll".
allowed_dlls="kernel32 user32 gdi32 advapi32 ole32 oleaut32 shell32 msvcrt comdlg32 shlwapi comctl32"

# Reads objdump -p of one executable on standard input. In check mode it
# prints one line per fault, or one summary line starting with "ok"; in
# verdicts mode a Markdown table row, then "stubs: ..." and "msvcrt" lines
# for the notes below the table.
read -r -d '' check <<'AWK' || true
function nt(v,  p) { split(v, p, "."); return p[1] * 100 + p[2] }
function windows(v) {
  if (v == "4.0") return "NT 4.0"
  return v in names ? "NT " v " (" names[v] ")" : "NT " v
}
function fault(text) { print exe ": " text; faults++ }
# Whether release r (an index into the release table) lacks function key.
function lacks(key, r) {
  if (family[r] == "9x") return nine[key] == "-" || order[nine[key]] > level[r]
  return nt(ntmin[key]) > level[r]
}
function first_release(key, r) {
  if (family[r] == "9x")
    return nine[key] == "-" ? "no 95/98/ME release does" : "Windows " nine[key] " is the first that does"
  return windows(ntmin[key]) " is the first that does"
}
BEGIN {
  names["4.0"] = "Windows NT 4.0"; names["5.0"] = "Windows 2000"; names["5.1"] = "Windows XP"
  names["5.2"] = "Windows XP x64 / Server 2003"; names["6.0"] = "Windows Vista"
  names["6.1"] = "Windows 7"; names["6.2"] = "Windows 8"; names["6.3"] = "Windows 8.1"
  names["10.0"] = "Windows 10"
  order["95"] = 1; order["98"] = 2; order["ME"] = 3
  # The releases a verdict is given for, in table order.
  releases = 0
  title[++releases] = "Windows 95"; family[releases] = "9x"; level[releases] = 1; bits[releases] = 32
  title[++releases] = "Windows 98"; family[releases] = "9x"; level[releases] = 2; bits[releases] = 32
  title[++releases] = "Windows ME"; family[releases] = "9x"; level[releases] = 3; bits[releases] = 32
  title[++releases] = "NT 4.0"; family[releases] = "nt"; level[releases] = 400; bits[releases] = 32
  title[++releases] = "2000"; family[releases] = "nt"; level[releases] = 500; bits[releases] = 32
  title[++releases] = "XP"; family[releases] = "nt"; level[releases] = 501; bits[releases] = 32
  title[++releases] = "XP x64 / Server 2003"; family[releases] = "nt"; level[releases] = 502; bits[releases] = 64
  for (r = 1; r <= releases; r++)
    said[r] = family[r] == "9x" ? title[r] : windows(sprintf("%d.%d", level[r] / 100, level[r] % 100))
  n = split(allowed, a, " ")
  for (i = 1; i <= n; i++) known[a[i]] = 1
  while ((getline line < list) > 0) {
    lineno++
    if (line ~ /^[ \t]*(#|$)/) continue
    split(line, f, /[ \t]+/)
    if (f[1] !~ /\.dll$/ || f[2] == "" || f[3] !~ /^(95|98|ME|-)$/ || f[4] !~ /^[0-9]+\.[0-9]+$/ ||
        f[5] !~ /^(yes|stub|-)$/ || f[6] !~ /^(k32def|crtdef|sdk|x64)$/ || (f[3] == "-") != (f[5] == "-")) {
      print list ":" lineno ": expected DLL, function, first 9x release (95, 98, ME or -), first NT version (like 4.0), call on 9x (yes, stub, or - with 9x -), source (k32def, crtdef, sdk or x64): " line
      bad_list = 1
      continue
    }
    key = tolower(f[1]) "!" f[2]
    nine[key] = f[3]; ntmin[key] = f[4]; call9x[key] = f[5]
  }
  if (bad_list) exit 1
}
# Each architecture's targets, as indices into the release table: Windows 95
# and NT 4.0 for i686, XP x64 / Server 2003 for x86_64.
/file format pei-i386$/ { arch = "i686"; bits_of_exe = 32; targets = "1 4" }
/file format pei-x86-64$/ { arch = "x86_64"; bits_of_exe = 64; targets = "7" }
$1 == "MajorOSystemVersion" { os_major = $2 }
$1 == "MinorOSystemVersion" { os_minor = $2 }
$1 == "MajorSubsystemVersion" { sub_major = $2 }
$1 == "MinorSubsystemVersion" { sub_minor = $2 }
$1 == "Entry" && $2 == "d" && $4 != "00000000" { fault("has delay imports, which this check does not read") }
/^\tDLL Name: / {
  dll = tolower($3); dlls++
  if (dll == "msvcrt.dll") uses_msvcrt = 1
  if (!(substr(dll, 1, length(dll) - 4) in known))
    fault("imports " $3 " at load time; it is not a KnownDLL, so Windows may load a copy from the program's folder")
  next
}
/^$/ { dll = "" }
dll != "" && /^\t[0-9a-f]+\t +[0-9]+  / {
  name = $3 == "<none>" ? "#" $2 : $3
  key = dll "!" name
  imported[++functions] = key
  if (!(key in nine)) {
    unlisted++
    fault(key " is not in " list "; add it with the releases that export it")
  }
}
END {
  if (bad_list) exit 1
  if (arch == "") { fault("not a PE executable that objdump reads as i386 or x86-64"); exit 1 }
  if (os_major == "" || sub_major == "" || functions == 0) {
    fault("no header versions or no imports read; has objdump's output changed?"); exit 1
  }
  os = os_major "." os_minor; subsystem = sub_major "." sub_minor
  if (mode == "verdicts") { verdicts(); exit (unlisted > 0) }

  ntargets = split(targets, target, " ")
  for (i = 1; i <= functions; i++) {
    key = imported[i]
    if (!(key in nine)) continue
    for (t = 1; t <= ntargets; t++)
      if (lacks(key, target[t]))
        fault(key " is not exported by " said[target[t]] ", a target of this build; " first_release(key, target[t]))
  }
  if (arch == "i686") {
    if (os != "4.0") fault("header OS version " os "; the i686 build must say 4.0, for Windows 95 and NT 4.0")
    if (subsystem != "4.0") fault("header subsystem version " subsystem "; the i686 build must say 4.0, for Windows 95 and NT 4.0")
    target_text = "Windows 95 and NT 4.0"
  } else {
    if (nt(os) > 502) fault("header OS version " os " is above the target " windows("5.2"))
    if (nt(subsystem) > 502) fault("header subsystem version " subsystem " is above the target " windows("5.2"))
    target_text = windows("5.2")
  }
  if (!faults)
    printf "ok %s: %s, targets %s; %d functions from %d DLLs; header OS version %s, subsystem %s\n",
      exe, arch, target_text, functions, dlls, os, subsystem
  exit (faults > 0)
}
function verdicts(  r, i, key, cell, missing, stubs, stubnames) {
  row = "| " exe " |"
  for (r = 1; r <= releases; r++) {
    if (bits[r] < bits_of_exe) { row = row " — |"; continue }
    missing = ""; stubs = 0
    for (i = 1; i <= functions; i++) {
      key = imported[i]
      if (!(key in nine)) { missing = missing (missing == "" ? "" : ", ") "unlisted " key; continue }
      if (lacks(key, r)) missing = missing (missing == "" ? "" : ", ") substr(key, index(key, "!") + 1)
      else if (family[r] == "9x" && call9x[key] == "stub") stubs++
    }
    if (missing != "") cell = "lacks " missing
    else cell = stubs > 0 ? "loads; " stubs " stubs" : "loads"
    row = row " " cell " |"
  }
  print row
  stubnames = ""
  if (bits_of_exe == 32)
    for (i = 1; i <= functions; i++)
      if (imported[i] in nine && call9x[imported[i]] == "stub")
        stubnames = stubnames (stubnames == "" ? "" : ", ") substr(imported[i], index(imported[i], "!") + 1)
  if (stubnames != "") print "stubs: " exe ": " stubnames
  if (uses_msvcrt && bits_of_exe == 32) print "msvcrt"
}
AWK

status=0
rows=()
notes=()
msvcrt=0
for exe in "$@"; do
  if [[ ! -f "$exe" ]]; then
    echo "$exe: no such file" >&2
    status=1
    continue
  fi
  if [[ "$mode" == check ]]; then
    "$objdump" -p "$exe" |
      awk -v exe="$exe" -v list="$list" -v allowed="$allowed_dlls" -v mode=check "$check" || status=1
    continue
  fi
  out="$("$objdump" -p "$exe" |
    awk -v exe="$exe" -v list="$list" -v allowed="$allowed_dlls" -v mode=verdicts "$check")" || status=1
  while IFS= read -r line; do
    case "$line" in
      "| "*) rows+=("$line") ;;
      "stubs: "*) notes+=("- ${line#stubs: }") ;;
      msvcrt) msvcrt=1 ;;
      *) echo "$line" >&2 ;;
    esac
  done <<<"$out"
done
if [[ "$mode" == verdicts ]]; then
  echo "| Executable | Windows 95 | Windows 98 | Windows ME | NT 4.0 | 2000 | XP | XP x64 / Server 2003 |"
  echo "|---|---|---|---|---|---|---|---|"
  printf '%s\n' "${rows[@]}"
  if [[ ${#notes[@]} -gt 0 ]]; then
    echo
    echo "Imports that 95, 98 and ME export as stubs, which fail when called (the \"stubs\" above):"
    printf '%s\n' "${notes[@]}"
  fi
  if [[ $msvcrt -eq 1 ]]; then
    echo
    echo "Windows 95 has no msvcrt.dll of its own; it comes with Internet Explorer 4 or later and with the Visual C++ run time. The Windows 95 column assumes one is installed."
  fi
fi
exit "$status"
