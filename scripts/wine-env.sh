# Environment for running the Windows build under Wine. Source it:
#   . scripts/wine-env.sh
# The prefix lives in the work tree (git-ignored) so every checkout has its own.
# LC_ALL=zh_CN.UTF-8 makes Wine's ANSI code page 936, as on Chinese Windows.
# VORNIX_WINE_LOCALE=en_US.UTF-8 gives code page 1252 instead, as on an
# English Windows; Wine takes the code page from the locale of each process,
# so one prefix can be used under both.
_vornix_env_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export VORNIX_ROOT="${VORNIX_ROOT:-$(dirname "$_vornix_env_dir")}"
export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$VORNIX_ROOT/.wine-prefix}"
# A 64-bit prefix where Wine has its 64-bit half; a Wine that has only the
# 32-bit one (the i686 guest of scripts/i686-guest.sh) makes 32-bit prefixes.
if [[ -x /usr/lib/wine/wine64 ]]; then
  export WINEARCH=win64
else
  export WINEARCH=win32
fi
export LC_ALL="${VORNIX_WINE_LOCALE:-zh_CN.UTF-8}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
unset _vornix_env_dir

# A registry key's export (wine reg export, in the view /reg:32 or /reg:64)
# as UTF-8 lines without carriage returns or byte-order mark, for diff and
# grep; fails when the key does not exist.
wine_export_key() {  # key view file
  wine reg export "$1" "$3.reg" "$2" /y >/dev/null 2>&1 || return 1
  iconv -f UTF-16LE -t UTF-8 "$3.reg" | tr -d '\r' | sed '1s/^\xEF\xBB\xBF//' >"$3"
  rm -f "$3.reg"
}
