# Sourced by the shell tests: the design's facts of DesignFacts.h beside it.
#   design_fact NAME    the fact, with C's "\\" as "\"
#   design_names NAME   a list's names, without what is written into them
design_facts_header="$(dirname "${BASH_SOURCE[0]}")/DesignFacts.h"
design_fact() {
  local fact
  fact=$(sed -n "s/^DESIGN_FACT($1, \"\\(.*\\)\")\$/\\1/p" "$design_facts_header")
  [[ -n $fact ]] || { echo "design-facts: no fact $1" >&2; return 1; }
  printf '%s\n' "${fact//\\\\/\\}"
}
design_names() { design_fact "$1" | sed 's/=[^ ]*//g'; }
