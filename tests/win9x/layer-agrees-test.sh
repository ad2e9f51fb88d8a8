#!/usr/bin/env bash
# The Windows 98 layer (Win9xFunctions.cpp) and the import list
# (tests/imports/windows-imports.txt) say the same of every function both
# name: a function the list calls a stub on 95/98/ME the layer makes fail
# (VORNIX_9X_FAILS or VORNIX_9X_REFUSES), and one the list says works there
# the layer keeps (Implemented). A function changed in one and not the other
# would let the import check or the Windows 98 runs pass what 98 does not do.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

list="$root/tests/imports/windows-imports.txt"
layer="$root/tests/win9x/Win9xFunctions.cpp"

work="$(mktemp -d)"
at_exit 'rm -rf "$work"'
# NAME yes|stub, one a line, from each.
awk '!/^#/ && NF >= 5 && ($5 == "yes" || $5 == "stub") { print $2, $5 }' "$list" | sort -u >"$work/listed"
sed -n -e 's/.*VORNIX_9X_\(FAILS\|REFUSES\)(\([A-Za-z0-9_]*\)).*/\2 stub/p' \
  -e 's/.*Implemented("\([A-Za-z0-9_]*\)").*/\1 yes/p' "$layer" | sort -u >"$work/layered"
[[ -s $work/listed && -s $work/layered ]] || fail "cannot read $list or $layer"

join "$work/listed" "$work/layered" >"$work/both"
differ="$(awk '$2 != $3 { print "  " $1 ": the list says " $2 ", the layer " $3 }' "$work/both")"
[[ -z $differ ]] || fail "the import list and the Windows 98 layer disagree:"$'\n'"$differ"
note "$(wc -l <"$work/both") functions agree"
