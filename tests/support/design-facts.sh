# Sourced by the shell tests: the design's facts of DesignFacts.h beside it,
# read once, as the script starts: the header changing in the work tree
# while a test runs (an edit, a checkout) changes nothing, and a script that
# cannot read it ends there, before it runs anything with an empty fact.
#   design_fact NAME    the fact, with C's "\\" as "\"
#   design_names NAME   a list's names, without what is written into them
# (A here-string rather than process substitution: the 32-bit guest has no
# /dev/fd.)
declare -gA design_facts=()
_design_lines="$(sed -n 's/^DESIGN_FACT(\([A-Za-z0-9]*\), "\(.*\)")$/\1\t\2/p' \
  "$(dirname "${BASH_SOURCE[0]}")/DesignFacts.h")"
while IFS=$'\t' read -r name fact; do
  if [[ -n $name ]]; then design_facts[$name]=${fact//\\\\/\\}; fi
done <<<"$_design_lines"
unset _design_lines
(( ${#design_facts[@]} )) || { echo "design-facts: cannot read DesignFacts.h" >&2; exit 1; }
design_fact() {
  [[ -n ${design_facts[$1]+set} ]] || { echo "design-facts: no fact $1" >&2; return 1; }
  printf '%s\n' "${design_facts[$1]}"
}
design_names() { design_fact "$1" | sed 's/=[^ ]*//g'; }
