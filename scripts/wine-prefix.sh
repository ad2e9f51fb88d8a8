#!/usr/bin/env bash
# Creates the Wine prefix the Windows tests run in, once. Idempotent: a prefix
# that is complete (marked by .vornix-ready) is left alone.
#
# The prefix reports Windows XP by default; the executables listed below get
# the Windows version their tests need, through Wine's per-application
# AppDefaults keys.
set -euo pipefail

# exe name=Windows version (Wine's names: win98, winxp, win2k, nt40, win10, ...)
APP_VERSIONS=(
  "engine_wine_win98.exe=win98"
  "engine_wine_winxp.exe=winxp"
  "vornix_win98.exe=win98"
)

. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

marker="$WINEPREFIX/.vornix-ready"
if [[ -f "$marker" ]]; then
  exit 0
fi

# A half-made prefix from an interrupted run is started over.
if [[ -d "$WINEPREFIX" ]]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi

# A prefix that could not be made is removed, so that it takes no room and
# the next run starts over; the message says why, with the room left on the
# prefix's disk, since a full disk is the usual cause.
fail_prefix() {  # what failed, log file or ""
  echo "wine-prefix: $1 while creating $WINEPREFIX" >&2
  if [[ -n "$2" && -s "$2" ]]; then
    echo "wine-prefix: its last words:" >&2
    tail -n 15 "$2" | sed 's/^/  /' >&2
  fi
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$WINEPREFIX.wineboot.log"
  report_room "$(dirname "$WINEPREFIX")"
  exit 1
}

report_room() {  # folder
  local free_mb
  free_mb="$(df -Pm "$1" | awk 'NR == 2 { print $4 }')"
  echo "wine-prefix: $free_mb MB free on the disk of $1, the half-made prefix removed (a prefix takes about 700 MB)" >&2
  if (( free_mb < 1024 )); then
    echo "wine-prefix: the disk is (nearly) full: free some room and run again" >&2
  fi
}

echo "wine-prefix: creating $WINEPREFIX" >&2
start=$(date +%s)
trap 'fail_prefix "line $LINENO: $BASH_COMMAND exited $?" ""' ERR
# VORNIX_WINE_TEMPLATES names a folder of prefixes made by wineboot, one per
# locale (the i686 guest has them): a copy of the one for this locale takes
# seconds where wineboot, emulated, takes minutes.
template="${VORNIX_WINE_TEMPLATES:+$VORNIX_WINE_TEMPLATES/$LC_ALL}"
if [[ -n "$template" && -d "$template" ]]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  cp -a "$template" "$WINEPREFIX"
else
  # wineboot's own words are kept beside the prefix and shown only when it
  # fails: a full disk, for one, shows as a DLL that "could not load"
  # (status c0000135, exit 53) and as registry branches not saved.
  log="$WINEPREFIX.wineboot.log"
  rc=0
  wineboot -i >"$log" 2>&1 || rc=$?
  # The wineserver that wineboot started writes to the log too, as it saves
  # the registry on exit.
  wineserver -w || true
  if (( rc != 0 )); then
    fail_prefix "wineboot -i exited $rc" "$log"
  fi
  rm -f "$log"
fi

regadd() {
  wine reg add "$@" /f >/dev/null
}

regadd 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
regadd 'HKCU\Software\Wine' /v Version /t REG_SZ /d winxp
for entry in "${APP_VERSIONS[@]}"; do
  exe="${entry%%=*}"
  version="${entry#*=}"
  regadd "HKCU\\Software\\Wine\\AppDefaults\\$exe" /v Version /t REG_SZ /d "$version"
done
wineserver -w
# wineserver saves the registry as it exits; on a full disk it only says so
# on its own output, so the saved file is checked for the last key added.
grep -qF "${APP_VERSIONS[-1]%%=*}" "$WINEPREFIX/user.reg" 2>/dev/null \
  || fail_prefix "the prefix's registry was not saved" ""
trap - ERR

touch "$marker"
echo "wine-prefix: ready after $(( $(date +%s) - start )) s" >&2
