#!/usr/bin/env bash
# Builds the Release executables of both architectures and packs them into
# dist/ (build output, git-ignored, made anew each time):
#
#   VornixInternetOptimizer-VERSION-win64-setup.exe   installers (NSIS,
#   VornixInternetOptimizer-VERSION-win32-setup.exe   installer/*.nsi)
#   VornixInternetOptimizer-VERSION-win64.zip         both executables and
#   VornixInternetOptimizer-VERSION-win32.zip         README.txt, no install
#   SHA256SUMS                                        of the four
#
# VERSION is MAJOR.MINOR.REVISION from resources/VersionInfo.h, the one
# source of the version; the product name, publisher and copyright come from
# there too. The installer also takes the instance mutex's name and the
# console tool's exit codes it acts on from the program's headers.
#
#   bash scripts/package.sh
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$(pwd)"
dist="$root/dist"
stage="$root/build/package"

die() { echo "package: $*" >&2; exit 1; }

# The value of `#define NAME value` in FILE; quotes removed from a string.
macro() {
  local value
  value="$(sed -n "s/^#define $2[[:space:]]\{1,\}\(.*\)$/\1/p" "$1" | head -n 1)"
  value="${value%"${value##*[![:space:]]}"}"
  [[ -n "$value" ]] || die "no $2 in $1"
  if [[ "$value" == \"*\" ]]; then value="${value:1:${#value}-2}"; fi
  printf '%s' "$value"
}

info=resources/VersionInfo.h
major="$(macro "$info" VORNIX_VERSION_MAJOR)"
minor="$(macro "$info" VORNIX_VERSION_MINOR)"
revision="$(macro "$info" VORNIX_VERSION_REVISION)"
for n in "$major" "$minor" "$revision"; do
  [[ "$n" =~ ^[0-9]+$ ]] || die "the version in $info is not numeric: $major.$minor.$revision"
done
version="$major.$minor.$revision"
product="$(macro "$info" VORNIX_PRODUCT_NAME)"
name="$(macro "$info" VORNIX_INTERNAL_NAME)"
publisher="$(macro "$info" VORNIX_COMPANY_NAME)"
copyright="$(macro "$info" VORNIX_LEGAL_COPYRIGHT)"

# The one-instance mutex of the window and vornix.exe, which the installer
# and uninstaller wait on; the C++ literal's "\\" is one backslash.
mutex_header=system/win32/Win32InstanceMutex.h
mutex="$(sed -n 's/.*kInstanceMutexName = L"\([^"]*\)".*/\1/p' "$mutex_header" | head -n 1)"
mutex="${mutex//\\\\/\\}"
[[ "$mutex" == Global\\* ]] || die "no kInstanceMutexName in $mutex_header"

# The console tool's exit codes the uninstaller acts on, from its ExitCode
# enum: `Name = number,`.
exit_header=console/CommandLine.h
exit_code() {
  local value
  value="$(sed -n '/^enum class ExitCode/,/^};/s/^[[:space:]]*'"$1"' = \([0-9]\{1,\}\),.*/\1/p' "$exit_header")"
  [[ "$value" =~ ^[0-9]+$ ]] || die "no ExitCode::$1 in $exit_header"
  printf '%s' "$value"
}
tool_done="$(exit_code Done)"
tool_no_backup="$(exit_code NoBackup)"
tool_beside_copies="$(exit_code BackupBesideCopies)"

command -v makensis >/dev/null || die "makensis is missing (bash scripts/install-prerequisites.sh)"
command -v zip >/dev/null || die "zip is missing (bash scripts/install-prerequisites.sh)"

rm -rf "$dist" "$stage"
mkdir -p "$dist" "$stage"

for arch in x86_64 i686; do
  case "$arch" in
    x86_64) label=win64 ;;
    i686) label=win32 ;;
  esac
  bin="$(bash scripts/build-release.sh "$arch")"
  base="$name-$version-$label"
  echo "package: $base" >&2

  # The zip: one folder with both executables and README.txt, which is
  # UTF-8 with a byte-order mark and CRLF line ends, for Notepad.
  folder="$stage/$base"
  mkdir -p "$folder"
  cp "$bin/VornixInternetOptimizer.exe" "$bin/vornix.exe" "$folder/"
  { printf '\xEF\xBB\xBF'; sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' installer/README.txt; } \
    >"$folder/README.txt"
  (cd "$stage" && zip -q -X -r "$dist/$base.zip" "$base")

  makensis -V2 -INPUTCHARSET UTF8 \
    -DARCH="$label" -DBIN_DIR="$bin" -DOUT_FILE="$dist/$base-setup.exe" \
    -DPRODUCT="$product" -DPUBLISHER="$publisher" -DCOPYRIGHT="$copyright" \
    -DVERSION="$version" -DVERSION_QUAD="$major.$minor.0.$revision" \
    -DMUTEX="$mutex" -DTOOL_DONE="$tool_done" -DTOOL_NO_BACKUP="$tool_no_backup" \
    -DTOOL_BESIDE_COPIES="$tool_beside_copies" -DICON="$root/resources/app.ico" \
    installer/VornixInternetOptimizer.nsi >"$stage/makensis-$label.log" 2>&1 \
    || { cat "$stage/makensis-$label.log" >&2; die "makensis failed for $label"; }
done

(cd "$dist" && sha256sum -- *-setup.exe *.zip >SHA256SUMS)
ls -l "$dist" >&2
