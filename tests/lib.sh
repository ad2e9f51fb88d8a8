# What the shell tests share. Source it first:
#   . "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
# It sets `root` (the work tree) and `test_name` (the script's name, which
# prefixes every message; a script may set its own), and installs
# `clean_up` as the EXIT trap.

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
test_name="$(basename "${BASH_SOURCE[1]}" .sh)"

fail() { echo "$test_name: FAIL: $*" >&2; exit 1; }
note() { echo "$test_name: $*" >&2; }

# Steps run on every exit, failed or not, the last added first:
#   at_exit 'command'
# A step that fails makes a passing run fail; the exit status is otherwise
# the script's own.
_exit_steps=()
at_exit() { _exit_steps=("$1" "${_exit_steps[@]}"); }
clean_up() {
  local status=$? step
  trap - EXIT
  for step in "${_exit_steps[@]}"; do
    if ! eval "$step"; then
      echo "$test_name: FAIL: on exit: $step" >&2
      [[ $status != 0 ]] || status=1
    fi
  done
  exit "$status"
}
trap clean_up EXIT

# Waits for the prefix's Wine processes to end, ending them after a minute.
wine_settle() { timeout 60 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true; }

# A Wine prefix of the test's own, made by scripts/wine-prefix.sh as the
# project's (Windows XP), with the Wine environment of scripts/wine-env.sh
# under LOCALE; removed on every exit.
own_prefix() {  # prefix folder, locale
  export WINEPREFIX_OVERRIDE="$1" VORNIX_WINE_LOCALE="$2"
  . "$root/scripts/wine-env.sh"
  at_exit 'wine_settle; rm -rf "$WINEPREFIX"'
  bash "$root/scripts/wine-prefix.sh" || fail "cannot make the prefix $WINEPREFIX"
}

# Runs vornix.exe ($tool_exe, through $tool_runner: wine unless set) with
# ARGUMENTS, its output in $work/tool.log, and fails unless it exits with
# EXPECTED. Redirected, the tool writes the console's code page: GBK under
# code page 936, ASCII or question marks under 1252.
tool() {  # expected exit code, arguments
  local expected=$1 status=0
  shift
  "${tool_runner:-wine}" "$tool_exe" "$@" >"$work/tool.log" 2>&1 || status=$?
  [[ $status == "$expected" ]] || fail "vornix $*: exit code $status, expected $expected:
$(iconv -f GBK -t UTF-8 "$work/tool.log" 2>/dev/null || cat "$work/tool.log")"
}
