#!/usr/bin/env bash
# Holds each Windows executable named on the command line against the oldest
# Windows its architecture targets, reading its PE header and import table
# with objdump:
#
#   i686    Windows 2000 (NT 5.0) and later
#   x86_64  Windows XP x64 / Server 2003 (NT 5.2) and later
#
# An executable fails when
#   - it imports a function that windows-imports.txt (beside this script) does
#     not list for that DLL: add it there, with its minimum Windows version;
#   - it imports a function whose listed minimum is newer than its target;
#   - it imports a DLL at load time that Windows might load from the program's
#     own folder: only KnownDLLs, which Windows maps from the system directory,
#     and comctl32, which the manifest directs to the system's copy, are
#     allowed. The program runs elevated, often from a Downloads folder, where
#     a planted DLL would run as administrator;
#   - it has delay imports (not read here, so they would go unchecked);
#   - its header asks for a newer OS or subsystem version than its target.
#
#   bash tests/imports/check-imports.sh [--list FILE] EXE...
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
list="$here/windows-imports.txt"
if [[ "${1:-}" == --list ]]; then
  list="$2"
  shift 2
fi
if [[ $# -eq 0 ]]; then
  echo "usage: $0 [--list FILE] EXE..." >&2
  exit 2
fi
objdump="${OBJDUMP:-x86_64-w64-mingw32-objdump}"

# Lower case, without ".dll".
allowed_dlls="kernel32 user32 gdi32 advapi32 ole32 oleaut32 shell32 msvcrt comdlg32 shlwapi comctl32"

# Reads objdump -p of one executable on standard input; prints one line per
# fault, or one summary line starting with "ok".
read -r -d '' check <<'AWK' || true
function nt(v,  p) { split(v, p, "."); return p[1] * 100 + p[2] }
function windows(v) {
  return v in names ? "NT " v " (" names[v] ")" : "NT " v
}
function fault(text) { print exe ": " text; faults++ }
BEGIN {
  names["5.0"] = "Windows 2000"; names["5.1"] = "Windows XP"
  names["5.2"] = "Windows XP x64 / Server 2003"; names["6.0"] = "Windows Vista"
  names["6.1"] = "Windows 7"; names["6.2"] = "Windows 8"; names["6.3"] = "Windows 8.1"
  names["10.0"] = "Windows 10"
  n = split(allowed, a, " ")
  for (i = 1; i <= n; i++) known[a[i]] = 1
  while ((getline line < list) > 0) {
    lineno++
    if (line ~ /^[ \t]*(#|$)/) continue
    split(line, f, /[ \t]+/)
    if (f[1] !~ /\.dll$/ || f[2] == "" || f[3] !~ /^[0-9]+\.[0-9]+$/) {
      print list ":" lineno ": expected DLL, function, minimum NT version (like 5.0): " line
      bad_list = 1
      continue
    }
    minimum[tolower(f[1]) "!" f[2]] = f[3]
  }
  if (bad_list) exit 1
}
/file format pei-i386$/ { arch = "i686"; target = "5.0" }
/file format pei-x86-64$/ { arch = "x86_64"; target = "5.2" }
$1 == "MajorOSystemVersion" { os_major = $2 }
$1 == "MinorOSystemVersion" { os_minor = $2 }
$1 == "MajorSubsystemVersion" { sub_major = $2 }
$1 == "MinorSubsystemVersion" { sub_minor = $2 }
$1 == "Entry" && $2 == "d" && $4 != "00000000" { fault("has delay imports, which this check does not read") }
/^\tDLL Name: / {
  dll = tolower($3); dlls++
  if (!(substr(dll, 1, length(dll) - 4) in known))
    fault("imports " $3 " at load time; it is not a KnownDLL, so Windows may load a copy from the program's folder")
  next
}
/^$/ { dll = "" }
dll != "" && /^\t[0-9a-f]+\t +[0-9]+  / {
  name = $3 == "<none>" ? "#" $2 : $3
  functions++
  key = dll "!" name
  if (!(key in minimum))
    fault(dll "!" name " is not in " list "; add it with its minimum Windows version")
  else if (nt(minimum[key]) > nt(target))
    fault(dll "!" name " needs " windows(minimum[key]) ", newer than this build's target " windows(target))
}
END {
  if (bad_list) exit 1
  if (target == "") { fault("not a PE executable that objdump reads as i386 or x86-64"); exit 1 }
  if (os_major == "" || sub_major == "" || functions == 0) {
    fault("no header versions or no imports read; has objdump's output changed?"); exit 1
  }
  os = os_major "." os_minor; subsystem = sub_major "." sub_minor
  if (nt(os) > nt(target)) fault("header OS version " os " is above the target " windows(target))
  if (nt(subsystem) > nt(target)) fault("header subsystem version " subsystem " is above the target " windows(target))
  if (!faults)
    printf "ok %s: %s, target %s; %d functions from %d DLLs; header OS version %s, subsystem %s\n",
      exe, arch, windows(target), functions, dlls, os, subsystem
  exit (faults > 0)
}
AWK

status=0
for exe in "$@"; do
  if [[ ! -f "$exe" ]]; then
    echo "$exe: no such file" >&2
    status=1
    continue
  fi
  "$objdump" -p "$exe" |
    awk -v exe="$exe" -v list="$list" -v allowed="$allowed_dlls" "$check" || status=1
done
exit "$status"
