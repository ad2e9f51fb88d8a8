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

echo "wine-prefix: creating $WINEPREFIX" >&2
start=$(date +%s)
# VORNIX_WINE_TEMPLATES names a folder of prefixes made by wineboot, one per
# locale (the i686 guest has them): a copy of the one for this locale takes
# seconds where wineboot, emulated, takes minutes.
template="${VORNIX_WINE_TEMPLATES:+$VORNIX_WINE_TEMPLATES/$LC_ALL}"
if [[ -n "$template" && -d "$template" ]]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  cp -a "$template" "$WINEPREFIX"
else
  wineboot -i >/dev/null 2>&1
fi
wineserver -w

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

touch "$marker"
echo "wine-prefix: ready after $(( $(date +%s) - start )) s" >&2
