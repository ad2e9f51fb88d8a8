#!/usr/bin/env bash
# Shows that check-imports.sh fails where it must: small programs built here
# with the project's cross compilers each break one rule, and the check has to
# reject each with a message that names the fault.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

# expect_rejected NAME MESSAGE TRIPLE C-SOURCE [LINK FLAGS...]
expect_rejected() {
  local name="$1" message="$2" triple="$3" source="$4"
  shift 4
  printf '%s\n' "$source" | "$triple-gcc-win32" -x c - -o "$work/$name.exe" "$@"
  if bash "$here/check-imports.sh" "$work/$name.exe" >"$work/$name.out" 2>&1; then
    echo "FAIL $name: the check passed it"
    failures=$((failures + 1))
  elif ! grep -qF -- "$message" "$work/$name.out"; then
    echo "FAIL $name: no line with \"$message\" in:"
    cat "$work/$name.out"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

expect_rejected vista-function-on-x64 \
  "kernel32.dll!GetTickCount64 is not exported by NT 5.2 (Windows XP x64 / Server 2003), a target of this build; NT 6.0 (Windows Vista) is the first that does" \
  x86_64-w64-mingw32 \
  '#include <windows.h>
int main(void) { return (int)GetTickCount64(); }'

expect_rejected xp-function-on-i686 \
  "kernel32.dll!AddVectoredExceptionHandler is not exported by NT 4.0, a target of this build; NT 5.1 (Windows XP) is the first that does" \
  i686-w64-mingw32 \
  '#include <windows.h>
int main(void) { return AddVectoredExceptionHandler(0, 0) != 0; }'

# NT 4.0 exports IsDebuggerPresent; Windows 95 does not.
expect_rejected 98-function-on-i686 \
  "kernel32.dll!IsDebuggerPresent is not exported by Windows 95, a target of this build; Windows 98 is the first that does" \
  i686-w64-mingw32 \
  '#include <windows.h>
int main(void) { return IsDebuggerPresent(); }'

expect_rejected unlisted-function \
  "kernel32.dll!GetDiskFreeSpaceW is not in" \
  x86_64-w64-mingw32 \
  '#include <windows.h>
int main(void) { return GetDiskFreeSpaceW(0, 0, 0, 0, 0); }'

expect_rejected dll-from-program-folder \
  "imports VERSION.dll at load time; it is not a KnownDLL" \
  i686-w64-mingw32 \
  '#include <windows.h>
int main(void) { return (int)GetFileVersionInfoSizeW(L"x", 0); }' -lversion

expect_rejected header-subsystem-version \
  "header subsystem version 6.0 is above the target NT 5.2 (Windows XP x64 / Server 2003)" \
  x86_64-w64-mingw32 \
  'int main(void) { return 0; }' -Wl,--major-subsystem-version,6,--minor-subsystem-version,0

# Windows 95 and NT 4.0 refuse a subsystem version above 4.0.
expect_rejected header-subsystem-version-on-i686 \
  "header subsystem version 5.0; the i686 build must say 4.0, for Windows 95 and NT 4.0" \
  i686-w64-mingw32 \
  'int main(void) { return 0; }' -Wl,--major-subsystem-version,5,--minor-subsystem-version,0

# The table of verdicts names what each release lacks, release by release.
verdicts="$(bash "$here/check-imports.sh" --verdicts "$work/98-function-on-i686.exe" 2>/dev/null || true)"
if ! grep -qF -- "98-function-on-i686.exe | lacks IsDebuggerPresent | loads" <<<"$verdicts"; then
  echo "FAIL verdicts: Windows 95 should lack IsDebuggerPresent and 98 load, in:"
  echo "$verdicts"
  failures=$((failures + 1))
else
  echo "ok   verdicts"
fi

if [[ $failures -gt 0 ]]; then
  echo "check-imports-test: $failures case(s) not rejected as they should be" >&2
  exit 1
fi
